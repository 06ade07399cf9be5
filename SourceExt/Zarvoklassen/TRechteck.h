#pragma once
// An axis-aligned rectangle of unsigned 64-bit values covering [x, x + w) x [y, y + h).
#include <cstdint>

struct TRechteck {
  uint64_t x = 0;
  uint64_t y = 0;
  uint64_t w = 0;
  uint64_t h = 0;
  bool operator==(const TRechteck&) const = default;
};

// Half-open ranges; touching edges do not overlap.
inline bool Ueberlappen(const TRechteck& a, const TRechteck& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}
