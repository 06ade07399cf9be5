// Images, pixel formats, regions, mip chains and cube maps.
#include <gtest/gtest.h>
#include <squish.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "TBereich.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "bild/logmitschnitt.h"

namespace {

template <typename T>
T Roh(const Zarvo_Bild& bild, uint64_t x = 0, uint64_t y = 0) {
  T wert;
  std::memcpy(&wert, bild.Pixel() + y * bild.Zeilenbytes() + x * sizeof(T), sizeof(T));
  return wert;
}

template <typename T>
void SetzeRoh(Zarvo_Bild& bild, T wert, uint64_t x = 0, uint64_t y = 0) {
  std::memcpy(bild.Pixel() + y * bild.Zeilenbytes() + x * sizeof(T), &wert, sizeof(T));
}

TBereich Ganz(Zarvo_Bild& bild) {
  TBereich b;
  bild.LockBereich(b);
  return b;
}

// One pixel of a format, raw bits in and out.
template <typename T>
T DurchFarbe(Zarvo_Pixelformat format, T bits) {
  Zarvo_Bild bild(1, 1, format, 1);
  SetzeRoh<T>(bild, bits);
  TBereich b = Ganz(bild);
  const TAlphaFarbe farbe = b.LiesPixel(0, 0);
  SetzeRoh<T>(bild, T(~bits));
  b.SetzePixel(0, 0, farbe);
  return Roh<T>(bild);
}

const float NaN = std::numeric_limits<float>::quiet_NaN();

}  // namespace

TEST(Pixelformat, GroessenRegeln) {
  EXPECT_EQ(Zarvo_Bild::BytesProBild(PXFMT_DXT1, 5, 5), 32u);
  EXPECT_EQ(Zarvo_Bild::BytesProZeile(PXFMT_DXT5, 1), 4u);
  EXPECT_EQ(Zarvo_Bild::BytesProZeile(PXFMT_A8R8G8B8, 0), 0u);
  EXPECT_EQ(Zarvo_Bild::BytesProBild(PXFMT_DXT3, 4, 0), 0u);
  const uint64_t bits[] = {32, 16, 32, 16, 32, 64, 32, 64, 128, 32, 64, 4, 8, 8, 8};
  const uint64_t element[] = {4, 2, 4, 2, 4, 8, 4, 8, 16, 4, 8, 1, 1, 1, 1};
  for (uint32_t f = 0; f < PXFMT_ANZAHL; ++f) {
    const auto format = Zarvo_Pixelformat(f);
    EXPECT_EQ(Zarvo_Bild::ElementGroesse(format), element[f]) << f;
    EXPECT_EQ(Zarvo_Bild::BytesProZeile(format, 8), 8 * bits[f] / 8) << f;
    EXPECT_EQ(Zarvo_Bild::BytesProBild(format, 8, 3), 8 * bits[f] / 8 * (IstDxtFormat(format) ? 4 : 3)) << f;
  }
}

// Every value of every integer channel survives colour -> bits -> colour.
TEST(Pixelformat, GanzzahlKanaeleExakt) {
  for (uint32_t v = 0; v < 256; ++v) {
    const uint32_t argb = v << 24 | (255 - v) << 16 | (v ^ 0x5A) << 8 | v;
    EXPECT_EQ(DurchFarbe<uint32_t>(PXFMT_A8R8G8B8, argb), argb) << v;
    EXPECT_EQ(DurchFarbe<uint8_t>(PXFMT_A8, uint8_t(v)), v);
  }
  for (uint32_t v = 0; v < 65536; ++v) {
    const uint32_t g16r16 = (65535 - v) << 16 | v;
    ASSERT_EQ(DurchFarbe<uint32_t>(PXFMT_G16R16, g16r16), g16r16) << v;
    const uint64_t a16 = uint64_t(v) << 48 | uint64_t(v ^ 0xA5A5) << 32 | uint64_t(65535 - v) << 16 | v;
    ASSERT_EQ(DurchFarbe<uint64_t>(PXFMT_A16B16G16R16, a16), a16) << v;
    ASSERT_EQ(DurchFarbe<uint16_t>(PXFMT_R5G6B5, uint16_t(v)), v);
  }
  for (uint32_t v = 0; v < 1024; ++v) {
    const uint32_t bits = (v & 3) << 30 | (1023 - v) << 20 | (v ^ 0x155) << 10 | v;
    EXPECT_EQ(DurchFarbe<uint32_t>(PXFMT_A2B10G10R10, bits), bits) << v;
  }
}

