// The particle pool on the recording device: the integration step, the emitter and its refusals,
// the paused step, the upload, the corner square and the corner word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "NullBildschirm.h"
#include "Partikel.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Timer.h"
#include "Zarvo_VertexBuffer.h"

namespace {

using Spiel::Partikel;
using Spiel::PartikelSystem;

const TZeit HALBE_SEKUNDE = SekundenAlsTicks(0.5f);

Partikel Einfach() {
  Partikel p{};
  p.reibung = 1;
  p.farbe[0] = p.farbe[1] = p.farbe[2] = p.farbe[3] = 1;
  p.leben = 10;
  p.groesse = 1;
  return p;
}

class PartikelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(bildschirm.Offen()); }

  d3d9::null::Puffer<d3d9::IDirect3DVertexBuffer9>& GeraeteVertices() {
    return *dynamic_cast<d3d9::null::Puffer<d3d9::IDirect3DVertexBuffer9>*>(system.vertexBuffer->buffer);
  }

  NullBildschirm bildschirm;
  PartikelSystem system;
};

// One step of 0.5 s from a particle with every rate set: position with the velocity before the
// step, then velocity, drag, colour, rotation, size and life.
TEST_F(PartikelTest, Integration) {
  const struct Fall {
    const char* name;
    float reibung;
    float geschwindigkeit;  // after the step, x component
  } faelle[] = {
      {"drag exactly 1 keeps the velocity", 1.0f, 2.0f},
      {"drag 0.5 over 0.5 s", 0.5f, 2.0f * 0.70710678f},
      {"drag 0 stops it", 0.0f, 0.0f},
  };
  for (const Fall& f : faelle) {
    PartikelSystem s;
    Partikel p = Einfach();
    p.position[0] = 1;
    p.geschwindigkeit[0] = 1;
    p.beschleunigung[0] = 2;
    p.reibung = f.reibung;
    p.farbe[1] = 0.2f;
    p.farbAenderung[1] = 0.4f;
    p.groesse = 1;
    p.groessenAenderung = -0.5f;
    p.drehung = 0.1f;
    p.drehGeschwindigkeit = 2;
    p.leben = 1;
    ASSERT_EQ(s.FuegeHinzu(p), 0);
    s.Aktualisiere(HALBE_SEKUNDE);
    const Partikel& q = s.Pool()[0];
    EXPECT_FLOAT_EQ(q.position[0], 1.5f) << f.name;
    EXPECT_NEAR(q.geschwindigkeit[0], f.geschwindigkeit, 1e-6f) << f.name;
    EXPECT_FLOAT_EQ(q.farbe[1], 0.4f) << f.name;
    EXPECT_FLOAT_EQ(q.groesse, 0.75f) << f.name;
    EXPECT_FLOAT_EQ(q.drehung, 1.1f) << f.name;
    EXPECT_FLOAT_EQ(q.leben, 0.5f) << f.name;
    EXPECT_EQ(s.Anzahl(), 1u) << f.name;
  }
}

// A life that reaches 0 frees its slot and lowers the hint; the next particle takes that slot.
TEST_F(PartikelTest, AbgelaufenesLebenGibtSlotFrei) {
  for (float leben : {5.0f, 0.5f, 5.0f}) {
    Partikel p = Einfach();
    p.leben = leben;
    system.FuegeHinzu(p);
  }
  ASSERT_EQ(system.Pool().ersterFreier, 3u);
  system.Aktualisiere(HALBE_SEKUNDE);
  EXPECT_FALSE(system.Pool().IstLebend(1));
  EXPECT_EQ(system.Pool().ersterFreier, 1u);
  EXPECT_EQ(system.Anzahl(), 2u);
  EXPECT_EQ(system.FuegeHinzu(Einfach()), 1);
}

