#pragma once
// Fixture of the input bridge and pause menu tests: the screen on the recording device at
// 1280 x 720, the fake counter, the application folder with "Daten/GuiKonfig.xml" (the shipped
// file unless a test writes its own), the scripted input back end with the bridge as handler, and
// frames as the main loop runs them: the input update, then the frame clock's tick of 1/64 s.
// At the end the frame clock holds no more timers than at the start.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Basis.h"
#include "Buttons.h"
#include "EigenerOrdner.h"
#include "Ereignis.h"
#include "GuiHilfen.h"
#include "NullBildschirm.h"
#include "Oberflaeche.h"
#include "Oprix.h"
#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/system/Zaehler.h"
#include "Renderer.h"
#include "SkriptQuelle.h"
#include "Zarvo_Start.h"

// A focusable widget that records the keys and characters it is offered, without handling them.
class Sonde : public Gui::Basis {
 public:
  void Zeichne(Gui::Renderer& renderer) override { renderer.ZeichneHintergrund(*this); }
  bool IstFokussierbar() const override { return true; }
  void BeiTaste(Gui::BasisEreignis& ereignis) override {
    if (auto* t = dynamic_cast<Gui::TasteEreignis*>(&ereignis))
      eintraege.push_back(std::to_string(t->code) + "," + std::to_string(t->zustand));
  }
  void BeiUnicode(Gui::BasisEreignis& ereignis) override {
    if (auto* u = dynamic_cast<Gui::UnicodeEreignis*>(&ereignis)) {
      char text[16];
      std::snprintf(text, sizeof text, "U+%04X", u->zeichen);
      eintraege.push_back(text);
    }
  }

  std::vector<std::string> eintraege;
};

class BrueckenTest : public ::testing::Test {
 protected:
  static constexpr float FRAME_SEKUNDEN = 1.0f / 64;
  static constexpr int64_t FRAME_TICKS = 15'625'000;  // 1/64 s of the fake counter (1 ns ticks)
  static inline int64_t zeit = 0;

  void SetUp() override {
    zeit = int64_t(5'000) * 1'000'000'000;
    win32::SetzeZaehlerQuelle([] { return zeit; });
    OPRIX::SetEventPump(&SkriptQuelle::Pumpe);
    ASSERT_TRUE(bildschirm->Offen());
    verzeichnisVorher = g_System.anwendungsVerzeichnis;
    g_System.anwendungsVerzeichnis = ordner.Pfad();
    std::filesystem::create_directory(ordner / "Daten");
    SchreibeStil(LiesDatei(MITGELIEFERTER_STIL));
    guihilfen::Schritt(10);  // well past stamps of 0
    timerVorher = g_Zeit.AnzahlTimer();
  }
  void TearDown() override {
    bruecke.reset();
    OPRIX::CloseInput();
    OPRIX::SetEventPump(nullptr);
    win32::SetzeZaehlerQuelle(nullptr);
    g_System.anwendungsVerzeichnis = verzeichnisVorher;
    g_System.beenden = false;
    EXPECT_EQ(g_Zeit.AnzahlTimer(), timerVorher) << "timers left on the frame clock";
  }

  static std::filesystem::path Stildatei(const EigenerOrdner& o) { return o / "Daten" / "GuiKonfig.xml"; }
  void SchreibeStil(std::string_view inhalt) { SchreibeDatei(Stildatei(ordner), inhalt); }

  // The bridge as the input system's handler (which is created when there is none), and the
  // muted first frame.
  void Starte() {
    bruecke = std::make_unique<Spiel::Buttons>();
    if (!OPRIX::gInputSystem) {
      ASSERT_TRUE(OPRIX::OpenWindowInput(&fenster));
    }
    OPRIX::gInputSystem->handler = bruecke.get();
    Frame();
  }

  // The events of the next frame's poll.
  void Im(std::function<void()> ereignis) { quelle.Im(std::move(ereignis)); }
  static void Druecke(int taste) { eingabe::Taste(taste, 0, GLFW_PRESS); }
  static void Loese(int taste) { eingabe::Taste(taste, 0, GLFW_RELEASE); }

  // One frame: 1/64 s on the counter, the input update, the frame clock's tick, then `danach`
  // (what the main loop does later in the frame).
  void Frame() {
    zeit += FRAME_TICKS;
    OPRIX::gInputSystem->Refresh();
    guihilfen::Schritt(FRAME_SEKUNDEN);
    if (danach) danach();
  }
  void Frames(int anzahl) {
    for (int i = 0; i < anzahl; ++i) Frame();
  }

  Gui::Oberflaeche& Oberflaeche() { return *bruecke->GibOberflaeche(); }
  const OPRIX::Keyboard* Tastatur() { return OPRIX::gInputSystem->PrimaryKeyboard(); }

  // A focused probe at the top-left corner, away from the scripted cursor (320, 240).
  Sonde* NeueSonde() {
    auto* sonde = new Sonde();
    sonde->SetPosition({0, 0, 0}, false);
    sonde->SetGroesse({10, 10, 0}, false);
    Oberflaeche().FuegeHinzu(sonde);
    Oberflaeche().SetFokus(sonde);
    return sonde;
  }

  std::unique_ptr<NullBildschirm> bildschirm = std::make_unique<NullBildschirm>(1280, 720);
  EigenerOrdner ordner;
  SkriptQuelle quelle;
  int fenster = 0;
  std::unique_ptr<Spiel::Buttons> bruecke;
  std::function<void()> danach;

 private:
  std::filesystem::path verzeichnisVorher;
  size_t timerVorher = 0;
};