TEST(Pixelformat, LayoutsUndKlemmen) {
  struct Fall {
    const char* name;
    Zarvo_Pixelformat format;
    TAlphaFarbe farbe;
    uint64_t bits;
  };
  const Fall faelle[] = {
      {"B in bits 0-7", PXFMT_A8R8G8B8, {0, 0, 1, 0}, 0x000000FF},
      {"R in bits 16-23", PXFMT_A8R8G8B8, {1, 0, 0, 0}, 0x00FF0000},
      {"1.2 saturates", PXFMT_A8R8G8B8, {1.2f, 1.2f, 1.2f, 1.2f}, 0xFFFFFFFF},
      {"-0.3 and NaN give 0", PXFMT_A8R8G8B8, {-0.3f, NaN, -0.3f, NaN}, 0},
      {"G16R16 R low", PXFMT_G16R16, {1, 0, 0, 0}, 0x0000FFFF},
      {"G16R16 R above 1 keeps G", PXFMT_G16R16, {1.5f, 0, 0, 0}, 0x0000FFFF},
      {"G16R16 NaN", PXFMT_G16R16, {NaN, -1, 0, 0}, 0},
      {"A16B16G16R16 R low", PXFMT_A16B16G16R16, {1, 0, 0, 0}, 0xFFFF},
      {"A16B16G16R16 A high", PXFMT_A16B16G16R16, {0, 0, 0, 2}, 0xFFFF000000000000},
      {"A2B10G10R10 R low", PXFMT_A2B10G10R10, {1, 0, 0, 0}, 0x3FF},
      {"A2B10G10R10 A high", PXFMT_A2B10G10R10, {-1, 0, 0, 1}, 0xC0000000},
      {"R5G6B5 R high", PXFMT_R5G6B5, {1, 0, 0, 0}, 0xF800},
      {"R5G6B5 B low", PXFMT_R5G6B5, {0, 0, 7, 0}, 0x001F},
      {"A8 1.2", PXFMT_A8, {1.2f, 0, 0, 0}, 0xFF},
      {"A8 NaN", PXFMT_A8, {NaN, 0, 0, 0}, 0},
  };
  for (const Fall& f : faelle) {
    Zarvo_Bild bild(1, 1, f.format, 1);
    Ganz(bild).SetzePixel(0, 0, f.farbe);
    uint64_t bits = 0;
    std::memcpy(&bits, bild.Pixel(), Zarvo_Bild::ElementGroesse(f.format));
    EXPECT_EQ(bits, f.bits) << f.name;
  }
}

TEST(Pixelformat, GleitkommaFormate) {
  const TAlphaFarbe farbe = {0.25f, -3.5f, 1000.0f, 2.0f};
  struct Fall {
    Zarvo_Pixelformat format;
    TAlphaFarbe erwartet;
  };
  const Fall faelle[] = {
      {PXFMT_R16F, {0.25f, 0, 0, 1}},          {PXFMT_G16R16F, {0.25f, -3.5f, 0, 1}},
      {PXFMT_A16B16G16R16F, farbe},            {PXFMT_R32F, {0.25f, 0, 0, 1}},
      {PXFMT_G32R32F, {0.25f, -3.5f, 0, 1}},   {PXFMT_A32B32G32R32F, farbe},
  };
  for (const Fall& f : faelle) {
    Zarvo_Bild bild(1, 1, f.format, 1);
    TBereich b = Ganz(bild);
    b.SetzePixel(0, 0, farbe);
    EXPECT_EQ(b.LiesPixel(0, 0), f.erwartet) << f.format;
  }
  Zarvo_Bild halb(1, 1, PXFMT_R16F, 1);
  Ganz(halb).SetzePixel(0, 0, {1.0f, 0, 0, 0});
  EXPECT_EQ(Roh<uint16_t>(halb), 0x3C00);
}

TEST(Halbfloat, Verengung) {
  struct Fall {
    float wert;
    uint16_t halb;
  };
  const Fall faelle[] = {
      {1.0f, 0x3C00},    {-0.0f, 0x8000},     {-2.0f, 0xC000},
      {1e6f, 0x7BFF},    {-1e6f, 0xFBFF},     {std::numeric_limits<float>::infinity(), 0x7BFF},
      {-std::numeric_limits<float>::infinity(), 0xFBFF}, {NaN, 0x7E00},
      {65504.0f, 0x7BFF}, {65536.0f, 0x7BFF}, {1e-6f, 0x0000}, {-1e-6f, 0x8000}, {6.1035156e-05f, 0x0400},
  };
  for (const Fall& f : faelle) EXPECT_EQ(FloatZuHalb(f.wert), f.halb) << f.wert;
  EXPECT_EQ(HalbZuFloat(0x7C00), 65536.0f);
  for (uint32_t h = 0; h < 0x10000; ++h) {
    const uint32_t exponent = h >> 10 & 0x1F;
    if (exponent == 0 || exponent == 31) continue;
    ASSERT_EQ(FloatZuHalb(HalbZuFloat(uint16_t(h))), h) << std::hex << h;
  }
}

