// The preprocessor on arbitrary source text, with two include files (one including itself):
// every input ends with a result of 0 or 1 and never crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "../einheit/PraeprozessorHilfe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  g_cppDateien = {{"inc/a.inc", "#define A(x) x x\n#include \"b.inc\"\n"}, {"inc/b.inc", "b\n#include \"b.inc\"\n"}};
  g_cppVersuche.clear();
  const CppLauf l = Praeprozessiere(std::string(reinterpret_cast<const char*>(daten), groesse),
                                    {{CPPTAG_INCLUDE_VERZEICHNIS, uintptr_t("inc")}});
  if (l.ergebnis != 0 && l.ergebnis != 1) abort();
  return 0;
}
