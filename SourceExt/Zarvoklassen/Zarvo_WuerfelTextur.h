#pragma once
// A cube texture: six square faces in engine face order (+Y, -Y, +X, -X, +Z, -Z), each with its
// mip levels. Flags as for Zarvo_Textur; an invalid pixel format becomes A8R8G8B8.
#include "Zarvo_TexturBasis.h"

class Zarvo_WuerfelTextur : public Zarvo_TexturBasis {
 public:
  Zarvo_WuerfelTextur(Zarvo_ZeichenKontext& kontext, uint64_t kante, uint64_t mipAnzahl, uint32_t flags,
                      const Zarvo_WuerfelTexturVorgabe& vorgabe);
  ~Zarvo_WuerfelTextur() override;

  // Entry l of face `seite` = the whole of mip level l of the face image.
  static void FuelleSeite(Zarvo_WuerfelTexturVorgabe& vorgabe, uint32_t seite, Zarvo_Bild& flaeche);

  // Writes a region into the top-left corner of level `stufe` of engine face `seite`.
  void InternSchreibeInhalt(uint32_t seite, uint64_t stufe, const TBereich& bereich) { SchreibeInhalt(seite, stufe, bereich); }

  d3d9::IDirect3DBaseTexture9* GeraeteBasis() const override { return textur; }
  d3d9::IDirect3DSurface9* HoleOberflaeche(uint32_t seite, uint64_t stufe) override;
  uint64_t Kante() const { return breite; }

  d3d9::IDirect3DCubeTexture9* textur = nullptr;

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