TEST(TBereich, AusserhalbUndBeschnitt) {
  LogMitschnitt log;
  Zarvo_Bild bild(6, 5, PXFMT_A8R8G8B8, 1);
  TBereich voll = Ganz(bild);
  voll.Fuelle(0x11223344);
  TBereich teil;
  bild.LockBereich(teil, 4, 3, 10, 10);
  EXPECT_EQ(teil.Breite(), 2u);
  EXPECT_EQ(teil.Hoehe(), 2u);
  EXPECT_EQ(teil.LiesPixel(2, 0), TAlphaFarbe{});
  EXPECT_EQ(teil.LiesPixel(0, 2), TAlphaFarbe{});
  teil.SetzePixel(2, 0, {1, 1, 1, 1});
  teil.SetzePixel(0, 2, {1, 1, 1, 1});
  teil.SetzePixel(1, 1, {0, 0, 0, 0});
  for (uint64_t y = 0; y < 5; ++y)
    for (uint64_t x = 0; x < 6; ++x)
      EXPECT_EQ(Roh<uint32_t>(bild, x, y), x == 5 && y == 4 ? 0u : 0x11223344u) << x << "," << y;
  bild.LockBereich(teil, 6, 0, 1, 1);
  EXPECT_TRUE(teil.IstLeer());

  Zarvo_Bild dxt(8, 8, PXFMT_DXT1, 1);
  dxt.LockBereich(teil, 2, 4, 4, 4);
  EXPECT_TRUE(teil.IstLeer());
  EXPECT_TRUE(log.Enthaelt("!TBereich::LockSubBereich( 2, 4, 4, 4): Unterbereiche in einem DXT-komprimierten Bereich "
                           "müssen durch 4 teilbare Position haben."));
  dxt.LockBereich(teil, 4, 4, 4, 4);
  EXPECT_EQ(teil.Daten(), dxt.Pixel() + 4 * dxt.Zeilenbytes() + 8);
}

TEST(TBereich, FuelleTransparentNurEcke) {
  Zarvo_Bild bild(20, 20, PXFMT_A8R8G8B8, 1);
  TBereich b = Ganz(bild);
  b.Fuelle(0);
  b.FuelleTransparent();
  for (uint64_t y = 0; y < 20; ++y)
    for (uint64_t x = 0; x < 20; ++x) ASSERT_EQ(Roh<uint32_t>(bild, x, y), x < 16 && y < 16 ? 0x80FFFFFFu : 0u);
  Zarvo_Bild anders(4, 4, PXFMT_R32F, 1);
  std::memset(anders.Pixel(), 0, 64);
  Ganz(anders).Fuelle(0xFFFFFFFF);
  EXPECT_EQ(Roh<uint32_t>(anders, 3, 3), 0u);
}

TEST(KopiereKonvertiert, TeilrechteckZwischenPitchesLaesstRandStehen) {
  Zarvo_Bild quelle(10, 6, PXFMT_A8R8G8B8, 1);
  for (uint64_t y = 0; y < 6; ++y)
    for (uint64_t x = 0; x < 10; ++x) SetzeRoh<uint32_t>(quelle, 0xFF000000 | uint32_t(y << 8 | x), x, y);
  for (Zarvo_Pixelformat format : {PXFMT_A8R8G8B8, PXFMT_A16B16G16R16}) {
    Zarvo_Bild ziel(12, 8, format, 1);
    std::memset(ziel.Pixel(), 0xEE, Zarvo_Bild::BytesProBild(format, 12, 8));
    TBereich von, nach;
    quelle.LockBereich(von, 2, 1, 5, 3);
    ziel.LockBereich(nach, 3, 2, 6, 4);
    TBereich::KopiereKonvertiert(von, nach);
    TBereich zurueck = Ganz(ziel);
    const uint64_t element = Zarvo_Bild::ElementGroesse(format);
    for (uint64_t y = 0; y < 8; ++y) {
      for (uint64_t x = 0; x < 12; ++x) {
        const bool innen = x >= 3 && x < 8 && y >= 2 && y < 5;
        if (innen) {
          TBereich q = Ganz(quelle);
          EXPECT_EQ(zurueck.LiesPixel(x, y), q.LiesPixel(x - 1, y - 1)) << x << "," << y;
        } else {
          const uint8_t* p = ziel.Pixel() + y * ziel.Zeilenbytes() + x * element;
          for (uint64_t i = 0; i < element; ++i) ASSERT_EQ(p[i], 0xEE) << x << "," << y << " " << format;
        }
      }
    }
  }
}

