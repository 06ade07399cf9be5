// The 4 x 4 matrix: products in the column-vector convention, point and direction transforms, and
// the general inverse against the product with the original.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "BMatrix.h"

namespace {

BMatrix DrehungUmY(float winkel) {
  BMatrix r;
  r(0, 0) = std::cos(winkel);
  r(0, 2) = std::sin(winkel);
  r(2, 0) = -std::sin(winkel);
  r(2, 2) = std::cos(winkel);
  return r;
}

void ErwarteNah(const BVektor3<float>& ist, const BVektor3<float>& soll, float toleranz = 1e-5f) {
  EXPECT_NEAR(ist.x, soll.x, toleranz);
  EXPECT_NEAR(ist.y, soll.y, toleranz);
  EXPECT_NEAR(ist.z, soll.z, toleranz);
}

TEST(BMatrix, ProduktWirktVonRechtsNachLinks) {
  // T · R turns first, then moves: (1, 0, 0) turned by 90 degrees about y is (0, 0, -1).
  const BMatrix t = BMatrix::Verschiebung({10, 20, 30});
  const BMatrix r = DrehungUmY(1.5707964f);
  ErwarteNah((t * r).TransformierePunkt({1, 0, 0}), {10, 20, 29});
  ErwarteNah((r * t).TransformierePunkt({1, 0, 0}), {30, 20, -11});
  ErwarteNah((t * r).TransformiereRichtung({1, 0, 0}), {0, 0, -1});
  ErwarteNah((t * r).Translation(), {10, 20, 30});
}

TEST(BMatrix, PunktMitW) {
  BMatrix p;
  p(3, 2) = 1;  // w = z
  p(3, 3) = 0;
  ErwarteNah(p.TransformierePunkt({2, 4, 2}), {1, 2, 1});
  float homogen[4];
  p.TransformiereHomogen({2, 4, 2}, homogen);
  EXPECT_FLOAT_EQ(homogen[3], 2);
}

TEST(BMatrix, InverseMalOriginalIstEinheit) {
  std::mt19937 zufall(5);
  std::uniform_real_distribution<float> wert(-3, 3);
  for (int runde = 0; runde < 200; ++runde) {
    BMatrix a;
    for (float& x : a.m) x = wert(zufall);
    BMatrix inv;
    if (!a.Invertiere(inv)) continue;
    const BMatrix e = a * inv;
    float abweichung = 0;
    for (size_t i = 0; i < 4; ++i)
      for (size_t j = 0; j < 4; ++j) abweichung = std::max(abweichung, std::fabs(e(i, j) - (i == j ? 1.0f : 0.0f)));
    // Random matrices can be badly conditioned; the bound is loose but catches a wrong cofactor.
    EXPECT_LT(abweichung, 5e-3f) << "round " << runde;
  }
  const BMatrix starr = BMatrix::Verschiebung({1, -2, 3}) * DrehungUmY(0.3f);
  ErwarteNah(starr.Inverse().TransformierePunkt(starr.TransformierePunkt({4, 5, 6})), {4, 5, 6}, 1e-4f);
}

TEST(BMatrix, SingulaerOderNichtEndlichHatKeineInverse) {
  BMatrix null;
  for (float& x : null.m) x = 0;
  BMatrix nan;
  nan(1, 2) = std::nanf("");
  BMatrix doppelteZeile;
  doppelteZeile(1, 0) = 1;
  doppelteZeile(1, 1) = 0;
  for (const BMatrix& m : {null, nan, doppelteZeile}) {
    BMatrix aus = BMatrix::Verschiebung({7, 7, 7});
    EXPECT_FALSE(m.Invertiere(aus));
    EXPECT_EQ(aus.Translation(), (BVektor3<float>{7, 7, 7})) << "left alone";
    const BMatrix inv = m.Inverse();
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(inv.m[i], BMatrix::Einheit().m[i]);
  }
}

}  // namespace
