#include "Anwendung.h"
#include "Einstieg.h"

#include "Plattform/eingabe/Pruefbetrieb.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

namespace {

// The test hooks of the environment first (each names its variable when its value is bad), then
// the application.
void Lauf() {
  const std::string fehler = pruefbetrieb::SchalteEin([](const std::string& zeile) { g_Log.Schreibe("%s", zeile.c_str()); });
  if (!fehler.empty()) ZARVO_AUSNAHME(fehler);
  Spiel::LaufVon<Spiel::Anwendung>()();
}

}  // namespace

int main() {
  const int ergebnis = Spiel::Einstieg(Lauf);
  pruefbetrieb::SchalteAus();
  return ergebnis;
}
