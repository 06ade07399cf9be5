#include "FilterSatz.h"

#include "FilterEffekt.h"
#include "FilterVerwaltung.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZeichenKontext.h"

FilterSatz::~FilterSatz() { GibBilderFrei(); }

void FilterSatz::GibBilderFrei() {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  for (Bild& bild : bilder) {
    if (bild.art != ZWISCHENBILD && bild.art != EFFEKT_TEXTUR) continue;
    if (kontext != nullptr) {
      kontext->GibFrei(bild.renderziel);
      kontext->GibFrei(bild.textur);
    }
    bild.renderziel = nullptr;
    bild.textur = nullptr;
  }
}

void FilterSatz::AddFilter(int32_t sequenzId, const FilterEffekt* effekt) {
  if (effekt == nullptr) {
    g_Log.Schreibe("!FilterSatz::AddFilter( %d): Kein Filtereffekt angegeben.", sequenzId);
    return;
  }
  if (const auto alt = effekte.find(sequenzId); alt != effekte.end())
    g_Log.Schreibe("?FilterSatz::AddFilter( \"%s\", %d): Bislang unter SequenzID %d aktiver Filter \"%s\" wird ersetzt.",
                   effekt->name.c_str(), sequenzId, sequenzId, alt->second->name.c_str());
  effekte[sequenzId] = effekt;
  FilterVerwaltung::BerechneFilterkette(*this);
}

void FilterSatz::EntferneFilter(int32_t sequenzId) {
  if (effekte.erase(sequenzId) == 0) {
    g_Log.Schreibe("!FilterSatz::EntferneFilter( %d): Kein Filter mit dieser SequenzID aktiv.", sequenzId);
    return;
  }
  FilterVerwaltung::BerechneFilterkette(*this);
}

void FilterSatz::SetParameter(const std::string& name, float r, float g, float b, float a) {
  for (Parameter& p : parameter)
    if (p.name == name) {
      p.wert[0] = r, p.wert[1] = g, p.wert[2] = b, p.wert[3] = a;
      return;
    }
  g_Log.Schreibe("!FilterSatz::SetParameter( \"%s\", ...): Kein Param diesen Namens bekannt.", name.c_str());
}
