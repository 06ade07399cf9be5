#pragma once
// Functions that crash in a known way, for the crash tests and the probe. Each records the line
// of its faulting statement, and RufeZiel the line of its call, so that tests can check the
// frame lines of a report.
#include <string>

namespace Ziele {

struct Orte {
  const char* funktion;  // the crashing function's name, as the report shows it
  int fehlerZeile;       // its faulting line
  int aufrufZeile;       // RufeZiel's line of the call
};
extern volatile Orte& g_Orte;  // shared with forked children

// Calls `ziel`, not as a tail call, so that RufeZiel is its caller frame.
void RufeZiel(void (*ziel)());

void SchreibeNullzeiger();
void TeileGanzzahlDurchNull();
void FuehreFalleAus();        // __builtin_trap: an illegal instruction
void HalteAnBruchpunkt();     // int3
void LiesHinterDateiende();   // a mapped 1-byte file, read in its second page
void TeileGleitkommaDurchNull();  // with the division trap enabled
void RufeAbort();
void SendeSigsegv();          // raise(SIGSEGV)
void WirfLaufzeitFehler();    // std::runtime_error("kaputt")
void WirfGanzzahl();          // throw 42
void RekursiereEndlos();
void SpringeInAnonymenCode();  // ud2 in an anonymous executable page
void SchreibeNullzeigerOhneZeilen();  // in a file without debug information

// Runs `ziel` through RufeZiel on a std::thread with the stack guarantee; the calling thread waits
// in join.
void AufFaden(void (*ziel)());

}  // namespace Ziele
