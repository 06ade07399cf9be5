#pragma once

// A colour of four floats r, g, b, a.
struct TAlphaFarbe {
  float r = 0, g = 0, b = 0, a = 0;
  constexpr bool operator==(const TAlphaFarbe&) const = default;
};
