#include "Einstieg.h"

#include "Zarvo_Start.h"

#include <cstdio>

namespace {

// This build holds no application yet: say so in the log and on stdout.
void MeldeFehlendeAnwendung() {
  const char* format = "Spiel::Anwendung ist in diesem Programmstand nicht enthalten; Anwendungsverzeichnis \"%s\", Benutzerdaten \"%s\".";
  std::string anwendung = g_System.anwendungsVerzeichnis.string();
  std::string benutzer = g_System.benutzerDaten.string();
  g_Log.Schreibe(format, anwendung.c_str(), benutzer.c_str());
  std::printf(format, anwendung.c_str(), benutzer.c_str());
  std::printf("\n");
}

}  // namespace

int main() { return Spiel::Einstieg(MeldeFehlendeAnwendung); }
