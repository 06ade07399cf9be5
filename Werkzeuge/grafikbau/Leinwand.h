#pragma once
// A canvas for the game's icons: filled polygons with an outline along the inside of their
// boundary, anti-aliased with 4 x 4 samples per pixel and composited over what is there. Pixels
// are kept premultiplied; the 8-bit result has straight alpha.
#include <cstdint>
#include <functional>
#include <vector>

namespace grafikbau {

struct Punkt {
  double x, y;
};
// One closed contour; a form is one or more of them, filled by the nonzero rule.
using Umriss = std::vector<Punkt>;
using Form = std::vector<Umriss>;

struct Farbe {
  float r, g, b, a;  // straight alpha, 0..1
};
// 0xRRGGBB with an alpha.
Farbe AusRgb(uint32_t rgb, float a = 1);

struct Stil {
  std::function<Farbe(Punkt)> fuellung;  // the fill at a sample point
  Farbe rand;                            // the outline
  double randBreite;                     // in pixels, inside the boundary
};

// A rectangle of the canvas; drawing stays inside it.
struct Rechteck {
  int x, y, breite, hoehe;
};

class Leinwand {
 public:
  Leinwand(int breite, int hoehe);

  // Form and fill are in the rectangle's own coordinates (its top-left corner is 0, 0).
  void Zeichne(const Form& form, const Stil& stil, const Rechteck& bereich);
  // Copies `quelle` into `ziel` (same size) mirrored left to right.
  void KopiereGespiegelt(const Rechteck& quelle, const Rechteck& ziel);
  // Fully transparent pixels of the rectangle take this colour, so that filtering at the edges
  // of a symbol blends towards its outline and not towards black.
  void FaerbeTransparentes(const Rechteck& bereich, uint32_t rgb);

  // 8-bit R, G, B, A per pixel, rows top down, straight alpha.
  std::vector<uint8_t> Rgba() const;
  int Breite() const { return breite; }
  int Hoehe() const { return hoehe; }

 private:
  struct Pixel {
    float r = 0, g = 0, b = 0, a = 0;  // premultiplied
  };
  Pixel& An(int x, int y) { return pixel[size_t(y) * size_t(breite) + size_t(x)]; }
  const Pixel& An(int x, int y) const { return pixel[size_t(y) * size_t(breite) + size_t(x)]; }
  Farbe Probe(const Form& form, const Stil& stil, Punkt p) const;

  int breite, hoehe;
  std::vector<Pixel> pixel;
  std::vector<uint32_t> transparentFarbe;  // per pixel, 0xRRGGBB
};

}  // namespace grafikbau
