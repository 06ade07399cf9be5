#pragma once
// The smallest fonts the generator tests need, written in memory:
// - a TrueType font (head, hhea, maxp, hmtx, loca, glyf, cmap format 4, post; under 500 bytes)
//   of three rectangular glyphs at 1000 units per em: glyph 0 a box, 'A' a rectangle, 'B' from
//   -200 to 1200 units high (18 rows, bearing y 15 at 12 px). Optionally without a cmap, so that
//   no code point maps to a glyph, or with other rectangles;
// - a bitmap font of one glyph ('A', 8 x 8) in BDF text, which FreeType opens as not scalable.
// Tests and the fuzz seed program share them.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace kleineschrift {

constexpr uint16_t EINHEITEN_PRO_EM = 1000;

struct Glyphe {
  int16_t xMin, yMin, xMax, yMax;
  uint16_t vorschub;
};
// Glyph index 0, 'A' (index 1), 'B' (index 2).
inline constexpr Glyphe GLYPHEN[] = {
    {100, 0, 500, 700, 600},
    {50, 0, 550, 700, 600},
    {100, -200, 500, 1200, 600},
};
constexpr uint16_t ANZAHL = sizeof GLYPHEN / sizeof GLYPHEN[0];

class Schreiber {
 public:
  void U8(uint8_t v) { bytes.push_back(v); }
  void U16(uint16_t v) {
    U8(uint8_t(v >> 8));
    U8(uint8_t(v));
  }
  void I16(int16_t v) { U16(uint16_t(v)); }
  void U32(uint32_t v) {
    U16(uint16_t(v >> 16));
    U16(uint16_t(v));
  }
  void Fuelle(size_t n) { bytes.insert(bytes.end(), n, 0); }
  void SetzeU32(size_t pos, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[pos + size_t(i)] = uint8_t(v >> (24 - 8 * i));
  }
  std::vector<uint8_t> bytes;
};

// One closed rectangle contour, clockwise, its points as 16-bit deltas.
inline std::vector<uint8_t> GlyphDaten(const Glyphe& g) {
  Schreiber s;
  for (int16_t v : {int16_t(1), g.xMin, g.yMin, g.xMax, g.yMax}) s.I16(v);
  s.U16(3);  // last point of the contour
  s.U16(0);  // no instructions
  for (int i = 0; i < 4; ++i) s.U8(0x01);  // on the curve, word coordinates
  const int16_t x[4] = {g.xMin, g.xMin, g.xMax, g.xMax}, y[4] = {g.yMin, g.yMax, g.yMax, g.yMin};
  for (int i = 0; i < 4; ++i) s.I16(int16_t(x[i] - (i ? x[i - 1] : 0)));
  for (int i = 0; i < 4; ++i) s.I16(int16_t(y[i] - (i ? y[i - 1] : 0)));
  return s.bytes;
}

inline std::vector<uint8_t> Kopf() {
  Schreiber s;
  s.U32(0x00010000);  // version
  s.U32(0x00010000);  // font revision
  s.U32(0);           // checksum adjustment
  s.U32(0x5F0F3CF5);  // magic
  s.U16(0x000B);      // baseline at y 0, integer scaling
  s.U16(EINHEITEN_PRO_EM);
  s.Fuelle(16);       // created, modified
  for (int16_t v : {int16_t(50), int16_t(-200), int16_t(550), int16_t(1200)}) s.I16(v);
  s.U16(0);  // mac style
  s.U16(6);  // lowest readable size
  s.I16(2);  // direction hint
  s.I16(0);  // short loca offsets
  s.I16(0);  // glyph data format
  return s.bytes;
}

inline std::vector<uint8_t> HorizontalKopf() {
  Schreiber s;
  s.U32(0x00010000);
  for (int16_t v : {int16_t(1200), int16_t(-200), int16_t(0)}) s.I16(v);  // ascender, descender, line gap
  s.U16(600);                                                              // largest advance
  for (int16_t v : {int16_t(50), int16_t(50), int16_t(550), int16_t(1), int16_t(0), int16_t(0)}) s.I16(v);
  s.Fuelle(8);   // reserved
  s.I16(0);      // metric data format
  s.U16(ANZAHL);  // horizontal metrics
  return s.bytes;
}

inline std::vector<uint8_t> MaximalProfil() {
  Schreiber s;
  s.U32(0x00010000);
  s.U16(ANZAHL);
  for (uint16_t v : {uint16_t(4), uint16_t(1), uint16_t(0), uint16_t(0), uint16_t(2), uint16_t(0), uint16_t(0),
                     uint16_t(0), uint16_t(0), uint16_t(0), uint16_t(0), uint16_t(0), uint16_t(0)})
    s.U16(v);
  return s.bytes;
}

inline std::vector<uint8_t> HorizontalMetriken(std::span<const Glyphe, ANZAHL> glyphen) {
  Schreiber s;
  for (const Glyphe& g : glyphen) {
    s.U16(g.vorschub);
    s.I16(g.xMin);
  }
  return s.bytes;
}

