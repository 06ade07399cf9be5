#pragma once
// A 2D texture with its mip levels. Flags: the pixel format in the low byte, then
// FLAG_DYNAMISCH (written by locking), FLAG_FLUECHTIG (no kept copy), FLAG_RENDERZIEL (always
// volatile) and FLAG_MIPMAPS (levels given by the caller; otherwise the device makes them).
#include "Zarvo_TexturBasis.h"

class Zarvo_Textur : public Zarvo_TexturBasis {
 public:
  // A width or height of 0 is taken from entry 0 of the initial data; 0 levels = the full chain.
  Zarvo_Textur(Zarvo_ZeichenKontext& kontext, uint64_t breite, uint64_t hoehe, uint64_t mipAnzahl, uint32_t flags,
               const Zarvo_TexturVorgabe& vorgabe);
  ~Zarvo_Textur() override;

  // Writes a region into the top-left corner of mip level `stufe`.
  void InternSchreibeInhalt(uint64_t stufe, const TBereich& bereich) { SchreibeInhalt(0, stufe, bereich); }
  TBereich KopieAlsBereich(uint64_t stufe) const { return Zarvo_TexturBasis::KopieAlsBereich(0, stufe); }

  d3d9::IDirect3DBaseTexture9* GeraeteBasis() const override { return textur; }
  d3d9::IDirect3DSurface9* HoleOberflaeche(uint32_t seite, uint64_t stufe) override;

  d3d9::IDirect3DTexture9* textur = nullptr;

 private:
  void Melde(Meldung meldung, uint64_t seite, uint64_t stufe) override;
  bool PruefeGroesse() const override;
  d3d9::HRESULT ErzeugeGeraeteTextur(uint32_t levels, uint32_t usage) override;
  void MeldeErzeugungsFehler(d3d9::HRESULT ergebnis) override;
  void GibGeraeteTexturFrei() override;
  d3d9::HRESULT Sperre(uint32_t seite, uint64_t stufe, d3d9::D3DLOCKED_RECT& gesperrt, const d3d9::RECT* rechteck,
                       uint32_t flags) override;
  void Entsperre(uint32_t seite, uint64_t stufe) override;
  void MeldeTemporaerFehler(uint32_t seite, uint64_t stufe) override;
};

// A texture from an image: a cube map gives a Zarvo_WuerfelTextur, anything else a Zarvo_Textur,
// with every level as initial data (ownership 0) and FLAG_MIPMAPS from two levels on.
Zarvo_TexturBasis* Zarvo_ErzeugeTexturAusBild(Zarvo_ZeichenKontext& kontext, Zarvo_Bild& bild);
