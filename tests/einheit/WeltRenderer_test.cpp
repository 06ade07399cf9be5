// The world renderer headless: its arithmetic as tables, and whole frames on the recording device
// with the shipped shaders, a scene of two small instances (and one without a mesh) and two
// lights. The observer keeps what the device had in force at every draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "EigenerOrdner.h"
#include "LogMitschnitt.h"
#include "NullBildschirm.h"
#include "Partikel.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Ressourcen.h"
#include "Szene.h"
#include "WeltRenderer.h"
#include "WeltRendererMathe.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Bild.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZBuffer.h"

namespace {

using Spiel::Szene;
using Spiel::WeltRenderer;
using V3 = BVektor3<float>;
namespace mathe = Spiel::WeltRendererMathe;

const V3 LICHT_RICHTUNG{-0.5200625f, -0.5620834f, 0.6431152f};

// A view from `auge` looking along `blick` (unit) with y up: rows right, up, forward.
BMatrix Sicht(V3 auge, V3 blick) {
  const V3 oben{0, 1, 0};
  const V3 rechts = oben.Kreuz(blick).Normalisiert();
  const V3 hoch = blick.Kreuz(rechts);
  return BMatrix::AusZeilen({rechts.x, rechts.y, rechts.z, -rechts.Punkt(auge),  //
                             hoch.x, hoch.y, hoch.z, -hoch.Punkt(auge),          //
                             blick.x, blick.y, blick.z, -blick.Punkt(auge),      //
                             0, 0, 0, 1});
}

void ErwarteNahe(V3 ist, V3 soll, float toleranz, const std::string& was) {
  EXPECT_NEAR(ist.x, soll.x, toleranz) << was;
  EXPECT_NEAR(ist.y, soll.y, toleranz) << was;
  EXPECT_NEAR(ist.z, soll.z, toleranz) << was;
}

// ---- arithmetic ----

TEST(WeltRendererMathe, LichtRichtungHaengtNichtVonDerSichtAb) {
  const struct Fall {
    const char* name;
    BMatrix sicht;
  } faelle[] = {
      {"identity", BMatrix::Einheit()},
      {"turned", Sicht({0, 0, 0}, V3{1, -0.3f, 0.4f}.Normalisiert())},
      {"moved", Sicht({10, 3.5f, -7}, {0, 0, 1})},
  };
  for (const Fall& f : faelle) ErwarteNahe(mathe::BerechneLicht(f.sicht).richtung, LICHT_RICHTUNG, 1e-6f, f.name);
}

// Before the snap: the centre to the middle of the depth range, 50 units towards and away from
// the sun to depth 0 and 1, 40 units along the light's x axis to the square's edge.
TEST(WeltRendererMathe, LichtAnsichtVorDemRaster) {
  const V3 s{10.3f, 5.06f, 36.2f};
  const BMatrix l = mathe::LichtAnsicht(s);
  const BMatrix t = mathe::LichtSkalierung() * l;
  const V3 xAchse{l(0, 0), l(0, 1), l(0, 2)};
  const struct Fall {
    const char* name;
    V3 punkt, bild;
  } faelle[] = {
      {"centre", s, {0, 0, 0.5f}},
      {"towards the sun", s - LICHT_RICHTUNG * 50.0f, {0, 0, 0}},
      {"away from the sun", s + LICHT_RICHTUNG * 50.0f, {0, 0, 1}},
      {"edge", s + xAchse * 40.0f, {1, 0, 0.5f}},
  };
  for (const Fall& f : faelle) ErwarteNahe(t.TransformierePunkt(f.punkt), f.bild, 2e-5f, f.name);
}

// The snapped transform still puts the point 38.4 units ahead within half a step of 1/80.
TEST(WeltRendererMathe, LichtTransformZentriertVorDerKamera) {
  const V3 auge{10.3f, 5.06f, -2.2f}, blick = V3{0.3f, -0.1f, 1}.Normalisiert();
  const BMatrix t = mathe::BerechneLicht(Sicht(auge, blick)).transform;
  ErwarteNahe(t.TransformierePunkt(auge + blick * 38.4f), {0, 0, 0.5f}, 0.025f * 0.0063f + 1e-5f, "centre");
}

TEST(WeltRendererMathe, RasterAufAchtzigstel) {
  const struct Fall {
    float v, erwartet;
  } faelle[] = {{0.01f, 0.0125f}, {-0.01f, -0.0125f}, {0.006f, 0.0f}, {0.00625f, 0.0125f}, {1.0f, 1.0f}};
  for (const Fall& f : faelle) EXPECT_FLOAT_EQ(mathe::RasteAchtzigstel(f.v), f.erwartet) << f.v;
}

TEST(WeltRendererMathe, UmgebungVorDerKamera) {
  const mathe::Umgebung u = mathe::BerechneUmgebung(Sicht({10.3f, 5.06f, -2.2f}, {0, 0, 1}));
  EXPECT_FLOAT_EQ(u.zentrum[0], 10.25f);
  EXPECT_FLOAT_EQ(u.zentrum[1], 5.0f);
  EXPECT_FLOAT_EQ(u.zentrum[2], 21.75f);
  EXPECT_FLOAT_EQ(u.zentrum[3], 0.015625f);
  const V3 c{u.zentrum[0], u.zentrum[1], u.zentrum[2]};
  const BMatrix m = u.projektion * u.sicht;
  ErwarteNahe(m.TransformierePunkt(c + V3{0.0625f, 32, -0.0625f}), {0, 0, 0}, 1e-5f, "top corner");
  ErwarteNahe(m.TransformierePunkt(c + V3{32.0625f, -32, -32.0625f}), {1, -1, 1}, 1e-5f, "bottom corner");
  // Looking along -x, the centre lies 24 units that way.
  const mathe::Umgebung w = mathe::BerechneUmgebung(Sicht({0, 0, 0}, {-1, 0, 0}));
  EXPECT_FLOAT_EQ(w.zentrum[0], -24.0f);
  EXPECT_FLOAT_EQ(w.zentrum[2], 0.0f);
}

TEST(WeltRendererMathe, TiefenpufferGroesse) {
  const struct Fall {
    uint64_t b, h, erwartetB, erwartetH;
  } faelle[] = {{1920, 1080, 4096, 4096}, {5120, 2880, 5120, 4096}, {640, 360, 4096, 4096}, {4096, 8192, 4096, 8192}};
  for (const Fall& f : faelle) {
    const mathe::Groesse g = mathe::TiefenpufferGroesse(f.b, f.h);
    EXPECT_EQ(g.breite, f.erwartetB) << f.b << "x" << f.h;
    EXPECT_EQ(g.hoehe, f.erwartetH) << f.b << "x" << f.h;
  }
}

// Near plane 0.1 at depth 0, far plane 100 at depth 1, the horizontal field of view 1.5 rad.
TEST(WeltRendererMathe, SpielProjektion) {
  const BMatrix p = mathe::SpielProjektion(640, 360);
  EXPECT_NEAR(p.TransformierePunkt({0, 0, 0.1f}).z, 0.0f, 1e-6f);
  EXPECT_NEAR(p.TransformierePunkt({0, 0, 100}).z, 1.0f, 1e-6f);
  EXPECT_NEAR(p.TransformierePunkt({std::tan(0.75f) * 10, 0, 10}).x, 1.0f, 1e-5f);
  EXPECT_NEAR(p.TransformierePunkt({0, std::tan(0.75f) * 10 * 360 / 640, 10}).y, 1.0f, 1e-5f);
}

Szene::Licht Licht(V3 basis, float l, V3 position = {}, float helligkeit = 1) {
  return {basis, {0.5f, 0.25f, 1}, {l, 1, 2, 3}, {}, helligkeit, position == V3() ? basis : position, 0};
}

TEST(WeltRendererMathe, LichtArray) {
  const float mitte[3] = {10, 2, 10}, halbe[3] = {1, 1, 1};
  std::vector<Szene::Licht> zehn;
  for (int i = 0; i < 10; ++i) zehn.push_back(Licht({12.0f + float(i) * 0.1f, 2, 10}, 5));
  const mathe::LichtRegister acht = mathe::LichtArray(zehn, mitte, halbe);
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(acht[size_t(12 * i)], 12.0f + float(i) * 0.1f) << i;

  const std::vector<Szene::Licht> fern = {Licht({30, 2, 10}, 5)};
  const mathe::LichtRegister keins = mathe::LichtArray(fern, mitte, halbe);
  EXPECT_TRUE(std::all_of(keins.begin(), keins.end(), [](float v) { return v == 0; }));

  // Taken or not, by the light's reach against the distance to the bounds.
  const struct Fall {
    const char* name;
    V3 basis;
    float l;
    bool genommen;
  } faelle[] = {
      {"inside, reach 0", {10, 2, 10}, 0, false},
      {"inside, reach 0.01", {10, 2, 10}, 0.01f, true},
      {"inside, negative reach", {10.5f, 2, 10}, -1, true},
      {"exactly at the reach", {14, 2, 10}, 3, false},
      {"just inside the reach", {14, 2, 10}, 3.001f, true},
      {"across a corner", {13, 5, 10}, 2.9f, true},
      {"beyond a corner", {13, 5, 10}, 2.8f, false},
  };
  for (const Fall& f : faelle) {
    const std::vector<Szene::Licht> eins = {Licht(f.basis, f.l)};
    EXPECT_EQ(mathe::LichtArray(eins, mitte, halbe)[8] == f.l && f.l != 0, f.genommen) << f.name;
  }

  // The current position and brightness x colour go out, not the base.
  const std::vector<Szene::Licht> bewegt = {Licht({10, 2, 10}, 2, {10.5f, 2.25f, 9.75f}, 0.5f)};
  const mathe::LichtRegister r = mathe::LichtArray(bewegt, mitte, halbe);
  const float erwartet[12] = {10.5f, 2.25f, 9.75f, 0, 0.25f, 0.125f, 0.5f, 0, 2, 1, 2, 3};
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(r[size_t(i)], erwartet[i]) << i;
  for (size_t i = 12; i < r.size(); ++i) EXPECT_EQ(r[i], 0.0f) << i;
}

// ---- frames on the recording device ----

constexpr int64_t BILD = 1000000000 / 64;
constexpr uint32_t LICHT = 7;  // object type "Licht"

struct Zeichnung {
  const d3d9::null::Oberflaeche* ziel = nullptr;
  const d3d9::null::Oberflaeche* tiefe = nullptr;
  std::array<d3d9::Objekt*, d3d9::null::Geraet::SAMPLER> texturen{};
  std::array<float, d3d9::null::Geraet::VERTEX_REGISTER * 4> vertexRegister{};
  std::array<float, d3d9::null::Geraet::PIXEL_REGISTER * 4> pixelRegister{};
  std::map<d3d9::DWORD, d3d9::DWORD> renderStates;
  d3d9::Objekt* pixelShader = nullptr;
};

// The target's kind: "shadow", "ambient", "main", "back" or "other".
std::string Art(const d3d9::null::Oberflaeche* ziel) {
  if (ziel == nullptr) return "none";
  if (ziel->format == d3d9::D3DFMT_R32F && ziel->breite == 4096 && ziel->hoehe == 4096) return "shadow";
  if (ziel->format == d3d9::D3DFMT_G16R16 && ziel->breite == 512 && ziel->hoehe == 512) return "ambient";
  if (ziel->format == d3d9::D3DFMT_A16B16G16R16F) return "main";
  if (ziel->art == "back buffer") return "back";
  return "other";
}

// A matrix as the context uploads it: register i + j holds column j.
BMatrix AusRegistern(const float* register_, uint32_t erstes) {
  BMatrix m;
  for (int spalte = 0; spalte < 4; ++spalte)
    for (int zeile = 0; zeile < 4; ++zeile) m(size_t(zeile), size_t(spalte)) = register_[(erstes + uint32_t(spalte)) * 4 + uint32_t(zeile)];
  return m;
}

void ErwarteGleich(const BMatrix& ist, const float* soll, const std::string& was) {
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(ist.m[i], soll[i]) << was << " [" << i << "]";
}

class WeltRendererGeraet : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    vorher = g_System.anwendungsVerzeichnis;
    g_System.anwendungsVerzeichnis = MORVELUNT_BAUORDNER;
    belegtAmAnfang = bildschirm.Belegt();
    welt->beiZeichnung = [this](d3d9::null::Geraet& g) { Merke(g); };
  }
  void TearDown() override {
    welt->beiZeichnung = nullptr;
    renderer.reset();
    GibSzeneFrei();
    g_System.anwendungsVerzeichnis = vorher;
  }

  // The renderer from the Daten folder of `anwendung` (default: the build's).
  void Baue(const std::filesystem::path& anwendung = MORVELUNT_BAUORDNER) {
    g_System.anwendungsVerzeichnis = anwendung;
    renderer = std::make_unique<WeltRenderer>();
  }
  // A copy of the build's shaders and effects in a temporary application folder.
  std::filesystem::path KopiereDaten() {
    const std::filesystem::path ziel = ordner / "Daten";
    std::filesystem::create_directories(ziel);
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(MORVELUNT_BAUORDNER) / "Daten")) {
      const std::string endung = e.path().extension().string();
      if (endung == ".vs" || endung == ".ps" || endung == ".xml") std::filesystem::copy_file(e.path(), ziel / e.path().filename());
    }
    return ordner.Pfad();
  }

  // Two lights (one reaching both instances, one only the second), a quad at (2, 2, 2), a quad at
  // (10, 2, 2) and a live instance without a mesh between them.
  void BaueSzene() {
    szene.karte.objekte = {
        {LICHT, 1.125f, 1.125f, 1.125f, {{1, 0.5f, 0.25f}, {20, 1, 1, 1}, {0, 0, 0, 0}}},
        {LICHT, 5.125f, 1.125f, 1.125f, {{0.25f, 1, 0.5f}, {1, 0, 0, 0}, {0, 0, 0, 0}}},
    };
    szene.BaueAusObjekten();
    uhr.Fortschreiten(BILD);
    szene.Aktualisiere({1e5f, 1e5f, 1e5f});
    ASSERT_EQ(szene.GibLichter().size(), 2u);
    a = NeueInstanz({2, 2, 2});
    ohne = NeueInstanz({6, 2, 2}, false);
    b = NeueInstanz({10, 2, 2});
  }
  uint64_t NeueInstanz(V3 ort, bool mitModell = true) {
    const Spiel::WeltVertex v[4] = {{-0.5f, -0.5f, 0, 0, 0, 0}, {-0.5f, 0.5f, 0, 0, 1, 0}, {0.5f, 0.5f, 0, 1, 1, 0}, {0.5f, -0.5f, 0, 1, 0, 0}};
    const uint32_t i[6] = {0, 1, 2, 0, 2, 3};
    const uint64_t id = szene.ReserviereInstanz();
    Szene::Instanz& instanz = szene.instanzen[id];
    if (mitModell) {
      modelle.push_back(std::make_unique<Spiel::Modell>(Spiel::Ressourcen::LadeModellHoch(v, i)));
      instanz.modell = modelle.back().get();
      instanz.dreiecke = 2;
      Zarvo_Bild bild(4, 4, PXFMT_A8R8G8B8, 1);
      instanz.farbTextur = Zarvo_ErzeugeTexturAusBild(*kontext, bild);
      instanz.normalTextur = Zarvo_ErzeugeTexturAusBild(*kontext, bild);
      texturen.push_back(instanz.farbTextur);
      texturen.push_back(instanz.normalTextur);
    }
    instanz.matrix[3] = ort.x, instanz.matrix[7] = ort.y, instanz.matrix[11] = ort.z;
    szene.instanzen.SetzeLebend(id);
    szene.AktualisiereInstanzGrenzen(id);
    return id;
  }
  void GibSzeneFrei() {
    for (Zarvo_TexturBasis* t : texturen) kontext->GibFrei(t);
    texturen.clear();
    modelle.clear();
  }

  // One game frame with the empty post-filter set; the calls and draws of that frame alone.
  void Bild(const Spiel::PartikelSystem* partikel = nullptr, FilterSatz* satz = nullptr) {
    welt->Leere();
    zeichnungen.clear();
    kontext->LeereZaehler();
    renderer->Zeichne(szene, partikel, Sicht({6, 3, -4}, {0, 0, 1}), satz ? *satz : leer);
  }

  void Merke(const d3d9::null::Geraet& g) {
    Zeichnung z;
    z.ziel = dynamic_cast<const d3d9::null::Oberflaeche*>(g.renderZiele[0]);
    z.tiefe = dynamic_cast<const d3d9::null::Oberflaeche*>(g.tiefe);
    z.texturen = g.texturen;
    z.vertexRegister = g.vertexRegister;
    z.pixelRegister = g.pixelRegister;
    z.renderStates = g.renderStates;
    z.pixelShader = g.pixelShader;
    zeichnungen.push_back(std::move(z));
  }
  std::vector<const Zeichnung*> ZeichnungenIn(const std::string& art) const {
    std::vector<const Zeichnung*> auswahl;
    for (const Zeichnung& z : zeichnungen)
      if (Art(z.ziel) == art) auswahl.push_back(&z);
    return auswahl;
  }
  static d3d9::Objekt* Geraetetextur(const Zarvo_Textur* textur) { return dynamic_cast<d3d9::Objekt*>(textur->textur); }
  const Szene::Instanz& Instanz(uint64_t id) { return szene.instanzen[id]; }
  const WeltRenderer::Programmsatz& Satz(WeltRenderer::ProgrammIndex i) const { return renderer->Programm(i); }

  std::filesystem::path vorher;
  LogMitschnitt log;
  NullBildschirm bildschirm{320, 180};
  Zarvo_ZeichenKontext* kontext = bildschirm.Kontext();
  d3d9::null::Welt* welt = d3d9::null::AktuelleWelt();
  EigenerOrdner ordner;
  Zarvo_Timer uhr;
  Szene szene{uhr, nullptr, nullptr};
  std::vector<std::unique_ptr<Spiel::Modell>> modelle;
  std::vector<Zarvo_TexturBasis*> texturen;
  std::unique_ptr<WeltRenderer> renderer;
  FilterSatz leer;
  std::vector<Zeichnung> zeichnungen;
  uint64_t a = 0, b = 0, ohne = 0;
  int belegtAmAnfang = 0;
};

