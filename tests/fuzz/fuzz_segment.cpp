// Nested segment readers over arbitrary bytes. The first byte steers how deep the readers nest
// and where they stop early; the cursor must stay inside the buffer and every loop must end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzLog.h"
#include "TSegmentLeser.h"
#include "TSpeicher.h"

namespace {

constexpr uint32_t KENNUNGEN[2] = {VierZeichen("BLKG"), VierZeichen("KRTE")};

void LiesVerschachtelt(TSpeicher& speicher, uint8_t steuerung, int tiefe) {
  TSegmentLeser leser(speicher, KENNUNGEN[steuerung & 1], 300);
  if (speicher.Position() > speicher.Groesse()) std::abort();
  if (tiefe < 3 && (steuerung & 2)) {
    // Siblings until the segment's end, each at least a head further.
    for (int geschwister = 0; geschwister < 16 && speicher.Position() + 8 <= leser.Ende(); ++geschwister) {
      const uint64_t vorher = speicher.Position();
      LiesVerschachtelt(speicher, uint8_t(steuerung >> 1 | steuerung << 7), tiefe + 1);
      if (speicher.Position() <= vorher && speicher.Rest() != 0) std::abort();
    }
  } else if (steuerung & 4) {
    speicher.LiesU32BE();
  }
  if (steuerung & 8) leser.Beende();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  if (groesse < 1) return 0;
  TSpeicher speicher;
  speicher.SchreibeMem(daten + 1, groesse - 1);
  speicher.Zurueckspulen();
  while (speicher.Rest() != 0) {
    const uint64_t vorher = speicher.Position();
    LiesVerschachtelt(speicher, daten[0], 0);
    if (speicher.Position() > speicher.Groesse()) std::abort();
    if (speicher.Position() <= vorher) break;
  }
  return 0;
}
