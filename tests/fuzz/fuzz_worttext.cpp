// The buffer's word text form (load mode 2) over arbitrary file content. A load that fails is
// fine; one that succeeds gives four bytes per group, and those words written back in the same
// form load again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "FuzzLog.h"
#include "TSpeicher.h"

namespace {

std::string pfad;

bool SchreibeDatei(const void* daten, size_t groesse) {
  FILE* datei = std::fopen(pfad.c_str(), "wb");
  if (datei == nullptr) return false;
  const bool ganz = groesse == 0 || std::fwrite(daten, 1, groesse, datei) == groesse;
  return std::fclose(datei) == 0 && ganz;
}

std::string AlsWortText(const TSpeicher& speicher) {
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text = "WORTE:\n\n";
  for (uint64_t i = 0; i + 4 <= speicher.Groesse(); i += 4) {
    uint32_t wort;
    std::memcpy(&wort, speicher.Daten() + i, 4);
    for (int k = 5; k >= 0; --k) text += alphabet[(uint64_t(wort) >> (6 * k)) & 63];
    text += '\n';
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  pfad = (std::filesystem::temp_directory_path() / ("morvelunt-worttext-" + std::to_string(::getpid()))).string();
  std::atexit([] { std::remove(pfad.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  if (!SchreibeDatei(daten, groesse)) std::abort();
  TSpeicher speicher;
  if (!speicher.LadeAusDatei(pfad, 2)) return 0;
  if (speicher.Groesse() % 4 != 0 || speicher.Groesse() > (groesse > 8 ? (groesse - 8) / 6 * 4 : 0)) std::abort();
  const std::string text = AlsWortText(speicher);
  if (!SchreibeDatei(text.data(), text.size())) std::abort();
  TSpeicher wieder;
  if (!wieder.LadeAusDatei(pfad, 2) || wieder.Groesse() != speicher.Groesse() ||
      std::memcmp(wieder.Daten(), speicher.Daten(), speicher.Groesse()) != 0)
    std::abort();
  return 0;
}