// Each program declares exactly the names its pass binds by.
TEST_F(WeltRendererGeraet, NamenJeProgramm) {
  Baue();
  enum : uint32_t { SICHT, PROJ, WELT, UMFARBE, LTRANS, LRICHT, LFARBE, SEGMENT, TFARBE, TNORMALE, TSCHATTEN, TAMBIENT, AZENTRUM, LARRAY };
  const auto vorhanden = [](const WeltRenderer::Programmsatz& s) {
    const uint32_t h[14] = {s.sichtMatrix, s.projMatrix, s.weltMatrix, s.umFarbe, s.lichtTransform, s.lichtRichtung, s.lichtFarbe,
                            s.segmentSichtbarFlags, s.texFarbe, s.texNormale, s.texSchatten, s.texAmbientHoehe,
                            s.ambientZentrum, s.lichtArray};
    uint32_t maske = 0;
    for (uint32_t i = 0; i < 14; ++i) {
      const bool sampler = i >= TFARBE && i <= TAMBIENT;
      if (sampler ? WeltRenderer::Programmsatz::HatSampler(h[i]) : WeltRenderer::Programmsatz::Hat(h[i])) maske |= 1u << i;
    }
    return maske;
  };
  const uint32_t welt = 1u << SICHT | 1u << PROJ | 1u << WELT;
  const struct Fall {
    WeltRenderer::ProgrammIndex programm;
    uint32_t namen;
  } faelle[] = {
      {WeltRenderer::START, 0x3FFFu},
      {WeltRenderer::SCHATTEN, welt | 1u << SEGMENT},
      {WeltRenderer::HOEHE, welt | 1u << SEGMENT},
      {WeltRenderer::PARTIKEL, welt | 1u << UMFARBE | 1u << LTRANS | 1u << LRICHT | 1u << LFARBE | 1u << TSCHATTEN},
  };
  for (const Fall& f : faelle) {
    EXPECT_TRUE(Satz(f.programm).Nutzbar()) << WeltRenderer::PROGRAMM_NAMEN[f.programm];
    EXPECT_EQ(vorhanden(Satz(f.programm)), f.namen) << WeltRenderer::PROGRAMM_NAMEN[f.programm];
  }
  EXPECT_EQ(Satz(WeltRenderer::START).programm->pixelShader->konstanten.at("gLichtArray").anzahl, 24u);
}

