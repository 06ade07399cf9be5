#pragma once
// The engine's screen opened for a display test, with the retry of AnzeigeWiederholung.h: only a
// refusal at the display step is tried again.
#include <cstdint>
#include <string>

#include "AnzeigeWiederholung.h"
#include "Zarvo_Screen3D.h"

namespace anzeige {

inline bool OeffneBildschirm(uint32_t breite, uint32_t hoehe, uint64_t flags = 0) {
  return MitWiederholung("Zarvo_Screen3D::Init", [&](std::string& meldung) {
    if (Zarvo_Screen3D::Init(0, 0, {breite, hoehe, 0, 0}, flags)) return true;
    const Zarvo_Screen3D::InitFehler& fehler = Zarvo_Screen3D::LetzterInitFehler();
    meldung = fehler.schritt == Zarvo_Screen3D::Schritt::Anzeige
                  ? fehler.meldung
                  : std::string("Schritt ") + Zarvo_Screen3D::SchrittName(fehler.schritt) + ": " + fehler.meldung;
    Zarvo_Screen3D::Schliessen();
    return false;
  });
}

}  // namespace anzeige
