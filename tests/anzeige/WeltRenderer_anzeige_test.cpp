// The world renderer on the OpenGL device under the virtual display, drawing the shipped level's
// start view (built once for the program: the level from the build's szene.dat with the game's
// resources, its patches built until the generator rests). Pixels are judged against the level
// itself: rays marched on the CPU through the block map and the instances' bounds tell sky from
// geometry, and marches toward the sun tell lit floor from shadowed floor. The start view is
// saved as weltrenderer_start.png in the build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AnzeigeSperre.h"
#include "EigenerOrdner.h"
#include "Partikel.h"
#include "Plattform/d3d9/d3d9.h"
#include "Ressourcen.h"
#include "SchirmBild.h"
#include "StartAnsicht.h"
#include "WeltRenderer.h"
#include "WeltRendererMathe.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"
#include "einheit/LogMitschnitt.h"

namespace {

using Spiel::Szene;
using Spiel::WeltRenderer;
using V3 = BVektor3<float>;
namespace mathe = Spiel::WeltRendererMathe;

constexpr uint32_t HIMMEL = 0x4D5966;  // the main pass's clear colour (77, 89, 102)
const V3 ZUR_SONNE = V3{0.5200625f, 0.5620834f, -0.6431152f};

// ---- the level on the CPU ----

// Where a ray first meets a block of type 1..18: the distance (doubled units), the cell and the
// axis and direction of the face it enters through.
struct Treffer {
  bool getroffen = false;
  float t = 0;
  int x = 0, y = 0, z = 0;
  int achse = -1;  // -1: the ray starts inside the block
  int schritt = 0;
};

// Amanatides-Woo over the cells (2 units each) from o along the unit direction d.
Treffer MarschiereKarte(const Karte& karte, V3 o, V3 d) {
  const float p[3] = {o.x / 2, o.y / 2, o.z / 2}, r[3] = {d.x, d.y, d.z};
  int zelle[3], schritt[3];
  float tNaechste[3], tDelta[3];
  for (int i = 0; i < 3; ++i) {
    zelle[i] = int(std::floor(p[i]));
    schritt[i] = r[i] > 0 ? 1 : -1;
    tDelta[i] = r[i] != 0 ? std::fabs(1 / r[i]) : INFINITY;
    const float rand = r[i] > 0 ? float(zelle[i] + 1) : float(zelle[i]);
    tNaechste[i] = r[i] != 0 ? (rand - p[i]) / r[i] : INFINITY;
  }
  float t = 0;
  int achse = -1;
  for (int n = 0; n < 1000; ++n) {
    if (!karte.Enthaelt(zelle[0], zelle[1], zelle[2])) return {};
    const uint32_t typ = karte.ZelleBei(uint32_t(zelle[0]), uint32_t(zelle[1]), uint32_t(zelle[2])).typ;
    if (typ >= 1 && typ <= 18) return {true, t * 2, zelle[0], zelle[1], zelle[2], achse, achse >= 0 ? schritt[achse] : 0};
    achse = tNaechste[0] < tNaechste[1] ? (tNaechste[0] < tNaechste[2] ? 0 : 2) : (tNaechste[1] < tNaechste[2] ? 1 : 2);
    t = tNaechste[achse];
    tNaechste[achse] += tDelta[achse];
    zelle[achse] += schritt[achse];
  }
  return {};
}

// The entry distance of a ray into a box (centre, half extents), or none.
std::optional<float> TrifftBox(V3 o, V3 d, const float (&mitte)[3], const float (&halbe)[3], float rand) {
  const float p[3] = {o.x, o.y, o.z}, r[3] = {d.x, d.y, d.z};
  float ein = 0, aus = INFINITY;
  for (int i = 0; i < 3; ++i) {
    const float lo = mitte[i] - halbe[i] - rand, hi = mitte[i] + halbe[i] + rand;
    if (r[i] == 0) {
      if (p[i] < lo || p[i] > hi) return std::nullopt;
      continue;
    }
    float t0 = (lo - p[i]) / r[i], t1 = (hi - p[i]) / r[i];
    if (t0 > t1) std::swap(t0, t1);
    ein = std::max(ein, t0);
    aus = std::min(aus, t1);
  }
  if (ein > aus) return std::nullopt;
  return ein;
}

// A flat instance is a block face; the others (gates, levers, buttons, trees, stones) stand free.
bool StehtFrei(const Szene::Instanz& i) { return std::min({i.halbeGroesse[0], i.halbeGroesse[1], i.halbeGroesse[2]}) > 0.02f; }

// The first free-standing instance the ray meets before `bis`.
bool TrifftFreiesDing(const Szene& szene, V3 o, V3 d, float bis) {
  bool getroffen = false;
  szene.instanzen.FuerLebende([&](uint64_t, const Szene::Instanz& i) {
    if (getroffen || i.modell == nullptr || !StehtFrei(i)) return;
    const std::optional<float> t = TrifftBox(o, d, i.mitte, i.halbeGroesse, 0.05f);
    getroffen = t && *t < bis;
  });
  return getroffen;
}

bool TrifftIrgendeineBox(const Szene& szene, V3 o, V3 d) {
  bool getroffen = false;
  szene.instanzen.FuerLebende([&](uint64_t, const Szene::Instanz& i) {
    if (!getroffen && i.modell != nullptr) getroffen = TrifftBox(o, d, i.mitte, i.halbeGroesse, 0.05f).has_value();
  });
  return getroffen;
}

// ---- the camera ----

// The world ray through a point of the screen: the player's mouse ray.
V3 StrahlDurch(const BMatrix& sicht, float x, float y, float w, float h) {
  return Spiel::Kamera::StrahlDurchMaus(sicht, x, y, {w, h});
}

// The pixel of a world point, or none behind the camera.
std::optional<std::pair<float, float>> Projiziere(const BMatrix& sicht, V3 p, float w, float h) {
  float x = 0, y = 0;
  if (!Spiel::Kamera::ProjiziereAufBildschirm(p, sicht, {w, h}, x, y)) return std::nullopt;
  return std::pair<float, float>{x, y};
}

uint32_t Pixel(const Zarvo_Bild& bild, int64_t x, int64_t y) {
  uint32_t p;
  std::memcpy(&p, bild.Pixel() + uint64_t(y) * bild.Zeilenbytes() + 4 * uint64_t(x), 4);
  return p & 0xFFFFFF;
}
int Kanal(uint32_t p, int i) { return int(p >> (16 - 8 * i) & 0xFF); }
int Summe(uint32_t p) { return Kanal(p, 0) + Kanal(p, 1) + Kanal(p, 2); }
int Hellster(uint32_t p) { return std::max({Kanal(p, 0), Kanal(p, 1), Kanal(p, 2)}); }
bool NaheHimmel(uint32_t p) {
  return std::abs(Kanal(p, 0) - 77) <= 2 && std::abs(Kanal(p, 1) - 89) <= 2 && std::abs(Kanal(p, 2) - 102) <= 2;
}

// ---- the fixture: one screen, level and renderer for the program ----

struct Welt {
  LogMitschnitt log;
  AnzeigeSperre sperre;
  std::filesystem::path vorher;
  std::unique_ptr<startansicht::Level> level;
  std::unique_ptr<WeltRenderer> renderer;
  FilterSatz leer;
  int ruheNach = -1;
};
Welt* g_welt = nullptr;

class WeltRendererAnzeige : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_welt = new Welt;
    g_welt->log.Debug(true);
    g_welt->vorher = g_System.anwendungsVerzeichnis;
    g_System.anwendungsVerzeichnis = MORVELUNT_BAUORDNER;
    d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    if (!anzeige::OeffneBildschirm(640, 360)) return;
    Spiel::Ressourcen::Lade();
    g_welt->level = std::make_unique<startansicht::Level>(4);
    if (!g_welt->level->Lade(SZENE_DAT)) return;
    g_welt->ruheNach = g_welt->level->BisRuhe();
    g_welt->renderer = std::make_unique<WeltRenderer>();
  }
  static void TearDownTestSuite() {
    g_welt->renderer.reset();
    g_welt->level.reset();
    Spiel::Ressourcen::Freigeben();
    Zarvo_Screen3D::Schliessen();
    g_Vollbild.SetzeBool(true);
    g_System.anwendungsVerzeichnis = g_welt->vorher;
    delete g_welt;
    g_welt = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(g_welt->renderer, nullptr) << "no screen, level or renderer";
    ASSERT_GT(g_welt->ruheNach, 0) << "the generator did not come to rest";
    gelesen = g_welt->log.zeilen.size();
  }
  void TearDown() override {
    for (size_t i = gelesen; i < g_welt->log.zeilen.size(); ++i) {
      EXPECT_EQ(g_welt->log.zeilen[i].find("GL error"), std::string::npos) << g_welt->log.zeilen[i];
      EXPECT_EQ(g_welt->log.zeilen[i].find("!Ausnahme"), std::string::npos) << g_welt->log.zeilen[i];
    }
  }

  WeltRenderer& R() { return *g_welt->renderer; }
  Szene& S() { return *g_welt->level->szene; }
  const BMatrix& V() { return g_welt->level->sicht; }
  Zarvo_ZeichenKontext& K() { return *Zarvo_Screen3D::GibZeichenKontext(); }
  uint32_t B() { return K().bildschirm.breite; }
  uint32_t H() { return K().bildschirm.hoehe; }

  // The screen after `zeichne`, saved as <name>.png in the build folder when a name is given.
  template <class F>
  Zarvo_Bild Bildschirm(F&& zeichne, const std::string& name = "") {
    zeichne();
    K().EndeZeichnen();
    Zarvo_Bild bild(B(), H(), PXFMT_A8R8G8B8, 1);
    K().LiesBildschirmInhalt(bild);
    if (!name.empty()) bild.SpeicherePNG(std::filesystem::path(MORVELUNT_BAUORDNER) / (name + ".png"), 0);
    return bild;
  }
  Zarvo_Bild Spielbild(const std::string& name = "", FilterSatz* satz = nullptr, const Spiel::PartikelSystem* partikel = nullptr) {
    return Bildschirm([&] { R().Zeichne(S(), partikel, V(), satz ? *satz : g_welt->leer); }, name);
  }

  // Screen points on a grid of `abstand` pixels whose ray and its neighbours one pixel away
  // meet no block and no instance.
  std::vector<std::pair<int, int>> HimmelPunkte(int abstand) {
    std::vector<std::pair<int, int>> punkte;
    const V3 c = g_welt->level->kamera;
    for (int y = abstand / 2; y < int(H()); y += abstand)
      for (int x = abstand / 2; x < int(B()); x += abstand) {
        bool frei = true;
        for (int dy = -1; frei && dy <= 1; ++dy)
          for (int dx = -1; frei && dx <= 1; ++dx) {
            const V3 d = StrahlDurch(V(), float(x + dx) + 0.5f, float(y + dy) + 0.5f, float(B()), float(H()));
            frei = !MarschiereKarte(S().karte, c, d).getroffen && !TrifftIrgendeineBox(S(), c, d);
          }
        if (frei) punkte.push_back({x, y});
      }
    return punkte;
  }

  struct Boden {
    std::vector<std::pair<int, int>> licht, schatten;
  };
  // Open white floor on a grid of `abstand` pixels, classed by marches toward the sun from the
  // point and from four points 0.4 units around it; points near a shadow edge (the marches
  // disagree), under anything, near a free-standing instance or within a light's reach are left
  // out.
  Boden BodenPunkte(int abstand) {
    Boden boden;
    const V3 c = g_welt->level->kamera;
    const Karte& karte = S().karte;
    for (int y = abstand / 2; y < int(H()); y += abstand)
      for (int x = abstand / 2; x < int(B()); x += abstand) {
        const V3 d = StrahlDurch(V(), float(x) + 0.5f, float(y) + 0.5f, float(B()), float(H()));
        const Treffer t = MarschiereKarte(karte, c, d);
        if (!t.getroffen || t.achse != 1 || t.schritt != -1 || karte.ZelleBei(uint32_t(t.x), uint32_t(t.y), uint32_t(t.z)).typ != Karte::Fels) continue;
        const V3 p = c + d * t.t;
        if (TrifftFreiesDing(S(), c, d, t.t + 0.5f) || !OffenNachOben(p) || InLichtReichweite(p) || NaheFreiemDing(p)) continue;
        int lichter = 0;
        for (const V3& versatz : {V3{0, 0, 0}, V3{0.4f, 0, 0}, V3{-0.4f, 0, 0}, V3{0, 0, 0.4f}, V3{0, 0, -0.4f}}) {
          const V3 q = p + versatz + V3{0, 0.01f, 0};
          lichter += !MarschiereKarte(karte, q, ZUR_SONNE).getroffen && !TrifftFreiesDing(S(), q, ZUR_SONNE, 1e9f);
        }
        if (lichter == 5) boden.licht.push_back({x, y});
        if (lichter == 0) boden.schatten.push_back({x, y});
      }
    return boden;
  }
  bool OffenNachOben(V3 p) {
    const int x = int(std::floor(p.x / 2)), z = int(std::floor(p.z / 2));
    for (int y = int(std::floor(p.y / 2 + 0.01f)); y < int(S().karte.Y); ++y)
      if (S().karte.Enthaelt(x, y, z) && S().karte.ZelleBei(uint32_t(x), uint32_t(y), uint32_t(z)).typ != Karte::Leer) return false;
    return true;
  }
  bool InLichtReichweite(V3 p) {
    for (const Szene::Licht& l : S().GibLichter())
      if ((l.basis - p).Laenge() < std::fabs(l.reichweite[0]) + 0.5f) return true;
    return false;
  }
  bool NaheFreiemDing(V3 p) {
    bool nahe = false;
    S().instanzen.FuerLebende([&](uint64_t, const Szene::Instanz& i) {
      if (i.modell && StehtFrei(i) && TrifftBox(p, {0, 1, 0}, i.mitte, i.halbeGroesse, 0.6f)) nahe = true;
    });
    return nahe;
  }

  // The mean brightness (sum of the channels) of a point list.
  static double Mittel(const Zarvo_Bild& bild, const std::vector<std::pair<int, int>>& punkte, int (*mass)(uint32_t) = Summe) {
    double summe = 0;
    for (const auto& [x, y] : punkte) summe += mass(Pixel(bild, x, y));
    return punkte.empty() ? 0 : summe / double(punkte.size());
  }
  static bool EinfarbigBild(const Zarvo_Bild& bild) {
    const uint32_t erstes = Pixel(bild, 0, 0);
    for (uint64_t y = 0; y < bild.Hoehe(); ++y)
      for (uint64_t x = 0; x < bild.Breite(); ++x)
        if (Pixel(bild, int64_t(x), int64_t(y)) != erstes) return false;
    return true;
  }
  static int HimmelAnzahl(const Zarvo_Bild& bild) {
    int n = 0;
    for (uint64_t y = 0; y < bild.Hoehe(); ++y)
      for (uint64_t x = 0; x < bild.Breite(); ++x) n += Pixel(bild, int64_t(x), int64_t(y)) == HIMMEL;
    return n;
  }

  // The instance of the gate at a cell.
  Szene::Instanz* GitterInstanz(Szene::Zellposition zelle) {
    for (const Szene::Gitter& g : S().GibGitter())
      if (g.zelle == zelle) {
        const Spiel::Generator::Patch* p = S().generator.GibPatch(g.key);
        if (p && S().instanzen.IstLebend(p->instanz)) return &S().instanzen[p->instanz];
      }
    return nullptr;
  }

  // The start view's checks at the current screen size.
  void PruefeStartansicht(const Zarvo_Bild& bild) {
    EXPECT_FALSE(EinfarbigBild(bild));
    const std::vector<std::pair<int, int>> himmel = HimmelPunkte(4);
    EXPECT_GT(himmel.size(), 50u);
    int falsch = 0;
    for (const auto& [x, y] : himmel)
      if (!NaheHimmel(Pixel(bild, x, y)) && ++falsch <= 5)
        ADD_FAILURE() << "sky at " << x << "," << y << " is " << std::hex << Pixel(bild, x, y);
    EXPECT_EQ(falsch, 0);

    const Boden boden = BodenPunkte(4);
    ASSERT_GT(boden.licht.size(), 20u);
    ASSERT_GT(boden.schatten.size(), 20u);
    const double licht = Mittel(bild, boden.licht), schatten = Mittel(bild, boden.schatten);
    EXPECT_GT(licht, 1.5 * schatten) << "lit " << licht << ", shadowed " << schatten;
    EXPECT_GT(Mittel(bild, boden.schatten, Hellster), 40.0);
    EXPECT_LT(Mittel(bild, boden.licht, Hellster), 240.0);
    EXPECT_GE(Mittel(bild, boden.licht, Hellster), 150.0);
  }

  size_t gelesen = 0;
};

