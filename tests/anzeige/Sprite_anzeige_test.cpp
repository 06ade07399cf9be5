// Sprites drawn through the screen's drawing context on the OpenGL device under a virtual
// display, read back by pixels: texel-exact coverage, premultiplied blending, mirroring,
// rotation about the pivot, no bleeding from neighbouring entries, render targets the same way
// up, and an evicted atlas texture rebuilt. The read-back images are written to the temporary
// folder as PNG.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>

#include "SchirmBild.h"
#include "einheit/LogMitschnitt.h"
#include "einheit/TestFont.h"
#include "Plattform/d3d9/d3d9.h"
#include "TBereich.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

constexpr uint32_t B = 128, H = 96;
constexpr TAlphaFarbe WEISS{1, 1, 1, 1};

// A distinct opaque colour per texel of a 16 x 16 entry.
uint32_t Texel(uint64_t x, uint64_t y) { return 0xFF000000u | uint32_t(x * 16 + 8) << 16 | uint32_t(y * 16 + 8) << 8 | 0x40u; }

class SpriteAnzeige : public anzeige::SchirmBild {
 protected:
  SpriteAnzeige() : SchirmBild(::B, ::H) {}
  void SetUp() override {
    SchirmBild::SetUp();
    atlas = std::make_unique<Zarvo_SpriteAtlas>(64, 16, 0);
  }
  void TearDown() override {
    atlas.reset();
    SchirmBild::TearDown();
  }

  // Entry i from a w x h image of the given pixels (row order, 0xAARRGGBB).
  void FuegeEin(uint64_t i, uint64_t w, uint64_t h, const std::function<uint32_t(uint64_t, uint64_t)>& pixel) {
    Zarvo_Bild quelle(w, h, PXFMT_A8R8G8B8, 1);
    for (uint64_t y = 0; y < h; ++y)
      for (uint64_t x = 0; x < w; ++x) {
        const uint32_t p = pixel(x, y);
        std::memcpy(quelle.Pixel() + y * quelle.Zeilenbytes() + 4 * x, &p, 4);
      }
    TBereich bereich;
    quelle.LockBereich(bereich);
    atlas->KopiereEintrag(i, bereich, 0, 0, w, h);
  }
  // Ends the frame and reads the back buffer; also written as sprite_<name>.png to the temporary folder.
  Zarvo_Bild Bildschirm(const std::string& name) { return SchirmBild::Bildschirm("sprite_" + name); }

  std::unique_ptr<Zarvo_SpriteAtlas> atlas;
};

TEST_F(SpriteAnzeige, SechzehnMalSechzehnDecktGenauSeinePixel) {
  FuegeEin(1, 16, 16, Texel);
  Leere(0, 0, 0);
  atlas->AddSprite(1, {20, 30, 0.5f}, WEISS, 0, 0, 0);
  atlas->Zeichne();
  const Zarvo_Bild schirm = Bildschirm("abdeckung");
  int falsch = 0;
  for (uint64_t y = 0; y < H; ++y)
    for (uint64_t x = 0; x < B; ++x) {
      const bool innen = x >= 20 && x < 36 && y >= 30 && y < 46;
      const uint32_t erwartet = innen ? Texel(x - 20, y - 30) & 0xFFFFFF : 0;
      if (Pixel(schirm, x, y) != erwartet && ++falsch <= 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") " << std::hex << Pixel(schirm, x, y) << " instead of " << erwartet;
    }
  EXPECT_EQ(falsch, 0);
}

TEST_F(SpriteAnzeige, VormultipliziertesAlpha) {
  struct Fall {
    const char* name;
    uint32_t texel;
    TAlphaFarbe farbe;
    float hintergrund[3];
    int r, g, b;
  } faelle[] = {
      {"halbe Deckung ueber Blau", 0xFFFFFFFF, {1, 0.5f, 0.25f, 0.5f}, {0, 0, 1}, 128, 64, 159},
      {"halbtransparenter Texel ueber Schwarz", 0x80FFFFFF, WEISS, {0, 0, 0}, 128, 128, 128},
      {"negatives Alpha addiert", 0xFFFFFFFF, {1, 1, 1, -0.5f}, {0.25f, 0.25f, 0.25f}, 64 + 128, 64 + 128, 64 + 128},
  };
  int n = 0;
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    FuegeEin(uint64_t(10 + n), 8, 8, [&](uint64_t, uint64_t) { return f.texel; });
    Leere(f.hintergrund[0], f.hintergrund[1], f.hintergrund[2]);
    atlas->AddSprite(uint64_t(10 + n), {40, 40, 0.5f}, f.farbe, 0, 0, 0);
    atlas->Zeichne();
    const uint32_t p = Pixel(Bildschirm("alpha" + std::to_string(n++)), 44, 44);
    EXPECT_NEAR(Kanal(p, 16), f.r, 1);
    EXPECT_NEAR(Kanal(p, 8), f.g, 1);
    EXPECT_NEAR(Kanal(p, 0), f.b, 1);
  }
}

