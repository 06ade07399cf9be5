#include "TEigenschaften_Serialisierung.h"

#include <cstring>
#include <locale>
#include <sstream>
#include <string>

#include <tinyxml.h>

#include "TDateiSystem.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Hilfsfunktionen.h"

namespace {

std::istringstream KlassischerLeser(const char* text) {
  std::istringstream strom{std::string(text)};
  strom.imbue(std::locale::classic());
  return strom;
}

template <class Zahl>
Zahl LiesZahl(const char* text) {
  std::istringstream strom = KlassischerLeser(text);
  Zahl zahl{};
  strom >> zahl;
  return zahl;
}

// Reads floats one after the other; those that are missing or do not parse stay 0.
template <size_t N>
void LiesFloats(const char* text, float* (&ziele)[N]) {
  std::istringstream strom = KlassischerLeser(text);
  for (float* ziel : ziele) {
    float zahl = 0;
    if (!(strom >> zahl)) zahl = 0;
    *ziel = zahl;
  }
}

}  // namespace

void TEigenschaften_Serialisierung::LadeEigenschaftenAusXml(TEigenschaften& wurzel,
                                                           const std::filesystem::path& pfad, bool flag) {
  std::string inhalt;
  TiXmlDocument dokument;
  if (!TDateiSystem::LiesInhalt(pfad, inhalt) || !LiesDokument(inhalt, dokument)) {
    WirfZarvoAusnahme("Datei nicht geladen", "TEigenschaften_Serialisierung::LadeEigenschaftenAusXml",
                      QuellPfad(__FILE__), __LINE__);
  }
  FuelleAus(wurzel, dokument, flag);
}

bool TEigenschaften_Serialisierung::LiesDokument(std::string_view text, TiXmlDocument& dokument) {
  return ParseXmlBegrenzt(text, dokument, MAX_ELEMENTE);
}

void TEigenschaften_Serialisierung::FuelleAus(TEigenschaften& wurzel, const TiXmlDocument& dokument, bool flag) {
  if (const TiXmlElement* element = dokument.FirstChildElement()) {
    LiesElement(wurzel, *element, flag);
  }
}

void TEigenschaften_Serialisierung::LiesElement(TEigenschaften& knoten, const TiXmlElement& element, bool flag) {
  const char* typName = element.Attribute("typ");
  if (const TiXmlNode* erstes = element.FirstChild()) {
    if (const TiXmlText* text = erstes->ToText(); text != nullptr && text->Value()[0] != '\0') {
      LiesWert(knoten, typName, text->Value());
    }
  }
  for (const TiXmlElement* kind = element.FirstChildElement(); kind != nullptr; kind = kind->NextSiblingElement()) {
    auto [eintrag, neu] = knoten.kinder.try_emplace(kind->ValueStr(), kind->ValueStr());
    LiesElement(eintrag->second, *kind, flag);
  }
}

void TEigenschaften_Serialisierung::LiesWert(TEigenschaften& knoten, const char* typName, const char* text) {
  const std::string_view typ = typName != nullptr ? typName : "";
  if (typ == "TVektor") {
    TVektor v;
    float* ziele[] = {&v.x, &v.y, &v.z};
    LiesFloats(text, ziele);
    knoten.Setze(v);
  } else if (typ == "TAlphaFarbe") {
    TAlphaFarbe f;
    float* ziele[] = {&f.r, &f.g, &f.b, &f.a};
    LiesFloats(text, ziele);
    knoten.Setze(f);
  } else if (typ == "string") {
    knoten.Setze(std::string(text));
  } else if (typ == "int") {
    knoten.Setze(LiesZahl<int32_t>(text));
  } else if (typ == "unsigned int") {
    knoten.Setze(LiesZahl<uint32_t>(text));
  } else {
    knoten.Setze(LiesZahl<float>(text));
  }
}

float LiesFloatAttribut(const TiXmlElement& element, const char* attributName, float standard) {
  const char* text = element.Attribute(attributName);
  if (text == nullptr) return standard;
  std::istringstream strom = KlassischerLeser(text);
  float zahl = 0;
  strom >> zahl;
  return strom.eof() ? zahl : standard;
}
