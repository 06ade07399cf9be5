#include "Stil.h"

#include <string>

namespace Gui {

namespace {

// Splits off the first segment; `rest` becomes the part after the first '.', or empty.
std::string_view ErstesSegment(std::string_view pfad, std::string_view& rest) {
  const size_t punkt = pfad.find('.');
  if (punkt == std::string_view::npos) {
    rest = {};
    return pfad;
  }
  rest = pfad.substr(punkt + 1);
  return pfad.substr(0, punkt);
}

}  // namespace

const TEigenschaften* SucheStil(const TEigenschaften& knoten, std::string_view pfad) {
  const TEigenschaften* aktuell = &knoten;
  while (!pfad.empty()) {
    std::string_view rest;
    const std::string_view segment = ErstesSegment(pfad, rest);
    aktuell = aktuell->Kind(std::string(segment));
    if (!aktuell) return nullptr;
    pfad = rest;
  }
  return aktuell;
}

std::optional<float> LiesStilZahl(const TEigenschaften& knoten, std::string_view pfad) {
  const TEigenschaften* gefunden = SucheStil(knoten, pfad);
  if (!gefunden) return std::nullopt;
  if (const float* f = gefunden->Lies<float>()) return *f;
  if (const int32_t* i = gefunden->Lies<int32_t>()) return float(*i);
  if (const uint32_t* u = gefunden->Lies<uint32_t>()) return float(*u);
  return std::nullopt;
}

void SetzeStil(TEigenschaften& knoten, std::string_view pfad, float wert) {
  TEigenschaften* aktuell = &knoten;
  while (!pfad.empty()) {
    std::string_view rest;
    const std::string name(ErstesSegment(pfad, rest));
    auto [eintrag, neu] = aktuell->kinder.try_emplace(name, name);
    aktuell = &eintrag->second;
    pfad = rest;
  }
  aktuell->Setze(wert);
}

}  // namespace Gui