TEST_F(SpriteAnzeige, NegativeBreiteSpiegelt) {
  FuegeEin(1, 16, 16, Texel);
  Leere(0, 0, 0);
  atlas->AddSprite(1, {60, 30, 0.5f}, WEISS, -16, 0, 0);
  atlas->Zeichne();
  const Zarvo_Bild schirm = Bildschirm("spiegel");
  // Texel column 0 at the right edge, at x = 59; column 15 at x = 44.
  for (uint64_t y : {30u, 37u, 45u})
    for (uint64_t x = 44; x < 60; ++x) EXPECT_EQ(Pixel(schirm, x, y), Texel(59 - x, y - 30) & 0xFFFFFF) << x << ", " << y;
  EXPECT_EQ(Pixel(schirm, 43, 35), 0u);
  EXPECT_EQ(Pixel(schirm, 60, 35), 0u);
}

// A quarter turn is clockwise on screen (y down): the top-left texel, marked red, moves to the
// top-right corner, about the sprite's top-left corner (pivot 0) or its centre (pivot 0.5).
TEST_F(SpriteAnzeige, DrehungUmDenDrehpunkt) {
  FuegeEin(1, 16, 16, [](uint64_t x, uint64_t y) { return x == 0 && y == 0 ? 0xFFFF0000u : 0xFFFFFFFFu; });
  struct Fall {
    bool zentriert;
    uint64_t rotX, rotY;          // the marked texel on screen
    uint64_t links, oben;         // the covered 16 x 16 box
  } faelle[] = {{false, 99, 50, 84, 50}, {true, 107, 42, 92, 42}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.zentriert ? "pivot 0.5" : "pivot 0");
    Leere(0, 0, 0);
    atlas->Liste().zentriert = f.zentriert;
    atlas->AddSprite(1, {100, 50, 0.5f}, WEISS, 0, 0, std::numbers::pi_v<float> / 2);
    atlas->Zeichne();
    const Zarvo_Bild schirm = Bildschirm(f.zentriert ? "drehung_mitte" : "drehung_ecke");
    EXPECT_EQ(Pixel(schirm, f.rotX, f.rotY), 0xFF0000u);
    int weiss = 0, rot = 0, ausserhalb = 0;
    for (uint64_t y = 0; y < H; ++y)
      for (uint64_t x = 0; x < B; ++x) {
        const uint32_t p = Pixel(schirm, x, y);
        const bool innen = x >= f.links && x < f.links + 16 && y >= f.oben && y < f.oben + 16;
        if (!innen && p != 0) ++ausserhalb;
        if (innen && p == 0xFFFFFFu) ++weiss;
        if (innen && p == 0xFF0000u) ++rot;
      }
    EXPECT_EQ(rot, 1);
    EXPECT_EQ(weiss, 255);
    EXPECT_EQ(ausserhalb, 0);
  }
}

