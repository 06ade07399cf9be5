#pragma once
// Many small images in one: the atlas image in system memory (A8R8G8B8, one level), a rectangle
// packer over it, and entries addressed by the caller's own index. An entry that does not fit
// grows the atlas until it does; growing and compaction re-place every live entry in index order
// from a snapshot of the old image. New images are cleared to 0.
#include <cstdint>
#include <vector>

#include "TPlatz.h"
#include "Zarvo_Bild.h"

class TBereich;
class TSpeicher;

class Zarvo_GfxAtlas {
 public:
  struct Eintrag {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t w = 0;
    uint32_t h = 0;
    float u = 0;
    float v = 0;
    float du = 0;
    float dv = 0;
  };
  static constexpr uint64_t FLAG_NORMALKARTE = 1;
  static constexpr uint64_t FLAG_NUR_VIDEORAM = 2;
  static constexpr uint32_t KENNUNG_BLOCK = 0x424C4B47;  // "BLKG"
  static constexpr uint32_t KENNUNG_ATLAS = 0x46583344;  // "FX3D"
  static constexpr uint64_t SLOT_RASTER = 64;

  Zarvo_GfxAtlas(uint64_t kante, uint64_t flags);
  Zarvo_GfxAtlas(uint64_t breite, uint64_t hoehe, uint64_t flags);
  Zarvo_GfxAtlas(const Zarvo_GfxAtlas&) = default;
  Zarvo_GfxAtlas& operator=(const Zarvo_GfxAtlas&) = delete;
  virtual ~Zarvo_GfxAtlas() = default;

  // Places entry i (growing as needed) and copies the w x h sub-region at (sx, sy) of `quelle`.
  virtual void KopiereEintrag(uint64_t i, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w, uint64_t h);
  // Reads an atlas block. False on a wrong magic (no line) or a damaged block (one line); the
  // atlas then stays as it was.
  virtual bool LadeAusSpeicher(TSpeicher& speicher);
  // Re-places all live entries from scratch, growing when they no longer fit the area.
  virtual void Aufraeumen();

  // Re-creates the atlas square at the new edge and re-places all live entries. Growth stops at
  // the images' largest edge: then one line is written, the atlas stays as it was and the result
  // is false.
  bool SetzeGroesse(uint64_t kante);
  // Places entry i, growing the atlas as needed; false (entry not placed) beyond the largest edge.
  bool PlatziereEintrag(uint64_t i, uint64_t w, uint64_t h);

  uint32_t GibEintragHoehe(uint64_t i) const;
  // The record of a live entry, else null.
  const Eintrag* GibEintrag(uint64_t i) const;
  bool IstLebendig(uint64_t i) const;
  uint64_t SlotAnzahl() const { return eintraege.size(); }
  uint64_t Flags() const { return flags; }
  const Zarvo_Bild& Bild() const { return bild; }
  Zarvo_Bild& Bild() { return bild; }
  const TPlatz& Platz() const { return platz; }

  // The edge the atlas grows to from W x H: 512 from an image without pixels (W or H 0), the
  // next power of two above H when square, else max(W, H).
  static uint64_t NaechsteKante(uint64_t breite, uint64_t hoehe);

 protected:
  // Called whenever the image content changed outside KopiereEintrag.
  virtual void BildGeaendert() {}

  uint64_t flags = 0;

 private:
  struct Neuplatzierung {
    uint64_t index;
    Eintrag alt;
  };
  void SetzeEintrag(uint64_t i, const Eintrag& e);
  Eintrag BaueEintrag(uint64_t x, uint64_t y, uint64_t w, uint64_t h) const;
  std::vector<Neuplatzierung> LebendeEintraege() const;
  bool PlatziereAlleNeu(uint64_t breite, uint64_t hoehe);
  // Writes the line for growth beyond the largest edge; always false.
  static bool MeldeKantenGrenze(uint64_t groessteKante);
  bool VersucheNeuplatzierung(const Zarvo_Bild& quelle, const std::vector<Neuplatzierung>& liste, uint64_t breite,
                              uint64_t hoehe);

  Zarvo_Bild bild;
  TPlatz platz;
  std::vector<Eintrag> eintraege;
  std::vector<uint64_t> lebend;
};
