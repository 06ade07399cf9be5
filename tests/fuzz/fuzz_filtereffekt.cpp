// Effect files over arbitrary bytes, loaded as one effect on the recording device with the real
// shader compiler. A loaded effect joins a set under id 0 after the shipped bloom at -3, and the
// set is drawn once at 64 x 36: every step's input and output images lie in the set, and no
// image is larger than the target.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FilterVerwaltung.h"
#include "FuzzLog.h"
#include "einheit/NullBildschirm.h"
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
  umgebung = new Umgebung;
  if (!umgebung->bildschirm.Offen() || umgebung->bloom == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  d3d9::null::AktuelleWelt()->Leere();
  FilterVerwaltung& verwaltung = umgebung->verwaltung;
  const FilterEffekt* effekt = verwaltung.LadeEffektAusText("fuzz", std::string_view(reinterpret_cast<const char*>(daten), groesse));
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