TEST_F(WeltRendererAnzeige, Startansicht) {
  std::printf("generator at rest after %d frames, %llu instances\n", g_welt->ruheNach, (unsigned long long)g_welt->level->Instanzen());
  const Zarvo_Bild bild = Spielbild("weltrenderer_start");
  PruefeStartansicht(bild);

  // The gate ahead: inside its projected bounds most pixels change without it, the gaps do not.
  Szene::Instanz* gitter = GitterInstanz({3, 1, 15});
  ASSERT_NE(gitter, nullptr);
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  for (int ecke = 0; ecke < 8; ++ecke) {
    const V3 p{gitter->mitte[0] + (ecke & 1 ? 1 : -1) * gitter->halbeGroesse[0], gitter->mitte[1] + (ecke & 2 ? 1 : -1) * gitter->halbeGroesse[1],
               gitter->mitte[2] + (ecke & 4 ? 1 : -1) * gitter->halbeGroesse[2]};
    const auto q = Projiziere(V(), p, float(B()), float(H()));
    ASSERT_TRUE(q);
    x0 = std::min(x0, q->first), x1 = std::max(x1, q->first), y0 = std::min(y0, q->second), y1 = std::max(y1, q->second);
  }
  const Spiel::Modell* modell = gitter->modell;
  gitter->modell = nullptr;
  const Zarvo_Bild ohne = Spielbild("weltrenderer_ohne_gitter");
  gitter->modell = modell;
  int innen = 0, geaendert = 0;
  for (int y = int(y0) + 1; y < int(y1); ++y)
    for (int x = int(x0) + 1; x < int(x1); ++x) {
      ++innen;
      geaendert += Pixel(bild, x, y) != Pixel(ohne, x, y);
    }
  ASSERT_GT(innen, 100);
  EXPECT_GT(geaendert, innen * 3 / 10) << geaendert << " of " << innen;
  EXPECT_LT(geaendert, innen * 95 / 100) << geaendert << " of " << innen;
}