TEST(KopiereKonvertiert, GleichesDxtBlockFuerBlock) {
  for (uint64_t breite : {4, 5, 6, 8, 9}) {
    Zarvo_Bild quelle(breite, 6, PXFMT_DXT5, 1), ziel(breite, 6, PXFMT_DXT5, 1);
    const uint64_t bytes = Zarvo_Bild::BytesProBild(PXFMT_DXT5, breite, 6);
    for (uint64_t i = 0; i < bytes; ++i) quelle.Pixel()[i] = uint8_t(i * 7 + 1);
    TBereich von = Ganz(quelle), nach = Ganz(ziel);
    TBereich::KopiereKonvertiert(von, nach);
    EXPECT_EQ(std::memcmp(quelle.Pixel(), ziel.Pixel(), bytes), 0) << breite;
  }
}

TEST(KopiereKonvertiert, KleinesBildInDxtWiederholtPixel) {
  struct Fall {
    uint64_t breite, hoehe;
  };
  for (const Fall f : {Fall{2, 2}, Fall{3, 1}}) {
    Zarvo_Bild quelle(f.breite, f.hoehe, PXFMT_A8R8G8B8, 1);
    auto weiss = [](uint64_t x, uint64_t y) { return (x + y) % 2 == 0; };
    for (uint64_t y = 0; y < f.hoehe; ++y)
      for (uint64_t x = 0; x < f.breite; ++x) SetzeRoh<uint32_t>(quelle, weiss(x, y) ? 0xFFFFFFFF : 0xFF000000, x, y);
    Zarvo_Bild ziel(f.breite, f.hoehe, PXFMT_DXT1, 1);
    TBereich von = Ganz(quelle), nach = Ganz(ziel);
    TBereich::KopiereKonvertiert(von, nach);
    uint8_t rgba[64];
    squish::Decompress(rgba, ziel.Pixel(), squish::kDxt1);
    for (uint64_t j = 0; j < 4; ++j)
      for (uint64_t i = 0; i < 4; ++i)
        EXPECT_EQ(rgba[4 * (j * 4 + i)], weiss(i % f.breite, j % f.hoehe) ? 255 : 0) << f.breite << " " << i << "," << j;
  }
}

TEST(KopiereKonvertiert, LeeresRechteckTutNichts) {
  Zarvo_Bild quelle(4, 4, PXFMT_A8R8G8B8, 1), ziel(4, 4, PXFMT_DXT1, 1);
  std::memset(ziel.Pixel(), 0x5C, 8);
  TBereich von, nach = Ganz(ziel);
  quelle.LockBereich(von, 0, 0, 0, 4);
  TBereich::KopiereKonvertiert(von, nach);
  TBereich::KopiereKonvertiert(nach, von);
  TBereich::KopiereKonvertiert(TBereich(), nach);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ziel.Pixel()[i], 0x5C);
}

// The block route clamps like SetzePixel: 1.2 gives 255, -0.3 and NaN give 0.
TEST(KopiereKonvertiert, DxtZielKlemmt) {
  Zarvo_Bild quelle(4, 4, PXFMT_A32B32G32R32F, 1), dxt(4, 4, PXFMT_DXT5, 1);
  TBereich q = Ganz(quelle), d = Ganz(dxt);
  for (uint64_t y = 0; y < 4; ++y)
    for (uint64_t x = 0; x < 4; ++x) q.SetzePixel(x, y, {1.2f, -0.3f, NaN, 1.2f});
  TBereich::KopiereKonvertiert(q, d);
  EXPECT_EQ(d.LiesPixel(2, 2), (TAlphaFarbe{1, 0, 0, 1}));
}

