#pragma once
// D3DX 9 services on the Direct3D-9-shaped device: the shader profiles of a device.
#include "Plattform/d3d9/d3d9.h"

namespace d3dx9 {

// "vs_3_0" or "ps_3_0" when the device's caps give shader model 3; null when the caps cannot be
// read or give less.
const char* D3DXGetVertexShaderProfile(d3d9::IDirect3DDevice9* geraet);
const char* D3DXGetPixelShaderProfile(d3d9::IDirect3DDevice9* geraet);

}  // namespace d3dx9
