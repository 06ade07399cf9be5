#include "Plattform/fmod/OggDatei.h"

#include <algorithm>
#include <cstdio>

namespace FMOD {

namespace {
// Larger decoded samples are refused rather than handed to OpenAL (its sizes are int).
constexpr size_t MAX_BYTES = size_t(1) << 30;
constexpr size_t LESE_BLOCK = 16384;
// Reserved up front from the stated length; a forged length must not reserve more than this.
constexpr size_t MAX_RESERVIERT = size_t(64) << 20;
// Rates the layer plays. A stream's buffers are sized from the rate, so a forged one must not
// size them to nothing (the channel would never end) or to gigabytes.
constexpr long MIN_RATE = 8000;
constexpr long MAX_RATE = 192000;
}  // namespace

FMOD_RESULT OggDatei::Oeffne(const char* pfad, std::unique_ptr<OggDatei>& ergebnis) {
  ergebnis.reset();
  if (!pfad) return FMOD_ERR_INVALID_PARAM;
  FILE* roh = std::fopen(pfad, "rb");
  if (!roh) return FMOD_ERR_FILE_NOTFOUND;
  std::unique_ptr<OggDatei> datei(new OggDatei());
  if (ov_open_callbacks(roh, &datei->datei, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
    std::fclose(roh);
    return FMOD_ERR_FILE_BAD;
  }
  datei->offen = true;
  vorbis_info* info = ov_info(&datei->datei, -1);
  if (!info || info->rate <= 0) return FMOD_ERR_FILE_BAD;
  if (info->channels < 1 || info->channels > 2) return FMOD_ERR_FORMAT;
  if (info->rate < MIN_RATE || info->rate > MAX_RATE) return FMOD_ERR_FORMAT;
  datei->kanaele = info->channels;
  datei->rate = info->rate;
  if (ov_seekable(&datei->datei) && ov_pcm_total(&datei->datei, -1) <= 0) return FMOD_ERR_FORMAT;
  ergebnis = std::move(datei);
  return FMOD_OK;
}

OggDatei::~OggDatei() {
  if (offen) ov_clear(&datei);
}

size_t OggDatei::Lies(char* ziel, size_t bytes) {
  size_t gelesen = 0;
  const size_t frameBytes = BytesProFrame();
  while (!amEnde && bytes - gelesen >= frameBytes) {
    int neuesGlied = 0;
    long laenge = ov_read(&datei, ziel + gelesen, int(std::min(bytes - gelesen, LESE_BLOCK)), 0, 2, 1, &neuesGlied);
    if (laenge == OV_HOLE) continue;
    if (laenge <= 0) {
      kaputt = laenge < 0;
      amEnde = true;
      break;
    }
    if (neuesGlied != glied) {
      vorbis_info* info = ov_info(&datei, neuesGlied);
      if (!info || info->channels != kanaele || info->rate != rate) {
        amEnde = true;
        break;
      }
      glied = neuesGlied;
    }
    gelesen += size_t(laenge) - size_t(laenge) % frameBytes;
  }
  return gelesen;
}

bool OggDatei::ZumAnfang() {
  if (kaputt || !ov_seekable(&datei) || ov_pcm_seek(&datei, 0) != 0) return false;
  amEnde = false;
  glied = -1;
  return true;
}

FMOD_RESULT OggDatei::LiesGanz(std::vector<char>& daten) {
  daten.clear();
  const ogg_int64_t frames = ov_seekable(&datei) ? ov_pcm_total(&datei, -1) : 0;
  if (frames > 0) daten.reserve(std::min(size_t(frames) * BytesProFrame() + LESE_BLOCK, MAX_RESERVIERT));
  for (;;) {
    size_t alt = daten.size();
    if (alt >= MAX_BYTES) return FMOD_ERR_FORMAT;
    daten.resize(alt + LESE_BLOCK);
    size_t neu = Lies(daten.data() + alt, LESE_BLOCK);
    daten.resize(alt + neu);
    if (neu == 0) break;
  }
  return daten.empty() ? FMOD_ERR_FORMAT : FMOD_OK;
}

}  // namespace FMOD