// The normal-map program turns a texel's xy (a direction in 0..1) by the sprite's rotation: +x
// (1, 0.5) becomes +y (0.5, 1) at a quarter turn; blue and alpha stay.
TEST_F(SpriteAnzeige, NormalkarteDrehtDieRichtung) {
  atlas = std::make_unique<Zarvo_SpriteAtlas>(64, 4, Zarvo_GfxAtlas::FLAG_NORMALKARTE);
  FuegeEin(1, 8, 8, [](uint64_t, uint64_t) { return 0xFFFF8040u; });
  struct Fall {
    float winkel;
    int r, g;
  } faelle[] = {{0, 255, 128}, {std::numbers::pi_v<float> / 2, 128, 255}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.winkel);
    Leere(0, 0, 0);
    atlas->Liste().zentriert = 1;
    atlas->AddSprite(1, {40, 40, 0.5f}, WEISS, 0, 0, f.winkel);
    atlas->Zeichne();
    const uint32_t p = Pixel(Bildschirm("normalkarte"), 40, 40);
    EXPECT_NEAR(Kanal(p, 16), f.r, 1);
    EXPECT_NEAR(Kanal(p, 8), f.g, 1);
    EXPECT_NEAR(Kanal(p, 0), 0x40, 1);
  }
}

// Four 16 x 16 entries of pure colours side by side in a 32 x 32 atlas. Drawing the red one at
// full, half and quarter size, half a pixel off the grid, shows none of its neighbours.
TEST_F(SpriteAnzeige, KeinUeberlaufenAusDemNachbarn) {
  atlas = std::make_unique<Zarvo_SpriteAtlas>(32, 4, 0);
  const uint32_t farben[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  for (uint64_t i = 0; i < 4; ++i) FuegeEin(i, 16, 16, [&](uint64_t, uint64_t) { return farben[i]; });
  ASSERT_EQ(atlas->Bild().Breite(), 32u);
  for (float massstab : {1.0f, 0.5f, 0.25f}) {
    SCOPED_TRACE(massstab);
    Leere(0, 0, 0);
    atlas->AddSprite(0, {30.5f, 20.5f, 0.5f}, WEISS, 16 * massstab, 16 * massstab, 0);
    atlas->Zeichne();
    const Zarvo_Bild schirm = Bildschirm("nachbar" + std::to_string(int(16 * massstab)));
    int rot = 0, fremd = 0;
    for (uint64_t y = 0; y < H; ++y)
      for (uint64_t x = 0; x < B; ++x) {
        const uint32_t p = Pixel(schirm, x, y);
        if (p == 0xFF0000u) ++rot;
        else if (p != 0) ++fremd;
      }
    const int kante = int(16 * massstab);
    EXPECT_EQ(rot, kante * kante);
    EXPECT_EQ(fremd, 0);
  }
}

// A sprite drawn into a render target, then the target drawn as a sprite, looks like the sprite
// drawn directly: the same way up.
TEST_F(SpriteAnzeige, RenderzielRundreiseGleichHerum) {
  FuegeEin(1, 16, 16, [](uint64_t, uint64_t y) { return y < 8 ? 0xFFFF0000u : 0xFF00FF00u; });
  Zarvo_Textur* farbe = kontext->ErzeugeTextur(B, H, 1, PXFMT_A8R8G8B8 | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
  Zarvo_Renderziel* ziel = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, nullptr));
  const float schwarz[4] = {0, 0, 0, 1};
  kontext->SetRenderZiel(ziel);
  kontext->Leeren(1, schwarz);
  atlas->AddSprite(1, {20, 10, 0.5f}, WEISS, 0, 0, 0);
  atlas->Zeichne();

  Leere(0, 0, 0);
  Zarvo_SpriteStapel stapel(1);
  const Zarvo_SpriteInstanz ganz{0, 0, 0.5f, float(B), float(H), 0, 0, float(B), float(H), 1, 1, 1, 1, 0, 0};
  ASSERT_TRUE(stapel.StarteZeichnen(farbe, false));
  stapel.ZeichneInstanzen(&ganz, 1);
  const Zarvo_Bild ueberZiel = Bildschirm("renderziel");

  Leere(0, 0, 0);
  atlas->AddSprite(1, {20, 10, 0.5f}, WEISS, 0, 0, 0);
  atlas->Zeichne();
  const Zarvo_Bild direkt = Bildschirm("direkt");
  EXPECT_EQ(Pixel(direkt, 25, 12), 0xFF0000u);
  EXPECT_EQ(Pixel(direkt, 25, 22), 0x00FF00u);
  int verschieden = 0;
  for (uint64_t y = 0; y < H; ++y)
    for (uint64_t x = 0; x < B; ++x) verschieden += Pixel(ueberZiel, x, y) != Pixel(direkt, x, y);
  EXPECT_EQ(verschieden, 0);
  kontext->SetTextur(0, nullptr, nullptr);
  kontext->GibFrei(ziel);
  kontext->GibFrei(farbe);
}

