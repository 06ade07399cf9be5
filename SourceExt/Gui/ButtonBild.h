#pragma once
// A button's image: a sprite of an atlas, the atlas owned or not. Moving an owned record hands
// the atlas over and empties the source (null, index -1, not owned); an unowned record is
// copied. An owned atlas is destroyed with the record.
#include <cstdint>

class Zarvo_SpriteAtlas;

namespace Gui {

class ButtonBild {
 public:
  static constexpr uint64_t KEIN_INDEX = UINT64_MAX;

  ButtonBild() = default;
  ButtonBild(Zarvo_SpriteAtlas* atlas, uint64_t index, bool besitzt);
  ButtonBild(ButtonBild&& quelle) noexcept;
  ButtonBild& operator=(ButtonBild&& quelle) noexcept;
  ButtonBild(const ButtonBild&) = delete;
  ButtonBild& operator=(const ButtonBild&) = delete;
  ~ButtonBild();

  Zarvo_SpriteAtlas* Atlas() const { return atlas; }
  uint64_t Index() const { return index; }
  bool Besitzt() const { return besitzt; }

 private:
  void UebernimmVon(ButtonBild& quelle);

  Zarvo_SpriteAtlas* atlas = nullptr;
  uint64_t index = KEIN_INDEX;
  bool besitzt = false;
};

}  // namespace Gui
