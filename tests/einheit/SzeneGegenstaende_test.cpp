// Scene items: map stones at rest, a sideways throw to a wall, a fall through a hole, a landing
// in a low ramp, stones on a plate (taken as player control takes them), map stones placed before
// their plate, and a throw past x = 0.
#include "SzenenHilfen.h"

namespace {

using namespace szenentest;

class SzeneGegenstaende : public SzenenTest {
 protected:
  const Szene::Gegenstand& G(uint64_t slot) { return s().GibGegenstaende()[slot]; }
  // Frames until the item rests or is gone; the frames, or -1 after 10 s.
  int BisRuhe(uint64_t slot) {
    return BilderBis([&] { return !s().GibGegenstaende().IstLebend(slot) || !G(slot).bewegt; }, 640);
  }
  V3 Verschiebung(uint64_t slot) {
    const Szene::Instanz& i = s().instanzen[G(slot).instanz];
    return {i.matrix[3], i.matrix[7], i.matrix[11]};
  }
  uint64_t EinzigerSlot() {
    uint64_t einziger = ~0ull;
    s().GibGegenstaende().FuerLebende([&](uint64_t slot, const Szene::Gegenstand&) { einziger = slot; });
    EXPECT_EQ(s().GibGegenstaende().AnzahlLebend(), 1u);
    return einziger;
  }
};

TEST_F(SzeneGegenstaende, KartenSteinRuhtAufDemHalbblockRaster) {
  Baue(Raum("objekt SzeneGegenstand 3.4 1.0 4.4 | 0\nobjekt Druckplatte 3.5 1.0 4.5\n"));
  const uint64_t slot = EinzigerSlot();
  EXPECT_EQ(G(slot).position, (V3{3.25f, 1.05f, 4.25f}));
  EXPECT_EQ(G(slot).bewegt, 0);
  EXPECT_EQ(G(slot).def, 0u);
  EXPECT_EQ(Anzahl({3, 1, 4}), 1) << "it presses the trigger of its cell";
  // Headless there is no "Stein" mesh: the instance draws nothing and its bounds are its point.
  const Szene::Instanz& instanz = s().instanzen[G(slot).instanz];
  EXPECT_EQ(instanz.modell, nullptr);
  EXPECT_EQ(Verschiebung(slot), (V3{6.5f, 2.1f, 8.5f}));
  EXPECT_EQ((V3{instanz.mitte[0], instanz.mitte[1], instanz.mitte[2]}), (V3{6.5f, 2.1f, 8.5f}));
  EXPECT_EQ(instanz.einsen, ~0u);
  // Removing all items releases the trigger of a resting one.
  s().EntferneGegenstaende();
  EXPECT_EQ(Anzahl({3, 1, 4}), 0);
  EXPECT_FALSE(s().instanzen.IstLebend(G(slot).instanz));
}

// Thrown sideways at 2 blocks per second: it flies straight, stops at the wall on the grid, then
// falls and rests on the floor.
TEST_F(SzeneGegenstaende, WurfGegenDieWand) {
  Baue(Raum("quader 8 1 0 8 4 29 Mauer\n"));
  const uint64_t slot = s().ErzeugeInstanz(0, {5.5f, 1.75f, 5.5f}, {2, 0, 0}, true);
  float hoechstens = 1.75f;
  const int bilder = BilderBis([&] {
    hoechstens = std::max(hoechstens, G(slot).position.y);
    if (G(slot).geschwindigkeit.x == 2.0f) {
      EXPECT_EQ(G(slot).position.y, 1.75f) << "no gravity while it flies sideways";
    }
    EXPECT_EQ(Verschiebung(slot), G(slot).position * 2.0f);
    return !G(slot).bewegt;
  });
  ASSERT_GT(bilder, 0);
  EXPECT_EQ(G(slot).position, (V3{7.75f, 1.05f, 5.75f}));
  EXPECT_EQ(hoechstens, 1.75f);
  EXPECT_EQ(Verschiebung(slot), (V3{15.5f, 2.1f, 11.5f}));
}

TEST_F(SzeneGegenstaende, FallDurchEinLoch) {
  Baue(Raum("quader 5 0 5 5 0 5 Leer\n"));
  const uint64_t slot = s().ErzeugeInstanz(0, {5.25f, 1.05f, 5.25f}, {0, -0.1f, 0}, true);
  const uint64_t instanz = G(slot).instanz;
  ASSERT_GT(BisRuhe(slot), 0);
  EXPECT_FALSE(s().GibGegenstaende().IstLebend(slot));
  EXPECT_FALSE(s().instanzen.IstLebend(instanz)) << "no longer drawn";
}

// Falling onto a lower ramp it lands once less than 0.6 above the cell's bottom, and rests 0.05
// above it.
TEST_F(SzeneGegenstaende, LandungInTieferRampe) {
  Baue(Raum("quader 5 1 5 5 1 5 FelsTreppe1V\nobjekt Druckplatte 5.5 1.0 5.5\n"));
  const uint64_t slot = s().ErzeugeInstanz(0, {5.25f, 3.25f, 5.25f}, {}, true);
  float letzte = 0;
  ASSERT_GT(BilderBis([&] {
              if (G(slot).bewegt) letzte = G(slot).position.y;
              return !G(slot).bewegt;
            }),
            0);
  EXPECT_GE(letzte, 1.6f) << "it passed 1.6 before the hit";
  EXPECT_LT(letzte, 1.8f);
  EXPECT_EQ(G(slot).position, (V3{5.25f, 1.05f, 5.25f}));
  EXPECT_EQ(Anzahl({5, 1, 5}), 1);
}

// A stone put down above the plate falls, presses it and opens the gate; taken (as player control
// takes it) it starts the countdown.
TEST_F(SzeneGegenstaende, SteinAufDerPlatte) {
  LadeMitgeliefert();
  const uint64_t slot = s().ErzeugeInstanz(0, {4.25f, 1.25f, 20.25f}, {0, -0.1f, 0}, true);
  EXPECT_EQ(Anzahl({4, 1, 20}), 0) << "a moving stone presses nothing";
  ASSERT_GT(BisRuhe(slot), 0);
  EXPECT_EQ(G(slot).position, (V3{4.25f, 1.05f, 20.25f}));
  EXPECT_EQ(Anzahl({4, 1, 20}), 1);
  ASSERT_GT(BilderBis([&] { return Zustand({4, 1, 19}) == 1.0f; }), 0);
  s().AusloeserAus(4, 1, 20);
  s().EntferneGegenstand(slot);
  EXPECT_FALSE(s().GibGegenstaende().IstLebend(slot));
  EXPECT_EQ(Anzahl({4, 1, 20}), 0);
  bool countdown = false;
  s().GibAnimationen().FuerLebende([&](uint64_t, const Szene::Animation& a) {
    countdown |= a.art == Szene::Animation::Art::Countdown && a.besitzer == Szene::PlattenBesitzer(4, 1, 20);
  });
  EXPECT_TRUE(countdown);
  EXPECT_GT(BilderBis([&] { return Zustand({4, 1, 19}) == 0.0f; }), 64 * 5);
}

// A map stone placed before its plate still presses it: the gate opens, and taking the stone
// brings the count back to 0.
TEST_F(SzeneGegenstaende, KartenSteinVorSeinerPlatte) {
  Baue(Raum("objekt Gitter 4.5 1.5 19.5 | 2 5\nobjekt SzeneGegenstand 4.25 1.0 20.25 | 0\nobjekt Druckplatte 4.5 1.0 20.5\n"));
  EXPECT_EQ(Anzahl({4, 1, 20}), 1);
  ASSERT_GT(BilderBis([&] { return Zustand({4, 1, 19}) == 1.0f; }), 0);
  s().AusloeserAus(4, 1, 20);
  s().EntferneGegenstand(EinzigerSlot());
  EXPECT_EQ(Anzahl({4, 1, 20}), 0);
  // Rebuilding twice keeps the count at one stone.
  s().BaueAusObjekten();
  s().BaueAusObjekten();
  EXPECT_EQ(Anzahl({4, 1, 20}), 1);
}

// Thrown toward -X in a map without walls: it stops at the border, and never leaves the map on
// the way.
TEST_F(SzeneGegenstaende, WurfUeberDenRand) {
  Baue(Raum());
  for (const V3& v : {V3{-2, 0, 0}, V3{0, 0, -2}, V3{-2, 0, -2}}) {
    const uint64_t slot = s().ErzeugeInstanz(0, {1.25f, 1.75f, 1.25f}, v, true);
    ASSERT_GT(BilderBis([&] {
                EXPECT_GE(G(slot).position.x, 0.0f);
                EXPECT_GE(G(slot).position.z, 0.0f);
                return !G(slot).bewegt;
              }, 640),
              0);
    ASSERT_TRUE(s().GibGegenstaende().IstLebend(slot));
    const V3 erwartet{v.x < 0 ? 0.25f : 1.25f, 1.05f, v.z < 0 ? 0.25f : 1.25f};
    EXPECT_EQ(G(slot).position, erwartet) << v.x << " " << v.z;
    s().EntferneGegenstand(slot);
  }
}

}  // namespace
