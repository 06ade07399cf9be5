// Writes the seeds of fuzz_filtereffekt: the shipped effect files and the effect-file cases of
// the unit tests.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "einheit/FilterVorlagen.h"

namespace {

void Schreibe(const std::filesystem::path& datei, const std::string& inhalt) {
  std::ofstream aus(datei, std::ios::binary);
  aus << inhalt;
  if (!aus) {
    std::fprintf(stderr, "korpus_filtereffekt: %s nicht geschrieben\n", datei.c_str());
    std::exit(1);
  }
}

}  // namespace

// Arguments: the corpus folder and the data folder with the effect files.
int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_filtereffekt";
  std::filesystem::create_directories(ordner);
  for (const auto& eintrag : std::filesystem::directory_iterator(argv[2])) {
    if (eintrag.path().extension() != ".xml") continue;
    std::ifstream datei(eintrag.path(), std::ios::binary);
    Schreibe(ordner / ("daten_" + eintrag.path().filename().string()),
             std::string(std::istreambuf_iterator<char>(datei), std::istreambuf_iterator<char>()));
  }
  for (const filtervorlagen::EffektFall& fall : filtervorlagen::EffektFaelle()) Schreibe(ordner / ("fall_" + fall.name), fall.text);
  return 0;
}
