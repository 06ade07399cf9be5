// Bytes as a sound file: createSound as a sample and as a stream on the loopback output, then
// play, mix 4096 frames and release. Bad input must give an error code, never a crash.
// The bytes are tried as they are and, when that changes them, with every whole Ogg page's
// checksum renewed: libogg drops a page whose checksum fails, so without this almost no
// mutation would reach the decoder and the layer behind it.
#include "OggSeite.h"
#include "Plattform/fmod/fmod.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

FMOD::System* Schleife() {
  static FMOD::System* system = [] {
    FMOD::System* neu = nullptr;
    FMOD_System_Create(&neu);
    neu->setOutput(FMOD_OUTPUTTYPE_LOOPBACK);
    neu->init(8, FMOD_INIT_NORMAL, nullptr);
    return neu;
  }();
  return system;
}

void Pruefe(FMOD::System* system, const std::string& pfad, FMOD_MODE modus) {
  FMOD::Sound* klang = nullptr;
  FMOD_RESULT ergebnis = system->createSound(pfad.c_str(), modus, nullptr, &klang);
  if (ergebnis != FMOD_OK) {
    if (klang) __builtin_trap();
    return;
  }
  FMOD::Channel kanal;
  if (system->playSound(FMOD_CHANNEL_FREE, klang, false, &kanal) == FMOD_OK) {
    static std::vector<float> ausgabe(2 * 1024);
    for (int i = 0; i < 4; ++i) {
      system->update();
      system->renderLoopback(ausgabe.data(), 1024);
    }
  }
  if (klang->release() != FMOD_OK) __builtin_trap();
}

// Renews the checksum of every whole page found from the start; true when one changed.
bool ErneuerePruefsummen(std::vector<uint8_t>& daten) {
  bool geaendert = false;
  size_t pos = 0;
  while (pos + 4 <= daten.size()) {
    if (std::memcmp(&daten[pos], "OggS", 4) != 0) {
      ++pos;
      continue;
    }
    std::optional<ogg_page> seite = OggSeite(&daten[pos], daten.size() - pos);
    if (!seite) break;
    uint8_t alt[4];
    std::memcpy(alt, &daten[pos + 22], 4);
    ogg_page_checksum_set(&*seite);
    geaendert |= std::memcmp(alt, &daten[pos + 22], 4) != 0;
    pos += size_t(seite->header_len + seite->body_len);
  }
  return geaendert;
}

void PruefeBytes(int datei, const uint8_t* daten, size_t groesse) {
  if (ftruncate(datei, 0) != 0 || pwrite(datei, daten, groesse, 0) != ssize_t(groesse)) return;
  const std::string pfad = "/proc/self/fd/" + std::to_string(datei);
  FMOD::System* system = Schleife();
  Pruefe(system, pfad, FMOD_DEFAULT);
  Pruefe(system, pfad, FMOD_CREATESTREAM | FMOD_LOOP_NORMAL);
}

}  // namespace

// libvorbis 1.3.7 loses the headers it had unpacked when opening fails on some broken ones (the
// caller cannot free them). Only what is allocated inside ov_open_callbacks is forgiven; a leak
// of ours (in the layer, or a file never cleared, whose reading allocates too) is still reported.
// The allocation stacks are taken by the full unwinder: libvorbis has no frame pointers, and the
// fast unwinder stops inside it before reaching ov_open_callbacks.
extern "C" const char* __lsan_default_suppressions() { return "leak:ov_open_callbacks\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  static const int datei = memfd_create("klangdatei", 0);
  if (datei < 0) return 0;
  PruefeBytes(datei, daten, groesse);
  std::vector<uint8_t> erneuert(daten, daten + groesse);
  if (ErneuerePruefsummen(erneuert)) PruefeBytes(datei, erneuert.data(), erneuert.size());
  return 0;
}
