#pragma once
// Bitmap fonts rendered from a TrueType file with FreeType at one pixel size. A fixed character
// set (ASCII without '=', '`', '{', '|', '}' and space, some Latin-1 and Latin Extended-A letters,
// Cyrillic and 719 Hangul syllables) is rendered glyph by glyph into a scratch image and added to
// the font's atlas under its code point. A code point the face has no glyph for (FreeType's glyph
// index 0), an empty bitmap (the space) or a bitmap larger than the scratch image is left out;
// the font then advances by 0.3 × size there.
//
// The font's native height is the pixel size; a glyph's y offset puts its top below the line top
// so that the baseline lies at the pixel size (clamped at 0 for glyphs taller than that).
//
// Failures before the first glyph throw Zarvo_Ausnahme; FreeType allocates through hooks that
// refuse any single block over 64 MiB, so a crafted file cannot drive allocation without bound.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "Zarvo_Font3D.h"

class Zarvo_FontGenerator {
 public:
  static constexpr uint64_t KLEINSTE_GROESSE = 1;
  static constexpr uint64_t GROESSTE_GROESSE = 256;
  static constexpr uint64_t GROESSTER_BLOCK = 64ull << 20;  // bytes FreeType may ask for at once
  static constexpr uint64_t ZEICHENSATZ_BYTES = 2528;
  // The character set: 949 code points in UTF-8, the apostrophe first, then ascending.
  static std::string_view Zeichensatz();

  // Reads the file whole and generates the font from its bytes. Sizes 1..256.
  static std::unique_ptr<Zarvo_Font3D> ErzeugeSchriftart(const std::filesystem::path& pfad, uint64_t pixelGroesse);
  // The same from bytes in memory; `name` stands for the path in lines and exceptions.
  static std::unique_ptr<Zarvo_Font3D> ErzeugeSchriftartAusSpeicher(std::span<const uint8_t> daten,
                                                                    const std::string& name, uint64_t pixelGroesse);

  // A glyph's metrics from FreeType's 26.6 values: x offset = bearing x / 64 and y offset =
  // max(0, size - bearing y / 64), both truncating toward zero, advance = advance >> 6 (toward
  // minus infinity); each clamped into i32.
  static Zarvo_Font3D::Metrik BerechneMetrik(int64_t bearingX, int64_t bearingY, int64_t vorschub, uint64_t pixelGroesse);
};
