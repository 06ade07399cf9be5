#include "Zarvo_Konfig.h"

#include <string>

#include <tinyxml.h>

#include "TDateiSystem.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Start.h"
#include "Zarvo_Variable.h"

void Zarvo_Konfig::Lade(const std::filesystem::path& verzeichnis, const char* dateiName) {
  g_KonfigPfad = verzeichnis / dateiName;
  std::string inhalt;
  TiXmlDocument dokument;
  if (!TDateiSystem::LiesInhalt(g_KonfigPfad, inhalt) || !LiesDokument(inhalt, dokument)) {
    g_Log.Schreibe("?Keine Konfig-Datei gefunden, benutze Standardwerte.");
    return;
  }
  FuelleAus(dokument);
}

bool Zarvo_Konfig::LiesDokument(std::string_view text, TiXmlDocument& dokument) {
  return ParseXmlBegrenzt(text, dokument, MAX_ELEMENTE);
}

void Zarvo_Konfig::FuelleAus(const TiXmlDocument& dokument) {
  const TiXmlElement* wurzel = dokument.FirstChildElement();
  if (wurzel == nullptr || wurzel->FirstChildElement("var") == nullptr) {
    g_Log.Schreibe("?Konfig-Datei fehlerhaft, benutze Standardwerte.");
    return;
  }
  for (const TiXmlElement* var = wurzel->FirstChildElement("var"); var != nullptr;
       var = var->NextSiblingElement("var")) {
    const char* name = var->Attribute("name");
    const char* wert = var->Attribute("wert");
    if (name == nullptr || wert == nullptr) continue;
    if (Zarvo_Variable* variable = Zarvo_Variable::Finde(name)) {
      variable->SetzeText(wert);
    }
  }
}

void Zarvo_Konfig::Speichere() {
  TiXmlDocument dokument;
  dokument.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
  auto* wurzel = new TiXmlElement("config");
  dokument.LinkEndChild(wurzel);
  if (const auto* register_ = Zarvo_Variable::Register()) {
    for (const auto& [name, variable] : *register_) {
      if ((variable->flags & Zarvo_Variable::GESPEICHERT) == 0) continue;
      auto* var = new TiXmlElement("var");
      var->SetAttribute("name", name);
      var->SetAttribute("wert", variable->text);
      wurzel->LinkEndChild(var);
    }
  }
  TDateiSystem::Datei datei = TDateiSystem::OeffneDatei(g_KonfigPfad, "wb");
  if (!datei) return;
  dokument.Print(datei.Strom());
}
