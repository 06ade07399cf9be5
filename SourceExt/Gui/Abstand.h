#pragma once
// A spacer: an empty widget that takes the free height in a column (stretch (0, 1, 0)).
#include "Basis.h"

namespace Gui {

class Abstand : public Basis {
 public:
  Abstand();

  // The background operation, like the surface.
  void Zeichne(Renderer& renderer) override;
  // The minimum size times the GUI scale; no style key.
  BVektor3<float> GetGroesse() const override;

  BVektor3<float> mindestGroesse{0, 0, 0};
};

}  // namespace Gui
