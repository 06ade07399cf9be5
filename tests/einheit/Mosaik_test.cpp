// The mosaic pictures and the mosaic painter: the picture cache over the fixture "Daten", the
// tile grid, its edges, alpha and orientation, the bounded walk against the full one, the sizes
// it refuses, and the shipped pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <set>

#include "PatchbauHilfen.h"

namespace patchbau {
namespace {

using Spiel::MosaikSammlung;

// The −X face of cell (1, 1, 1): p = (2, 2, 2), a = (0, 0, 2), b = (0, 2, 0). Texel column i runs
// along +Z, row j along +Y. A picture on it faces −X with up +Y, so its right is −Z.
const uint32_t WAND_KEY = FlaechenKey(0, 1, 1, 1);
const Generator::FlaechenPatch WAND_FLAECHE = BlockFlaeche(0, 1, 1, 1);
const V3 WAND_MITTE(2, 3, 3);
Generator::MosaikPatch AufWand(float breite, float hoehe, uint32_t bild, V3 mitte = WAND_MITTE) {
  return Mosaik(mitte, {-1, 0, 0}, {0, 1, 0}, breite, hoehe, bild);
}

// A face's colour image and flat relief, painted by BaueMosaik alone.
struct Bemalt {
  Zarvo_Bild farbe;
  std::vector<V3> relief;
  uint32_t S;
};
Bemalt Flach(uint32_t S, const Generator::FlaechenPatch& f = WAND_FLAECHE) {
  Bemalt b{Intern::GefuelltesBild(S, WAND), std::vector<V3>(size_t(S) * S), S};
  const Intern::Flaechenpunkte fp(f, S);
  for (uint32_t j = 0; j < S; ++j)
    for (uint32_t i = 0; i < S; ++i) b.relief[size_t(j) * S + i] = fp.Punkt(i, j);
  return b;
}
Bemalt Male(const Generator::MosaikPatch& m, uint32_t S) {
  Bemalt b = Flach(S);
  Generator::BaueMosaik(WAND_FLAECHE, m, b.relief, b.farbe);
  return b;
}
bool Unveraendert(const Bemalt& b) {
  const Bemalt flach = Flach(b.S);
  return GleicheBytes(b.farbe, flach.farbe) && std::memcmp(b.relief.data(), flach.relief.data(), b.relief.size() * sizeof(V3)) == 0;
}

// ---- the cache ----

TEST_F(Patchbau, MosaikBilderWerdenEinmalGeladen) {
  const Zarvo_Bild& drei = MosaikSammlung::HoleBild(3);
  ASSERT_EQ(drei.Breite(), 1u);
  EXPECT_EQ(Pixel(drei, 0, 0), EinzelFarbe(3));
  EXPECT_EQ(MosaikSammlung::Ladevorgaenge(), 1u);
  EXPECT_EQ(&MosaikSammlung::HoleBild(3), &drei);
  const Zarvo_Bild& sieben = MosaikSammlung::HoleBild(7);
  ASSERT_EQ(sieben.Breite(), 16u);
  ASSERT_EQ(sieben.Hoehe(), 64u);
  EXPECT_EQ(Pixel(sieben, 15, 33), EinzigartigeFarbe(15, 33, 7));
  EXPECT_EQ(MosaikSammlung::Ladevorgaenge(), 2u);
  EXPECT_EQ(MosaikSammlung::Dateipfad(3).filename(), "mosaik03.png");

  // A missing file: the placeholder, and the reader's line naming the file.
  const Zarvo_Bild& fehlt = MosaikSammlung::HoleBild(FEHLENDES_BILD);
  g_Log.LeereWarteschlange();
  ASSERT_EQ(fehlt.Breite(), 128u);
  ASSERT_EQ(fehlt.Hoehe(), 64u);
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 128; ++x) ASSERT_EQ(Pixel(fehlt, x, y), 0xFF880088u);
  EXPECT_TRUE(log.EnthaeltTeil("mosaik05.png\"):  Datei konnte nicht geladen werden."));
  EXPECT_EQ(MosaikSammlung::Ladevorgaenge(), 3u);
  EXPECT_EQ(&MosaikSammlung::HoleBild(FEHLENDES_BILD), &fehlt);

