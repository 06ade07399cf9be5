#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Bewegung.h"
#include "Karte.h"
#include "Objektregeln.h"

using Spiel::Objektregeln::Zellposition;
namespace Regeln = Spiel::Objektregeln;
namespace Bewegung = Spiel::Bewegung;

TEST(Objektregeln, ZellenAusObjekten) {
  Karte::Objekt objekt;
  objekt.x = 4.7f;
  objekt.y = 1.2f;
  objekt.z = 20.3f;
  EXPECT_EQ(Regeln::PlattenZelle(objekt), (Zellposition{4, 1, 20}));
  objekt.y = 1.6f;
  EXPECT_EQ(Regeln::PlattenZelle(objekt), (Zellposition{4, 2, 20}));
  EXPECT_EQ(Regeln::GitterZelle(objekt), (Zellposition{4, 1, 20}));
  objekt.x = 2.9f;  // snaps to 3.0 with step 0.25
  EXPECT_EQ(Regeln::HebelZelle(objekt).x, 3);
  objekt.x = 3.5f;
  objekt.y = 1.0f;
  objekt.z = 3.5f;
  EXPECT_EQ(Regeln::StartZelle(objekt), (Zellposition{3, 1, 3}));
  struct Fall {
    float wert;
    uint32_t richtung;
  };
  for (Fall f : {Fall{-1, 3}, Fall{2.9f, 2}, Fall{6, 0}, Fall{std::numeric_limits<float>::quiet_NaN(), 0}}) {
    EXPECT_EQ(Regeln::Richtung(f.wert), f.richtung) << f.wert;
  }
  Karte karte;
  karte.objekte.resize(5);
  karte.objekte[1].typ = 4;
  karte.objekte[3].typ = 4;
  EXPECT_FALSE(Regeln::KnopfIndex(karte, 0).has_value());
  EXPECT_EQ(Regeln::KnopfIndex(karte, 3), 1u);
  EXPECT_FALSE(Regeln::KnopfIndex(karte, 9).has_value());
}

// A corridor along +Z on layer 1 over a rock floor: a low step at z 2, a high step at z 3.
class Flur : public ::testing::Test {
 protected:
  void SetUp() override {
    karte.SetzeGroesse(3, 4, 8);
    for (auto& zelle : karte.schichten[0].zellen) zelle.typ = Karte::Fels;
    Setze({1, 1, 2}, Karte::FelsTreppe1V);
    Setze({1, 1, 3}, Karte::FelsTreppe2V);
  }
  void Setze(const Zellposition& z, uint32_t typ) { karte.ZelleBei(z.x, z.y, z.z).typ = typ; }
  Bewegung::Schritt Schritt(const Zellposition& von, const Zellposition& d) {
    return Bewegung::SchrittTest(karte, von, d, [&](const Zellposition& z) { return z == gitter; });
  }
  Karte karte;
  Zellposition gitter{-1, -1, -1};
};

TEST_F(Flur, Schritte) {
  const Zellposition vor{0, 0, 1}, zurueck{0, 0, -1}, seite{1, 0, 0};
  struct Fall {
    const char* name;
    Zellposition von, d;
    bool erlaubt;
    Zellposition ziel;
  };
  const Fall faelle[] = {
      {"eben", {1, 1, 0}, vor, true, {1, 1, 1}},
      {"auf die niedrige Stufe", {1, 1, 1}, vor, true, {1, 1, 2}},
      {"hinauf auf die hohe Stufe", {1, 1, 2}, vor, true, {1, 2, 3}},
      {"hohe Stufe nicht vom Boden", {0, 1, 3}, seite, false, {}},
      {"von der hohen Stufe hinab", {1, 2, 3}, zurueck, true, {1, 1, 2}},
      {"von der hohen Stufe seitwaerts hinunter", {1, 2, 3}, seite, true, {2, 1, 3}},
      {"von ausserhalb des Rasters", {-1, 1, 0}, seite, true, {0, 1, 0}},
      {"in den Fels", {1, 1, 0}, Zellposition{0, -1, 0}, false, {}},
      {"aus dem Raster hinaus", {2, 1, 0}, seite, false, {}},
  };
  for (const Fall& f : faelle) {
    const Bewegung::Schritt s = Schritt(f.von, f.d);
    EXPECT_EQ(s.erlaubt, f.erlaubt) << f.name;
    if (f.erlaubt) {
      EXPECT_EQ(s.ziel, f.ziel) << f.name;
    }
  }
  gitter = {1, 1, 1};
  EXPECT_FALSE(Schritt({1, 1, 0}, vor).erlaubt);
  Setze({1, 2, 2}, Karte::Mauer);  // a block above the low step
  EXPECT_FALSE(Schritt({1, 1, 1}, vor).erlaubt);
}

TEST_F(Flur, FallenUndAugen) {
  EXPECT_FALSE(Bewegung::Faellt(karte, {1, 1, 0}));
  EXPECT_TRUE(Bewegung::Faellt(karte, {1, 2, 0}));
  EXPECT_TRUE(Bewegung::Faellt(karte, {1, 2, 2}));   // above a low step
  EXPECT_FALSE(Bewegung::Faellt(karte, {1, 2, 3}));  // on a high step
  Setze({2, 1, 5}, 30);
  EXPECT_TRUE(Bewegung::Faellt(karte, {2, 2, 5}));
  EXPECT_FALSE(Bewegung::Faellt(karte, {0, 0, 0}));
  EXPECT_EQ(Bewegung::AugenPosition(karte, {1, 1, 0}), (BVektor3<float>{3, 3.5f, 1}));
  EXPECT_EQ(Bewegung::AugenPosition(karte, {1, 1, 2}).y, 4.0f);
  EXPECT_EQ(Bewegung::AugenPosition(karte, {1, 2, 3}).y, 5.0f);
}

// Heading and quarter turns of the four horizontal facings; other values count as +X.
TEST(Bewegung, KursUndDrehungen) {
  const struct Fall {
    uint32_t blick;
    float kurs;
    uint32_t links, rechts;
  } faelle[] = {{0, 3.14159265f, 3, 2}, {1, 0, 2, 3}, {2, 1.57079633f, 0, 1}, {3, -1.57079633f, 1, 0},
                {4, 0, 2, 3},           {5, 0, 2, 3}, {~0u, 0, 2, 3}};
  for (const Fall& f : faelle) {
    EXPECT_EQ(Bewegung::Kurs(f.blick), f.kurs) << f.blick;
    EXPECT_EQ(Bewegung::LinksDrehung(f.blick), f.links) << f.blick;
    EXPECT_EQ(Bewegung::RechtsDrehung(f.blick), f.rechts) << f.blick;
    if (f.blick < 4) {
      EXPECT_EQ(Bewegung::RechtsDrehung(Bewegung::LinksDrehung(f.blick)), f.blick) << "a left turn undone";
      // The left turn's heading lies a quarter turn counter-clockwise (yaw + pi/2).
      const float d = std::remainder(Bewegung::Kurs(f.links) - f.kurs, 6.2831853f);
      EXPECT_NEAR(d, 1.5707963f, 1e-6f) << f.blick;
    }
  }
}
