#pragma once
// What vertex and index buffers share: the initial-data record, the kept main-memory copy,
// creation on use with the refill from the copy, and replacing the contents of a dynamic buffer.
// A copy never runs past the buffer: data larger than it is cut to its size.
//
// Data blocks handed over with ownership 1 must come from std::malloc.
#include <cstdint>

#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_BasisObjekt.h"

class Zarvo_ZeichenKontext;

struct Zarvo_BufferVorgabe {
  void* daten = nullptr;
  uint64_t groesse = 0;
  uint32_t besitz = 0;  // 1 = the buffer takes over the block
};

class Zarvo_BufferBasis : public Zarvo_BasisObjekt {
 public:
  ~Zarvo_BufferBasis() override;

  // Creates the device buffer when it is missing and refills it from the kept copy.
  void Benutzen() override;
  bool BelegtVideoRAM() const override { return true; }
  void VorZuruecksetzen() override;
  void Auslagern() override { VorZuruecksetzen(); }

  uint64_t groesse = 0;
  uint8_t* kopie = nullptr;

 protected:
  Zarvo_BufferBasis(Zarvo_ZeichenKontext& kontext, uint32_t flags, uint64_t groesse);
  // Construction after the checks: creation, initial data, kept copy.
  void Fuelle(const Zarvo_BufferVorgabe& vorgabe);
  // Replaces the contents (checks of the derived class already made).
  void Ersetze(const Zarvo_BufferVorgabe& vorgabe);

  virtual bool HatGeraeteBuffer() const = 0;
  virtual d3d9::HRESULT ErzeugeGeraeteBuffer() = 0;
  virtual void MeldeErzeugungsFehler() = 0;
  virtual void GibGeraeteBufferFrei() = 0;
  virtual d3d9::HRESULT Sperre(void** daten, uint32_t flags) = 0;
  virtual void Entsperre() = 0;

  Zarvo_ZeichenKontext& kontext;

 private:
  bool Erzeuge();
  // Locks the whole buffer (discard when dynamic) and copies; false when the lock failed.
  bool Schreibe(const void* daten, uint64_t bytes);
};
