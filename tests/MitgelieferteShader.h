#pragma once
// The shader pairs the build ships, for the compile test, the benchmark and the fuzz seeds: the
// sources embedded in the engine (through their accessors) and every "<name>.vs" / "<name>.ps"
// file of a data folder. Batches with embedded shaders add their accessors here.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Zarvo_LinienStapel.h"
#include "Zarvo_SpriteStapel.h"

struct MitgeliefertesShaderPaar {
  std::string name;
  std::string vertex;  // dialect source; empty when the pair has no vertex shader
  std::string pixel;
};

inline std::vector<MitgeliefertesShaderPaar> MitgelieferteShader(const std::filesystem::path& datenOrdner) {
  std::vector<MitgeliefertesShaderPaar> paare = {
      {"linie", Zarvo_LinienStapel::VertexShaderQuelle(), Zarvo_LinienStapel::PixelShaderQuelle()},
      {"sprite", Zarvo_SpriteStapel::VertexShaderQuelle(false), Zarvo_SpriteStapel::PixelShaderQuelle(false)},
      {"sprite_normalkarte", Zarvo_SpriteStapel::VertexShaderQuelle(true), Zarvo_SpriteStapel::PixelShaderQuelle(true)},
      {"sprite_kopie", Zarvo_SpriteStapel::VertexShaderQuelle(false), Zarvo_SpriteStapel::KopierPixelShaderQuelle()},
  };
  std::map<std::string, MitgeliefertesShaderPaar> dateien;
  std::error_code fehler;
  for (const auto& eintrag : std::filesystem::directory_iterator(datenOrdner, fehler)) {
    const std::string endung = eintrag.path().extension().string();
    if (endung != ".vs" && endung != ".ps") continue;
    std::ifstream datei(eintrag.path(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(datei)), std::istreambuf_iterator<char>());
    MitgeliefertesShaderPaar& paar = dateien[eintrag.path().stem().string()];
    paar.name = eintrag.path().stem().string();
    (endung == ".vs" ? paar.vertex : paar.pixel) = std::move(text);
  }
  for (auto& [name, paar] : dateien) paare.push_back(std::move(paar));
  return paare;
}
