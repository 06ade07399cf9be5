#include "Zarvo_SpriteListe.h"

#include "Zarvo_TexturAtlas.h"

Zarvo_SpriteListe::Zarvo_SpriteListe(Zarvo_TexturAtlas* atlas, uint64_t erwarteteAnzahl) : atlas(atlas) {
  instanzen.reserve(erwarteteAnzahl);
}

void Zarvo_SpriteListe::AddSprite(uint64_t eintrag, const BVektor3<float>& position, const TAlphaFarbe& farbe, float breite,
                                  float hoehe, float winkel) {
  Zarvo_GfxAtlas::Eintrag quelle;
  if (const Zarvo_GfxAtlas::Eintrag* e = atlas ? atlas->GibEintrag(eintrag) : nullptr) quelle = *e;
  const float quellBreite = float(quelle.w);
  const float quellHoehe = float(quelle.h);
  instanzen.push_back({position.x, position.y, position.z, breite == 0.0f ? quellBreite : breite,
                       hoehe == 0.0f ? quellHoehe : hoehe, float(quelle.x), float(quelle.y), quellBreite, quellHoehe,
                       farbe.r, farbe.g, farbe.b, farbe.a, winkel, zentriert ? 0.5f : 0.0f});
}