// Targets, clears and cull modes of one frame, one draw per instance with a mesh per pass, and
// the main pass into the main target once the set reads "ergebnis".
TEST_F(WeltRendererGeraet, EinBild) {
  Baue();
  BaueSzene();
  Bild();
  std::vector<std::string> arten;
  for (const Zeichnung& z : zeichnungen) arten.push_back(Art(z.ziel));
  EXPECT_EQ(arten, (std::vector<std::string>{"shadow", "shadow", "ambient", "ambient", "back", "back"}));
  const std::vector<const Zeichnung*> schatten = ZeichnungenIn("shadow"), ambient = ZeichnungenIn("ambient");
  ASSERT_EQ(schatten.size(), 2u);
  ASSERT_EQ(ambient.size(), 2u);
  EXPECT_EQ(schatten[0]->tiefe, ambient[0]->tiefe);
  ASSERT_NE(schatten[0]->tiefe, nullptr);
  EXPECT_EQ(schatten[0]->tiefe->breite, 4096u);
  EXPECT_EQ(schatten[0]->tiefe->hoehe, 4096u);

  std::vector<std::vector<uint64_t>> leerungen;
  for (const d3d9::null::Aufruf& c : welt->Aufrufe("Clear")) leerungen.push_back({c.argumente[2], c.argumente[3], c.argumente[4]});
  const uint64_t eins = 0x3F800000;  // 1.0f
  EXPECT_EQ(leerungen, (std::vector<std::vector<uint64_t>>{{3, 0x00FF0000, eins}, {3, 0, eins}, {3, 0x004D5966, eins}}));

  std::vector<d3d9::DWORD> cull;
  for (const Zeichnung& z : zeichnungen) cull.push_back(z.renderStates.at(d3d9::D3DRS_CULLMODE));
  EXPECT_EQ(cull, (std::vector<d3d9::DWORD>{d3d9::D3DCULL_NONE, d3d9::D3DCULL_NONE, d3d9::D3DCULL_NONE, d3d9::D3DCULL_NONE,
                                            d3d9::D3DCULL_CCW, d3d9::D3DCULL_CCW}));

  const d3d9::null::Oberflaeche* geteilteTiefe = schatten[0]->tiefe;
  FilterSatz bloom;
  bloom.AddFilter(-3, renderer->verwaltung.GibEffekt("bloom"));
  ASSERT_TRUE(bloom.liestErgebnis);
  Bild(nullptr, &bloom);
  ASSERT_GE(zeichnungen.size(), 6u);
  EXPECT_EQ(Art(zeichnungen[4].ziel), "main");
  EXPECT_EQ(Art(zeichnungen[5].ziel), "main");
  EXPECT_EQ(zeichnungen[4].tiefe, geteilteTiefe);
  EXPECT_EQ(Art(zeichnungen.back().ziel), "back");  // the chain's last pass
}