// Text of the test font (4 x 10 glyphs, offsets 1 and 2, advance 6 at size 10) in the font
// colour: each glyph at pen x + 1, pen y - 4 + 2; centred and right-aligned text starts half or
// all of its width (12) further left.
TEST_F(SpriteAnzeige, TestFontPositionenUndAusrichtung) {
  auto font = testfont::Baue();
  font->SetGroesse(10);
  font->farbe = {1, 0, 0, 1};
  Leere(0, 0, 0);
  font->Zeichne(20, 30, "Ab");
  font->SetAusrichtung(Zarvo_Font3D::MITTE, Zarvo_Font3D::OBEN);
  font->Zeichne(64, 50, "Ab");
  font->SetAusrichtung(Zarvo_Font3D::RECHTS, Zarvo_Font3D::OBEN);
  font->Zeichne(120, 70, "Ab");
  font->ZeichneAlles();
  const Zarvo_Bild schirm = Bildschirm("text");
  const uint64_t kaesten[6][2] = {{21, 28}, {27, 28}, {59, 48}, {65, 48}, {109, 68}, {115, 68}};
  int falsch = 0;
  for (uint64_t y = 0; y < H; ++y)
    for (uint64_t x = 0; x < B; ++x) {
      bool innen = false;
      for (const auto& k : kaesten) innen |= x >= k[0] && x < k[0] + 4 && y >= k[1] && y < k[1] + 10;
      if (Pixel(schirm, x, y) != (innen ? 0xFF0000u : 0u) && ++falsch <= 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") " << std::hex << Pixel(schirm, x, y);
    }
  EXPECT_EQ(falsch, 0);
}

// The atlas texture is volatile: once the device dropped it, the next draw builds it again from
// the atlas image.
TEST_F(SpriteAnzeige, AusgelagerteTexturBeimNaechstenZeichnenRichtig) {
  FuegeEin(1, 16, 16, Texel);
  Leere(0, 0, 0);
  atlas->AddSprite(1, {8, 8, 0.5f}, WEISS, 0, 0, 0);
  atlas->Zeichne();
  EXPECT_EQ(Pixel(Bildschirm("vor_auslagern"), 10, 11), Texel(2, 3) & 0xFFFFFF);
  Zarvo_Textur* textur = atlas->GibTextur();
  ASSERT_NE(textur, nullptr);
  textur->Auslagern();
  ASSERT_EQ(textur->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  Leere(0, 0, 0);
  atlas->AddSprite(1, {8, 8, 0.5f}, WEISS, 0, 0, 0);
  atlas->Zeichne();
  const Zarvo_Bild schirm = Bildschirm("nach_auslagern");
  for (uint64_t y = 0; y < 16; ++y)
    for (uint64_t x = 0; x < 16; ++x) EXPECT_EQ(Pixel(schirm, 8 + x, 8 + y), Texel(x, y) & 0xFFFFFF) << x << ", " << y;
}

}  // namespace
