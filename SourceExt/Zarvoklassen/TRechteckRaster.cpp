#include "TRechteckRaster.h"

#include <algorithm>
#include <limits>

namespace {

// The last unit a half-open range [anfang, anfang + laenge) reaches; a zero length counts as one.
uint64_t LetzteEinheit(uint64_t anfang, uint64_t laenge) {
  if (laenge == 0) return anfang;
  return laenge - 1 > std::numeric_limits<uint64_t>::max() - anfang ? std::numeric_limits<uint64_t>::max()
                                                                     : anfang + (laenge - 1);
}

// Cells of 1 << stufe units that cover laenge units.
uint64_t ZellenNoetig(uint64_t laenge, unsigned stufe) {
  return (laenge >> stufe) + ((laenge & ((uint64_t(1) << stufe) - 1)) != 0);
}

uint64_t ZellenFuer(uint64_t laenge, unsigned stufe) {
  return std::clamp<uint64_t>(ZellenNoetig(laenge, stufe), 1, TRechteckRaster::RASTER_ZELLEN);
}

}  // namespace

void TRechteckRaster::RichteEin(uint64_t breite, uint64_t hoehe) {
  stufe = KLEINSTE_ZELLEN_STUFE;
  const uint64_t groesste = std::max(breite, hoehe);
  while (stufe < 63 && ZellenNoetig(groesste, stufe) > RASTER_ZELLEN) ++stufe;
  spalten = ZellenFuer(breite, stufe);
  zeilen = ZellenFuer(hoehe, stufe);
  koepfe.assign(spalten * zeilen, KEINER);
  eintraege.clear();
  frei = KEINER;
}

void TRechteckRaster::Leere() {
  std::fill(koepfe.begin(), koepfe.end(), KEINER);
  eintraege.clear();
  frei = KEINER;
}

TRechteckRaster::Bereich TRechteckRaster::ZellenVon(const TRechteck& r) const {
  return {std::min(r.x >> stufe, spalten - 1), std::min(LetzteEinheit(r.x, r.w) >> stufe, spalten - 1),
          std::min(r.y >> stufe, zeilen - 1), std::min(LetzteEinheit(r.y, r.h) >> stufe, zeilen - 1)};
}

uint32_t TRechteckRaster::NeuerEintrag(const TRechteck& r, uint32_t naechster) {
  if (frei != KEINER) {
    const uint32_t index = frei;
    frei = eintraege[index].naechster;
    eintraege[index] = {r, naechster};
    return index;
  }
  eintraege.push_back({r, naechster});
  return uint32_t(eintraege.size() - 1);
}

void TRechteckRaster::Fuege(const TRechteck& r) {
  const Bereich b = ZellenVon(r);
  for (uint64_t zy = b.y0; zy <= b.y1; ++zy)
    for (uint64_t zx = b.x0; zx <= b.x1; ++zx) {
      uint32_t& kopf = koepfe[zy * spalten + zx];
      kopf = NeuerEintrag(r, kopf);
    }
}

void TRechteckRaster::Entferne(const TRechteck& r) {
  const Bereich b = ZellenVon(r);
  for (uint64_t zy = b.y0; zy <= b.y1; ++zy)
    for (uint64_t zx = b.x0; zx <= b.x1; ++zx) {
      uint32_t* verweis = &koepfe[zy * spalten + zx];
      while (*verweis != KEINER && !(eintraege[*verweis].r == r)) verweis = &eintraege[*verweis].naechster;
      if (*verweis == KEINER) continue;
      const uint32_t index = *verweis;
      *verweis = eintraege[index].naechster;
      eintraege[index].naechster = frei;
      frei = index;
    }
}

bool TRechteckRaster::Ueberlappt(const TRechteck& r) const {
  const Bereich b = ZellenVon(r);
  for (uint64_t zy = b.y0; zy <= b.y1; ++zy)
    for (uint64_t zx = b.x0; zx <= b.x1; ++zx)
      for (uint32_t i = koepfe[zy * spalten + zx]; i != KEINER; i = eintraege[i].naechster)
        if (Ueberlappen(r, eintraege[i].r)) return true;
  return false;
}
