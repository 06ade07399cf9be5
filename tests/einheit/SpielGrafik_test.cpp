// The game's built images: sizes and PNG colour types, which tiles hold a symbol and which stay
// empty, the directions of arrows and cursors, the cursors' hotspots, the stone and the gem,
// and edges that blend towards the outline colour.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "EigenerOrdner.h"
#include "Zarvo_Bild.h"

namespace {

const std::filesystem::path DATEN = MORVELUNT_DATEN_ZIEL;
constexpr int KACHEL = 64;

struct Kachel {
  int index;  // game atlas entry
  int x, y;
};
constexpr Kachel BENUTZT[] = {{2, 0, 0},     {3, 64, 0},     {4, 128, 0},   {5, 0, 64},    {6, 64, 64},
                              {7, 128, 64},  {8, 0, 128},    {9, 64, 128},  {10, 128, 128}, {12, 64, 192},
                              {14, 192, 128}, {50, 192, 0},  {51, 256, 0},  {52, 256, 64}};
constexpr Kachel LEER[] = {{11, 0, 192},  {13, 128, 192}, {-1, 192, 64}, {-1, 256, 128},
                           {-1, 192, 192}, {-1, 256, 192}};

// Width, height and colour type from the PNG header.
struct PngKopf {
  uint32_t breite, hoehe;
  int farbtyp;
};
PngKopf LiesKopf(const std::filesystem::path& pfad) {
  const std::string d = LiesDatei(pfad);
  if (d.size() < 26) return {0, 0, -1};
  auto u32 = [&](size_t p) { return uint32_t(uint8_t(d[p])) << 24 | uint32_t(uint8_t(d[p + 1])) << 16 | uint32_t(uint8_t(d[p + 2])) << 8 | uint8_t(d[p + 3]); };
  return {u32(16), u32(20), int(uint8_t(d[25]))};
}

class SpielGrafik : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(gui.LadeBildAusDatei(DATEN / "GuiGrafik.png")); }

  uint32_t Pixel(const Kachel& k, int x, int y) const {
    uint32_t p;
    std::memcpy(&p, gui.Pixel() + uint64_t(k.y + y) * gui.Zeilenbytes() + 4 * uint64_t(k.x + x), 4);
    return p;
  }
  int Alpha(const Kachel& k, int x, int y) const { return int(Pixel(k, x, y) >> 24); }

  const Kachel& Von(int index) const {
    for (const Kachel& k : BENUTZT)
      if (k.index == index) return k;
    std::abort();
  }

  struct Tinte {
    double menge = 0, x = 0, y = 0;   // alpha-weighted centroid (pixel centres)
    int x0 = KACHEL, y0 = KACHEL, x1 = -1, y1 = -1;  // bounding box of all ink
    double MitteX() const { return (x0 + x1 + 1) / 2.0; }
    double MitteY() const { return (y0 + y1 + 1) / 2.0; }
  };
  Tinte Miss(int index) const {
    const Kachel& k = Von(index);
    Tinte t;
    for (int y = 0; y < KACHEL; ++y)
      for (int x = 0; x < KACHEL; ++x) {
        const int a = Alpha(k, x, y);
        if (a == 0) continue;
        t.menge += a;
        t.x += a * (x + 0.5);
        t.y += a * (y + 0.5);
        t.x0 = std::min(t.x0, x), t.x1 = std::max(t.x1, x), t.y0 = std::min(t.y0, y), t.y1 = std::max(t.y1, y);
      }
    t.x /= t.menge;
    t.y /= t.menge;
    return t;
  }

  Zarvo_Bild gui;
};

TEST_F(SpielGrafik, GroessenUndFarbtypen) {
  const PngKopf grafik = LiesKopf(DATEN / "grafik.png"), guiKopf = LiesKopf(DATEN / "GuiGrafik.png");
  EXPECT_EQ(grafik.breite, 32u);
  EXPECT_EQ(grafik.hoehe, 16u);
  EXPECT_EQ(grafik.farbtyp, 2);  // RGB
  EXPECT_EQ(guiKopf.breite, 320u);
  EXPECT_EQ(guiKopf.hoehe, 256u);
  EXPECT_EQ(guiKopf.farbtyp, 6);  // RGBA
  Zarvo_Bild weiss;
  ASSERT_TRUE(weiss.LadeBildAusDatei(DATEN / "grafik.png"));
  for (uint64_t y = 0; y < 16; ++y)
    for (uint64_t x = 0; x < 32; ++x) {
      uint32_t p;
      std::memcpy(&p, weiss.Pixel() + y * weiss.Zeilenbytes() + 4 * x, 4);
      ASSERT_EQ(p, 0xFFFFFFFFu) << x << ", " << y;
    }
}

TEST_F(SpielGrafik, BenutzteKachelnMitRandLeereLeer) {
  for (const Kachel& k : BENUTZT) {
    int deckend = 0, imRand = 0;
    for (int y = 0; y < KACHEL; ++y)
      for (int x = 0; x < KACHEL; ++x) {
        const bool rand = x < 2 || y < 2 || x >= KACHEL - 2 || y >= KACHEL - 2;
        imRand += rand && Alpha(k, x, y) != 0;
        deckend += Alpha(k, x, y) == 255;
      }
    EXPECT_GT(deckend, 100) << k.index;
    EXPECT_EQ(imRand, 0) << k.index;
  }
  for (const Kachel& k : LEER)
    for (int y = 0; y < KACHEL; ++y)
      for (int x = 0; x < KACHEL; ++x) ASSERT_EQ(Alpha(k, x, y), 0) << k.x << ", " << k.y;
}

