#pragma once
// The bridge from the input library to the widget toolkit: the input handler the main loop
// installs. It owns the widget surface (built from "Daten/GuiKonfig.xml" in the application
// folder) and the renderer that draws it with the game's sprite atlas and 24-pixel font, and it
// is reachable through Global() so that game code can add its pages and hit-test the surface.
//
// Keys go to the surface as their scan codes; Esc, Backspace and the four arrows go first as the
// toolkit's own codes (266, 267, 261-264), then as their scan codes. Key repeat arrives from the
// input library as release-and-press pairs and is passed on as such. Text goes along the focus
// chain. The left mouse button is code 265; the other buttons and the wheel are consumed and do
// nothing. A mouse move hands the primary mouse's position to the surface.
//
// Order within one poll: the input library delivers a poll's keys and buttons before its mouse
// motion. A move onto a button and a press in the same poll therefore click the widget that held
// the focus before the move; scripts move in one frame and press in a later one.
//
// The atlas and the font are taken as they are at construction: a bridge made before the game's
// resources are loaded draws nothing. The destructor clears the global pointer and, when this
// bridge is the input system's handler, the handler.
#include <memory>

#include "InputHandler.h"

class Zarvo_Timer;

namespace Gui {
class Oberflaeche;
class SimpelRenderer;
}  // namespace Gui

namespace Spiel {

class Buttons : public OPRIX::InputHandler {
 public:
  // Throws Zarvo_Ausnahme "Datei nicht geladen" when the style file cannot be read; the global
  // pointer then stays as it was.
  Buttons();
  // Deletes the renderer, then the surface.
  ~Buttons() override;
  Buttons(const Buttons&) = delete;
  Buttons& operator=(const Buttons&) = delete;

  bool HandleButton(OPRIX::Device* device, int button, bool pressed) override;      // false
  bool HandleMouseMove(OPRIX::Mouse* mouse, float x, float y) override;             // true
  bool HandleMouseButton(OPRIX::Mouse* mouse, int button, bool pressed) override;   // true
  bool HandleWheel(OPRIX::Mouse* mouse, float delta) override;                      // true
  bool HandleText(OPRIX::Device* device, unsigned int codePoint) override;          // false

  // One frame of the surface with the renderer (the main loop's widget step).
  void Zeichne();

  // The one bridge, null while there is none.
  static Buttons* Global();
  Gui::Oberflaeche* GibOberflaeche() const { return oberflaeche.get(); }
  Gui::SimpelRenderer* GibRenderer() const { return renderer.get(); }

 private:
  std::unique_ptr<Gui::Oberflaeche> oberflaeche;
  std::unique_ptr<Gui::SimpelRenderer> renderer;  // declared after the surface: deleted first
  Zarvo_Timer* uhr;
};

}  // namespace Spiel
