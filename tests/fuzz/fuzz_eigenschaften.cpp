// The input as an XML property file: the loader's parse and fill steps, then every value written.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "TEigenschaften_Serialisierung.h"

namespace {

size_t SchreibeAlle(const TEigenschaften& knoten) {
  size_t laenge = knoten.AlsText().size();
  for (const auto& [name, kind] : knoten.kinder) laenge += SchreibeAlle(kind);
  return laenge;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  const std::string_view text(reinterpret_cast<const char*>(daten), groesse);
  TiXmlDocument dokument;
  if (!TEigenschaften_Serialisierung::LiesDokument(text, dokument)) return 0;
  TEigenschaften wurzel("wurzel");
  TEigenschaften_Serialisierung::FuelleAus(wurzel, dokument, false);
  SchreibeAlle(wurzel);
  return 0;
}
