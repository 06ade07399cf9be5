#include "Zarvo_ZBuffer.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

Zarvo_ZBuffer::Zarvo_ZBuffer(Zarvo_ZeichenKontext& kontext, uint64_t breite, uint64_t hoehe)
    : Zarvo_BasisObjekt(FLAG_FLUECHTIG), breite(breite), hoehe(hoehe), kontext(kontext) {
  zustand = ZUSTAND_FEHLT;
  Benutzen();
}

Zarvo_ZBuffer::~Zarvo_ZBuffer() { VorZuruecksetzen(); }

void Zarvo_ZBuffer::Benutzen() {
  StempleNutzung();
  if (zustand != ZUSTAND_FEHLT) return;
  const D3DFORMAT format = kontext.impl.parameter.AutoDepthStencilFormat;
  const bool ok = kontext.ErzeugeMitPlatz(*this, true, [&] {
    return kontext.impl.geraet->CreateDepthStencilSurface(UINT(breite), UINT(hoehe), format, D3DMULTISAMPLE_NONE, 0, 1, &flaeche,
                                                          nullptr);
  });
  if (ok || !kontext.HatGeraet()) return;
  flaeche = nullptr;
  g_Log.Schreibe("!Zarvo_ZBuffer::Benutzen( %d, %d): Failed to create zbuffer of these properties.", int(breite), int(hoehe));
  ZARVO_PRUEFE("Failed to create zbuffer.");
}

void Zarvo_ZBuffer::VorZuruecksetzen() {
  if (flaeche) flaeche->Release();
  flaeche = nullptr;
  zustand = ZUSTAND_FEHLT;
}
