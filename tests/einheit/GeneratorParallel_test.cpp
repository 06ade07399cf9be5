// The patch generator's requests, scheduling, job lifetime and the faults of its request and
// job handling, on the real core and the recording device with the test builder. These cases
// make no image pages (their records are stored without mesh), so they also run under TSan.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cstdio>
#include <future>
#include <limits>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "GeneratorHilfen.h"

namespace {

using namespace generatortest;
using namespace std::chrono_literals;

using GeneratorParallel = GeneratorUmgebung<1>;

// ---- helpers without a device ----

TEST(GeneratorHilfen, StufeNachAbstandsquadrat) {
  const struct {
    float d2;
    uint32_t stufe;
  } faelle[] = {{0, 4}, {23.99f, 4}, {24, 3}, {119.99f, 3}, {120, 2}, {503.99f, 2}, {504, 1}, {6400, 1}};
  for (const auto& f : faelle) EXPECT_EQ(Generator::StufeFuerAbstand(f.d2), f.stufe) << f.d2;
}

TEST(GeneratorHilfen, PackeFarbe) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float r, g, b, a;
    uint32_t erwartet;
  } faelle[] = {
      {0, 0, 0, 0, 0x00000000},
      {0.5f, 0.5f, 0.5f, 0.5f, 0x80808080},
      {1, 1, 1, 1, 0xFFFFFFFF},
      {0.2f, 0.4f, 0.6f, 0.8f, 0xCC336699},
      {-1, 2, 1e30f, -1e30f, 0x0000FFFF},  // clamped, no undefined conversion
      {nan, 1, nan, nan, 0x0000FF00},      // NaN gives 0
      {0.998f, 0.002f, 0.001f, 1, 0xFFFE0100},
  };
  for (const auto& f : faelle)
    EXPECT_EQ(Generator::PackeFarbe(f.r, f.g, f.b, f.a), f.erwartet) << f.r << " " << f.g << " " << f.b << " " << f.a;
}

Zarvo_Bild AusWerten(uint32_t breite, uint32_t hoehe, const std::vector<uint32_t>& werte) {
  Zarvo_Bild bild(breite, hoehe, PXFMT_A8R8G8B8, 1);
  for (uint32_t y = 0; y < hoehe; ++y)
    std::memcpy(bild.Pixel() + y * bild.Zeilenbytes(), werte.data() + y * breite, 4 * breite);
  return bild;
}

std::vector<uint32_t> Werte(const Zarvo_Bild& bild) {
  std::vector<uint32_t> werte(bild.Breite() * bild.Hoehe());
  for (uint64_t y = 0; y < bild.Hoehe(); ++y)
    std::memcpy(werte.data() + y * bild.Breite(), bild.Pixel() + y * bild.Zeilenbytes(), 4 * bild.Breite());
  return werte;
}

// Pixel values 10·y + x: the expected images are worked out by hand from the copy order.
TEST(GeneratorHilfen, KopiereRand) {
  const struct {
    const char* name;
    uint32_t breite, hoehe;
    std::vector<uint32_t> erwartet;
  } faelle[] = {
      {"4 x 4", 4, 4, {11, 11, 12, 12, 11, 11, 12, 12, 21, 21, 22, 22, 21, 21, 22, 22}},
      {"4 x 2: columns are 2 high", 4, 2, {11, 11, 12, 12, 11, 11, 12, 12}},
      {"2 x 4: columns are 4 high", 2, 4, {11, 11, 11, 11, 21, 21, 21, 21}},
      {"1 x 4 stays", 1, 4, {0, 10, 20, 30}},
      {"4 x 1 stays", 4, 1, {0, 1, 2, 3}},
  };
  for (const auto& f : faelle) {
    std::vector<uint32_t> werte;
    for (uint32_t y = 0; y < f.hoehe; ++y)
      for (uint32_t x = 0; x < f.breite; ++x) werte.push_back(10 * y + x);
    Zarvo_Bild bild = AusWerten(f.breite, f.hoehe, werte);
    Generator::KopiereRand(bild);
    EXPECT_EQ(Werte(bild), f.erwartet) << f.name;
  }
}

