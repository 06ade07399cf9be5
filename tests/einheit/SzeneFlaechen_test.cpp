// The scene's block-face patches: the quads of every shape and face, the requests and drops in
// the generator's request table, and the refresh of a face whose block changed.
#include <map>

#include "SzenenHilfen.h"

namespace {

using namespace szenentest;

std::optional<Generator::FlaechenPatch> Angefordert(Generator& g, uint32_t key) {
  const std::optional<Generator::Anforderung> a = g.LiesAnforderung(key);
  if (!a) return std::nullopt;
  EXPECT_EQ(a->beschreibung.index(), 0u) << std::hex << key;
  return std::get<Generator::FlaechenPatch>(a->beschreibung);
}

uint32_t Generation(Generator& g, uint32_t key) {
  const std::optional<Generator::Anforderung> a = g.LiesAnforderung(key);
  return a ? a->generation : 0;
}

constexpr V3 NORMALEN[6] = {{-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}, {0, 1, 0}};

// Whether any neighbour shape makes the face of the type visible.
bool KannSichtbarSein(uint32_t typ, uint32_t flaeche) {
  for (uint32_t nachbar = 0; nachbar < Karte::ANZAHL_BLOCKTYPEN; ++nachbar)
    if (Karte::FlaecheSichtbar(typ, flaeche, nachbar)) return true;
  return false;
}

class SzeneFlaechen : public SzenenTest {};

TEST_F(SzeneFlaechen, ViereckeImAnforderungsTabelle) {
  Baue(Raum("quader 3 1 5 3 1 5 Fels\nquader 6 1 5 6 1 5 FelsTreppe1L\nquader 8 1 5 8 1 5 MauerTreppe2H\n"));
  const struct {
    const char* name;
    uint32_t flaeche, x, y, z;
    Generator::FlaechenPatch erwartet;
  } faelle[] = {
      {"full block +Y", 5, 3, 1, 5, {{8, 4, 10}, {-2, 0, 0}, {0, 0, 2}, {-2, 0, 0}, 0}},
      {"full block -X", 0, 3, 1, 5, {{6, 2, 10}, {0, 0, 2}, {0, 2, 0}, {0, 0, 2}, 0}},
      {"rock stair 1L +Y: a ramp rising by half a block toward -X", 5, 6, 1, 5, {{14, 2, 10}, {-2, 1, 0}, {0, 0, 2}, {-2, 1, 0}, 0}},
      {"rock stair 1L -Z: a triangle", 3, 6, 1, 5, {{14, 2, 10}, {-2, 0, 0}, {0, 0, 0}, {-2, 1, 0}, 0}},
      {"wall stair 2H +Y: wall material", 5, 8, 1, 5, {{18, 4, 10}, {-2, 0, 0}, {0, -1, 2}, {-2, 0, 0}, 1}},
      {"the floor under the stair 1L shows its top", 5, 6, 0, 5, {{14, 2, 10}, {-2, 0, 0}, {0, 0, 2}, {-2, 0, 0}, 0}},
  };
  for (const auto& f : faelle) {
    const auto quad = Angefordert(s().generator, Szene::FlaechenKey(f.flaeche, f.x, f.y, f.z));
    ASSERT_TRUE(quad) << f.name;
    EXPECT_EQ(*quad, f.erwartet) << f.name << ": p " << quad->p.x << " " << quad->p.y << " " << quad->p.z << ", b " << quad->b.x
                                 << " " << quad->b.y << " " << quad->b.z;
  }
  // The floor under the full block hides its top; the block's bottom lies on the floor.
  EXPECT_FALSE(s().generator.HatAnforderung(Szene::FlaechenKey(5, 3, 0, 5)));
  EXPECT_FALSE(s().generator.HatAnforderung(Szene::FlaechenKey(4, 3, 1, 5)));
}

// a x b along the outward normal wherever b is not zero; among the faces the visibility table can
// show, b is zero on the four triangles of the low stairs only; the material by face value.
TEST(SzeneFlaechenVierecke, AlleTypenUndFlaechen) {
  const std::map<uint32_t, uint32_t> dreiecke = {{3, 3}, {4, 2}, {5, 0}, {6, 1}, {11, 3}, {12, 2}, {13, 0}, {14, 1}};
  for (uint32_t typ = 0; typ < Karte::ANZAHL_BLOCKTYPEN; ++typ)
    for (uint32_t f = 0; f < 6; ++f) {
      const uint32_t wert = typ == 0 ? 1 : typ;
      const Generator::FlaechenPatch q = Szene::Flaechenviereck(typ, f, wert, 2, 3, 4);
      const bool bNull = q.b == V3{0, 0, 0};
      if (!bNull) {
        EXPECT_GT(q.a.Kreuz(q.b).Punkt(NORMALEN[f]), 0.0f) << "type " << typ << " face " << f;
      }
      if (KannSichtbarSein(typ, f)) {
        const auto dreieck = dreiecke.find(typ);
        EXPECT_EQ(bNull, dreieck != dreiecke.end() && dreieck->second == f) << "type " << typ << " face " << f;
      }
      const uint32_t material = wert == 2 || wert >= 11 ? 1 : 0;
      EXPECT_EQ(q.material, material) << "value " << wert;
    }
  // Corner p + b + c lies at the cell's corner heights: the +Y ramp of a 2V rises toward +Z.
  const Generator::FlaechenPatch rampe = Szene::Flaechenviereck(Karte::FelsTreppe2V, 5, Karte::FelsTreppe2V, 0, 0, 0);
  EXPECT_EQ(rampe.p, (V3{2, 1, 0}));
  EXPECT_EQ(rampe.p + rampe.b + rampe.c, (V3{0, 2, 2}));
  // A type above 18 has the corner heights of an empty cell.
  EXPECT_EQ(Szene::Flaechenviereck(40, 5, 1, 0, 0, 0), Szene::Flaechenviereck(0, 5, 1, 0, 0, 0));
}

TEST_F(SzeneFlaechen, NullEntferntUndUnveraendertBleibtUnveraendert) {
  Baue(Raum("quader 3 1 5 3 1 5 Fels\n"));
  Generator& g = s().generator;
  const uint32_t oben = Szene::FlaechenKey(5, 3, 1, 5), links = Szene::FlaechenKey(0, 3, 1, 5);
  ASSERT_TRUE(g.HatAnforderung(oben));
  std::vector<uint32_t> vorher;
  for (uint32_t f = 0; f < 6; ++f) vorher.push_back(Generation(g, Szene::FlaechenKey(f, 3, 1, 5)));
  s().AktualisiereBlockPatches(3, 1, 5);
  for (uint32_t f = 0; f < 6; ++f) EXPECT_EQ(Generation(g, Szene::FlaechenKey(f, 3, 1, 5)), vorher[f]) << "face " << f;

  Karte::Zelle& zelle = s().karte.ZelleBei(3, 1, 5);
  zelle.flaechen[5] = 0;
  zelle.flaechen[0] = 19;  // no block type: not drawn
  s().AktualisiereBlockPatches(3, 1, 5);
  EXPECT_FALSE(g.HatAnforderung(oben));
  EXPECT_FALSE(g.HatAnforderung(links));
  EXPECT_TRUE(g.HatAnforderung(Szene::FlaechenKey(1, 3, 1, 5)));
  // Cells outside the grid are ignored.
  s().AktualisiereBlockPatches(-1, 1, 5);
  s().AktualisiereBlockPatches(3, 6, 5);
  s().AktualisiereBlockPatches(10, 0, 0);
}

// The editor turns a rock block into a stair: its top becomes the ramp at once; neighbours whose
// faces did not change are not requested again.
TEST_F(SzeneFlaechen, GeaenderterBlockWirdNeuAngefordert) {
  Baue(Raum("quader 3 1 5 3 1 5 Fels\n"));
  Generator& g = s().generator;
  const uint32_t oben = Szene::FlaechenKey(5, 3, 1, 5);
  const uint32_t alt = Generation(g, oben);
  s().karte.ZelleBei(3, 1, 5).typ = Karte::FelsTreppe1L;
  for (int y = 0; y <= 2; ++y)
    for (int z = 4; z <= 6; ++z)
      for (int x = 2; x <= 4; ++x) s().karte.BerechneFlaechen(x, y, z);
  s().AktualisiereBlockPatches(3, 1, 5);
  s().AktualisiereBlockPatches(3, 0, 5);  // the floor's top appears under the stair
  std::map<uint32_t, uint32_t> nachAenderung;
  for (int y = 0; y <= 2; ++y)
    for (int z = 4; z <= 6; ++z)
      for (int x = 2; x <= 4; ++x)
        for (uint32_t f = 0; f < 6; ++f) nachAenderung[Szene::FlaechenKey(f, x, y, z)] = Generation(g, Szene::FlaechenKey(f, x, y, z));
  const auto rampe = Angefordert(g, oben);
  ASSERT_TRUE(rampe);
  EXPECT_EQ(*rampe, Szene::Flaechenviereck(Karte::FelsTreppe1L, 5, Karte::FelsTreppe1L, 3, 1, 5));
  EXPECT_GT(nachAenderung[oben], alt);
  for (int y = 0; y <= 2; ++y)
    for (int z = 4; z <= 6; ++z)
      for (int x = 2; x <= 4; ++x) s().AktualisiereBlockPatches(x, y, z);
  for (const auto& [key, generation] : nachAenderung) EXPECT_EQ(Generation(g, key), generation) << std::hex << key;
}

// The shipped level: a face key exactly where a face value is not 0, with the cell's quad.
TEST_F(SzeneFlaechen, MitgelieferteKarteEinKeyProFlaeche) {
  LadeMitgeliefert();
  const Karte& k = s().karte;
  size_t flaechen = 0;
  for (uint32_t y = 0; y < k.Y; ++y)
    for (uint32_t z = 0; z < k.Z; ++z)
      for (uint32_t x = 0; x < k.X; ++x)
        for (uint32_t f = 0; f < 6; ++f) {
          const Karte::Zelle& zelle = k.ZelleBei(x, y, z);
          const auto quad = Angefordert(s().generator, Szene::FlaechenKey(f, x, y, z));
          ASSERT_EQ(quad.has_value(), zelle.flaechen[f] != 0) << x << " " << y << " " << z << " face " << f;
          if (!quad) continue;
          ++flaechen;
          EXPECT_EQ(*quad, Szene::Flaechenviereck(zelle.typ, f, zelle.flaechen[f], x, y, z));
        }
  EXPECT_GT(flaechen, 500u);
}

}  // namespace
