#pragma once
// The patch builders' test set-up: a generator on the recording device that holds the requests
// (the builders are called directly, the face's own request included, since SucheNachbarn reads
// its box), requests formed as the scene forms them, a fixture "Daten" folder of tiny mosaic
// pictures under a temporary application directory (the cache reset per test), and readers of
// the records' pixels and normals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "EigenerOrdner.h"
#include "Generator.h"
#include "LogMitschnitt.h"
#include "Mosaik.h"
#include "NullBildschirm.h"
#include "PatchErbauerIntern.h"
#include "Szene.h"
#include "Zarvo_Start.h"
#include "bild/testbilder.h"

namespace patchbau {

using Generator = Spiel::Generator;
using V3 = BVektor3<float>;
using Datensatz = Generator::FertigerPatch;
namespace Intern = Spiel::PatchErbauer::Intern;

constexpr uint32_t OBJEKT = 0xC0000000u;
constexpr uint32_t WAND = 0xFF88AA88u, OBEN = 0xFFFFFFFFu, MAUER = 0xFF998877u, FUGE = 0x10888888u;

// ---- faces as the scene forms them ----
inline uint32_t FlaechenKey(uint32_t f, uint32_t x, uint32_t y, uint32_t z) { return f << 29 | z << 19 | y << 10 | x; }
// Face f of cell (x, y, z) with corner heights h0..h3, in doubled units.
inline Generator::FlaechenPatch BlockFlaeche(uint32_t f, float x, float y, float z, const float (&h)[4] = {1, 1, 1, 1},
                                             uint32_t material = 0) {
  switch (f) {
    case 0: return {V3(x, y, z) * 2, {0, 0, 2}, {0, 2 * h[0], 0}, {0, 2 * (h[2] - h[0]), 2}, material};
    case 1: return {V3(x + 1, y, z + 1) * 2, {0, 0, -2}, {0, 2 * h[3], 0}, {0, 2 * (h[1] - h[3]), -2}, material};
    case 2: return {V3(x, y, z + 1) * 2, {2, 0, 0}, {0, 2 * h[2], 0}, {2, 2 * (h[3] - h[2]), 0}, material};
    case 3: return {V3(x + 1, y, z) * 2, {-2, 0, 0}, {0, 2 * h[1], 0}, {-2, 2 * (h[0] - h[1]), 0}, material};
    case 4: return {V3(x, y, z) * 2, {2, 0, 0}, {0, 0, 2}, {2, 0, 0}, material};
    default: return {V3(x + 1, y + h[1], z) * 2, {-2, 2 * (h[0] - h[1]), 0}, {0, 2 * (h[3] - h[1]), 2}, {-2, 2 * (h[2] - h[3]), 0}, material};
  }
}
inline const V3 FLAECHEN_NORMALEN[6] = {{-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}, {0, 1, 0}};

// ---- objects as the scene forms them (position already doubled) ----
inline V3 Kreuz(V3 a, V3 b) { return a.Kreuz(b); }
inline Generator::HebelPatch Hebel(V3 p, V3 d0, V3 e1) { return {p, d0, e1, d0.Kreuz(e1)}; }
inline Generator::MosaikPatch Mosaik(V3 p, V3 d0, V3 d1, float breite, float hoehe, uint32_t bild) {
  return {p, d0, d1, d0.Kreuz(d1), breite, hoehe, bild};
}
inline V3 MosaikHalb(const Generator::MosaikPatch& m) {
  const V3 e = m.achse2, d1 = m.achse1, g = e.Kreuz(d1);
  const float b = m.breite / 2, h = m.hoehe / 2;
  return {2 * (std::fabs(e.x) * b + std::fabs(d1.x) * h + 0.2f * std::fabs(g.x)),
          2 * (std::fabs(e.y) * b + std::fabs(d1.y) * h + 0.2f * std::fabs(g.y)),
          2 * (std::fabs(e.z) * b + std::fabs(d1.z) * h + 0.2f * std::fabs(g.z))};
}

// ---- pixels ----
inline uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) { return Intern::Zeile(bild, y)[x]; }
inline V3 Entpacke(uint32_t p) {
  return {(float((p >> 16) & 0xFF) - 127.0f) / 127.99f, (float((p >> 8) & 0xFF) - 127.0f) / 127.99f,
          (float(p & 0xFF) - 127.0f) / 127.99f};
}
inline bool GleicheBytes(const Zarvo_Bild& a, const Zarvo_Bild& b) {
  if (a.Breite() != b.Breite() || a.Hoehe() != b.Hoehe() || a.Format() != b.Format()) return false;
  if (a.IstLeer() || b.IstLeer()) return a.IstLeer() == b.IstLeer();
  return std::memcmp(a.Pixel(), b.Pixel(), a.Zeilenbytes() * a.Hoehe()) == 0;
}
inline bool GleicheVertices(const std::vector<Spiel::WeltVertex>& a, const std::vector<Spiel::WeltVertex>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}
// Meshes, images and transforms equal byte for byte.
inline ::testing::AssertionResult GleicheDatensaetze(const Datensatz& a, const Datensatz& b) {
  if (!GleicheVertices(a.vertices, b.vertices)) return ::testing::AssertionFailure() << "vertices differ";
  if (a.indices != b.indices) return ::testing::AssertionFailure() << "indices differ";
  if (!GleicheBytes(a.farbe, b.farbe)) return ::testing::AssertionFailure() << "colour images differ";
  if (!GleicheBytes(a.normale, b.normale)) return ::testing::AssertionFailure() << "normal maps differ";
  if (std::memcmp(a.transform, b.transform, sizeof a.transform) != 0) return ::testing::AssertionFailure() << "transforms differ";
  return ::testing::AssertionSuccess();
}
inline bool IstLeer(const Datensatz& d) { return d.vertices.empty() && d.indices.empty() && d.farbe.IstLeer() && d.normale.IstLeer(); }

