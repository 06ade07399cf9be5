#pragma once
// A tooltip: a panel with a text, sized by the text's length and placed beside its owner, on the
// side of the screen's centre and inside the surface. The surface creates it as its own direct
// child, so its position is in surface coordinates.
#include <string>

#include "Basis.h"

namespace Gui {

class Hinweis : public Basis {
 public:
  Hinweis(std::string text, Basis* besitzer);

  void Zeichne(Renderer& renderer) override;

  // The widget the tooltip belongs to; null once that widget was detached (the tooltip then
  // fades without its tail).
  Basis* Besitzer() const { return besitzer; }
  void VergissBesitzer() { besitzer = nullptr; }

  std::string text;

 private:
  void PlatziereNeben(const Basis& besitzer);

  Basis* besitzer;
};

}  // namespace Gui
