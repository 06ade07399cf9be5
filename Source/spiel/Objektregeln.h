#pragma once
// How placed objects become cells of the level: the start cell and direction, the cells of
// plates, levers and gates, and the index of a button. The scene and the level check use these.
#include <cstdint>
#include <optional>

#include "BVektor3.h"
#include "Karte.h"

namespace Spiel::Objektregeln {

using Zellposition = BVektor3<int32_t>;

// dir(v): u32(int64(trunc(v))) mod 6 (saturating, NaN gives 0), the direction index -X, +X, +Z,
// -Z, -Y, +Y.
uint32_t Richtung(float wert);
Zellposition RichtungsSchritt(uint32_t richtung);

// trunc of the position snapped with the "Startpunkt" row.
Zellposition StartZelle(const Karte::Objekt& objekt);
uint32_t StartRichtung(const Karte::Objekt& objekt);
// trunc(x), trunc(y + 0.5), trunc(z) of the raw position.
Zellposition PlattenZelle(const Karte::Objekt& objekt);
// trunc of the position snapped to 0.25.
Zellposition HebelZelle(const Karte::Objekt& objekt);
// trunc of the raw position.
Zellposition GitterZelle(const Karte::Objekt& objekt);
// The order of the object among the "Knopf" objects; none for other types.
std::optional<uint32_t> KnopfIndex(const Karte& karte, size_t objektIndex);

}  // namespace Spiel::Objektregeln