TEST(KopiereKonvertiert, DxtHinUndZurueck) {
  struct Fall {
    Zarvo_Pixelformat format;
    int alphaToleranz;
  };
  for (const Fall f : {Fall{PXFMT_DXT1, 0}, Fall{PXFMT_DXT3, 9}, Fall{PXFMT_DXT5, 6}}) {
    Zarvo_Bild quelle(16, 8, PXFMT_A8R8G8B8, 1);
    for (uint32_t y = 0; y < 8; ++y)
      for (uint32_t x = 0; x < 16; ++x) {
        const uint32_t a = f.format == PXFMT_DXT1 ? (x < 6 ? 255 : 0) : 40 + 13 * x;
        SetzeRoh<uint32_t>(quelle, a << 24 | (60 + 10 * x) << 16 | (30 + 20 * y) << 8 | 200, x, y);
      }
    Zarvo_Bild dxt(16, 8, f.format, 1), zurueck(16, 8, PXFMT_A8R8G8B8, 1);
    TBereich q = Ganz(quelle), d = Ganz(dxt), z = Ganz(zurueck);
    TBereich::KopiereKonvertiert(q, d);
    TBereich::KopiereKonvertiert(d, z);
    for (uint32_t y = 0; y < 8; ++y) {
      for (uint32_t x = 0; x < 16; ++x) {
        const uint32_t soll = Roh<uint32_t>(quelle, x, y), ist = Roh<uint32_t>(zurueck, x, y);
        const bool durchsichtig = f.format == PXFMT_DXT1 && (soll >> 24) == 0;
        for (int k = 0; k < 3 && !durchsichtig; ++k)
          EXPECT_NEAR(int(ist >> (8 * k) & 0xFF), int(soll >> (8 * k) & 0xFF), 24) << f.format << " " << x << "," << y;
        EXPECT_NEAR(int(ist >> 24), int(soll >> 24), f.alphaToleranz) << f.format << " " << x << "," << y;
        // LiesPixel on the DXT region decodes the same block.
        EXPECT_EQ(d.LiesPixel(x, y), z.LiesPixel(x, y));
      }
    }
  }
}

TEST(MipKette, Stufengroessen) {
  struct Fall {
    uint64_t breite, hoehe, anzahl;
    std::vector<std::pair<uint64_t, uint64_t>> stufen;
  };
  const Fall faelle[] = {
      {256, 256, 0, {{256, 256}, {128, 128}, {64, 64}, {32, 32}, {16, 16}, {8, 8}, {4, 4}, {2, 2}, {1, 1}}},
      {256, 4, 0, {{256, 4}, {128, 2}, {64, 1}}},
      {4, 256, 0, {{4, 256}, {2, 128}, {1, 64}}},
      {2, 8, 0, {{2, 8}, {1, 4}}},
      {8, 1, 4, {{8, 1}, {4, 1}, {2, 1}, {1, 1}}},
      {16, 16, 100, {{16, 16}, {8, 8}, {4, 4}, {2, 2}, {1, 1}}},
      {0, 5, 3, {{0, 5}}},
  };
  for (const Fall& f : faelle) {
    Zarvo_Bild bild(f.breite, f.hoehe, PXFMT_A8R8G8B8, f.anzahl);
    EXPECT_EQ(bild.MipAnzahl(), f.stufen.size()) << f.breite << "x" << f.hoehe;
    for (uint64_t n = 0; n < f.stufen.size(); ++n) {
      const Zarvo_Bild* stufe = bild.HoleMipStufe(n);
      ASSERT_NE(stufe, nullptr);
      EXPECT_EQ(stufe->Breite(), f.stufen[n].first);
      EXPECT_EQ(stufe->Hoehe(), f.stufen[n].second);
      EXPECT_EQ(stufe->IstMipStufe(), n > 0);
      EXPECT_EQ(stufe->MipAnzahl(), f.stufen.size() - n);
    }
    EXPECT_EQ(bild.HoleMipStufe(f.stufen.size()), nullptr);
    EXPECT_EQ(Zarvo_Bild::HoleMipStufe(nullptr, 0), nullptr);
  }
  Zarvo_Bild bild(64, 64, PXFMT_A8R8G8B8, 0);
  bild.ErzeugeMipKette(3);
  EXPECT_EQ(bild.MipAnzahl(), 3u);
  EXPECT_EQ(bild.HoleMipStufe(2)->NaechsteStufe(), nullptr);
  bild.ErzeugeMipKette(std::numeric_limits<uint64_t>::max());
  EXPECT_EQ(bild.MipAnzahl(), 7u);
}

