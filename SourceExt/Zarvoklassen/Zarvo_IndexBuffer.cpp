#include "Zarvo_IndexBuffer.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

Zarvo_IndexBuffer::Zarvo_IndexBuffer(Zarvo_ZeichenKontext& kontext, uint32_t formatUndFlags, const Zarvo_BufferVorgabe& vorgabe)
    : Zarvo_BufferBasis(kontext, formatUndFlags & ~0xFFu, vorgabe.groesse), indexFormat(formatUndFlags & 0xFF) {
  if (groesse == 0) ZARVO_PRUEFE("Ungültige Buffergröße");
  if (indexFormat != INDEX16 && indexFormat != INDEX32) {
    ZARVO_PRUEFE("Ungültiges Indexformat");
    indexFormat = INDEX16;
  }
  if (!(flags & FLAG_DYNAMISCH) && (vorgabe.daten == nullptr || vorgabe.groesse != groesse))
    ZARVO_PRUEFE("Initialdaten müssen statischen Buffer ausfüllen");
  Fuelle(vorgabe);
}

HRESULT Zarvo_IndexBuffer::ErzeugeGeraeteBuffer() {
  const DWORD usage = D3DUSAGE_WRITEONLY | ((flags & FLAG_DYNAMISCH) ? D3DUSAGE_DYNAMIC : 0);
  const D3DFORMAT format = indexFormat == INDEX32 ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
  return kontext.impl.geraet->CreateIndexBuffer(UINT(groesse), usage, format, D3DPOOL_DEFAULT, &buffer, nullptr);
}

void Zarvo_IndexBuffer::MeldeErzeugungsFehler() {
  buffer = nullptr;
  g_Log.Schreibe("!Zarvo_IndexBuffer::Zarvo_IndexBuffer( %zd): Failed to create index buffer", size_t(groesse));
  ZARVO_PRUEFE("IndexBuffer creation failed");
}

void Zarvo_IndexBuffer::GibGeraeteBufferFrei() {
  if (buffer) buffer->Release();
  buffer = nullptr;
}
