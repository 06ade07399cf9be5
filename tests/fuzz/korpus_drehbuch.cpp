// Writes the seed corpus of fuzz_drehbuch: the playthrough's commands from the builders it sends
// them with (each step alone and the whole run, state lines where it waits on them), a few kinds
// it does not send (wheel, other buttons, hex scan codes), line endings and the faults the script
// refuses.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "DurchlaufBefehle.h"

namespace {

namespace b = durchlauf_befehle;

struct Saat {
  const char* name;
  std::string text;
};

// Polls as the playthrough waits: a state line, then frames.
std::string Warte(int mal, int schritt) {
  std::string text;
  for (int i = 0; i < mal; ++i) text += b::Zustand() + b::Bilder(schritt - 1);
  return text;
}

std::string Start() { return "maus 480 270\n" + b::Zustand() + Warte(3, 16); }
std::string Bildschirmfoto() { return b::Tippe(b::F1) + b::Bilder(2) + b::Zustand(); }
std::string Konsole() {
  std::string text = b::Tippe(b::F11);
  for (const char* c = b::KONSOLEN_TEXT; *c; ++c) text += b::Zeichen(b::KonsolenTasten().at(*c), *c);
  return text + b::Zustand() + b::Tippe(b::ENTER) + b::Tippe(b::F11) + b::Zustand();
}
std::string Gehen() {
  std::string text;
  for (int taste : b::WEG_ZUM_HEBEL) text += b::Zustand() + b::Tippe(taste) + Warte(2, 4) + b::Bilder(40);
  return text;
}
std::string Hebel() { return b::Zustand() + b::Klick(512, 300) + Warte(4, 4); }
std::string Pause() {
  return b::Tippe(b::ESC) + b::Zustand() + b::Bilder(32) + b::Halte(b::W, 4) + b::Zustand() + b::Tippe(b::ESC) +
         Warte(8, 1);
}
std::string Editor() { return b::Tippe(b::F4) + b::Zustand() + b::Tippe(b::F4) + b::Zustand(); }
std::string Schliessen() { return "schliessen\n" + b::Bilder(10); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_drehbuch";
  std::filesystem::create_directories(ordner);
  const Saat saaten[] = {
      {"start", Start()},
      {"bildschirmfoto", Bildschirmfoto()},
      {"konsole", Konsole()},
      {"gehen", Gehen()},
      {"hebel", Hebel()},
      {"pause", Pause()},
      {"editor", Editor()},
      {"schliessen", Schliessen()},
      {"durchlauf", Start() + Bildschirmfoto() + Konsole() + Gehen() + Hebel() + Pause() + Editor() + Schliessen()},
      {"editor_maus", "taste 0x3E ab\nbild\ntaste 0x3E auf\nbild 10\nrad -2\nrad 3\nknopf 1 ab\nbild\nknopf 1 auf\ntaste 0xCF ab\nbild\n"},
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