// Every level is computed, also those at a width or height of 1; missing neighbours repeat the edge.
TEST(MipKette, BerechneMipMapsFuelltJedeStufe) {
  struct Fall {
    uint64_t breite, hoehe;
    bool spalten;  // values run along x
    std::vector<std::vector<float>> stufen;
  };
  const Fall faelle[] = {
      {8, 1, true, {{0.5f, 2.5f, 4.5f, 6.5f}, {1.5f, 5.5f}, {3.5f}}},
      {1, 8, false, {{0.5f, 2.5f, 4.5f, 6.5f}, {1.5f, 5.5f}, {3.5f}}},
      {4, 16, false, {{0.5f, 2.5f, 4.5f, 6.5f, 8.5f, 10.5f, 12.5f, 14.5f}, {1.5f, 5.5f, 9.5f, 13.5f}, {3.5f, 11.5f}, {7.5f}}},
  };
  for (const Fall& f : faelle) {
    Zarvo_Bild bild(f.breite, f.hoehe, PXFMT_R32F, f.stufen.size() + 1);
    TBereich b = Ganz(bild);
    for (uint64_t y = 0; y < f.hoehe; ++y)
      for (uint64_t x = 0; x < f.breite; ++x) b.SetzePixel(x, y, {float(f.spalten ? x : y), 0, 0, 0});
    bild.BerechneMipMaps();
    for (uint64_t n = 0; n < f.stufen.size(); ++n) {
      Zarvo_Bild* stufe = bild.HoleMipStufe(n + 1);
      TBereich s = Ganz(*stufe);
      for (uint64_t y = 0; y < stufe->Hoehe(); ++y)
        for (uint64_t x = 0; x < stufe->Breite(); ++x)
          EXPECT_EQ(s.LiesPixel(x, y).r, f.stufen[n][f.spalten ? x : y]) << f.breite << "x" << f.hoehe << " " << n;
    }
  }

  Zarvo_Bild argb(8, 1, PXFMT_A8R8G8B8, 4);
  for (uint32_t x = 0; x < 8; ++x) SetzeRoh<uint32_t>(argb, x * 32, x);
  argb.BerechneMipMaps();
  const std::vector<std::vector<uint32_t>> blau = {{16, 80, 144, 208}, {48, 176}, {112}};
  for (uint64_t n = 0; n < blau.size(); ++n)
    for (uint64_t x = 0; x < blau[n].size(); ++x) EXPECT_EQ(Roh<uint32_t>(*argb.HoleMipStufe(n + 1), x), blau[n][x]);

  Zarvo_Bild weiss(255, 255, PXFMT_A8R8G8B8, 1);
  Ganz(weiss).Fuelle(0xFFFFFFFF);
  weiss.BerechneMipMaps();
  EXPECT_EQ(weiss.MipAnzahl(), 8u);
  EXPECT_EQ(Roh<uint32_t>(*weiss.HoleMipStufe(1)), 0xFCFCFCFCu);  // 255 becomes 252

  for (const Fall& f : {Fall{8, 1, true, {}}, Fall{4, 16, false, {}}}) {
    Zarvo_Bild dxt(f.breite, f.hoehe, PXFMT_DXT1, 0);
    dxt.ErzeugeMipKette(5);
    Zarvo_Bild quelle(f.breite, f.hoehe, PXFMT_A8R8G8B8, 1);
    TBereich q = Ganz(quelle), d = Ganz(dxt);
    q.Fuelle(0xFF808080);
    TBereich::KopiereKonvertiert(q, d);
    dxt.BerechneMipMaps();
    for (uint64_t n = 1; n < dxt.MipAnzahl(); ++n) {
      TBereich s = Ganz(*dxt.HoleMipStufe(n));
      EXPECT_NEAR(s.LiesPixel(s.Breite() - 1, s.Hoehe() - 1).g, 128.0f / 255, 8.0f / 255) << n;
    }
  }
}

TEST(CubeMap, StufenUndSeiten) {
  Zarvo_Bild cube;
  cube.SetCubeMapGroesse(16, PXFMT_A8R8G8B8, 0);
  ASSERT_TRUE(cube.IstCubeMap());
  EXPECT_EQ(cube.Seite(Zarvo_Bild::BASIS_SEITE), &cube);
  for (int s = 0; s < 6; ++s) {
    Zarvo_Bild* seite = cube.Seite(s);
    ASSERT_NE(seite, nullptr);
    EXPECT_EQ(seite->MipAnzahl(), 5u);
    for (uint64_t n = 0; n < 5; ++n) {
      Zarvo_Bild* stufe = seite->HoleMipStufe(n);
      ASSERT_TRUE(stufe->IstCubeMap());
      EXPECT_EQ(stufe->Breite(), 16u >> n);
      for (int k = 0; k < 6; ++k) EXPECT_EQ(stufe->Seite(k), cube.Seite(k)->HoleMipStufe(n)) << s << " " << n << " " << k;
    }
  }
  // Filling every face and computing the chain reaches all six faces.
  for (int s = 0; s < 6; ++s) Ganz(*cube.Seite(s)).Fuelle(0x04040404u * uint32_t(s + 1));
  cube.BerechneMipMaps();
  for (int s = 0; s < 6; ++s) EXPECT_EQ(Roh<uint32_t>(*cube.Seite(s)->HoleMipStufe(4)), 0x04040404u * uint32_t(s + 1));
}