// The shipped bloom under id -3: the main pass goes into the main target and the chain into the
// back buffer; still not one colour, lit floor still brighter, and a picture of its own.
TEST_F(WeltRendererAnzeige, MitBloom) {
  const Zarvo_Bild ohne = Spielbild();
  FilterSatz bloom;
  bloom.AddFilter(-3, R().verwaltung.GibEffekt("bloom"));
  ASSERT_TRUE(bloom.liestErgebnis);
  const Zarvo_Bild mit = Spielbild("weltrenderer_bloom", &bloom);
  EXPECT_FALSE(EinfarbigBild(mit));
  const Boden boden = BodenPunkte(4);
  EXPECT_GT(Mittel(mit, boden.licht), 1.5 * Mittel(mit, boden.schatten));
  int anders = 0;
  for (int64_t y = 0; y < int64_t(H()); ++y)
    for (int64_t x = 0; x < int64_t(B()); ++x) anders += Pixel(mit, x, y) != Pixel(ohne, x, y);
  EXPECT_GT(anders, int(B() * H() / 10));
}

// Sky light alone (no sun, the passes called one by one): the floor under the gallery at
// (3, 1, 12) is darker than open floor of the same room, both beyond every light.
TEST_F(WeltRendererAnzeige, UmgebungUnterDerGalerie) {
  const BMatrix p = mathe::SpielProjektion(B(), H());
  const Zarvo_Bild bild = Bildschirm(
      [&] {
        std::fill(R().lichtFarbe, R().lichtFarbe + 3, 0.0f);
        R().ErneuereZiele();
        R().ZeichneSchattenPassage(S(), V());
        R().ZeichneHoehenPassage(S(), V());
        R().ZeichneHauptPassage(S(), V(), p, g_welt->leer);
      },
      "weltrenderer_umgebung");
  const auto fleck = [&](V3 punkt) {
    EXPECT_FALSE(InLichtReichweite(punkt));
    const auto q = Projiziere(V(), punkt, float(B()), float(H()));
    EXPECT_TRUE(q);
    std::vector<std::pair<int, int>> punkte;
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) punkte.push_back({int(q->first) + dx, int(q->second) + dy});
    return Mittel(bild, punkte);
  };
  const double unter = fleck({7, 2, 25}), offen = fleck({11, 2, 19});
  EXPECT_LT(unter * 1.5, offen) << "under the gallery " << unter << ", open " << offen;
  EXPECT_GT(offen, 60.0);
}

