// The game atlas after Spiel::Ressourcen::Lade on the OpenGL device: every entry drawn on
// mid-grey (saved as spielgrafik_anzeige.png in the temporary folder, to look at), the plain
// pointer drawn centred on a point has its tip there, and a label box of entry 0 in
// half-transparent black halves the background.
#include <gtest/gtest.h>

#include <cmath>

#include "Ressourcen.h"
#include "SchirmBild.h"
#include "Zarvo_SpriteAtlas.h"

namespace {

using Spiel::Ressourcen;
constexpr float GRAU = 0.5f;
constexpr uint32_t GRAU_PIXEL = 0x808080;

class SpielGrafikAnzeige : public anzeige::SchirmBild {
 protected:
  SpielGrafikAnzeige() : SchirmBild(640, 360) {}
  void SetUp() override {
    SchirmBild::SetUp();
    vorher = g_System.anwendungsVerzeichnis;
    g_System.anwendungsVerzeichnis = MORVELUNT_BAUORDNER;
    Ressourcen::Lade();
    atlas = Ressourcen::Atlas();
  }
  void TearDown() override {
    Ressourcen::Freigeben();
    g_System.anwendungsVerzeichnis = vorher;
    SchirmBild::TearDown();
  }

  std::filesystem::path vorher;
  Zarvo_SpriteAtlas* atlas = nullptr;
};

TEST_F(SpielGrafikAnzeige, AlleEintraegeAufGrau) {
  ASSERT_NE(atlas, nullptr);
  Leere(GRAU, GRAU, GRAU);
  const int eintraege[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 50, 51, 52};
  int n = 0;
  for (int e : eintraege) {
    const float x = float(8 + (n % 9) * 70), y = float(8 + (n / 9) * 80);
    // The white patches tinted, so that they show on grey.
    const TAlphaFarbe farbe = e <= 1 ? TAlphaFarbe{0.2f, 0.4f, 0.9f, 1} : TAlphaFarbe{1, 1, 1, 1};
    atlas->AddSprite(uint64_t(e), {x, y, 0.5f}, farbe, 0, 0, 0);
    ++n;
  }
  atlas->Zeichne();
  const Zarvo_Bild schirm = Bildschirm("spielgrafik_anzeige");
  n = 0;
  for (int e : eintraege) {
    const int64_t x = 8 + (n % 9) * 70, y = 8 + (n / 9) * 80;
    int anders = 0;
    for (int64_t j = 0; j < 64; ++j)
      for (int64_t i = 0; i < 64; ++i) anders += Pixel(schirm, x + i, y + j) != GRAU_PIXEL;
    if (e == 11 || e == 13)
      EXPECT_EQ(anders, 0) << e;  // transparent tiles
    else
      EXPECT_GT(anders, 200) << e;
    ++n;
  }
}

TEST_F(SpielGrafikAnzeige, ZeigerSpitzeAufDemPunkt) {
  ASSERT_NE(atlas, nullptr);
  Leere(GRAU, GRAU, GRAU);
  atlas->Liste().zentriert = 1;
  atlas->AddSprite(14, {200, 150, 0.5f}, {1, 1, 1, 1}, 0, 0, 0);
  atlas->Zeichne();
  atlas->Liste().zentriert = 0;
  const Zarvo_Bild schirm = Bildschirm("spielgrafik_zeiger");
  int64_t x0 = INT64_MAX, y0 = INT64_MAX;
  for (int64_t y = 100; y < 200; ++y)
    for (int64_t x = 150; x < 250; ++x)
      if (Pixel(schirm, x, y) != GRAU_PIXEL) x0 = std::min(x0, x), y0 = std::min(y0, y);
  EXPECT_NEAR(double(x0), 200, 1);
  EXPECT_NEAR(double(y0), 150, 1);
  EXPECT_NE(Pixel(schirm, 200, 150), GRAU_PIXEL);
}

TEST_F(SpielGrafikAnzeige, BeschriftungsKastenHalbiertDenHintergrund) {
  ASSERT_NE(atlas, nullptr);
  Leere(GRAU, GRAU, GRAU);
  atlas->AddSprite(0, {100, 100, 0.5f}, {0, 0, 0, 0.50196f}, 120, 40, 0);
  atlas->Zeichne();
  const Zarvo_Bild schirm = Bildschirm("spielgrafik_kasten");
  for (auto [x, y] : {std::pair{101, 101}, std::pair{160, 120}, std::pair{218, 138}}) {
    const uint32_t p = Pixel(schirm, x, y);
    for (int s : {0, 8, 16}) EXPECT_NEAR(Kanal(p, s), 64, 2) << x << ", " << y;
  }
  EXPECT_EQ(Pixel(schirm, 99, 120), GRAU_PIXEL);
  EXPECT_EQ(Pixel(schirm, 221, 120), GRAU_PIXEL);
}

}  // namespace