TEST(CubeMap, UmbauVerweigert) {
  LogMitschnitt log;
  Zarvo_Bild cube;
  cube.SetCubeMapGroesse(8, PXFMT_A8R8G8B8, 2);
  Zarvo_Bild* seite = cube.Seite(0);
  EXPECT_FALSE(seite->SetGroesse(4, 4, PXFMT_A8R8G8B8, 1));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::SetGroesse( 4, 4, 0, 1):  Umbau einer CubeMap zu einem 2D-Bild darf nur von der "
                           "Basisseite (Links) ausgehen."));
  EXPECT_EQ(seite->Breite(), 8u);
  Zarvo_Bild* stufe = cube.HoleMipStufe(1);
  EXPECT_FALSE(stufe->SetGroesse(2, 2, PXFMT_A8R8G8B8, 1));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::SetGroesse( 2, 2, 0, 1):  Umdimensionierung ist für MipMaps nicht zulässig."));
  EXPECT_FALSE(stufe->SetCubeMapGroesse(2, PXFMT_A8R8G8B8, 1));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::SetCubeMapGroesse( 2, 0, 1):  Umdimensionierung ist für MipMaps nicht zulässig."));
  EXPECT_EQ(stufe->Breite(), 4u);
  // Nor is a non-base face made a cube of its own: its siblings' levels point into its chain.
  EXPECT_FALSE(seite->SetCubeMapGroesse(8, PXFMT_A8R8G8B8, 2));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::SetCubeMapGroesse( 8, 0, 2):  Umbau einer CubeMap darf nur von der Basisseite "
                           "(Links) ausgehen."));
  Zarvo_Bild anderer;
  anderer.SetCubeMapGroesse(8, PXFMT_A8R8G8B8, 2);
  Ganz(*anderer.HoleMipStufe(1)).Fuelle(0x0A0B0C0D);
  *seite = anderer;  // copies the levels both have, into the face as it is
  EXPECT_EQ(seite->Seite(3), &cube);
  EXPECT_EQ(cube.HoleMipStufe(1)->Seite(0), seite->HoleMipStufe(1));
  EXPECT_EQ(Roh<uint32_t>(*seite->HoleMipStufe(1), 3, 3), 0x0A0B0C0Du);
  // The base face turns the cube back into a 2D image.
  EXPECT_TRUE(cube.SetGroesse(4, 4, PXFMT_A8R8G8B8, 1));
  EXPECT_FALSE(cube.IstCubeMap());
  EXPECT_EQ(cube.Seite(0), nullptr);
}

TEST(CubeMap, ZerstoerenEinerSeiteSchontDieAnderen) {
  auto* basis = new Zarvo_Bild(4, 4, PXFMT_A8R8G8B8, 1);
  Zarvo_Bild* s[6];
  for (int i = 0; i < 6; ++i) {
    s[i] = i == 3 ? basis : new Zarvo_Bild(4, 4, PXFMT_A8R8G8B8, 1);
    Ganz(*s[i]).Fuelle(0x01010101u * uint32_t(i));
  }
  for (Zarvo_Bild* seite : s) seite->SetzeCubeMapSeiten(s[3], s[2], s[0], s[1], s[4], s[5]);
  delete s[2];
  for (int i : {0, 1, 3, 4, 5}) {
    EXPECT_EQ(Roh<uint32_t>(*s[i], 3, 3), 0x01010101u * uint32_t(i));
    s[i]->SetzeCubeMapSeiten(s[3], nullptr, s[0], s[1], s[4], s[5]);
  }
  delete basis;  // owns the remaining four
}

