#include "AtlasSchreiber.h"

#include <bit>

#include "TSegmentSchreiber.h"
#include "TSpeicher.h"

namespace {

void SchreibeRechtecke(TSpeicher& ziel, const std::vector<TRechteck>& liste) {
  ziel.SchreibeU32(uint32_t(liste.size()));
  for (const TRechteck& r : liste) {
    ziel.SchreibeU32(uint32_t(r.x));
    ziel.SchreibeU32(uint32_t(r.y));
    ziel.SchreibeU32(uint32_t(r.w));
    ziel.SchreibeU32(uint32_t(r.h));
  }
}

void SchreibeEintrag(TSpeicher& ziel, const Zarvo_GfxAtlas::Eintrag& e) {
  for (uint32_t wert : {e.x, e.y, e.w, e.h}) ziel.SchreibeU32(wert);
  for (float wert : {e.u, e.v, e.du, e.dv}) ziel.SchreibeU32(std::bit_cast<uint32_t>(wert));
}

uint64_t ReservierteBytes(uint32_t version) { return version < 261 ? 13 : version == 261 ? 5 : 0; }

}  // namespace

void SchreibePlatzBlock(TSpeicher& ziel, const PlatzBeschreibung& platz) {
  if (platz.alteForm) {
    ziel.SchreibeU32(0);
    SchreibeRechtecke(ziel, platz.frei);
    return;
  }
  TSegmentSchreiber segment(ziel, TPlatz::KENNUNG, platz.version | TSegmentSchreiber::MIT_LAENGE);
  if (platz.version >= 258) {
    ziel.SchreibeU32(platz.breite);
    ziel.SchreibeU32(platz.hoehe);
  }
  SchreibeRechtecke(ziel, platz.belegt);
  SchreibeRechtecke(ziel, platz.frei);
}

void SchreibeAtlasBlock(TSpeicher& ziel, const AtlasBeschreibung& atlas) {
  ziel.SchreibeU32(Zarvo_GfxAtlas::KENNUNG_BLOCK);
  ziel.SchreibeU32(Zarvo_GfxAtlas::KENNUNG_ATLAS);
  ziel.SchreibeU32(atlas.version);
  for (uint64_t i = 0; i < ReservierteBytes(atlas.version); ++i) ziel.SchreibeU8(0);
  if (atlas.version >= 258) ziel.SchreibeU32(atlas.flags);
  ziel.SchreibeU64(atlas.slotAnzahl);
  for (uint64_t i = 0; i < atlas.eintraege.size(); ++i) {
    ziel.SchreibeU8(atlas.eintraege[i] ? 1 : 0);
    if (atlas.eintraege[i]) SchreibeEintrag(ziel, *atlas.eintraege[i]);
  }
  SchreibePlatzBlock(ziel, atlas.platz);
  ziel.SchreibeU64(atlas.breite);
  if (atlas.version >= 259) ziel.SchreibeU32(atlas.hoehe);
  for (uint32_t p : atlas.pixel) ziel.SchreibeU32(p);
}

AtlasBeschreibung BeschreibeAtlas(const Zarvo_GfxAtlas& atlas) {
  AtlasBeschreibung b;
  b.flags = uint32_t(atlas.Flags());
  b.slotAnzahl = atlas.SlotAnzahl();
  for (uint64_t i = 0; i < atlas.SlotAnzahl(); ++i) {
    const Zarvo_GfxAtlas::Eintrag* e = atlas.GibEintrag(i);
    b.eintraege.push_back(e ? std::optional(*e) : std::nullopt);
  }
  const TPlatz& platz = atlas.Platz();
  b.platz.breite = uint32_t(platz.Breite());
  b.platz.hoehe = uint32_t(platz.Hoehe());
  b.platz.belegt = platz.Belegt();
  b.platz.frei = platz.Frei();
  const Zarvo_Bild& bild = atlas.Bild();
  b.breite = bild.Breite();
  b.hoehe = uint32_t(bild.Hoehe());
  const uint8_t* pixel = bild.Pixel();
  for (uint64_t i = 0; pixel && i < bild.Breite() * bild.Hoehe(); ++i)
    b.pixel.push_back(uint32_t(pixel[i * 4]) | uint32_t(pixel[i * 4 + 1]) << 8 | uint32_t(pixel[i * 4 + 2]) << 16 |
                      uint32_t(pixel[i * 4 + 3]) << 24);
  return b;
}
