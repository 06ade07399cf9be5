// The patch generator taking over finished records: the tile plan, placement in image pages,
// the pages replayed on the CPU from the recording device's sprite draws, meshes and render
// instances, bad records, and the faults of applying (pose after a new instance, pages lost to a
// reset or an eviction, the staging atlas bound). Each case that places images makes 4096² pages
// (128 MiB of host memory each on the recording device): such cases are few.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "GeneratorHilfen.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "SeitenPruefung.h"
#include "SpriteNachbau.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_VertexBuffer.h"

namespace {

using namespace generatortest;

TEST(GeneratorKachelPlan, TabelleDerAufrufe) {
  using E = Generator::KachelEingabe;
  {
    const std::vector<E> eingaben = {{128, 128, 0, 1024, 0}, {1024, 1024, 0, 0, 0}};
    const Generator::KachelPlan plan = Generator::PlaneKacheln(eingaben);
    EXPECT_EQ(plan.T, 128u);
    ASSERT_EQ(plan.kacheln.size(), 65u);
    ASSERT_EQ(plan.paare.size(), 1u);
    EXPECT_EQ(plan.paare[0].breite, 2816u);
    EXPECT_EQ(plan.paare[0].hoehe, 384u);
    const Generator::KachelPlan::Kachel& k = plan.kacheln[1 + 8 * 2 + 3];  // record 1, row 2, column 3
    EXPECT_EQ(k.datensatz, 1u);
    EXPECT_EQ(k.quellX, 3u * 128);
    EXPECT_EQ(k.quellY, 2u * 128);
    EXPECT_EQ(k.zielX, 3u * 128);
    EXPECT_EQ(k.zielY, 2u * 128);
    EXPECT_EQ(k.eintrag, 20u);
    EXPECT_EQ(plan.kacheln[0].zielX, 1024u);
  }
  {
    std::vector<E> eingaben;
    for (uint32_t i = 0; i < 17; ++i) eingaben.push_back({1024, 1024, i / 16, (i % 4) * 1024, (i % 16 / 4) * 1024});
    const Generator::KachelPlan plan = Generator::PlaneKacheln(eingaben);
    EXPECT_EQ(plan.T, 1024u);
    ASSERT_EQ(plan.paare.size(), 2u);
    EXPECT_EQ(plan.paare[0].breite, 4096u);
    EXPECT_EQ(plan.paare[0].hoehe, 4096u);
    EXPECT_EQ(plan.paare[0].anzahl, 16u);
    EXPECT_EQ(plan.paare[1].breite, 1024u);
    EXPECT_EQ(plan.paare[1].hoehe, 1024u);
    EXPECT_EQ(plan.kacheln[16].paar, 1u);
    EXPECT_EQ(plan.kacheln[16].eintrag, 0u);
    EXPECT_EQ(plan.kacheln[16].seite, 1u);
  }
  {
    // 4096 tiles of 64 exactly fill one 4096² pair; one more starts a second.
    std::vector<E> eingaben(4097, E{64, 64, 0, 0, 0});
    const Generator::KachelPlan plan = Generator::PlaneKacheln(eingaben);
    ASSERT_EQ(plan.paare.size(), 2u);
    EXPECT_EQ(plan.paare[0].breite, 4096u);
    EXPECT_EQ(plan.paare[0].hoehe, 4096u);
    EXPECT_EQ(plan.paare[1].breite, 64u);
    EXPECT_EQ(plan.paare[1].hoehe, 64u);
  }
  EXPECT_TRUE(Generator::PlaneKacheln({}).paare.empty());
}

// The recording device with the sprite draws replayed into the page bytes.
template <class Basis>
class MitNachbau : public Basis {
 protected:
  void SetUp() override {
    Basis::SetUp();
    nachbau = std::make_unique<SpriteNachbau>(*d3d9::null::AktuelleWelt());
  }
  void TearDown() override {
    Basis::TearDown();
    nachbau.reset();
  }
  seitenpruefung::Seitenbilder Lies(uint32_t s) {
    return seitenpruefung::LiesSeitenbilder(*this->bildschirm.Kontext(), this->g(), s);
  }
  // Sides by key.
  void Seiten(std::function<uint32_t(uint32_t key)> seite) {
    TestErbauer::Einstellung e;
    e.seite = [seite](const TestErbauer::Aufruf& a) { return seite(a.key); };
    this->erbauer.Setze(e);
  }
  d3d9::null::Welt& Welt() { return *d3d9::null::AktuelleWelt(); }
  std::unique_ptr<SpriteNachbau> nachbau;
};

using GeneratorSeiten = MitNachbau<GeneratorUmgebung<1>>;

bool IstBelegt(const TPlatz& platz, uint32_t x, uint32_t y) {
  for (const TRechteck& r : platz.Belegt())
    if (r.x == x && r.y == y) return true;
  return false;
}

std::vector<Spiel::WeltVertex> Vertices(const Spiel::Modell& modell) {
  const auto& puffer = *dynamic_cast<d3d9::null::VertexPuffer*>(modell.vertexBuffer->buffer);
  std::vector<Spiel::WeltVertex> v(puffer.bytes.size() / sizeof(Spiel::WeltVertex));
  std::memcpy(v.data(), puffer.bytes.data(), v.size() * sizeof(Spiel::WeltVertex));
  return v;
}

// Staging textures made in the call: the device's non-render-target textures, (width, height).
std::vector<std::pair<uint64_t, uint64_t>> StagingTexturen(d3d9::null::Welt& welt) {
  std::vector<std::pair<uint64_t, uint64_t>> liste;
  for (const d3d9::null::Aufruf& a : welt.Aufrufe("CreateTexture"))
    if (a.ergebnis == d3d9::D3D_OK && !(a.argumente[3] & d3d9::D3DUSAGE_RENDERTARGET)) liste.emplace_back(a.argumente[0], a.argumente[1]);
  return liste;
}

TEST_F(GeneratorSeiten, GeaenderteAnforderungGibtDenGebautenPatchSofortFrei) {
  Seiten([](uint32_t) { return 16u; });
  Im([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().FordereAn(2, Flaeche({2, 0, 0}));
  });
  ASSERT_TRUE(BisRuhe({0, 0, 0}));
  const Generator::Patch gebaut = [&] {
    const Generator::Patch* p = g().GibPatch(1);
    Generator::Patch kopie;
    kopie.instanz = p->instanz, kopie.seite = p->seite, kopie.x = p->x, kopie.y = p->y, kopie.breite = p->breite;
    return kopie;
  }();
  ASSERT_TRUE(pool.IstLebend(gebaut.instanz));
  ASSERT_TRUE(IstBelegt(g().Seiten()[gebaut.seite].platz, gebaut.x, gebaut.y));
  const uint32_t nachbar = Generation(2);
  Im([&] { g().FordereAn(1, Flaeche({0, 0, 0}, 1)); });
  EXPECT_EQ(g().GibPatch(1), nullptr);
  EXPECT_FALSE(pool.IstLebend(gebaut.instanz));
  EXPECT_FALSE(IstBelegt(g().Seiten()[gebaut.seite].platz, gebaut.x, gebaut.y));
  EXPECT_GT(Generation(2), nachbar);
  ASSERT_TRUE(BisRuhe({0, 0, 0}));
  ASSERT_NE(g().GibPatch(1), nullptr);
  EXPECT_TRUE(pool.IstLebend(g().GibPatch(1)->instanz));
}

// Widths 128 and 1024 in one call: T = 128, 65 tiles through one 2816 x 384 staging pair; then a
// call of width 32. Every rectangle equals its images; UVs point into the page.
TEST_F(GeneratorSeiten, GemischteBreitenInEinemAufrufDannZweiunddreissig) {
  Seiten([](uint32_t key) { return key == 1 ? 128u : key == 2 ? 1024u : 32u; });
  Im([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().FordereAn(2, Flaeche({10, 0, 0}));
    g().AktualisierePatches({0, 0, 50});
    g().WarteAufOffene();
    Welt().Leere();
    g().UebernimmFertigePatches();
  });
  const Generator::Uebernahme& u = g().LetzteUebernahme();
  EXPECT_EQ(u.datensaetze, 2u);
  EXPECT_EQ(u.platziert, 2u);
  EXPECT_EQ(u.kacheln, 65u);
  EXPECT_EQ(u.paare, 1u);
  EXPECT_EQ(StagingTexturen(Welt()), (std::vector<std::pair<uint64_t, uint64_t>>{{2816, 384}, {2816, 384}}));
  EXPECT_EQ(nachbau->sprites, 130u);
  EXPECT_EQ(nachbau->nichtNachgebaut, 0);
  EXPECT_EQ(bildschirm.Kontext()->renderZielId, Zarvo_ZeichenKontext::ALLE) << "the back buffer is bound again";
  ASSERT_EQ(g().Seiten().size(), 1u);
  EXPECT_TRUE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0));

  for (uint32_t key : {1u, 2u}) {
    const Generator::Patch& p = *g().GibPatch(key);
    ASSERT_NE(p.modell, nullptr);
    const std::vector<Spiel::WeltVertex> v = Vertices(*p.modell);
    ASSERT_EQ(v.size(), 4u);
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(v[i].u, (float(p.x) + float(i & 1) * float(p.breite)) / 4096) << key << " " << i;
      EXPECT_FLOAT_EQ(v[i].v, (float(p.y) + float(i >> 1) * float(p.breite)) / 4096) << key << " " << i;
    }
    const Spiel::Szene::Instanz& inst = pool[p.instanz];
    EXPECT_EQ(inst.modell, p.modell.get());
    EXPECT_EQ(inst.farbTextur, g().Seiten()[0].farbTextur);
    EXPECT_EQ(inst.normalTextur, g().Seiten()[0].normalTextur);
    EXPECT_EQ(inst.dreiecke, 2u);
    EXPECT_EQ(inst.nachbarmaske, 1u);
    EXPECT_EQ(inst.einsen, ~0u);
    EXPECT_FLOAT_EQ(inst.mitte[0], key == 1 ? 1.0f : 11.0f);
    EXPECT_FLOAT_EQ(inst.halbeGroesse[2], 1.0f);
  }

  Im([&] {
    g().FordereAn(3, Flaeche({0, 0, 10}));
    g().AktualisierePatches({0, 0, 50});  // all at level 1: nothing else is rebuilt
    g().WarteAufOffene();
    g().UebernimmFertigePatches();
  });
  EXPECT_EQ(g().LetzteUebernahme().kacheln, 1u);
  EXPECT_EQ(g().GibPatch(3)->breite, 32u);
  EXPECT_TRUE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0));
}

