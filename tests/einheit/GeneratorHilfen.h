#pragma once
// The generator's test set-up: the screen on the recording device, the parallel core, a scene
// pool, the test builder and a generator on them. Every generator call runs inside
// kern.MachSofort, as the frame step makes them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "Generator.h"
#include "GeneratorSchritte.h"
#include "LogMitschnitt.h"
#include "NullBildschirm.h"
#include "Szene.h"
#include "TestErbauer.h"
#include "Zarvo_Parallel.h"

namespace generatortest {

using Generator = Spiel::Generator;
using Fehler = TestErbauer::Fehler;
using V3 = BVektor3<float>;

constexpr uint32_t OBJEKT = 0xC0000000u;

// A flat 2 x 2 face on the plane y = p.y with its corner at p: box centre p + (1, 0, 1).
inline Generator::FlaechenPatch Flaeche(V3 p, uint32_t material = 0) {
  return {p, {2, 0, 0}, {0, 0, 2}, {2, 0, 0}, material};
}
inline Generator::GitterPatch Gitter(V3 p) { return {p, {0, 0, 1}, {0, 1, 0}}; }
inline Generator::HebelPatch Hebel(V3 p) { return {p, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}; }

// A point at squared distance at least d2 from the origin along x, the nearest float that is.
inline V3 AufAbstand(float d2) {
  float x = std::sqrt(d2);
  while (x * x < d2) x = std::nextafter(x, 1e9f);
  return {x, 0, 0};
}

template <uint32_t ARBEITER>
class GeneratorUmgebung : public ::testing::Test {
 protected:
  explicit GeneratorUmgebung(const d3d9::NullKonfig& konfig = {}) : bildschirm(320, 240, konfig) {}
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    generator = std::make_unique<Generator>(pool, erbauer.Tabelle());
  }
  void TearDown() override { Beende(); }
  void Beende() {
    if (generator) kern.MachSofort([&] { generator.reset(); });
  }

  Generator& g() { return *generator; }
  void Im(const std::function<void()>& f) { kern.MachSofort(f); }
  // One frame step: take over, then schedule around the viewer.
  void Schritt(V3 betrachter) {
    Im([&] {
      g().UebernimmFertigePatches();
      g().AktualisierePatches(betrachter);
    });
  }
  bool BisRuhe(V3 betrachter, int grenze = 64) { return generatorschritte::BisRuhe(kern, g(), betrachter, grenze); }
  uint32_t Generation(uint32_t key) {
    uint32_t generation = 0;
    Im([&] {
      if (auto a = g().LiesAnforderung(key)) generation = a->generation;
    });
    return generation;
  }
  // Builder calls for one key, in order.
  std::vector<TestErbauer::Aufruf> AufrufeFuer(uint32_t key) const {
    std::vector<TestErbauer::Aufruf> liste;
    for (const TestErbauer::Aufruf& a : erbauer.Aufrufe())
      if (a.key == key) liste.push_back(a);
    return liste;
  }
  // Records are stored as built without mesh, instance or page: levels without 128 MiB pages.
  void OhneSeiten() {
    TestErbauer::Einstellung e;
    e.fehler = [](const TestErbauer::Aufruf&) { return Fehler::OhneDreiecke; };
    erbauer.Setze(e);
  }

  LogMitschnitt log;
  NullBildschirm bildschirm;
  Zarvo_Parallel kern{ARBEITER};
  Spiel::Szene::InstanzPool pool;
  TestErbauer erbauer;
  std::unique_ptr<Generator> generator;
};

// A counter of 1 that builder calls wait on until the test opens it.
struct Tor {
  Zarvo_Parallel::WarteZaehler zaehler;
  Tor() { zaehler.anzahl = 1; }
  void Oeffne() { zaehler.Vermindere(); }
};

}  // namespace generatortest
