// klaenge <folder>: writes the game's sounds as Ogg Vorbis files into <folder>.
#include "Klaenge.h"
#include "OggSchreiber.h"

#include <cstdio>
#include <filesystem>

namespace {

constexpr long RATE = 44100;
constexpr int SERIE = 0x4D4F5256;

bool Schreibe(const std::filesystem::path& ordner, const char* name, const Klang& klang, float qualitaet) {
  const auto daten = OggSchreiber::Kodiere(klang.proben, klang.kanaele, RATE, qualitaet, SERIE);
  if (OggSchreiber::Speichere(ordner / name, daten)) return true;
  std::fprintf(stderr, "klaenge: %s kann nicht geschrieben werden\n", (ordner / name).c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: klaenge <Ordner>\n");
    return 2;
  }
  const std::filesystem::path ordner = argv[1];
  std::error_code fehler;
  std::filesystem::create_directories(ordner, fehler);
  bool ok = Schreibe(ordner, "gitter_auf.ogg", GitterAuf(), 0.3f);
  ok = Schreibe(ordner, "gitter_zu.ogg", GitterZu(), 0.3f) && ok;
  ok = Schreibe(ordner, "schalter.ogg", Schalter(), 0.3f) && ok;
  ok = Schreibe(ordner, "usaganie.ogg", Musik(), 0.2f) && ok;
  return ok ? 0 : 1;
}