// A job held while its patch is released far away and its request bumped; the patch is rebuilt
// meanwhile. The held job's record then arrives stale and is skipped whole.
TEST_F(GeneratorSeiten, VeralteterDatensatzLaesstRechteckUndEintrag) {
  Tor tor;
  TestErbauer::Einstellung e;
  e.tor = &tor.zaehler;
  e.amTor = [](const TestErbauer::Aufruf& a) { return a.nummer == 0; };
  e.seite = [](const TestErbauer::Aufruf&) { return 64u; };
  erbauer.Setze(e);
  const V3 nah{0, 0, 30};  // d² about 900: level 1
  Im([&] { g().FordereAn(1, Flaeche({0, 0, 0})); });
  Schritt(nah);  // held
  while (erbauer.AnzahlAufrufe() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));  // inside the builder
  Schritt({0, 0, 200});  // far: the built entry goes
  ASSERT_EQ(g().GibPatch(1), nullptr);
  Im([&] { g().FordereAn(2, Flaeche({2, 0, 0})); });  // bumps patch 1
  // Frames until the rebuild is in; the held job keeps `offen` above 0, so no wait for all.
  const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!(g().GibPatch(1) && g().GibPatch(1)->breite != 0) && std::chrono::steady_clock::now() < ende) {
    Schritt(nah);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const Generator::Patch* p = g().GibPatch(1);
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->breite, 0u);
  const uint32_t x = p->x, y = p->y, generation = p->generation;
  const uint64_t instanz = p->instanz;
  ASSERT_TRUE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0));
  const uint64_t gezeichnet = nachbau->sprites;

  tor.Oeffne();
  Im([&] {
    g().WarteAufOffene();
    g().UebernimmFertigePatches();
  });
  p = g().GibPatch(1);
  EXPECT_EQ(p->x, x);
  EXPECT_EQ(p->y, y);
  EXPECT_EQ(p->generation, generation);
  EXPECT_EQ(p->instanz, instanz);
  EXPECT_EQ(nachbau->sprites, gezeichnet) << "the stale record draws nothing";
  EXPECT_TRUE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0));
  EXPECT_LT(erbauer.Aufrufe()[0].generation, generation);
}

