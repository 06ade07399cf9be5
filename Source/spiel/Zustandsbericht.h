#pragma once
// The state line of test runs: after a frame whose script asked for it, one line of XML that a
// controlling test reads back. Root "zustand" with the frame, the counter, the frame rate, the
// window size, the mode, the console, the pause fade, the game clock and the cursor index, then
// the active post filters, the game (player, levers, buttons, gates, triggers, items, the
// generator), the editor, the surface's top-level pages with their buttons, the sounds started
// since the last line and the frame step's stack depth.
//
// Levers, buttons and items carry the screen point of this frame's view ("sx", "sy", "sichtbar"):
// the pick of the next frame uses the same view, so a click there in the next frame hits them.
#include <string>

namespace Spiel {

class Hauptschleife;

std::string Zustandsbericht(const Hauptschleife& schleife);

}  // namespace Spiel
