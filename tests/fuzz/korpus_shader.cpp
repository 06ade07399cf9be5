// Writes the shipped shaders into the seed corpus of fuzz_shaderdialekt: the first byte picks the
// stage (0 vertex, 1 pixel), the dialect source follows.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "MitgelieferteShader.h"

namespace {

void Schreibe(const std::filesystem::path& datei, char stufe, const std::string& quelle) {
  std::ofstream aus(datei, std::ios::binary);
  aus.put(stufe);
  aus << quelle;
  if (!aus) {
    std::fprintf(stderr, "korpus_shader: %s nicht geschrieben\n", datei.c_str());
    std::exit(1);
  }
}

}  // namespace

// Arguments: the corpus folder and the data folder with the shader files.
int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_shaderdialekt";
  std::filesystem::create_directories(ordner);
  for (const MitgeliefertesShaderPaar& paar : MitgelieferteShader(argv[2])) {
    std::string name = paar.name;
    std::replace(name.begin(), name.end(), '/', '_');  // "<effect>/<filter>"
    if (!paar.vertex.empty()) Schreibe(ordner / ("mitgeliefert_" + name + "_vs"), 0, paar.vertex);
    if (!paar.pixel.empty()) Schreibe(ordner / ("mitgeliefert_" + name + "_ps"), 1, paar.pixel);
  }
  return 0;
}
