#include "Text.h"

#include "Renderer.h"

namespace Gui {

Text::Text(std::string text_, uint64_t flag_) : text(std::move(text_)), flag(flag_) {
  dehnung = (flag & FLAG_FESTE_HOEHE) ? BVektor3<float>{1, 0, 0} : BVektor3<float>{1, 1, 0};
}

void Text::Zeichne(Renderer& renderer) { renderer.ZeichneText(*this); }

std::string Text::GetTyp() const { return "text"; }

}  // namespace Gui