TEST(Kopiere, CubeLeerUndSelbst) {
  Zarvo_Bild cube;
  cube.SetCubeMapGroesse(8, PXFMT_A8R8G8B8, 0);
  for (int s = 0; s < 6; ++s)
    for (uint64_t n = 0; n < cube.MipAnzahl(); ++n) Ganz(*cube.Seite(s)->HoleMipStufe(n)).Fuelle(uint32_t(s * 16 + n));
  Zarvo_Bild kopie(cube);
  ASSERT_TRUE(kopie.IstCubeMap());
  EXPECT_EQ(kopie.Seite(3), &kopie);
  for (int s = 0; s < 6; ++s) {
    EXPECT_NE(kopie.Seite(s), cube.Seite(s));
    for (uint64_t n = 0; n < 4; ++n) EXPECT_EQ(Roh<uint32_t>(*kopie.Seite(s)->HoleMipStufe(n)), uint32_t(s * 16 + n));
  }
  Zarvo_Bild& selbst = kopie;
  kopie = selbst;
  kopie = std::move(selbst);
  EXPECT_EQ(Roh<uint32_t>(*kopie.Seite(5)->HoleMipStufe(3)), 5u * 16 + 3);

  kopie.Kopiere(Zarvo_Bild());
  EXPECT_FALSE(kopie.IstCubeMap());
  EXPECT_EQ(kopie.Pixel(), nullptr);
  EXPECT_EQ(kopie.Breite(), 0u);
  EXPECT_EQ(kopie.Seite(0), nullptr);

  // A level or face of the image itself is a valid source.
  Zarvo_Bild eigen(8, 8, PXFMT_A8R8G8B8, 0);
  Ganz(*eigen.HoleMipStufe(1)).Fuelle(0x12345678);
  eigen = *eigen.HoleMipStufe(1);
  EXPECT_EQ(eigen.Breite(), 4u);
  EXPECT_EQ(eigen.MipAnzahl(), 3u);
  EXPECT_FALSE(eigen.IstMipStufe());
  EXPECT_EQ(Roh<uint32_t>(eigen, 3, 3), 0x12345678u);
  Zarvo_Bild wuerfel;
  wuerfel.SetCubeMapGroesse(4, PXFMT_A8R8G8B8, 1);
  for (int s = 0; s < 6; ++s) Ganz(*wuerfel.Seite(s)).Fuelle(uint32_t(s));
  wuerfel.Kopiere(*wuerfel.Seite(0));
  EXPECT_EQ(wuerfel.Seite(3), &wuerfel);
  for (int s = 0; s < 6; ++s) EXPECT_EQ(Roh<uint32_t>(*wuerfel.Seite(s)), uint32_t(s));

  // A mip level keeps its size: only the levels both images have are copied.
  Zarvo_Bild kette(8, 8, PXFMT_A8R8G8B8, 3), gross(16, 16, PXFMT_A8R8G8B8, 1);
  Ganz(gross).Fuelle(0xABCDEF01);
  kette.HoleMipStufe(1)->Kopiere(gross);
  EXPECT_EQ(kette.HoleMipStufe(1)->Breite(), 4u);
  EXPECT_EQ(Roh<uint32_t>(*kette.HoleMipStufe(1), 3, 3), 0xABCDEF01u);
}

TEST(Kopiere, VerschobenerCubeBleibtSeineBasis) {
  Zarvo_Bild cube;
  cube.SetCubeMapGroesse(4, PXFMT_A8R8G8B8, 0);
  Ganz(*cube.Seite(1)).Fuelle(0x77);
  Zarvo_Bild verschoben(std::move(cube));
  EXPECT_EQ(cube.Pixel(), nullptr);
  EXPECT_FALSE(cube.IstCubeMap());
  for (int s = 0; s < 6; ++s) EXPECT_EQ(verschoben.Seite(s)->Seite(3), &verschoben) << s;
  EXPECT_EQ(Roh<uint32_t>(*verschoben.Seite(1)), 0x77u);

  Zarvo_Bild ziel(2, 2, PXFMT_A8, 1);
  ziel = std::move(verschoben);
  for (int s = 0; s < 6; ++s) EXPECT_EQ(ziel.Seite(s)->Seite(3), &ziel) << s;
  EXPECT_TRUE(ziel.SetGroesse(2, 2, PXFMT_A8R8G8B8, 1));  // its own base, so not refused

  // Moving a non-base face copies it; the owner keeps it.
  Zarvo_Bild zweiter;
  zweiter.SetCubeMapGroesse(4, PXFMT_A8R8G8B8, 1);
  Zarvo_Bild* seite = zweiter.Seite(4);
  Zarvo_Bild aus(std::move(*seite));
  EXPECT_NE(seite->Pixel(), nullptr);
  EXPECT_EQ(aus.Seite(3), &aus);
}
