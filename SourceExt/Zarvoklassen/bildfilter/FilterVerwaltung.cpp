#include "FilterVerwaltung.h"

#include <algorithm>
#include <exception>
#include <map>
#include <system_error>

#include <tinyxml.h>

#include "TDateiSystem.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_ZeichenKontext.h"

using BildFilter::Filter;

namespace {

constexpr const char* ERGEBNIS = "ergebnis";
constexpr const char* HDR_REFERENZ = "hdr_ref";

// Four vertices (x, y, z, w, u, v) and two triangles: the full-screen quad, v growing upwards.
const float QUAD_VERTICES[4][6] = {{-1, -1, 0.1f, 1, 0, 0}, {1, -1, 0.1f, 1, 1, 0}, {-1, 1, 0.1f, 1, 0, 1}, {1, 1, 0.1f, 1, 1, 1}};
const uint16_t QUAD_INDIZES[6] = {0, 1, 2, 1, 3, 2};
constexpr uint64_t QUAD_STRIDE = sizeof QUAD_VERTICES[0];
constexpr uint32_t TYP_FLOAT2 = 1, TYP_FLOAT4 = 3;  // Zarvo_VertexEingabe::AddKanal
constexpr uint64_t ALLES_LINEAR = 0x15, ALLES_BEGRENZT = 0x15, MAX_ANISOTROPIE = 16;

// The regular ".xml" files of the folder, by file name; file system errors throw.
std::vector<std::filesystem::path> EffektDateien(const std::filesystem::path& ordner) {
  std::vector<std::filesystem::path> dateien;
  for (const std::filesystem::directory_entry& eintrag : std::filesystem::directory_iterator(ordner))
    if (eintrag.path().extension() == ".xml" && eintrag.is_regular_file()) dateien.push_back(eintrag.path());
  std::sort(dateien.begin(), dateien.end(),
            [](const std::filesystem::path& a, const std::filesystem::path& b) { return a.filename() < b.filename(); });
  return dateien;
}

// ---- the chain ----

int FindeBild(const FilterSatz& satz, const std::string& name) {
  for (size_t i = 0; i < satz.bilder.size(); ++i)
    if (satz.bilder[i].name == name) return int(i);
  return -1;
}

void FuegeBildHinzu(FilterSatz& satz, uint32_t art, const std::string& name, uint64_t teiler = 1, uint32_t format = 0) {
  if (FindeBild(satz, name) < 0) satz.bilder.push_back({art, name, teiler, format, nullptr, nullptr});
}

// Engine inputs and one step per filter, effect by effect, then "hdr_ref". `effektNummer` receives
// each step's effect position in the set.
void SammleSchritte(FilterSatz& satz, std::vector<size_t>& effektNummer) {
  size_t nummer = 0;
  for (const auto& [id, effekt] : satz.effekte) {
    for (const std::string& name : effekt->eingaben) FuegeBildHinzu(satz, FilterSatz::ENGINE_ERGEBNIS, name);
    for (size_t f = 0; f < effekt->filter.size(); ++f) {
      FilterSatz::Schritt schritt;
      schritt.effekt = effekt;
      schritt.filter = effekt->filter[f].get();
      schritt.filterIndex = f;
      satz.schritte.push_back(std::move(schritt));
      effektNummer.push_back(nummer);
    }
    ++nummer;
  }
  FuegeBildHinzu(satz, FilterSatz::HDR_REFERENZ, HDR_REFERENZ);
}

// Effect textures, parameters with their defaults, output images.
void SammleTexturenParameterAusgaben(FilterSatz& satz) {
  for (const FilterSatz::Schritt& s : satz.schritte)
    for (const FilterEffekt::Textur& t : s.effekt->texturen) {
      const int vorhanden = FindeBild(satz, t.name);
      if (vorhanden < 0) FuegeBildHinzu(satz, FilterSatz::EFFEKT_TEXTUR, t.name);
      else if (satz.bilder[size_t(vorhanden)].art != FilterSatz::EFFEKT_TEXTUR)
        g_Log.Schreibe("!Filtereffekt \"%s\" definiert Eingabetextur \"%s\", die vorher schon Renderziel war.",
                       s.effekt->name.c_str(), t.name.c_str());
    }
  for (const FilterSatz::Schritt& s : satz.schritte)
    for (const FilterEffekt::Parameter& p : s.effekt->parameter) {
      const bool bekannt = std::any_of(satz.parameter.begin(), satz.parameter.end(),
                                       [&](const FilterSatz::Parameter& q) { return q.name == p.name; });
      if (!bekannt) satz.parameter.push_back({p.name, {p.standard[0], p.standard[1], p.standard[2], p.standard[3]}});
    }
  for (const FilterSatz::Schritt& s : satz.schritte) {
    const Filter& f = *s.filter;
    if (f.ausgabeName == ERGEBNIS || f.ausgabeName == HDR_REFERENZ) continue;
    const int vorhanden = FindeBild(satz, f.ausgabeName);
    if (vorhanden < 0) {
      FuegeBildHinzu(satz, FilterSatz::ZWISCHENBILD, f.ausgabeName, f.teiler, f.pixelformat);
      continue;
    }
    const FilterSatz::Bild& bild = satz.bilder[size_t(vorhanden)];
    if (bild.art != FilterSatz::ZWISCHENBILD || bild.teiler != f.teiler)
      g_Log.Schreibe("!FilterEffekt \"%s\", Filter \"%s\" definiert Ausgabebild mit konfliktbehafteten Parametern.",
                     s.effekt->name.c_str(), f.name.c_str());
  }
}

bool LiestErgebnis(const Filter& filter) {
  return std::any_of(filter.eingaben.begin(), filter.eingaben.end(), [](const Filter::Eingabe& e) { return e.name == ERGEBNIS; });
}

// The nearest step before k writing "ergebnis", or -1.
int LetzterErgebnisSchreiber(const FilterSatz& satz, size_t k) {
  for (size_t j = k; j-- > 0;)
    if (satz.schritte[j].filter->ausgabeName == ERGEBNIS) return int(j);
  return -1;
}

// Whether a step after k of another effect reads "ergebnis".
bool SpaeterGelesen(const FilterSatz& satz, const std::vector<size_t>& effektNummer, size_t k) {
  for (size_t j = k + 1; j < satz.schritte.size(); ++j)
    if (effektNummer[j] != effektNummer[k] && LiestErgebnis(*satz.schritte[j].filter)) return true;
  return false;
}

// The two shared "ergebnis" intermediates, created when first needed, outside the name index.
struct Zwischenergebnisse {
  int bilder[2] = {-1, -1};
  size_t naechstes = 0;

