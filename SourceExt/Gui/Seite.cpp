#include "Seite.h"

#include <algorithm>

#include "Renderer.h"

namespace Gui {

Seite::Seite(uint32_t art, const BVektor3<float>& dehnung_) {
  SetLayout(new Anordnung{art, 0.5f, 0.5f});
  dehnung = dehnung_;
}

void Seite::Zeichne(Renderer& renderer) {
  renderer.ZeichneSeite(*this);
  VaterBasis::Zeichne(renderer);
}

void Seite::FuegeHinzu(Basis* kind) {
  VaterBasis::FuegeHinzu(kind);
  BerechneDehnung();
}

void Seite::Entferne(Basis* kind) {
  VaterBasis::Entferne(kind);
  BerechneDehnung();
}

void Seite::BerechneDehnung() {
  BVektor3<float> groesste{0, 0, 0};
  for (const Basis* kind : Kinder()) {
    groesste.x = std::max(groesste.x, kind->dehnung.x);
    groesste.y = std::max(groesste.y, kind->dehnung.y);
  }
  dehnung = groesste;
}

}  // namespace Gui