  // Indices of 8 and more: the placeholder, made once, no file read.
  const Zarvo_Bild& acht = MosaikSammlung::HoleBild(8);
  EXPECT_EQ(&MosaikSammlung::HoleBild(0xFFFFFFFFu), &acht);
  EXPECT_NE(&acht, &fehlt);
  ASSERT_EQ(acht.Breite(), 128u);
  EXPECT_EQ(Pixel(acht, 127, 63), 0xFF880088u);
  EXPECT_EQ(MosaikSammlung::Ladevorgaenge(), 3u);
  // ... and it is painted like the picture of a missing file.
  const Bemalt b = Male(AufWand(2, 2, 9), 128);
  std::set<uint32_t> farben(Intern::Zeile(b.farbe, 0), Intern::Zeile(b.farbe, 0) + 128 * 128);
  EXPECT_TRUE(farben.count(0xFF880088u));
}

// ---- painting ----

// One tile per cell, 32 per doubled unit: a picture of one colour per pixel and a pixel per cell
// (32 x 32 for 1 x 1, 16 x 64 for 0.5 x 2) shows 1024 distinct tile colours, each cell the pixel
// at its centre (the border cells repeat the edge pixels).
TEST_F(Patchbau, MosaikKachelnJeZelle) {
  const struct Fall {
    float breite, hoehe;
    uint32_t bild, spalten, zeilen;
  } faelle[] = {{1, 1, 1, 32, 32}, {0.5f, 2, 7, 16, 64}};
  uint32_t key = OBJEKT;
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.breite);
    Fordere(WAND_KEY, WAND_FLAECHE);
    FordereMosaik(++key, AufWand(f.breite, f.hoehe, f.bild));
    const Datensatz d = Flaeche(WAND_KEY, 4);
    generator.Verwirf(key);
    std::set<uint32_t> farben;
    for (uint32_t y = 1; y + 1 < 1024; ++y)
      for (uint32_t x = 1; x + 1 < 1024; ++x) {
        const uint32_t p = Pixel(d.farbe, x, y);
        if (p == WAND || p == FUGE) continue;
        ASSERT_EQ(p & 0xFF, 0x40u + f.bild) << x << ", " << y;
        ASSERT_LT((p >> 16) & 0xFF, f.spalten);
        ASSERT_LT((p >> 8) & 0xFF, f.zeilen);
        farben.insert(p);
      }
    EXPECT_EQ(farben.size(), size_t(f.spalten) * f.zeilen);
  }
}

// s = 1 at the right edge: a texel exactly there is not painted; s = 0 at the left edge is.
TEST_F(Patchbau, MosaikRechterRandBleibtWand) {
  const Bemalt b = Male(AufWand(1, 1, 6), 1024);  // right edge at z = 2.5: column 256; left at z = 3.5
  for (uint32_t j = 530; j < 750; ++j) {
    ASSERT_EQ(Pixel(b.farbe, 256, j), WAND) << j;
    const uint32_t innen = Pixel(b.farbe, 257, j), links = Pixel(b.farbe, 768, j);
    ASSERT_TRUE(innen == 0xFF000000u || innen == FUGE) << j;
    ASSERT_TRUE(links == 0xFF000000u || links == FUGE) << j;
    ASSERT_EQ(Pixel(b.farbe, 769, j), WAND) << j;
  }
}

