#include "Objektregeln.h"

#include <cmath>

#include "Raster.h"

namespace Spiel::Objektregeln {

namespace {

constexpr uint32_t TYP_STARTPUNKT = 0, TYP_HEBEL = 2, TYP_KNOPF = 4;

Zellposition Abschneiden(const BVektor3<float>& p) {
  return {Raster::AbschneidenInt32(p.x), Raster::AbschneidenInt32(p.y), Raster::AbschneidenInt32(p.z)};
}

BVektor3<float> Position(const Karte::Objekt& objekt) { return {objekt.x, objekt.y, objekt.z}; }

}  // namespace

uint32_t Richtung(float wert) { return uint32_t(uint64_t(Raster::AbschneidenInt64(std::trunc(wert)))) % 6; }

Zellposition RichtungsSchritt(uint32_t richtung) {
  static const Zellposition SCHRITTE[6] = {{-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}, {0, 1, 0}};
  return SCHRITTE[richtung % 6];
}

Zellposition StartZelle(const Karte::Objekt& objekt) {
  return Abschneiden(Raster::Einrasten(Karte::ObjektTypen[TYP_STARTPUNKT], Position(objekt)));
}

uint32_t StartRichtung(const Karte::Objekt& objekt) { return Richtung(objekt.args[0][0]); }

Zellposition PlattenZelle(const Karte::Objekt& objekt) {
  return Abschneiden({objekt.x, objekt.y + 0.5f, objekt.z});
}

Zellposition HebelZelle(const Karte::Objekt& objekt) {
  return Abschneiden(Raster::Einrasten(Karte::ObjektTypen[TYP_HEBEL], Position(objekt)));
}

Zellposition GitterZelle(const Karte::Objekt& objekt) { return Abschneiden(Position(objekt)); }

std::optional<uint32_t> KnopfIndex(const Karte& karte, size_t objektIndex) {
  if (objektIndex >= karte.objekte.size() || karte.objekte[objektIndex].typ != TYP_KNOPF) return std::nullopt;
  uint32_t index = 0;
  for (size_t i = 0; i < objektIndex; ++i)
    if (karte.objekte[i].typ == TYP_KNOPF) ++index;
  return index;
}

}  // namespace Spiel::Objektregeln