TEST(GeneratorHilfen, PatchGleich) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  using P = Generator::PatchBeschreibung;
  const Generator::FlaechenPatch f = Flaeche({1, 2, 3});
  const Generator::BaumPatch baum{{1, 2, 3}, 0.1f, 0.2f, 0.3f, 0.4f, 77};
  const Generator::MosaikPatch mosaik{{1, 2, 3}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 2, 3, 5};
  auto mit = [](auto nutzlast, auto aenderung) {
    aenderung(nutzlast);
    return nutzlast;
  };
  const struct {
    const char* name;
    P a, b;
    bool gleich;
  } faelle[] = {
      {"face equal", f, f, true},
      {"face material", f, mit(f, [](auto& x) { x.material = 1; }), false},
      {"face edge c", f, mit(f, [](auto& x) { x.c.z = 0.5f; }), false},
      {"face -0.0 and 0.0", mit(f, [](auto& x) { x.a.y = -0.0f; }), f, true},
      {"face NaN", mit(f, [&](auto& x) { x.b.x = nan; }), mit(f, [&](auto& x) { x.b.x = nan; }), false},
      {"gate b", Gitter({1, 2, 3}), mit(Gitter({1, 2, 3}), [](auto& x) { x.b.x = 1; }), false},
      {"plate position", Generator::DruckplattenPatch{{1, 2, 3}}, Generator::DruckplattenPatch{{1, 2, 4}}, false},
      {"lever e2", Hebel({0, 0, 0}), mit(Hebel({0, 0, 0}), [](auto& x) { x.e2.z = 1; }), false},
      {"button size", Generator::KnopfPatch{{0, 0, 0}, {0, 1, 0}, 0.1f}, Generator::KnopfPatch{{0, 0, 0}, {0, 1, 0}, 0.2f}, false},
      {"tree equal", baum, baum, true},
      {"tree float", baum, mit(baum, [](auto& x) { x.laubDrunter = 0.5f; }), false},
      {"tree seed", baum, mit(baum, [](auto& x) { x.seed = 78; }), false},
      {"mosaic picture", mosaik, mit(mosaik, [](auto& x) { x.bild = 6; }), false},
      {"mosaic height", mosaik, mit(mosaik, [](auto& x) { x.hoehe = 4; }), false},
      {"other kind, same position", Generator::DruckplattenPatch{{1, 2, 3}}, Generator::KnopfPatch{{1, 2, 3}, {}, 0}, false},
  };
  for (const auto& fall : faelle) EXPECT_EQ(Generator::PatchGleich(fall.a, fall.b), fall.gleich) << fall.name;
}

// ---- levels and requests ----

// Each patch alone at its distance from the viewer at the origin, brought to rest.
TEST_F(GeneratorParallel, StufenNachAbstandUndFernFreigabe) {
  OhneSeiten();
  const struct {
    float d2;
    uint32_t stufe;  // 0: released
  } faelle[] = {{23.99f, 4}, {24, 3}, {119.99f, 3}, {120, 2}, {503.99f, 2}, {504, 1}, {6400, 1}, {6400.01f, 0}};
  uint32_t key = OBJEKT;
  for (const auto& f : faelle) {
    ++key;
    Im([&] { g().FordereAn(key, Gitter(AufAbstand(f.d2)), AufAbstand(f.d2), {0.5f, 0.5f, 0.5f}); });
    ASSERT_TRUE(BisRuhe({0, 0, 0}));
    const Generator::Patch* p = g().GibPatch(key);
    if (f.stufe == 0) {
      EXPECT_EQ(p, nullptr) << f.d2;
      EXPECT_TRUE(g().HatAnforderung(key)) << f.d2;
    } else {
      ASSERT_NE(p, nullptr) << f.d2;
      EXPECT_EQ(p->stufe, f.stufe) << f.d2;
      EXPECT_EQ(p->generation, Generation(key)) << f.d2;
    }
    Im([&] { g().Verwirf(key); });
  }
}

