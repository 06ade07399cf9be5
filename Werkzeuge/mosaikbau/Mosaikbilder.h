#pragma once
// The eight mosaic pictures, drawn from code: hard-edged shapes (alpha 0 or 255, transparent
// pixels 0), the same pixels on every run.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mosaikbau {

struct Bild {
  int breite = 0, hoehe = 0;
  bool alpha = false;          // RGBA file; else opaque RGB
  std::vector<uint32_t> argb;  // rows top down, A << 24 | R << 16 | G << 8 | B

  Bild(int b, int h, bool mitAlpha, uint32_t grund) : breite(b), hoehe(h), alpha(mitAlpha), argb(size_t(b) * size_t(h), grund) {}
  uint32_t& An(int x, int y) { return argb[size_t(y) * size_t(breite) + size_t(x)]; }
  uint32_t An(int x, int y) const { return argb[size_t(y) * size_t(breite) + size_t(x)]; }
};

Bild Sonne();        // 00: 64 x 64 RGBA, yellow sun with orange rays
Bild Landschaft();   // 01: 64 x 64 RGB, sky, green hills, white cloud
Bild Herz();         // 02: 64 x 64 RGBA, red heart
Bild Kreuz();        // 03: 64 x 64 RGB, white cross on blue in a checker border
Bild Pfeil();        // 04: 96 x 48 RGBA, arrow pointing right, red square top-left
Bild Gesicht();      // 05: 16 x 16 RGB, pixel-art face
Bild Baum();         // 06: 64 x 64 RGBA, green tree
Bild Nachthimmel();  // 07: 128 x 64 RGB, night sky, moon and stars

}  // namespace mosaikbau
