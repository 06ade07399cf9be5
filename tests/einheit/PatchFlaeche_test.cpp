// The block-face builder and the sizes and refusals of every builder: grid, colours, relief and
// normal map, the objects painted into faces, and the order they are read in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "Baum.h"
#include "PatchErbauer.h"
#include "PatchbauHilfen.h"

namespace patchbau {
namespace {

const float NAN_F = std::numeric_limits<float>::quiet_NaN();
const float INF_F = std::numeric_limits<float>::infinity();

// The +Y face of the full block (3, 1, 5): p = (8, 4, 10), a = (−2, 0, 0), b = (0, 0, 2), c = a.
const uint32_t OBEN_KEY = FlaechenKey(5, 3, 1, 5);
const Generator::FlaechenPatch OBEN_FLAECHE = BlockFlaeche(5, 3, 1, 5);

// The texel of the world point (x, 4, z) on that face at side S.
struct Texel {
  uint32_t i, j;
};
Texel ObenTexel(float x, float z, uint32_t S) { return {uint32_t((8 - x) * float(S) / 2), uint32_t((z - 10) * float(S) / 2)}; }
// The vertex nearest to (x, 4, z) on the level-4 grid (128 cells over 2 units).
const Spiel::WeltVertex& ObenVertex(const Datensatz& d, float x, float z) {
  const uint32_t i = uint32_t(std::lround((8 - x) * 64)), j = uint32_t(std::lround((z - 10) * 64));
  return d.vertices[j * 129 + i];
}

// ---- sizes, refusals ----

TEST_F(Patchbau, GroessenJeStufe) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  const V3 P(3, 5, 7);
  const struct Fall {
    const char* art;
    uint32_t stufe, vertices, dreiecke, seite;
  } faelle[] = {
      {"Flaeche", 1, 289, 512, 128},   {"Flaeche", 2, 1089, 2048, 256}, {"Flaeche", 3, 4225, 8192, 512},
      {"Flaeche", 4, 16641, 32768, 1024}, {"Gitter", 1, 2376, 4096, 128},  {"Gitter", 2, 2376, 4096, 256},
      {"Gitter", 3, 2376, 4096, 512},  {"Gitter", 4, 2376, 4096, 1024}, {"Hebel", 1, 15, 16, 64},
      {"Hebel", 2, 45, 64, 128},       {"Hebel", 3, 153, 256, 256},     {"Hebel", 4, 561, 1024, 512},
      {"Knopf", 1, 25, 32, 64},        {"Knopf", 2, 81, 128, 64},       {"Knopf", 3, 289, 512, 128},
      {"Knopf", 4, 1089, 2048, 256},
  };
  for (const Fall& f : faelle) {
    const std::string art = f.art;
    Datensatz d;
    if (art == "Flaeche") d = Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, f.stufe, 9, OBEN_FLAECHE);
    if (art == "Gitter") d = Spiel::PatchErbauer::Gitter(generator, OBJEKT, f.stufe, 9, {P, {0, 0, 1}, {0, 1, 0}});
    if (art == "Hebel") d = Spiel::PatchErbauer::Hebel(generator, OBJEKT, f.stufe, 9, patchbau::Hebel(P, {0, 1, 0}, {1, 0, 0}));
    if (art == "Knopf") d = Spiel::PatchErbauer::Knopf(generator, OBJEKT, f.stufe, 9, {P, {1, 0, 0}, 0.5f});
    SCOPED_TRACE(art + " Stufe " + std::to_string(f.stufe));
    EXPECT_EQ(d.stufe, f.stufe);
    EXPECT_EQ(d.generation, 9u);
    EXPECT_EQ(d.vertices.size(), f.vertices);
    ASSERT_EQ(d.indices.size(), 3 * size_t(f.dreiecke));
    EXPECT_LT(*std::max_element(d.indices.begin(), d.indices.end()), f.vertices);
    for (const Zarvo_Bild* bild : {&d.farbe, &d.normale}) {
      EXPECT_EQ(bild->Breite(), f.seite);
      EXPECT_EQ(bild->Hoehe(), f.seite);
      EXPECT_EQ(bild->Format(), PXFMT_A8R8G8B8);
      EXPECT_EQ(bild->MipAnzahl(), 1u);
    }
    EXPECT_EQ(d.nachbarn.anzahl, 0u);
    const float* m = d.transform;
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(m[14], 0.0f);
    EXPECT_EQ(m[15], 1.0f);
    if (art == "Flaeche") {
      const float einheit[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
      EXPECT_EQ(std::memcmp(m, einheit, sizeof einheit), 0);
    } else if (art == "Hebel") {  // the foot 0.02 inside the wall
      EXPECT_FLOAT_EQ(m[3], 3.0f);
      EXPECT_FLOAT_EQ(m[7], 5.0f - 0.02f);
      EXPECT_FLOAT_EQ(m[11], 7.0f);
    } else {
      const float verschiebung[16] = {1, 0, 0, P.x, 0, 1, 0, P.y, 0, 0, 1, P.z, 0, 0, 0, 1};
      EXPECT_EQ(std::memcmp(m, verschiebung, sizeof verschiebung), 0);
    }
  }
}

// A level outside 1..4 and a non-finite float the builder reads build nothing, for every builder.
TEST_F(Patchbau, UngueltigeEingabenBauenNichts) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  const V3 P(3, 5, 7);
  const Generator::FlaechenPatch f = OBEN_FLAECHE;
  Generator::FlaechenPatch fNaN = f;
  fNaN.c.y = NAN_F;
  const Generator::GitterPatch g{P, {0, 0, 1}, {0, 1, 0}};
  const Generator::HebelPatch h = patchbau::Hebel(P, {0, 1, 0}, {1, 0, 0});
  const Generator::KnopfPatch k{P, {1, 0, 0}, 0.5f};
  const Generator::BaumPatch b{P, 0, 0, 0, 0, 7};
  for (uint32_t stufe : {0u, 5u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(stufe);
    EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, stufe, 1, f)));
    EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Gitter(generator, OBJEKT, stufe, 1, g)));
    EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Hebel(generator, OBJEKT, stufe, 1, h)));
    EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Knopf(generator, OBJEKT, stufe, 1, k)));
    EXPECT_TRUE(IstLeer(Spiel::BaumErzeuger::Erzeuge(generator, OBJEKT, stufe, 1, b)));
  }
  EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY, 1, 1, fNaN)));
  EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Gitter(generator, OBJEKT, 1, 1, {P, {0, 0, INF_F}, {0, 1, 0}})));
  EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Hebel(generator, OBJEKT, 1, 1, {{NAN_F, 0, 0}, h.d0, h.e1, h.e2})));
  EXPECT_TRUE(IstLeer(Spiel::PatchErbauer::Knopf(generator, OBJEKT, 1, 1, {P, {NAN_F, 1, 0}, 0.5f})));
  EXPECT_TRUE(IstLeer(Spiel::BaumErzeuger::Erzeuge(generator, OBJEKT, 1, 1, {{0, INF_F, 0}, 0, 0, 0, 0, 7})));
  // A huge but finite face: whatever is built has finite positions.
  const Generator::FlaechenPatch riesig{{1e30f, 0, 0}, {-3e38f, 0, 0}, {0, 0, 3e38f}, {-3e38f, 0, 0}, 0};
  Fordere(OBEN_KEY + 1, riesig);
  const Datensatz d = Spiel::PatchErbauer::Flaeche(generator, OBEN_KEY + 1, 1, 1, riesig);
  for (const Spiel::WeltVertex& v : d.vertices) ASSERT_TRUE(std::isfinite(v.x + v.y + v.z));
}

