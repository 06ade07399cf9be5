#pragma once
// An index over rectangles of an area for the one question the packer asks: does any of them
// overlap this rectangle? The area is cut into square cells (at most RASTER_ZELLEN a side); each
// rectangle is listed in every cell its half-open ranges reach (a zero extent counts as one unit,
// coordinates past the area fall into the last cell). Two rectangles that overlap by Ueberlappen
// always share a cell, so a query tests only the rectangles listed in the cells it reaches.
#include <cstdint>
#include <vector>

#include "TRechteck.h"

class TRechteckRaster {
 public:
  static constexpr uint64_t RASTER_ZELLEN = 256;
  static constexpr unsigned KLEINSTE_ZELLEN_STUFE = 4;  // cells of at least 16 x 16

  // Empties the index and fits its cells to an area of breite x hoehe.
  void RichteEin(uint64_t breite, uint64_t hoehe);
  void Leere();
  void Fuege(const TRechteck& r);
  // Removes one listed rectangle equal to r; nothing when none is listed.
  void Entferne(const TRechteck& r);
  // True when a listed rectangle overlaps r.
  bool Ueberlappt(const TRechteck& r) const;

 private:
  static constexpr uint32_t KEINER = ~uint32_t(0);

  struct Eintrag {
    TRechteck r;
    uint32_t naechster = KEINER;
  };
  struct Bereich {
    uint64_t x0, x1, y0, y1;  // cells, inclusive
  };

  Bereich ZellenVon(const TRechteck& r) const;
  uint32_t NeuerEintrag(const TRechteck& r, uint32_t naechster);

  unsigned stufe = KLEINSTE_ZELLEN_STUFE;  // cell edge = 1 << stufe
  uint64_t spalten = 0;
  uint64_t zeilen = 0;
  std::vector<uint32_t> koepfe;     // first entry of each cell, row by row
  std::vector<Eintrag> eintraege;   // the cells' lists, with freed entries chained from `frei`
  uint32_t frei = KEINER;
};
