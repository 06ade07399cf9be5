// The font generator over arbitrary bytes at 12 px. Zarvo_Ausnahme is the expected refusal. A
// generated font has a metrics record for every live entry, every entry inside the atlas image,
// native height 12, and the same metrics after a round trip through the font file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "FontSchreiber.h"
#include "FuzzLog.h"
#include "TSpeicher.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_FontGenerator.h"

namespace {

void PruefeEintraege(const Zarvo_Font3D& font) {
  const Zarvo_GfxAtlas& atlas = font.Glyphen();
  for (uint64_t i = 0; i < atlas.SlotAnzahl(); ++i) {
    const Zarvo_GfxAtlas::Eintrag* e = atlas.GibEintrag(i);
    if (!e) continue;
    if (i >= font.Metriken().size()) std::abort();
    if (uint64_t(e->x) + e->w > atlas.Bild().Breite() || uint64_t(e->y) + e->h > atlas.Bild().Hoehe()) std::abort();
  }
}

void PruefeRundreise(const Zarvo_Font3D& font) {
  TSpeicher datei;
  SchreibeFontDatei(datei, BeschreibeFont(font));
  datei.Zurueckspulen();
  Zarvo_Font3D gelesen;
  if (!gelesen.LadeAusSpeicher(datei, "rundreise.fnt")) std::abort();
  if (gelesen.Metriken() != font.Metriken()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  std::unique_ptr<Zarvo_Font3D> font;
  try {
    font = Zarvo_FontGenerator::ErzeugeSchriftartAusSpeicher(std::span<const uint8_t>(daten, groesse), "fuzz.ttf", 12);
  } catch (const Zarvo_Ausnahme&) {
    return 0;
  }
  if (font->NativeHoehe() != 12) std::abort();
  PruefeEintraege(*font);
  PruefeRundreise(*font);
  return 0;
}
