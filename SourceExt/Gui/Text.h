#pragma once
// A label. Bit 0 of the flag keeps it at its style height (stretch (1, 0, 0)); without it the
// label also takes the free height (stretch (1, 1, 0)).
#include <cstdint>
#include <string>

#include "Basis.h"

namespace Gui {

class Text : public Basis {
 public:
  static constexpr uint64_t FLAG_FESTE_HOEHE = 1;

  Text(std::string text, uint64_t flag);

  void Zeichne(Renderer& renderer) override;
  std::string GetTyp() const override;  // "text"

  uint64_t Flag() const { return flag; }

  std::string text;  // UTF-8

 private:
  uint64_t flag;
};

}  // namespace Gui
