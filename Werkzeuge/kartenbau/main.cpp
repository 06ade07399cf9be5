// kartenbau DESCRIPTION OUTPUT: builds the scene file from a level description.
#include <cstdio>
#include <string>

#include "Karte.h"
#include "Kartenbeschreibung.h"
#include "SzenenDatei.h"
#include "TDateiSystem.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kartenbau DESCRIPTION OUTPUT\n");
    return 2;
  }
  std::string text;
  if (!TDateiSystem::LiesInhalt(argv[1], text)) {
    std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
    return 1;
  }
  Karte karte;
  if (const auto fehler = Kartenbeschreibung::Baue(text, karte)) {
    std::fprintf(stderr, "line %zu: %s\n", fehler->zeile, fehler->grund.c_str());
    return 1;
  }
  if (!Spiel::SzenenDatei::Speichere(argv[2], karte)) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
