#pragma once
// A depth-stencil surface in the depth format chosen at device creation. Always volatile; after a
// device reset it is created again at once.
#include <cstdint>

#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_BasisObjekt.h"

class Zarvo_ZeichenKontext;

class Zarvo_ZBuffer : public Zarvo_BasisObjekt {
 public:
  // Creates the surface at once (state 2 when that fails; the next Benutzen tries again).
  Zarvo_ZBuffer(Zarvo_ZeichenKontext& kontext, uint64_t breite, uint64_t hoehe);
  ~Zarvo_ZBuffer() override;

  void Benutzen() override;
  bool BelegtVideoRAM() const override { return true; }
  void VorZuruecksetzen() override;
  void NachZuruecksetzen() override { Benutzen(); }
  void Auslagern() override { VorZuruecksetzen(); }

  uint64_t breite;
  uint64_t hoehe;
  d3d9::IDirect3DSurface9* flaeche = nullptr;

 private:
  Zarvo_ZeichenKontext& kontext;
};