// What each draw saw: the matrices, the segment flags, the light registers, the maps.
TEST_F(WeltRendererGeraet, WasJedeZeichnungSieht) {
  Baue();
  renderer->segmentGrenze = 7.5f;
  BaueSzene();
  Bild();
  ASSERT_EQ(zeichnungen.size(), 6u);
  const WeltRenderer::ProgrammIndex programme[3] = {WeltRenderer::SCHATTEN, WeltRenderer::HOEHE, WeltRenderer::START};
  const uint64_t instanzen[2] = {a, b};
  for (size_t d = 0; d < 6; ++d) {
    const Zeichnung& z = zeichnungen[d];
    const WeltRenderer::Programmsatz& s = Satz(programme[d / 2]);
    const Szene::Instanz& instanz = Instanz(instanzen[d % 2]);
    const std::string was = std::string(WeltRenderer::PROGRAMM_NAMEN[programme[d / 2]]) + " draw " + std::to_string(d);
    ErwarteGleich(AusRegistern(z.vertexRegister.data(), s.weltMatrix & 0xFFF), instanz.matrix, was);
    const float* flags = &z.pixelRegister[(s.segmentSichtbarFlags >> 12) * 4];
    EXPECT_EQ(std::vector<float>(flags, flags + 4), (std::vector<float>{1, 7.5f, 0, 1})) << was;
  }
  // The shadow pass looks through the light transform with no projection.
  const WeltRenderer::Programmsatz& schatten = Satz(WeltRenderer::SCHATTEN);
  ErwarteGleich(AusRegistern(zeichnungen[0].vertexRegister.data(), schatten.sichtMatrix & 0xFFF), renderer->lichtTransform.m,
                "SichtMatrix");
  ErwarteGleich(AusRegistern(zeichnungen[0].vertexRegister.data(), schatten.projMatrix & 0xFFF), BMatrix::Einheit().m,
                "ProjMatrix");

  // Main draws: the light registers of each instance, and both maps at their stages.
  const WeltRenderer::Programmsatz& start = Satz(WeltRenderer::START);
  const float l1[12] = {2.25f, 2.25f, 2.25f, 0, 1, 0.5f, 0.25f, 0, 20, 1, 1, 1};
  const float l2[12] = {10.25f, 2.25f, 2.25f, 0, 0.25f, 1, 0.5f, 0, 1, 0, 0, 0};
  for (size_t d = 4; d < 6; ++d) {
    std::vector<float> erwartet(l1, l1 + 12);
    if (d == 5) erwartet.insert(erwartet.end(), l2, l2 + 12);
    erwartet.resize(96, 0.0f);
    const float* r = &zeichnungen[d].pixelRegister[(start.lichtArray >> 12) * 4];
    EXPECT_EQ(std::vector<float>(r, r + 96), erwartet) << "draw " << d;
    EXPECT_EQ(zeichnungen[d].texturen[start.texSchatten & 0xFF], Geraetetextur(renderer->schattenTextur));
    EXPECT_EQ(zeichnungen[d].texturen[start.texAmbientHoehe & 0xFF], Geraetetextur(renderer->ambientTextur));
    const Szene::Instanz& instanz = Instanz(instanzen[d - 4]);
    EXPECT_EQ(zeichnungen[d].texturen[start.texFarbe & 0xFF],
              dynamic_cast<d3d9::Objekt*>(static_cast<Zarvo_Textur*>(instanz.farbTextur)->textur));
  }
  const float* zentrum = &zeichnungen[4].pixelRegister[(start.ambientZentrum >> 12) * 4];
  EXPECT_EQ(std::vector<float>(zentrum, zentrum + 4), std::vector<float>(renderer->ambientZentrum, renderer->ambientZentrum + 4));
}

