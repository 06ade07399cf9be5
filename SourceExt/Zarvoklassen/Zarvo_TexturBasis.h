#pragma once
// What 2D and cube textures share: the construction steps (size, level count, flags, checks of
// the initial data), the kept main-memory copies of the levels, creation on use with the
// write-back of the copies, and writing a region into a level through a lock or a temporary
// system-memory surface. A 2D texture is one face; a cube texture six, in engine face order.
//
// Level buffers handed over with ownership 1 must come from std::malloc; kept copies are freed
// with std::free.
#include <cstdint>

#include "Plattform/d3d9/d3d9.h"
#include "TBereich.h"
#include "Zarvo_BasisObjekt.h"
#include "Zarvo_Pixelformat.h"

class Zarvo_Bild;
class Zarvo_ZeichenKontext;

// Initial data of a 2D texture: one region per mip level, then the ownership flag.
struct Zarvo_TexturVorgabe {
  static constexpr int STUFEN = 16;
  Zarvo_TexturVorgabe() = default;
  // Entry l = the whole of mip level l of the image; the other entries stay empty.
  Zarvo_TexturVorgabe(Zarvo_Bild& bild, uint32_t besitz);

  TBereich stufen[STUFEN];
  uint32_t besitz = 0;  // 1 = the texture takes over the level buffers
};

// Initial data of a cube texture: 16 regions per face in engine face order, one ownership flag.
struct Zarvo_WuerfelTexturVorgabe {
  TBereich seiten[6][Zarvo_TexturVorgabe::STUFEN];
  uint32_t besitz = 0;
};

// An entry has data when its pointer, width, height and pitch are all non-zero.
bool HatDaten(const TBereich& bereich);

class Zarvo_TexturBasis : public Zarvo_BasisObjekt {
 public:
  static constexpr int MAX_STUFEN = Zarvo_TexturVorgabe::STUFEN;

  ~Zarvo_TexturBasis() override;

  void Benutzen() override;
  bool BelegtVideoRAM() const override { return true; }
  void VorZuruecksetzen() override;
  void Auslagern() override { VorZuruecksetzen(); }

  // The device texture (null while absent).
  virtual d3d9::IDirect3DBaseTexture9* GeraeteBasis() const = 0;
  // Level l of a face as a device surface with one reference, or null.
  virtual d3d9::IDirect3DSurface9* HoleOberflaeche(uint32_t seite, uint64_t stufe) = 0;

  // The kept copy of level l of a face as a region; empty when there is none.
  TBereich KopieAlsBereich(uint32_t seite, uint64_t stufe) const;
  // Bytes of all levels of all faces at the pixel format.
  uint64_t Bytes() const;
  uint64_t StufenBreite(uint64_t stufe) const;
  uint64_t StufenHoehe(uint64_t stufe) const;

  uint64_t breite = 0;
  uint64_t hoehe = 0;
  uint64_t mipAnzahl = 0;
  Zarvo_Pixelformat format = PXFMT_A8R8G8B8;
  uint8_t* kopien[6][MAX_STUFEN] = {};
  d3d9::D3DFORMAT d3dFormat = d3d9::D3DFMT_A8R8G8B8;

 protected:
  // The log lines of the construction steps, in each class's own words.
  enum class Meldung { FORMAT, ZUVIELE_STUFEN, FLUECHTIG, DXT_STUFEN, OHNE_INHALT, VORGABE, GROESSE };

  Zarvo_TexturBasis(Zarvo_ZeichenKontext& kontext, uint32_t seiten, uint32_t flags);
  // The construction steps over `vorgaben` (one array of 16 entries per face); called by the
  // derived constructor once its object is complete.
  void Baue(uint64_t breite, uint64_t hoehe, uint64_t mipWunsch, const TBereich (*vorgaben)[MAX_STUFEN], uint32_t besitz);
  // Writes the region into the top-left corner of level l of a face.
  void SchreibeInhalt(uint32_t seite, uint64_t stufe, const TBereich& bereich);

  virtual void Melde(Meldung meldung, uint64_t seite, uint64_t stufe) = 0;
  virtual bool PruefeGroesse() const = 0;
  // Creates the device texture with these arguments; D3D's result.
  virtual d3d9::HRESULT ErzeugeGeraeteTextur(uint32_t levels, uint32_t usage) = 0;
  virtual void MeldeErzeugungsFehler(d3d9::HRESULT ergebnis) = 0;
  virtual void GibGeraeteTexturFrei() = 0;
  virtual d3d9::HRESULT Sperre(uint32_t seite, uint64_t stufe, d3d9::D3DLOCKED_RECT& gesperrt, const d3d9::RECT* rechteck,
                               uint32_t flags) = 0;
  virtual void Entsperre(uint32_t seite, uint64_t stufe) = 0;
  virtual void MeldeTemporaerFehler(uint32_t seite, uint64_t stufe) = 0;

  Zarvo_ZeichenKontext& kontext;
  uint32_t seitenAnzahl;
  uint64_t wunschMips = 0;     // the requested count, for the log lines
  uint32_t wunschFlags = 0;    // the flags as passed, for the log lines
  bool ungueltig = false;      // bad size: never created on the device

 private:
  bool AutoMips() const { return (flags & FLAG_MIPMAPS) == 0 && mipAnzahl != 1; }
  uint64_t GegebeneStufen() const { return (flags & FLAG_MIPMAPS) ? mipAnzahl : 1; }
  bool Erzeuge();
  bool StufeGueltig(const TBereich& eintrag, uint64_t stufe) const;
  void BehalteKopien(const TBereich (*vorgaben)[MAX_STUFEN], uint32_t besitz, const bool (*gueltig)[MAX_STUFEN]);
  void SchreibeGesperrt(uint32_t seite, uint64_t stufe, const TBereich& bereich, uint64_t w, uint64_t h);
  void SchreibeUeberOberflaeche(uint32_t seite, uint64_t stufe, const TBereich& bereich, uint64_t w, uint64_t h);
  void SchreibeKopienZurueck();
  uint64_t KopieBytes(uint64_t stufe) const;
};
