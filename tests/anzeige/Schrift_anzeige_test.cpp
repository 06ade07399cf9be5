// The generated 24-px font drawn white on black on the OpenGL device: a glyph's pixels are
// FreeType's coverage at the place its metrics give, a text's ink stays inside its measured
// width, centring moves it by half of that, and a code point without glyph advances 0.3 x size.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>

#include "SchirmBild.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_FontGenerator.h"

namespace {

const std::filesystem::path TTF = std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "calibrib.ttf";
constexpr uint64_t GROESSE = 24;

class SchriftAnzeige : public anzeige::SchirmBild {
 protected:
  SchriftAnzeige() : SchirmBild(320, 120) {}
  void SetUp() override {
    SchirmBild::SetUp();
    font = Zarvo_FontGenerator::ErzeugeSchriftart(TTF, GROESSE);
  }
  void TearDown() override {
    font.reset();
    SchirmBild::TearDown();
  }

  // Draws the text white on black with the alignment and reads the screen back.
  Zarvo_Bild Zeichne(float x, float y, const char* text, uint32_t horizontal, const std::string& name) {
    Leere(0, 0, 0);
    font->SetzeStilZurueck();
    font->SetAusrichtung(horizontal, Zarvo_Font3D::OBEN);
    font->Zeichne(x, y, text);
    font->ZeichneAlles();
    return Bildschirm(name);
  }

  struct Tinte {
    int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = -1, y1 = -1;
  };
  Tinte Miss(const Zarvo_Bild& schirm) const {
    Tinte t;
    for (int64_t y = 0; y < int64_t(H); ++y)
      for (int64_t x = 0; x < int64_t(B); ++x)
        if (Pixel(schirm, x, y) != 0) t.x0 = std::min(t.x0, x), t.x1 = std::max(t.x1, x), t.y0 = std::min(t.y0, y), t.y1 = std::max(t.y1, y);
    return t;
  }

  std::unique_ptr<Zarvo_Font3D> font;
};

TEST_F(SchriftAnzeige, GlypheIstFreeTypesDeckung) {
  FT_Library bibliothek;
  FT_Face schrift;
  ASSERT_EQ(FT_Init_FreeType(&bibliothek), 0);
  ASSERT_EQ(FT_New_Face(bibliothek, TTF.c_str(), 0, &schrift), 0);
  FT_Set_Pixel_Sizes(schrift, 0, GROESSE);
  ASSERT_EQ(FT_Load_Glyph(schrift, FT_Get_Char_Index(schrift, 'A'), FT_LOAD_RENDER), 0);
  const FT_Bitmap& b = schrift->glyph->bitmap;

  const Zarvo_Bild schirm = Zeichne(40, 30, "A", Zarvo_Font3D::LINKS, "schrift_glyphe");
  const Zarvo_Font3D::Metrik& m = font->Metriken()['A'];
  const int64_t links = 40 + m.xVersatz, oben = 30 - 4 + m.yVersatz;
  int falsch = 0;
  for (int64_t y = 0; y < int64_t(H); ++y)
    for (int64_t x = 0; x < int64_t(B); ++x) {
      const bool innen = x >= links && x < links + int64_t(b.width) && y >= oben && y < oben + int64_t(b.rows);
      const int soll = innen ? b.buffer[(y - oben) * b.pitch + (x - links)] : 0;
      const uint32_t p = Pixel(schirm, x, y);
      for (int s : {0, 8, 16})
        if (std::abs(Kanal(p, s) - soll) > 1 && ++falsch <= 5)
          ADD_FAILURE() << "(" << x << ", " << y << "): " << std::hex << p << " instead of " << soll;
    }
  EXPECT_EQ(falsch, 0);
  FT_Done_Face(schrift);
  FT_Done_FreeType(bibliothek);
}

TEST_F(SchriftAnzeige, TintePasstInDieBreiteMitteVerschiebtUmDieHaelfte) {
  const char* text = "Gr\xC3\xB6\xC3\x9F" "e \xD0\x81\xD0\xB6";  // "Größe Ёж"
  const float breite = font->GibTextBreite(text);
  ASSERT_GT(breite, 60);
  const Tinte links = Miss(Zeichne(100, 40, text, Zarvo_Font3D::LINKS, "schrift_links"));
  EXPECT_GE(links.x0, 100);
  EXPECT_LE(links.x1, int64_t(100 + breite));
  EXPECT_GE(links.y0, 40 - 4);
  EXPECT_LT(links.y1, 40 - 4 + int64_t(GROESSE) + 6);
  const Tinte mitte = Miss(Zeichne(100, 40, text, Zarvo_Font3D::MITTE, "schrift_mitte"));
  EXPECT_NEAR(double(links.x0 - mitte.x0), breite / 2, 1);
  EXPECT_NEAR(double(links.x1 - mitte.x1), breite / 2, 1);
  EXPECT_EQ(links.y0, mitte.y0);
}

TEST_F(SchriftAnzeige, OhneGlypheDreiZehntel) {
  const Tinte eins = Miss(Zeichne(20, 40, "A", Zarvo_Font3D::LINKS, "schrift_eins"));
  const Tinte zwei = Miss(Zeichne(20, 40, "A A", Zarvo_Font3D::LINKS, "schrift_zwei"));
  const float vorschub = float(font->Metriken()['A'].vorschub) + 0.1f * GROESSE + 0.3f * GROESSE;
  EXPECT_NEAR(double(zwei.x1 - eins.x1), vorschub, 1);
  EXPECT_EQ(zwei.x0, eins.x0);
}

}  // namespace
