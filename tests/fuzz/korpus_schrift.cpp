// Writes the seed corpus of fuzz_schriftart: the tiny TrueType font with and without its cmap,
// the one-glyph BDF font, and cuts of each.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "KleineSchrift.h"
#include "TSpeicher.h"

namespace {

void Speichere(const std::filesystem::path& ordner, const std::string& name, const std::vector<uint8_t>& bytes) {
  TSpeicher s;
  s.SchreibeMem(bytes.data(), bytes.size());
  if (!s.SpeichereInDatei(ordner / name, 0)) {
    std::fprintf(stderr, "korpus_schrift: %s nicht geschrieben\n", (ordner / name).c_str());
    std::exit(1);
  }
}

// The whole file and its first quarter, half and three quarters.
void SpeichereMitSchnitten(const std::filesystem::path& ordner, const std::string& name, const std::vector<uint8_t>& bytes) {
  Speichere(ordner, name, bytes);
  for (int viertel = 1; viertel < 4; ++viertel)
    Speichere(ordner, name + "_" + std::to_string(viertel) + "v4",
              std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(bytes.size() * viertel / 4)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_schriftart";
  std::filesystem::create_directories(ordner);
  SpeichereMitSchnitten(ordner, "klein.ttf", kleineschrift::Baue(true));
  SpeichereMitSchnitten(ordner, "ohne_cmap.ttf", kleineschrift::Baue(false));
  const std::string bdf = kleineschrift::Bdf();
  SpeichereMitSchnitten(ordner, "ein_glyph.bdf", std::vector<uint8_t>(bdf.begin(), bdf.end()));
  return 0;
}
