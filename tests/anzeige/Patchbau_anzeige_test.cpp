// The patch builders' records on the OpenGL device under the virtual display: meshes uploaded with
// LadeModellHoch, images as textures, drawn point-sampled and orthographic by a small dialect
// program. A second pixel shader shows the decoded normal, turned by the world matrix, dotted with
// the direction to the camera. Cases: a mosaic wall seen from the front, a gate face-on, the faces
// lit from the camera, the tree inside its bounds; and a gallery of every kind, with the shipped
// pictures 00 and 04 on a wall, saved as patchbau_galerie.png in the build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "Baum.h"
#include "Generator.h"
#include "Modell.h"
#include "PatchErbauer.h"
#include "PatchbauHilfen.h"
#include "Ressourcen.h"
#include "SchirmBild.h"
#include "Szene.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_ShaderTools.h"
#include "Zarvo_Textur.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_VertexEingabe.h"

namespace {

using patchbau::Datensatz;
using patchbau::Generator;
using patchbau::V3;

constexpr char VS[] =
    "float4x4 gMatrix;\n"
    "$rein float3 vpos;\n"
    "$rein float2 vtex;\n"
    "$raus float4 fragPos;\n"
    "$raus float2 fragTex;\n"
    "$main() {\n"
    "  fragPos = mul(gMatrix, float4(vpos, 1));\n"
    "  fragTex = vtex;\n"
    "}\n";
constexpr char PS_FARBE[] =
    "DEF_SAMPLER_2D(Farbe);\n"
    "$rein float2 fragTex;\n"
    "$raus float4 ergFarbe;\n"
    "$main() {\n"
    "  ergFarbe = float4(SAMPLE_2D(Farbe, fragTex).rgb, 1);\n"
    "}\n";
// The lit shaders' inputs, and the normal map's normal turned into the world.
#define LICHT_EINGABEN           \
  "DEF_SAMPLER_2D(Normale);\n"  \
  "float4x4 gNormalWelt;\n"     \
  "float3 gLicht;\n"            \
  "$rein float2 fragTex;\n"     \
  "$raus float4 ergFarbe;\n"
#define NORMALE_IN_DER_WELT                                          \
  "  float3 n = SAMPLE_2D(Normale, fragTex).rgb * 2 - 1;\n"          \
  "  n = normalize(mul(gNormalWelt, float4(n, 0)).xyz);\n"
constexpr char PS_LICHT[] =
    LICHT_EINGABEN
    "$main() {\n" NORMALE_IN_DER_WELT
    "  float d = saturate(dot(n, gLicht));\n"
    "  ergFarbe = float4(d, d, d, 1);\n"
    "}\n";
constexpr char PS_GALERIE[] =
    "DEF_SAMPLER_2D(Farbe);\n" LICHT_EINGABEN
    "$main() {\n" NORMALE_IN_DER_WELT
    "  float licht = 0.35 + 0.65 * saturate(dot(n, gLicht));\n"
    "  ergFarbe = float4(SAMPLE_2D(Farbe, fragTex).rgb * licht, 1);\n"
    "}\n";
#undef NORMALE_IN_DER_WELT
#undef LICHT_EINGABEN

constexpr uint32_t FLOAT2 = 1, FLOAT3 = 2;
constexpr uint32_t HINTERGRUND = 0xFF00FF;  // magenta: no patch pixel has it

// a · b for row-major 4 x 4 matrices.
void Mal(const float a[16], const float b[16], float c[16]) {
  for (int z = 0; z < 4; ++z)
    for (int s = 0; s < 4; ++s) {
      float summe = 0;
      for (int k = 0; k < 4; ++k) summe += a[z * 4 + k] * b[k * 4 + s];
      c[z * 4 + s] = summe;
    }
}

// An orthographic view: looking along `blick` with `oben` up (right = oben × blick, as the game's
// left-handed world has it), `halbB` x `halbH` units around `mitte`, depth ±`tiefe`.
struct Ansicht {
  V3 mitte, blick, oben;
  float halbB, halbH, tiefe;