TEST_F(PartikelTest, EmitterNimmtDenNiedrigstenFreienSlot) {
  // Slots 7 and 100 run out in the first step; the emitter then fills 7 first.
  for (int64_t i = 0; i < PartikelSystem::MAX_PARTIKEL; ++i) {
    Partikel p = Einfach();
    if (i == 7 || i == 100) p.leben = 0.25f;
    ASSERT_EQ(system.FuegeHinzu(p), i);
  }
  EXPECT_EQ(system.FuegeHinzu(Einfach()), -1);
  system.Aktualisiere(HALBE_SEKUNDE);
  EXPECT_EQ(system.FuegeHinzu(Einfach()), 7);
  EXPECT_EQ(system.FuegeHinzu(Einfach()), 100);
  EXPECT_EQ(system.FuegeHinzu(Einfach()), -1);
}

TEST_F(PartikelTest, EmitterWeistUngueltigeAb) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), unendlich = std::numeric_limits<float>::infinity();
  const struct Fall {
    const char* name;
    void (*aendere)(Partikel&, float, float);
  } faelle[] = {
      {"NaN position", [](Partikel& p, float n, float) { p.position[1] = n; }},
      {"infinite velocity", [](Partikel& p, float, float u) { p.geschwindigkeit[2] = u; }},
      {"infinite rotation speed", [](Partikel& p, float, float u) { p.drehGeschwindigkeit = -u; }},
      {"NaN colour change", [](Partikel& p, float n, float) { p.farbAenderung[3] = n; }},
      {"negative drag", [](Partikel& p, float, float) { p.reibung = -0.1f; }},
      {"life 0", [](Partikel& p, float, float) { p.leben = 0; }},
      {"negative life", [](Partikel& p, float, float) { p.leben = -1; }},
      {"NaN life", [](Partikel& p, float n, float) { p.leben = n; }},
  };
  for (const Fall& f : faelle) {
    Partikel p = Einfach();
    f.aendere(p, nan, unendlich);
    EXPECT_EQ(system.FuegeHinzu(p), -1) << f.name;
  }
  EXPECT_EQ(system.Pool().AnzahlLebend(), 0u);
  EXPECT_EQ(system.FuegeHinzu(Einfach()), 0);
}

// A paused clock steps by 0: no field of any particle changes.
TEST_F(PartikelTest, PausierterSchrittAendertNichts) {
  Partikel p = Einfach();
  p.geschwindigkeit[0] = 3;
  p.beschleunigung[1] = -9.81f;
  p.reibung = 0.3f;
  p.farbAenderung[0] = -1;
  p.groessenAenderung = 2;
  p.drehGeschwindigkeit = 1;
  p.leben = 0.001f;
  system.FuegeHinzu(p);
  for (int i = 0; i < 3; ++i) system.Aktualisiere(0);
  EXPECT_EQ(std::memcmp(&system.Pool()[0], &p, sizeof p), 0);
  EXPECT_EQ(system.Anzahl(), 1u);
}

// Only live x 96 bytes go up, and nothing when none lives.
TEST_F(PartikelTest, HochladenNurDerLebenden) {
  auto& puffer = GeraeteVertices();
  std::fill(puffer.bytes.begin(), puffer.bytes.end(), 0xAB);
  system.Aktualisiere(HALBE_SEKUNDE);
  EXPECT_EQ(puffer.sperren, 0);
  system.FuegeHinzu(Einfach());
  system.FuegeHinzu(Einfach());
  system.Aktualisiere(HALBE_SEKUNDE);
  EXPECT_EQ(puffer.sperren, 1);
  ASSERT_EQ(system.Vertices().size(), 8u);
  EXPECT_EQ(std::memcmp(puffer.bytes.data(), system.Vertices().data(), 192), 0);
  EXPECT_TRUE(std::all_of(puffer.bytes.begin() + 192, puffer.bytes.end(), [](uint8_t b) { return b == 0xAB; }));
  EXPECT_EQ(puffer.bytes.size(), 0xC0000u);
}

