#include "Einstieg.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Konfig.h"
#include "Zarvo_Start.h"

namespace Spiel {

int Einstieg(const std::function<void()>& lauf) {
  // The configuration comes first, so that a saved "t_logfile" decides whether a log file is opened.
  Zarvo_Konfig::Lade(g_System.benutzerDaten, "spiel.cfg");
  g_Log.Starte(g_System.benutzerDaten, "spiel.log");

  int ergebnis = 0;
  try {
    g_System.PruefeProgrammPfad();
    lauf();
  } catch (const Zarvo_Ausnahme& ausnahme) {
    g_Log.Schreibe("Exception thrown: %s (%d) - %s(): %s", ausnahme.datei.c_str(), ausnahme.zeile,
                   ausnahme.funktion.c_str(), ausnahme.meldung.c_str());
    ergebnis = -1;
  }

  Zarvo_Konfig::Speichere();
  g_Log.LeereWarteschlange();
  return ergebnis;
}

}  // namespace Spiel
