// The mechanisms' render instances with real jobs on the parallel core (the test builder, small
// images): a gate, a lever and a button, their poses by state, their bounds, and a gate and a
// lever moved while their patches did not exist yet.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "NullBildschirm.h"
#include "Szene.h"
#include "TestErbauer.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Timer.h"

namespace {

using Spiel::Szene;
using V3 = BVektor3<float>;
using Animation = Szene::Animation;

constexpr int64_t BILD = 1000000000 / 64;
const V3 NAH{7, 3, 5}, FERN{1e5f, 1e5f, 1e5f};
const V3 GITTER_MITTE{7, 3, 7}, HEBEL_ORT{10, 3, 7}, KNOPF_ORT{5, 3, 2};
const uint32_t GITTER = Szene::ObjektKey(0), HEBEL = Szene::ObjektKey(1), KNOPF = Szene::ObjektKey(2);

class SzeneInstanzen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    TestErbauer::Einstellung klein;
    klein.seite = [](const TestErbauer::Aufruf&) { return 16u; };
    erbauer.Setze(klein);
    Im([&] { szene = std::make_unique<Szene>(uhr, nullptr, nullptr, erbauer.Tabelle()); });
    Karte& k = szene->karte;
    k.SetzeGroesse(8, 4, 8);
    k.objekte = {
        {3, 3.5f, 1.5f, 3.5f, {{0, 5}}},          // a gate facing -X, sliding up
        {2, 5.0f, 1.5f, 3.5f, {{1, 5}}},          // a lever on a +X face, swinging toward +Y
        {4, 2.5f, 1.5f, 1.0f, {{2}, {0.25f}}},    // a button facing +Z
    };
    Im([&] { szene->BaueAusObjekten(); });
  }
  void TearDown() override {
    Im([&] { szene.reset(); });
  }

  void Im(const std::function<void()>& f) { kern.MachSofort(f); }
  void Bild(V3 betrachter, int64_t ticks = BILD) {
    Im([&] {
      uhr.Fortschreiten(ticks);
      szene->Aktualisiere(betrachter);
    });
  }
  void Bilder(int n, V3 betrachter) {
    for (int i = 0; i < n; ++i) Bild(betrachter);
  }
  const Szene::Instanz* InstanzVon(uint32_t key) {
    const Spiel::Generator::Patch* p = szene->generator.GibPatch(key);
    return p && szene->instanzen.IstLebend(p->instanz) ? &szene->instanzen[p->instanz] : nullptr;
  }
  // Zero-tick frames near the parts, with a short sleep, until all three have instances (10 s at most).
  bool BisInstanzen() {
    const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < ende) {
      Bild(NAH, 0);
      if (InstanzVon(GITTER) && InstanzVon(HEBEL) && InstanzVon(KNOPF)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

  static V3 Verschiebung(const Szene::Instanz& i) { return {i.matrix[3], i.matrix[7], i.matrix[11]}; }
  static V3 Spalte(const Szene::Instanz& i, int j) { return {i.matrix[j], i.matrix[4 + j], i.matrix[8 + j]}; }
  static void ErwarteNahe(V3 ist, V3 soll, const char* was) {
    EXPECT_NEAR(ist.x, soll.x, 1e-5f) << was;
    EXPECT_NEAR(ist.y, soll.y, 1e-5f) << was;
    EXPECT_NEAR(ist.z, soll.z, 1e-5f) << was;
  }
  // Identity rotation, the translation, and bounds that follow it.
  void ErwarteVerschoben(uint32_t key, V3 ort, const char* was) {
    const Szene::Instanz* i = InstanzVon(key);
    ASSERT_NE(i, nullptr) << was;
    ErwarteNahe(Spalte(*i, 0), {1, 0, 0}, was);
    ErwarteNahe(Spalte(*i, 1), {0, 1, 0}, was);
    ErwarteNahe(Spalte(*i, 2), {0, 0, 1}, was);
    ErwarteNahe(Verschiebung(*i), ort, was);
    ASSERT_NE(i->modell, nullptr);
    const float* m = i->modell->mitte;
    ErwarteNahe({i->mitte[0], i->mitte[1], i->mitte[2]}, ort + V3{m[0], m[1], m[2]}, was);
  }
  // The lever's rotation turns its direction d = +X between d and e = +Y.
  void ErwarteHebel(float sinusZuE, const char* was) {
    const Szene::Instanz* i = InstanzVon(HEBEL);
    ASSERT_NE(i, nullptr) << was;
    const float w = std::sqrt(0.5f);
    ErwarteNahe(Spalte(*i, 0), {w, sinusZuE * w, 0}, was);
    ErwarteNahe(Spalte(*i, 2), {0, 0, 1}, was);
    ErwarteNahe(Verschiebung(*i), HEBEL_ORT, was);
    // A rotated box: the half extents are the rows' absolute sums.
    const float* h = i->modell->halbeAusdehnung;
    EXPECT_NEAR(i->halbeGroesse[0], std::fabs(i->matrix[0]) * h[0] + std::fabs(i->matrix[1]) * h[1] + std::fabs(i->matrix[2]) * h[2], 1e-5f);
  }

  NullBildschirm bildschirm;
  Zarvo_Parallel kern{2};
  TestErbauer erbauer;
  Zarvo_Timer uhr;
  std::unique_ptr<Szene> szene;
};

TEST_F(SzeneInstanzen, PosenNachZustand) {
  ASSERT_TRUE(BisInstanzen());
  ErwarteVerschoben(GITTER, GITTER_MITTE, "closed gate, as built");
  Im([&] { szene->PlaneAnimation(1, Animation::GitterZiel{3, 1, 3, 1.0f, 0.5f}); });
  Bilder(64, NAH);
  ErwarteVerschoben(GITTER, GITTER_MITTE + V3{0, 2 * szene->GibGitter()[0].zustand, 0}, "half open");
  EXPECT_NEAR(szene->GibGitter()[0].zustand, 0.5f, 1e-4f);
  Bilder(70, NAH);
  ErwarteVerschoben(GITTER, GITTER_MITTE + V3{0, 2, 0}, "open: slid one block");

  const uint64_t hebel = Szene::HebelBesitzer(0);
  Im([&] { szene->PlaneAnimation(hebel, Animation::HebelZiel{0, 0.0f, 2.0f}); });
  Bild(NAH);
  ErwarteHebel(1, "state 0: (d + e) / sqrt 2");
  Im([&] { szene->PlaneAnimation(hebel, Animation::HebelZiel{0, 1.0f, 2.0f}); });
  Bilder(40, NAH);
  ASSERT_EQ(szene->GibHebel()[0].zustand, 1.0f);
  ErwarteHebel(-1, "state 1: (d - e) / sqrt 2");

  // The button at 0.1, 0.2, 0.6 and 1.0 of its 0.5 s: in to 0.2 · size, then out.
  Im([&] { szene->DrueckeSchalter(0); });
  const struct {
    int64_t ticks;
    float f;
  } schritte[] = {{50000000, 0.5f}, {50000000, 1}, {200000000, 0.5f}, {200000000, 0}};
  for (const auto& schritt : schritte) {
    Bild(NAH, schritt.ticks);
    ErwarteVerschoben(KNOPF, KNOPF_ORT - V3{0, 0, schritt.f * 0.2f * 0.25f}, "button");
  }
}

// Moved while the viewer was far: once built, the patches show the states reached.
TEST_F(SzeneInstanzen, FernBewegtNahGebaut) {
  Im([&] {
    szene->PlaneAnimation(1, Animation::GitterZiel{3, 1, 3, 1.0f, 0.5f});
    szene->PlaneAnimation(2, Animation::HebelZiel{0, 1.0f, 2.0f});
  });
  Bilder(140, FERN);
  EXPECT_EQ(szene->GibGitter()[0].zustand, 1.0f);
  EXPECT_EQ(szene->GibHebel()[0].zustand, 1.0f);
  EXPECT_EQ(InstanzVon(GITTER), nullptr);
  ASSERT_TRUE(BisInstanzen());
  ErwarteVerschoben(GITTER, GITTER_MITTE + V3{0, 2, 0}, "drawn open");
  ErwarteHebel(-1, "drawn at state 1");
  // A far release and a new build keep showing the state.
  Bilder(2, FERN);
  EXPECT_EQ(InstanzVon(GITTER), nullptr);
  ASSERT_TRUE(BisInstanzen());
  ErwarteVerschoben(GITTER, GITTER_MITTE + V3{0, 2, 0}, "built again");
}

// With the game's builders: at state 0 the lever's pose has the rotation its builder gave it,
// placed at the lever's position instead of 0.02 inside the wall.
TEST_F(SzeneInstanzen, HebelBeiNullWieSeinErbauer) {
  Im([&] {
    szene.reset();
    szene = std::make_unique<Szene>(uhr, nullptr, nullptr);
    szene->karte.SetzeGroesse(8, 4, 8);
    szene->karte.objekte = {{3, 3.5f, 1.5f, 3.5f, {{0, 5}}}, {2, 5.0f, 1.5f, 3.5f, {{1, 5}}}, {4, 2.5f, 1.5f, 1.0f, {{2}, {0.25f}}}};
    szene->BaueAusObjekten();
  });
  ASSERT_TRUE(BisInstanzen());
  const Szene::Instanz gebaut = *InstanzVon(HEBEL);
  Im([&] { szene->PlaneAnimation(Szene::HebelBesitzer(0), Animation::HebelZiel{0, 0.0f, 2.0f}); });
  Bild(NAH);
  const Szene::Instanz* bewegt = InstanzVon(HEBEL);
  ASSERT_NE(bewegt, nullptr);
  for (int j = 0; j < 3; ++j) ErwarteNahe(Spalte(*bewegt, j), Spalte(gebaut, j), "the builder's rotation");
  ErwarteNahe(Verschiebung(gebaut), HEBEL_ORT - V3{0.02f, 0, 0}, "the builder's foot");
  ErwarteNahe(Verschiebung(*bewegt), HEBEL_ORT, "the lever's position");
}

}  // namespace
