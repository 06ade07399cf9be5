// The buffer's word text form (load mode 2) over arbitrary file content. A load that fails is
// fine; one that succeeds gives four bytes per group, and those words written back in the same
// form load again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "FuzzLog.h"
#include "TSpeicher.h"
#include "WortText.h"

namespace {

std::string pfad;

std::vector<uint32_t> Worte(const TSpeicher& speicher) {
  std::vector<uint32_t> worte(speicher.Groesse() / 4);
  if (!worte.empty()) std::memcpy(worte.data(), speicher.Daten(), worte.size() * 4);
  return worte;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  pfad = (std::filesystem::temp_directory_path() / ("morvelunt-worttext-" + std::to_string(::getpid()))).string();
  std::atexit([] { std::remove(pfad.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  TSpeicher eingabe;
  eingabe.SchreibeMem(daten, groesse);
  if (!eingabe.SpeichereInDatei(pfad, 0)) std::abort();
  TSpeicher speicher;
  if (!speicher.LadeAusDatei(pfad, 2)) return 0;
  if (speicher.Groesse() % 4 != 0 || speicher.Groesse() > (groesse > 8 ? (groesse - 8) / 6 * 4 : 0)) std::abort();
  TSpeicher text;
  const std::string worte = AlsWortText(Worte(speicher));
  text.SchreibeMem(worte.data(), worte.size());
  if (!text.SpeichereInDatei(pfad, 0)) std::abort();
  TSpeicher wieder;
  if (!wieder.LadeAusDatei(pfad, 2) || wieder.Groesse() != speicher.Groesse() ||
      std::memcmp(wieder.Daten(), speicher.Daten(), speicher.Groesse()) != 0)
    std::abort();
  return 0;
}