// A gate that gets a new instance (first build, return after a far release) is
// announced, so its mechanism can set the pose; a level rebuild keeps the pose and announces
// nothing.
TEST_F(GeneratorSeiten, Fehler3_NeueInstanzWirdGemeldetStufenwechselBehaeltDiePose) {
  Seiten([](uint32_t) { return 16u; });
  std::vector<std::pair<uint32_t, uint64_t>> meldungen;
  g().beiNeuerInstanz = [&](uint32_t key, uint64_t instanz) { meldungen.emplace_back(key, instanz); };
  const uint32_t GITTER = OBJEKT + 4;
  const V3 ort{5, 1, 5};
  Im([&] {
    g().FordereAn(GITTER, Gitter(ort), ort, {1, 1, 1});
    g().FordereAn(1, Flaeche({20, 0, 20}));
  });
  ASSERT_TRUE(BisRuhe({5, 1, 35}));  // d² 900: level 1
  ASSERT_EQ(meldungen.size(), 1u);
  EXPECT_EQ(meldungen[0].first, GITTER);
  const uint64_t instanz = g().GibPatch(GITTER)->instanz;
  EXPECT_EQ(meldungen[0].second, instanz);
  EXPECT_EQ(pool[instanz].matrix[3], 5.0f) << "the builder's rest transform";

  // The mechanism opens the gate: a pose of its own.
  const float offen[16] = {0, 0, 1, 5, 0, 1, 0, 2.5f, -1, 0, 0, 5, 0, 0, 0, 1};
  std::copy(std::begin(offen), std::end(offen), pool[instanz].matrix);
  ASSERT_TRUE(BisRuhe({5, 1, 20}));  // d² 225: level 2, one rebuild
  const Generator::Patch* p = g().GibPatch(GITTER);
  ASSERT_EQ(p->stufe, 2u);
  EXPECT_EQ(meldungen.size(), 1u) << "a level rebuild announces nothing";
  EXPECT_TRUE(std::equal(std::begin(offen), std::end(offen), pool[p->instanz].matrix)) << "the pose stays";
  EXPECT_FLOAT_EQ(pool[p->instanz].mitte[1], 2.5f);
  EXPECT_EQ(pool[p->instanz].nachbarmaske, 1u);

  const uint64_t zweite = p->instanz;
  ASSERT_TRUE(BisRuhe({5, 1, 200}));  // far: released, the request stays
  EXPECT_EQ(g().GibPatch(GITTER), nullptr);
  EXPECT_FALSE(pool.IstLebend(zweite));
  EXPECT_TRUE(g().HatAnforderung(GITTER));
  ASSERT_TRUE(BisRuhe({5, 1, 35}));
  ASSERT_EQ(meldungen.size(), 2u) << "back from far away: a new instance";
  EXPECT_EQ(meldungen[1].first, GITTER);
  EXPECT_EQ(meldungen[1].second, g().GibPatch(GITTER)->instanz);
  for (const auto& [key, id] : meldungen) EXPECT_NE(key, 1u) << "faces are not announced";
}

