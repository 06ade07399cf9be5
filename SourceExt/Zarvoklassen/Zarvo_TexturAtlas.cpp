#include "Zarvo_TexturAtlas.h"

#include "Zarvo_Screen3D.h"
#include "Zarvo_Textur.h"
#include "Zarvo_TexturBasis.h"
#include "Zarvo_ZeichenKontext.h"

Zarvo_TexturAtlas::Zarvo_TexturAtlas(uint64_t kante, uint64_t flags_) : Zarvo_GfxAtlas(kante, flags_) {}

Zarvo_TexturAtlas::Zarvo_TexturAtlas(uint64_t breite, uint64_t hoehe, uint64_t flags_)
    : Zarvo_GfxAtlas(breite, hoehe, flags_) {}

Zarvo_TexturAtlas::Zarvo_TexturAtlas(Zarvo_TexturAtlas&& quelle) noexcept
    : Zarvo_GfxAtlas(quelle), textur(quelle.textur), zweiteResource(quelle.zweiteResource), geaendert(quelle.geaendert) {
  quelle.textur = nullptr;
  quelle.zweiteResource = nullptr;
  quelle.geaendert = false;
}

Zarvo_TexturAtlas::~Zarvo_TexturAtlas() {
  GibTexturFrei();
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (zweiteResource && kontext) kontext->GibFrei(zweiteResource);
  zweiteResource = nullptr;
}

void Zarvo_TexturAtlas::KopiereEintrag(uint64_t i, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w,
                                       uint64_t h) {
  Zarvo_GfxAtlas::KopiereEintrag(i, quelle, sx, sy, w, h);
  geaendert = true;
}

bool Zarvo_TexturAtlas::LadeAusSpeicher(TSpeicher& speicher) { return Zarvo_GfxAtlas::LadeAusSpeicher(speicher); }

void Zarvo_TexturAtlas::Aufraeumen() {
  Zarvo_GfxAtlas::Aufraeumen();
  ErzeugeTextur();
}

void Zarvo_TexturAtlas::GibTexturFrei() {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (textur && kontext) kontext->GibFrei(textur);
  textur = nullptr;
}

// The CPU keeps the full filtered chain; only level 0 goes to the device, which makes the rest.
void Zarvo_TexturAtlas::ErzeugeTextur() {
  geaendert = false;
  GibTexturFrei();
  Zarvo_Bild& bild = Bild();
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (bild.Breite() == 0 || bild.Hoehe() == 0 || !kontext) return;
  bild.ErzeugeMipKette(1);
  bild.ErzeugeMipKette(0);
  bild.BerechneMipMaps();
  Zarvo_TexturVorgabe vorgabe;
  bild.LockBereich(vorgabe.stufen[0]);
  const uint32_t texturFlags = Zarvo_BasisObjekt::FLAG_FLUECHTIG |
                               (flags & FLAG_NUR_VIDEORAM ? Zarvo_BasisObjekt::FLAG_RENDERZIEL : 0u);
  textur = kontext->ErzeugeTextur(bild.Breite(), bild.Hoehe(), 0, texturFlags, vorgabe);
}

Zarvo_Textur* Zarvo_TexturAtlas::GibTextur() {
  if (geaendert || (textur && textur->zustand == Zarvo_BasisObjekt::ZUSTAND_FEHLT)) ErzeugeTextur();
  return textur;
}
