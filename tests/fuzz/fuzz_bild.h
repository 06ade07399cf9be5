#pragma once
// Shared by the image fuzz targets: a small largest edge, and after a successful load every
// face's level 0 converted to A8R8G8B8 and the chain computed on a copy, so that fuzzed values
// (NaN floats, odd DXT blocks) reach the conversions.
#include <cstddef>
#include <cstdint>
#include <span>

#include "TBereich.h"
#include "Zarvo_Bild.h"

inline constexpr uint64_t FUZZ_MAX_KANTE = 1024;

inline void RichteFuzzEin() {
  static const bool eingerichtet = [] {
    Zarvo_Bild::SetzeMaxKantenlaenge(FUZZ_MAX_KANTE);
    return true;
  }();
  (void)eingerichtet;
}

inline void VerarbeiteGeladenes(Zarvo_Bild& bild) {
  for (int s = 0; s < (bild.IstCubeMap() ? Zarvo_Bild::SEITEN : 1); ++s) {
    Zarvo_Bild* seite = bild.IstCubeMap() ? bild.Seite(s) : &bild;
    if (!seite) continue;
    Zarvo_Bild farbe(seite->Breite(), seite->Hoehe(), PXFMT_A8R8G8B8, 1);
    TBereich quelle, ziel;
    seite->LockBereich(quelle);
    farbe.LockBereich(ziel);
    TBereich::KopiereKonvertiert(quelle, ziel);
  }
  Zarvo_Bild kopie(bild);
  kopie.BerechneMipMaps();
}

template <typename Leser>
int FuzzeBild(const uint8_t* daten, size_t laenge, Leser lies) {
  RichteFuzzEin();
  Zarvo_Bild bild;
  if (lies(bild, std::span<const uint8_t>(daten, laenge))) VerarbeiteGeladenes(bild);
  return 0;
}
