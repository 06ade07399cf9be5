#pragma once
// Bit-exact comparison of two maps (NaN patterns and -0 included).
#include <cstring>

#include "Karte.h"

inline bool ObjekteBitgleich(const Karte::Objekt& a, const Karte::Objekt& b) {
  return std::memcmp(&a, &b, sizeof(Karte::Objekt)) == 0;
}

inline bool KartenBitgleich(const Karte& a, const Karte& b) {
  if (a.X != b.X || a.Y != b.Y || a.Z != b.Z || a.schichten != b.schichten) return false;
  if (a.objekte.size() != b.objekte.size()) return false;
  for (size_t i = 0; i < a.objekte.size(); ++i)
    if (!ObjekteBitgleich(a.objekte[i], b.objekte[i])) return false;
  return true;
}
