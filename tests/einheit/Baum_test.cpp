// The tree generator: the branch builder's counts and draws under trimmed parameters, the tube
// mesh, the builder's record, and golden values that pin the draw order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "Baum.h"
#include "PatchbauHilfen.h"

namespace patchbau {
namespace {

namespace Baum = Spiel::Baum;

uint64_t Fnv(uint64_t h, int64_t wert) {
  for (int i = 0; i < 8; ++i) {
    h ^= uint64_t(wert >> (8 * i)) & 0xFF;
    h *= 0x100000001B3ull;
  }
  return h;
}
// The vertex positions quantised to 1e-4, FNV-1a 64 over them.
uint64_t VertexHash(const std::vector<Spiel::WeltVertex>& vertices) {
  uint64_t h = 0xCBF29CE484222325ull;
  for (const Spiel::WeltVertex& v : vertices)
    for (float c : {v.x, v.y, v.z}) h = Fnv(h, std::llround(double(c) * 1e4));
  return h;
}

struct Gewachsen {
  std::vector<Baum::Segment> segmente;
  uint64_t zuege;
};
Gewachsen Wachse(uint64_t seed, const Baum::Parameter& p = {}) {
  Gewachsen g;
  g.zuege = Baum::ErzeugeAeste(g.segmente, {0, 0, 0}, seed, p);
  return g;
}

TEST(Baum, GoldeneWerte) {
  const struct Fall {
    uint64_t seed;
    size_t segmente;
    uint64_t zuege;
    uint64_t hash;
  } faelle[] = {
      {0, 778, 11153, 0x51979924cbc93ef3ull},
      {1, 372, 4849, 0xa1b190612ac635e5ull},
      {7, 539, 6784, 0xff7e1d80d1b822b3ull},
      {12345, 487, 6288, 0xf9415461a61a77d0ull},
      {uint64_t(1) << 63, 345, 4819, 0x5f86987dd0f1e5f3ull},
  };
  for (const Fall& f : faelle) {
    const Gewachsen g = Wachse(f.seed);
    std::vector<Spiel::WeltVertex> vertices;
    std::vector<uint32_t> indices;
    Baum::Vernetze(g.segmente, vertices, indices);
    EXPECT_EQ(g.segmente.size(), f.segmente) << f.seed;
    EXPECT_EQ(g.zuege, f.zuege) << f.seed;
    EXPECT_EQ(VertexHash(vertices), f.hash) << f.seed;
  }
}

// The default parameters as the table gives them, spot checks of the derived ones.
TEST(Baum, StandardParameter) {
  const Baum::Parameter p;
  EXPECT_EQ(p.basis, 1.0f);
  EXPECT_EQ(p.streuung, 0.0f);
  const Baum::Ebene& stamm = p.systeme[0];
  ASSERT_EQ(stamm.ast.kinder.size(), 1u);
  const Baum::Ebene& aeste = stamm.ast.kinder[0];
  ASSERT_EQ(aeste.ast.kinder.size(), 2u);
  const Baum::Ebene &zweig1 = aeste.ast.kinder[0], &zweig2 = aeste.ast.kinder[1];
  EXPECT_TRUE(zweig1.ast.kinder.empty() && zweig2.ast.kinder.empty());
  EXPECT_EQ(stamm.werte[22], 1.5f);
  EXPECT_EQ(stamm.ast.werte[14], 10.0f);
  EXPECT_EQ(aeste.werte[24], 3.14f);
  EXPECT_EQ(aeste.ast.werte[15], 10.0f);
  EXPECT_EQ(aeste.ast.werte[25], 0.7f * 0.2f);
  EXPECT_EQ(aeste.ast.werte[29], -0.0003f * 0.2f);
  EXPECT_EQ(aeste.ast.werte[38], 0.1f);
  EXPECT_EQ(zweig1.ast.werte[25], 4.0f * 0.2f);
  EXPECT_EQ(zweig1.werte[23], 1.5f);
  EXPECT_EQ(zweig2.werte[23], -1.5f);
  EXPECT_EQ(zweig2.werte[26], 0.0f);
  EXPECT_EQ(zweig2.werte[29], 0.4f);
  EXPECT_TRUE(std::equal(zweig1.werte.begin(), zweig1.werte.begin() + 23, zweig2.werte.begin()));
  EXPECT_EQ(zweig1.ast.werte, zweig2.ast.werte);
  const Baum::Ebene& zweites = p.systeme[1];
  EXPECT_TRUE(zweites.ast.kinder.empty());
  EXPECT_TRUE(std::all_of(zweites.werte.begin(), zweites.werte.end(), [](float v) { return v == 0; }));
  // Copies are deep.
  Baum::Parameter kopie = p;
  kopie.systeme[0].ast.kinder[0].ast.kinder[1].werte[23] = 9;
  EXPECT_EQ(p.systeme[0].ast.kinder[0].ast.kinder[1].werte[23], -1.5f);
}

// Trimmed parameters: the trunk alone takes 7 to 13 steps over 200 seeds; one spawn of the branch
// level grows 1 to 4 branches, one of a twig level exactly one; the all-zero second system draws its count,
// four draws, and grows nothing.
TEST(Baum, StufenEinzeln) {
  Baum::Parameter nurStamm;
  nurStamm.systeme[0].ast.kinder.clear();
  std::set<size_t> stammSchritte;
  for (uint64_t seed = 0; seed < 200; ++seed) stammSchritte.insert(Wachse(seed, nurStamm).segmente.size());
  EXPECT_EQ(*stammSchritte.begin(), 7u);
  EXPECT_EQ(*stammSchritte.rbegin(), 13u);

  const Baum::Parameter p;
  Baum::Ebene aeste = p.systeme[0].ast.kinder[0];
  aeste.ast.kinder.clear();
  const Baum::Ebene& zweig = p.systeme[0].ast.kinder[0].ast.kinder[0];
  std::set<size_t> astAnzahlen, zweigAnzahlen;
  for (uint64_t seed = 0; seed < 2000; ++seed) {  // four branches take 2U₁ + U₂ ≥ 2.9: one spawn in 400
    std::vector<Baum::Segment> segmente;
    Baum::Zufall z(seed);
    astAnzahlen.insert(Baum::BaueAst(segmente, {0, 0, 0}, {0, 1, 0}, aeste.werte, aeste.ast, 0.2f, {}, z).size());
    zweigAnzahlen.insert(Baum::BaueAst(segmente, {0, 0, 0}, {1, 0, 0}, zweig.werte, zweig.ast, 0.05f, {}, z).size());
  }
  EXPECT_EQ(astAnzahlen, (std::set<size_t>{1, 2, 3, 4}));
  EXPECT_EQ(zweigAnzahlen, (std::set<size_t>{1}));

  std::vector<Baum::Segment> segmente;
  Baum::Zufall z(3);
  EXPECT_TRUE(Baum::BaueAst(segmente, {0, 0, 0}, {0, 1, 0}, p.systeme[1].werte, p.systeme[1].ast, 1.0f, {}, z).empty());
  EXPECT_EQ(z.Zuege(), 4u);
  EXPECT_TRUE(segmente.empty());
}

TEST(Baum, SegmentUndRoehre) {
  // A vertical segment uses h = (0, 0, 1): e1 = (1, 0, 0).
  const Baum::Segment senkrecht({0, 0, 0}, {0, 1, 0}, 1, {0.1f, 0, 0, 0, 1, 0});
  EXPECT_EQ(senkrecht.e1, V3(1, 0, 0));
  EXPECT_EQ(senkrecht.e2, V3(0, 0, 1));
  const Baum::Segment schraeg({1, 2, 3}, V3(1, 1, 0).Normalisiert(), 1, {0.1f, 0, 0, 0, 1, 0});
  EXPECT_NEAR(schraeg.e1.Punkt(schraeg.richtung), 0.0f, 1e-6f);
  EXPECT_NEAR(schraeg.e2.Punkt(schraeg.richtung), 0.0f, 1e-6f);
  EXPECT_NEAR(schraeg.e1.Laenge(), 1.0f, 1e-6f);

  // r1 < 0 over length 1: no ring below 0.01; the tips reach one radius beyond the ends.
  const Baum::Segment duenner({0, 0, 0}, {0, 1, 0}, 1, {0.05f, -1.0f, 0, 0, 1, 0});
  std::vector<Spiel::WeltVertex> v;
  std::vector<uint32_t> i;
  Baum::Vernetze(std::span(&duenner, 1), v, i);
  ASSERT_EQ(v.size(), 42u);
  ASSERT_EQ(i.size(), 180u);
  for (int ring = 1; ring <= 4; ++ring)
    for (int k = 0; k < 7; ++k) {
      const Spiel::WeltVertex& p = v[size_t(7 * ring + k)];
      EXPECT_GE(std::hypot(p.x, p.z), 2 * 0.01f - 1e-6f) << ring;
    }
  EXPECT_NEAR(v[0].y, -2 * (0.05f + 1.0f / 3), 2e-6f) << "w at t = −1/3 is 0.05 + 1/3";
  EXPECT_NEAR(v[35].y, 2 * (1.0f + 0.01f), 1e-6f);
  EXPECT_EQ(v[35].x, 0.0f);
  EXPECT_FLOAT_EQ(v[7 * 2 + 6].u, 1.0f);
  EXPECT_FLOAT_EQ(v[7 * 5].v, 1.0f);
  EXPECT_EQ(*std::max_element(i.begin(), i.end()), 41u);
}

TEST_F(Patchbau, BaumDatensatz) {
  const Generator::BaumPatch b{{4, 6, 8}, 0, 0, 0, 0, 7};
  const Datensatz d = Spiel::BaumErzeuger::Erzeuge(generator, 0xC0000005u, 2, 3, b);
  g_Log.LeereWarteschlange();
  EXPECT_TRUE(log.Enthaelt("Starte Baum c0000005 in Detailstufe 2"));
  const Gewachsen g = Wachse(7);
  EXPECT_EQ(d.vertices.size(), 42 * g.segmente.size());
  EXPECT_EQ(d.indices.size(), 180 * g.segmente.size());
  EXPECT_EQ(*std::max_element(d.indices.begin(), d.indices.end()), d.vertices.size() - 1);
  for (const Zarvo_Bild* bild : {&d.farbe, &d.normale}) {
    EXPECT_EQ(bild->Breite(), 32u);
    EXPECT_EQ(bild->Hoehe(), 32u);
  }
  EXPECT_EQ(Pixel(d.farbe, 5, 9), 0x20666666u);
  EXPECT_EQ(Pixel(d.normale, 31, 31), 0xFF80FF80u);
  const float verschiebung[16] = {1, 0, 0, 4, 0, 1, 0, 6, 0, 0, 1, 8, 0, 0, 0, 1};
  EXPECT_EQ(std::memcmp(d.transform, verschiebung, sizeof verschiebung), 0);
  EXPECT_EQ(d.key, 0xC0000005u);
  EXPECT_EQ(d.stufe, 2u);
  EXPECT_EQ(d.generation, 3u);

  // The same seed: the same tree; the four floats and the level change nothing; another seed does.
  const Datensatz gleich = Spiel::BaumErzeuger::Erzeuge(generator, 1, 4, 1, {{4, 6, 8}, 1.5f, -2, 3, 4, 7});
  EXPECT_TRUE(GleicheDatensaetze(d, gleich));
  const Datensatz anders = Spiel::BaumErzeuger::Erzeuge(generator, 1, 2, 1, {{4, 6, 8}, 0, 0, 0, 0, 8});
  EXPECT_FALSE(GleicheVertices(d.vertices, anders.vertices));
}

TEST(Baum, TausendSeedsEndlich) {
  std::vector<Spiel::WeltVertex> vertices;
  std::vector<uint32_t> indices;
  std::set<uint64_t> hashes;
  for (uint64_t seed = 0; seed < 1000; ++seed) {
    const Gewachsen g = Wachse(seed);
    ASSERT_FALSE(g.segmente.empty()) << seed;
    for (const Baum::Segment& s : g.segmente) ASSERT_GT(s.laenge, 0.0f) << seed;
    Baum::Vernetze(g.segmente, vertices, indices);
    for (const Spiel::WeltVertex& v : vertices) ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << seed;
    hashes.insert(VertexHash(vertices));
  }
  EXPECT_EQ(hashes.size(), 1000u) << "every seed its own tree";
}

}  // namespace
}  // namespace patchbau
