#include "Zarvo_AlphaZustand.h"

#include "Zarvo_D3DTabellen.h"

using namespace d3d9;

Zarvo_AlphaZustandBeschr Zarvo_AlphaZustand::Vorgabe() {
  Zarvo_AlphaZustandBeschr b{};
  b.fuehrend = 0;
  for (Zarvo_AlphaZustandBeschr::Ziel& z : b.ziele) z = {0, 0, 1, 0, 0, 1, 0, 0, 15};
  return b;
}

Zarvo_AlphaZustand::Beschreibung::Beschreibung(uint32_t operation, uint32_t quelle, uint32_t ziel)
    : Zarvo_AlphaZustandBeschr(Vorgabe()) {
  ziele[0] = {1, operation, quelle, ziel, operation, quelle, ziel, 0, 15};
}

Zarvo_AlphaZustand::Zarvo_AlphaZustand(const Zarvo_AlphaZustandBeschr& b) : beschreibung(b) {
  const Zarvo_AlphaZustandBeschr::Ziel& z = b.ziele[0];
  alphaBlendAktiv = z.aktiv != 0;
  blendOperation = Zarvo::GetD3DBlendOp(z.farbOperation);
  quellBlend = Zarvo::GetD3DBlend(z.farbQuelle);
  zielBlend = Zarvo::GetD3DBlend(z.farbZiel);
  const bool gleich = z.alphaOperation == z.farbOperation && z.alphaQuelle == z.farbQuelle && z.alphaZiel == z.farbZiel;
  getrenntesAlpha = !gleich;
  alphaBlendOperation = gleich ? D3DBLENDOP_ADD : Zarvo::GetD3DBlendOp(z.alphaOperation);
  alphaQuellBlend = gleich ? D3DBLEND_ONE : Zarvo::GetD3DBlend(z.alphaQuelle);
  alphaZielBlend = gleich ? D3DBLEND_ZERO : Zarvo::GetD3DBlend(z.alphaZiel);
  schreibMaske = uint32_t(z.schreibMaske);
  zustand = ZUSTAND_BEREIT;
}
