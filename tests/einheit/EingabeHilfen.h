#pragma once
// Fixture for the input library on the scripted back end: a driven tick, a captured log hook, a
// recording handler whose answers per slot come from a table, and frames of scripted events.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Oprix.h"
#include "WinKeyboard.h"
#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/system/Zaehler.h"
#include "SkriptQuelle.h"

class AufzeichnenderHandler : public OPRIX::InputHandler {
 public:
  bool antwort[10] = {};
  std::vector<std::string> aufrufe;

  bool HandleButton(OPRIX::Device*, int b, bool p) override { return Merke(1, std::to_string(b) + (p ? " down" : " up")); }
  bool HandleMouseMove(OPRIX::Mouse*, float x, float y) override {
    return Merke(2, std::to_string(int(x)) + "," + std::to_string(int(y)));
  }
  bool HandleMouseButton(OPRIX::Mouse*, int b, bool p) override { return Merke(3, std::to_string(b) + (p ? " down" : " up")); }
  bool HandleWheel(OPRIX::Mouse*, float d) override { return Merke(4, std::to_string(int(d))); }
  bool HandleText(OPRIX::Device*, unsigned c) override {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", c);
    return Merke(7, text);
  }
  bool HandleUnusedButton(OPRIX::Device*, int b, bool p) override { return Merke(8, std::to_string(b) + (p ? " down" : " up")); }
  bool HandleUnusedAxis(OPRIX::Device*, int a, float v) override {
    char text[32];
    std::snprintf(text, sizeof text, "%d=%.3f", a, v);
    return Merke(9, text);
  }

  // Calls of one slot only.
  std::vector<std::string> Von(int slot) const {
    std::vector<std::string> ergebnis;
    const std::string praefix = std::to_string(slot) + ":";
    for (const std::string& a : aufrufe)
      if (a.rfind(praefix, 0) == 0) ergebnis.push_back(a.substr(praefix.size()));
    return ergebnis;
  }

 private:
  bool Merke(int slot, const std::string& text) {
    aufrufe.push_back(std::to_string(slot) + ":" + text);
    return antwort[slot];
  }
};

class EingabeTest : public ::testing::Test {
 protected:
  static inline int64_t zeit = 0;
  static inline std::vector<std::string> log;

  void SetUp() override {
    zeit = int64_t(5'000) * 1'000'000;
    log.clear();
    win32::SetzeZaehlerQuelle([] { return zeit; });
    OPRIX::SetLogHook([](const char* zeile) { log.emplace_back(zeile); });
    OPRIX::SetEventPump(&SkriptQuelle::Pumpe);
  }

  void TearDown() override {
    OPRIX::CloseInput();
    OPRIX::SetEventPump(nullptr);
    OPRIX::SetLogHook(nullptr);
    win32::SetzeZaehlerQuelle(nullptr);
  }

  // Creates the instance and runs the muted first frame.
  OPRIX::InputSystem* Starte() {
    EXPECT_TRUE(OPRIX::OpenWindowInput(&fenster));
    OPRIX::InputSystem* s = OPRIX::gInputSystem;
    if (s) {
      s->handler = &handler;
      Frame();
    }
    return s;
  }

  void Frame(int millisekunden = 16) {
    zeit += int64_t(millisekunden) * 1'000'000;
    OPRIX::gInputSystem->Refresh();
  }

  static void Druecke(int taste, uint32_t text = 0) {
    eingabe::Taste(taste, 0, GLFW_PRESS);
    if (text) eingabe::Zeichen(text);
  }
  static void Loese(int taste) { eingabe::Taste(taste, 0, GLFW_RELEASE); }

  bool HatLog(const std::string& zeile) const {
    for (const std::string& z : log)
      if (z == zeile) return true;
    return false;
  }

  int fenster = 0;
  SkriptQuelle quelle;
  AufzeichnenderHandler handler;
};
