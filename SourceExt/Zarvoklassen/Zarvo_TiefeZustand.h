#pragma once
// An immutable depth state in Direct3D 9's values.
#include <cstdint>

#include "Zarvo_BasisObjekt.h"

struct Zarvo_TiefeZustandBeschr {
  uint8_t zTest;
  uint8_t zSchreiben;
  uint32_t vergleich;  // engine compare value
};

class Zarvo_TiefeZustand : public Zarvo_BasisObjekt {
 public:
  explicit Zarvo_TiefeZustand(const Zarvo_TiefeZustandBeschr& beschreibung);
  bool BelegtVideoRAM() const override { return false; }

  Zarvo_TiefeZustandBeschr beschreibung;
  uint32_t zAktiv;
  uint32_t zSchreibAktiv;
  uint32_t zFunktion;
};
