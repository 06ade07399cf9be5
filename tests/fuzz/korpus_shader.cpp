// Writes the shipped shaders and the prelude as seeds of fuzz_shaderdialekt: the first byte picks
// the stage (bit 0 set: pixel shader), the rest is the source.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "MitgelieferteShader.h"

namespace {

bool Schreibe(const std::filesystem::path& datei, bool pixel, const std::string& quelle) {
  std::ofstream aus(datei, std::ios::binary);
  aus.put(pixel ? 1 : 0) << quelle;
  return bool(aus);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_shaderdialekt";
  std::filesystem::create_directories(ordner);
  const auto [anfang, ende] = Zarvo_HighLevelShaderBasis::GibVorspann();
  bool ok = Schreibe(ordner / "mitgeliefert_vorspann", false, std::string(anfang, ende));
  for (const testhilfe::MitgelieferterShader& s : testhilfe::MitgelieferteShader()) {
    std::string name = s.name;
    for (char& c : name)
      if (c == '/' || c == '\\') c = '_';
    ok = Schreibe(ordner / ("mitgeliefert_" + name), s.pixel, s.quelle) && ok;
  }
  if (!ok) std::fprintf(stderr, "korpus_shader: seeds not written to %s\n", ordner.c_str());
  return ok ? 0 : 1;
}