// Only alpha above 0x20 paints: tiles c | 0xFF000000 standing 0.002 out, joints at the wall.
TEST_F(Patchbau, MosaikAlphaSchwelle) {
  const struct Fall {
    uint32_t bild;
    bool malt;
  } faelle[] = {{2, false}, {3, false}, {4, true}, {6, true}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.bild);
    const Bemalt b = Male(AufWand(2, 2, f.bild), 256);
    if (!f.malt) {
      EXPECT_TRUE(Unveraendert(b));
      continue;
    }
    const Bemalt flach = Flach(256);
    size_t kacheln = 0, fugen = 0;
    for (uint32_t j = 1; j < 256; ++j)  // row 0 and column 0 lie at t = 1 and s = 1
      for (uint32_t i = 1; i < 256; ++i) {
        const uint32_t p = Pixel(b.farbe, i, j);
        const V3 q = flach.relief[j * 256 + i], r = b.relief[j * 256 + i];
        if (p == FUGE) {
          ++fugen;
          ASSERT_EQ(r, q);
        } else {
          ++kacheln;
          ASSERT_EQ(p, EinzelFarbe(f.bild) | 0xFF000000u) << i << ", " << j;
          ASSERT_EQ(r, q + V3(-1, 0, 0) * 0.002f) << i << ", " << j;
        }
      }
    EXPECT_GT(fugen, 256u * 256u / 20);
    EXPECT_GT(kacheln, 256u * 256u / 2);
  }
}

// The 2 x 2 picture (red, green over blue, transparent) on the −X wall, up +Y, right −Z: red at
// the top left as seen from the front, that is high y and high z.
TEST_F(Patchbau, MosaikNichtGespiegelt) {
  const Bemalt b = Male(AufWand(2, 2, 0), 256);
  std::map<uint32_t, size_t> viertel[2][2];  // [top][left]
  for (uint32_t j = 1; j < 256; ++j)  // row 0 and column 0 lie at t = 1 and s = 1
    for (uint32_t i = 1; i < 256; ++i) {
      if (std::abs(int(j) - 128) < 12 || std::abs(int(i) - 128) < 12) continue;  // jittered tile seams
      const uint32_t p = Pixel(b.farbe, i, j);
      if (p != FUGE) ++viertel[j > 128][i > 128][p];
    }
  const struct Fall {
    bool oben, links;
    uint32_t farbe;
  } faelle[] = {{true, true, 0xFFFF0000u}, {true, false, 0xFF00FF00u}, {false, true, 0xFF0000FFu}, {false, false, WAND}};
  for (const Fall& f : faelle) {
    const std::map<uint32_t, size_t>& v = viertel[f.oben][f.links];
    ASSERT_EQ(v.size(), 1u) << f.oben << f.links;
    EXPECT_EQ(v.begin()->first, f.farbe) << f.oben << f.links;
  }
}

// Over the nine faces of a mosaic three blocks wide and high, the bounded walk (window of reachable
// cells, texels of its slabs, the picture fetched only by faces it reaches) equals the full one.
TEST_F(Patchbau, MosaikFensterGleichVollemLauf) {
  const Generator::MosaikPatch m = Mosaik({2, 5, 5}, {-1, 0, 0}, {0, 1, 0}, 6, 6, 1);
  FordereMosaik(OBJEKT, m);
  for (uint32_t y = 1; y <= 3; ++y)
    for (uint32_t z = 1; z <= 3; ++z) Fordere(FlaechenKey(0, 1, y, z), BlockFlaeche(0, 1, float(y), float(z)));
  size_t bemalt = 0;
  for (uint32_t y = 1; y <= 3; ++y)
    for (uint32_t z = 1; z <= 3; ++z) {
      const uint32_t key = FlaechenKey(0, 1, y, z);
      const Datensatz begrenzt = Flaeche(key, 3, false), voll = Flaeche(key, 3, true);
      EXPECT_TRUE(GleicheDatensaetze(begrenzt, voll)) << y << ", " << z;
      for (uint32_t j = 0; j < 512; ++j) bemalt += Pixel(begrenzt.farbe, 256, j) != WAND;
    }
  EXPECT_GT(bemalt, 9u * 500);
  // A face beside it: nothing reached, the picture of another slot never fetched.
  FordereMosaik(OBJEKT + 1, Mosaik({2, 9.6f, 7}, {-1, 0, 0}, {0, 1, 0}, 0.5f, 0.5f, 7));  // its box reaches the face, its picture not
  Fordere(FlaechenKey(0, 1, 5, 3), BlockFlaeche(0, 1, 5, 3));
  const uint64_t geladen = MosaikSammlung::Ladevorgaenge();
  EXPECT_TRUE(GleicheDatensaetze(Flaeche(FlaechenKey(0, 1, 5, 3), 2, false), Flaeche(FlaechenKey(0, 1, 5, 3), 2, true)));
  EXPECT_EQ(MosaikSammlung::Ladevorgaenge(), geladen + 1) << "only the full walk read picture 7";
}

