// absturzprobe <fall>: the program's static start-up and entry with a run that crashes.
// Cases: nullzeiger, faden, wurf, abbruch, ueberlauf.
#include "Einstieg.h"

#include "absturz/ziele.h"

#include <cstdio>
#include <cstring>

namespace {

struct Fall {
  const char* name;
  void (*lauf)();
};

const Fall FAELLE[] = {
    {"nullzeiger", [] { Ziele::RufeZiel(Ziele::SchreibeNullzeiger); }},
    {"faden", [] { Ziele::AufFaden(Ziele::SchreibeNullzeiger); }},
    {"wurf", [] { Ziele::RufeZiel(Ziele::WirfLaufzeitFehler); }},
    {"abbruch", [] { Ziele::RufeZiel(Ziele::RufeAbort); }},
    {"ueberlauf", [] { Ziele::RufeZiel(Ziele::RekursiereEndlos); }},
};

}  // namespace

int main(int argc, char** argv) {
  for (const Fall& fall : FAELLE)
    if (argc == 2 && strcmp(argv[1], fall.name) == 0) return Spiel::Einstieg(fall.lauf);
  fprintf(stderr, "usage: absturzprobe nullzeiger|faden|wurf|abbruch|ueberlauf\n");
  return 2;
}