// ---- the face ----

TEST_F(Patchbau, FarbeNachMaterialUndLage) {
  const float rampe[4] = {0.5f, 0, 0.5f, 0};  // "FelsTreppe1L,": its top rises toward −X
  const struct Fall {
    const char* name;
    Generator::FlaechenPatch flaeche;
    uint32_t farbe;
  } faelle[] = {
      {"+Y, Fels", BlockFlaeche(5, 3, 1, 5), OBEN},
      {"-X, Fels", BlockFlaeche(0, 3, 1, 5), WAND},
      {"-Y, Fels", BlockFlaeche(4, 3, 1, 5), WAND},
      {"Rampe oben, Fels", BlockFlaeche(5, 3, 1, 5, rampe), WAND},
      {"+Y, Mauer", BlockFlaeche(5, 3, 1, 5, {1, 1, 1, 1}, 1), MAUER},
      {"+Z, Mauer", BlockFlaeche(2, 3, 1, 5, {1, 1, 1, 1}, 1), MAUER},
  };
  const Generator::FlaechenPatch& r = faelle[3].flaeche;
  EXPECT_EQ(r.a, V3(-2, 1, 0));
  EXPECT_EQ(r.c, V3(-2, 1, 0));
  EXPECT_NEAR(Intern::FlaechenNormale(r).y, 0.894f, 0.001f);
  uint32_t key = 1;
  for (const Fall& f : faelle) {
    Fordere(++key, f.flaeche);
    const Datensatz d = Flaeche(key, 1);
    EXPECT_EQ(Pixel(d.farbe, 0, 0), f.farbe) << f.name;
    EXPECT_EQ(Pixel(d.farbe, 64, 77), f.farbe) << f.name;
    EXPECT_EQ(Pixel(d.farbe, 127, 127), f.farbe) << f.name;
  }
}