  V3 Rechts() const { return oben.Kreuz(blick); }
  void Matrix(float m[16]) const {
    const V3 r = Rechts();
    const float zeilen[16] = {r.x / halbB,       r.y / halbB,       r.z / halbB,       -r.Punkt(mitte) / halbB,
                              oben.x / halbH,    oben.y / halbH,    oben.z / halbH,    -oben.Punkt(mitte) / halbH,
                              blick.x / (2 * tiefe), blick.y / (2 * tiefe), blick.z / (2 * tiefe), 0.5f - blick.Punkt(mitte) / (2 * tiefe),
                              0,                 0,                 0,                 1};
    std::copy(zeilen, zeilen + 16, m);
  }
  // The pixel of a world point in a viewport at (x0, y0) of w x h.
  std::pair<float, float> Pixel(const V3& p, float x0, float y0, float w, float h) const {
    const V3 d = p - mitte;
    return {x0 + (d.Punkt(Rechts()) / halbB + 1) / 2 * w, y0 + (1 - d.Punkt(oben) / halbH) / 2 * h};
  }
};

struct Programm {
  Zarvo_ShaderPaar shader;
  uint32_t matrix = 0, normalWelt = 0, licht = 0, farbe = 0, normale = 0;
};

class PatchbauAnzeige : public anzeige::SchirmBild {
 protected:
  PatchbauAnzeige() : SchirmBild(960, 480) {}
  void SetUp() override {
    SchirmBild::SetUp();
    ASSERT_NE(kontext, nullptr);
    eingabe = kontext->ErzeugeVertexEingabe();
    eingabe->AddKanal(0, FLOAT3, 0, false);   // position
    eingabe->AddKanal(0, FLOAT2, 12, false);  // texture coordinates
    eingabe->Beenden();
    farbProgramm = Baue(PS_FARBE);
    lichtProgramm = Baue(PS_LICHT);
    galerieProgramm = Baue(PS_GALERIE);
    Zarvo_SamplerBeschr punkt{};
    punkt.adresse = 0x15;  // clamp, point filters
    sampler = kontext->ErzeugeSampler(punkt);
    tiefe = kontext->ErzeugeTiefeZustand({1, 1, 2});
    alpha = kontext->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(0, 1, 0));
    generator = std::make_unique<Generator>(pool, Generator::Erbauer{});
  }
  void TearDown() override {
    generator.reset();
    for (Programm* p : {&farbProgramm, &lichtProgramm, &galerieProgramm}) Zarvo_ShaderTools::GibFrei(*kontext, p->shader);
    for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{eingabe, sampler, tiefe, alpha}) kontext->GibFrei(o);
    SchirmBild::TearDown();
  }

  Programm Baue(const char* ps) {
    Programm p;
    p.shader = Zarvo_ShaderTools::ErzeugeProgrammAusText(*kontext, eingabe, VS, ps);
    EXPECT_NE(p.shader.programm, nullptr) << Zeilen();
    if (!p.shader.programm) return p;
    p.matrix = p.shader.programm->GibKonstante("gMatrix");
    p.normalWelt = p.shader.programm->GibKonstante("gNormalWelt");
    p.licht = p.shader.programm->GibKonstante("gLicht");
    p.farbe = p.shader.programm->GibSampler("Farbe");
    p.normale = p.shader.programm->GibSampler("Normale");
    return p;
  }

  // One record into the viewport (x0, y0, w, h) through the view.
  void Zeichne(const Datensatz& d, const Ansicht& a, const Programm& p, uint64_t x0, uint64_t y0, uint64_t w, uint64_t h,
               V3 licht = {0, 0, 0}) {
    ASSERT_FALSE(d.indices.empty());
    Spiel::Modell modell = Spiel::Ressourcen::LadeModellHoch(d.vertices, d.indices);
    Zarvo_Bild farbBild = d.farbe, normalBild = d.normale;
    Zarvo_TexturBasis* farbe = Zarvo_ErzeugeTexturAusBild(*kontext, farbBild);
    Zarvo_TexturBasis* normale = Zarvo_ErzeugeTexturAusBild(*kontext, normalBild);
    float ansicht[16], matrix[16], drehung[16];
    a.Matrix(ansicht);
    Mal(ansicht, d.transform, matrix);
    std::copy(d.transform, d.transform + 16, drehung);
    drehung[3] = drehung[7] = drehung[11] = 0;
    if (licht == V3()) licht = a.blick * -1.0f;
    kontext->SetRenderBereich(x0, y0, w, h);
    kontext->SetProgramm(p.shader.programm);
    kontext->SetProgrammKonstante(p.matrix, matrix);
    if (p.normalWelt) kontext->SetProgrammKonstante(p.normalWelt, drehung);
    if (p.licht) kontext->SetProgrammKonstante(p.licht, licht.x, licht.y, licht.z);
    if (p.farbe) kontext->SetTextur(p.farbe, sampler, farbe);
    if (p.normale) kontext->SetTextur(p.normale, sampler, normale);
    kontext->SetTiefeZustand(tiefe);
    kontext->SetAlphaZustand(alpha);
    kontext->SetRueckseite(0);
    kontext->SetVertexBuffer(0, modell.vertexBuffer, 0, sizeof(Spiel::WeltVertex));
    kontext->SetIndexBuffer(modell.indexBuffer);
    kontext->ZeichneIndexElemente(0, uint32_t(d.indices.size() / 3));
    kontext->SetVertexBuffer(0, nullptr, 0, 0);
    kontext->SetIndexBuffer(nullptr);
    if (p.farbe) kontext->SetTextur(p.farbe, nullptr, nullptr);
    if (p.normale) kontext->SetTextur(p.normale, nullptr, nullptr);
    kontext->GibFrei(farbe);
    kontext->GibFrei(normale);
  }
  void LeereAlles() {
    kontext->SetRenderBereich(0, 0, B, H);
    Leere(1, 0, 1);
  }

  void Fordere(uint32_t key, const Generator::FlaechenPatch& f) { generator->FordereAn(key, f); }
  void Fordere(uint32_t key, const Generator::MosaikPatch& m) { generator->FordereAn(key, m, m.position, patchbau::MosaikHalb(m)); }
  Datensatz Flaeche(uint32_t key, const Generator::FlaechenPatch& f, uint32_t stufe) {
    return Spiel::PatchErbauer::Flaeche(*generator, key, stufe, 1, f);
  }
  static bool IstGrau(uint32_t p) { return Kanal(p, 0) == Kanal(p, 8) && Kanal(p, 8) == Kanal(p, 16); }

  Zarvo_VertexEingabe* eingabe = nullptr;
  Programm farbProgramm, lichtProgramm, galerieProgramm;
  Zarvo_Sampler* sampler = nullptr;
  Zarvo_TiefeZustand* tiefe = nullptr;
  Zarvo_AlphaZustand* alpha = nullptr;
  Spiel::Szene::InstanzPool pool;
  std::unique_ptr<Generator> generator;
};

