#pragma once
// An immutable blend state, translated to Direct3D 9's render-state values when it is made. Only
// the first render-target entry reaches the device.
#include <cstdint>

#include "Zarvo_BasisObjekt.h"

struct Zarvo_AlphaZustandBeschr {
  struct Ziel {
    uint8_t aktiv;
    uint32_t farbOperation;
    uint32_t farbQuelle;
    uint32_t farbZiel;
    uint32_t alphaOperation;
    uint32_t alphaQuelle;
    uint32_t alphaZiel;
    uint32_t ungenutzt;
    uint64_t schreibMaske;  // bit 0 red, 1 green, 2 blue, 3 alpha
  };
  uint8_t fuehrend;  // 0 in every description; not read
  Ziel ziele[8];
};

class Zarvo_AlphaZustand : public Zarvo_BasisObjekt {
 public:
  // A description with blending off everywhere (add, one, zero, mask 15), then entry 0 blending
  // with the given operation and factors for colour and alpha.
  struct Beschreibung : Zarvo_AlphaZustandBeschr {
    Beschreibung(uint32_t operation, uint32_t quelle, uint32_t ziel);
  };
  // Blending off everywhere: add, one, zero, mask 15.
  static Zarvo_AlphaZustandBeschr Vorgabe();

  explicit Zarvo_AlphaZustand(const Zarvo_AlphaZustandBeschr& beschreibung);
  bool BelegtVideoRAM() const override { return false; }

  Zarvo_AlphaZustandBeschr beschreibung;
  uint32_t alphaBlendAktiv;
  uint32_t blendOperation;
  uint32_t quellBlend;
  uint32_t zielBlend;
  uint32_t getrenntesAlpha;
  uint32_t alphaBlendOperation;
  uint32_t alphaQuellBlend;
  uint32_t alphaZielBlend;
  uint32_t schreibMaske;
};
