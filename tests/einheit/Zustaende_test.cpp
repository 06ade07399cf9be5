// Sampler, blend and depth states: the translation to Direct3D 9's values.
#include <gtest/gtest.h>

#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_TiefeZustand.h"

using namespace d3d9;

namespace {
Zarvo_SamplerBeschr Beschr(uint64_t filter, uint32_t adresse) {
  Zarvo_SamplerBeschr b{};
  b.filter = filter;
  b.adresse = adresse;
  b.maxAnisotropie = 8;
  return b;
}
}  // namespace

TEST(Sampler, FilterUndAdressen) {
  struct Fall {
    const char* name;
    uint64_t filter;
    uint32_t adresse;
    uint32_t min, mag, mip, u, v, w;
    bool rand, anisotrop;
  };
  const Fall faelle[] = {
      {"alles Punkt, Wrap", 0x00, 0x00, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, false, false},
      {"linear je Feld", 0x31, 0x01, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, false, false},
      {"Wert 2 und 3 sind linear", 0x0E, 0x00, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, false, false},
      {"anisotrop ueberstimmt", 0x40, 0x00, D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, false, true},
      {"Rand aus U", 0x00, 0x02, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTADDRESS_BORDER, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, true, false},
      {"Rand aus V", 0x00, 0x08, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTADDRESS_WRAP, D3DTADDRESS_BORDER, D3DTADDRESS_WRAP, true, false},
      {"Rand nur aus W", 0x00, 0x20, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_BORDER, true, false},
      {"Adresswert 3 wiederholt", 0x00, 0x3F, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, false, false},
  };
  for (const Fall& f : faelle) {
    const Zarvo_Sampler s(Beschr(f.filter, f.adresse));
    EXPECT_EQ(s.minFilter, f.min) << f.name;
    EXPECT_EQ(s.magFilter, f.mag) << f.name;
    EXPECT_EQ(s.mipFilter, f.mip) << f.name;
    EXPECT_EQ(s.adresseU, f.u) << f.name;
    EXPECT_EQ(s.adresseV, f.v) << f.name;
    EXPECT_EQ(s.adresseW, f.w) << f.name;
    EXPECT_EQ(s.benutztRand != 0, f.rand) << f.name;
    EXPECT_EQ(s.anisotrop != 0, f.anisotrop) << f.name;
    EXPECT_EQ(s.zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  }
}

TEST(Sampler, RandFarbeUndMipStufe) {
  struct Fall {
    float rgba[4];
    uint32_t farbe;
  };
  const Fall farben[] = {{{-1.0f, 0.5f, 2.0f, 0.25f}, 0x400080FF}, {{1.5f, -1.0f, 0.5f, 1.0f}, 0xFFFF0080}};
  for (const Fall& f : farben) {
    Zarvo_SamplerBeschr b = Beschr(0, 0);
    std::copy(f.rgba, f.rgba + 4, b.randFarbe);
    EXPECT_EQ(Zarvo_Sampler(b).randFarbe, f.farbe);
  }
  const std::pair<float, uint32_t> stufen[] = {{0.2f, 1}, {2.0f, 2}, {-0.5f, 0}, {0.0f, 0}};
  for (const auto& [level, erwartet] : stufen) {
    Zarvo_SamplerBeschr b = Beschr(0, 0);
    b.maxMipLevel = level;
    EXPECT_EQ(Zarvo_Sampler(b).maxMipLevel, erwartet) << level;
  }
  EXPECT_EQ(Zarvo_Sampler(Beschr(0x40, 0)).maxAnisotropie, 8u);
}

TEST(AlphaZustand, BeschreibungUndGetrenntesAlpha) {
  const Zarvo_AlphaZustand::Beschreibung b(0, 2, 4);  // add, source alpha, inverse source alpha
  EXPECT_EQ(b.fuehrend, 0);
  EXPECT_EQ(b.ziele[1].aktiv, 0);
  EXPECT_EQ(b.ziele[7].farbQuelle, 1u);
  EXPECT_EQ(b.ziele[7].schreibMaske, 15u);
  const Zarvo_AlphaZustand gleich(b);
  EXPECT_EQ(gleich.alphaBlendAktiv, 1u);
  EXPECT_EQ(gleich.blendOperation, uint32_t(D3DBLENDOP_ADD));
  EXPECT_EQ(gleich.quellBlend, uint32_t(D3DBLEND_SRCALPHA));
  EXPECT_EQ(gleich.zielBlend, uint32_t(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(gleich.getrenntesAlpha, 0u);
  EXPECT_EQ(gleich.alphaQuellBlend, uint32_t(D3DBLEND_ONE));
  EXPECT_EQ(gleich.alphaZielBlend, uint32_t(D3DBLEND_ZERO));
  EXPECT_EQ(gleich.schreibMaske, 15u);

  Zarvo_AlphaZustandBeschr getrennt = b;
  getrennt.ziele[0].alphaOperation = 4;  // max
  getrennt.ziele[0].alphaQuelle = 9;
  getrennt.ziele[0].schreibMaske = 1;
  const Zarvo_AlphaZustand z(getrennt);
  EXPECT_EQ(z.getrenntesAlpha, 1u);
  EXPECT_EQ(z.alphaBlendOperation, uint32_t(D3DBLENDOP_MAX));
  EXPECT_EQ(z.alphaQuellBlend, uint32_t(D3DBLEND_INVDESTCOLOR));
  EXPECT_EQ(z.alphaZielBlend, uint32_t(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(z.schreibMaske, 1u);
}

TEST(AlphaZustand, FaktorTabelle) {
  const uint32_t erwartet[] = {D3DBLEND_ZERO,        D3DBLEND_ONE,       D3DBLEND_SRCALPHA,     D3DBLEND_SRCCOLOR,
                               D3DBLEND_INVSRCALPHA, D3DBLEND_INVSRCCOLOR, D3DBLEND_DESTALPHA, D3DBLEND_DESTCOLOR,
                               D3DBLEND_INVDESTALPHA, D3DBLEND_INVDESTCOLOR};
  for (uint32_t f = 0; f < 10; ++f) EXPECT_EQ(Zarvo_AlphaZustand(Zarvo_AlphaZustand::Beschreibung(f % 5, f, 0)).quellBlend, erwartet[f]) << f;
  for (uint32_t op = 0; op < 5; ++op) EXPECT_EQ(Zarvo_AlphaZustand(Zarvo_AlphaZustand::Beschreibung(op, 1, 0)).blendOperation, op + 1);
}

TEST(TiefeZustand, VergleichsTabelle) {
  const uint32_t erwartet[] = {D3DCMP_NEVER,   D3DCMP_LESS,         D3DCMP_LESSEQUAL, D3DCMP_EQUAL,
                               D3DCMP_GREATER, D3DCMP_GREATEREQUAL, D3DCMP_NOTEQUAL,  D3DCMP_ALWAYS, D3DCMP_ALWAYS};
  for (uint32_t v = 0; v < 9; ++v) EXPECT_EQ(Zarvo_TiefeZustand({1, 0, v}).zFunktion, erwartet[v]) << v;
  const Zarvo_TiefeZustand z({1, 0, 2});
  EXPECT_EQ(z.zAktiv, 1u);
  EXPECT_EQ(z.zSchreibAktiv, 0u);
}
