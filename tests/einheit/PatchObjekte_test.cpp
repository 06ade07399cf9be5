// The gate, lever and button builders: meshes, painted images, normals, transforms, and the
// frames and sizes they refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PatchErbauer.h"
#include "PatchbauHilfen.h"
#include "Plattform/system/Zufall.h"

namespace patchbau {
namespace {

using Spiel::PatchErbauer::Gitter;
using Spiel::PatchErbauer::Knopf;
using Spiel::PatchErbauer::Hebel;

const uint32_t OBEN_KEY = FlaechenKey(5, 3, 1, 5);
const Generator::FlaechenPatch OBEN_FLAECHE = BlockFlaeche(5, 3, 1, 5);

// ---- gate ----

const Generator::GitterPatch GITTER{{3, 5, 7}, {0, 0, 1}, {0, 1, 0}};  // facing +Z, bars along +Y

TEST_F(Patchbau, GitterMaltNurDasObereLinkeViertel) {
  win32::srand(1);
  const Datensatz d = Gitter(generator, OBJEKT, 2, 1, GITTER);
  const uint32_t S = 256;
  const V3 N(1, 0, 0), a = GITTER.a;  // normalize(b × a)
  const float querschnitt[9][2] = {{-0.08f, 0}, {-0.04f, 0.03f}, {0, 0.03f}, {0.04f, 0.03f}, {0.08f, 0},
                                   {0.04f, -0.03f}, {0, -0.03f}, {-0.04f, -0.03f}, {-0.08f, 0}};
  uint32_t auswaerts = 0;
  for (uint32_t y = 0; y < S; ++y)
    for (uint32_t x = 0; x < S; ++x) {
      const uint32_t farbe = Pixel(d.farbe, x, y), normale = Pixel(d.normale, x, y);
      if (x >= S / 2 || y >= S / 2) {
        ASSERT_EQ(farbe, 0xFF000000u) << x << ", " << y;
        ASSERT_EQ(normale, 0xFF7F7F7Fu) << x << ", " << y;
        continue;
      }
      const uint32_t g = farbe & 0xFF;
      ASSERT_EQ(farbe, 0xFF000000u | g << 16 | g << 8 | g) << x << ", " << y;
      ASSERT_GE(g, 51u);
      ASSERT_LE(g, 77u);
      // The facet of this texel: bar strips are S/16 wide, eight facets each.
      const float k = std::fmod((float(x) + 0.5f) / float(S) * 128.0f, 8.0f);
      const float rest = k - std::floor(k);
      if (rest < 0.1f || rest > 0.9f || x == 0 || y == 0) continue;  // facet seams, edge copies
      const int f = int(k);
      const V3 aussen = N * ((querschnitt[f][0] + querschnitt[f + 1][0]) / 2) + a * ((querschnitt[f][1] + querschnitt[f + 1][1]) / 2);
      const V3 n = Entpacke(normale);
      ASSERT_NEAR(n.Laenge(), 1.0f, 0.02f);
      ASSERT_GT(n.Punkt(aussen), 0.0f) << x << ", " << y;
      ++auswaerts;
    }
  EXPECT_GT(auswaerts, 10000u);
}

TEST_F(Patchbau, GitterGrauFolgtDemZufallDesFadens) {
  win32::srand(1);
  const Datensatz eins = Gitter(generator, OBJEKT, 1, 1, GITTER);
  win32::srand(1);
  const Datensatz nochmal = Gitter(generator, OBJEKT, 1, 1, GITTER);
  win32::srand(2);
  const Datensatz zwei = Gitter(generator, OBJEKT, 1, 1, GITTER);
  EXPECT_TRUE(GleicheDatensaetze(eins, nochmal));
  EXPECT_FALSE(GleicheBytes(eins.farbe, zwei.farbe));
  EXPECT_TRUE(GleicheBytes(eins.normale, zwei.normale));
  EXPECT_TRUE(GleicheVertices(eins.vertices, zwei.vertices));
}

TEST_F(Patchbau, GitterOhneRahmenBautNichts) {
  for (const Generator::GitterPatch& g : {Generator::GitterPatch{{1, 2, 3}, {0, 1, 0}, {0, 1, 0}},
                                          Generator::GitterPatch{{1, 2, 3}, {0, 1, 0}, {0, -1, 0}},
                                          Generator::GitterPatch{{1, 2, 3}, {0, 0, 0}, {0, 0, 0}},  // a new object's arguments
                                          Generator::GitterPatch{{1, 2, 3}, {0, 0.4f, 0}, {1, 0, 0}}})
    EXPECT_TRUE(IstLeer(Gitter(generator, OBJEKT, 1, 1, g)));
}

// ---- lever ----

const Generator::HebelPatch HEBEL = patchbau::Hebel({3, 5, 7}, {0, 1, 0}, {1, 0, 0});  // f = d × e = (0, 0, −1)

TEST_F(Patchbau, HebelNetzFarbeUndLage) {
  const Datensatz d = Hebel(generator, OBJEKT, 3, 1, HEBEL);
  const uint32_t n = 16, m = 8, S = 256;
  // The tip ring is one point.
  for (uint32_t k = 0; k <= n; ++k) {
    const Spiel::WeltVertex& v = d.vertices[m * (n + 1) + k];
    EXPECT_EQ(V3(v.x, v.y, v.z), V3(0, 0.2f, 0)) << k;
  }
  // Black at the foot, (119, 102, 85) from 1/30 up, the fill past v = 0.8.
  for (uint32_t x = 1; x + 1 < S; ++x) {
    ASSERT_EQ(Pixel(d.farbe, x, 1), 0xFF000000u | Pixel(d.farbe, x, 1)) << x;
    ASSERT_LE(Pixel(d.farbe, x, 1) & 0xFFFFFF, 0x0F0D0Bu) << x;
    ASSERT_EQ(Pixel(d.farbe, x, 40), 0xFF776655u) << x;
    ASSERT_EQ(Pixel(d.farbe, x, 200), 0xFF776655u) << x;
    ASSERT_EQ(Pixel(d.farbe, x, 210), 0xFF554433u) << x;
  }
  EXPECT_EQ(Pixel(d.farbe, 100, 0), Pixel(d.farbe, 100, 1)) << "edge copy";
  // Q·d = (d + e)/√2, translation P − 0.02·d0.
  const float* t = d.transform;
  const V3 qd(t[1], t[5], t[9]);
  EXPECT_NEAR(qd.x, 0.70710678f, 1e-6f);
  EXPECT_NEAR(qd.y, 0.70710678f, 1e-6f);
  EXPECT_NEAR(qd.z, 0.0f, 1e-6f);
  EXPECT_EQ(V3(t[3], t[7], t[11]), V3(3, 5 - 0.02f, 7));
  const V3 qf(t[2], t[6], t[10]);  // the axis stays
  EXPECT_NEAR(qf.z, 1.0f, 1e-6f);
}

// The normal map points out of the tube: each texel's normal against the outward radial
// direction of its point (cos φ·f − sin φ·e, φ from u).
TEST_F(Patchbau, HebelNormalenZeigenNachAussen) {
  const struct Fall {
    V3 d0, e1;
  } faelle[] = {{{0, 1, 0}, {1, 0, 0}}, {{1, 0, 0}, {0, 0, -1}}, {{0, 0, -1}, {0, 1, 0}}};
  for (const Fall& fall : faelle) {
    const V3 d = fall.d0, e = fall.e1, f = d.Kreuz(e);
    const Datensatz r = Hebel(generator, OBJEKT, 4, 1, patchbau::Hebel({0, 0, 0}, d, e));
    const uint32_t S = 512;
    uint32_t geprueft = 0;
    for (uint32_t y = 1; y < S; ++y) {
      const float v = (float(y) + 0.5f) / float(S);
      if (v >= 0.7f) break;
      for (uint32_t x = 1; x + 1 < S; ++x) {
        const float phi = (float(x) + 0.5f) / float(S) * 6.2831855f;
        const V3 radial = f * std::cos(phi) - e * std::sin(phi);
        ASSERT_GT(Entpacke(Pixel(r.normale, x, y)).Punkt(radial), 0.9f) << x << ", " << y;
        ++geprueft;
      }
    }
    EXPECT_GT(geprueft, 100000u);
  }
}

TEST_F(Patchbau, HebelOhneRahmenBautNichtsUndMaltNichts) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  const Datensatz ohne = Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, 2, 1, OBEN_FLAECHE);
  const Generator::HebelPatch parallel = patchbau::Hebel({7, 4, 11}, {0, 1, 0}, {0, 1, 0});
  const Generator::HebelPatch neu{{7, 4, 11}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};  // a new object's arguments
  for (const Generator::HebelPatch& h : {parallel, neu}) {
    EXPECT_TRUE(IstLeer(Hebel(generator, OBJEKT + 1, 2, 1, h)));
  }
  FordereHebel(OBJEKT + 1, parallel);
  EXPECT_TRUE(GleicheDatensaetze(Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, 2, 1, OBEN_FLAECHE), ohne));
}