// The −X face of cell (1, 1, 1) with the 2 x 2 fixture over it, seen along −richtung with up
// achse1: red at the top left, green top right, blue bottom left, the wall where it is clear.
TEST_F(PatchbauAnzeige, MosaikVonVorn) {
  patchbau::MosaikDaten daten;
  const Generator::FlaechenPatch wand = patchbau::BlockFlaeche(0, 1, 1, 1);
  const uint32_t key = patchbau::FlaechenKey(0, 1, 1, 1);
  Fordere(key, wand);
  const Generator::MosaikPatch m = patchbau::Mosaik({2, 3, 3}, {-1, 0, 0}, {0, 1, 0}, 2, 2, 0);
  Fordere(patchbau::OBJEKT, m);
  const Datensatz d = Flaeche(key, wand, 4);
  LeereAlles();
  const Ansicht a{{2, 3, 3}, m.richtung * -1.0f, m.achse1, 1.2f, 1.2f, 4};
  Zeichne(d, a, farbProgramm, 0, 0, 480, 480);
  const Zarvo_Bild schirm = Bildschirm("patchbau_mosaik_von_vorn");
  const struct Fall {
    V3 punkt;
    uint32_t farbe;
  } faelle[] = {{{2, 3.5f, 3.5f}, 0xFF0000}, {{2, 3.5f, 2.5f}, 0x00FF00}, {{2, 2.5f, 3.5f}, 0x0000FF}, {{2, 2.5f, 2.5f}, 0x88AA88}};
  for (const Fall& f : faelle) {
    const auto [px, py] = a.Pixel(f.punkt, 0, 0, 480, 480);
    int treffer = 0, fugen = 0;
    for (int dy = -15; dy <= 15; ++dy)
      for (int dx = -15; dx <= 15; ++dx) {
        const uint32_t p = Pixel(schirm, int64_t(px) + dx, int64_t(py) + dy);
        treffer += p == f.farbe;
        fugen += p == 0x888888;
      }
    EXPECT_GT(treffer, 31 * 31 / 2) << std::hex << f.farbe;
    EXPECT_EQ(treffer + fugen, 31 * 31) << std::hex << f.farbe;
  }
}

