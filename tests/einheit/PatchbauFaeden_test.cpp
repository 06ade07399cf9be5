// The patch builders on eight workers at once: faces around two mosaics, plates, levers and
// buttons, gates and trees, all started together with an empty picture cache while the main job
// changes other requests; every record equals its serial build and each picture loads once.
// Then the game's builder table through the generator on a small fixture.
#include <gtest/gtest.h>

#include <memory>
#include <variant>
#include <vector>

#include "Baum.h"
#include "GeneratorSchritte.h"
#include "PatchErbauer.h"
#include "PatchbauHilfen.h"
#include "Zarvo_Parallel.h"

namespace patchbau {
namespace {

class PatchbauFaeden : public Patchbau {
 protected:
  struct Bau {
    uint32_t key, stufe;
    Generator::PatchBeschreibung beschreibung;
  };

  // A wall of 16 −X faces (cells (1, 1..4, 1..4)) with a mosaic, two levers and two buttons; a
  // floor of 16 +Y faces (cells (2..5, 0, 1..4)) with a mosaic and two plates; the levers and
  // buttons themselves, eight gates and four trees. Levels 1 and 2 alternate.
  std::vector<Bau> ForderePlatzAn() {
    std::vector<Bau> baue;
    uint32_t n = 0;
    auto flaeche = [&](uint32_t f, uint32_t x, uint32_t y, uint32_t z) {
      const uint32_t key = FlaechenKey(f, x, y, z);
      const Generator::FlaechenPatch p = BlockFlaeche(f, float(x), float(y), float(z));
      Fordere(key, p);
      baue.push_back({key, 1 + n++ % 2, p});
    };
    for (uint32_t y = 1; y <= 4; ++y)
      for (uint32_t z = 1; z <= 4; ++z) flaeche(0, 1, y, z);
    for (uint32_t x = 2; x <= 5; ++x)
      for (uint32_t z = 1; z <= 4; ++z) flaeche(5, x, 0, z);
    uint32_t key = OBJEKT;
    FordereMosaik(++key, Mosaik({2, 5, 5}, {-1, 0, 0}, {0, 1, 0}, 5, 5, 1));
    FordereMosaik(++key, Mosaik({8, 2, 5}, {0, 1, 0}, {0, 0, 1}, 4, 4, 0));
    ForderePlatte(++key, {5, 2, 3});
    ForderePlatte(++key, {9, 2, 7});
    for (const Generator::HebelPatch& h :
         {patchbau::Hebel({2, 4.5f, 3.5f}, {-1, 0, 0}, {0, 1, 0}), patchbau::Hebel({2, 7, 7.5f}, {-1, 0, 0}, {0, 0, 1})}) {
      FordereHebel(++key, h);
      baue.push_back({key, 1 + n++ % 2, h});
    }
    for (const Generator::KnopfPatch& k : {Generator::KnopfPatch{{2, 3, 7}, {-1, 0, 0}, 0.3f}, Generator::KnopfPatch{{2, 8.5f, 4.5f}, {-1, 0, 0}, 0.2f}}) {
      FordereKnopf(++key, k);
      baue.push_back({key, 1 + n++ % 2, k});
    }
    for (uint32_t i = 0; i < 8; ++i) {
      const V3 p(20 + 3 * float(i), 3, 3);
      const Generator::GitterPatch g{p, {0, 0, 1}, {0, 1, 0}};
      Fordere(++key, g, p, {1, 1, 1});
      baue.push_back({key, 1 + i % 2, g});
    }
    for (uint64_t seed : {1u, 7u, 12u, 99u}) {
      const V3 p(40 + float(seed), 0, 3);
      const Generator::BaumPatch b{p, 0, 0, 0, 0, seed};
      Fordere(++key, b, p + V3(5, 8, 5), {10, 16, 10});
      baue.push_back({key, 1 + uint32_t(seed % 2), b});
    }
    return baue;
  }

  Datensatz Baue(const Bau& b) {
    return std::visit(
        [&](const auto& p) -> Datensatz {
          using Art = std::decay_t<decltype(p)>;
          if constexpr (std::is_same_v<Art, Generator::FlaechenPatch>) return Spiel::PatchErbauer::Flaeche(generator, b.key, b.stufe, 1, p);
          if constexpr (std::is_same_v<Art, Generator::GitterPatch>) return Spiel::PatchErbauer::Gitter(generator, b.key, b.stufe, 1, p);
          if constexpr (std::is_same_v<Art, Generator::HebelPatch>) return Spiel::PatchErbauer::Hebel(generator, b.key, b.stufe, 1, p);
          if constexpr (std::is_same_v<Art, Generator::KnopfPatch>) return Spiel::PatchErbauer::Knopf(generator, b.key, b.stufe, 1, p);
          if constexpr (std::is_same_v<Art, Generator::BaumPatch>) return Spiel::BaumErzeuger::Erzeuge(generator, b.key, b.stufe, 1, p);
          return {};
        },
        b.beschreibung);
  }

