#pragma once
// A vertex buffer with a kept main-memory copy (unless FLAG_FLUECHTIG); FLAG_DYNAMISCH allows
// SchreibeInhalt.
#include "Zarvo_BufferBasis.h"

class Zarvo_VertexBuffer : public Zarvo_BufferBasis {
 public:
  // A size of 0 takes the initial data's size.
  Zarvo_VertexBuffer(Zarvo_ZeichenKontext& kontext, uint64_t groesse, uint32_t flags, const Zarvo_BufferVorgabe& vorgabe);
  ~Zarvo_VertexBuffer() override { GibGeraeteBufferFrei(); }

  // Replaces the contents of a dynamic buffer.
  void SchreibeInhalt(const Zarvo_BufferVorgabe& vorgabe);

  d3d9::IDirect3DVertexBuffer9* buffer = nullptr;

 private:
  bool HatGeraeteBuffer() const override { return buffer != nullptr; }
  d3d9::HRESULT ErzeugeGeraeteBuffer() override;
  void MeldeErzeugungsFehler() override;
  void GibGeraeteBufferFrei() override;
  d3d9::HRESULT Sperre(void** daten, uint32_t flags) override { return buffer->Lock(0, 0, daten, flags); }
  void Entsperre() override { buffer->Unlock(); }
};