// Format 4, Unicode BMP: 'A' and 'B' to glyphs 1 and 2, then the closing segment.
inline std::vector<uint8_t> ZeichenTabelle() {
  Schreiber s;
  s.U16(0);  // version
  s.U16(1);  // one encoding record
  s.U16(3);  // Windows
  s.U16(1);  // Unicode BMP
  s.U32(12);
  constexpr uint16_t SEGMENTE = 2;
  s.U16(4);
  s.U16(16 + SEGMENTE * 8);
  s.U16(0);  // language
  s.U16(SEGMENTE * 2);
  s.U16(4);  // search range
  s.U16(1);  // entry selector
  s.U16(0);  // range shift
  s.U16('B');
  s.U16(0xFFFF);  // segment ends
  s.U16(0);       // reserved
  s.U16('A');
  s.U16(0xFFFF);  // segment starts
  s.I16(int16_t(1 - 'A'));
  s.I16(1);  // deltas
  s.U16(0);
  s.U16(0);  // no range offsets
  return s.bytes;
}

inline std::vector<uint8_t> NamenTabelle() {
  Schreiber s;
  s.U32(0x00030000);  // version 3: no glyph names
  s.Fuelle(28);
  return s.bytes;
}

// The font file, tables in tag order, each at a 4-byte boundary; the glyphs may be replaced.
inline std::vector<uint8_t> Baue(bool mitZeichenTabelle = true, std::span<const Glyphe, ANZAHL> glyphen = GLYPHEN) {
  std::vector<uint8_t> glyf, loca;
  Schreiber l;
  for (const Glyphe& g : glyphen) {
    l.U16(uint16_t(glyf.size() / 2));
    const std::vector<uint8_t> d = GlyphDaten(g);
    glyf.insert(glyf.end(), d.begin(), d.end());
  }
  l.U16(uint16_t(glyf.size() / 2));
  loca = l.bytes;
  struct Tabelle {
    const char* kennung;
    std::vector<uint8_t> daten;
  };
  std::vector<Tabelle> tabellen;
  if (mitZeichenTabelle) tabellen.push_back({"cmap", ZeichenTabelle()});
  tabellen.push_back({"glyf", glyf});
  tabellen.push_back({"head", Kopf()});
  tabellen.push_back({"hhea", HorizontalKopf()});
  tabellen.push_back({"hmtx", HorizontalMetriken(glyphen)});
  tabellen.push_back({"loca", loca});
  tabellen.push_back({"maxp", MaximalProfil()});
  tabellen.push_back({"post", NamenTabelle()});

  Schreiber s;
  const uint16_t anzahl = uint16_t(tabellen.size());
  s.U32(0x00010000);
  s.U16(anzahl);
  uint16_t potenz = 1, stufe = 0;  // the largest power of two not above the count, its log2
  while (potenz * 2 <= anzahl) {
    potenz *= 2;
    ++stufe;
  }
  s.U16(uint16_t(potenz * 16));
  s.U16(stufe);
  s.U16(uint16_t((anzahl - potenz) * 16));
  const size_t verzeichnis = s.bytes.size();
  s.Fuelle(16 * tabellen.size());
  for (size_t i = 0; i < tabellen.size(); ++i) {
    const size_t anfang = s.bytes.size();
    s.bytes.insert(s.bytes.end(), tabellen[i].daten.begin(), tabellen[i].daten.end());
    while (s.bytes.size() % 4) s.U8(0);
    const size_t eintrag = verzeichnis + 16 * i;
    for (int k = 0; k < 4; ++k) s.bytes[eintrag + size_t(k)] = uint8_t(tabellen[i].kennung[k]);
    s.SetzeU32(eintrag + 4, 0);  // checksum, not checked
    s.SetzeU32(eintrag + 8, uint32_t(anfang));
    s.SetzeU32(eintrag + 12, uint32_t(tabellen[i].daten.size()));
  }
  return s.bytes;
}

// One 8 x 8 glyph 'A' as a BDF bitmap font.
inline std::string Bdf() {
  return "STARTFONT 2.1\n"
         "FONT -morvelunt-probe-medium-r-normal--8-80-75-75-c-80-iso10646-1\n"
         "SIZE 8 75 75\n"
         "FONTBOUNDINGBOX 8 8 0 0\n"
         "STARTPROPERTIES 2\n"
         "FONT_ASCENT 8\n"
         "FONT_DESCENT 0\n"
         "ENDPROPERTIES\n"
         "CHARS 1\n"
         "STARTCHAR A\n"
         "ENCODING 65\n"
         "SWIDTH 1000 0\n"
         "DWIDTH 8 0\n"
         "BBX 8 8 0 0\n"
         "BITMAP\n"
         "FF\n81\n81\n81\n81\n81\n81\nFF\n"
         "ENDCHAR\n"
         "ENDFONT\n";
}

}  // namespace kleineschrift
