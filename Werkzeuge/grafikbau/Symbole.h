#pragma once
// The shapes of the game's icons in the coordinates of one 64 x 64 tile. Each stays inside the
// tile's inner 60 x 60; the directional symbols have their bounding box centred on the tile
// centre (32, 32), where cursors have their hotspot.
#include "Leinwand.h"

namespace grafikbau {

constexpr double KACHEL = 64;
constexpr double MITTE = KACHEL / 2;

// A straight arrow pointing up, 52 pixels tall, with a broad head.
Form PfeilHoch();
// An arrow that rises on the right and bends over to the left, its head pointing left.
Form KurvenPfeilLinks();
// The plain mouse pointer: its tip covers pixel (32, 32) whole, its body lies right of and below it.
Form Zeiger();
// A frame with rounded corners.
Form Fach();
// An irregular, roughly round blob.
Form SteinUmriss();
// A cut gem: a crown above y = 26, a pavilion down to a point below.
Form Edelstein();
constexpr double EDELSTEIN_GUERTEL = 26;

// Quarter turns clockwise (on screen, y down) about the tile centre.
Form Drehe(const Form& form, int vierteldrehungen);
// Scaled about the tile centre.
Form Skaliere(const Form& form, double faktor);

}  // namespace grafikbau
