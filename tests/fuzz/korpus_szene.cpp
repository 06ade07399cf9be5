// Writes the shipped level into the seed corpus of fuzz_szene, built from its description the way
// kartenbau builds it, so the seed follows every change of the level.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Karte.h"
#include "Kartenbeschreibung.h"
#include "SzenenDatei.h"
#include "TDateiSystem.h"
#include "TSpeicher.h"

// Arguments: the corpus folder and the level description.
int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::string text;
  Karte karte;
  if (!TDateiSystem::LiesInhalt(argv[2], text) || Kartenbeschreibung::Baue(text, karte)) {
    std::fprintf(stderr, "korpus_szene: %s nicht gebaut\n", argv[2]);
    return 1;
  }
  TSpeicher szene;
  Spiel::SzenenDatei::Schreibe(szene, karte);
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_szene";
  std::filesystem::create_directories(ordner);
  if (!szene.SpeichereInDatei(ordner / "level.dat", 0)) {
    std::fprintf(stderr, "korpus_szene: %s nicht geschrieben\n", (ordner / "level.dat").c_str());
    return 1;
  }
  return 0;
}
