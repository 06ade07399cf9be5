#pragma once
// Page checks for both devices: a page texture read back through GetRenderTargetData into a
// system-memory surface (on the recording device the CPU replay of the sprite draws fills the
// target; on the OpenGL device the draws themselves), and every built patch's colour and normal
// rectangle compared byte for byte with the test builder's images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "Generator.h"
#include "TBereich.h"
#include "TestErbauer.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZeichenKontext.h"

namespace seitenpruefung {

// The whole level 0 of a render-target texture; an empty image when the read-back fails.
inline Zarvo_Bild LiesSeite(Zarvo_ZeichenKontext& kontext, Zarvo_Textur* textur) {
  using namespace d3d9;
  Zarvo_Bild bild;
  if (textur == nullptr) return bild;
  textur->Benutzen();
  IDirect3DSurface9* flaeche = textur->HoleOberflaeche(0, 0);
  IDirect3DSurface9* system = nullptr;
  IDirect3DDevice9* geraet = kontext.impl.geraet;
  if (flaeche && SUCCEEDED(geraet->CreateOffscreenPlainSurface(UINT(textur->breite), UINT(textur->hoehe), D3DFMT_A8R8G8B8,
                                                               D3DPOOL_SYSTEMMEM, &system, nullptr)) &&
      SUCCEEDED(geraet->GetRenderTargetData(flaeche, system))) {
    D3DLOCKED_RECT gesperrt{};
    if (SUCCEEDED(system->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY))) {
      bild = Zarvo_Bild(textur->breite, textur->hoehe, PXFMT_A8R8G8B8, 1);
      const TBereich von(static_cast<uint8_t*>(gesperrt.pBits), textur->breite, textur->hoehe, uint64_t(gesperrt.Pitch),
                         PXFMT_A8R8G8B8);
      TBereich nach;
      bild.LockBereich(nach);
      TBereich::KopiereKonvertiert(von, nach);
      system->UnlockRect();
    }
  }
  if (system) system->Release();
  if (flaeche) flaeche->Release();
  return bild;
}

inline uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
  uint32_t p;
  std::memcpy(&p, bild.Pixel() + y * bild.Zeilenbytes() + 4 * x, 4);
  return p;
}

// Pixels of `bild` that differ from the page's rectangle at (x, y); the first one described.
inline uint64_t Unterschiede(const Zarvo_Bild& seite, uint64_t x, uint64_t y, const Zarvo_Bild& bild, std::string& erstes) {
  uint64_t anzahl = 0;
  if (seite.IstLeer() || x + bild.Breite() > seite.Breite() || y + bild.Hoehe() > seite.Hoehe()) {
    erstes = "rectangle outside the page or no page";
    return bild.Breite() * bild.Hoehe();
  }
  for (uint64_t j = 0; j < bild.Hoehe(); ++j)
    for (uint64_t i = 0; i < bild.Breite(); ++i) {
      const uint32_t ist = Pixel(seite, x + i, y + j), soll = Pixel(bild, i, j);
      if (ist == soll) continue;
      if (anzahl++ == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "(%llu, %llu): %08x instead of %08x", static_cast<unsigned long long>(i),
                      static_cast<unsigned long long>(j), ist, soll);
        erstes = text;
      }
    }
  return anzahl;
}

// Both pages of page s as read back now.
struct Seitenbilder {
  Zarvo_Bild farbe, normale;
};
inline Seitenbilder LiesSeitenbilder(Zarvo_ZeichenKontext& kontext, const Spiel::Generator& generator, uint32_t s) {
  const Spiel::Generator::Seite& seite = generator.Seiten().at(s);
  return {LiesSeite(kontext, seite.farbTextur), LiesSeite(kontext, seite.normalTextur)};
}

// Every built patch on page s shows the test builder's images of its key, level and generation.
inline ::testing::AssertionResult PatchesStimmen(const Spiel::Generator& generator, const Seitenbilder& bilder, uint32_t s) {
  uint64_t geprueft = 0;
  std::string fehler;
  generator.FuerAllePatches([&](uint32_t key, const Spiel::Generator::Patch& p) {
    if (p.seite != s || p.breite == 0 || !fehler.empty()) return;
    ++geprueft;
    std::string erstes;
    const Zarvo_Bild farbe = TestErbauer::Farbbild(key, p.stufe, p.generation, p.breite);
    const Zarvo_Bild normale = TestErbauer::Normalbild(key, p.stufe, p.generation, p.breite);
    if (uint64_t n = Unterschiede(bilder.farbe, p.x, p.y, farbe, erstes))
      fehler = "key " + std::to_string(key) + " colour: " + std::to_string(n) + " pixels differ, first " + erstes;
    else if (uint64_t m = Unterschiede(bilder.normale, p.x, p.y, normale, erstes))
      fehler = "key " + std::to_string(key) + " normal: " + std::to_string(m) + " pixels differ, first " + erstes;
  });
  if (!fehler.empty()) return ::testing::AssertionFailure() << fehler;
  if (geprueft == 0) return ::testing::AssertionFailure() << "no patch on page " << s;
  return ::testing::AssertionSuccess() << geprueft << " patches";
}

// The used area of a page (the bounding box of its placed rectangles) as PNG.
inline void SpeichereBenutztenBereich(const Zarvo_Bild& seite, const TPlatz& platz, const std::filesystem::path& pfad) {
  uint64_t breite = 0, hoehe = 0;
  for (const TRechteck& r : platz.Belegt()) {
    breite = std::max(breite, r.x + r.w);
    hoehe = std::max(hoehe, r.y + r.h);
  }
  if (seite.IstLeer() || breite == 0) return;
  Zarvo_Bild ausschnitt(breite, hoehe, PXFMT_A8R8G8B8, 1);
  TBereich von, nach;
  TBereich::LockSubBereich(const_cast<Zarvo_Bild&>(seite), von, 0, 0, breite, hoehe);
  ausschnitt.LockBereich(nach);
  TBereich::KopiereKonvertiert(von, nach);
  ausschnitt.SpeicherePNG(pfad, 0);
}

}  // namespace seitenpruefung
