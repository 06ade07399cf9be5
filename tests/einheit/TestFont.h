#pragma once
// The test font built with AddBuchstabe: glyphs of 4 x 10 white pixels (native height 10), each
// with x offset 1, y offset 2 and advance 5, for the digits, the ASCII letters, "ä" and "€". The
// space and the punctuation have no glyph. At size 10 a glyph advances 6, a glyph-less code
// point 3.
#include <memory>

#include "TBereich.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Font3D.h"

namespace testfont {

constexpr int X_VERSATZ = 1;
constexpr int Y_VERSATZ = 2;
constexpr int VORSCHUB = 5;
constexpr uint64_t BREITE = 4;
constexpr uint64_t HOEHE = 10;

inline void FuegeGlyphHinzu(Zarvo_Font3D& font, uint32_t zeichen, uint32_t farbe = 0xFFFFFFFF) {
  Zarvo_Bild bild(BREITE, HOEHE, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  bild.LockBereich(bereich);
  bereich.Fuelle(farbe);
  font.AddBuchstabe(zeichen, bereich, 0, 0, BREITE, HOEHE, X_VERSATZ, Y_VERSATZ, VORSCHUB);
}

inline std::unique_ptr<Zarvo_Font3D> Baue() {
  auto font = std::make_unique<Zarvo_Font3D>();
  for (uint32_t z = '0'; z <= '9'; ++z) FuegeGlyphHinzu(*font, z);
  for (uint32_t z = 'A'; z <= 'Z'; ++z) FuegeGlyphHinzu(*font, z);
  for (uint32_t z = 'a'; z <= 'z'; ++z) FuegeGlyphHinzu(*font, z);
  FuegeGlyphHinzu(*font, 0xE4);    // ä
  FuegeGlyphHinzu(*font, 0x20AC);  // €
  return font;
}

}  // namespace testfont