  Zarvo_Parallel kern{8};
};

TEST_F(PatchbauFaeden, GleichzeitigWieNacheinander) {
  const std::vector<Bau> baue = ForderePlatzAn();
  std::vector<Datensatz> gleichzeitig(baue.size());
  kern.MachSofort([&] {
    std::vector<Zarvo_Parallel::AuftragsHandle> auftraege;
    for (size_t i = 0; i < baue.size(); ++i)
      auftraege.push_back(kern.StarteParallelAuftrag([&, i] { gleichzeitig[i] = Baue(baue[i]); }));
    // Meanwhile the main job changes other requests (the exclusive side of the request lock).
    for (uint32_t runde = 0; runde < 200; ++runde) {
      const V3 p(200 + float(runde % 7), 0, float(runde));
      Fordere(OBJEKT + 1000 + runde % 5, Generator::DruckplattenPatch{p}, p, {0.6f, 0.2f, 0.6f});
    }
    for (const Zarvo_Parallel::AuftragsHandle& a : auftraege) Zarvo_Parallel::WarteAuf(a);
  });
  EXPECT_EQ(Spiel::MosaikSammlung::Ladevorgaenge(), 2u) << "each picture once";
  size_t bemalt = 0;
  for (size_t i = 0; i < baue.size(); ++i) {
    const Datensatz einzeln = Baue(baue[i]);
    ASSERT_FALSE(IstLeer(einzeln)) << i;
    if (std::holds_alternative<Generator::GitterPatch>(baue[i].beschreibung)) {  // greys from the worker's rand()
      EXPECT_TRUE(GleicheVertices(gleichzeitig[i].vertices, einzeln.vertices)) << i;
      EXPECT_TRUE(GleicheBytes(gleichzeitig[i].normale, einzeln.normale)) << i;
      continue;
    }
    EXPECT_TRUE(GleicheDatensaetze(gleichzeitig[i], einzeln)) << i;
    if (std::holds_alternative<Generator::FlaechenPatch>(baue[i].beschreibung)) {
      const uint32_t S = uint32_t(einzeln.farbe.Breite());
      for (uint32_t y = 0; y < S; ++y)
        for (uint32_t x = 0; x < S; ++x) {
          const uint32_t p = Pixel(einzeln.farbe, x, y);
          bemalt += p != WAND && p != OBEN;
        }
    }
  }
  EXPECT_GT(bemalt, 10000u) << "the faces carry their objects";
  EXPECT_EQ(Spiel::MosaikSammlung::Ladevorgaenge(), 2u);
}

// The game's builders through the generator until everything near is built at level 1.
TEST_F(PatchbauFaeden, GeneratorMitStandardErbauern) {
  Spiel::Szene::InstanzPool spielPool;
  auto spiel = std::make_unique<Generator>(spielPool, Generator::StandardErbauer());
  aktiv = spiel.get();
  std::vector<uint32_t> bauen, nichts;
  kern.MachSofort([&] {
    for (uint32_t y = 1; y <= 2; ++y)
      for (uint32_t z = 1; z <= 2; ++z) {
        Fordere(FlaechenKey(0, 1, y, z), BlockFlaeche(0, 1, float(y), float(z)));
        bauen.push_back(FlaechenKey(0, 1, y, z));
      }
    Fordere(FlaechenKey(5, 3, 0, 1), BlockFlaeche(5, 3, 0, 1));
    bauen.push_back(FlaechenKey(5, 3, 0, 1));
    FordereMosaik(OBJEKT + 1, Mosaik({2, 4, 4}, {-1, 0, 0}, {0, 1, 0}, 2, 2, 0));
    ForderePlatte(OBJEKT + 2, {7, 2, 3});
    FordereHebel(OBJEKT + 3, patchbau::Hebel({2, 3, 3}, {-1, 0, 0}, {0, 1, 0}));
    FordereKnopf(OBJEKT + 4, {{2, 5, 5}, {-1, 0, 0}, 0.3f});
    Fordere(OBJEKT + 5, Generator::GitterPatch{{9, 3, 3}, {0, 0, 1}, {0, 1, 0}}, {9, 3, 3}, {1, 1, 1});
    Fordere(OBJEKT + 6, Generator::BaumPatch{{12, 2, 3}, 0, 0, 0, 0, 7}, {17, 10, 8}, {10, 16, 10});
    bauen.insert(bauen.end(), {OBJEKT + 3, OBJEKT + 4, OBJEKT + 5, OBJEKT + 6});
    nichts = {OBJEKT + 1, OBJEKT + 2};
  });
  const V3 fern(60, 3, 3);  // every box centre at d² in [504, 6400]: level 1
  ASSERT_TRUE(generatorschritte::BisRuhe(kern, *spiel, fern));
  for (uint32_t key : bauen) {
    const Generator::Patch* p = spiel->GibPatch(key);
    ASSERT_NE(p, nullptr) << std::hex << key;
    EXPECT_EQ(p->stufe, 1u) << std::hex << key;
    EXPECT_NE(p->modell, nullptr) << std::hex << key;
    EXPECT_TRUE(spielPool.IstLebend(p->instanz)) << std::hex << key;
    EXPECT_NE(p->breite, 0u) << std::hex << key;
  }
  for (uint32_t key : nichts) {
    const Generator::Patch* p = spiel->GibPatch(key);
    EXPECT_TRUE(p == nullptr || p->modell == nullptr) << std::hex << key;
  }
  EXPECT_EQ(Spiel::MosaikSammlung::Ladevorgaenge(), 1u);
  kern.MachSofort([&] { spiel.reset(); });
  aktiv = &generator;
}

}  // namespace
}  // namespace patchbau