TEST_F(Patchbau, FlacheFlaecheBleibtFlach) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  for (uint32_t stufe = 1; stufe <= 4; ++stufe) {
    const Datensatz d = Flaeche(OBEN_KEY, stufe);
    for (const Spiel::WeltVertex& v : d.vertices) ASSERT_NEAR(v.y, 4.0f, 1e-6f) << stufe;
    const uint32_t erste = Pixel(d.normale, 0, 0);
    EXPECT_EQ(erste, Intern::PackeNormale({0, 1, 0}));
    const uint32_t S = uint32_t(d.normale.Breite());
    for (uint32_t y = 0; y < S; ++y)
      for (uint32_t x = 0; x < S; ++x) ASSERT_EQ(Pixel(d.normale, x, y), erste) << stufe << ": " << x << ", " << y;
    // The grid spans texel centres; each vertex takes the point of the texel it lies in.
    EXPECT_FLOAT_EQ(d.vertices.front().u, 0.5f / float(S));
    EXPECT_FLOAT_EQ(d.vertices.back().u, (float(S) - 0.49f) / float(S));
    EXPECT_FLOAT_EQ(d.vertices.front().x, 8.0f);
    EXPECT_NEAR(d.vertices.back().z, 12.0f, 1.0f / float(S));
    EXPECT_LT(d.vertices.back().z, 12.0f);
  }
}

// The four triangular stair sides (b = 0) take a × c, the table's outward normal: a plate on each
// rises along it, its top is lit from there, and no position is NaN.
TEST_F(Patchbau, DreieckigeSeitenMitPlatte) {
  const struct Fall {
    const char* name;
    uint32_t f;
    float h[4];
  } faelle[] = {{"-Z von 1L", 3, {0.5f, 0, 0.5f, 0}},
                {"+Z von 1R", 2, {0, 0.5f, 0, 0.5f}},
                {"-X von 1V", 0, {0, 0, 0.5f, 0.5f}},
                {"+X von 1H", 1, {0.5f, 0.5f, 0, 0}}};
  uint32_t key = 0;
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    const Generator::FlaechenPatch f = BlockFlaeche(fall.f, 3, 1, 5, fall.h);
    ASSERT_EQ(f.b, V3(0, 0, 0));
    const V3 n = FLAECHEN_NORMALEN[fall.f];
    EXPECT_EQ(Intern::FlaechenNormale(f), n);
    // The plate on the triangle's wide part.
    const V3 mitte = f.p + (f.a + (f.c - f.a) * 0.4f) * 0.7f;  // u = 0.7, t = 0.4
    Fordere(++key, f);
    ForderePlatte(OBJEKT + key, mitte);
    const Datensatz d = Flaeche(key, 4);
    for (const Spiel::WeltVertex& v : d.vertices) ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    // Highest vertex along n: the plate's top, 0.05 out.
    float hoechste = -1e9f;
    for (const Spiel::WeltVertex& v : d.vertices) hoechste = std::max(hoechste, (V3(v.x, v.y, v.z) - f.p).Punkt(n));
    EXPECT_NEAR(hoechste, 0.05f, 1e-4f);
    // Flat texels, on the plate's top and off it, decode to n.
    const V3 mitteTexel = Entpacke(Pixel(d.normale, 512, 128));
    EXPECT_GT(mitteTexel.Punkt(n), 0.99f);
    EXPECT_GT(Entpacke(Pixel(d.normale, 100, 900)).Punkt(n), 0.99f);
  }
}

