#include "ButtonBild.h"

#include "Zarvo_SpriteAtlas.h"

namespace Gui {

ButtonBild::ButtonBild(Zarvo_SpriteAtlas* atlas_, uint64_t index_, bool besitzt_)
    : atlas(atlas_), index(index_), besitzt(besitzt_) {}

ButtonBild::ButtonBild(ButtonBild&& quelle) noexcept { UebernimmVon(quelle); }

ButtonBild& ButtonBild::operator=(ButtonBild&& quelle) noexcept {
  if (this == &quelle) return *this;
  if (besitzt) delete atlas;
  UebernimmVon(quelle);
  return *this;
}

ButtonBild::~ButtonBild() {
  if (besitzt) delete atlas;
}

void ButtonBild::UebernimmVon(ButtonBild& quelle) {
  atlas = quelle.atlas;
  index = quelle.index;
  besitzt = quelle.besitzt;
  if (!quelle.besitzt) return;
  quelle.atlas = nullptr;
  quelle.index = KEIN_INDEX;
  quelle.besitzt = false;
}

}  // namespace Gui
