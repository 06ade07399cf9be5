#pragma once
// A render target: colour surfaces taken from textures or cube-texture faces, and an optional
// depth buffer. It owns its surface references, never the textures or the depth buffer.
#include <cstdint>

#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_BasisObjekt.h"

class Zarvo_ZBuffer;
class Zarvo_ZeichenKontext;

struct Zarvo_RenderzielBeschr {
  static constexpr int MAX_FARBBUFFER = 8;
  static constexpr uint64_t NUTZBARE_FARBBUFFER = 4;  // render-target slots of the device

  // One colour buffer (a Zarvo_Textur or Zarvo_WuerfelTextur) and a depth buffer or null; a depth
  // buffer smaller than the colour buffer is a consistency line.
  Zarvo_RenderzielBeschr(Zarvo_BasisObjekt* farbe, Zarvo_ZBuffer* tiefe);

  uint64_t anzahl = 1;
  Zarvo_BasisObjekt* farbBuffer[MAX_FARBBUFFER] = {};
  uint32_t seiten[MAX_FARBBUFFER] = {};  // engine cube faces, for cube textures
  Zarvo_ZBuffer* tiefe = nullptr;
  uint64_t breite = 0;
  uint64_t hoehe = 0;
};

class Zarvo_Renderziel : public Zarvo_BasisObjekt {
 public:
  static constexpr int SLOTS = 4;

  Zarvo_Renderziel(Zarvo_ZeichenKontext& kontext, const Zarvo_RenderzielBeschr& beschreibung);
  ~Zarvo_Renderziel() override { GibFlaechenFrei(); }

  // Takes the surfaces again when they are missing; does not stamp the last use.
  void Benutzen() override;
  bool BelegtVideoRAM() const override { return true; }
  void VorZuruecksetzen() override { GibFlaechenFrei(); }
  void NachZuruecksetzen() override { ErzeugeDaten(); }
  void Auslagern() override { GibFlaechenFrei(); }

  // Takes the surfaces from the colour buffers and the depth buffer; state 1, or state 2 while a
  // device object is missing.
  void ErzeugeDaten();

  Zarvo_RenderzielBeschr beschreibung;
  d3d9::IDirect3DSurface9* farbFlaechen[SLOTS] = {};
  d3d9::IDirect3DSurface9* weitereFlaechen[SLOTS] = {};
  d3d9::IDirect3DSurface9* tiefenFlaeche = nullptr;  // the depth buffer's, not owned

 private:
  void GibFlaechenFrei();
  Zarvo_ZeichenKontext& kontext;
};
