#include "Button.h"

#include "Ereignis.h"
#include "Oberflaeche.h"
#include "Renderer.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"

namespace Gui {

Button::Button(std::string beschriftung_, ButtonBild bild_)
    : beschriftung(std::move(beschriftung_)), taste(Taste::KEINE), bild(std::move(bild_)) {
  if (!bild.Atlas() || !beschriftung.empty()) return;
  const Zarvo_GfxAtlas::Eintrag* eintrag = bild.Atlas()->GibEintrag(bild.Index());
  const BVektor3<float> pixel = eintrag ? BVektor3<float>{float(eintrag->w), float(eintrag->h), 0} : BVektor3<float>{};
  SetGroesse(pixel, false);
}

void Button::Zeichne(Renderer& renderer) { renderer.ZeichneButton(*this); }

std::string Button::GetTyp() const { return "button"; }

void Button::SetVater(VaterBasis* neuerVater, Oberflaeche* neueOberflaeche) {
  if (GibOberflaeche() && taste != Taste::KEINE) GibOberflaeche()->EntferneTaste(taste, this);
  Basis::SetVater(neuerVater, neueOberflaeche);
  if (neueOberflaeche && taste != Taste::KEINE) neueOberflaeche->RegistriereTaste(taste, this);
}

bool Button::IstFokussierbar() const { return aktiv; }

void Button::BeiTaste(BasisEreignis& ereignis) {
  auto* tastenEreignis = dynamic_cast<TasteEreignis*>(&ereignis);
  if (!tastenEreignis) return;
  const uint64_t code = tastenEreignis->code;
  const bool istHotkey = taste != Taste::KEINE && code == taste;
  if (code != Taste::MAUS_1 && code != Taste::KLICK && !istHotkey) return;
  ereignis.SetzeBehandelt();
  if (!tastenEreignis->IstDruck()) return;
  gedruecktUm = g_Zeit.zeit;
  // A copy: the callback may destroy this button.
  const std::function<void()> rueckruf = beiKlick;
  if (rueckruf) rueckruf();
}

void Button::SetTaste(uint64_t code) {
  Oberflaeche* o = GibOberflaeche();
  if (o && taste != Taste::KEINE) o->EntferneTaste(taste, this);
  taste = code;
  if (o && code != Taste::KEINE) o->RegistriereTaste(code, this);
}

}  // namespace Gui
