#include "SzenenDatei.h"

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

void SzenenDatei::Schreibe(TSpeicher& speicher, const Karte& karte) {
  TSegmentSchreiber segment(speicher, KENNUNG_SZNE, VERSION);
  karte.Schreibe(speicher);
  segment.Beende();
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
  TSpeicher speicher;
  Schreibe(speicher, karte);
  std::filesystem::path neu = pfad;
  neu += ".neu";
  std::error_code fehler;
  if (speicher.SpeichereInDatei(neu, 0)) {
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
