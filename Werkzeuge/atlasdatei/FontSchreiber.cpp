#include "FontSchreiber.h"

#include <bit>

#include "TSpeicher.h"

void SchreibeFontDatei(TSpeicher& ziel, const FontBeschreibung& font) {
  ziel.SchreibeU32(font.kennung);
  ziel.SchreibeU32(font.version);
  ziel.SchreibeU32(std::bit_cast<uint32_t>(font.hoehe));
  SchreibeAtlasBlock(ziel, font.atlas);
  if (font.version >= 258) ziel.SchreibeU32(font.glyphAnzahl);
  if (font.version < 257) return;
  for (const Zarvo_Font3D::Metrik& m : font.metriken)
    for (int32_t wert : {m.xVersatz, m.yVersatz, m.vorschub}) ziel.SchreibeU32(uint32_t(wert));
}

FontBeschreibung BeschreibeFont(const Zarvo_Font3D& font) {
  FontBeschreibung b;
  b.hoehe = font.NativeHoehe();
  b.atlas = BeschreibeAtlas(font.Glyphen());
  b.glyphAnzahl = uint32_t(font.Metriken().size());
  b.metriken = font.Metriken();
  return b;
}
