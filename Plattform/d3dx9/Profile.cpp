#include "Plattform/d3dx9/d3dx9.h"

namespace d3dx9 {

namespace {
const char* Profil(d3d9::IDirect3DDevice9* geraet, bool vertex) {
  d3d9::D3DCAPS9 caps{};
  if (geraet == nullptr || d3d9::FAILED(geraet->GetDeviceCaps(&caps))) return nullptr;
  const d3d9::DWORD version = vertex ? caps.VertexShaderVersion : caps.PixelShaderVersion;
  const d3d9::DWORD hauptVersion = version >> 8 & 0xFF;
  if (hauptVersion >= 3) return vertex ? "vs_3_0" : "ps_3_0";
  return nullptr;
}
}  // namespace

const char* D3DXGetVertexShaderProfile(d3d9::IDirect3DDevice9* geraet) { return Profil(geraet, true); }
const char* D3DXGetPixelShaderProfile(d3d9::IDirect3DDevice9* geraet) { return Profil(geraet, false); }

}  // namespace d3dx9
