#pragma once
// Writes font files from a plain description, as given and without checks, so that malformed
// files can be written as well as sound ones.
#include <cstdint>
#include <vector>

#include "AtlasSchreiber.h"
#include "Zarvo_Font3D.h"

class TSpeicher;

struct FontBeschreibung {
  uint32_t kennung = Zarvo_Font3D::KENNUNG;
  uint32_t version = 258;
  float hoehe = 0;
  AtlasBeschreibung atlas;
  uint32_t glyphAnzahl = 0;                   // written from version 258
  std::vector<Zarvo_Font3D::Metrik> metriken;  // written from version 257, whatever the count says
};

void SchreibeFontDatei(TSpeicher& ziel, const FontBeschreibung& font);
// The description of a font as it stands (version 258, atlas 262, "PLTZ" 258).
FontBeschreibung BeschreibeFont(const Zarvo_Font3D& font);
