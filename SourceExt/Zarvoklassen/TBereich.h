#pragma once
// A view of a rectangle inside one face or mip level of a Zarvo_Bild, not owning its pixels. All
// pixel access goes through it: per-pixel read and write as float colours, region copies with
// conversion and DXT block compression, fills. An empty region (null, 0 x 0) is nothing to do
// for every operation. A region stays valid only while its image keeps its size and format.
//
// Unsigned-normalised channels are read as v / (2^n - 1) and written clamped to [0, 1] (NaN
// gives 0). DXT is written only through KopiereKonvertiert; SetzePixel on DXT does nothing.
#include <cstdint>

#include "TAlphaFarbe.h"
#include "Zarvo_Pixelformat.h"

class Zarvo_Bild;

class TBereich {
 public:
  TBereich() = default;
  TBereich(uint8_t* daten, uint64_t breite, uint64_t hoehe, uint64_t pitch, Zarvo_Pixelformat format)
      : daten(daten), format(format), breite(breite), hoehe(hoehe), pitch(pitch) {}

  // The w x h rectangle at (x, y) of that face or level, clipped to the image. DXT positions
  // must be multiples of 4; otherwise the region is empty.
  static void LockSubBereich(Zarvo_Bild& bild, TBereich& bereich, uint64_t x, uint64_t y, uint64_t w, uint64_t h);

  // (0, 0, 0, 0) outside the region.
  TAlphaFarbe LiesPixel(uint64_t x, uint64_t y) const;
  // Nothing outside the region.
  void SetzePixel(uint64_t x, uint64_t y, const TAlphaFarbe& farbe);

  // Copies the rectangle min(widths) x min(heights) from the source's corner, converting formats.
  static void KopiereKonvertiert(const TBereich& quelle, TBereich& ziel);

  // A8R8G8B8 regions only.
  void Fuelle(uint32_t farbe);
  void FuelleTransparent();

  uint8_t* Daten() const { return daten; }
  Zarvo_Pixelformat Format() const { return format; }
  uint64_t Breite() const { return breite; }
  uint64_t Hoehe() const { return hoehe; }
  uint64_t Pitch() const { return pitch; }
  bool IstLeer() const { return daten == nullptr || breite == 0 || hoehe == 0; }

 private:
  uint8_t* Zeile(uint64_t y) const { return daten + y * pitch; }
  const uint8_t* DxtBlock(uint64_t x, uint64_t y) const;
  void SchreibeDxtBlock(uint64_t bx, uint64_t by, const uint8_t* rgba);

  uint8_t* daten = nullptr;
  Zarvo_Pixelformat format = PXFMT_A8R8G8B8;
  uint64_t breite = 0;
  uint64_t hoehe = 0;
  uint64_t pitch = 0;
};

// Float to IEEE half: rebiased exponent, mantissa truncated. Beyond 65504 and infinities give
// ±65504 (0x7BFF), NaN gives 0x7E00, values below the smallest normal a signed zero.
uint16_t FloatZuHalb(float wert);

// Squish flags of a DXT format (kDxt1, kDxt3, kDxt5).
int SquishFlags(Zarvo_Pixelformat format);
