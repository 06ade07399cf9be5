// libFuzzer target of the DDS reader: the input is the bounded view, so any read past it is seen.
#include "fuzz_bild.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t laenge) {
  return FuzzeBild(daten, laenge, [](Zarvo_Bild& bild, std::span<const uint8_t> datei) { return bild.LadeDDS(datei); });
}
