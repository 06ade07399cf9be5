// spiel.cfg as the loader reads it: the guarded parse, then the assignment of the variables.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tinyxml.h>

#include "Zarvo_Konfig.h"
#include "Zarvo_Start.h"
#include "Zarvo_Variable.h"

namespace {

// The start-up values, restored before every input so that inputs do not build on each other.
std::vector<std::pair<Zarvo_Variable*, std::string>> Standardwerte() {
  std::vector<std::pair<Zarvo_Variable*, std::string>> werte;
  for (const auto& [name, variable] : *Zarvo_Variable::Register()) werte.emplace_back(variable, variable->text);
  return werte;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  static const auto standard = Standardwerte();
  for (const auto& [variable, text] : standard) variable->SetzeText(text);

  TiXmlDocument dokument;
  if (Zarvo_Konfig::LiesDokument(std::string_view(reinterpret_cast<const char*>(daten), groesse), dokument))
    Zarvo_Konfig::FuelleAus(dokument);
  return 0;
}