TEST_F(GeneratorParallel, UnveraenderteAnforderungAendertNichts) {
  OhneSeiten();
  Im([&] { g().FordereAn(1, Flaeche({0, 0, 0})); });
  ASSERT_TRUE(BisRuhe({0, 0, 0}));
  const uint32_t generation = Generation(1);
  const size_t aufrufe = erbauer.AnzahlAufrufe();
  Im([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().AktualisierePatches({0, 0, 0});
  });
  EXPECT_EQ(Generation(1), generation);
  EXPECT_EQ(g().Offen(), 0u);
  EXPECT_EQ(erbauer.AnzahlAufrufe(), aufrufe);
}

// Faces right of each other touch within 0.1; the third lies apart.
TEST_F(GeneratorParallel, GeaenderteAnforderungHebtNurNachbarnInnerhalbVonEinZehntel) {
  Im([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().FordereAn(2, Flaeche({2.05f, 0, 0}));  // 0.05 apart
    g().FordereAn(3, Flaeche({2.2f, 0, 4}));   // 2 apart in z
  });
  const uint32_t g2 = Generation(2), g3 = Generation(3);
  Im([&] { g().FordereAn(1, Flaeche({0, 0, 0}, 1)); });
  EXPECT_GT(Generation(2), g2);
  EXPECT_EQ(Generation(3), g3);
  EXPECT_LT(Generation(1), Generation(2));  // one counter: the bump comes after the request
}

// ---- scheduling ----

TEST_F(GeneratorParallel, VonSiebzehnKandidatenWartetDerMitDemGroesstenWort) {
  OhneSeiten();
  Im([&] {
    for (uint32_t i = 0; i < 17; ++i) g().FordereAn(OBJEKT + i, Gitter({float(i) * 0.25f, 0, 0}), {float(i) * 0.25f, 0, 0}, {0.1f, 0.1f, 0.1f});
    g().AktualisierePatches({0, 0, 0});
    // All target level 4 from nothing: the word grows with the distance; the farthest waits.
    for (uint32_t i = 0; i < 16; ++i) {
      const Generator::Patch* p = g().GibPatch(OBJEKT + i);
      ASSERT_NE(p, nullptr) << i;
      EXPECT_TRUE(p->auftrag) << i;
    }
    EXPECT_EQ(g().GibPatch(OBJEKT + 16), nullptr);
    g().WarteAufOffene();
  });
}

// Sixteen patches built at level 2 now want 3 (one level, near); one built at 4 now wants 1
// (three levels, farther than all of them). The jump wins; the farthest of the near ones waits.
TEST_F(GeneratorParallel, GroessererSprungSchlaegtNaeherenPatch) {
  OhneSeiten();
  const uint32_t SPRUNG = OBJEKT + 100;
  Im([&] {
    for (uint32_t i = 0; i < 16; ++i) g().FordereAn(OBJEKT + i, Gitter({0, 0, 0.2f * float(i)}), {0, 0, 0.2f * float(i)}, {0.1f, 0.1f, 0.1f});
    g().FordereAn(SPRUNG, Gitter({15, 0, 0}), {15, 0, 0}, {0.1f, 0.1f, 0.1f});
  });
  ASSERT_TRUE(BisRuhe({15, 0, 0}));  // the sixteen at d² 225..234: level 2; the jump at 0: level 4
  ASSERT_EQ(g().GibPatch(SPRUNG)->stufe, 4u);
  ASSERT_EQ(g().GibPatch(OBJEKT + 15)->stufe, 2u);
  Im([&] {
    g().AktualisierePatches({-10, 0, 0});  // the sixteen at d² 100..109, the jump at 625
    EXPECT_TRUE(g().GibPatch(SPRUNG)->auftrag);
    for (uint32_t i = 0; i < 15; ++i) EXPECT_TRUE(g().GibPatch(OBJEKT + i)->auftrag) << i;
    EXPECT_FALSE(g().GibPatch(OBJEKT + 15)->auftrag);
    g().WarteAufOffene();
  });
}

