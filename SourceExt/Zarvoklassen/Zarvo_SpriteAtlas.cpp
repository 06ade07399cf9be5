#include "Zarvo_SpriteAtlas.h"

Zarvo_SpriteAtlas::Zarvo_SpriteAtlas(uint64_t kante, uint64_t erwarteteAnzahl, uint64_t flags_)
    : Zarvo_TexturAtlas(kante, flags_), liste(this, erwarteteAnzahl), stapel(erwarteteAnzahl) {}

Zarvo_SpriteAtlas::Zarvo_SpriteAtlas(Zarvo_SpriteAtlas&& quelle) noexcept
    : Zarvo_TexturAtlas(std::move(quelle)),
      liste(this, quelle.liste.Instanzen().size()),
      stapel(quelle.stapel.GibKapazitaet()) {}

void Zarvo_SpriteAtlas::Zeichne() {
  stapel.Zeichne(liste);
  liste.Leeren();
}
