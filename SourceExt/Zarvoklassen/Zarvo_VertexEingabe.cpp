#include "Zarvo_VertexEingabe.h"

#include <algorithm>

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

const Zarvo_VertexEingabe::Typ Zarvo_VertexEingabe::TYP_TABELLE[TYPEN] = {
    {D3DDECLTYPE_FLOAT1, 1, 4, 4},    {D3DDECLTYPE_FLOAT2, 1, 8, 8},    {D3DDECLTYPE_FLOAT3, 1, 12, 12},
    {D3DDECLTYPE_FLOAT4, 1, 16, 16},  {D3DDECLTYPE_UBYTE4, 1, 4, 4},    {D3DDECLTYPE_UBYTE4N, 1, 4, 4},
    {D3DDECLTYPE_SHORT2N, 1, 4, 4},   {D3DDECLTYPE_SHORT4N, 1, 8, 8},   {D3DDECLTYPE_SHORT2, 1, 4, 4},
    {D3DDECLTYPE_SHORT4, 1, 8, 8},    {D3DDECLTYPE_FLOAT3, 3, 12, 36},  {D3DDECLTYPE_FLOAT4, 3, 16, 48},
    {D3DDECLTYPE_FLOAT4, 4, 16, 64}};

Zarvo_VertexEingabe::Zarvo_VertexEingabe(Zarvo_ZeichenKontext& kontext) : kontext(kontext) {}

Zarvo_VertexEingabe::~Zarvo_VertexEingabe() {
  if (deklaration) deklaration->Release();
}

void Zarvo_VertexEingabe::AddKanal(uint32_t stream, uint32_t typ, uint32_t offset, bool instanz) {
  // A channel that does not fit is reported and left out, so the tables never overflow.
  if (kanalAnzahl >= uint32_t(MAX_KANAELE)) {
    ZARVO_PRUEFE("Zuviele Vertexdaten-Kanäle");
    return;
  }
  if (stream >= STROEME) {
    ZARVO_PRUEFE("Ungültiger BufferIndex für Vertexdaten");
    return;
  }
  if (typ >= TYPEN) {
    ZARVO_PRUEFE("Ungültiger Vertexdaten-Typ");
    return;
  }
  const Typ& t = TYP_TABELLE[typ];
  if (elementAnzahl + t.elemente > uint32_t(MAX_ELEMENTE)) {
    ZARVO_PRUEFE("Zuviele Vertexdaten-Kanäle");
    return;
  }
  const uint64_t bit = uint64_t(1) << stream;
  if ((streamMaske & bit) && bool(instanzMaske & bit) != instanz)
    ZARVO_PRUEFE("BufferIndex darf nicht gleichzeitig Vertex- und Instanzdaten liefern.");
  streamMaske |= bit;
  if (instanz) instanzMaske |= bit;
  streamAnzahl = std::max<uint64_t>(streamAnzahl, stream + 1);
  stride[stream] = uint16_t(std::max<uint32_t>(stride[stream], offset + t.groesse));
  kanaele[kanalAnzahl++] = {stream, typ, offset, instanz};

  const bool erster = elementAnzahl == 0;
  for (uint32_t i = 0; i < t.elemente; ++i) {
    const BYTE usage = erster ? D3DDECLUSAGE_POSITION : D3DDECLUSAGE_TEXCOORD;
    const BYTE index = BYTE(erster ? i : elementAnzahl - 1 + i);
    elemente[elementAnzahl + i] = {WORD(stream), WORD(offset + i * t.schritt), BYTE(t.d3dTyp), D3DDECLMETHOD_DEFAULT, usage, index};
  }
  elementAnzahl += t.elemente;
}

void Zarvo_VertexEingabe::Beenden() {
  elemente[elementAnzahl] = D3DDECL_END();
  IDirect3DDevice9* geraet = kontext.impl.geraet;
  if (geraet == nullptr || FAILED(geraet->CreateVertexDeclaration(elemente, &deklaration))) {
    deklaration = nullptr;
    g_Log.Schreibe("!Zarvo_VertexEingabe::Beenden(): Failed to create vertex input declaration.");
    ZARVO_PRUEFE("Failed to create vertex input declaration.");
  }
  zustand = ZUSTAND_BEREIT;
}