// The frame's totals: 3 passes x 2 instances drawn; per pass SichtMatrix and ProjMatrix, per
// instance WeltMatrix and SegmentSichtbarFlags; the main pass adds the sun's four constants, the
// ambient centre and per instance the light array; its textures are the shadow and height maps
// and per instance colour and normal.
TEST_F(WeltRendererGeraet, ZaehlerEinesBildes) {
  Baue();
  BaueSzene();
  Bild();
  const auto& z = kontext->zaehler;
  EXPECT_EQ(z[Zarvo_ZeichenKontext::INDEX_ZEICHNEN], 0u + 6);
  EXPECT_EQ(z[Zarvo_ZeichenKontext::KONSTANTEN_SETS], 0u + (2 + 2 * 2) + (2 + 2 * 2) + (2 + 4 + 1 + 2 * 3));
  EXPECT_EQ(z[Zarvo_ZeichenKontext::TEXTUR_SETS], 0u + 2 + 2 * 2);
  EXPECT_EQ(z[Zarvo_ZeichenKontext::PROGRAMM_SETS], 3u);
}

// Wireframe: the main pass draws each instance a second time, unfilled and without culling; the
// shadow and ambient passes do not.
TEST_F(WeltRendererGeraet, Drahtgitter) {
  Baue();
  BaueSzene();
  renderer->drahtgitter = 1;
  Bild();
  std::vector<std::string> folge;
  for (const Zeichnung& z : zeichnungen)
    folge.push_back(Art(z.ziel) + " " + std::to_string(z.renderStates.at(d3d9::D3DRS_FILLMODE)) + " " +
                    std::to_string(z.renderStates.at(d3d9::D3DRS_CULLMODE)));
  EXPECT_EQ(folge, (std::vector<std::string>{"shadow 3 1", "shadow 3 1", "ambient 3 1", "ambient 3 1", "back 3 3", "back 2 1",
                                             "back 3 3", "back 2 1"}));
  const WeltRenderer::Programmsatz& start = Satz(WeltRenderer::START);
  const float* farbe = &zeichnungen[5].pixelRegister[(start.umFarbe >> 12) * 4];
  EXPECT_EQ(std::vector<float>(farbe, farbe + 4), (std::vector<float>{1, 1, 1, 1}));
  renderer->drahtgitter = 0;
  Bild();
  EXPECT_EQ(zeichnungen.size(), 6u);
}

