// JPEG reader on stb_image: grey becomes A8, colour A8R8G8B8.
#include <stb_image.h>

#include <cstring>

#include "Zarvo_Bild.h"
#include "Zarvo_Start.h"

namespace {

struct StbBild {
  stbi_uc* daten = nullptr;
  ~StbBild() { stbi_image_free(daten); }
};

}  // namespace

bool Zarvo_Bild::LadeJPG(std::span<const uint8_t> daten) {
  if (daten.size() > 0x7FFFFFFF) return false;
  // stb_image would take other formats too; this reader takes JPEG only.
  const bool istJpeg = daten.size() >= 2 && daten[0] == 0xFF && daten[1] == 0xD8;
  int w = 0, h = 0, kanaele = 0;
  const int laenge = int(daten.size());
  if (!istJpeg || !stbi_info_from_memory(daten.data(), laenge, &w, &h, &kanaele) || w < 1 || h < 1 ||
      uint64_t(w) > GibMaxKantenlaenge() || uint64_t(h) > GibMaxKantenlaenge()) {
    g_Log.Schreibe("Failed to decode jpeg.");
    return false;
  }
  StbBild bild;
  bild.daten = stbi_load_from_memory(daten.data(), laenge, &w, &h, &kanaele, 0);
  if (!bild.daten || w < 1 || h < 1) {
    g_Log.Schreibe("Failed to decode jpeg.");
    return false;
  }
  if (kanaele != 1 && kanaele != 3 && kanaele != 4) {
    g_Log.Schreibe("Unexpected jpeg pixel format");
    return false;
  }
  if (!SetGroesse(uint64_t(w), uint64_t(h), kanaele == 1 ? PXFMT_A8 : PXFMT_A8R8G8B8, 1)) return false;
  const uint64_t anzahl = uint64_t(w) * uint64_t(h);
  if (kanaele == 1) {
    std::memcpy(pixel, bild.daten, anzahl);
    return true;
  }
  for (uint64_t i = 0; i < anzahl; ++i) {
    const stbi_uc* p = bild.daten + i * uint64_t(kanaele);
    const uint32_t alpha = kanaele == 4 ? uint32_t(p[3]) << 24 : 0xFF000000u;
    const uint32_t farbe = alpha | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    std::memcpy(pixel + 4 * i, &farbe, 4);
  }
  return true;
}
