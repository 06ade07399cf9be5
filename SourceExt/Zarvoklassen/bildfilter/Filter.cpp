#include "Filter.h"

#include <charconv>
#include <string_view>
#include <utility>
#include <unordered_map>

#include <tinyxml.h>

#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Pixelformat.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

namespace BildFilter {

namespace {

constexpr uint32_t BLEND_ADDIEREN = 0;
constexpr uint32_t FAKTOR_NULL = 0, FAKTOR_EINS = 1;

// The output formats by keyword; "r16", "g16r16" and "a16b16g16r16" are the float formats.
const std::unordered_map<std::string_view, uint32_t>& PixelformatTabelle() {
  static const std::unordered_map<std::string_view, uint32_t> tabelle = {
      {"a8r8g8b8", PXFMT_A8R8G8B8},   {"r5g6b5", PXFMT_R5G6B5},
      {"r10g10b10a2", PXFMT_A2B10G10R10}, {"r16", PXFMT_R16F},
      {"g16r16", PXFMT_G16R16F},      {"a16b16g16r16", PXFMT_A16B16G16R16F},
      {"r32", PXFMT_R32F},            {"g32b32", PXFMT_G32R32F},
      {"a32b32g32r32", PXFMT_A32B32G32R32F}, {"g16r16_fix", PXFMT_G16R16},
      {"a16b16g16r16_fix", PXFMT_A16B16G16R16}, {"r8", PXFMT_A8},
  };
  return tabelle;
}

// The blend factor of a keyword; false for any other text.
bool BlendFaktor(std::string_view wort, uint32_t& faktor) {
  static constexpr struct {
    std::string_view wort;
    uint32_t faktor;
  } FAKTOREN[] = {{"null", FAKTOR_NULL}, {"eins", FAKTOR_EINS}, {"alpha", 2}, {"invalpha", 4}};
  for (const auto& f : FAKTOREN)
    if (f.wort == wort) {
      faktor = f.faktor;
      return true;
    }
  return false;
}

// A divider: the whole text decimal digits and at least 1.
bool LiesTeiler(std::string_view text, uint64_t& teiler) {
  uint64_t wert = 0;
  const auto [ende, fehler] = std::from_chars(text.data(), text.data() + text.size(), wert);
  if (fehler != std::errc() || ende != text.data() + text.size() || wert == 0) return false;
  teiler = wert;
  return true;
}

// The code of an attribute that is one of two words (absent: `code` stays); false for another word.
bool LiesCode(const TiXmlElement& element, const char* attribut, std::pair<std::string_view, uint32_t> a,
              std::pair<std::string_view, uint32_t> b, uint32_t& code) {
  const char* wort = element.Attribute(attribut);
  if (wort == nullptr) return true;
  if (wort != a.first && wort != b.first) return false;
  code = wort == a.first ? a.second : b.second;
  return true;
}

}  // namespace

Filter::Filter(const std::string& name, const TiXmlElement& element, Zarvo_VertexEingabe* eingabe) : name(name) {
  if (!LadeAus(element, eingabe)) {
    GibFrei();
    ZARVO_AUSNAHME("Laden des Filters gescheitert");
  }
}

Filter::~Filter() { GibFrei(); }

void Filter::GibFrei() {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr) return;
  Zarvo_ShaderTools::GibFrei(*kontext, shader);
  kontext->GibFrei(alphaZustand);
  shader = {};
  alphaZustand = nullptr;
}

uint32_t Filter::GibKonstante(const std::string& konstante) const {
  return shader.programm ? shader.programm->GibKonstante(konstante) : KEINE_KONSTANTE;
}

bool Filter::LadeAus(const TiXmlElement& element, Zarvo_VertexEingabe* eingabe) {
  int nummer = 0;
  for (const TiXmlElement* e = element.FirstChildElement("eingabe"); e != nullptr; e = e->NextSiblingElement("eingabe"))
    if (!LiesEingabe(*e, ++nummer)) return false;
  if (const TiXmlElement* ausgabe = element.FirstChildElement("ausgabe"); ausgabe && !LiesAusgabe(*ausgabe)) return false;
  uint32_t quelle = FAKTOR_EINS, ziel = FAKTOR_NULL;
  if (const TiXmlElement* blending = element.FirstChildElement("alphablending");
      blending && !LiesAlphaBlending(*blending, quelle, ziel))
    return false;
  for (const TiXmlElement* e = element.FirstChildElement("alphatest"); e != nullptr; e = e->NextSiblingElement("alphatest"))
    g_Log.Schreibe("?Filter::LadeAus(...): Element <alphatest> wird nicht mehr unterstützt.");
  if (!LiesShaderTexte(element) || !Kompiliere(eingabe)) return false;
  if (quelle != FAKTOR_EINS || ziel != FAKTOR_NULL)
    alphaZustand = Zarvo_Screen3D::GibZeichenKontext()->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(BLEND_ADDIEREN, quelle, ziel));
  return true;
}

