#include "Buttons.h"

#include <cstdint>
#include <filesystem>

#include "Ereignis.h"
#include "InputSystem.h"
#include "Oberflaeche.h"
#include "Renderer.h"
#include "Ressourcen.h"
#include "SimpelRenderer.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {

Buttons* globaleBruecke = nullptr;

constexpr int MAUS_LINKS = 0;

// The toolkit's code of a key that has one besides its scan code, else Taste::KEINE.
uint64_t GuiCode(int scanCode) {
  switch (scanCode) {
    case 1: return Gui::Taste::ESCAPE;
    case 14: return Gui::Taste::RUECKSCHRITT;
    case 200: return Gui::Taste::HOCH;
    case 208: return Gui::Taste::RUNTER;
    case 203: return Gui::Taste::LINKS;
    case 205: return Gui::Taste::RECHTS;
    default: return Gui::Taste::KEINE;
  }
}

uint32_t Zustand(bool pressed) { return pressed ? Gui::TastenZustand::GEDRUECKT : Gui::TastenZustand::LOSGELASSEN; }

}  // namespace

Buttons::Buttons()
    : oberflaeche(std::make_unique<Gui::Oberflaeche>(g_System.anwendungsVerzeichnis / "Daten" / "GuiKonfig.xml")),
      renderer(std::make_unique<Gui::SimpelRenderer>(Ressourcen::Atlas(), Ressourcen::Schrift())),
      uhr(&g_Zeit) {
  globaleBruecke = this;
}

Buttons::~Buttons() {
  if (globaleBruecke == this) globaleBruecke = nullptr;
  if (OPRIX::gInputSystem && OPRIX::gInputSystem->handler == this) OPRIX::gInputSystem->handler = nullptr;
}

Buttons* Buttons::Global() { return globaleBruecke; }

bool Buttons::HandleButton(OPRIX::Device*, int button, bool pressed) {
  const uint32_t zustand = Zustand(pressed);
  const uint64_t code = GuiCode(button);
  if (code != Gui::Taste::KEINE) oberflaeche->VerarbeiteTaste(code, zustand);
  oberflaeche->VerarbeiteTaste(uint64_t(button), zustand);  // a negative code is ignored there
  return false;
}

bool Buttons::HandleMouseMove(OPRIX::Mouse*, float, float) {
  const OPRIX::Mouse* maus = OPRIX::gInputSystem ? OPRIX::gInputSystem->PrimaryMouse() : nullptr;
  const float x = maus ? maus->AbsoluteX() : 0;
  const float y = maus ? maus->AbsoluteY() : 0;
  oberflaeche->SetMausPosition({x, y, 0});
  return true;
}

bool Buttons::HandleMouseButton(OPRIX::Mouse*, int button, bool pressed) {
  if (button == MAUS_LINKS) oberflaeche->VerarbeiteTaste(Gui::Taste::KLICK, Zustand(pressed));
  return true;
}

bool Buttons::HandleWheel(OPRIX::Mouse*, float) { return true; }

bool Buttons::HandleText(OPRIX::Device*, unsigned int codePoint) {
  oberflaeche->SetLetzteEingabe(uhr->zeit);
  Gui::UnicodeEreignis ereignis(codePoint);
  oberflaeche->VerteileEreignis(ereignis);
  return false;
}

void Buttons::Zeichne() { Gui::ZeichneOberflaeche(*oberflaeche, *renderer); }

}  // namespace Spiel
