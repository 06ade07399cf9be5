#pragma once
// A page: a container with its own row or column layout, centred both ways. Its stretch follows
// its children: after every add and remove it is the largest stretch of the children (and 0) in
// x and in y, so the constructor's value lasts only until the first child arrives.
#include <cstdint>

#include "VaterBasis.h"

namespace Gui {

class Seite : public VaterBasis {
 public:
  // art 0 row, 1 column.
  Seite(uint32_t art, const BVektor3<float>& dehnung);

  // The page's renderer operation, then the children.
  void Zeichne(Renderer& renderer) override;
  void FuegeHinzu(Basis* kind) override;
  void Entferne(Basis* kind) override;

 private:
  void BerechneDehnung();
};

}  // namespace Gui
