#pragma once
// Writes packer blocks and atlas blocks from plain descriptions, as given and without
// checks, so that malformed data can be written as well as sound data.
#include <cstdint>
#include <optional>
#include <vector>

#include "TPlatz.h"
#include "Zarvo_GfxAtlas.h"

class TSpeicher;

struct PlatzBeschreibung {
  bool alteForm = false;   // free rectangles only, without a segment
  uint32_t version = 258;  // "PLTZ" version
  uint32_t breite = 0;
  uint32_t hoehe = 0;
  std::vector<TRechteck> belegt;
  std::vector<TRechteck> frei;
};

struct AtlasBeschreibung {
  uint32_t version = 262;
  uint32_t flags = 0;
  uint64_t slotAnzahl = 0;
  std::vector<std::optional<Zarvo_GfxAtlas::Eintrag>> eintraege;  // the slot records written, whatever the count says
  PlatzBeschreibung platz;
  uint64_t breite = 0;
  uint32_t hoehe = 0;
  std::vector<uint32_t> pixel;  // 0xAARRGGBB, row order
};

void SchreibePlatzBlock(TSpeicher& ziel, const PlatzBeschreibung& platz);
void SchreibeAtlasBlock(TSpeicher& ziel, const AtlasBeschreibung& atlas);
// The description of an atlas as it stands (version 262, "PLTZ" 258).
AtlasBeschreibung BeschreibeAtlas(const Zarvo_GfxAtlas& atlas);
