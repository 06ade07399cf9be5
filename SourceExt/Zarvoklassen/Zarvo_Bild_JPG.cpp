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

uint64_t LiesBE16(std::span<const uint8_t> d, uint64_t pos) { return uint64_t(d[pos]) << 8 | d[pos + 1]; }

struct HuffmanTabellen {
  bool dc[4] = {}, ac[4] = {};

  // A DHT segment: every table it defines, refused when malformed.
  bool Lies(std::span<const uint8_t> d, uint64_t pos, uint64_t ende) {
    while (pos < ende) {
      const int klasse = d[pos] >> 4, nummer = d[pos] & 15;
      if (klasse > 1 || nummer > 3 || ende - pos < 17) return false;
      uint64_t anzahl = 0;
      for (int i = 1; i <= 16; ++i) anzahl += d[pos + i];
      if (anzahl > 256) return false;
      (klasse == 0 ? dc : ac)[nummer] = true;
      pos += 17 + anzahl;
    }
    return pos == ende;
  }

  // An SOS segment: every table its components use must be defined.
  bool Deckt(std::span<const uint8_t> d, uint64_t pos, uint64_t ende) const {
    const uint64_t komponenten = d[pos];
    if (ende - pos < 1 + 2 * komponenten + 3) return false;
    const uint8_t start = d[pos + 1 + 2 * komponenten], stopp = d[pos + 2 + 2 * komponenten];
    const bool verfeinerung = (d[pos + 3 + 2 * komponenten] >> 4) != 0;
    for (uint64_t k = 0; k < komponenten; ++k) {
      const uint8_t tabellen = d[pos + 2 + 2 * k];
      if ((tabellen >> 4) > 3 || (tabellen & 15) > 3) return false;
      if (start == 0 && !verfeinerung && !dc[tabellen >> 4]) return false;
      if (stopp > 0 && !ac[tabellen & 15]) return false;
    }
    return true;
  }
};

// Behind a scan's header: the entropy-coded data runs to the next marker other than RSTn.
uint64_t UeberspringeScan(std::span<const uint8_t> d, uint64_t pos) {
  for (; pos + 1 < d.size(); ++pos)
    if (d[pos] == 0xFF && d[pos + 1] != 0 && (d[pos + 1] < 0xD0 || d[pos + 1] > 0xD7) && d[pos + 1] != 0xFF) return pos;
  return d.size();
}

// stb_image decodes a scan with Huffman tables that no DHT defined (uninitialised memory), so
// every table a scan uses must have been defined before it.
bool HuffmanTabellenVollstaendig(std::span<const uint8_t> d) {
  HuffmanTabellen tabellen;
  uint64_t pos = 2;
  while (pos + 4 <= d.size()) {
    if (d[pos] != 0xFF) return false;
    const uint8_t marke = d[pos + 1];
    if (marke == 0xFF) {
      ++pos;
      continue;
    }
    if (marke == 0xD9) return true;
    if (marke == 0x01 || (marke >= 0xD0 && marke <= 0xD7)) {
      pos += 2;
      continue;
    }
    const uint64_t laenge = LiesBE16(d, pos + 2);
    const uint64_t anfang = pos + 4, ende = pos + 2 + laenge;
    if (laenge < 2 || ende > d.size()) return false;
    if (marke == 0xC4 && !tabellen.Lies(d, anfang, ende)) return false;
    if (marke == 0xDA) {
      if (anfang == ende || !tabellen.Deckt(d, anfang, ende)) return false;
      pos = UeberspringeScan(d, ende);
      continue;
    }
    pos = ende;
  }
  return true;
}

}  // namespace

bool Zarvo_Bild::LadeJPG(std::span<const uint8_t> daten) {
  if (daten.size() > 0x7FFFFFFF) return false;
  // stb_image would take other formats too; this reader takes JPEG only.
  const bool istJpeg = daten.size() >= 2 && daten[0] == 0xFF && daten[1] == 0xD8;
  int w = 0, h = 0, kanaele = 0;
  const int laenge = int(daten.size());
  if (!istJpeg || !stbi_info_from_memory(daten.data(), laenge, &w, &h, &kanaele) || w < 1 || h < 1 ||
      uint64_t(w) > GibMaxKantenlaenge() || uint64_t(h) > GibMaxKantenlaenge() || !HuffmanTabellenVollstaendig(daten)) {
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
