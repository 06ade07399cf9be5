#pragma once
// The screen on the OpenGL device in a window of B x H under the virtual display, cleared to a
// colour, drawn into and read back as an image, which is also saved as PNG into the temporary
// folder to look at. GL errors reach the debug log, which fails the test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "AnzeigeSperre.h"
#include "BildschirmOeffnen.h"
#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"
#include "einheit/LogMitschnitt.h"

namespace anzeige {

// The OpenGL device in a window of breite x hoehe; its GL errors reach `log`'s debug lines.
inline bool OeffneGlSchirm(LogMitschnitt& log, uint32_t breite, uint32_t hoehe) {
  log.Debug(true);
  d3d9::WaehleGl33Backend();
  g_Vollbild.SetzeBool(false);
  return OeffneBildschirm(breite, hoehe);
}
// Closes it again; every GL error the log caught fails the test.
inline void SchliesseGlSchirm(const LogMitschnitt& log) {
  Zarvo_Screen3D::Schliessen();
  g_Vollbild.SetzeBool(true);
  for (const std::string& z : log.zeilen) EXPECT_EQ(z.find("GL error"), std::string::npos) << z;
}
// Ends the frame and reads the back buffer; saved as <name>.png in the temporary folder unless
// the name is empty.
inline Zarvo_Bild LiesSchirm(uint32_t breite, uint32_t hoehe, const std::string& name) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  kontext->EndeZeichnen();
  Zarvo_Bild bild(breite, hoehe, PXFMT_A8R8G8B8, 1);
  kontext->LiesBildschirmInhalt(bild);
  if (!name.empty()) bild.SpeicherePNG(std::filesystem::temp_directory_path() / (name + ".png"), 0);
  return bild;
}
// 0xAARRGGBB at (x, y).
inline uint32_t Texel(const Zarvo_Bild& bild, int64_t x, int64_t y) {
  uint32_t p;
  std::memcpy(&p, bild.Pixel() + uint64_t(y) * bild.Zeilenbytes() + 4 * uint64_t(x), 4);
  return p;
}
// 0xRRGGBB at (x, y).
inline uint32_t Pixel(const Zarvo_Bild& bild, int64_t x, int64_t y) { return Texel(bild, x, y) & 0xFFFFFF; }
inline int Kanal(uint32_t pixel, int schiebung) { return int(pixel >> schiebung & 0xFF); }

class SchirmBild : public ::testing::Test {
 protected:
  SchirmBild(uint32_t breite, uint32_t hoehe) : B(breite), H(hoehe) {}

  void SetUp() override {
    ASSERT_TRUE(OeffneGlSchirm(log, B, H)) << Zeilen();
    kontext = Zarvo_Screen3D::GibZeichenKontext();
  }
  void TearDown() override { SchliesseGlSchirm(log); }

  std::string Zeilen() const {
    std::string text;
    for (const std::string& z : log.zeilen) text += z + "\n";
    return text;
  }
  void Leere(float r, float g, float b) {
    const float farbe[4] = {r, g, b, 1};
    kontext->SetRenderZiel(nullptr);
    kontext->Leeren(3, farbe);
  }
  // Ends the frame and reads the back buffer, saved as <name>.png in the temporary folder.
  Zarvo_Bild Bildschirm(const std::string& name) { return LiesSchirm(B, H, name); }
  static uint32_t Pixel(const Zarvo_Bild& bild, int64_t x, int64_t y) { return anzeige::Pixel(bild, x, y); }
  static int Kanal(uint32_t pixel, int schiebung) { return anzeige::Kanal(pixel, schiebung); }

  const uint32_t B, H;
  AnzeigeSperre sperre;  // visible windows take the focus
  LogMitschnitt log;
  Zarvo_ZeichenKontext* kontext = nullptr;
};

}  // namespace anzeige
