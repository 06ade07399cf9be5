#include "Zarvo_VertexBuffer.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

Zarvo_VertexBuffer::Zarvo_VertexBuffer(Zarvo_ZeichenKontext& kontext, uint64_t groesse, uint32_t flags,
                                       const Zarvo_BufferVorgabe& vorgabe)
    : Zarvo_BufferBasis(kontext, flags, groesse ? groesse : vorgabe.groesse) {
  if (this->groesse == 0 || this->groesse < vorgabe.groesse) ZARVO_PRUEFE("Ungültige Buffergröße");
  if (!(flags & FLAG_DYNAMISCH) && vorgabe.groesse != this->groesse) {
    g_Log.Schreibe("!Zarvo_VertexBuffer::Zarvo_VertexBuffer( %d, %d, ...): VertexBuffer ohne FLAG_DYNAMISCH kann nachträglich nicht "
                   "mehr beschrieben werden. Vorgabedaten müssen daher den Buffer vollständig ausfüllen.",
                   int(this->groesse), int(flags));
    ZARVO_PRUEFE("Initialdaten müssen zum Buffer passen");
  }
  Fuelle(vorgabe);
}

void Zarvo_VertexBuffer::SchreibeInhalt(const Zarvo_BufferVorgabe& vorgabe) {
  if (!(flags & FLAG_DYNAMISCH)) ZARVO_PRUEFE("Nachträgliches Ändern des Inhalts nur bei dynamischer Ressource möglich");
  if (vorgabe.groesse > groesse) ZARVO_PRUEFE("Neuer Inhalt zu groß für Buffer");
  Ersetze(vorgabe);
}

HRESULT Zarvo_VertexBuffer::ErzeugeGeraeteBuffer() {
  const DWORD usage = D3DUSAGE_WRITEONLY | ((flags & FLAG_DYNAMISCH) ? D3DUSAGE_DYNAMIC : 0);
  return kontext.impl.geraet->CreateVertexBuffer(UINT(groesse), usage, 0, D3DPOOL_DEFAULT, &buffer, nullptr);
}

void Zarvo_VertexBuffer::MeldeErzeugungsFehler() {
  buffer = nullptr;
  g_Log.Schreibe("!Zarvo_VertexBuffer::Zarvo_VertexBuffer( %d): Failed to create vertex buffer", int(groesse));
  SchreibePruefZeile("VertexBuffer creation failed", "Zarvo_VertexBuffer::Benutzen", QuellPfad(__FILE__), __LINE__);
}

void Zarvo_VertexBuffer::GibGeraeteBufferFrei() {
  if (buffer) buffer->Release();
  buffer = nullptr;
}
