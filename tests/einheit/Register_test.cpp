// The resource registry: slot reuse, growth, deletion, and a random walk against a model.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "Zarvo_BasisObjekt.h"
#include "Zarvo_ResourcenRegister.h"

namespace {

int g_Geloescht = 0;

class Klein : public Zarvo_BasisObjekt {
 public:
  ~Klein() override { ++g_Geloescht; }
  bool BelegtVideoRAM() const override { return false; }
};

std::vector<uint64_t> Slots(const Zarvo_ResourcenRegister& r) {
  std::vector<uint64_t> slots;
  r.FuerAlle([&](Zarvo_BasisObjekt* o) { slots.push_back(o->registerIndex); });
  return slots;
}

}  // namespace

TEST(Register, FreierSlotWirdWiederverwendetDanachDerNaechste) {
  Zarvo_ResourcenRegister r;
  std::vector<Klein*> objekte;
  for (int i = 0; i < 10; ++i) {
    objekte.push_back(new Klein);
    EXPECT_EQ(r.Einfuegen(objekte.back()), uint64_t(i));
  }
  const int vorher = g_Geloescht;
  r.Entferne(objekte[3]);
  EXPECT_EQ(g_Geloescht, vorher + 1);
  EXPECT_EQ(r.Hinweis(), 3u);
  EXPECT_EQ(r.Einfuegen(new Klein), 3u);
  EXPECT_EQ(r.Einfuegen(new Klein), 10u);
  r.Entferne(nullptr);  // nothing
  EXPECT_EQ(Slots(r).size(), 11u);
  r.FuerAlle([&](Zarvo_BasisObjekt* o) { r.Entferne(o); });
  EXPECT_TRUE(Slots(r).empty());
}

TEST(Register, WachstumAuf64Dann128) {
  Zarvo_ResourcenRegister r;
  EXPECT_EQ(r.Kapazitaet(), 0u);
  r.Einfuegen(new Klein);
  EXPECT_EQ(r.Kapazitaet(), 64u);
  for (int i = 1; i < 64; ++i) r.Einfuegen(new Klein);
  EXPECT_EQ(r.Kapazitaet(), 64u);
  EXPECT_EQ(r.Einfuegen(new Klein), 64u);
  EXPECT_EQ(r.Kapazitaet(), 128u);
  const std::vector<uint64_t> slots = Slots(r);
  ASSERT_EQ(slots.size(), 65u);
  for (uint64_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], i);  // kept across the growth, in order
  r.FuerAlle([&](Zarvo_BasisObjekt* o) { r.Entferne(o); });
}

TEST(Register, ZufaelligGegenModell) {
  Zarvo_ResourcenRegister r;
  std::mt19937 zufall(1234);
  std::set<uint64_t> frei;  // model: free slots below the capacity
  std::vector<Zarvo_BasisObjekt*> lebend;
  uint64_t kapazitaet = 0;
  for (int schritt = 0; schritt < 5000; ++schritt) {
    if (lebend.empty() || zufall() % 3 != 0) {
      auto* o = new Klein;
      const uint64_t erwartet = frei.empty() ? kapazitaet : *frei.begin();
      if (frei.empty()) {
        for (uint64_t s = kapazitaet + 1; s < std::max<uint64_t>(2 * kapazitaet, 64); ++s) frei.insert(s);
        kapazitaet = std::max<uint64_t>(2 * kapazitaet, 64);
      } else {
        frei.erase(frei.begin());
      }
      ASSERT_EQ(r.Einfuegen(o), erwartet) << schritt;
      lebend.push_back(o);
    } else {
      const size_t i = zufall() % lebend.size();
      frei.insert(lebend[i]->registerIndex);
      r.Entferne(lebend[i]);
      lebend.erase(lebend.begin() + long(i));
    }
    ASSERT_EQ(r.Kapazitaet(), kapazitaet);
    for (uint64_t s = 0; s < r.Hinweis() && s < kapazitaet; ++s) ASSERT_TRUE(r.Belegt(s)) << "slot below the hint is free";
  }
  EXPECT_EQ(Slots(r).size(), lebend.size());
  for (Zarvo_BasisObjekt* o : lebend) r.Entferne(o);
}

TEST(Register, AllocIdsEindeutigUndSteigend) {
  uint64_t vorher = 0;
  for (int i = 0; i < 100; ++i) {
    Klein k;
    if (i > 0) {
      EXPECT_GT(k.allocId, vorher);
    }
    vorher = k.allocId;
  }
}
