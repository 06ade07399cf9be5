#pragma once
// A bitmap font: UTF-8 text drawn as sprites. Every glyph is an entry of the font's own sprite
// atlas under its code point, with metrics beside it (x and y offset, advance, in the pixels of
// the stored glyphs). Text is queued at a point (with alignment and rotation), formatted
// printf-style, or laid out in a box with word wrap and "..." where it does not fit; the queued
// glyphs are drawn in one batch by ZeichneAlles.
//
// Measuring: a known glyph advances by advance × scale + size × 0.1, a code point without glyph
// (the space of generated fonts) by size × 0.3. Text ends at the first NUL, also inside a cut
// UTF-8 sequence, which counts as U+FFFD.
//
// Font file (big-endian): "FNTH", u32 version, f32 native height, an atlas block, then from
// version 258 the u32 glyph count G (older files: 256), and from version 257 G records of i32 x
// offset, y offset and advance (older files take the advance from the entry's width).
#include <cstdarg>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "TAlphaFarbe.h"
#include "Zarvo_SpriteAtlas.h"

class TBereich;
class TSpeicher;

class Zarvo_Font3D {
 public:
  struct Metrik {
    int32_t xVersatz = 0;
    int32_t yVersatz = 0;
    int32_t vorschub = 0;
    bool operator==(const Metrik&) const = default;
  };
  // One line of a laid-out block: bytes [anfang, ende) of the text and the width they take. A
  // line cut short gets "..." at `ende` (its width includes the dots).
  struct Zeile {
    uint64_t anfang = 0;
    uint64_t ende = 0;
    float breite = 0;
    bool ausgelassen = false;
    bool operator==(const Zeile&) const = default;
  };

  static constexpr uint32_t KENNUNG = 0x464E5448;  // "FNTH"
  static constexpr uint32_t ALTE_GLYPHANZAHL = 256;
  static constexpr uint64_t FORMAT_LAENGE = 10000;  // formatted text, NUL included
  // Horizontal and vertical alignment codes.
  static constexpr uint32_t LINKS = 0, MITTE = 1, RECHTS = 2;
  static constexpr uint32_t OBEN = 0, VERTIKAL_MITTE = 4, UNTEN = 8;

  Zarvo_Font3D();

  // Reads a font file. False (with a line) when it cannot be read, is damaged or holds no atlas;
  // the font then stays as it was. A wrong file magic is reported and read on.
  bool Laden(const std::filesystem::path& pfad);
  bool LadeAusSpeicher(TSpeicher& speicher, const char* name);

  // Adds the w x h sub-region at (sx, sy) as the glyph of `zeichen`. The first glyph sets the
  // native height; a glyph of another height is refused with a line.
  void AddBuchstabe(uint32_t zeichen, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w, uint64_t h,
                    int32_t xVersatz, int32_t yVersatz, int32_t vorschub);
  // AddBuchstabe without the height check: places and copies the glyph (atlas slot 1) and sets
  // its metrics record, growing the metrics to the next power of two above the code point.
  void KopiereBuchstabe(uint32_t zeichen, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w, uint64_t h,
                        int32_t xVersatz, int32_t yVersatz, int32_t vorschub);
  // Native height := size := hoehe, scale 1: for fonts whose glyphs differ in height (generated).
  void SetNativeHoehe(float hoehe);

  void SetGroesse(float groesse);
  void SetAusrichtung(uint32_t horizontal, uint32_t vertikal);
  // Native size, white, no alignment, no rotation.
  void SetzeStilZurueck();

  // Width of the text at the current size; 0 for null.
  float GibTextBreite(const char* text) const;
  // Queues the glyphs with the alignment: the start moves by the width (centre, right) and by
  // the size (middle, bottom) along the rotated axes.
  void Zeichne(float x, float y, const char* text);
  // Formats into the format buffer (cut to 9999 bytes), then Zeichne.
  void ZeichneFormat(float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));
  // Formats, breaks into lines of at most `breite` and at most max(hoehe / line height, 1)
  // lines, and queues them 1 pixel apart, aligned inside the box.
  void ZeichneBlock(float x, float y, float breite, float hoehe, const char* format, ...)
      __attribute__((format(printf, 6, 7)));
  // Draws every queued glyph in one batch.
  void ZeichneAlles();
  // Queues the glyphs from (x, y) without alignment.
  void InternZeichne(float x, float y, const char* text);

  // The line table of ZeichneBlock for this text. Lines end at a newline, at the last code point
  // without glyph before the width runs out (word wrap), or else before the code point that does
  // not fit; a code point wider than a whole line stands alone. The last line leaves room for
  // "..." when text remains after it.
  std::vector<Zeile> BrecheUm(const char* text, float breite, float hoehe) const;

  // Whether the code point has a glyph (a live atlas entry with a metrics record).
  bool HatGlyphe(uint32_t zeichen) const { return IstBekannt(zeichen); }
  float NativeHoehe() const { return nativeHoehe; }
  float Groesse() const { return groesse; }
  float Skalierung() const { return skalierung; }
  uint32_t HorizontaleAusrichtung() const { return horizontal; }
  uint32_t VertikaleAusrichtung() const { return vertikal; }
  const std::vector<Metrik>& Metriken() const { return metriken; }
  const Zarvo_SpriteAtlas& Glyphen() const { return glyphen; }
  const char* FormatPuffer() const { return formatPuffer; }

 private:
  bool IstBekannt(uint32_t zeichen) const { return glyphen.IstLebendig(zeichen) && zeichen < metriken.size(); }
  float Vorschub(uint32_t zeichen, float mitSkalierung) const;
  void Formatiere(const char* format, va_list argumente);
  uint64_t MaxZeilen(float hoehe, const char* text) const;
  Zeile LegeZeileAn(const char* text, uint64_t anfang, float verfuegbar, uint64_t& weiter) const;
  void UebernimmMetriken(uint32_t version, uint32_t glyphAnzahl, std::vector<Metrik> gelesen);

  float nativeHoehe = 0;
  float groesse = 0;
  float skalierung = 1;

 public:
  TAlphaFarbe farbe{1, 1, 1, 1};

 private:
  uint32_t horizontal = LINKS;
  uint32_t vertikal = OBEN;

 public:
  float winkel = 0;

 private:
  std::vector<Metrik> metriken;
  Zarvo_SpriteAtlas glyphen;
  // Room behind the 10000 bytes for the "..." of a line cut at the very end.
  char formatPuffer[FORMAT_LAENGE + 4] = {};
};
