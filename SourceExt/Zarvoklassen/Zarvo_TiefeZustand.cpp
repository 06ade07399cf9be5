#include "Zarvo_TiefeZustand.h"

#include "Zarvo_D3DTabellen.h"

Zarvo_TiefeZustand::Zarvo_TiefeZustand(const Zarvo_TiefeZustandBeschr& b)
    : beschreibung(b), zAktiv(b.zTest != 0), zSchreibAktiv(b.zSchreiben != 0), zFunktion(Zarvo::GetD3DVergleich(b.vergleich)) {
  zustand = ZUSTAND_BEREIT;
}