// Sizes that are not finite or not in (0, 2048], and axes without a frame, paint nothing; 2048 paints
// one face from the few cells it reaches (the full table would be 65538² cells).
TEST_F(Patchbau, MosaikGroesseGeprueft) {
  const float NAN_F = std::numeric_limits<float>::quiet_NaN(), INF_F = std::numeric_limits<float>::infinity();
  for (float groesse : {NAN_F, INF_F, -INF_F, -1.0f, 0.0f, 4097.0f, 2048.5f}) {
    SCOPED_TRACE(groesse);
    EXPECT_TRUE(Unveraendert(Male(AufWand(groesse, 1, 6), 128)));
    EXPECT_TRUE(Unveraendert(Male(AufWand(1, groesse, 6), 128)));
  }
  Generator::MosaikPatch parallel = Mosaik(WAND_MITTE, {0, 1, 0}, {0, 1, 0}, 1, 1, 6);  // e = d0 × d1 = 0
  EXPECT_TRUE(Unveraendert(Male(parallel, 128)));
  parallel.achse2 = {0, 0, -0.4f};
  EXPECT_TRUE(Unveraendert(Male(parallel, 128)));
  Generator::MosaikPatch neu = Mosaik(WAND_MITTE, {0, 0, 0}, {0, 0, 0}, 0, 0, 0);  // a new object's arguments
  EXPECT_TRUE(Unveraendert(Male(neu, 128)));

  const Bemalt gross = Male(AufWand(2048, 2048, 6), 1024);
  size_t kacheln = 0;
  for (uint32_t j = 0; j < 1024; ++j)
    for (uint32_t i = 0; i < 1024; ++i) kacheln += Pixel(gross.farbe, i, j) == 0xFF000000u;
  EXPECT_GT(kacheln, 1024u * 1024u / 2);
}

// ---- the shipped pictures ----

TEST(MosaikDateien, GebauteBilder) {
  const struct Fall {
    uint32_t breite, hoehe;
    bool durchsichtig;
  } faelle[8] = {{64, 64, true}, {64, 64, false}, {64, 64, true}, {64, 64, false},
                 {96, 48, true}, {16, 16, false}, {64, 64, true}, {128, 64, false}};
  for (uint32_t i = 0; i < 8; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "mosaik%02u.png", i);
    SCOPED_TRACE(name);
    Zarvo_Bild bild;
    ASSERT_TRUE(bild.LadeBildAusDatei(std::filesystem::path(MORVELUNT_DATEN_ZIEL) / name));
    EXPECT_EQ(bild.Breite(), faelle[i].breite);
    EXPECT_EQ(bild.Hoehe(), faelle[i].hoehe);
    std::set<uint32_t> farben;
    bool durchsichtig = false;
    for (uint32_t y = 0; y < bild.Hoehe(); ++y)
      for (uint32_t x = 0; x < bild.Breite(); ++x) {
        const uint32_t p = Pixel(bild, x, y);
        farben.insert(p);
        durchsichtig = durchsichtig || (p >> 24) == 0;
        ASSERT_TRUE((p >> 24) == 0 || (p >> 24) == 0xFF);
        ASSERT_TRUE((p >> 24) != 0 || p == 0);
      }
    EXPECT_GE(farben.size(), 3u);
    EXPECT_FALSE(farben.count(0xFF880088u));
    EXPECT_EQ(durchsichtig, faelle[i].durchsichtig);
  }
}

}  // namespace
}  // namespace patchbau
