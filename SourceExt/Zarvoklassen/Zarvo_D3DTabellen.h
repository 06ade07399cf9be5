#pragma once
// The engine's blend, blend-operation and compare values in Direct3D 9's numbering.
#include <cstdint>

#include "Plattform/d3d9/d3d9.h"

namespace Zarvo {

// 0 zero, 1 one, 2 source alpha, 3 source colour, 4 inverse source alpha, 5 inverse source
// colour, 6 destination alpha, 7 destination colour, 8 inverse destination alpha, 9 inverse
// destination colour; other values give ZERO.
d3d9::D3DBLEND GetD3DBlend(uint32_t faktor);
// 0 add, 1 subtract, 2 reverse subtract, 3 min, 4 max; other values give ADD.
d3d9::D3DBLENDOP GetD3DBlendOp(uint32_t operation);
// 0 never, 1 less, 2 less or equal, 3 equal, 4 greater, 5 greater or equal, 6 not equal; any
// other value gives ALWAYS.
d3d9::D3DCMPFUNC GetD3DVergleich(uint32_t vergleich);

}  // namespace Zarvo
