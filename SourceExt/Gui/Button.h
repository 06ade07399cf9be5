#pragma once
// A push button with a label and an optional image. It is clicked by code 256 or 265 (the mouse)
// while focused, and by its hotkey through the surface's key list; a click stamps pressedAt and
// calls beiKlick. The hotkey fires for an inactive button too, as long as it is visible and
// reachable; inactive buttons only refuse the focus.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "AktivSchnittstelle.h"
#include "Basis.h"
#include "ButtonBild.h"

namespace Gui {

class Button : public Basis, public AktivSchnittstelle {
 public:
  // With an image and no label the button takes the sprite's pixel size (0 x 0 for an index
  // the atlas does not hold) and keeps it.
  explicit Button(std::string beschriftung, ButtonBild bild = {});

  void Zeichne(Renderer& renderer) override;
  std::string GetTyp() const override;  // "button"
  // Moves the hotkey registration to the new surface.
  void SetVater(VaterBasis* vater, Oberflaeche* oberflaeche) override;
  bool IstFokussierbar() const override;  // aktiv
  void BeiTaste(BasisEreignis& ereignis) override;

  // The hotkey (270: none). A code from 270 on is stored and registers nothing.
  void SetTaste(uint64_t code);
  uint64_t GibTaste() const { return taste; }
  TZeit GedruecktUm() const { return gedruecktUm; }
  const ButtonBild& Bild() const { return bild; }
  // Another image; the size stays as it is.
  void SetBild(ButtonBild neu) { bild = std::move(neu); }

  std::string beschriftung;
  std::function<void()> beiKlick;

 private:
  TZeit gedruecktUm = 0;
  uint64_t taste;
  ButtonBild bild;
};

}  // namespace Gui
