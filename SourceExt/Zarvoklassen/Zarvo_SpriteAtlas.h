#pragma once
// An atlas with its own sprite list and batch: the unit that the game, the widget renderer, the
// console and the bitmap fonts draw from. Sprites are queued with AddSprite and drawn in one
// batch by Zeichne, which empties the list.
#include <cstdint>

#include "Zarvo_SpriteListe.h"
#include "Zarvo_SpriteStapel.h"
#include "Zarvo_TexturAtlas.h"

class Zarvo_SpriteAtlas : public Zarvo_TexturAtlas {
 public:
  Zarvo_SpriteAtlas(uint64_t kante, uint64_t erwarteteAnzahl, uint64_t flags);
  // Takes over the atlas; the list starts empty (queued sprites stay behind) with the source's
  // reservation, the batch with the source's capacity.
  Zarvo_SpriteAtlas(Zarvo_SpriteAtlas&& quelle) noexcept;

  void AddSprite(uint64_t eintrag, const BVektor3<float>& position, const TAlphaFarbe& farbe, float breite, float hoehe,
                 float winkel) {
    liste.AddSprite(eintrag, position, farbe, breite, hoehe, winkel);
  }
  // Draws the queued sprites (nothing without a texture) and empties the list.
  void Zeichne();

  Zarvo_SpriteListe& Liste() { return liste; }
  const Zarvo_SpriteListe& Liste() const { return liste; }
  Zarvo_SpriteStapel& Stapel() { return stapel; }
  const Zarvo_SpriteStapel& Stapel() const { return stapel; }

 private:
  Zarvo_SpriteListe liste;
  Zarvo_SpriteStapel stapel;
};
