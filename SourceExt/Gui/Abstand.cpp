#include "Abstand.h"

#include "Renderer.h"

namespace Gui {

Abstand::Abstand() { dehnung = {0, 1, 0}; }

void Abstand::Zeichne(Renderer& renderer) { renderer.ZeichneHintergrund(*this); }

BVektor3<float> Abstand::GetGroesse() const { return mindestGroesse * Skalierung(); }

}  // namespace Gui