TEST_F(SpielGrafik, PfeileZeigenZurSpitze) {
  struct Fall {
    int index;
    int dx, dy;  // where the head is
  } faelle[] = {{3, 0, -1}, {6, 0, 1}, {5, -1, 0}, {7, 1, 0}, {9, 0, -1}, {12, 0, 1}};
  for (const Fall& f : faelle) {
    const Tinte t = Miss(f.index);
    const double schub = (t.x - t.MitteX()) * f.dx + (t.y - t.MitteY()) * f.dy;
    EXPECT_GT(schub, 0.5) << f.index;
    const double quer = (t.x - t.MitteX()) * f.dy - (t.y - t.MitteY()) * f.dx;
    EXPECT_LT(std::fabs(quer), 0.25) << f.index;  // symmetric across the arrow
  }
  // Q and cursor 8 rise on the right and bend over to the left: the head (the leftmost ink) is
  // in the upper half, the foot (the lowest ink) right of the centre. E and cursor 10 are their
  // mirror images.
  for (int index : {2, 8}) {
    const Kachel& k = Von(index);
    const Tinte t = Miss(index);
    int kopfZeile = KACHEL;  // the first row with ink in the leftmost column
    for (int y = KACHEL - 1; y >= 0; --y)
      if (Alpha(k, t.x0, y) > 0) kopfZeile = y;
    int fussLinks = KACHEL;  // the leftmost ink in the lowest row
    for (int x = KACHEL - 1; x >= 0; --x)
      if (Alpha(k, x, t.y1) > 0) fussLinks = x;
    EXPECT_LT(kopfZeile, 32) << index;
    EXPECT_GT(fussLinks, 32) << index;
  }
  for (auto [links, rechts] : {std::pair{2, 4}, std::pair{8, 10}})
    for (int y = 0; y < KACHEL; ++y)
      for (int x = 0; x < KACHEL; ++x)
        ASSERT_EQ(Pixel(Von(rechts), x, y), Pixel(Von(links), KACHEL - 1 - x, y)) << rechts << ": " << x << ", " << y;
}

TEST_F(SpielGrafik, CursorHotspots) {
  for (int index : {8, 9, 10, 12}) {
    const Tinte t = Miss(index);
    EXPECT_NEAR(t.MitteX(), 32, 1) << index;
    EXPECT_NEAR(t.MitteY(), 32, 1) << index;
    EXPECT_NEAR(t.y1 - t.y0 + 1, 40, 4) << index;  // about 40 pixels
    int gelb = 0;
    for (int y = 0; y < KACHEL; ++y)
      for (int x = 0; x < KACHEL; ++x) {
        const uint32_t p = Pixel(Von(index), x, y);
        gelb += p >> 24 == 255 && (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) > 0xA0 && (p & 0xFF) < 0x80;
      }
    EXPECT_GT(gelb, 100) << index;
  }
  const Kachel& zeiger = Von(14);
  EXPECT_EQ(Alpha(zeiger, 32, 32), 255);
  double gesamt = 0, rechtsUnten = 0;
  for (int y = 0; y < KACHEL; ++y)
    for (int x = 0; x < KACHEL; ++x) {
      gesamt += Alpha(zeiger, x, y);
      if (x >= 32 && y >= 32) rechtsUnten += Alpha(zeiger, x, y);
    }
  EXPECT_GE(rechtsUnten, 0.95 * gesamt);
  EXPECT_EQ(Pixel(zeiger, 36, 44), 0xFFFFFFFFu);  // white inside
}

TEST_F(SpielGrafik, SteinGrauEdelsteinAnders) {
  int tinte = 0, grau = 0, unterschiede = 0;
  for (int y = 0; y < KACHEL; ++y)
    for (int x = 0; x < KACHEL; ++x) {
      const uint32_t p = Pixel(Von(51), x, y);
      unterschiede += p != Pixel(Von(52), x, y);
      if (p >> 24 == 0) continue;
      ++tinte;
      const int r = int(p >> 16 & 0xFF), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
      grau += std::abs(r - g) <= 6 && std::abs(g - b) <= 6;
    }
  EXPECT_GT(tinte, 1000);
  EXPECT_GE(grau, 0.9 * tinte);
  EXPECT_GT(unterschiede, 1000);
  // Lit at the top left.
  const Kachel& stein = Von(51);
  EXPECT_GT(Pixel(stein, 22, 22) & 0xFF, (Pixel(stein, 42, 44) & 0xFF) + 40);
  // The gem is blue.
  const uint32_t edel = Pixel(Von(52), 32, 34);
  EXPECT_GT(edel & 0xFF, (edel >> 16 & 0xFF) + 80);
}

// A transparent pixel beside ink carries that ink's colour, so filtering shows no dark or light
// fringe.
TEST_F(SpielGrafik, KantenOhneSaum) {
  for (const Kachel& k : BENUTZT) {
    int geprueft = 0;
    for (int y = 1; y < KACHEL - 1; ++y)
      for (int x = 1; x < KACHEL - 1; ++x) {
        if (Alpha(k, x, y) != 0 || Alpha(k, x + 1, y) == 0) continue;
        ++geprueft;
        const uint32_t leer = Pixel(k, x, y), kante = Pixel(k, x + 1, y);
        for (int s : {0, 8, 16}) ASSERT_NEAR(int(leer >> s & 0xFF), int(kante >> s & 0xFF), 2) << k.index << ": " << x << ", " << y;
      }
    EXPECT_GT(geprueft, 10) << k.index;
  }
}

}  // namespace