// A cut at world y 4 takes the upper walls and the gallery away: more sky. Without the cut the
// picture is the one of the start.
TEST_F(WeltRendererAnzeige, SchnittDurchDieEbenen) {
  const Zarvo_Bild vorher = Spielbild();
  R().segmentGrenze = 4.0f;
  const Zarvo_Bild geschnitten = Spielbild("weltrenderer_schnitt");
  R().segmentGrenze = 1e8f;
  const Zarvo_Bild nachher = Spielbild();
  EXPECT_GT(HimmelAnzahl(geschnitten), HimmelAnzahl(vorher) + int(B() * H() / 10));
  EXPECT_EQ(std::memcmp(vorher.Pixel(), nachher.Pixel(), vorher.Zeilenbytes() * H()), 0);
}

// F6: a constant start.ps shows on all geometry; with the file gone the reload keeps it and logs.
TEST_F(WeltRendererAnzeige, ShaderNeuLaden) {
  EigenerOrdner ordner;
  const std::filesystem::path daten = ordner / "Daten";
  std::filesystem::copy(std::filesystem::path(MORVELUNT_BAUORDNER) / "Daten", daten, std::filesystem::copy_options::recursive);
  SchreibeDatei(daten / "start.ps", "$raus float4 farbe;\n$main() { farbe = float4(1, 0, 1, 1); }\n");
  const Zarvo_Bild vorher = Spielbild();
  g_System.anwendungsVerzeichnis = ordner.Pfad();
  R().LadeShader();
  const Zarvo_Bild magenta = Spielbild("weltrenderer_magenta");
  std::filesystem::remove(daten / "start.ps");
  R().LadeShader();
  const Zarvo_Bild behalten = Spielbild();
  g_System.anwendungsVerzeichnis = MORVELUNT_BAUORDNER;
  R().LadeShader();
  int geometrie = 0, farbig = 0;
  for (int64_t y = 0; y < int64_t(H()); ++y)
    for (int64_t x = 0; x < int64_t(B()); ++x) {
      if (Pixel(vorher, x, y) == HIMMEL) continue;
      ++geometrie;
      farbig += Pixel(magenta, x, y) == 0xFF00FF;
    }
  EXPECT_GT(farbig, geometrie * 95 / 100) << farbig << " of " << geometrie;
  EXPECT_EQ(std::memcmp(magenta.Pixel(), behalten.Pixel(), magenta.Zeilenbytes() * H()), 0);
  EXPECT_TRUE(g_welt->log.Enthaelt("!Kann PixelShader-Datei \"" + (daten / "start.ps").string() + "\" nicht lesen."));
  const Zarvo_Bild wieder = Spielbild();
  EXPECT_EQ(std::memcmp(vorher.Pixel(), wieder.Pixel(), vorher.Zeilenbytes() * H()), 0);
}

