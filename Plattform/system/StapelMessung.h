#pragma once
// How deep a fiber stack has been used: fill its free part with a pattern, let the code run, then
// find the deepest byte that lost the pattern. The stack grows down from boden + groesse.
#include <cstddef>

#include "Plattform/system/FaserMelder.h"

namespace win32 {

// Fills the stack from its bottom up to a little below the caller's frame. The caller must run
// on that stack.
void FuelleStapelMuster(const FaserStapel& stapel);
// Bytes from the stack's top down to the deepest byte that no longer holds the pattern (the whole
// size when even the bottom byte lost it).
size_t GenutzteStapelTiefe(const FaserStapel& stapel);

}  // namespace win32