  int Naechstes(FilterSatz& satz) {
    int& bild = bilder[naechstes++ % 2];
    if (bild < 0) {
      bild = int(satz.bilder.size());
      satz.bilder.push_back({FilterSatz::ZWISCHENBILD, ERGEBNIS, 1, 0, nullptr, nullptr});
    }
    return bild;
  }
};

// The images of one step: its inputs, then its output (which later steps' inputs need).
void OrdneZu(FilterSatz& satz, const std::map<std::string, int>& index, const std::vector<size_t>& effektNummer, size_t k,
             Zwischenergebnisse& zwischen) {
  FilterSatz::Schritt& s = satz.schritte[k];
  const Filter& f = *s.filter;
  const int vorher = LetzterErgebnisSchreiber(satz, k);
  const int vorherAusgabe = vorher < 0 ? FilterSatz::ENDZIEL : satz.schritte[size_t(vorher)].ausgabe;
  bool liest = false;
  for (size_t i = 0; i < f.eingaben.size(); ++i) {
    const std::string& name = f.eingaben[i].name;
    if (name == ERGEBNIS) {
      liest = true;
      s.eingaben.push_back(std::max(vorherAusgabe, 0));
      continue;
    }
    const auto gefunden = index.find(name);
    if (gefunden == index.end())
      g_Log.Schreibe("!FilterVerwaltung::BerechneFilterkette(): Das %d. Eingabebild \"%s\" des Filters \"%s\" im Effekt \"%s\" "
                     "konnte nicht zugeordnet werden. Rohbild der Engine wird verwendet.",
                     int(i), name.c_str(), f.name.c_str(), s.effekt->name.c_str());
    s.eingaben.push_back(gefunden == index.end() ? 0 : gefunden->second);
  }
  if (liest) satz.liestErgebnis = 1;
  if (f.ausgabeName != ERGEBNIS) s.ausgabe = index.at(f.ausgabeName);
  else if (!liest) s.ausgabe = vorherAusgabe;
  else s.ausgabe = SpaeterGelesen(satz, effektNummer, k) ? zwischen.Naechstes(satz) : FilterSatz::ENDZIEL;
}

// ---- drawing ----

uint64_t Geteilt(uint64_t groesse, uint64_t teiler) { return std::max<uint64_t>(1, groesse / teiler); }

Zarvo_Textur* SucheErgebnis(const std::vector<FilterVerwaltung::EngineErgebnis>& ergebnisse, const std::string& name) {
  for (const FilterVerwaltung::EngineErgebnis& e : ergebnisse)
    if (e.name == name) return e.textur;
  return nullptr;
}

// Every image at the target's size: engine results looked up, intermediates (re-)created.
void BereiteBilderVor(Zarvo_ZeichenKontext& kontext, FilterSatz& satz, const std::vector<FilterVerwaltung::EngineErgebnis>& ergebnisse,
                      const FilterVerwaltung::Ziel& ziel, const FilterVerwaltung::Resourcen& resourcen) {
  for (FilterSatz::Bild& bild : satz.bilder) {
    if (bild.art == FilterSatz::ENGINE_ERGEBNIS) bild.textur = SucheErgebnis(ergebnisse, bild.name);
    if (bild.art == FilterSatz::HDR_REFERENZ) {
      bild.textur = resourcen.hdrReferenz;
      bild.renderziel = resourcen.hdrReferenzZiel;
    }
    if (bild.art != FilterSatz::ZWISCHENBILD) continue;
    const uint64_t w = Geteilt(ziel.breite, bild.teiler), h = Geteilt(ziel.hoehe, bild.teiler);
    if (bild.textur && bild.textur->breite == w && bild.textur->hoehe == h) continue;
    kontext.GibFrei(bild.renderziel);
    kontext.GibFrei(bild.textur);
    bild.textur = kontext.ErzeugeTextur(w, h, 1, bild.pixelformat | Zarvo_BasisObjekt::FLAG_FLUECHTIG | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
    bild.renderziel = kontext.ErzeugeRenderziel(Zarvo_RenderzielBeschr(bild.textur, nullptr));
  }
}

bool IstFarbpuffer(const Zarvo_Renderziel* ziel, const Zarvo_Textur* textur) {
  if (ziel == nullptr || textur == nullptr) return false;
  const Zarvo_RenderzielBeschr& b = ziel->beschreibung;
  for (uint64_t i = 0; i < b.anzahl && i < uint64_t(Zarvo_RenderzielBeschr::MAX_FARBBUFFER); ++i)
    if (b.farbBuffer[i] == textur) return true;
  return false;
}

}  // namespace

// ---- the manager ----

FilterVerwaltung::FilterVerwaltung(const std::filesystem::path& ordner) : ordner(ordner) {
  std::vector<std::filesystem::path> dateien;
  try {
    dateien = EffektDateien(ordner);
  } catch (const std::filesystem::filesystem_error& fehler) {
    ZARVO_AUSNAHME(fehler.what());
  }
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr) return;
  ErzeugeResourcen(*kontext);
  for (const std::filesystem::path& datei : dateien) InternLadeEffekt(datei);
}

