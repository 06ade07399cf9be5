#pragma once
// A render resource: anything the graphics device holds for the program. Resources come from the
// drawing context's factories, which enter them in its registry, and go back through
// Zarvo_ZeichenKontext::GibFrei. A resource with device memory creates its device object on use:
// eviction and device resets drop it, the next Benutzen creates it again.
#include <cstdint>

#include "Zarvo_Timer.h"

class Zarvo_BasisObjekt {
 public:
  // Usage flags of the derived classes.
  static constexpr uint32_t FLAG_DYNAMISCH = 0x100;   // contents may be rewritten after creation
  static constexpr uint32_t FLAG_FLUECHTIG = 0x200;   // no copy of the contents in main memory
  static constexpr uint32_t FLAG_RENDERZIEL = 0x800;  // texture is a render target
  static constexpr uint32_t FLAG_MIPMAPS = 0x1000;    // texture carries a mip chain

  // States.
  static constexpr uint32_t ZUSTAND_NEU = 0;     // constructed, nothing created yet
  static constexpr uint32_t ZUSTAND_BEREIT = 1;  // device object present
  static constexpr uint32_t ZUSTAND_FEHLT = 2;   // device object absent, created by the next Benutzen

  // Takes the next AllocID and stamps the last use.
  explicit Zarvo_BasisObjekt(uint32_t flags = 0);
  virtual ~Zarvo_BasisObjekt() = default;
  Zarvo_BasisObjekt(const Zarvo_BasisObjekt&) = delete;
  Zarvo_BasisObjekt& operator=(const Zarvo_BasisObjekt&) = delete;

  // Called by every user before handing the resource to the device: stamps the last use.
  virtual void Benutzen();
  virtual bool BelegtVideoRAM() const = 0;
  // Around a device reset.
  virtual void VorZuruecksetzen() {}
  virtual void NachZuruecksetzen() {}
  // Drops the device object to make room in video memory.
  virtual void Auslagern() {}

  uint64_t allocId;            // unique in the run, rising
  uint64_t registerIndex = 0;  // slot in the registry
  TZeit letzteNutzung;
  uint32_t zustand = ZUSTAND_NEU;
  uint32_t flags;

 protected:
  void StempleNutzung();
};