TEST_F(GeneratorParallel, VolleWarteschlangeStartetNichts) {
  Tor tor;
  TestErbauer::Einstellung e;
  e.tor = &tor.zaehler;
  e.fehler = [](const TestErbauer::Aufruf&) { return Fehler::OhneDreiecke; };
  erbauer.Setze(e);
  const uint32_t grenze = 2 * Zarvo_Parallel::ProzessorAnzahl();
  auto ort = [](uint32_t i) { return V3{4.0f * float(i % 8), 0, 4.0f * float(i / 8)}; };
  Im([&] {
    for (uint32_t i = 0; i < grenze; ++i) g().FordereAn(i + 1, Flaeche(ort(i)));
  });
  for (int frame = 0; frame < 64 && g().Offen() < grenze; ++frame) Schritt({0, 0, 0});
  ASSERT_EQ(g().Offen(), grenze);
  Im([&] { g().FordereAn(grenze + 1, Flaeche(ort(grenze))); });
  Schritt({0, 0, 0});
  Schritt({0, 0, 0});
  EXPECT_EQ(g().Offen(), grenze);
  EXPECT_EQ(g().GibPatch(grenze + 1), nullptr) << "no job while " << grenze << " are pending";
  tor.Oeffne();
  EXPECT_TRUE(BisRuhe({0, 0, 0}));
  EXPECT_NE(g().GibPatch(grenze + 1), nullptr);
}

TEST_F(GeneratorParallel, StufenSteigenUndFallenUmEineJeAuftrag) {
  OhneSeiten();
  Im([&] { g().FordereAn(OBJEKT, Gitter({0, 0, 0}), {0, 0, 0}, {0.5f, 0.5f, 0.5f}); });
  ASSERT_TRUE(BisRuhe({30, 0, 0}));  // d² 900: level 1
  ASSERT_EQ(g().GibPatch(OBJEKT)->stufe, 1u);
  ASSERT_TRUE(BisRuhe({1, 0, 0}));   // d² 1: level 4
  ASSERT_TRUE(BisRuhe({30, 0, 0}));
  std::vector<uint32_t> stufen;
  for (const TestErbauer::Aufruf& a : AufrufeFuer(OBJEKT)) stufen.push_back(a.stufe);
  EXPECT_EQ(stufen, (std::vector<uint32_t>{1, 2, 3, 4, 3, 2, 1}));
}

TEST_F(GeneratorParallel, DruckplatteUndMosaikBauenNichts) {
  Im([&] {
    g().FordereAn(OBJEKT + 1, Generator::DruckplattenPatch{{1, 0, 1}}, {1, 0, 1}, {0.6f, 0.2f, 0.6f});
    g().FordereAn(OBJEKT + 2, Generator::MosaikPatch{{3, 1, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, 2, 2, 0}, {3, 1, 0}, {2, 2, 0.2f});
  });
  ASSERT_TRUE(BisRuhe({0, 0, 0}));
  ASSERT_TRUE(BisRuhe({0, 0, 0}));
  EXPECT_EQ(erbauer.AnzahlAufrufe(), 0u);
  for (uint32_t key : {OBJEKT + 1, OBJEKT + 2}) {
    const Generator::Patch* p = g().GibPatch(key);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->modell, nullptr);
    EXPECT_EQ(p->instanz, Spiel::Szene::KEINE_INSTANZ);
    EXPECT_EQ(p->breite, 0u);
  }
  EXPECT_TRUE(g().Seiten().empty());
  EXPECT_EQ(pool.kapazitaet, 0u);
}

// ---- faults of the request and job handling ----

// A lever moved from beside face A to beside face B: both neighbourhoods show the change. Its
// drop then bumps the patches around its last box.
TEST_F(GeneratorParallel, Fehler1_VerschobeneUndVerworfeneBoxHebenIhreNachbarn) {
  const uint32_t A = 1, B = 2, C = 3, HEBEL = OBJEKT + 7;
  Im([&] {
    g().FordereAn(A, Flaeche({0, 0, 0}));
    g().FordereAn(B, Flaeche({10, 0, 0}));
    g().FordereAn(C, Flaeche({20, 0, 0}));
    g().FordereAn(HEBEL, Hebel({1, 0.3f, 1}), {1, 0.3f, 1}, {0.4f, 0.4f, 0.4f});
  });
  uint32_t a = Generation(A), b = Generation(B), c = Generation(C);
  Im([&] { g().FordereAn(HEBEL, Hebel({11, 0.3f, 1}), {11, 0.3f, 1}, {0.4f, 0.4f, 0.4f}); });
  EXPECT_GT(Generation(A), a) << "the face the lever left";
  EXPECT_GT(Generation(B), b) << "the face the lever came to";
  EXPECT_EQ(Generation(C), c);
  a = Generation(A), b = Generation(B);
  Im([&] { g().Verwirf(HEBEL); });
  EXPECT_EQ(Generation(A), a);
  EXPECT_GT(Generation(B), b) << "the face the lever was dropped from";
  EXPECT_EQ(Generation(C), c);
  EXPECT_FALSE(g().HatAnforderung(HEBEL));
}