bool Filter::LiesEingabe(const TiXmlElement& element, int nummer) {
  Eingabe e;
  const char* name = element.Attribute("name");
  const char* sampler = element.Attribute("sampler");
  const char* konstante = element.Attribute("konstante");
  if (name == nullptr) {
    g_Log.Schreibe("!Filter::LadeAus(...): %d. Eingabe muss einen Namen über \"name\" definieren.", nummer);
    return false;
  }
  if (sampler == nullptr) {
    g_Log.Schreibe("!Filter::LadeAus(...): %d. Eingabe muss einen Textursampler über \"sampler\" definieren.", nummer);
    return false;
  }
  if (konstante == nullptr) {
    g_Log.Schreibe("!Filter::LadeAus(...): %d. Eingabe muss eine Shaderkonstante über \"konstante\" definieren.", nummer);
    return false;
  }
  if (!LiesCode(element, "koords", {"begrenzen", BEGRENZEN}, {"wiederholen", WIEDERHOLEN}, e.adressierung)) {
    g_Log.Schreibe("!Filter::LadeAus(...): Ungültige Texkoord-Einstellung in der %d. Eingabe. Gültige Werte sind \"begrenzen\" "
                   "und \"wiederholen\".",
                   nummer);
    return false;
  }
  if (!LiesCode(element, "filter", {"punkt", PUNKT}, {"linear", LINEAR}, e.filterung)) {
    g_Log.Schreibe("!Filter::LadeAus(...): Ungültige Texturfilter-Einstellung in der %d. Eingabe. Gültige Werte sind \"punkt\" "
                   "und \"linear\".",
                   nummer);
    return false;
  }
  e.name = name;
  e.sampler = sampler;
  e.konstante = konstante;
  eingaben.push_back(std::move(e));
  return true;
}

bool Filter::LiesAusgabe(const TiXmlElement& element) {
  const char* name = element.Attribute("name");
  if (name == nullptr) {
    g_Log.Schreibe("!Filter::LadeAus(...): Die Ausgabe muss einen Namen über \"name\" definieren.");
    return false;
  }
  ausgabeName = name;
  if (const char* teilerText = element.Attribute("teiler"); teilerText != nullptr && ausgabeName != "ergebnis") {
    if (!LiesTeiler(teilerText, teiler)) {
      g_Log.Schreibe("!Filter::LadeAus(...): Ungültige Angabe im Attribut \"teiler\" der Ausgabebild-Angabe.");
      teiler = 1;
    }
  }
  if (const char* format = element.Attribute("pxfmt")) {
    const auto& tabelle = PixelformatTabelle();
    if (const auto gefunden = tabelle.find(format); gefunden != tabelle.end()) {
      pixelformat = gefunden->second;
    } else {
      g_Log.Schreibe("!Filter::LadeAus(...): Ungültiges PixelFormat \"%s\"im Attribut \"pxfmt\", gültig sind a8r8g8b8, r5g6b5, "
                     "r10g10b10a2, r16, g16r16, a16b16g16r16, r32, g32b32, a32b32g32r32, g16r16_fix, a16b16g16r16_fix, r8",
                     format);
    }
  }
  return true;
}

bool Filter::LiesAlphaBlending(const TiXmlElement& element, uint32_t& quelle, uint32_t& ziel) {
  for (auto [attribut, faktor] : {std::pair<const char*, uint32_t*>{"quelle", &quelle}, {"ziel", &ziel}}) {
    const char* wort = element.Attribute(attribut);
    if (wort == nullptr || BlendFaktor(wort, *faktor)) continue;
    g_Log.Schreibe("!Filter::LadeAus(...): Ungültige AlphaBlending-Angabe im Attribut \"%s\". Gültige Werte sind \"eins\", "
                   "\"null\", \"alpha\" und \"invalpha\".",
                   attribut);
    return false;
  }
  return true;
}

bool Filter::LiesShaderTexte(const TiXmlElement& element) {
  if (const TiXmlElement* vs = element.FirstChildElement("vertexShader")) vertexShaderText = XmlElementText(*vs);
  if (vertexShaderText.empty()) {
    g_Log.Schreibe("!Filter::LadeAus(...): Filter muss VertexShader-Code definieren.");
    return false;
  }
  if (const TiXmlElement* ps = element.FirstChildElement("pixelShader")) pixelShaderText = XmlElementText(*ps);
  if (pixelShaderText.empty()) {
    g_Log.Schreibe("!Filter::LadeAus(...): Filter muss ein PixelShader-Skript definieren.");
    return false;
  }
  return true;
}

bool Filter::Kompiliere(Zarvo_VertexEingabe* eingabe) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  Zarvo_ShaderFehler fehler;
  if (kontext != nullptr)
    shader = Zarvo_ShaderTools::ErzeugeProgrammAusTextLeise(*kontext, eingabe, vertexShaderText.c_str(), pixelShaderText.c_str(), fehler);
  if (shader.programm == nullptr) {
    g_Log.Schreibe("!Filter::LadeAus(...): Fehler beim Kompilieren des %s.",
                   fehler.stufe == Zarvo_ShaderFehler::PIXEL ? "PixelShaders" : "VertexShaders");
    if (!fehler.meldungen.empty()) g_Log.Schreibe("!%s", fehler.meldungen.c_str());
    return false;
  }
  for (Eingabe& e : eingaben) {
    e.samplerHandle = shader.programm->GibSampler(e.sampler);
    e.konstantenHandle = shader.programm->GibKonstante(e.konstante);
  }
  posOffsetHandle = shader.programm->GibKonstante("gPosOffset");
  return true;
}

}  // namespace BildFilter
