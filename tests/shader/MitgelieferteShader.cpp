#include "MitgelieferteShader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace testhilfe {

namespace {

namespace fs = std::filesystem;

// The shader pairs the engine embeds as strings. A class that embeds its shaders adds its pair
// here, built from its accessors, so that every test over the list covers it.
std::vector<MitgeliefertesPaar> EingebettetePaare() {
  std::vector<MitgeliefertesPaar> paare;
  return paare;
}

MitgelieferterShader LiesDatei(const fs::path& datei) {
  std::ifstream ein(datei, std::ios::binary);
  MitgelieferterShader shader;
  shader.name = "Daten/" + datei.filename().string();
  shader.pixel = datei.extension() == ".ps";
  shader.quelle.assign(std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>());
  return shader;
}

// Daten/*.vs and Daten/*.ps by stem, in name order.
struct DatenShader {
  std::map<std::string, MitgelieferterShader> vertex, pixel;
};

DatenShader LiesDatenOrdner() {
  DatenShader d;
  for (const fs::directory_entry& e : fs::directory_iterator(MORVELUNT_DATEN_QUELLE)) {
    const fs::path& p = e.path();
    if (!e.is_regular_file() || (p.extension() != ".vs" && p.extension() != ".ps")) continue;
    (p.extension() == ".ps" ? d.pixel : d.vertex).emplace(p.stem().string(), LiesDatei(p));
  }
  return d;
}

}  // namespace

std::vector<MitgeliefertesPaar> MitgelieferteShaderpaare() {
  std::vector<MitgeliefertesPaar> paare = EingebettetePaare();
  const DatenShader daten = LiesDatenOrdner();
  for (const auto& [stamm, vertex] : daten.vertex) {
    const auto pixel = daten.pixel.find(stamm);
    if (pixel != daten.pixel.end()) paare.push_back({"Daten/" + stamm, vertex, pixel->second});
  }
  return paare;
}

std::vector<MitgelieferterShader> MitgelieferteShader() {
  std::vector<MitgelieferterShader> alle;
  for (const MitgeliefertesPaar& p : EingebettetePaare()) {
    alle.push_back(p.vertex);
    alle.push_back(p.pixel);
  }
  const DatenShader daten = LiesDatenOrdner();
  for (const auto* stufe : {&daten.vertex, &daten.pixel})
    for (const auto& [stamm, shader] : *stufe) alle.push_back(shader);
  return alle;
}

}  // namespace testhilfe
