#include "FilterEffekt.h"

#include <string_view>

#include <tinyxml.h>

#include "TEigenschaften_Serialisierung.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Start.h"

namespace {

std::string AttributOderLeer(const TiXmlElement& element, const char* name) {
  const char* wert = element.Attribute(name);
  return wert ? wert : "";
}

}  // namespace

void FilterEffekt::LadeAus(const std::string& effektName, const TiXmlElement& wurzel, Zarvo_VertexEingabe* eingabe) {
  name = effektName;
  int parameterNummer = 0;
  for (const TiXmlElement* kind = wurzel.FirstChildElement(); kind != nullptr; kind = kind->NextSiblingElement()) {
    const std::string_view art = kind->ValueStr();
    if (art == "beschreibung") beschreibung = XmlElementText(*kind);
    else if (art == "eingabe") LiesEingabe(*kind);
    else if (art == "filter") LiesFilter(*kind, eingabe);
    else if (art == "textur") LiesTextur(*kind);
    else if (art == "param") LiesParameter(*kind, ++parameterNummer);
  }
  SucheParameterHandles();
}

void FilterEffekt::LiesEingabe(const TiXmlElement& element) {
  const char* eingabeName = element.Attribute("name");
  if (eingabeName == nullptr) {
    g_Log.Schreibe("!FilterEffekt::LadeAus(...): Element \"eingabe\" in Effekt \"%s\" muss Attribut \"name\" mit dem Namen des "
                   "Engine-Ergebnisses definieren.",
                   name.c_str());
    return;
  }
  eingaben.emplace_back(eingabeName);
}

void FilterEffekt::LiesFilter(const TiXmlElement& element, Zarvo_VertexEingabe* eingabe) {
  const char* filterName = element.Attribute("name");
  const std::string passName = filterName ? filterName : "Filter" + std::to_string(filter.size() + 1);
  try {
    filter.push_back(std::make_unique<BildFilter::Filter>(passName, element, eingabe));
  } catch (const Zarvo_Ausnahme& ausnahme) {
    g_Log.Schreibe("!FilterEffekt::LadeAus(...): Fehler beim Laden des %d. Filters in Effekt \"%s\" - %s.", int(filter.size()),
                   name.c_str(), ausnahme.meldung.c_str());
  }
}

void FilterEffekt::LiesTextur(const TiXmlElement& element) {
  if (element.Attribute("name") == nullptr) {
    g_Log.Schreibe("!FilterEffekt::LadeAus(...): Textureintrag in Filtereffekt \"%s\" hat kein \"name\"-Atribut.", name.c_str());
    return;
  }
  texturen.push_back({AttributOderLeer(element, "name"), AttributOderLeer(element, "beschreibung"),
                      AttributOderLeer(element, "standard")});
}

void FilterEffekt::LiesParameter(const TiXmlElement& element, int nummer) {
  const char* parameterName = element.Attribute("name");
  if (parameterName == nullptr) {
    g_Log.Schreibe("!FilterEffekt::LadeAus(...): Parameter in Filtereffekt \"%s\" hat kein \"name\"-Atribut.", name.c_str());
    return;
  }
  Parameter p;
  p.name = parameterName;
  if (const TiXmlElement* text = element.FirstChildElement("beschreibung")) p.beschreibung = XmlElementText(*text);
  if (const TiXmlElement* standard = element.FirstChildElement("standard")) {
    const char* KANAELE[4] = {"r", "g", "b", "a"};
    for (int i = 0; i < 4; ++i) p.standard[i] = LiesFloatAttribut(*standard, KANAELE[i], p.standard[i]);
  }
  if (const TiXmlElement* konstante = element.FirstChildElement("konstante")) {
    if (const char* wert = konstante->Attribute("wert")) p.konstante = wert;
    else
      g_Log.Schreibe("!FilterEffekt::LadeAus(...): Der Konstanteneintrag im %d. Parameter des Filtereffekts \"%s\" hat kein "
                     "\"wert\"-Atribut.",
                     nummer, name.c_str());
  } else {
    g_Log.Schreibe("!FilterEffekt::LadeAus(...): Der %d. Parameter in Filtereffekt \"%s\" hat kein \"konstante\"-Element.", nummer,
                   name.c_str());
  }
  parameter.push_back(std::move(p));
}

void FilterEffekt::SucheParameterHandles() {
  parameterHandles.assign(filter.size(), {});
  for (size_t f = 0; f < filter.size(); ++f)
    for (const Parameter& p : parameter)
      parameterHandles[f].push_back(p.konstante.empty() ? BildFilter::Filter::KEINE_KONSTANTE : filter[f]->GibKonstante(p.konstante));
}