// Particles in front of the camera (in the sun, six units ahead) show; two overlapping ones both
// show.
TEST_F(WeltRendererAnzeige, Partikel) {
  const Zarvo_Bild ohne = Spielbild();
  const V3 c = g_welt->level->kamera;
  const V3 vorn{V()(2, 0), V()(2, 1), V()(2, 2)}, rechts{V()(0, 0), V()(0, 1), V()(0, 2)};
  Spiel::PartikelSystem partikel;
  const auto setze = [&](V3 ort, float r, float g, float b) {
    Spiel::Partikel p{};
    p.position[0] = ort.x, p.position[1] = ort.y, p.position[2] = ort.z;
    p.reibung = 1;
    p.farbe[0] = r, p.farbe[1] = g, p.farbe[2] = b, p.farbe[3] = 1;
    p.leben = 10;
    p.groesse = 0.6f;
    p.drehung = 0.3f;
    EXPECT_GE(partikel.FuegeHinzu(p), 0);
    return ort;
  };
  const V3 rot = setze(c + vorn * 6.0f - rechts * 0.2f, 1, 0.1f, 0.1f);
  const V3 blau = setze(c + vorn * 6.2f + rechts * 0.2f, 0.1f, 0.1f, 1);
  partikel.Aktualisiere(0);
  const Zarvo_Bild mit = Spielbild("weltrenderer_partikel", nullptr, &partikel);
  const auto bei = [&](V3 ort, const Zarvo_Bild& bild) {
    const auto q = Projiziere(V(), ort, float(B()), float(H()));
    EXPECT_TRUE(q);
    return Pixel(bild, int64_t(q->first), int64_t(q->second));
  };
  // Each spot's own side: its colour dominates, and the background changed.
  const uint32_t r = bei(rot - rechts * 0.15f, mit), b = bei(blau + rechts * 0.15f, mit);
  EXPECT_GT(Kanal(r, 0), Kanal(r, 2) + 40) << std::hex << r;
  EXPECT_GT(Kanal(b, 2), Kanal(b, 0) + 40) << std::hex << b;
  EXPECT_NE(r, bei(rot - rechts * 0.15f, ohne));
  EXPECT_NE(b, bei(blau + rechts * 0.15f, ohne));
}

// At 1280 x 720 the same checks hold once the targets and the patch pages are made again.
TEST_F(WeltRendererAnzeige, NachGroessenwechsel) {
  Zarvo_Screen3D::SetzeFenstergroesse({1280, 720, 0, 0}, false, false);
  ASSERT_EQ(B(), 1280u);
  ASSERT_GT(g_welt->level->BisRuhe(), 0);
  const Zarvo_Bild bild = Spielbild("weltrenderer_start_1280");
  EXPECT_EQ(R().hauptTextur->breite, 1280u);
  PruefeStartansicht(bild);
}

}  // namespace
