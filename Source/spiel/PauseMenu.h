#pragma once
// The modal page shown when the player presses Esc in the running game. It pauses the game's
// clock for as long as it exists and offers "Weiter" (go on, also Esc through its hotkey) and
// "Ende" (quit the program). A click hides the page at once and deletes it 0.1 s of frame-clock
// time later; the destructor then resumes the game clock or sets the quit flag, by the choice.
//
// Lifetime. The surface owns the menu from FuegeHinzu on, and the menu dies exactly once: by its
// delayed deletion, by SchliesseAlle, or with the surface. Its destructor takes a pending deletion
// off the frame clock. The game clock must outlive every menu on it: before a clock a menu may
// hold is destroyed (leaving the game for the editor, shutdown), the owner calls
// SchliesseAlle(clock), which deletes every live menu on that clock with the normal destructor.
// Main thread only.
#include <cstdint>

#include "VaterBasis.h"
#include "Zarvo_Timer.h"

namespace Gui {
class Oberflaeche;
}
namespace OPRIX {
class Keyboard;
}

namespace Spiel {

class PauseMenu : public Gui::VaterBasis {
 public:
  static constexpr uint32_t WAHL_WEITER = 0;
  static constexpr uint32_t WAHL_ENDE = 1;

  // Builds the page over the middle half of the screen and pauses the clock.
  explicit PauseMenu(Zarvo_Timer& spielUhr);
  // Choice "Weiter" resumes the game clock, "Ende" sets the quit flag.
  ~PauseMenu() override;

  // Blocks everything below it while it is the surface's topmost child.
  bool IstModal() const override;

  // The click actions: hide the page and delete it after 0.1 s. A second click while the
  // deletion is pending does nothing.
  void WeiterGeklickt();
  void EndeGeklickt();

  // The main loop's Esc rule: while the clock runs and Esc went down in this frame, a new menu
  // as the surface's last child; otherwise null (also without a keyboard).
  static PauseMenu* OeffneBeiEsc(Zarvo_Timer& spielUhr, const OPRIX::Keyboard* tastatur, Gui::Oberflaeche& oberflaeche);
  // Deletes every live menu that holds this clock.
  static void SchliesseAlle(const Zarvo_Timer& uhr);

  uint32_t Wahl() const { return wahl; }
  const Zarvo_Timer& SpielUhr() const { return spielUhr; }

 private:
  void Waehle(uint32_t neueWahl);

  Zarvo_Timer& spielUhr;
  uint32_t wahl = WAHL_WEITER;
};

}  // namespace Spiel
