// The whole-file load from bytes, read through a memory stream. A load that succeeds must survive
// save and load unchanged; one that fails must leave the map as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Karte.h"
#include "KartenVergleich.h"
#include "SzenenDatei.h"
#include "TSpeicher.h"
#include "FuzzLog.h"
#include "TSegmentLeser.h"

namespace {

Karte Ausgangskarte() {
  Karte karte;
  karte.SetzeGroesse(2, 2, 2);
  karte.ZelleBei(1, 1, 1).typ = Karte::Mauer;
  karte.objekte.resize(2);
  karte.objekte[1].args[3][2] = 5;
  return karte;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  TSpeicher speicher;
  speicher.SchreibeMem(daten, groesse);
  speicher.Zurueckspulen();
  // The second copy comes the way of a file: through the stream reader of the whole-file load.
  TSpeicher zweiter;
  if (FILE* strom = fmemopen(const_cast<uint8_t*>(daten), groesse, "rb")) {
    const bool ganz = zweiter.LadeAusStrom(strom);
    std::fclose(strom);
    if (!ganz || zweiter.Groesse() != groesse || std::memcmp(zweiter.Daten(), daten, groesse) != 0) std::abort();
  } else {
    zweiter = speicher;
  }
  // A damaged map segment leaves the map exactly as it was.
  Karte karte = Ausgangskarte();
  {
    TSegmentLeser aussen(speicher, VierZeichen("SZNE"), Spiel::SzenenDatei::VERSION);
    const bool gelesen = !speicher.HatLesefehler() && karte.Lies(speicher);
    if (!gelesen && !KartenBitgleich(karte, Ausgangskarte())) std::abort();
  }
  karte = Ausgangskarte();
  if (!Spiel::SzenenDatei::Lies(zweiter, karte)) return 0;
  TSpeicher neu;
  Spiel::SzenenDatei::Schreibe(neu, karte);
  neu.Zurueckspulen();
  Karte wieder = Ausgangskarte();
  if (!Spiel::SzenenDatei::Lies(neu, wieder) || !KartenBitgleich(wieder, karte)) std::abort();
  return 0;
}