// A job started before a drop, its record arriving after the new request's: the new request
// still ends built, with no job in flight and nothing rebuilt for ever.
TEST_F(GeneratorParallel, Fehler2_VerwerfenUndNeuAnfordernEndetGebaut) {
  Tor tor;
  TestErbauer::Einstellung e;
  e.tor = &tor.zaehler;
  e.amTor = [](const TestErbauer::Aufruf& a) { return a.nummer == 0; };
  e.fehler = [](const TestErbauer::Aufruf&) { return Fehler::OhneDreiecke; };
  erbauer.Setze(e);
  const uint32_t KEY = OBJEKT + 3;
  const V3 ort{30, 0, 0};  // level 1 from the origin
  Im([&] {
    // Older generations for the first request, as on an edited level.
    for (int i = 0; i < 5; ++i) g().FordereAn(KEY, Hebel({30, 0, float(i)}), ort, {0.4f, 0.4f, 0.4f});
  });
  const uint32_t alt = Generation(KEY);
  Schritt({0, 0, 0});  // the first job, held
  while (erbauer.AnzahlAufrufe() == 0) std::this_thread::sleep_for(1ms);  // inside the builder, its request read
  ASSERT_EQ(g().Offen(), 1u);
  Im([&] {
    g().Verwirf(KEY);
    g().FordereAn(KEY, Gitter({30, 0, 0}), ort, {1, 1, 1});
  });
  const uint32_t neu = Generation(KEY);
  EXPECT_GT(neu, alt) << "generations only grow";
  for (int frame = 0; frame < 8 && AufrufeFuer(KEY).size() < 2; ++frame) Schritt({0, 0, 0});
  Im([&] { g().UebernimmFertigePatches(); });  // the new job's record
  tor.Oeffne();                                // then the old one's
  ASSERT_TRUE(BisRuhe({0, 0, 0}));
  ASSERT_TRUE(BisRuhe({0, 0, 0}));
  const Generator::Patch* p = g().GibPatch(KEY);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->generation, neu);
  EXPECT_EQ(p->stufe, 1u);
  EXPECT_FALSE(p->auftrag);
  ASSERT_EQ(AufrufeFuer(KEY).size(), 2u);
  EXPECT_EQ(AufrufeFuer(KEY)[0].generation, alt);
  EXPECT_EQ(AufrufeFuer(KEY)[1].generation, neu);
  const size_t aufrufe = erbauer.AnzahlAufrufe();
  Schritt({0, 0, 0});
  EXPECT_EQ(erbauer.AnzahlAufrufe(), aufrufe) << "a current patch is not rebuilt";
}

// ---- lifetime ----

TEST_F(GeneratorParallel, VerworfenWaehrendGehaltenDestruktorWartetAufDasTor) {
  Tor tor;
  TestErbauer::Einstellung e;
  e.tor = &tor.zaehler;
  erbauer.Setze(e);
  Im([&] { g().FordereAn(5, Flaeche({0, 0, 0})); });
  Schritt({0, 0, 0});
  while (erbauer.AnzahlAufrufe() == 0) std::this_thread::sleep_for(1ms);  // held inside the builder
  Im([&] { g().Verwirf(5); });
  EXPECT_EQ(g().GibPatch(5), nullptr);
  EXPECT_EQ(g().Offen(), 1u);
  std::atomic<bool> geoeffnet{false};
  std::thread oeffner([&] {
    std::this_thread::sleep_for(50ms);
    geoeffnet = true;
    tor.Oeffne();
  });
  Beende();  // suspends until the held job has ended
  EXPECT_TRUE(geoeffnet);
  oeffner.join();
}

