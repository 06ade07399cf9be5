// The rebuild from the map's objects: records, lights, stones, the start and the object patches of
// the shipped level; the key drop rule; the start rule; conversions of extreme file floats; the
// lights' animation.
#include <limits>

#include "Objektregeln.h"
#include "Raster.h"
#include "SzenenHilfen.h"

namespace {

using namespace szenentest;

size_t Index(const Karte& karte, uint32_t typ) {
  for (size_t i = 0; i < karte.objekte.size(); ++i)
    if (karte.objekte[i].typ == typ) return i;
  ADD_FAILURE() << "no object of type " << typ;
  return 0;
}

Generator::Anforderung Anforderung(Generator& g, uint32_t key) {
  const std::optional<Generator::Anforderung> a = g.LiesAnforderung(key);
  EXPECT_TRUE(a) << std::hex << key;
  return a.value_or(Generator::Anforderung{});
}

std::vector<uint32_t> ObjektKeys(Szene& s, uint32_t bis = 64) {
  std::vector<uint32_t> keys;
  for (uint32_t i = 0; i < bis; ++i)
    if (s.generator.HatAnforderung(Szene::ObjektKey(i))) keys.push_back(i);
  return keys;
}

class SzeneAufbau : public SzenenTest {};

TEST_F(SzeneAufbau, MitgelieferteKarte) {
  LadeMitgeliefert();
  const Karte& k = s().karte;
  size_t mitPatch = 0;
  for (const Karte::Objekt& o : k.objekte) mitPatch += o.typ >= 1 && o.typ <= 6;
  EXPECT_EQ(mitPatch, 24u);
  EXPECT_EQ(ObjektKeys(s()).size(), 24u);
  EXPECT_EQ(s().HoechsterObjektKey(), Szene::ObjektKey(Index(k, 5))) << "the tree's key";

  EXPECT_EQ(s().GibGitter().size(), 5u);
  ASSERT_EQ(s().GibHebel().size(), 1u);
  EXPECT_EQ(s().GibHebel()[0].zelle, (Zelle{2, 1, 14}));
  EXPECT_EQ(s().GibHebel()[0].achse, (V3{0, 0, 1}));
  EXPECT_EQ(s().GibHebel()[0].zustand, 0.0f);
  ASSERT_EQ(s().GibKnoepfe().size(), 12u);
  for (size_t i = 0; i < k.objekte.size(); ++i)
    if (const auto knopf = Spiel::Objektregeln::KnopfIndex(k, i)) {
      const Karte::Objekt& o = k.objekte[i];
      EXPECT_EQ(s().GibKnoepfe()[*knopf].position, (V3{o.x * 2, o.y * 2, o.z * 2})) << *knopf;
      EXPECT_EQ(s().GibKnoepfe()[*knopf].key, Szene::ObjektKey(i));
    }
  EXPECT_EQ(s().GibLichter().size(), 11u);
  ASSERT_EQ(s().GibAusloeser().size(), 3u);
  const Zelle platten[3] = {{1, 4, 12}, {4, 1, 20}, {5, 3, 25}};
  for (int i = 0; i < 3; ++i) {
    const Szene::Ausloeser& a = s().GibAusloeser()[i];
    EXPECT_EQ((Zelle{int32_t(a.x), int32_t(a.y), int32_t(a.z)}), platten[i]);
    EXPECT_EQ(a.anzahl, 0);
  }
  std::vector<V3> steine;
  s().GibGegenstaende().FuerLebende([&](uint64_t, const Szene::Gegenstand& g) {
    EXPECT_EQ(g.bewegt, 0);
    EXPECT_TRUE(s().instanzen.IstLebend(g.instanz));
    steine.push_back(g.position);
  });
  EXPECT_EQ(steine, (std::vector<V3>{{8.25f, 1.05f, 7.25f}, {5.25f, 1.05f, 17.25f}}));
  EXPECT_EQ(s().GibStartZelle(), (Zelle{3, 1, 3}));
  EXPECT_EQ(s().GibStartRichtung(), 2u);
}

// One descriptor of each kind of the shipped level, with its box.
TEST_F(SzeneAufbau, BeschreibungenJeArt) {
  LadeMitgeliefert();
  Generator& g = s().generator;
  const Karte& k = s().karte;
  {
    const Generator::Anforderung a = Anforderung(g, Szene::ObjektKey(Index(k, 1)));  // Druckplatte 1.5 4.0 12.5
    EXPECT_EQ(std::get<Generator::DruckplattenPatch>(a.beschreibung).position, (V3{3, 8, 25}));
    EXPECT_EQ(a.mitte, (V3{3, 8, 25}));
    EXPECT_EQ(a.halbeGroesse, (V3{0.6f, 0.2f, 0.6f}));
  }
  {
    const Generator::Anforderung a = Anforderung(g, Szene::ObjektKey(Index(k, 2)));  // Hebel 2.0 1.5 14.5 | 1 5
    EXPECT_EQ(std::get<Generator::HebelPatch>(a.beschreibung), (Generator::HebelPatch{{4, 3, 29}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}));
    EXPECT_EQ(a.mitte, (V3{4, 3, 29}));
    EXPECT_EQ(a.halbeGroesse, (V3{0.4f, 0.4f, 0.4f}));
  }
  {
    const Generator::Anforderung a = Anforderung(g, Szene::ObjektKey(Index(k, 3)));  // Gitter 7.5 1.5 7.5 | 0 5
    EXPECT_EQ(std::get<Generator::GitterPatch>(a.beschreibung), (Generator::GitterPatch{{15, 3, 15}, {-1, 0, 0}, {0, 1, 0}}));
    EXPECT_EQ(a.mitte, (V3{15, 3, 15}));
    EXPECT_EQ(a.halbeGroesse, (V3{1, 1, 1}));
    const Szene::Gitter& gitter = s().GibGitter()[0];
    EXPECT_EQ(gitter.zelle, (Zelle{7, 1, 7}));
    EXPECT_EQ(gitter.mitte, (V3{15, 3, 15}));
    EXPECT_EQ(gitter.richtung, (V3{0, 1, 0}));
    EXPECT_EQ(gitter.key, Szene::ObjektKey(Index(k, 3)));
  }
  {
    const Generator::Anforderung a = Anforderung(g, Szene::ObjektKey(Index(k, 4)));  // Knopf 2.5 1.75 1.0 | 2 | 0.25
    EXPECT_EQ(std::get<Generator::KnopfPatch>(a.beschreibung), (Generator::KnopfPatch{{5, 3.5f, 2}, {0, 0, 1}, 0.25f}));
    EXPECT_EQ(a.mitte, (V3{5, 3.5f, 2}));
    EXPECT_EQ(a.halbeGroesse, (V3{0.5f, 0.5f, 0.5f}));
  }
  {
    const Generator::Anforderung a = Anforderung(g, Szene::ObjektKey(Index(k, 5)));  // Baum 4.5 1.0 32.5 | 0.1 0.05 | 7 | 1 0.5
    const float y = (1.0f + 0.1f) * 2;
    EXPECT_EQ(std::get<Generator::BaumPatch>(a.beschreibung), (Generator::BaumPatch{{9, y, 65}, 0.1f, 0.05f, 1, 0.5f, 7}));
    EXPECT_EQ(a.mitte, (V3{14, y + 8, 70}));
    EXPECT_EQ(a.halbeGroesse, (V3{10, 16, 10}));
  }
  {
    const Generator::Anforderung a = Anforderung(g, Szene::ObjektKey(Index(k, 6)));  // Mosaik 9.0 1.5 7.5 | 0 5 | 0.8 0.8 | 0
    const Generator::MosaikPatch erwartet{{18, 3, 15}, {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, 1.6f, 1.6f, 0};
    EXPECT_EQ(std::get<Generator::MosaikPatch>(a.beschreibung), erwartet);
    EXPECT_EQ(a.mitte, (V3{18, 3, 15}));
    EXPECT_EQ(a.halbeGroesse, (V3{0.4f, 1.6f, 1.6f}));
  }
}

// Keys of objects that no longer draw anything are dropped: past the last patch object, all of
// them, and an index a light, a stone, a start point or an unknown type takes over.
TEST_F(SzeneAufbau, ObjektKeysDieNichtsMehrZeichnen) {
  Baue(Raum("objekt Gitter 3.5 1.5 5.5 | 0 5\nobjekt Hebel 5.0 1.5 5.5 | 1 5\nobjekt Knopf 6.5 1.5 5.0 | 2 | 0.25\n"
            "objekt Druckplatte 2.5 1.0 2.5\n"));
  auto& objekte = s().karte.objekte;  // 0 start, 1 gate, 2 lever, 3 button, 4 plate
  EXPECT_EQ(ObjektKeys(s()), (std::vector<uint32_t>{1, 2, 3, 4}));
  objekte.pop_back();
  s().BaueAusObjekten();
  EXPECT_EQ(ObjektKeys(s()), (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(s().HoechsterObjektKey(), Szene::ObjektKey(3));

  const Karte::Objekt licht{7, 4.0f, 2.0f, 4.0f, {}};
  const Karte::Objekt stein{8, 4.0f, 1.0f, 4.0f, {}};
  const Karte::Objekt unbekannt{9, 4.0f, 1.0f, 4.0f, {}};
  objekte[2] = licht;  // takes over the lever's index
  objekte[1] = stein;  // the gate's
  s().BaueAusObjekten();
  EXPECT_EQ(ObjektKeys(s()), (std::vector<uint32_t>{3}));
  EXPECT_TRUE(s().GibHebel().empty());
  objekte[3] = unbekannt;
  objekte.push_back(objekte[0]);
  objekte[0] = {3, 3.5f, 1.5f, 5.5f, {}};  // a gate takes the start's index; the start moves to the end
  s().BaueAusObjekten();
  EXPECT_EQ(ObjektKeys(s()), (std::vector<uint32_t>{0}));
  objekte[4] = objekte[0];
  objekte[0] = licht;  // the start point's key too
  s().BaueAusObjekten();
  EXPECT_EQ(ObjektKeys(s()), (std::vector<uint32_t>{4}));
  objekte.clear();
  s().BaueAusObjekten();
  EXPECT_TRUE(ObjektKeys(s()).empty());
  EXPECT_EQ(s().HoechsterObjektKey(), 0u);
}

TEST_F(SzeneAufbau, StartRegel) {
  // "Richtung" -1: the unsigned remainder of 4294967295 by 6.
  Baue(Raum());
  s().karte.objekte[0].args[0][0] = -1;
  s().BaueAusObjekten();
  EXPECT_EQ(s().GibStartZelle(), (Zelle{1, 1, 1}));
  EXPECT_EQ(s().GibStartRichtung(), 3u);

  // Without a start point: direction 1 at the first free cell on a full block (y, then z, then x).
  s().karte.objekte.clear();
  for (uint32_t x = 0; x < 10; ++x) s().karte.ZelleBei(x, 1, 0).typ = Karte::Mauer;
  s().karte.ZelleBei(0, 1, 1).typ = Karte::FelsTreppe1L;
  s().karte.ZelleBei(1, 1, 1).typ = 40;  // above 18 counts as free
  s().BaueAusObjekten();
  EXPECT_EQ(s().GibStartZelle(), (Zelle{1, 1, 1}));
  EXPECT_EQ(s().GibStartRichtung(), 1u);

  // A start point outside the grid is ignored with a warning.
  s().karte.objekte.push_back({0, 3.5f, 1.0f, 45.5f, {{0}}});
  log.zeilen.clear();
  s().BaueAusObjekten();
  EXPECT_EQ(s().GibStartZelle(), (Zelle{1, 1, 1}));
  EXPECT_EQ(log.Anzahl("Startpunkt #0 bei (3, 1, 45) liegt außerhalb der Karte"), 1u);

  // No cell on a full block at all: (0, 0, 0).
  s().karte.SetzeGroesse(4, 2, 4);
  s().BaueAusObjekten();
  EXPECT_EQ(s().GibStartZelle(), (Zelle{0, 0, 0}));
}

// A new scene's default map starts the player on its floor.
TEST_F(SzeneAufbau, StandardKarteHatStartAufDemBoden) {
  const Zelle z = s().GibStartZelle();
  ASSERT_TRUE(s().karte.Enthaelt(z.x, z.y, z.z));
  EXPECT_EQ(s().karte.ZelleBei(z.x, z.y, z.z).typ, 0u);
  ASSERT_GE(z.y, 1);
  EXPECT_EQ(s().karte.ZelleBei(z.x, z.y - 1, z.z).typ, uint32_t(Karte::Fels));
  s().BaueAusObjekten();
  EXPECT_EQ(s().GibStartZelle(), z);
}

TEST_F(SzeneAufbau, PlatteAusRoherPosition) {
  Baue(Raum("objekt Druckplatte 4.7 1.2 20.3\n"));
  ASSERT_EQ(s().GibAusloeser().size(), 1u);
  const Szene::Ausloeser& a = s().GibAusloeser()[0];
  EXPECT_EQ((Zelle{int32_t(a.x), int32_t(a.y), int32_t(a.z)}), (Zelle{4, 1, 20}));
}

// NaN, the infinities, 1e30 and -1 in every converted position and argument give defined values:
// the saturated int64 as u64 or u32, directions as dir() takes them (its u32 mod 6), row 0 for
// items.
TEST_F(SzeneAufbau, ExtremeZahlenAusDerDatei) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    float wert;
    uint64_t saat;
    uint32_t bild, richtung;
  } faelle[] = {
      {nan, 0, 0, 0},
      {inf, 0x7FFFFFFFFFFFFFFFull, 0xFFFFFFFFu, 3},
      {-inf, 0x8000000000000000ull, 0, 0},
      {1e30f, 0x7FFFFFFFFFFFFFFFull, 0xFFFFFFFFu, 3},
      {-1, ~0ull, 0xFFFFFFFFu, 3},
  };
  for (const auto& f : faelle) {
    auto& objekte = s().karte.objekte;
    objekte.clear();
    for (uint32_t typ = 0; typ <= 8; ++typ) {
      Karte::Objekt o{typ, 2.5f, 1.0f, 2.5f, {}};
      for (auto& vektor : o.args)
        for (float& wert : vektor) wert = f.wert;
      objekte.push_back(o);
      o.x = o.y = o.z = f.wert;  // and at an extreme position
      objekte.push_back(o);
    }
    s().BaueAusObjekten();
    const auto baum = std::get<Generator::BaumPatch>(Anforderung(s().generator, Szene::ObjektKey(10)).beschreibung);
    EXPECT_EQ(baum.seed, f.saat) << f.wert;
    const auto mosaik = std::get<Generator::MosaikPatch>(Anforderung(s().generator, Szene::ObjektKey(12)).beschreibung);
    EXPECT_EQ(mosaik.bild, f.bild) << f.wert;
    const Zelle schritt = Spiel::Objektregeln::RichtungsSchritt(f.richtung);
    const V3 richtung{float(schritt.x), float(schritt.y), float(schritt.z)};
    EXPECT_EQ(mosaik.richtung, richtung) << f.wert;
    EXPECT_EQ(s().GibKnoepfe()[0].richtung, richtung) << f.wert;
    EXPECT_EQ(s().GibGitter()[0].richtung, richtung) << f.wert;
    EXPECT_EQ(s().GibHebel()[0].achse, (V3{0, 0, 0})) << "parallel directions";
    EXPECT_EQ(s().GibStartRichtung(), f.richtung) << f.wert;
    EXPECT_EQ(s().GibGegenstaende().AnzahlLebend(), 2u) << f.wert;
    s().GibGegenstaende().FuerLebende([&](uint64_t, const Szene::Gegenstand& g) { EXPECT_EQ(g.def, 0u); });
    const Szene::Gitter& fern = s().GibGitter()[1];
    EXPECT_EQ(fern.zelle.x, Spiel::Raster::AbschneidenInt32(f.wert)) << f.wert;
    EXPECT_EQ(fern.mitte.x, (float(fern.zelle.x) + 0.5f) * 2) << f.wert;
    Bild();  // the lights and items step with what they got
  }
}

// After a zero-tick frame the waves stand at their phases.
TEST_F(SzeneAufbau, LichterNachEinemBildOhneZeit) {
  Baue(Raum("objekt Licht 2.375 2.875 3.375 | 1 0.5 0.25 | 3 1 1 1 | 0 0 0 0\n"
            "objekt Licht 4.375 2.875 3.375 | 1 0.5 0.25 | 3 1 1 1 | 1 0 0 0\n"
            "objekt Licht 6.375 2.875 3.375 | 1 0.5 0.25 | 3 1 1 1 | 0 1 2 -1\n"));
  ASSERT_EQ(s().GibLichter().size(), 3u);
  for (const Szene::Licht& l : s().GibLichter()) EXPECT_EQ(l.helligkeit, 0.0f) << "nothing computed before a frame";
  Bild(0);
  const auto& l = s().GibLichter();
  EXPECT_EQ(l[0].basis, (V3{4.75f, 5.75f, 6.75f}));
  EXPECT_EQ(l[0].farbe[1], 0.5f);
  EXPECT_EQ(l[0].reichweite[0], 3.0f);
  EXPECT_EQ(l[0].helligkeit, 1.0f);
  EXPECT_EQ(l[0].position, l[0].basis);
  EXPECT_FLOAT_EQ(l[1].helligkeit, 1.0f + 0.05f * std::sin(2.16453f) + 0.1f * std::sin(4.2947f));
  EXPECT_EQ(l[1].position, l[1].basis);
  EXPECT_EQ(l[2].helligkeit, 1.0f);
  EXPECT_FLOAT_EQ(l[2].position.x, l[2].basis.x + 0.25f * std::sin(1.363f) + 0.5f * std::sin(3.562f));
  EXPECT_FLOAT_EQ(l[2].position.y, l[2].basis.y + 2 * (0.5f * std::sin(0.822f) + 0.25f * std::sin(5.863f)));
  EXPECT_FLOAT_EQ(l[2].position.z, l[2].basis.z - (0.25f * std::sin(3.045f) + 0.5f * std::sin(4.844f)));
  // The clock runs with the frames; the brightness stays within its amplitude.
  float kleinste = 2, groesste = 0;
  for (int i = 0; i < 64; ++i) {
    Bild();
    kleinste = std::min(kleinste, l[1].helligkeit);
    groesste = std::max(groesste, l[1].helligkeit);
  }
  EXPECT_EQ(l[1].uhr, 64 * BILD);
  EXPECT_GE(kleinste, 0.85f);
  EXPECT_LE(groesste, 1.15f);
  EXPECT_GT(groesste - kleinste, 0.1f);
}

}  // namespace
