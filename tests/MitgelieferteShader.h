#pragma once
// The shader pairs the build ships, for the compile test, the benchmark and the fuzz seeds: the
// sources embedded in the engine (through their accessors), every "<name>.vs" / "<name>.ps"
// file of a data folder and every filter of its effect files ("<effect>/<filter>"). Batches with
// embedded shaders add their accessors here.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_LinienStapel.h"
#include "Zarvo_SpriteStapel.h"

struct MitgeliefertesShaderPaar {
  std::string name;
  std::string vertex;  // dialect source; empty when the pair has no vertex shader
  std::string pixel;
};

// The filters of an effect file's text, named "<effect>/<filter>" as the effect loader names them.
inline void FuegeFilterHinzu(const std::string& effekt, const std::string& text, std::vector<MitgeliefertesShaderPaar>& paare) {
  TiXmlDocument dokument;
  dokument.Parse(text.c_str());
  const TiXmlElement* wurzel = dokument.RootElement();
  if (dokument.Error() || wurzel == nullptr || wurzel->ValueStr() != "filtereffekt") return;
  int nummer = 0;
  for (const TiXmlElement* f = wurzel->FirstChildElement("filter"); f != nullptr; f = f->NextSiblingElement("filter")) {
    const char* name = f->Attribute("name");
    ++nummer;
    MitgeliefertesShaderPaar paar{effekt + "/" + (name ? name : "Filter" + std::to_string(nummer)), "", ""};
    if (const TiXmlElement* vs = f->FirstChildElement("vertexShader")) paar.vertex = XmlElementText(*vs);
    if (const TiXmlElement* ps = f->FirstChildElement("pixelShader")) paar.pixel = XmlElementText(*ps);
    paare.push_back(std::move(paar));
  }
}

inline std::vector<MitgeliefertesShaderPaar> MitgelieferteShader(const std::filesystem::path& datenOrdner) {
  std::vector<MitgeliefertesShaderPaar> paare = {
      {"linie", Zarvo_LinienStapel::VertexShaderQuelle(), Zarvo_LinienStapel::PixelShaderQuelle()},
      {"sprite", Zarvo_SpriteStapel::VertexShaderQuelle(false), Zarvo_SpriteStapel::PixelShaderQuelle(false)},
      {"sprite_normalkarte", Zarvo_SpriteStapel::VertexShaderQuelle(true), Zarvo_SpriteStapel::PixelShaderQuelle(true)},
      {"sprite_kopie", Zarvo_SpriteStapel::VertexShaderQuelle(false), Zarvo_SpriteStapel::KopierPixelShaderQuelle()},
  };
  std::map<std::string, MitgeliefertesShaderPaar> dateien;
  std::map<std::string, std::string> effekte;
  std::error_code fehler;
  for (const auto& eintrag : std::filesystem::directory_iterator(datenOrdner, fehler)) {
    const std::string endung = eintrag.path().extension().string();
    if (endung != ".vs" && endung != ".ps" && endung != ".xml") continue;
    std::ifstream datei(eintrag.path(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(datei)), std::istreambuf_iterator<char>());
    if (endung == ".xml") {
      effekte[eintrag.path().stem().string()] = std::move(text);
      continue;
    }
    MitgeliefertesShaderPaar& paar = dateien[eintrag.path().stem().string()];
    paar.name = eintrag.path().stem().string();
    (endung == ".vs" ? paar.vertex : paar.pixel) = std::move(text);
  }
  for (auto& [name, paar] : dateien) paare.push_back(std::move(paar));
  for (const auto& [name, text] : effekte) FuegeFilterHinzu(name, text, paare);
  return paare;
}