TEST_F(GeneratorParallel, VerworfenBevorDerAuftragLaeuftErreichtKeinenErbauer) {
  std::atomic<bool> los{false};
  Im([&] {
    // The only worker is busy (its thread blocked on purpose), so the patch job stays queued.
    kern.StarteParallelAuftrag([&] {
      while (!los) std::this_thread::yield();
    });
    g().FordereAn(9, Flaeche({0, 0, 0}));
    g().AktualisierePatches({0, 0, 0});
    EXPECT_EQ(g().Offen(), 1u);
    g().Verwirf(9);
    los = true;
    g().WarteAufOffene();
  });
  EXPECT_EQ(g().Offen(), 0u);
  EXPECT_EQ(erbauer.AnzahlAufrufe(), 0u);
}

// Set-up and teardown happen outside the frame step too: requests return at once, and the
// destructor on a plain thread blocks it until the jobs are done. The jobs are held at a gate, so
// the count is read before any of them can end.
TEST_F(GeneratorParallel, AusserhalbVonAuftraegenUndEndeAufEinfachemFaden) {
  OhneSeiten();
  Tor tor;
  TestErbauer::Einstellung e;
  e.tor = &tor.zaehler;
  erbauer.Setze(e);
  g().FordereAn(1, Flaeche({0, 0, 0}));
  g().FordereAn(2, Flaeche({2, 0, 0}));
  g().Verwirf(2);
  g().FordereAn(3, Flaeche({4, 0, 0}));
  g().AktualisierePatches({0, 0, 0});
  EXPECT_EQ(g().Offen(), 2u);
  std::unique_ptr<Generator> weg = std::move(generator);
  std::atomic<bool> geoeffnet{false};
  auto ende = std::async(std::launch::async, [&] {
    weg.reset();
    return geoeffnet.load();
  });
  EXPECT_EQ(ende.wait_for(50ms), std::future_status::timeout) << "the destructor waits for the held jobs";
  geoeffnet = true;
  tor.Oeffne();
  ASSERT_EQ(ende.wait_for(30s), std::future_status::ready);
  EXPECT_TRUE(ende.get());
  EXPECT_EQ(erbauer.AnzahlAufrufe(), 2u);
}

// ---- with eight workers ----

using GeneratorAchtArbeiter = GeneratorUmgebung<8>;

// Generators destroyed the moment their last job ends: the job's hand-in must not touch the
// generator after its count-down (TSan reports the mutex of a destroyed generator otherwise).
TEST_F(GeneratorAchtArbeiter, Fehler6_ZerstoertSobaldDerLetzteAuftragEndet) {
  TestErbauer::Einstellung e;
  e.seite = [](const TestErbauer::Aufruf&) { return 1u; };
  erbauer.Setze(e);
  generator.reset();
  // A fixed count of rounds, not a time budget: under TSan on a busy machine a round takes a
  // quarter second, and the race needs rounds, not seconds.
  constexpr int runden = 12;
  for (int runde = 0; runde < runden; ++runde) {
    Im([&] {
      auto kurz = std::make_unique<Generator>(pool, erbauer.Tabelle());
      for (uint32_t i = 0; i < 3; ++i) kurz->FordereAn(i + 1, Flaeche({2.0f * float(i), 0, 0}));
      kurz->AktualisierePatches({0, 0, 0});
      kurz.reset();
    });
  }
  EXPECT_EQ(erbauer.AnzahlAufrufe(), size_t(3 * runden));
}

