// The scene's render-instance pool: reservation and growth, freeing against a model, the hint,
// the walk of live slots, and world bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <vector>

#include "Modell.h"
#include "Szene.h"
#include "Zarvo_Timer.h"

namespace {

using Spiel::Szene;

uint64_t NimmUndBelege(Szene::InstanzPool& pool) {
  const uint64_t id = pool.Reserviere();
  pool.SetzeLebend(id);
  return id;
}

TEST(InstanzPool, ErsteReservierungUndWachstum) {
  Szene::InstanzPool pool;
  EXPECT_EQ(pool.Reserviere(), 0u);
  EXPECT_EQ(pool.kapazitaet, 64u);
  EXPECT_EQ(pool.lebend.size(), 1u);
  EXPECT_FALSE(pool.IstLebend(0)) << "reserving does not make it live";
  for (uint64_t i = 0; i < 64; ++i) {
    const uint64_t id = NimmUndBelege(pool);
    ASSERT_EQ(id, i);
    pool[id].matrix[3] = float(id);
  }
  EXPECT_EQ(pool.kapazitaet, 64u);
  EXPECT_EQ(NimmUndBelege(pool), 64u);
  EXPECT_EQ(pool.kapazitaet, 128u);
  for (uint64_t i = 0; i < 64; ++i) EXPECT_EQ(pool[i].matrix[3], float(i)) << "moved record " << i;
  for (uint64_t i = 65; i < 128; ++i) EXPECT_FALSE(pool.IstLebend(i)) << i;
}

// Reserve returns the smallest free slot; frees of dead or foreign ids change nothing.
TEST(InstanzPool, ZufallsfolgeGegenModell) {
  const uint32_t saat = std::random_device{}();
  std::printf("InstanzPool: Saat %u\n", saat);
  std::mt19937 zufall(saat);
  Szene::InstanzPool pool;
  std::set<uint64_t> lebend;
  for (int schritt = 0; schritt < 20000; ++schritt) {
    if (lebend.empty() || zufall() % 3 != 0) {
      uint64_t kleinste = 0;
      while (lebend.count(kleinste)) ++kleinste;
      ASSERT_EQ(NimmUndBelege(pool), kleinste) << "Saat " << saat << " Schritt " << schritt;
      lebend.insert(kleinste);
    } else {
      const uint64_t id = zufall() % (pool.kapazitaet + 8);
      ASSERT_EQ(pool.GibFrei(id), lebend.erase(id) == 1) << "Saat " << saat << " Schritt " << schritt;
    }
  }
  std::vector<uint64_t> gelaufen;
  pool.FuerLebende([&](uint64_t id, const Szene::Instanz&) { gelaufen.push_back(id); });
  EXPECT_EQ(gelaufen, std::vector<uint64_t>(lebend.begin(), lebend.end())) << "the walk, in ascending order";
}

TEST(InstanzPool, HinweisAnDerKapazitaetWaechst) {
  Szene::InstanzPool pool;
  for (int i = 0; i < 64; ++i) NimmUndBelege(pool);
  ASSERT_EQ(pool.ersterFreier, 64u);
  EXPECT_EQ(pool.Reserviere(), 64u);
  EXPECT_EQ(pool.kapazitaet, 128u);
  pool.GibFrei(10);
  EXPECT_EQ(pool.ersterFreier, 10u);
  EXPECT_EQ(NimmUndBelege(pool), 10u);
}

TEST(InstanzPool, Grenzen) {
  Spiel::Modell modell;
  const float m[3] = {1, 2, 3}, h[3] = {0.5f, 1, 2};
  for (int i = 0; i < 3; ++i) modell.mitte[i] = m[i], modell.halbeAusdehnung[i] = h[i];
  const float w = std::sqrt(0.5f);
  const struct {
    const char* name;
    bool mitModell;
    float matrix[16];
    float mitte[3], halb[3];
  } faelle[] = {
      {"identity", true, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, {1, 2, 3}, {0.5f, 1, 2}},
      {"translation", true, {1, 0, 0, 10, 0, 1, 0, -4, 0, 0, 1, 2, 0, 0, 0, 1}, {11, -2, 5}, {0.5f, 1, 2}},
      {"90 degrees yaw swaps x and z", true, {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1}, {3, 2, -1}, {2, 1, 0.5f}},
      {"45 degrees yaw", true, {w, 0, w, 0, 0, 1, 0, 0, -w, 0, w, 0, 0, 0, 0, 1}, {4 * w, 2, 2 * w}, {2.5f * w, 1, 2.5f * w}},
      {"no mesh", false, {0, 0, 1, 7, 0, 1, 0, 8, -1, 0, 0, 9, 0, 0, 0, 1}, {7, 8, 9}, {0, 0, 0}},
  };
  for (const auto& f : faelle) {
    Szene::Instanz instanz;
    instanz.modell = f.mitModell ? &modell : nullptr;
    std::copy(std::begin(f.matrix), std::end(f.matrix), instanz.matrix);
    Szene::InstanzPool::BerechneGrenzen(instanz);
    for (int a = 0; a < 3; ++a) {
      EXPECT_NEAR(instanz.mitte[a], f.mitte[a], 1e-5f) << f.name << " axis " << a;
      EXPECT_NEAR(instanz.halbeGroesse[a], f.halb[a], 1e-5f) << f.name << " axis " << a;
    }
  }
  // Through the scene, by id.
  Zarvo_Timer uhr;
  Szene szene(uhr, nullptr, nullptr);
  const uint64_t id = szene.ReserviereInstanz();
  szene.instanzen[id].modell = &modell;
  szene.instanzen.SetzeLebend(id);
  szene.AktualisiereInstanzGrenzen(id);
  EXPECT_EQ(szene.instanzen[id].mitte[2], 3.0f);
  EXPECT_EQ(szene.instanzen[id].einsen, ~0u);
}

}  // namespace
