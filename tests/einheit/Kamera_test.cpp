// The camera's ray through the mouse and its screen projection: the two invert each other at the
// corners and the centre for turned, pitched and shifted views and screens of two shapes; the
// known values of the straight view; a point behind the camera or inside the near plane; the
// camera position as the inverse view's translation.
#include <gtest/gtest.h>

#include <cmath>

#include "Kamera.h"

namespace {

using Spiel::Kamera::Schirm;
using V3 = BVektor3<float>;

BMatrix DrehungY(float a) {
  const float c = std::cos(a), s = std::sin(a);
  return BMatrix::AusZeilen({c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1});
}
BMatrix DrehungX(float p) {
  const float c = std::cos(p), s = std::sin(p);
  return BMatrix::AusZeilen({1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1});
}
// A view as the game builds it: pitch, 0.6 back, heading, then the eye moved to the origin.
BMatrix Ansicht(float gieren, float neigung, V3 auge) {
  const BMatrix s = BMatrix::AusZeilen({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0.6f, 0, 0, 0, 1});
  return DrehungX(neigung) * s * DrehungY(1.5707963f - gieren) * BMatrix::Verschiebung(auge * -1.0f);
}

TEST(Kamera, StrahlUndProjektionKehrenSichUm) {
  const struct {
    const char* name;
    BMatrix ansicht;
  } ansichten[] = {
      {"identity", BMatrix::Einheit()},
      {"facing +X at an eye", Ansicht(0, 0, {5, 3.5f, 5})},
      {"facing -Z, pitched down", Ansicht(-1.5707963f, 0.5f, {9, 1.5f, 3})},
      {"facing -X, turned and pitched up", Ansicht(3.1415927f + 0.4f, -0.6f, {1, 7.5f, 21})},
  };
  for (const Schirm schirm : {Schirm{1280, 720}, Schirm{320, 240}}) {
    for (const auto& a : ansichten) {
      const V3 c = Spiel::Kamera::Position(a.ansicht);
      for (const V3 m : {V3{0, 0, 0}, V3{schirm.breite, 0, 0}, V3{0, schirm.hoehe, 0}, V3{schirm.breite, schirm.hoehe, 0},
                         V3{schirm.breite / 2, schirm.hoehe / 2, 0}}) {
        SCOPED_TRACE(std::string(a.name) + " at " + std::to_string(m.x) + ", " + std::to_string(m.y) + " of " +
                     std::to_string(schirm.breite));
        const V3 r = Spiel::Kamera::StrahlDurchMaus(a.ansicht, m.x, m.y, schirm);
        EXPECT_NEAR(r.Laenge(), 1.0f, 1e-6f);
        float x = -1, y = -1;
        ASSERT_TRUE(Spiel::Kamera::ProjiziereAufBildschirm(c + r, a.ansicht, schirm, x, y));
        EXPECT_NEAR(x, m.x, 2e-3f * schirm.breite);
        EXPECT_NEAR(y, m.y, 2e-3f * schirm.breite);
      }
    }
  }
}

TEST(Kamera, GeradeAnsicht) {
  const Schirm schirm{1280, 720};
  const BMatrix v = BMatrix::Einheit();
  // The centre looks along +Z; the left edge 0.75 rad to the left (x = -tan 0.75).
  const V3 mitte = Spiel::Kamera::StrahlDurchMaus(v, 640, 360, schirm);
  EXPECT_EQ(mitte, (V3{0, 0, 1}));
  const V3 links = Spiel::Kamera::StrahlDurchMaus(v, 0, 360, schirm);
  EXPECT_NEAR(std::atan2(-links.x, links.z), 0.75f, 1e-6f);
  EXPECT_NEAR(links.y, 0, 1e-7f);
  // The top edge: the vertical field follows from 720 / 1280.
  const V3 oben = Spiel::Kamera::StrahlDurchMaus(v, 640, 0, schirm);
  EXPECT_NEAR(oben.y / oben.z, 0.93159646f * 0.5625f, 1e-6f);
  const V3 unten = Spiel::Kamera::StrahlDurchMaus(v, 640, 700, schirm);
  EXPECT_LT(unten.y, 0) << "the lower half looks down";

  float x = 0, y = 0, tiefe = 0;
  ASSERT_TRUE(Spiel::Kamera::ProjiziereAufBildschirm({1, -0.5f, 2}, v, schirm, x, y, &tiefe));
  EXPECT_NEAR(x, (1.0734261f * 0.5f + 1) * 640, 1e-3f);
  EXPECT_NEAR(y, (0.5f + 0.5f * (1.0734261f / 0.5625f) * 0.25f) * 720, 1e-3f);
  EXPECT_EQ(tiefe, 2.0f);
}

TEST(Kamera, HinterDerKameraUnsichtbar) {
  const Schirm schirm{1280, 720};
  const BMatrix v = Ansicht(0, 0.3f, {5, 3.5f, 5});
  const V3 c = Spiel::Kamera::Position(v);
  const V3 vorne{v(2, 0), v(2, 1), v(2, 2)};
  for (const V3 p : {c - vorne, c, c + vorne * 0.0999f}) {
    float x = 123, y = 456, tiefe = 789;
    EXPECT_FALSE(Spiel::Kamera::ProjiziereAufBildschirm(p, v, schirm, x, y, &tiefe));
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 456);
    EXPECT_EQ(tiefe, 789);
  }
  float x = 0, y = 0;
  EXPECT_TRUE(Spiel::Kamera::ProjiziereAufBildschirm(c + vorne * 0.1001f, v, schirm, x, y)) << "the near plane";
}

TEST(Kamera, PositionIstDieVerschiebungDerInversen) {
  // Facing +X at the eye (5, 3.5, 5) without pitch: 0.6 behind it, along -X.
  const V3 c = Spiel::Kamera::Position(Ansicht(0, 0, {5, 3.5f, 5}));
  EXPECT_NEAR(c.x, 4.4f, 1e-5f);
  EXPECT_NEAR(c.y, 3.5f, 1e-5f);
  EXPECT_NEAR(c.z, 5.0f, 1e-5f);
  // A pitch turns about the camera's own point: the position stays.
  const V3 geneigt = Spiel::Kamera::Position(Ansicht(0, 0.5f, {5, 3.5f, 5}));
  EXPECT_NEAR((geneigt - c).Laenge(), 0.0f, 1e-5f);
}

}  // namespace