FilterVerwaltung::~FilterVerwaltung() {
  effekte.clear();
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr) return;
  for (Zarvo_BasisObjekt* objekt : std::initializer_list<Zarvo_BasisObjekt*>{eingabe, quadVertices, quadIndizes}) kontext->GibFrei(objekt);
  for (Zarvo_Sampler* s : sampler) kontext->GibFrei(s);
}

void FilterVerwaltung::ErzeugeResourcen(Zarvo_ZeichenKontext& kontext) {
  eingabe = kontext.ErzeugeVertexEingabe();
  eingabe->AddKanal(0, TYP_FLOAT4, 0, false);
  eingabe->AddKanal(0, TYP_FLOAT2, 16, false);
  eingabe->Beenden();
  quadVertices = kontext.ErzeugeVertexBuffer(sizeof QUAD_VERTICES, 0, {const_cast<float(*)[6]>(QUAD_VERTICES), sizeof QUAD_VERTICES, 0});
  quadIndizes = kontext.ErzeugeIndexBuffer(0, Zarvo_IndexBuffer::INDEX16, {const_cast<uint16_t*>(QUAD_INDIZES), sizeof QUAD_INDIZES, 0});
  for (int i = 0; i < 4; ++i) {
    Zarvo_SamplerBeschr b{};
    b.filter = i >= 2 ? ALLES_LINEAR : 0;
    b.adresse = i % 2 ? ALLES_BEGRENZT : 0;
    b.maxAnisotropie = MAX_ANISOTROPIE;
    sampler[i] = kontext.ErzeugeSampler(b);
  }
}

const FilterEffekt* FilterVerwaltung::GibEffekt(const std::string& name) const {
  for (const std::unique_ptr<FilterEffekt>& effekt : effekte)
    if (effekt->name == name) return effekt.get();
  return nullptr;
}

