// Player control on the OpenGL device under the virtual display, with the game's atlas, font and
// icons: the game flow runs its frames on the harness, and what player control queued is drawn
// as the main loop's atlas-and-glyph step draws it, on a mid-grey screen. The label of a lever
// darkens its box to half with white glyphs in the middle and leaves the rest alone; a carried
// stone's icon lies at the mouse with its tile's pixels, and looking up adds its six copies.
// The pictures are saved as spielersteuerung_*.png in the temporary folder, to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "AnzeigeSperre.h"
#include "SchirmBild.h"
#include "Ressourcen.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"
#include "einheit/SpielRahmen.h"

namespace {

using anzeige::Kanal;
using anzeige::Pixel;
using anzeige::Texel;

constexpr float GRAU = 128.0f / 255;
constexpr uint32_t GRAU_PIXEL = 0x808080;
constexpr TAlphaFarbe KASTEN{0, 0, 0, 0.50196081f};

class SpielersteuerungAnzeige : public SpielRahmen {
 protected:
  bool OeffneSchirm() override { return anzeige::OeffneGlSchirm(log, BREITE, HOEHE); }
  void SchliesseSchirm() override { anzeige::SchliesseGlSchirm(log); }

  // One frame drawn on the cleared screen and read back (saved under the name).
  Zarvo_Bild GezeichnetesBild(const std::string& name) {
    Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
    const float farbe[4] = {GRAU, GRAU, GRAU, 1};
    kontext->SetRenderZiel(nullptr);
    kontext->Leeren(3, farbe);
    Bild();
    return anzeige::LiesSchirm(BREITE, HOEHE, "spielersteuerung_" + name);
  }
  const Zarvo_SpriteInstanz* Kasten() const {
    for (const Zarvo_SpriteInstanz& s : sprites)
      if (s.r == KASTEN.r && s.g == KASTEN.g && s.b == KASTEN.b && s.a == KASTEN.a) return &s;
    return nullptr;
  }

  AnzeigeSperre sperre;  // the window takes the focus
};

TEST_F(SpielersteuerungAnzeige, BeschriftungUndGetragenerStein) {
  // A lever ahead, up and left of the centre, and a stone on the floor ahead.
  StarteMit(Flur(2, "objekt Hebel 2.25 1.75 3.5 | 3 5\nobjekt SzeneGegenstand 2.75 1.0 3.25 | 0\n"));
  Maus(640, 360);
  Bild();
  const V3 hebel = AufSchirm(Szene().GibHebel()[0].position);
  Maus(hebel.x, hebel.y);
  const Zarvo_Bild etikett = GezeichnetesBild("etikett");
  const Zarvo_SpriteInstanz* k = Kasten();
  ASSERT_NE(k, nullptr);
  const int64_t x0 = int64_t(std::ceil(k->x - k->breite / 2)), x1 = int64_t(std::floor(k->x + k->breite / 2)) - 1;
  const int64_t y0 = int64_t(std::ceil(k->y - k->hoehe / 2)), y1 = int64_t(std::floor(k->y + k->hoehe / 2)) - 1;
  // Half dark inside, white glyphs about the middle, grey just outside.
  int halb = 0, weiss = 0, weissMitte = 0;
  for (int64_t y = y0; y <= y1; ++y)
    for (int64_t x = x0; x <= x1; ++x) {
      const uint32_t p = Pixel(etikett, x, y);
      const int r = Kanal(p, 16), g = Kanal(p, 8), b = Kanal(p, 0);
      halb += std::abs(r - 64) <= 2 && std::abs(g - 64) <= 2 && std::abs(b - 64) <= 2;
      if (r > 240 && g > 240 && b > 240) {
        ++weiss;
        weissMitte += std::abs(float(x) - k->x) < k->breite / 2 - 4 && std::abs(float(y) - k->y) < k->hoehe / 2 - 4;
      }
    }
  const int flaeche = int((x1 - x0 + 1) * (y1 - y0 + 1));
  EXPECT_GT(halb, flaeche / 2) << "the box halves the grey";
  EXPECT_GT(weiss, 30) << "the name's glyphs";
  EXPECT_EQ(weissMitte, weiss) << "the glyphs keep off the box's edge";
  for (int64_t x = x0; x <= x1; x += 4) {
    EXPECT_EQ(Pixel(etikett, x, y0 - 2), GRAU_PIXEL) << "above, " << x;
    EXPECT_EQ(Pixel(etikett, x, y1 + 2), GRAU_PIXEL) << "below, " << x;
  }
  for (int64_t y = y0; y <= y1; y += 4) {
    EXPECT_EQ(Pixel(etikett, x0 - 2, y), GRAU_PIXEL) << "left, " << y;
    EXPECT_EQ(Pixel(etikett, x1 + 2, y), GRAU_PIXEL) << "right, " << y;
  }
  EXPECT_EQ(Pixel(etikett, 1000, 600), GRAU_PIXEL);

  // The stone taken; looking down, the icon alone at the mouse, texel for texel.
  KlickeAufWeltpunkt(Szene().GibGegenstaende()[0].position * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);
  Maus(700, 560);
  Bild();
  const Zarvo_Bild unten = GezeichnetesBild("stein_unten");
  ASSERT_EQ(sprites.size(), 1u);
  const Zarvo_SpriteAtlas& atlas = *Spiel::Ressourcen::Atlas();
  const Zarvo_GfxAtlas::Eintrag& symbol = *atlas.GibEintrag(51);
  int verglichen = 0, gleich = 0;
  for (int64_t j = 0; j < 64; ++j)
    for (int64_t i = 0; i < 64; ++i) {
      const uint32_t t = Texel(atlas.Bild(), symbol.x + i, symbol.y + j);
      if (Kanal(t, 24) != 255) continue;  // opaque texels only: the others blend with the grey
      ++verglichen;
      const uint32_t s = Pixel(unten, 700 - 32 + i, 560 - 32 + j);
      gleich += std::abs(Kanal(s, 16) - Kanal(t, 16)) <= 3 && std::abs(Kanal(s, 8) - Kanal(t, 8)) <= 3 &&
                std::abs(Kanal(s, 0) - Kanal(t, 0)) <= 3;
    }
  EXPECT_GT(verglichen, 500);
  EXPECT_EQ(gleich, verglichen) << "the icon's tile at the mouse";
  EXPECT_EQ(Pixel(unten, 700 - 34, 560), GRAU_PIXEL);
  EXPECT_EQ(Pixel(unten, 700 + 34, 560), GRAU_PIXEL);

  // Looking up: six copies along the ray, each the entry's width over its depth.
  Maus(640, 150);
  Bild();
  const Zarvo_Bild oben = GezeichnetesBild("stein_oben");
  ASSERT_EQ(sprites.size(), 7u);
  EXPECT_EQ(sprites[0].x, 640);
  EXPECT_EQ(sprites[0].y, 150);
  for (size_t i = 1; i < sprites.size(); ++i) {
    const Zarvo_SpriteInstanz& s = sprites[i];
    SCOPED_TRACE("copy " + std::to_string(i));
    EXPECT_EQ(s.quellX, float(symbol.x));
    EXPECT_EQ(s.breite, s.hoehe);
    EXPECT_GE(s.breite, sprites[i - 1].breite) << "nearer the camera along the ray: larger";
    EXPECT_NE(Pixel(oben, int64_t(s.x), int64_t(s.y)), GRAU_PIXEL);
  }
  EXPECT_EQ(Pixel(oben, 640, 400), GRAU_PIXEL);
}

}  // namespace