// A page's contents are gone after a reset and after an eviction; its patches are
// rebuilt at their level and the page shows their images again.
TEST_F(GeneratorSeiten, Fehler4_SeitenNachReInitUndAuslagerungNeuGebaut) {
  Seiten([](uint32_t key) { return key == 1 ? 64u : 32u; });
  Im([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().FordereAn(2, Flaeche({4, 0, 0}));
  });
  ASSERT_TRUE(BisRuhe({0, 0, 30}));
  ASSERT_TRUE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0));
  const size_t vorher = erbauer.AnzahlAufrufe();
  const uint64_t instanz = g().GibPatch(1)->instanz;

  ASSERT_TRUE(bildschirm.Kontext()->ReInit());
  EXPECT_FALSE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0)) << "a reset leaves the page undefined";
  ASSERT_TRUE(BisRuhe({0, 0, 30}));
  EXPECT_EQ(erbauer.AnzahlAufrufe(), vorher + 2) << "both patches rebuilt once";
  EXPECT_EQ(erbauer.Aufrufe().back().stufe, 1u) << "at their level";
  EXPECT_EQ(g().GibPatch(1)->instanz, instanz);
  EXPECT_TRUE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0));

  // An eviction: everything used before now is old; a new texture does not fit the budget.
  d3d9::null::Geraet& geraet = *Welt().geraet;
  const TZeit jetzt = g_Zeit.zeit;
  g_Zeit.zeit += 10'000'000'000;
  geraet.SetVideoMemoryBudget(geraet.konto->belegt + 1024 * 1024);
  Zarvo_Textur* druck = bildschirm.Kontext()->ErzeugeTextur(1024, 1024, 1, Zarvo_BasisObjekt::FLAG_DYNAMISCH, {});
  EXPECT_EQ(g().Seiten()[0].farbTextur->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT) << "the page was evicted";
  bildschirm.Kontext()->GibFrei(druck);
  geraet.SetVideoMemoryBudget(0);
  const uint64_t sprites = nachbau->sprites;
  ASSERT_TRUE(BisRuhe({0, 0, 30}));
  EXPECT_EQ(nachbau->sprites, sprites + 10) << "five tiles, colour and normal";
  EXPECT_EQ(erbauer.AnzahlAufrufe(), vorher + 4);
  EXPECT_TRUE(seitenpruefung::PatchesStimmen(g(), Lies(0), 0));
  g_Zeit.zeit = jetzt;
}

