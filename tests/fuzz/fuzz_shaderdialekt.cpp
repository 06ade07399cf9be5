// The dialect translation on arbitrary source text (first byte picks the stage, one fixed define
// pair), with the include base on a folder of two small files, one including itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "FuzzLog.h"
#include "Zarvo_HighLevelShaderBasis.h"

namespace {

void BereiteOrdnerVor() {
  const std::filesystem::path ordner = std::filesystem::temp_directory_path() / "morvelunt-fuzz-dialekt";
  std::filesystem::create_directories(ordner / "Daten");
  std::ofstream(ordner / "Daten/a.inc") << "float4 A(float2 t) { return t.xyxy; }\n#include \"b.inc\"\n";
  std::ofstream(ordner / "Daten/b.inc") << "#define B 1\n#include \"b.inc\"\n";
  Zarvo_HighLevelShaderBasis::SetzeQuellbasis(ordner);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  static const bool bereit = (StarteStillesLog(), BereiteOrdnerVor(), true);
  (void)bereit;
  if (groesse == 0) return 0;
  std::string quelle(reinterpret_cast<const char*>(daten) + 1, groesse - 1);
  quelle.resize(strlen(quelle.c_str()));
  const TSpeicher text = Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(quelle.c_str(), {{"X", "1"}}, daten[0] & 1);
  if (text.Groesse() == 0 || text.Daten()[text.Groesse() - 1] != 0) abort();
  return 0;
}