// A plate raises the relief by 0.05 with the formula's colour; of two plates the one nearer to
// the face centre is painted.
TEST_F(Patchbau, DruckplatteUndDieNaehere) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  ForderePlatte(OBJEKT + 1, {6.5f, 4, 10.5f});
  ForderePlatte(OBJEKT + 2, {7.2f, 4, 11.1f});  // nearer to the centre (7, 4, 11)
  const Datensatz d = Flaeche(OBEN_KEY, 4);
  EXPECT_NEAR(ObenVertex(d, 7.2f, 11.1f).y, 4.05f, 1e-5f);
  EXPECT_NEAR(ObenVertex(d, 6.5f, 10.5f).y, 4.0f, 1e-6f);
  EXPECT_EQ(Pixel(d.farbe, ObenTexel(6.5f, 10.5f, 1024).i, ObenTexel(6.5f, 10.5f, 1024).j), OBEN);
  // Along the row through the plate: white × f(w) with w from the texel corner's distance.
  const uint32_t j = ObenTexel(7.2f, 11.1f, 1024).j;
  std::set<uint32_t> grau;
  for (uint32_t i = 0; i < 1024; ++i) {
    const V3 q = OBEN_FLAECHE.p + OBEN_FLAECHE.b * (float(j) / 1024) + OBEN_FLAECHE.a * (float(i) / 1024);
    const float m = std::max({std::fabs(q.x - 7.2f), std::fabs(q.y - 4.0f), std::fabs(q.z - 11.1f)});
    const float w = std::clamp(10.0f - 20.0f * m, -0.5f, 1.0f);
    if (!(w > -0.5f) || i == 0 || i == 1023) continue;
    const float f = std::max(0.0f, w * 0.7692308f + 0.23076925f);
    const uint32_t c = uint32_t(255.0f * f + 0.5f);
    ASSERT_EQ(Pixel(d.farbe, i, j), 0xFF000000u | c << 16 | c << 8 | c) << i;
    grau.insert(c);
  }
  EXPECT_GT(grau.size(), 20u) << "the slope is shaded";
}

// Four levers are painted, the lowest keys first; one 0.98 off the face normal is not; the slot
// in the middle is black and raised 0.01.
TEST_F(Patchbau, HebelSockelDieVierErsten) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  const V3 orte[5] = {{6.5f, 4, 10.5f}, {7.5f, 4, 10.5f}, {6.5f, 4, 11.5f}, {7.5f, 4, 11.5f}, {7, 4, 11}};
  for (int i = 4; i >= 0; --i) FordereHebel(OBJEKT + 1 + uint32_t(i), patchbau::Hebel(orte[i], {0, 1, 0}, {1, 0, 0}));
  FordereHebel(OBJEKT, patchbau::Hebel({7, 4, 11.7f}, {0.19899749f, 0.98f, 0}, {0, 0, 1}));
  const Datensatz d = Flaeche(OBEN_KEY, 4);
  for (int i = 0; i < 4; ++i) {
    const Texel t = ObenTexel(orte[i].x, orte[i].z, 1024);
    EXPECT_EQ(Pixel(d.farbe, t.i, t.j), 0xFF000000u) << i;
    EXPECT_NEAR(ObenVertex(d, orte[i].x, orte[i].z).y, 4.01f, 1e-5f) << i;
    // The plate around the slot: grey, raised.
    const Texel rand = ObenTexel(orte[i].x - 0.25f, orte[i].z, 1024);
    const uint32_t grau = Pixel(d.farbe, rand.i, rand.j);
    EXPECT_EQ(grau >> 24, 0xFFu);
    EXPECT_EQ((grau >> 16) & 0xFF, grau & 0xFF);
    EXPECT_NE(grau, OBEN);
  }
  const Texel fuenfter = ObenTexel(7, 11, 1024), schief = ObenTexel(7, 11.7f, 1024);
  EXPECT_EQ(Pixel(d.farbe, fuenfter.i, fuenfter.j), OBEN);
  EXPECT_EQ(Pixel(d.farbe, schief.i, schief.j), OBEN);
}