// A full page stays one page through a reset: each patch's old place is free before its rebuilt
// image of the same size is placed. (No page replay: only the rectangles count here.)
using GeneratorPlatz = generatortest::GeneratorUmgebung<1>;
TEST_F(GeneratorPlatz, VolleSeiteBleibtNachReInitEineSeite) {
  TestErbauer::Einstellung e;
  e.seite = [](const TestErbauer::Aufruf&) { return 2048u; };
  erbauer.Setze(e);
  Im([&] {
    for (uint32_t key = 1; key <= 4; ++key) g().FordereAn(key, Flaeche({2.0f * float(key), 0, 0}));
  });
  ASSERT_TRUE(BisRuhe({0, 0, 30}));
  ASSERT_EQ(g().Seiten().size(), 1u) << "four 2048² images fill one page";
  const size_t vorher = erbauer.AnzahlAufrufe();

  ASSERT_TRUE(bildschirm.Kontext()->ReInit());
  ASSERT_TRUE(BisRuhe({0, 0, 30}));
  EXPECT_EQ(erbauer.AnzahlAufrufe(), vorher + 4) << "every patch rebuilt once";
  EXPECT_EQ(g().Seiten().size(), 1u);
  EXPECT_EQ(g().Seiten()[0].platz.Belegt().size(), 4u);
}

// Records that cannot be placed: one consistency line each, stored without mesh, instance or
// rectangle, offen balanced, and one build per generation (no rebuild loop). A record without
// triangles (a refused build, or the empty record of a builder that threw, which has its error
// line) is stored the same way, silently.
TEST_F(GeneratorSeiten, SchlechteDatensaetze) {
  const struct {
    Fehler fehler;
    size_t zeilen;  // consistency lines
  } faelle[] = {{Fehler::Wirf, 0},           {Fehler::Leer, 1},           {Fehler::NichtQuadratisch, 1},
                {Fehler::KeineZweierpotenz, 1}, {Fehler::FalschesFormat, 1}, {Fehler::UngleicheGroessen, 1},
                {Fehler::OhneDreiecke, 0}};
  uint32_t key = OBJEKT;
  for (const auto& f : faelle) {
    ++key;
    TestErbauer::Einstellung e;
    e.fehler = [f](const TestErbauer::Aufruf&) { return f.fehler; };
    erbauer.Setze(e);
    g_Log.LeereWarteschlange();  // lines of the case before, from the workers
    const size_t zeilen = log.Anzahl("!Ausnahme"), scheiterte = log.Anzahl("scheiterte");
    const size_t aufrufe = erbauer.AnzahlAufrufe();
    Im([&] { g().FordereAn(key, Hebel({0, 0, 0}), {0, 0, 0}, {0.4f, 0.4f, 0.4f}); });
    ASSERT_TRUE(BisRuhe({0, 0, 30}));
    ASSERT_TRUE(BisRuhe({0, 0, 30}));
    g_Log.LeereWarteschlange();
    const int art = int(f.fehler);
    EXPECT_EQ(log.Anzahl("!Ausnahme") - zeilen, f.zeilen) << art;
    EXPECT_EQ(log.Anzahl("scheiterte") - scheiterte, f.fehler == Fehler::Wirf ? 1u : 0u) << art;
    EXPECT_EQ(g().Offen(), 0u) << art;
    EXPECT_EQ(erbauer.AnzahlAufrufe(), aufrufe + 1) << art;
    const Generator::Patch* p = g().GibPatch(key);
    ASSERT_NE(p, nullptr) << art;
    EXPECT_EQ(p->stufe, 1u) << art;
    EXPECT_EQ(p->generation, Generation(key)) << art;
    EXPECT_EQ(p->modell, nullptr) << art;
    EXPECT_EQ(p->instanz, Spiel::Szene::KEINE_INSTANZ) << art;
    EXPECT_EQ(p->breite, 0u) << art;
    if (f.fehler == Fehler::KeineZweierpotenz) {
      EXPECT_TRUE(log.EnthaeltTeil(" 96 x 96 ")) << "the line names the size";
    }
    // A changed request builds again, once.
    Im([&] { g().FordereAn(key, Hebel({0, 0, 1}), {0, 0, 1}, {0.4f, 0.4f, 0.4f}); });
    ASSERT_TRUE(BisRuhe({0, 0, 30}));
    EXPECT_EQ(erbauer.AnzahlAufrufe(), aufrufe + 2) << art;
    Im([&] { g().Verwirf(key); });
  }
  EXPECT_TRUE(g().Seiten().empty());
  EXPECT_EQ(nachbau->sprites, 0u);
}

}  // namespace

