#pragma once
// An atlas with a device texture that mirrors its image. The texture is rebuilt lazily: adding,
// growing, compaction and loading only mark it dirty; it is rebuilt when next asked for, and also
// when the device dropped it.
#include <cstdint>

#include "Zarvo_GfxAtlas.h"

class Zarvo_BasisObjekt;
class Zarvo_Textur;

class Zarvo_TexturAtlas : public Zarvo_GfxAtlas {
 public:
  Zarvo_TexturAtlas(uint64_t kante, uint64_t flags);
  Zarvo_TexturAtlas(uint64_t breite, uint64_t hoehe, uint64_t flags);
  Zarvo_TexturAtlas(Zarvo_TexturAtlas&& quelle) noexcept;
  ~Zarvo_TexturAtlas() override;

  void KopiereEintrag(uint64_t i, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w, uint64_t h) override;
  bool LadeAusSpeicher(TSpeicher& speicher) override;
  void Aufraeumen() override;

  // (Re)builds the texture from the image; none for an empty image or without a drawing context.
  void ErzeugeTextur();
  // The texture, rebuilt first when dirty or no longer resident; may be null.
  Zarvo_Textur* GibTextur();
  bool IstGeaendert() const { return geaendert; }

 protected:
  void BildGeaendert() override { geaendert = true; }

 private:
  void GibTexturFrei();

  Zarvo_Textur* textur = nullptr;
  Zarvo_BasisObjekt* zweiteResource = nullptr;
  bool geaendert = true;
};
