#pragma once
// Font files described for the writer: the smallest sound font (one 2 x 2 glyph "A") and a small
// font of 32 glyphs in a 16 x 16 atlas. Tests and the fuzz seeds use them.
#include <optional>

#include "FontSchreiber.h"
#include "TBereich.h"
#include "Zarvo_Bild.h"
#include "Zarvo_GfxAtlas.h"

namespace fontvorlagen {

// FNTH 258, height 2; atlas 262 with slot 65 = {0, 0, 2, 2} of white pixels, "PLTZ" 258 with
// that rectangle placed; 128 metric records, record 65 = {0, 0, 3}. 1816 bytes.
inline FontBeschreibung EinGlyphFont() {
  FontBeschreibung f;
  f.version = 258;
  f.hoehe = 2.0f;
  f.atlas.version = 262;
  f.atlas.slotAnzahl = 128;
  f.atlas.eintraege.assign(128, std::nullopt);
  f.atlas.eintraege[65] = Zarvo_GfxAtlas::Eintrag{0, 0, 2, 2, 0.0f, 0.0f, 1.0f, 1.0f};
  f.atlas.platz.version = 258;
  f.atlas.platz.breite = 2;
  f.atlas.platz.hoehe = 2;
  f.atlas.platz.belegt = {{0, 0, 2, 2}};
  f.atlas.breite = 2;
  f.atlas.hoehe = 2;
  f.atlas.pixel.assign(4, 0xFFFFFFFF);
  f.glyphAnzahl = 128;
  f.metriken.assign(128, {});
  f.metriken[65] = {0, 0, 3};
  return f;
}

// Code points 32 to 63 as 2 x 3 glyphs of distinct colours, advance 3, with offsets.
inline FontBeschreibung KleinerFont() {
  Zarvo_GfxAtlas atlas(16, 16, 0);
  Zarvo_Bild quelle(2, 3, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  quelle.LockBereich(bereich);
  FontBeschreibung f;
  f.hoehe = 3;
  f.glyphAnzahl = 64;
  f.metriken.assign(64, {});
  for (uint32_t z = 32; z < 64; ++z) {
    bereich.Fuelle(0xFF000000u | z * 0x030507u);
    atlas.KopiereEintrag(z, bereich, 0, 0, 2, 3);
    f.metriken[z] = {int32_t(z % 3), -int32_t(z % 2), 3};
  }
  f.atlas = BeschreibeAtlas(atlas);
  return f;
}

}  // namespace fontvorlagen
