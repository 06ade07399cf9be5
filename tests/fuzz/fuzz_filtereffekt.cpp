// Effect files over arbitrary bytes, loaded as one effect on the recording device with the real
// shader compiler. A loaded effect joins a set under id 0 after the shipped bloom at -3, and the
// set is drawn once at 64 x 36: every step's input and output images lie in the set, and no
// image is larger than the target.
//
// Shader texts are compiled only when they are ones the seeds hold (the shipped filters and the
// unit tests' cases, broken ones included): glslang 12 crashes on some invalid HLSL that no text
// check of ours can tell apart ("p ---- p"), so mutated shader code would find the compiler's
// faults, not the reader's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <tinyxml.h>

#include "FilterVerwaltung.h"
#include "FilterVorlagen.h"
#include "FuzzLog.h"
#include "einheit/NullBildschirm.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Textur.h"

namespace {

constexpr uint64_t B = 64, H = 36;

struct Umgebung {
  NullBildschirm bildschirm{B, H};
  FilterVerwaltung verwaltung{MORVELUNT_DATEN_QUELLE};
  const FilterEffekt* bloom = verwaltung.GibEffekt("bloom");
  Zarvo_Textur* quelle = bildschirm.Kontext()->ErzeugeTextur(B, H, 1, PXFMT_A16B16G16R16F | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
};
Umgebung* umgebung = nullptr;
std::set<std::string>* bekannteShader = nullptr;

// The shader texts of an effect text as the loader reads them: the first <vertexShader> and
// <pixelShader> of each <filter> under a <filtereffekt> root.
std::vector<std::string> ShaderTexte(std::string_view text) {
  std::vector<std::string> texte;
  TiXmlDocument dokument;
  if (!ParseXmlBegrenzt(text, dokument, FilterVerwaltung::MAX_ELEMENTE)) return texte;
  const TiXmlElement* wurzel = dokument.RootElement();
  if (wurzel == nullptr || wurzel->ValueStr() != "filtereffekt") return texte;
  for (const TiXmlElement* f = wurzel->FirstChildElement("filter"); f != nullptr; f = f->NextSiblingElement("filter"))
    for (const char* art : {"vertexShader", "pixelShader"})
      if (const TiXmlElement* shader = f->FirstChildElement(art)) texte.push_back(XmlElementText(*shader));
  return texte;
}

void SammleBekannteShader() {
  bekannteShader = new std::set<std::string>;
  std::vector<std::string> quellen;
  for (const auto& eintrag : std::filesystem::directory_iterator(MORVELUNT_DATEN_QUELLE)) {
    if (eintrag.path().extension() != ".xml") continue;
    std::ifstream datei(eintrag.path(), std::ios::binary);
    quellen.emplace_back(std::istreambuf_iterator<char>(datei), std::istreambuf_iterator<char>());
  }
  for (const filtervorlagen::EffektFall& fall : filtervorlagen::EffektFaelle()) quellen.push_back(fall.text);
  for (const std::string& quelle : quellen)
    for (std::string& text : ShaderTexte(quelle)) bekannteShader->insert(std::move(text));
}

bool NurBekannteShader(std::string_view text) {
  for (const std::string& shader : ShaderTexte(text))
    if (!shader.empty() && bekannteShader->count(shader) == 0) return false;
  return true;
}

void PruefeKette(const FilterSatz& satz) {
  const int bilder = int(satz.bilder.size());
  for (const FilterSatz::Schritt& s : satz.schritte) {
    if (s.eingaben.size() != s.filter->eingaben.size()) std::abort();
    for (int i : s.eingaben)
      if (i < 0 || i >= bilder) std::abort();
    if (s.ausgabe < FilterSatz::ENDZIEL || s.ausgabe >= bilder) std::abort();
  }
}

void PruefeBilder(const FilterSatz& satz) {
  for (const FilterSatz::Bild& b : satz.bilder)
    if (b.art == FilterSatz::ZWISCHENBILD && b.textur && (b.textur->breite > B || b.textur->hoehe > H)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  SammleBekannteShader();
  umgebung = new Umgebung;
  if (!umgebung->bildschirm.Offen() || umgebung->bloom == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  const std::string_view text(reinterpret_cast<const char*>(daten), groesse);
  if (!NurBekannteShader(text)) return 0;
  d3d9::null::AktuelleWelt()->Leere();
  FilterVerwaltung& verwaltung = umgebung->verwaltung;
  const FilterEffekt* effekt = verwaltung.LadeEffektAusText("fuzz", text);
  if (effekt == nullptr) return 0;
  {
    FilterSatz satz;
    satz.AddFilter(-3, umgebung->bloom);
    satz.AddFilter(0, effekt);
    PruefeKette(satz);
    verwaltung.WendeFilterAn(satz, umgebung->quelle, {nullptr, 0, 0, B, H});
    PruefeBilder(satz);
  }
  verwaltung.effekte.pop_back();
  return 0;
}
