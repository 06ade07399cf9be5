#pragma once
// The screen opened on the recording device over the scripted window system, and closed again
// with its window system and back end reset: the drawing context that engine classes reach
// through Zarvo_Screen3D, for tests and benchmarks.
#include <cstdint>

#include "FensterAttrappe.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_ZeichenKontext.h"

class NullBildschirm {
 public:
  explicit NullBildschirm(uint32_t breite = 320, uint32_t hoehe = 240, const d3d9::NullKonfig& konfig = {}) {
    d3d9::WaehleNullBackend(konfig);
    Zarvo_Screen3D::SetzeFenstersystem(&fenster);
    offen = Zarvo_Screen3D::Init(0, 0, {breite, hoehe, 0, 0}, 0);
  }
  ~NullBildschirm() {
    Zarvo_Screen3D::Schliessen();
    Zarvo_Screen3D::SetzeFenstersystem(nullptr);
    d3d9::WaehleGl33Backend();
  }
  NullBildschirm(const NullBildschirm&) = delete;
  NullBildschirm& operator=(const NullBildschirm&) = delete;

  bool Offen() const { return offen; }
  Zarvo_ZeichenKontext* Kontext() const { return Zarvo_Screen3D::GibZeichenKontext(); }
  // Resources alive in the context's registry.
  int Belegt() const {
    int n = 0;
    Kontext()->registerListe.FuerAlle([&](Zarvo_BasisObjekt*) { ++n; });
    return n;
  }

  FensterAttrappe fenster;

 private:
  bool offen = false;
};