void FilterVerwaltung::InternLadeEffekt(const std::filesystem::path& datei) {
  std::string text;
  if (!TDateiSystem::LiesInhalt(datei, text)) {
    g_Log.Schreibe("!FilterVerwaltung::InternLadeEffekt(): Datei \"%s\" ist nicht lesbar.", datei.string().c_str());
    return;
  }
  LadeEffekt(datei.stem().string(), text, datei.string());
}

const FilterEffekt* FilterVerwaltung::LadeEffektAusText(const std::string& name, std::string_view text) {
  return LadeEffekt(name, text, name);
}

const FilterEffekt* FilterVerwaltung::LadeEffekt(const std::string& name, std::string_view text, const std::string& quelle) {
  TiXmlDocument dokument;
  if (!ParseXmlBegrenzt(text, dokument, MAX_ELEMENTE)) {
    if (dokument.Error()) g_Log.Schreibe("!Zeile %d: %s", dokument.ErrorRow(), dokument.ErrorDesc());
    else g_Log.Schreibe("!Zeile %d: mehr als %d Elemente", 0, MAX_ELEMENTE);
    return nullptr;
  }
  const TiXmlElement* wurzel = dokument.RootElement();
  if (wurzel == nullptr || wurzel->ValueStr() != "filtereffekt") {
    g_Log.DebugAusgabe("FilterVerwaltung::InternLadeEffekt(): \"%s\" ist kein Filtereffekt (Wurzel <%s>).", quelle.c_str(),
                       wurzel ? wurzel->Value() : "");
    return nullptr;
  }
  try {
    auto effekt = std::make_unique<FilterEffekt>();
    effekt->LadeAus(name, *wurzel, eingabe);
    effekte.push_back(std::move(effekt));
    return effekte.back().get();
  } catch (const Zarvo_Ausnahme& ausnahme) {
    g_Log.Schreibe("?FilterVerwaltung::InternLadeEffekt(): Laden des Filtereffekts \"%s\" ist gescheitert - \"%s\".", quelle.c_str(),
                   ausnahme.meldung.c_str());
  } catch (const std::exception& ausnahme) {
    g_Log.Schreibe("?FilterVerwaltung::InternLadeEffekt(): Laden des Filtereffekts \"%s\" ist gescheitert - \"%s\".", quelle.c_str(),
                   ausnahme.what());
  }
  return nullptr;
}

// ---- computing the chain ----

void FilterVerwaltung::BerechneFilterkette(FilterSatz& satz) {
  satz.schritte.clear();
  satz.parameter.clear();
  satz.GibBilderFrei();
  satz.bilder.clear();
  satz.liestErgebnis = 0;
  satz.rueckkopplungGemeldet = false;

  std::vector<size_t> effektNummer;
  SammleSchritte(satz, effektNummer);
  SammleTexturenParameterAusgaben(satz);
  std::map<std::string, int> index;
  for (size_t i = 0; i < satz.bilder.size(); ++i) index.emplace(satz.bilder[i].name, int(i));
  Zwischenergebnisse zwischen;
  for (size_t k = 0; k < satz.schritte.size(); ++k) OrdneZu(satz, index, effektNummer, k, zwischen);
  for (FilterSatz::Schritt& s : satz.schritte)
    for (const FilterEffekt::Parameter& p : s.effekt->parameter) {
      const auto gefunden = std::find_if(satz.parameter.begin(), satz.parameter.end(),
                                         [&](const FilterSatz::Parameter& q) { return q.name == p.name; });
      s.parameter.push_back(gefunden == satz.parameter.end() ? -1 : int(gefunden - satz.parameter.begin()));
    }
}

// ---- drawing ----

FilterVerwaltung::Resourcen FilterVerwaltung::GibResourcen() const {
  Resourcen r;
  r.quadVertices = quadVertices;
  r.quadIndizes = quadIndizes;
  std::copy(std::begin(sampler), std::end(sampler), r.sampler);
  return r;
}

void FilterVerwaltung::WendeFilterAn(FilterSatz& satz, Zarvo_Textur* quelle, const Ziel& ziel) {
  ZeichneFilter(satz, {{ERGEBNIS, quelle}}, ziel, GibResourcen());
}

void FilterVerwaltung::WendeFilterAn(FilterSatz& satz, const std::vector<EngineErgebnis>& ergebnisse, const Ziel& ziel) {
  ZeichneFilter(satz, ergebnisse, ziel, GibResourcen());
}

