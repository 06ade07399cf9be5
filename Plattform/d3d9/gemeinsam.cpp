// What both back ends share: the back-end choice, the diagnostics sink, format sizes.
#include <atomic>
#include <memory>

#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/gl33/Gl33.h"
#include "Plattform/d3d9/null/NullGeraet.h"

namespace d3d9 {


namespace {
bool g_Null = false;
DiagnoseSenke g_Senke;
std::string g_LetzteDiagnose;
std::atomic<PresentHaken> g_PresentHaken{nullptr};
}  // namespace

void WaehleNullBackend(const NullKonfig& konfig) {
  null::NeueWelt(konfig);
  g_Null = true;
}
void WaehleGl33Backend() { g_Null = false; }

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  if (g_Null) return null::ErzeugeFabrik();
  return gl33::ErzeugeFabrik();
}

void SetzeDiagnoseSenke(DiagnoseSenke senke) { g_Senke = std::move(senke); }
void MeldeDiagnose(const std::string& text) {
  g_LetzteDiagnose = text;
  if (g_Senke) g_Senke(text);
}
std::string LetzteDiagnose() { return g_LetzteDiagnose; }

void SetzePresentHaken(PresentHaken haken) { g_PresentHaken.store(haken); }
void MeldePresent() {
  if (PresentHaken haken = g_PresentHaken.load()) haken();
}

namespace {
bool IstDxt(D3DFORMAT format) { return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5; }
}  // namespace

UINT BitsProPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8: return 8;
    case D3DFMT_R5G6B5:
    case D3DFMT_D16:
    case D3DFMT_R16F:
    case D3DFMT_INDEX16: return 16;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A2B10G10R10:
    case D3DFMT_G16R16:
    case D3DFMT_G16R16F:
    case D3DFMT_R32F:
    case D3DFMT_D32:
    case D3DFMT_D24X8:
    case D3DFMT_INDEX32: return 32;
    case D3DFMT_A16B16G16R16:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_G32R32F: return 64;
    case D3DFMT_A32B32G32R32F: return 128;
    default: return 0;
  }
}

namespace {
// Bytes of one row (DXT: one row of 4 x 4 blocks), without overflow for any width.
uint64_t ZeilenBytes(D3DFORMAT format, UINT breite) {
  if (IstDxt(format)) return (uint64_t(breite) + 3) / 4 * (format == D3DFMT_DXT1 ? 8 : 16);
  return uint64_t(breite) * (BitsProPixel(format) / 8);
}
}  // namespace

UINT ZeilenAbstand(D3DFORMAT format, UINT breite) { return UINT(ZeilenBytes(format, breite)); }

UINT Zeilen(D3DFORMAT format, UINT hoehe) { return IstDxt(format) ? UINT((uint64_t(hoehe) + 3) / 4) : hoehe; }

uint64_t EbenenGroesse(D3DFORMAT format, UINT breite, UINT hoehe) { return ZeilenBytes(format, breite) * Zeilen(format, hoehe); }

}  // namespace d3d9
