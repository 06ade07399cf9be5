#include "SzenenDatei.h"

#include <cstdio>
#include <system_error>

#include "Karte.h"
#include "TDateiSystem.h"
#include "TSegmentLeser.h"
#include "TSegmentSchreiber.h"
#include "TSpeicher.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {
constexpr uint32_t KENNUNG_SZNE = VierZeichen("SZNE");

}  // namespace

namespace {

// The outer segment's payload is the whole map segment: its id, version and stated length.
uint64_t AussenLaenge(const Karte& karte) { return TSegmentSchreiber::LaengeFuer(8 + karte.SegmentLaenge()); }

// Writes all of `anzahl` bytes; false when the stream took fewer.
bool SchreibeGanz(FILE* strom, const uint8_t* bytes, uint64_t anzahl) {
  return anzahl == 0 || std::fwrite(bytes, 1, anzahl, strom) == anzahl;
}

}  // namespace

uint64_t SzenenDatei::Groesse(const Karte& karte) { return 8 + AussenLaenge(karte); }

// The buffer is sized once for the whole file.
void SzenenDatei::Schreibe(TSpeicher& speicher, const Karte& karte) {
  const uint64_t ende = speicher.Position() + Groesse(karte);
  if (speicher.Kapazitaet() < ende) speicher.Reserviere(ende);
  TSegmentSchreiber::SchreibeKopf(speicher, KENNUNG_SZNE, VERSION, AussenLaenge(karte));
  karte.Schreibe(speicher);
  TSegmentSchreiber::SchreibeEnde(speicher, KENNUNG_SZNE);
}

// The heads and the objects go through small buffers; the cells go from the map's layers straight
// into the file.
bool SzenenDatei::SchreibeDatei(const std::filesystem::path& pfad, const Karte& karte) {
  TSpeicher kopf, schluss;
  TSegmentSchreiber::SchreibeKopf(kopf, KENNUNG_SZNE, VERSION, AussenLaenge(karte));
  karte.SchreibeKopf(kopf);
  karte.SchreibeObjekteUndEnde(schluss);
  TSegmentSchreiber::SchreibeEnde(schluss, KENNUNG_SZNE);
  TDateiSystem::Datei datei = TDateiSystem::OeffneDatei(pfad, "wb");
  if (!datei) return false;
  bool ganz = SchreibeGanz(datei.Strom(), kopf.Daten(), kopf.Groesse());
  karte.GibZellenBytes([&](const uint8_t* bytes, uint64_t anzahl) { ganz = ganz && SchreibeGanz(datei.Strom(), bytes, anzahl); });
  ganz = ganz && SchreibeGanz(datei.Strom(), schluss.Daten(), schluss.Groesse()) && std::fflush(datei.Strom()) == 0;
  return TDateiSystem::SchliesseDatei(datei) && ganz;
}

bool SzenenDatei::Lies(TSpeicher& speicher, Karte& karte) {
  TSegmentLeser segment(speicher, KENNUNG_SZNE, VERSION);
  if (speicher.HatLesefehler()) {
    g_Log.Schreibe("!Karte::Lies(): Szenendaten beschädigt, Karte unverändert.");
    return false;
  }
  if (!karte.Lies(speicher)) return false;
  // The map is whole and taken over; an outer end marker cut off (a segment without length) is
  // reported by the segment reader but cannot make the load fail after the map has changed.
  segment.Beende();
  return true;
}

bool SzenenDatei::Speichere(const std::filesystem::path& pfad, const Karte& karte) {
  std::filesystem::path neu = pfad;
  neu += ".neu";
  std::error_code fehler;
  if (SchreibeDatei(neu, karte)) {
    std::filesystem::rename(neu, pfad, fehler);
    if (!fehler) return true;
  }
  std::filesystem::remove(neu, fehler);
  g_Log.Schreibe("!SzenenDatei::Speichere(): '%s' konnte nicht geschrieben werden, die alte Datei bleibt.",
                 pfad.string().c_str());
  return false;
}

SzenenDatei::Ergebnis SzenenDatei::Lade(const std::filesystem::path& pfad, Karte& karte) {
  TSpeicher speicher;
  {
    TDateiSystem::Datei datei = TDateiSystem::OeffneDatei(pfad, "rb");
    if (!datei) return Ergebnis::Fehlt;
    if (!speicher.LadeAusStrom(datei.Strom())) {
      g_Log.Schreibe("!SzenenDatei::Lade(): '%s' konnte nicht ganz gelesen werden.", pfad.string().c_str());
      return Ergebnis::Beschaedigt;
    }
  }
  return Lies(speicher, karte) ? Ergebnis::Geladen : Ergebnis::Beschaedigt;
}

}  // namespace Spiel