// The four corners: a square of half-diagonal `size` turned by the rotation, clockwise on a
// screen whose y points up, drawn as (0, 1, 2) and (0, 2, 3).
TEST_F(PartikelTest, EckenBildenEinQuadrat) {
  const struct Fall {
    float groesse, drehung;
  } faelle[] = {{1, 0}, {0.25f, 0.3f}, {2, -2.5f}};
  for (const Fall& f : faelle) {
    PartikelSystem s;
    Partikel p = Einfach();
    p.position[0] = 3, p.position[1] = 4, p.position[2] = 5;
    p.groesse = f.groesse;
    p.drehung = f.drehung;
    s.FuegeHinzu(p);
    s.Aktualisiere(0);
    ASSERT_EQ(s.Ecken().size(), 4u);
    float x[4], y[4];
    for (int k = 0; k < 4; ++k) {
      const PartikelSystem::Ecke& e = s.Ecken()[size_t(k)];
      x[k] = e.versatz[0], y[k] = e.versatz[1];
      EXPECT_NEAR(std::hypot(x[k], y[k]), f.groesse, 1e-5f) << k;
      const Spiel::WeltVertex& v = s.Vertices()[size_t(k)];
      EXPECT_EQ(std::vector<float>({v.x, v.y, v.z, v.u, v.v}), std::vector<float>({3, 4, 5, x[k], y[k]})) << k;
    }
    EXPECT_NEAR(x[0], f.groesse * std::cos(f.drehung), 1e-5f);
    EXPECT_NEAR(y[0], f.groesse * std::sin(f.drehung), 1e-5f);
    for (int k = 0; k < 4; ++k) {
      const int n = (k + 1) % 4, m = (k + 2) % 4;
      const float kreuz = (x[n] - x[k]) * (y[m] - y[n]) - (y[n] - y[k]) * (x[m] - x[n]);
      EXPECT_NEAR(kreuz, -2 * f.groesse * f.groesse, 1e-4f) << "turn at corner " << n;  // clockwise, area 2 s²
    }
  }
  const auto& indizes = *dynamic_cast<d3d9::null::Puffer<d3d9::IDirect3DIndexBuffer9>*>(system.indexBuffer->buffer);
  ASSERT_EQ(indizes.bytes.size(), size_t(PartikelSystem::MAX_PARTIKEL) * 6 * 4);
  std::vector<uint32_t> erste(6), letzte(6);
  std::memcpy(erste.data(), indizes.bytes.data(), 24);
  std::memcpy(letzte.data(), indizes.bytes.data() + indizes.bytes.size() - 24, 24);
  EXPECT_EQ(erste, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
  const uint32_t q = 4 * (PartikelSystem::MAX_PARTIKEL - 1);
  EXPECT_EQ(letzte, (std::vector<uint32_t>{q, q + 1, q + 2, q, q + 2, q + 3}));
}

// The word taken apart as the shader does, with floor: the corner and five bits per channel.
TEST_F(PartikelTest, EckWortZerlegt) {
  const struct Fall {
    float farbe[4];
    uint32_t kanaele[4];
  } faelle[] = {
      {{0, 0, 0, 0}, {0, 0, 0, 0}},
      {{1, 1, 1, 1}, {31, 31, 31, 31}},
      {{0.5f, 0.25f, 1, 0}, {16, 8, 31, 0}},
      {{-1, 2, 0.49f, 0.51f}, {0, 31, 15, 16}},
  };
  for (const Fall& f : faelle)
    for (uint32_t k = 0; k < 4; ++k) {
      float w = PartikelSystem::EckWort(k, f.farbe);
      const auto teile = [&](float teiler) {
        const float oben = std::floor(w / teiler);
        const float unten = w - oben * teiler;
        w = oben;
        return uint32_t(unten);
      };
      EXPECT_EQ(teile(4), k);
      const uint32_t r = teile(32), g = teile(32), b = teile(32);
      EXPECT_EQ(std::vector<uint32_t>({r, g, b, uint32_t(w)}), std::vector<uint32_t>(f.kanaele, f.kanaele + 4)) << k;
    }
  Partikel p = Einfach();
  p.farbe[0] = 0.5f;
  system.FuegeHinzu(p);
  system.Aktualisiere(0);
  for (uint32_t k = 0; k < 4; ++k) {
    float wort;
    std::memcpy(&wort, &system.Vertices()[k].wort, 4);
    EXPECT_EQ(wort, PartikelSystem::EckWort(k, p.farbe)) << k;
  }
}

}  // namespace
