#pragma once
// The player's step, fall and eye rules over the block map. Gates are asked through a predicate,
// so the rules serve the game flow and the level check alike.
#include <functional>

#include "BVektor3.h"
#include "Karte.h"
#include "Objektregeln.h"

namespace Spiel::Bewegung {

using Zellposition = Objektregeln::Zellposition;
// True when a closed gate (state below 0.9) stands in the cell.
using GitterZu = std::function<bool(const Zellposition&)>;

struct Schritt {
  bool erlaubt = false;
  Zellposition ziel;  // where the player ends: the target, one level up or one level down
};

// Type of a cell; a cell outside the grid counts as "Fels".
uint32_t TypBei(const Karte& karte, const Zellposition& zelle);
// From cell c by step d.
Schritt SchrittTest(const Karte& karte, const Zellposition& c, const Zellposition& d, const GitterZu& gitterZu);
// The player falls when above the floor layer and the block below is empty, unknown (above 18)
// or a low stair step.
bool Faellt(const Karte& karte, const Zellposition& zelle);
// Eye position in doubled units: (2x + 1, 2y + 1.5, 2z + 1), raised in a low stair step and
// lowered above a high one.
BVektor3<float> AugenPosition(const Karte& karte, const Zellposition& zelle);

// The player turns between the four horizontal facings 0..3 (-X, +X, +Z, -Z); any other value
// counts as +X, the facing a player starts with.
// Heading of a facing, the yaw in radians: pi, 0, pi/2, -pi/2.
float Kurs(uint32_t blick);
// A quarter turn: left 0->3, 1->2, 2->0, 3->1; right 0->2, 1->3, 2->1, 3->0.
uint32_t LinksDrehung(uint32_t blick);
uint32_t RechtsDrehung(uint32_t blick);

}  // namespace Spiel::Bewegung
