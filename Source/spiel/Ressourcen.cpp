#include "Ressourcen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>

#include "TBereich.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_FontGenerator.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

namespace Spiel {

namespace {

using Modelle = std::map<std::string, ModellEintrag>;

// The loaded resources. Plain pointers on purpose: nothing frees them after main (the drawing
// context is gone by then); Freigeben does.
struct Bestand {
  Zarvo_SpriteAtlas* atlas = nullptr;
  Zarvo_Font3D* schrift = nullptr;
  Modelle* modelle = nullptr;
};
Bestand g_bestand;

// One game atlas entry: the rectangle of its source image.
struct AtlasEintrag {
  uint64_t index, x, y, breite, hoehe;
};
constexpr AtlasEintrag GRAFIK_EINTRAEGE[] = {
    {0, 16, 0, 16, 16},  // plain patch (label boxes, tinted)
    {1, 0, 0, 15, 15},
};
constexpr AtlasEintrag GUI_EINTRAEGE[] = {
    {2, 0, 0, 64, 64},      {3, 64, 0, 64, 64},     {4, 128, 0, 64, 64},    // buttons Q, W, E
    {5, 0, 64, 64, 64},     {6, 64, 64, 64, 64},    {7, 128, 64, 64, 64},   // buttons A, S, D
    {8, 0, 128, 64, 64},    {9, 64, 128, 64, 64},   {10, 128, 128, 64, 64}, // cursors: turn left, forward, turn right
    {11, 0, 192, 64, 64},   {12, 64, 192, 64, 64},  {13, 128, 192, 64, 64}, // 12: cursor back
    {14, 192, 128, 64, 64},                                                 // cursor: plain pointer
    {50, 192, 0, 64, 64},   {51, 256, 0, 64, 64},   {52, 256, 64, 64, 64},  // inventory slot, item icons 0 and 1
};

// Loads an image that must hold at least breite x hoehe pixels.
void LadeBild(const std::filesystem::path& pfad, uint64_t breite, uint64_t hoehe, Zarvo_Bild& bild) {
  if (!bild.LadeBildAusDatei(pfad)) ZARVO_AUSNAHME("Failed to load image \"" + pfad.string() + "\"");
  if (bild.Breite() < breite || bild.Hoehe() < hoehe)
    ZARVO_AUSNAHME("Image \"" + pfad.string() + "\" is smaller than " + std::to_string(breite) + "x" + std::to_string(hoehe));
}

template <size_t N>
void KopiereEintraege(Zarvo_SpriteAtlas& atlas, Zarvo_Bild& bild, const AtlasEintrag (&eintraege)[N]) {
  TBereich bereich;
  bild.LockBereich(bereich);
  for (const AtlasEintrag& e : eintraege) atlas.KopiereEintrag(e.index, bereich, e.x, e.y, e.breite, e.hoehe);
}

// Centre = mean of the positions (summed in double), half extent = largest distance per axis.
void BerechneGrenzen(std::span<const WeltVertex> vertices, Modell& modell) {
  if (vertices.empty()) return;
  double summe[3] = {};
  for (const WeltVertex& v : vertices) {
    summe[0] += v.x;
    summe[1] += v.y;
    summe[2] += v.z;
  }
  for (int a = 0; a < 3; ++a) modell.mitte[a] = float(summe[a] / double(vertices.size()));
  for (const WeltVertex& v : vertices) {
    const float p[3] = {v.x, v.y, v.z};
    for (int a = 0; a < 3; ++a) modell.halbeAusdehnung[a] = std::max(modell.halbeAusdehnung[a], std::fabs(p[a] - modell.mitte[a]));
  }
}


// The stone block: a 7 x 7 vertex grid on each face of a box, pushed out onto an ellipsoid with
// a flat bottom and roughened by a noise of the position alone (so shared edges stay closed).
struct Vektor {
  float x, y, z;
};
Vektor operator+(Vektor a, Vektor b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vektor operator-(Vektor a, Vektor b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vektor operator*(float s, Vektor v) { return {s * v.x, s * v.y, s * v.z}; }
Vektor Kreuz(Vektor a, Vektor b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct SteinFlaeche {
  Vektor n, a, b;  // outward normal, grid directions along i and j
};
constexpr SteinFlaeche STEIN_FLAECHEN[6] = {
    {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
    {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
};
constexpr int STEIN_RASTER = 7;
constexpr float STEIN_SCHRITT = 0.16666667f;
constexpr float STEIN_BREITE = 0.2f, STEIN_HOEHE = 0.15f, STEIN_BODEN = -0.1f;

// x and z directions get the half width, y directions the half height.
Vektor AufHalbeAusdehnung(Vektor d) { return std::fabs(STEIN_BREITE * (d.x + d.z) + STEIN_HOEHE * d.y) * d; }

float Bruchteil(float v) { return v - std::floor(v); }

Vektor FormeStein(Vektor p) {
  const float r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
  const Vektor q{STEIN_BREITE * p.x / r, std::max(STEIN_HOEHE * p.y / r, STEIN_BODEN), STEIN_BREITE * p.z / r};
  const float x = q.x * q.x * 529, y = q.y * q.y * 529, z = q.z * q.z * 529;
  const float h1 = (x * 17.4827404f - y * 16.4147491f) + z * 19.5303555f;
  const float h2 = (y * 23.4472904f - x * 22.4636497f) + z * 21.4927559f;
  const float h3 = (x * 19.4592304f + y * 18.4726391f) - z * 20.4294758f;
  return {q.x + Bruchteil(h1) * 0.02f, q.y + Bruchteil(h2) * 0.02f, q.z + Bruchteil(h3) * 0.02f};
}

void BaueKasten(std::vector<WeltVertex>& vertices, std::vector<uint32_t>& indizes) {
  for (uint32_t f = 0; f < 6; ++f) {
    const Vektor n = AufHalbeAusdehnung(STEIN_FLAECHEN[f].n), a = AufHalbeAusdehnung(STEIN_FLAECHEN[f].a),
                 b = AufHalbeAusdehnung(STEIN_FLAECHEN[f].b);
    const uint32_t erster = uint32_t(vertices.size());
    for (int j = 0; j < STEIN_RASTER; ++j)
      for (int i = 0; i < STEIN_RASTER; ++i) {
        const float s = 2 * (float(i) * STEIN_SCHRITT) - 1, t = 2 * (float(j) * STEIN_SCHRITT) - 1;
        const Vektor p = (s * a + n) + t * b;
        vertices.push_back({p.x, p.y, p.z, (float(i) * STEIN_SCHRITT + float(f % 3)) * 0.328125f,
                            (float(j) * STEIN_SCHRITT + float(f / 3)) * 0.5f, 0});
      }
    for (uint32_t j = 0; j + 1 < STEIN_RASTER; ++j)
      for (uint32_t i = 0; i + 1 < STEIN_RASTER; ++i) {
        const uint32_t k = erster + STEIN_RASTER * j + i;
        indizes.insert(indizes.end(), {k, k + 1, k + STEIN_RASTER, k + 1, k + STEIN_RASTER + 1, k + STEIN_RASTER});
      }
  }
}

void SetzePixel(Zarvo_Bild& bild, uint64_t x, uint64_t y, uint32_t wert) {
  std::memcpy(bild.Pixel() + y * bild.Zeilenbytes() + 4 * x, &wert, 4);
}

// Grey noise, one call of `zufall` per pixel, rows outer.
void FaerbeStein(Zarvo_Bild& bild, int (*zufall)()) {
  for (uint64_t y = 0; y < bild.Hoehe(); ++y)
    for (uint64_t x = 0; x < bild.Breite(); ++x) {
      const uint32_t g = uint32_t(float(zufall()) * 0.0009765923f);
      SetzePixel(bild, x, y, 0x40777777u + g * 0x010101u);
    }
}

uint32_t PackeNormale(Vektor n) {
  const float laenge = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  n = (1 / laenge) * n;
  auto kanal = [](float k) { return uint32_t(int32_t(k * 127.99f + 127)); };
  return 0xFF000000u + kanal(n.x) * 0x10000u + kanal(n.y) * 0x100u + kanal(n.z);
}

// Every texel whose centre lies in the triangle's texture footprint (with a small margin) gets
// the triangle's normal; later triangles overwrite earlier ones.
void ZeichneNormale(Zarvo_Bild& bild, const WeltVertex& e0, const WeltVertex& e1, const WeltVertex& e2) {
  const uint32_t normale = PackeNormale(Kreuz(Vektor{e1.x, e1.y, e1.z} - Vektor{e0.x, e0.y, e0.z},
                                              Vektor{e2.x, e2.y, e2.z} - Vektor{e0.x, e0.y, e0.z}));
  const float kante = float(bild.Breite());
  const uint64_t spalte0 = uint64_t(std::min({e0.u, e1.u, e2.u}) * kante);
  const uint64_t spalte1 = uint64_t(std::max({e0.u, e1.u, e2.u}) * kante + 0.999f);
  const uint64_t zeile0 = uint64_t(std::min({e0.v, e1.v, e2.v}) * kante);
  const uint64_t zeile1 = uint64_t(std::max({e0.v, e1.v, e2.v}) * kante + 0.999f);
  const float d = (e1.u - e0.u) * (e2.v - e0.v) - (e2.u - e0.u) * (e1.v - e0.v);
  for (uint64_t zeile = zeile0; zeile < std::min<uint64_t>(zeile1, bild.Hoehe()); ++zeile)
    for (uint64_t spalte = spalte0; spalte < std::min<uint64_t>(spalte1, bild.Breite()); ++spalte) {
      const float pu = (float(spalte) + 0.5f) * 0.015625f, pv = (float(zeile) + 0.5f) * 0.015625f;
      const float a = ((pu - e0.u) * (e2.v - e0.v) - (pv - e0.v) * (e2.u - e0.u)) / d;
      const float b = ((e1.u - e0.u) * (pv - e0.v) - (e1.v - e0.v) * (pu - e0.u)) / d;
      if (a > -0.01f && b > -0.01f && a + b < 1.02f) SetzePixel(bild, spalte, zeile, normale);
    }
}

}  // namespace

Modell Ressourcen::LadeModellHoch(std::span<const WeltVertex> vertices, std::span<const uint32_t> indizes) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  Zarvo_VertexBuffer* vb = nullptr;
  Zarvo_IndexBuffer* ib = nullptr;
  // A zero size is no buffer: an empty mesh has nothing to draw.
  if (kontext && !vertices.empty() && !indizes.empty()) {
    vb = kontext->ErzeugeVertexBuffer(vertices.size_bytes(), 0,
                                      {const_cast<WeltVertex*>(vertices.data()), vertices.size_bytes(), 0});
    ib = kontext->ErzeugeIndexBuffer(0, uint32_t(Zarvo_IndexBuffer::INDEX32),
                                     {const_cast<uint32_t*>(indizes.data()), indizes.size_bytes(), 0});
  }
  Modell modell(kontext, vb, ib);
  BerechneGrenzen(vertices, modell);
  return modell;
}

}  // namespace Spiel

namespace Spiel {

ModellEintrag::ModellEintrag(Modell modell_, Zarvo_TexturBasis* farbe_, Zarvo_TexturBasis* normale_)
    : modell(std::move(modell_)), farbe(farbe_), normale(normale_), kontext(Zarvo_Screen3D::GibZeichenKontext()) {}

ModellEintrag::~ModellEintrag() { GibTexturenFrei(); }

ModellEintrag::ModellEintrag(ModellEintrag&& anderer) noexcept { *this = std::move(anderer); }

ModellEintrag& ModellEintrag::operator=(ModellEintrag&& anderer) noexcept {
  if (this == &anderer) return *this;
  GibTexturenFrei();
  modell = std::move(anderer.modell);
  farbe = std::exchange(anderer.farbe, nullptr);
  normale = std::exchange(anderer.normale, nullptr);
  kontext = std::exchange(anderer.kontext, nullptr);
  return *this;
}

void ModellEintrag::GibTexturenFrei() {
  if (kontext) {
    kontext->GibFrei(farbe);
    kontext->GibFrei(normale);
  }
  farbe = normale = nullptr;
}

Gitter Ressourcen::SteinKasten() {
  Gitter kasten;
  BaueKasten(kasten.vertices, kasten.indizes);
  return kasten;
}

SteinDaten Ressourcen::BaueStein(int (*zufall)()) {
  SteinDaten stein;
  Gitter kasten = SteinKasten();
  for (WeltVertex& v : kasten.vertices) {
    const Vektor p = FormeStein({v.x, v.y, v.z});
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
  }
  stein.vertices = std::move(kasten.vertices);
  stein.indizes = std::move(kasten.indizes);
  stein.farbe = Zarvo_Bild(STEIN_KANTE, STEIN_KANTE, PXFMT_A8R8G8B8, 0);
  FaerbeStein(stein.farbe, zufall);
  stein.normale = Zarvo_Bild(STEIN_KANTE, STEIN_KANTE, PXFMT_A8R8G8B8, 0);
  for (size_t k = 0; k + 2 < stein.indizes.size(); k += 3)
    ZeichneNormale(stein.normale, stein.vertices[stein.indizes[k]], stein.vertices[stein.indizes[k + 1]],
                   stein.vertices[stein.indizes[k + 2]]);
  stein.farbe.BerechneMipMaps();
  stein.normale.BerechneMipMaps();
  return stein;
}

ModellEintrag Ressourcen::ErzeugeSteinModell() {
  SteinDaten stein = BaueStein();
  ModellEintrag eintrag(LadeModellHoch(stein.vertices, stein.indizes), nullptr, nullptr);
  if (Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext()) {
    eintrag.farbe = Zarvo_ErzeugeTexturAusBild(*kontext, stein.farbe);
    eintrag.normale = Zarvo_ErzeugeTexturAusBild(*kontext, stein.normale);
  }
  return eintrag;
}

void Ressourcen::Lade() {
  const std::filesystem::path daten = g_System.anwendungsVerzeichnis / "Daten";
  auto atlas = std::make_unique<Zarvo_SpriteAtlas>(ATLAS_KANTE, ATLAS_SPRITES, 0);
  Zarvo_Bild bild;
  LadeBild(daten / "grafik.png", 32, 16, bild);
  KopiereEintraege(*atlas, bild, GRAFIK_EINTRAEGE);
  LadeBild(daten / "GuiGrafik.png", 320, 256, bild);
  KopiereEintraege(*atlas, bild, GUI_EINTRAEGE);
  atlas->ErzeugeTextur();
  std::unique_ptr<Zarvo_Font3D> schrift = Zarvo_FontGenerator::ErzeugeSchriftart(daten / "calibrib.ttf", SCHRIFTGROESSE);
  auto modelle = std::make_unique<Modelle>();
  modelle->emplace("Stein", ErzeugeSteinModell());
  Freigeben();
  g_bestand = {atlas.release(), schrift.release(), modelle.release()};
}

void Ressourcen::Freigeben() {
  delete std::exchange(g_bestand.modelle, nullptr);
  delete std::exchange(g_bestand.schrift, nullptr);
  delete std::exchange(g_bestand.atlas, nullptr);
}

Zarvo_SpriteAtlas* Ressourcen::Atlas() { return g_bestand.atlas; }

Zarvo_Font3D* Ressourcen::Schrift() { return g_bestand.schrift; }

const ModellEintrag* Ressourcen::GibModell(const std::string& name) {
  if (!g_bestand.modelle) return nullptr;
  const auto eintrag = g_bestand.modelle->find(name);
  return eintrag == g_bestand.modelle->end() ? nullptr : &eintrag->second;
}

}  // namespace Spiel
