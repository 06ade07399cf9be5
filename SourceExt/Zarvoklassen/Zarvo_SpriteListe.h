#pragma once
// Sprite instances collected on the CPU for one atlas. An instance is a textured, coloured,
// rotatable rectangle in render-target pixels (x right, y down), cut from an atlas entry; its
// record is also the per-instance vertex layout of the sprite batch, so a list is uploaded as is.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "BVektor3.h"
#include "TAlphaFarbe.h"

class Zarvo_TexturAtlas;

struct Zarvo_SpriteInstanz {
  float x, y, z;                                // target position and depth
  float breite, hoehe;                          // drawn size in pixels
  float quellX, quellY, quellBreite, quellHoehe;  // source rectangle in atlas pixels
  float r, g, b, a;                             // multiplied with the texel
  float winkel;                                 // rotation in radians about the pivot
  float drehpunkt;                              // 0.5: centre, 0: top-left corner
};
static_assert(sizeof(Zarvo_SpriteInstanz) == 60);
static_assert(offsetof(Zarvo_SpriteInstanz, x) == 0);
static_assert(offsetof(Zarvo_SpriteInstanz, breite) == 12);
static_assert(offsetof(Zarvo_SpriteInstanz, quellX) == 20);
static_assert(offsetof(Zarvo_SpriteInstanz, r) == 36);
static_assert(offsetof(Zarvo_SpriteInstanz, winkel) == 52);
static_assert(offsetof(Zarvo_SpriteInstanz, drehpunkt) == 56);

class Zarvo_SpriteListe {
 public:
  Zarvo_SpriteListe(Zarvo_TexturAtlas* atlas, uint64_t erwarteteAnzahl);

  // Appends one instance of atlas entry `eintrag`. An unknown entry has the source rectangle
  // 0, 0, 0, 0; a width or height of exactly 0 takes the source's.
  void AddSprite(uint64_t eintrag, const BVektor3<float>& position, const TAlphaFarbe& farbe, float breite, float hoehe,
                 float winkel);
  void Leeren() { instanzen.clear(); }
  bool IstLeer() const { return instanzen.empty(); }

  const std::vector<Zarvo_SpriteInstanz>& Instanzen() const { return instanzen; }
  Zarvo_TexturAtlas* Atlas() const { return atlas; }
  // Points the list at another atlas; instances already added keep their source rectangles.
  void SetzeAtlas(Zarvo_TexturAtlas* neu) { atlas = neu; }

  // Set: new instances are placed and turned by their centre.
  uint8_t zentriert = 0;

 private:
  Zarvo_TexturAtlas* atlas;
  std::vector<Zarvo_SpriteInstanz> instanzen;
};