// With textures of at most 4096², seventeen 1024² images in one call go through a
// 4096² and a 1024² staging pair; every tile is drawn, into two pages.
class GeneratorTexturGrenze : public generatortest::GeneratorUmgebung<1> {
 protected:
  GeneratorTexturGrenze() : GeneratorUmgebung(KleineTexturenKonfig()) {}
  static d3d9::NullKonfig KleineTexturenKonfig() {
    d3d9::NullKonfig k;
    k.caps.MaxTextureWidth = k.caps.MaxTextureHeight = 4096;
    return k;
  }
};

TEST_F(GeneratorTexturGrenze, Fehler5_StagingPaareHoechstens4096) {
  using namespace generatortest;
  SpriteNachbau nachbau(*d3d9::null::AktuelleWelt());
  TestErbauer::Einstellung e;
  e.seite = [](const TestErbauer::Aufruf&) { return 1024u; };
  erbauer.Setze(e);
  Im([&] {
    for (uint32_t i = 0; i < 17; ++i) g().FordereAn(i + 1, Flaeche({2.0f * float(i % 5), 0, 2.0f * float(i / 5)}));
    g().AktualisierePatches({0, 0, 40});  // sixteen start
    g().WarteAufOffene();
    g().AktualisierePatches({0, 0, 40});  // the seventeenth
    g().WarteAufOffene();
    d3d9::null::AktuelleWelt()->Leere();
    g().UebernimmFertigePatches();
  });
  const Generator::Uebernahme& u = g().LetzteUebernahme();
  EXPECT_EQ(u.platziert, 17u);
  EXPECT_EQ(u.kacheln, 17u);
  EXPECT_EQ(u.paare, 2u);
  std::vector<std::pair<uint64_t, uint64_t>> staging;
  for (const d3d9::null::Aufruf& a : d3d9::null::AktuelleWelt()->Aufrufe("CreateTexture"))
    if (!(a.argumente[3] & d3d9::D3DUSAGE_RENDERTARGET)) staging.emplace_back(a.argumente[0], a.argumente[1]);
  EXPECT_EQ(staging, (std::vector<std::pair<uint64_t, uint64_t>>{{4096, 4096}, {4096, 4096}, {1024, 1024}, {1024, 1024}}));
  EXPECT_EQ(nachbau.sprites, 34u) << "every tile, colour and normal";
  EXPECT_FALSE(log.EnthaeltTeil("!Ausnahme"));
  ASSERT_EQ(g().Seiten().size(), 2u);
  for (uint32_t s = 0; s < 2; ++s)
    EXPECT_TRUE(seitenpruefung::PatchesStimmen(g(), seitenpruefung::LiesSeitenbilder(*bildschirm.Kontext(), g(), s), s)) << s;
}