void FilterVerwaltung::ZeichneFilter(FilterSatz& satz, const std::vector<EngineErgebnis>& ergebnisse, const Ziel& ziel,
                                     const Resourcen& resourcen) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr || satz.schritte.empty() || ziel.breite == 0 || ziel.hoehe == 0) return;
  BereiteBilderVor(*kontext, satz, ergebnisse, ziel, resourcen);
  kontext->SetRueckseite(0);
  for (const FilterSatz::Schritt& schritt : satz.schritte) ZeichneSchritt(*kontext, satz, schritt, ziel, resourcen);
}

void FilterVerwaltung::ZeichneSchritt(Zarvo_ZeichenKontext& kontext, FilterSatz& satz, const FilterSatz::Schritt& schritt,
                                      const Ziel& ziel, const Resourcen& resourcen) {
  const Filter& filter = *schritt.filter;
  const FilterSatz::Bild* ausgabe = schritt.ausgabe >= 0 ? &satz.bilder[size_t(schritt.ausgabe)] : nullptr;
  // An output that is no intermediate would select the back buffer in the middle of the chain.
  if (ausgabe != nullptr && ausgabe->renderziel == nullptr) return;
  kontext.SetProgramm(filter.shader.programm);
  kontext.SetVertexBuffer(0, resourcen.quadVertices, 0, QUAD_STRIDE);
  kontext.SetIndexBuffer(resourcen.quadIndizes);
  kontext.SetTiefeZustand(nullptr);
  Zarvo_Renderziel* renderziel = ausgabe ? ausgabe->renderziel : ziel.renderziel;
  kontext.SetRenderZiel(renderziel);
  if (ausgabe != nullptr)
    kontext.SetRenderBereich(0, 0, Geteilt(ziel.breite, ausgabe->teiler), Geteilt(ziel.hoehe, ausgabe->teiler));
  else
    kontext.SetRenderBereich(ziel.x, ziel.y, ziel.breite, ziel.hoehe);
  if (kontext.viewport.breite == 0 || kontext.viewport.hoehe == 0) return;  // the viewport lies outside the target
  kontext.SetAlphaZustand(filter.alphaZustand);

  for (size_t i = 0; i < filter.eingaben.size(); ++i) {
    const Filter::Eingabe& e = filter.eingaben[i];
    const FilterSatz::Bild& bild = satz.bilder[size_t(schritt.eingaben[i])];
    Zarvo_Textur* gebunden = bild.textur;
    // Reading a colour buffer of the target drawn into is undefined: the input stays unbound.
    if (IstFarbpuffer(renderziel, bild.textur)) {
      gebunden = nullptr;
      if (!satz.rueckkopplungGemeldet)
        g_Log.Schreibe("!FilterVerwaltung::ZeichneFilter(): Filter \"%s\" im Effekt \"%s\" liest das Bild, in das er zeichnet; "
                       "die Eingabe bleibt ohne Textur.",
                       filter.name.c_str(), schritt.effekt->name.c_str());
      satz.rueckkopplungGemeldet = true;
    }
    if ((e.samplerHandle & 0xFF) != 0xFF)
      kontext.SetTextur(e.samplerHandle, resourcen.sampler[(e.filterung != 0 ? 2 : 0) + (e.adressierung != 0 ? 1 : 0)], gebunden);
    if (e.konstantenHandle == Filter::KEINE_KONSTANTE) continue;
    if (bild.textur == nullptr) {
      kontext.SetProgrammKonstante(e.konstantenHandle, 1.0f, 1.0f, 0.0f, 0.0f);
      continue;
    }
    const float tw = float(bild.textur->breite), th = float(bild.textur->hoehe);
    kontext.SetProgrammKonstante(e.konstantenHandle, float(Geteilt(ziel.breite, bild.teiler)) / tw,
                                 float(Geteilt(ziel.hoehe, bild.teiler)) / th, 1.0f / tw, 1.0f / th);
  }
  for (size_t p = 0; p < schritt.parameter.size(); ++p) {
    const uint32_t handle = schritt.effekt->ParameterHandle(schritt.filterIndex, p);
    if (handle == Filter::KEINE_KONSTANTE || schritt.parameter[p] < 0) continue;
    const float* wert = satz.parameter[size_t(schritt.parameter[p])].wert;
    kontext.SetProgrammKonstante(handle, wert[0], wert[1], wert[2], wert[3]);
  }
  if (filter.posOffsetHandle != Filter::KEINE_KONSTANTE)
    kontext.SetProgrammKonstante(filter.posOffsetHandle, -0.5f / float(kontext.viewport.breite), 0.5f / float(kontext.viewport.hoehe),
                                 0.0f, 0.0f);
  kontext.ZeichneIndexElemente(0, 2);
}