// ---- the fixture pictures ----
// 0: 2 x 2 RGBA: red, green over blue, transparent. 1: 32 x 32 and 7: 16 x 64 RGB, one colour
// per pixel (R = x, G = y, B = 0x40 + index). 2, 3, 4, 6: 1 x 1 RGBA of 0x1FFFFFFF, 0x20000000,
// 0x20000001 and 0xFF000000. 5: missing.
constexpr uint32_t FEHLENDES_BILD = 5;
inline uint32_t EinzelFarbe(uint32_t index) {
  switch (index) {
    case 2: return 0x1FFFFFFFu;
    case 3: return 0x20000000u;
    case 4: return 0x20000001u;
    default: return 0xFF000000u;
  }
}
inline uint32_t EinzigartigeFarbe(uint32_t x, uint32_t y, uint32_t bild = 1) { return 0xFF000000u | x << 16 | y << 8 | (0x40u + bild); }

inline testbilder::Bytes RgbaPng(uint32_t breite, uint32_t hoehe, const std::vector<uint32_t>& argb) {
  testbilder::Bytes pixel;
  for (uint32_t p : argb) pixel.insert(pixel.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
  testbilder::PngOptionen o;
  o.breite = breite;
  o.hoehe = hoehe;
  o.farbtyp = 6;
  return testbilder::SchreibePng(o, pixel);
}
inline testbilder::Bytes RgbPng(uint32_t breite, uint32_t hoehe, const std::vector<uint32_t>& argb) {
  testbilder::Bytes pixel;
  for (uint32_t p : argb) pixel.insert(pixel.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
  testbilder::PngOptionen o;
  o.breite = breite;
  o.hoehe = hoehe;
  o.farbtyp = 2;
  return testbilder::SchreibePng(o, pixel);
}

// A temporary application directory with the fixture "Daten"; the picture cache is reset on
// entry and exit.
class MosaikDaten {
 public:
  MosaikDaten() : vorher(g_System.anwendungsVerzeichnis) {
    const std::filesystem::path daten = ordner.Pfad() / "Daten";
    std::filesystem::create_directories(daten);
    auto schreibe = [&](uint32_t i, const testbilder::Bytes& png) {
      char name[16];
      std::snprintf(name, sizeof name, "mosaik%02u.png", i);
      std::ofstream(daten / name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    };
    schreibe(0, RgbaPng(2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x00000000u}));
    auto einzigartig = [](uint32_t breite, uint32_t hoehe, uint32_t bild) {
      std::vector<uint32_t> pixel;
      for (uint32_t y = 0; y < hoehe; ++y)
        for (uint32_t x = 0; x < breite; ++x) pixel.push_back(EinzigartigeFarbe(x, y, bild));
      return RgbPng(breite, hoehe, pixel);
    };
    schreibe(1, einzigartig(32, 32, 1));
    schreibe(7, einzigartig(16, 64, 7));
    for (uint32_t i : {2u, 3u, 4u, 6u}) schreibe(i, RgbaPng(1, 1, {EinzelFarbe(i)}));
    g_System.anwendungsVerzeichnis = ordner.Pfad();
    Spiel::MosaikSammlung::Zuruecksetzen();
  }
  ~MosaikDaten() {
    Spiel::MosaikSammlung::Zuruecksetzen();
    g_System.anwendungsVerzeichnis = vorher;
  }
  MosaikDaten(const MosaikDaten&) = delete;
  MosaikDaten& operator=(const MosaikDaten&) = delete;

 private:
  EigenerOrdner ordner;
  std::filesystem::path vorher;
};

// The generator holding the requests, the pictures, and the builders called directly.
class Patchbau : public ::testing::Test {
 public:
  void SetUp() override { ASSERT_TRUE(bildschirm.Offen()); }

  void Fordere(uint32_t key, const Generator::FlaechenPatch& f) { aktiv->FordereAn(key, f); }
  void Fordere(uint32_t key, const Generator::PatchBeschreibung& b, V3 mitte, V3 halb) { aktiv->FordereAn(key, b, mitte, halb); }
  void ForderePlatte(uint32_t key, V3 p) { Fordere(key, Generator::DruckplattenPatch{p}, p, {0.6f, 0.2f, 0.6f}); }
  void FordereHebel(uint32_t key, const Generator::HebelPatch& h) { Fordere(key, h, h.position, {0.4f, 0.4f, 0.4f}); }
  void FordereKnopf(uint32_t key, const Generator::KnopfPatch& k) {
    const float r = std::isfinite(k.groesse) ? std::fabs(k.groesse) : 1.0f;
    Fordere(key, k, k.position, {2 * r, 2 * r, 2 * r});
  }
  void FordereMosaik(uint32_t key, const Generator::MosaikPatch& m) { Fordere(key, m, m.position, MosaikHalb(m)); }

  // The face builder on a requested face.
  Datensatz Flaeche(uint32_t key, uint32_t stufe, bool voll = false) {
    const std::optional<Generator::Anforderung> a = aktiv->LiesAnforderung(key);
    EXPECT_TRUE(a.has_value());
    if (!a) return {};
    return Intern::BaueFlaeche(*aktiv, key, stufe, a->generation, std::get<Generator::FlaechenPatch>(a->beschreibung), voll);
  }

  LogMitschnitt log;
  NullBildschirm bildschirm;
  Spiel::Szene::InstanzPool pool;
  Generator generator{pool, Generator::Erbauer{}};
  Generator* aktiv = &generator;  // where requests go and faces are built
  MosaikDaten daten;
};

}  // namespace patchbau