// The particles after the main pass, blended premultiplied without depth writes; none at 0 live.
TEST_F(WeltRendererGeraet, PartikelNachDemHauptdurchgang) {
  Baue();
  BaueSzene();
  Spiel::PartikelSystem partikel;
  Bild(&partikel);
  EXPECT_EQ(zeichnungen.size(), 6u);
  Spiel::Partikel p{};
  p.position[2] = 5;
  p.reibung = 1;
  p.farbe[3] = 1;
  p.leben = 1;
  p.groesse = 0.5f;
  ASSERT_EQ(partikel.FuegeHinzu(p), 0);
  partikel.Aktualisiere(0);
  Bild(&partikel);
  ASSERT_EQ(zeichnungen.size(), 7u);
  const Zeichnung& z = zeichnungen.back();
  EXPECT_EQ(Art(z.ziel), "back");
  EXPECT_EQ(z.renderStates.at(d3d9::D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(z.renderStates.at(d3d9::D3DRS_SRCBLEND), d3d9::D3DBLEND_ONE);
  EXPECT_EQ(z.renderStates.at(d3d9::D3DRS_DESTBLEND), d3d9::D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(z.renderStates.at(d3d9::D3DRS_ZWRITEENABLE), 0u);
  EXPECT_EQ(z.renderStates.at(d3d9::D3DRS_ZENABLE), 1u);
  EXPECT_EQ(z.texturen[Satz(WeltRenderer::PARTIKEL).texSchatten & 0xFF], Geraetetextur(renderer->schattenTextur));
  const std::vector<d3d9::null::Aufruf> zeichne = welt->Aufrufe("DrawIndexedPrimitive");
  ASSERT_EQ(zeichne.size(), 7u);
  EXPECT_EQ(zeichne.back().argumente[5], 2u);  // two triangles
}

// Targets come with the first frame, stay, and are made once more after a size change; the
// renderer leaves nothing in the registry.
TEST_F(WeltRendererGeraet, ZieleUndAufraeumen) {
  BaueSzene();
  const int ohneRenderer = bildschirm.Belegt();
  Baue();
  EXPECT_EQ(renderer->hauptTextur, nullptr);
  Bild();
  ASSERT_NE(renderer->hauptTextur, nullptr);
  const uint64_t haupt = renderer->hauptTextur->allocId, tiefe = renderer->tiefe->allocId;
  EXPECT_EQ(renderer->hauptTextur->breite, 320u);
  Bild();
  EXPECT_EQ(renderer->hauptTextur->allocId, haupt);
  EXPECT_EQ(renderer->tiefe->allocId, tiefe);
  EXPECT_EQ(welt->Anzahl("CreateDepthStencilSurface"), 0);
  Zarvo_Screen3D::SetzeFenstergroesse({400, 200, 0, 0}, false, false);
  Bild();
  EXPECT_EQ(renderer->hauptTextur->breite, 400u);
  EXPECT_NE(renderer->hauptTextur->allocId, haupt);
  EXPECT_NE(renderer->tiefe->allocId, tiefe);
  const uint64_t neu = renderer->hauptTextur->allocId;
  Bild();
  EXPECT_EQ(renderer->hauptTextur->allocId, neu);
  EXPECT_EQ(ZeichnungenIn("back").size(), 2u);
  renderer.reset();
  EXPECT_EQ(bildschirm.Belegt(), ohneRenderer);
}

// Shader files: missing at construction, missing on a reload, failing to compile.
TEST_F(WeltRendererGeraet, FehlendeDateiBeimBauWirft) {
  const std::filesystem::path anwendung = KopiereDaten();
  std::filesystem::remove(anwendung / "Daten" / "start.ps");
  try {
    Baue(anwendung);
    FAIL() << "no exception";
  } catch (const Zarvo_Ausnahme& e) {
    EXPECT_EQ(e.meldung, "Datei nicht lesbar");
  }
  EXPECT_TRUE(log.Enthaelt("!Kann PixelShader-Datei \"" + (anwendung / "Daten" / "start.ps").string() + "\" nicht lesen."));
  EXPECT_EQ(bildschirm.Belegt(), belegtAmAnfang);
}

TEST_F(WeltRendererGeraet, NeuLadenBehaeltAltesProgramm) {
  const std::filesystem::path anwendung = KopiereDaten();
  Baue(anwendung);
  BaueSzene();
  const Zarvo_Programm* alt = Satz(WeltRenderer::START).programm;
  const Zarvo_Programm* altSchatten = Satz(WeltRenderer::SCHATTEN).programm;
  std::filesystem::remove(anwendung / "Daten" / "start.ps");
  renderer->LadeShader();
  EXPECT_EQ(Satz(WeltRenderer::START).programm, alt);
  EXPECT_NE(Satz(WeltRenderer::SCHATTEN).programm, altSchatten);
  EXPECT_TRUE(log.Enthaelt("!Kann PixelShader-Datei \"" + (anwendung / "Daten" / "start.ps").string() + "\" nicht lesen."));
  Bild();
  EXPECT_EQ(ZeichnungenIn("back").size(), 2u);
}

TEST_F(WeltRendererGeraet, UnuebersetzbarerHoehenShaderZeichnetNichts) {
  const std::filesystem::path anwendung = KopiereDaten();
  SchreibeDatei(anwendung / "Daten" / "hoehe.ps", "$raus float4 farbe;\n$main() { farbe = undefiniert; }\n");
  Baue(anwendung);
  EXPECT_FALSE(Satz(WeltRenderer::HOEHE).Nutzbar());
  BaueSzene();
  Bild();
  EXPECT_EQ(ZeichnungenIn("shadow").size(), 2u);
  EXPECT_EQ(ZeichnungenIn("ambient").size(), 0u);
  EXPECT_EQ(ZeichnungenIn("back").size(), 2u);
}

// Without the effect files the sets stay empty, each with one warning; frames still draw.
TEST_F(WeltRendererGeraet, FehlendeEffekte) {
  const std::filesystem::path anwendung = KopiereDaten();
  std::filesystem::remove(anwendung / "Daten" / "ambient.xml");
  std::filesystem::remove(anwendung / "Daten" / "shadow_postfx.xml");
  Baue(anwendung);
  EXPECT_TRUE(renderer->ambientSatz.effekte.empty());
  EXPECT_TRUE(renderer->schattenSatz.effekte.empty());
  for (const char* name : {"ambient", "shadow_postfx"}) EXPECT_EQ(log.Anzahl(std::string("\"") + name + "\" nicht geladen"), 1u) << name;
  BaueSzene();
  Bild();
  EXPECT_EQ(zeichnungen.size(), 6u);
}

}  // namespace