// A gate face-on: along the middle row, eight runs of greys 51..77 with the clear colour between.
TEST_F(PatchbauAnzeige, GitterVonVorn) {
  const Generator::GitterPatch g{{0, 0, 0}, {0, 0, 1}, {0, 1, 0}};
  const Datensatz d = Spiel::PatchErbauer::Gitter(*generator, patchbau::OBJEKT, 3, 1, g);
  LeereAlles();
  const Ansicht a{{0, 0, 0}, {0, 0, -1}, {0, 1, 0}, 1.2f, 1.2f, 4};
  Zeichne(d, a, farbProgramm, 0, 0, 480, 480);
  const Zarvo_Bild schirm = Bildschirm("patchbau_gitter_von_vorn");
  for (int64_t y : {120, 240, 300}) {
    int laeufe = 0;
    bool imStab = false;
    for (int64_t x = 0; x < 480; ++x) {
      const uint32_t p = Pixel(schirm, x, y);
      const bool stab = p != HINTERGRUND;
      if (stab) {
        ASSERT_TRUE(IstGrau(p)) << std::hex << p << std::dec << " at " << x << ", " << y;
        ASSERT_GE(Kanal(p, 0), 51) << x;
        ASSERT_LE(Kanal(p, 0), 77) << x;
      }
      laeufe += stab && !imStab;
      imStab = stab;
    }
    EXPECT_EQ(laeufe, 8) << y;
  }
}

// Lit from the camera, the visible pixels of a face, a button, a gate and a lever are mostly
// brighter than 0.5: their normal maps point out of them.
TEST_F(PatchbauAnzeige, VonDerKameraBeleuchtet) {
  const Generator::FlaechenPatch oben = patchbau::BlockFlaeche(5, 3, 1, 5);
  Fordere(1, oben);
  const Generator::HebelPatch hebel = patchbau::Hebel({0, 0, 0}, {0, 1, 0}, {1, 0, 0});
  const V3 f = hebel.d0.Kreuz(hebel.e1);
  const struct Fall {
    const char* name;
    Datensatz d;
    Ansicht a;
  } faelle[] = {
      {"Flaeche", Flaeche(1, oben, 3), {{7, 4, 11}, {0, -1, 0}, {0, 0, 1}, 1.2f, 1.2f, 4}},
      {"Knopf", Spiel::PatchErbauer::Knopf(*generator, 2, 4, 1, {{0, 0, 0}, {0, 0, 1}, 0.5f}), {{0, 0, 0}, {0, 0, -1}, {0, 1, 0}, 0.6f, 0.6f, 4}},
      {"Gitter", Spiel::PatchErbauer::Gitter(*generator, 3, 3, 1, {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}}), {{0, 0, 0}, {0, 0, -1}, {0, 1, 0}, 1.2f, 1.2f, 4}},
      {"Hebel", Spiel::PatchErbauer::Hebel(*generator, 4, 4, 1, hebel), {{0.06f, 0.08f, 0}, f, {0, 1, 0}, 0.14f, 0.14f, 4}},
  };
  LeereAlles();
  for (size_t i = 0; i < 4; ++i) Zeichne(faelle[i].d, faelle[i].a, lichtProgramm, 160 * i, 0, 160, 160);
  const Zarvo_Bild schirm = Bildschirm("patchbau_beleuchtet");
  for (size_t i = 0; i < 4; ++i) {
    int sichtbar = 0, hell = 0;
    for (int64_t y = 0; y < 160; ++y)
      for (int64_t x = 0; x < 160; ++x) {
        const uint32_t p = Pixel(schirm, int64_t(160 * i) + x, y);
        if (p == HINTERGRUND) continue;
        ++sichtbar;
        hell += Kanal(p, 0) > 127;
      }
    EXPECT_GT(sichtbar, 300) << faelle[i].name;
    EXPECT_GT(hell, sichtbar * 4 / 5) << faelle[i].name << ": " << hell << " of " << sichtbar;
  }
}

