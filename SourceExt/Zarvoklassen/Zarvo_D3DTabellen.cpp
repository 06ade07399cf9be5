#include "Zarvo_D3DTabellen.h"

#include <iterator>

using namespace d3d9;

namespace Zarvo {

D3DBLEND GetD3DBlend(uint32_t faktor) {
  static constexpr D3DBLEND TABELLE[] = {D3DBLEND_ZERO,        D3DBLEND_ONE,          D3DBLEND_SRCALPHA,    D3DBLEND_SRCCOLOR,
                                         D3DBLEND_INVSRCALPHA, D3DBLEND_INVSRCCOLOR,  D3DBLEND_DESTALPHA,   D3DBLEND_DESTCOLOR,
                                         D3DBLEND_INVDESTALPHA, D3DBLEND_INVDESTCOLOR};
  return faktor < std::size(TABELLE) ? TABELLE[faktor] : D3DBLEND_ZERO;
}

D3DBLENDOP GetD3DBlendOp(uint32_t operation) {
  static constexpr D3DBLENDOP TABELLE[] = {D3DBLENDOP_ADD, D3DBLENDOP_SUBTRACT, D3DBLENDOP_REVSUBTRACT, D3DBLENDOP_MIN,
                                           D3DBLENDOP_MAX};
  return operation < std::size(TABELLE) ? TABELLE[operation] : D3DBLENDOP_ADD;
}

D3DCMPFUNC GetD3DVergleich(uint32_t vergleich) {
  static constexpr D3DCMPFUNC TABELLE[] = {D3DCMP_NEVER,   D3DCMP_LESS,         D3DCMP_LESSEQUAL, D3DCMP_EQUAL,
                                           D3DCMP_GREATER, D3DCMP_GREATEREQUAL, D3DCMP_NOTEQUAL};
  return vergleich < std::size(TABELLE) ? TABELLE[vergleich] : D3DCMP_ALWAYS;
}

}  // namespace Zarvo
