#pragma once
// The intake: GLFW-shaped events (from the GLFW callbacks or a scripted back end) become raw-input
// packets on one queue. Callbacks only queue; nothing here calls into the input library.
//
// Keys go through the key table: a press or release gives a keyboard packet, a repeat nothing. A
// char is attached to the packet of the immediately preceding key call when that was a press
// without text; any other char is dropped, so text comes only with a key. Mouse buttons 0-4 (GLFW
// buttons 1-5), the vertical wheel in steps of 120 and the cursor's motion in whole pixels give
// mouse packets; a scroll that is no number or a cursor position that is not finite gives nothing.
#include <cstdint>

#include "Plattform/eingabe/RohEingabe.h"

namespace eingabe {

void Taste(int glfwTaste, int xTastencode, int aktion);
void Zeichen(uint32_t codepoint);
void Knopf(int glfwKnopf, int aktion);
void Rollen(double x, double y);
void Cursor(double x, double y);
// Start point of the cursor motion (the cursor when the callbacks are installed).
void SetzeCursorBasis(double x, double y);

// Raw access to the queue (scripted devices, reading).
void Einreihen(const win32::RAWINPUT& paket);
bool Entnehmen(win32::RAWINPUT& paket);
void LeereWarteschlange();
// The keyboard packet read last (for ToUnicodeEx), null before the first.
const win32::RAWKEYBOARD* LetztesTastaturPaket();

}  // namespace eingabe