// ---- button ----

TEST_F(Patchbau, KnopfKappeUndRand) {
  const float r = 0.5f;
  const V3 d(0, 0, 1);
  const Datensatz k = Knopf(generator, OBJEKT, 4, 1, {{1, 2, 3}, d, r});
  const uint32_t n = 32;
  const V3 t1 = d.Kreuz({0, 1, 0}).Normalisiert(), t2 = t1.Kreuz(d).Normalisiert();
  for (uint32_t j = 0; j <= n; ++j)
    for (uint32_t i = 0; i <= n; ++i) {
      const float gx = float(2 * i) / float(n) - 1, gy = float(2 * j) / float(n) - 1;
      const V3 grund = t1 * (r * gx) + t2 * (r * gy);
      const Spiel::WeltVertex& v = k.vertices[j * (n + 1) + i];
      const float hoehe = (V3(v.x, v.y, v.z) - grund).Punkt(d);
      const float l1 = r * (std::fabs(gx) + std::fabs(gy));
      if (l1 <= r / 2 - 0.02f) {
        EXPECT_NEAR(hoehe, 0.4f * r, 2e-3f) << i << ", " << j;
      }
      if (l1 >= r + 0.02f) {
        EXPECT_NEAR(hoehe, -0.2f * r, 1e-5f) << i << ", " << j;
      }
    }
  // Grey 170 on the cap, 0 at the rim; the cap's normals are d.
  EXPECT_EQ(Pixel(k.farbe, 128, 128), 0xFFAAAAAAu);
  EXPECT_EQ(Pixel(k.farbe, 2, 2), 0xFF000000u);
  EXPECT_GT(Entpacke(Pixel(k.normale, 128, 128)).Punkt(d), 0.99f);
  EXPECT_GT(Entpacke(Pixel(k.normale, 120, 135)).Punkt(d), 0.99f);
}

// Sizes that are not finite or not in (0, 2048] build nothing and paint no socket.
TEST_F(Patchbau, KnopfGroesseGeprueft) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  const Datensatz ohne = Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, 2, 1, OBEN_FLAECHE);
  uint32_t key = OBJEKT;
  for (float groesse : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f, 2049.0f}) {
    SCOPED_TRACE(groesse);
    const Generator::KnopfPatch k{{7, 4, 11}, {0, 1, 0}, groesse};
    EXPECT_TRUE(IstLeer(Knopf(generator, ++key, 2, 1, k)));
    FordereKnopf(key, k);
    EXPECT_TRUE(GleicheDatensaetze(Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, 2, 1, OBEN_FLAECHE), ohne));
    generator.Verwirf(key);
  }
  // The widest map's size still builds, and paints.
  const Generator::KnopfPatch gross{{7, 4, 11}, {0, 1, 0}, 2048.0f};
  EXPECT_FALSE(IstLeer(Knopf(generator, ++key, 1, 1, gross)));
  FordereKnopf(key, gross);
  EXPECT_FALSE(GleicheDatensaetze(Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, 2, 1, OBEN_FLAECHE), ohne));
}

}  // namespace
}  // namespace patchbau
