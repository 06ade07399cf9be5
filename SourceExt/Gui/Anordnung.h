#pragma once
// The layout record of a container and the two layouts. A row (art 0) puts the children side by
// side, a column (art 1) one below the other, with the gaps "elmAbstand.x" and "elmAbstand.y"
// (style values, times the GUI scale) around them. Auto-sized children share the free space by
// their stretch; the alignment puts a share of what is left before the children. Any other art
// is not laid out.
#include <cstdint>

#include "BVektor3.h"

namespace Gui {

class VaterBasis;

struct Anordnung {
  static constexpr uint32_t ZEILE = 0;
  static constexpr uint32_t SPALTE = 1;

  uint32_t art = ZEILE;
  float ausrichtungX = 0;  // 0 left, 0.5 centre, 1 right: share of the free width put before
  float ausrichtungY = 0;  // the same for the height
};

// The size the layout needs for the container's children (hidden ones count); (0, 0, 0) for an
// art that is not laid out.
BVektor3<float> BerechneLayoutGroesse(const Anordnung& anordnung, const VaterBasis& container);

// Places and sizes the visible children of the container in a row or in a column.
void OrdneZeile(const Anordnung& anordnung, VaterBasis& container);
void OrdneSpalte(const Anordnung& anordnung, VaterBasis& container);

}  // namespace Gui
