#pragma once
// An index buffer of 16-bit (format 1) or 32-bit (format 2) indices with a kept main-memory copy
// (unless FLAG_FLUECHTIG). Its size is always that of the initial data.
#include "Zarvo_BufferBasis.h"

class Zarvo_IndexBuffer : public Zarvo_BufferBasis {
 public:
  static constexpr uint64_t INDEX16 = 1;
  static constexpr uint64_t INDEX32 = 2;

  // `formatUndFlags`: the index format in the low byte, the usage flags above it. Other formats
  // are a consistency line and give 16-bit indices.
  Zarvo_IndexBuffer(Zarvo_ZeichenKontext& kontext, uint32_t formatUndFlags, const Zarvo_BufferVorgabe& vorgabe);
  ~Zarvo_IndexBuffer() override { GibGeraeteBufferFrei(); }

  uint64_t indexFormat;
  d3d9::IDirect3DIndexBuffer9* buffer = nullptr;

 private:
  bool HatGeraeteBuffer() const override { return buffer != nullptr; }
  d3d9::HRESULT ErzeugeGeraeteBuffer() override;
  void MeldeErzeugungsFehler() override;
  void GibGeraeteBufferFrei() override;
  d3d9::HRESULT Sperre(void** daten, uint32_t flags) override { return buffer->Lock(0, 0, daten, flags); }
  void Entsperre() override { buffer->Unlock(); }
};
