#include "Zarvo_D3DTabellen.h"

#include <iterator>

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

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

D3DFORMAT GetD3DPixelFormat(uint32_t format) {
  static constexpr D3DFORMAT TABELLE[PXFMT_ANZAHL] = {
      D3DFMT_A8R8G8B8, D3DFMT_R5G6B5,        D3DFMT_A2B10G10R10, D3DFMT_R16F, D3DFMT_G16R16F,
      D3DFMT_A16B16G16R16F, D3DFMT_R32F,     D3DFMT_G32R32F,     D3DFMT_A32B32G32R32F, D3DFMT_G16R16,
      D3DFMT_A16B16G16R16,  D3DFMT_DXT1,     D3DFMT_DXT3,        D3DFMT_DXT5, D3DFMT_A8};
  if (format < PXFMT_ANZAHL) return TABELLE[format];
  SchreibePruefZeile("Invalides Pixelformat", "Zarvo::GetD3DPixelFormat", QuellPfad(__FILE__), __LINE__);
  return D3DFMT_A8R8G8B8;
}

D3DCUBEMAP_FACES GetD3DSeite(uint32_t seite) {
  static constexpr D3DCUBEMAP_FACES TABELLE[] = {D3DCUBEMAP_FACE_POSITIVE_Y, D3DCUBEMAP_FACE_NEGATIVE_Y, D3DCUBEMAP_FACE_POSITIVE_X,
                                                 D3DCUBEMAP_FACE_NEGATIVE_X, D3DCUBEMAP_FACE_POSITIVE_Z, D3DCUBEMAP_FACE_NEGATIVE_Z};
  if (seite < std::size(TABELLE)) return TABELLE[seite];
  g_Log.Schreibe("!Zarvo_WuerfelTextur::GetD3DSeite( %d): Ungültige CubeMap-Seite.", int(seite));
  SchreibePruefZeile("Ungültige CubeMap-Seite.", "Zarvo::GetD3DSeite", QuellPfad(__FILE__), __LINE__);
  return D3DCUBEMAP_FACE_POSITIVE_X;
}

}  // namespace Zarvo