// The main thread re-requests, drops and moves the viewer while eight workers build, each build
// also searching neighbours and reading their requests. Seeded, time-bounded, with a watchdog.
TEST_F(GeneratorAchtArbeiter, Dauerlauf) {
  const uint32_t saat = uint32_t(std::random_device{}());
  std::printf("Dauerlauf: Saat %u\n", saat);
  std::fflush(stdout);
  std::atomic<uint64_t> nachbarLesungen{0};
  TestErbauer::Einstellung e;
  e.seite = [](const TestErbauer::Aufruf& a) { return (a.art == 0 ? 4u : 8u) << (a.stufe % 3); };
  e.zusatz = [&](Generator& gen, const TestErbauer::Aufruf& a) {
    std::vector<uint32_t> nachbarn;
    gen.SucheNachbarn(nachbarn, a.key, 0.2f);
    for (uint32_t n : nachbarn) nachbarLesungen += gen.LiesAnforderung(n).has_value();
  };
  e.fehler = [](const TestErbauer::Aufruf& a) {
    return a.nummer % 53 == 7 ? Fehler::Wirf : a.nummer % 41 == 3 ? Fehler::OhneDreiecke : Fehler::Keiner;
  };
  erbauer.Setze(e);

  std::mutex mutex;
  std::condition_variable signal;
  bool fertig = false;
  std::thread wache([&] {
    std::unique_lock<std::mutex> halt(mutex);
    if (!signal.wait_for(halt, 120s, [&] { return fertig; })) {
      const Zarvo_Parallel::Lagebericht b = kern.GibLagebericht();
      std::fprintf(stderr, "Dauerlauf haengt (Saat %u): %zu/%zu/%zu eingereiht, %llu lebend\n", saat, b.eingereiht[0],
                   b.eingereiht[1], b.eingereiht[2], static_cast<unsigned long long>(b.lebend));
      std::abort();
    }
  });

  std::mt19937 zufall(saat);
  auto wahl = [&](uint32_t n) { return uint32_t(zufall() % n); };
  const auto ende = std::chrono::steady_clock::now() + 3s;
  V3 betrachter{0, 0, 0};
  uint64_t schritte = 0;
  while (std::chrono::steady_clock::now() < ende) {
    Im([&] {
      for (int op = 0; op < 8; ++op) {
        const uint32_t i = wahl(48);
        const V3 ort{float(i % 8) * 2.5f, float(wahl(2)), float(i / 8) * 2.5f};
        switch (wahl(6)) {
          case 0: g().Verwirf(i < 32 ? i + 1 : OBJEKT + i); break;
          case 1: g().FordereAn(OBJEKT + i, Gitter(ort), ort, {1, 1, 1}); break;
          case 2: g().FordereAn(OBJEKT + i, Hebel(ort), ort, {0.4f, 0.4f, 0.4f}); break;
          default: g().FordereAn(i + 1, Flaeche(ort, wahl(2))); break;
        }
      }
      if (wahl(4) == 0) betrachter = {float(wahl(120)) - 40, 0, float(wahl(120)) - 40};
      g().UebernimmFertigePatches();
      g().AktualisierePatches(betrachter);
    });
    ++schritte;
  }
  Im([&] {
    g().WarteAufOffene();
    g().UebernimmFertigePatches();
  });
  {
    std::lock_guard<std::mutex> halt(mutex);
    fertig = true;
  }
  signal.notify_all();
  wache.join();

  EXPECT_EQ(g().Offen(), 0u);
  std::set<uint64_t> besessen;
  g().FuerAllePatches([&](uint32_t key, const Generator::Patch& p) {
    if (p.instanz == Spiel::Szene::KEINE_INSTANZ) return;
    EXPECT_TRUE(pool.IstLebend(p.instanz)) << key;
    EXPECT_TRUE(besessen.insert(p.instanz).second) << "instance " << p.instanz << " owned twice";
  });
  uint64_t lebend = 0;
  pool.FuerLebende([&](uint64_t id, const Spiel::Szene::Instanz&) {
    ++lebend;
    EXPECT_TRUE(besessen.count(id)) << "live instance " << id << " owned by no built patch";
  });
  EXPECT_EQ(lebend, besessen.size());
  std::printf("Dauerlauf: %llu Schritte, %zu Erbauer-Aufrufe, %llu Nachbarlesungen, %llu lebende Instanzen\n",
              static_cast<unsigned long long>(schritte), erbauer.AnzahlAufrufe(),
              static_cast<unsigned long long>(nachbarLesungen.load()), static_cast<unsigned long long>(lebend));
  EXPECT_GT(erbauer.AnzahlAufrufe(), 0u);
}

}  // namespace