// The seed-7 tree draws only inside the box the scene requests it with (foot + (5, 8, 5), half
// extents (10, 16, 10)), seen from two sides.
TEST_F(PatchbauAnzeige, BaumInnerhalbSeinerGrenzen) {
  const V3 fuss(3, 2, 1);
  const Datensatz d = Spiel::BaumErzeuger::Erzeuge(*generator, patchbau::OBJEKT, 1, 1, {fuss, 0, 0, 0, 0, 7});
  const V3 mitte = fuss + V3(5, 8, 5), halb(10, 16, 10);
  const Ansicht seiten[2] = {{mitte, {0, 0, 1}, {0, 1, 0}, 20, 20, 40}, {mitte, {1, 0, 0}, {0, 1, 0}, 20, 20, 40}};
  LeereAlles();
  for (int s = 0; s < 2; ++s) Zeichne(d, seiten[s], farbProgramm, 320 * uint64_t(s), 0, 320, 320);
  const Zarvo_Bild schirm = Bildschirm("patchbau_baum");
  for (int s = 0; s < 2; ++s) {
    const float x0 = 320.0f * float(s);
    const auto [links, oben] = seiten[s].Pixel(mitte - seiten[s].Rechts() * halb.Punkt({1, 0, 0}) + V3(0, halb.y, 0), x0, 0, 320, 320);
    const auto [rechts, unten] = seiten[s].Pixel(mitte + seiten[s].Rechts() * halb.Punkt({1, 0, 0}) - V3(0, halb.y, 0), x0, 0, 320, 320);
    int innen = 0;
    for (int64_t y = 0; y < 320; ++y)
      for (int64_t x = 0; x < 320; ++x) {
        if (Pixel(schirm, int64_t(x0) + x, y) == HINTERGRUND) continue;
        const float px = x0 + float(x) + 0.5f, py = float(y) + 0.5f;
        ASSERT_TRUE(px >= std::min(links, rechts) - 1 && px <= std::max(links, rechts) + 1 && py >= oben - 1 && py <= unten + 1)
            << s << ": " << x << ", " << y;
        ++innen;
      }
    EXPECT_GT(innen, 200) << s;
  }
}

