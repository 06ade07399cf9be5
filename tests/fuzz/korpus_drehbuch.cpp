// Writes the seed corpus of fuzz_drehbuch: scripts of a playthrough's kinds of steps (start and
// state lines, held keys, typing into the console, clicking, pause and editor keys, closing),
// line endings and the faults the script refuses.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Saat {
  const char* name;
  std::string text;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_drehbuch";
  std::filesystem::create_directories(ordner);
  const Saat saaten[] = {
      {"start", "bild\nzustand\nbild\nbild 30\nzustand\nbild\n"},
      {"bildschirmfoto", "taste 0x3B ab\nbild\ntaste 0x3B auf\nzustand\nbild 2\n"},
      {"konsole",
       "taste 0x57 ab\nbild\ntaste 0x57 auf\nbild\n"
       "taste 0x1F ab\ntext 115\nbild\ntaste 0x1F auf\ntaste 0x12 ab\ntext 101\nbild\ntaste 0x12 auf\n"
       "taste 0x39 ab\ntext 32\nbild\ntaste 0x39 auf\ntaste 0x1C ab\nbild\ntaste 0x1C auf\nbild\n"},
      {"gehen", "taste 17 ab\nbild 3\ntaste 17 auf\nbild 20\ntaste 30 ab\nbild 3\ntaste 30 auf\ntaste 16 ab\nbild 3\ntaste 16 auf\nzustand\nbild\n"},
      {"hebel", "maus 480 270\nbild\nknopf 0 ab\nbild\nknopf 0 auf\nbild 40\nzustand\nbild\n"},
      {"pause", "taste 1 ab\nbild\ntaste 1 auf\nbild 32\nzustand\nbild\ntaste 0x01 ab\nbild\ntaste 1 auf\nbild 8\n"},
      {"editor", "taste 0x3E ab\nbild\ntaste 0x3E auf\nbild 10\nrad -2\nrad 3\nknopf 1 ab\nbild\nknopf 1 auf\ntaste 0xCF ab\nbild\n"},
      {"schliessen", "bild 5\nschliessen\n"},
      {"zeilenenden", "bild\r\n\r\n  \t taste  17\tab  \r\nbild"},
      {"fehler", "bild\ntaste 17 hoch\nbild\n"},
      {"zu_lang", "bild\n" + std::string(300, 'x') + "\nbild\n"},
  };
  for (const Saat& saat : saaten) {
    std::ofstream datei(ordner / saat.name, std::ios::binary);
    datei << saat.text;
    if (!datei) {
      std::fprintf(stderr, "korpus_drehbuch: %s nicht geschrieben\n", (ordner / saat.name).c_str());
      return 1;
    }
  }
  return 0;
}