TEST_F(Patchbau, KnopfSockelZweiHundertstelTief) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  FordereKnopf(OBJEKT + 1, {{7, 4, 11}, {0, 1, 0}, 0.3f});
  FordereKnopf(OBJEKT + 2, {{6.5f, 4, 10.5f}, {1, 0, 0}, 0.3f});  // faces elsewhere
  const Datensatz d = Flaeche(OBEN_KEY, 4);
  EXPECT_NEAR(ObenVertex(d, 7, 11).y, 3.98f, 1e-5f);
  EXPECT_NEAR(ObenVertex(d, 7.2f, 11).y, 3.98f, 1e-5f);
  EXPECT_NEAR(ObenVertex(d, 7.4f, 11).y, 4.0f, 1e-6f);
  const Texel mitte = ObenTexel(7, 11, 1024), anderer = ObenTexel(6.5f, 10.5f, 1024);
  EXPECT_EQ(Pixel(d.farbe, mitte.i, mitte.j), 0xFF000000u);
  EXPECT_EQ(Pixel(d.farbe, anderer.i, anderer.j), OBEN);
}

// The objects on a face are read in key order: entered in two orders, the face is the same. Five
// levers keep four, two mosaics keep the later, two plates the nearer.
TEST_F(Patchbau, ReihenfolgeDerAnforderungenZaehltNicht) {
  struct Objekt {
    uint32_t key;
    std::function<void(Patchbau&, uint32_t)> fordere;
  };
  const V3 orte[5] = {{6.4f, 4, 10.4f}, {7.6f, 4, 10.4f}, {6.4f, 4, 11.6f}, {7.6f, 4, 11.6f}, {7, 4, 11}};
  std::vector<Objekt> objekte;
  for (uint32_t i = 0; i < 5; ++i)
    objekte.push_back({OBJEKT + 10 + i, [o = orte[i]](Patchbau& t, uint32_t k) { t.FordereHebel(k, patchbau::Hebel(o, {0, 1, 0}, {1, 0, 0})); }});
  for (uint32_t i = 0; i < 2; ++i)
    objekte.push_back({OBJEKT + 20 + i, [i](Patchbau& t, uint32_t k) {
                         t.FordereMosaik(k, Mosaik({7, 4, 11}, {0, 1, 0}, {0, 0, 1}, 1.2f, 1.2f, i == 0 ? 0u : 1u));
                       }});
  for (uint32_t i = 0; i < 2; ++i) objekte.push_back({OBJEKT + 30 + i, [i](Patchbau& t, uint32_t k) { t.ForderePlatte(k, {7.0f + 0.3f * float(i), 4, 11}); }});

  Fordere(OBEN_KEY, OBEN_FLAECHE);
  for (const Objekt& o : objekte) o.fordere(*this, o.key);
  const Datensatz vorwaerts = Flaeche(OBEN_KEY, 2);
  // A fresh table, the objects the other way round, the face last.
  Spiel::Szene::InstanzPool zweiterPool;
  Generator zweiter(zweiterPool, Generator::Erbauer{});
  aktiv = &zweiter;
  for (auto o = objekte.rbegin(); o != objekte.rend(); ++o) o->fordere(*this, o->key);
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  const Datensatz rueckwaerts = Flaeche(OBEN_KEY, 2);
  EXPECT_TRUE(GleicheDatensaetze(vorwaerts, rueckwaerts));
}

// The bounded texel walk of every decoration equals the full walk byte for byte.
TEST_F(Patchbau, BegrenzterLaufGleichVollem) {
  Fordere(OBEN_KEY, OBEN_FLAECHE);
  ForderePlatte(OBJEKT + 1, {7.9f, 4, 10.2f});                                      // over the corner
  FordereHebel(OBJEKT + 2, patchbau::Hebel({6.1f, 4, 11}, {0, 1, 0}, {0.6f, 0, 0.8f}));  // turned, over the edge
  FordereKnopf(OBJEKT + 3, {{7, 4, 11.9f}, {0, 1, 0}, 0.45f});
  FordereMosaik(OBJEKT + 4, Mosaik({7.3f, 4, 10.8f}, {0, 1, 0}, {0, 0, 1}, 0.7f, 1.1f, 1));
  for (uint32_t stufe : {1u, 3u}) EXPECT_TRUE(GleicheDatensaetze(Flaeche(OBEN_KEY, stufe, false), Flaeche(OBEN_KEY, stufe, true))) << stufe;
}

}  // namespace
}  // namespace patchbau