// Every kind on one small stage, lit from the upper left: a wall with the shipped pictures 00 and
// 04, a lever and a button on it, a floor with a pressure plate, a gate and the seed-7 tree; beside
// it the lever close up and the wall from the front.
TEST_F(PatchbauAnzeige, Galerie) {
  const std::filesystem::path vorher = g_System.anwendungsVerzeichnis;
  g_System.anwendungsVerzeichnis = MORVELUNT_BAU_ORDNER;
  Spiel::MosaikSammlung::Zuruecksetzen();
  std::vector<std::pair<uint32_t, Generator::FlaechenPatch>> flaechen;
  for (uint32_t y = 1; y <= 2; ++y)
    for (uint32_t z = 1; z <= 4; ++z) flaechen.push_back({patchbau::FlaechenKey(0, 1, y, z), patchbau::BlockFlaeche(0, 1, float(y), float(z), {1, 1, 1, 1}, 1)});
  for (uint32_t x = 0; x <= 2; ++x)
    for (uint32_t z = 1; z <= 4; ++z) flaechen.push_back({patchbau::FlaechenKey(5, x, 0, z), patchbau::BlockFlaeche(5, float(x) - 2, 0, float(z))});
  for (const auto& [key, f] : flaechen) Fordere(key, f);
  uint32_t objekt = patchbau::OBJEKT;
  Fordere(++objekt, patchbau::Mosaik({2, 4.2f, 3.8f}, {-1, 0, 0}, {0, 1, 0}, 1.6f, 1.6f, 0));
  Fordere(++objekt, patchbau::Mosaik({2, 4.2f, 7.4f}, {-1, 0, 0}, {0, 1, 0}, 2.4f, 1.2f, 4));
  const Generator::HebelPatch hebel = patchbau::Hebel({2, 2.9f, 5.6f}, {-1, 0, 0}, {0, 1, 0});
  const Generator::KnopfPatch knopf{{2, 5.3f, 5.6f}, {-1, 0, 0}, 0.25f};
  const V3 platte(-1, 2, 6);
  generator->FordereAn(++objekt, hebel, hebel.position, {0.4f, 0.4f, 0.4f});
  generator->FordereAn(++objekt, knopf, knopf.position, {0.5f, 0.5f, 0.5f});
  generator->FordereAn(++objekt, Generator::DruckplattenPatch{platte}, platte, {0.6f, 0.2f, 0.6f});

  std::vector<Datensatz> teile;
  for (const auto& [key, f] : flaechen) teile.push_back(Flaeche(key, f, 3));
  teile.push_back(Spiel::PatchErbauer::Hebel(*generator, objekt, 4, 1, hebel));
  teile.push_back(Spiel::PatchErbauer::Knopf(*generator, objekt, 4, 1, knopf));
  teile.push_back(Spiel::PatchErbauer::Gitter(*generator, objekt, 3, 1, {{-1, 3, 1}, {1, 0, 0}, {0, 1, 0}}));
  teile.push_back(Spiel::BaumErzeuger::Erzeuge(*generator, objekt, 1, 1, {{-2, 2, 13}, 0, 0, 0, 0, 7}));  // behind the wall's end

  // Looking down from −X, −Z; the view fitted around everything at 4:3.
  const V3 blick = V3(1, -0.55f, 0.5f).Normalisiert(), oben = (V3(0, 1, 0) - blick * blick.y).Normalisiert();
  Ansicht a{{0, 0, 0}, blick, oben, 1, 1, 40};
  float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
  for (const Datensatz& d : teile)
    for (const Spiel::WeltVertex& v : d.vertices) {
      const float* t = d.transform;
      const V3 p(t[0] * v.x + t[1] * v.y + t[2] * v.z + t[3], t[4] * v.x + t[5] * v.y + t[6] * v.z + t[7],
                 t[8] * v.x + t[9] * v.y + t[10] * v.z + t[11]);
      const float k[3] = {p.Punkt(a.Rechts()), p.Punkt(oben), p.Punkt(blick)};
      for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], k[i]), hi[i] = std::max(hi[i], k[i]);
    }
  a.mitte = a.Rechts() * ((lo[0] + hi[0]) / 2) + oben * ((lo[1] + hi[1]) / 2) + blick * ((lo[2] + hi[2]) / 2);
  a.halbB = std::max(hi[0] - lo[0], (hi[1] - lo[1]) * 4 / 3) / 2 * 1.04f;
  a.halbH = a.halbB * 3 / 4;
  const V3 licht = V3(-0.5f, 1, -0.7f).Normalisiert();
  // Beside it, the lever from near by (its handle is 0.2 long), and the wall from the front.
  const V3 nahBlick = V3(0.4f, -0.25f, 1).Normalisiert();
  const Ansicht nah{{1.93f, 2.97f, 5.6f}, nahBlick, (V3(0, 1, 0) - nahBlick * nahBlick.y).Normalisiert(), 0.3f, 0.225f, 40};
  const Ansicht vorn{{2, 4, 6}, {1, 0, 0}, {0, 1, 0}, 4.4f, 3.3f, 40};
  LeereAlles();
  for (const Datensatz& d : teile) {
    Zeichne(d, a, galerieProgramm, 0, 0, 640, 480, licht);
    Zeichne(d, nah, galerieProgramm, 640, 0, 320, 240, licht);
    Zeichne(d, vorn, galerieProgramm, 640, 240, 320, 240, licht);
  }
  const Zarvo_Bild schirm = Bildschirm("patchbau_galerie");
  schirm.SpeicherePNG(std::filesystem::path(MORVELUNT_BAU_ORDNER) / "patchbau_galerie.png", 0);
  // Unmirrored: from the front, the arrow's red square is at its upper left, left of its tip.
  auto rote = [&](V3 punkt) {
    const auto [x, y] = vorn.Pixel(punkt, 640, 240, 320, 240);
    int n = 0;
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        const uint32_t p = Pixel(schirm, int64_t(x) + dx, int64_t(y) + dy);
        n += Kanal(p, 16) > 2 * Kanal(p, 8) && Kanal(p, 16) > 2 * Kanal(p, 0);
      }
    return n;
  };
  EXPECT_GT(rote({2, 4.62f, 8.42f}), 12) << "the red square, top left of picture 04";
  EXPECT_EQ(rote({2, 4.62f, 6.38f}), 0) << "where a mirrored picture had it";
  const auto [rx, ry] = vorn.Pixel({2, 4.62f, 8.42f}, 640, 240, 320, 240);
  const auto [sx, sy] = vorn.Pixel({2, 4.2f, 6.35f}, 640, 240, 320, 240);
  EXPECT_LT(rx, sx);
  EXPECT_LT(ry, sy);
  size_t anders = 0;
  for (int64_t y = 0; y < 480; ++y)
    for (int64_t x = 0; x < 640; ++x) anders += Pixel(schirm, x, y) != HINTERGRUND;
  EXPECT_GT(anders, size_t(640) * 480 / 4);
  Spiel::MosaikSammlung::Zuruecksetzen();
  g_System.anwendungsVerzeichnis = vorher;
}

}  // namespace
