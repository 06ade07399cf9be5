// Input-script bytes through the line cutter and the line parser, as the script reads them:
// every line is either a command within its ranges or refused with a "!" line naming its number;
// a line beyond the limit is refused once. The bytes arrive in two blocks split where the first
// byte says, so lines also cross block borders.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Plattform/eingabe/DrehbuchBefehl.h"
#include "Plattform/eingabe/Tastentabelle.h"

namespace {

using eingabe::DrehbuchBefehl;
using Art = DrehbuchBefehl::Art;

bool Zwischen(int wert, int min, int max) { return wert >= min && wert <= max; }

bool BefehlImBereich(const DrehbuchBefehl& b) {
  switch (b.art) {
    case Art::Taste: return eingabe::EintragFuerGlfw(b.wert) != nullptr;
    case Art::Text: return Zwischen(b.wert, 1, 0x10FFFF) && !Zwischen(b.wert, 0xD800, 0xDFFF);
    case Art::Maus:
      return Zwischen(b.x, -DrehbuchBefehl::MAUS_GRENZE, DrehbuchBefehl::MAUS_GRENZE) &&
             Zwischen(b.y, -DrehbuchBefehl::MAUS_GRENZE, DrehbuchBefehl::MAUS_GRENZE);
    case Art::Knopf: return Zwischen(b.wert, 0, 4);
    case Art::Rad: return Zwischen(b.wert, -DrehbuchBefehl::RAD_GRENZE, DrehbuchBefehl::RAD_GRENZE);
    case Art::Bild: return Zwischen(b.wert, 1, DrehbuchBefehl::BILD_GRENZE);
    case Art::Nichts:
    case Art::Zustand:
    case Art::Schliessen: return true;
  }
  return false;
}

void PruefeZeile(const std::string& zeile, size_t nummer) {
  DrehbuchBefehl befehl;
  std::string fehler;
  if (eingabe::LiesDrehbuchZeile(zeile, nummer, befehl, fehler)) {
    if (!BefehlImBereich(befehl)) abort();
    return;
  }
  if (befehl.art != Art::Nichts) abort();
  if (fehler.rfind("!Drehbuch Zeile " + std::to_string(nummer) + ": ", 0) != 0) abort();
  if (fehler.size() > 400 || fehler.find('\n') != std::string::npos) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  const std::string_view bytes(reinterpret_cast<const char*>(daten), groesse);
  const size_t teilung = groesse ? daten[0] % (groesse + 1) : 0;
  eingabe::DrehbuchZeilen zeilen;
  size_t erwartet = 1, nummer = 0;
  std::string zeile;
  for (std::string_view block : {bytes.substr(0, teilung), bytes.substr(teilung)}) {
    zeilen.Fuettere(block);
    for (;;) {
      const auto ergebnis = zeilen.Naechste(zeile, nummer);
      if (ergebnis == eingabe::DrehbuchZeilen::Ergebnis::Keine) break;
      if (nummer != erwartet++) abort();
      if (ergebnis == eingabe::DrehbuchZeilen::Ergebnis::ZuLang) {
        if (zeile.size() != eingabe::DrehbuchZeilen::MAX_LAENGE) abort();
        continue;
      }
      if (zeile.size() > eingabe::DrehbuchZeilen::MAX_LAENGE || zeile.find('\n') != std::string::npos) abort();
      PruefeZeile(zeile, nummer);
    }
  }
  if (zeilen.Rest(zeile, nummer)) {
    if (nummer != erwartet || zeile.size() > eingabe::DrehbuchZeilen::MAX_LAENGE) abort();
    PruefeZeile(zeile, nummer);
  }
  return 0;
}
