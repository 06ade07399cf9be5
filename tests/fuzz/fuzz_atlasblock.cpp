// The atlas block reader over arbitrary bytes. A loaded atlas has every live entry inside its
// image, and compaction over it runs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzLog.h"
#include "TSpeicher.h"
#include "Zarvo_GfxAtlas.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  TSpeicher speicher;
  speicher.SchreibeMem(daten, groesse);
  speicher.Zurueckspulen();
  Zarvo_GfxAtlas atlas(0, 0);
  if (!atlas.LadeAusSpeicher(speicher)) return 0;
  if (speicher.Position() > speicher.Groesse()) std::abort();
  const Zarvo_Bild& bild = atlas.Bild();
  for (uint64_t i = 0; i < atlas.SlotAnzahl(); ++i) {
    const Zarvo_GfxAtlas::Eintrag* e = atlas.GibEintrag(i);
    if (e && (uint64_t(e->x) + e->w > bild.Breite() || uint64_t(e->y) + e->h > bild.Hoehe())) std::abort();
  }
  atlas.Aufraeumen();
  return 0;
}
