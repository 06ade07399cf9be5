#pragma once
// The presentation parameters the device tests open their devices with: a windowed, lockable back
// buffer of the given size and format with a D24X8 depth buffer, presented immediately.
#include "Plattform/d3d9/d3d9.h"

inline d3d9::D3DPRESENT_PARAMETERS TestParameter(d3d9::UINT breite, d3d9::UINT hoehe,
                                                 d3d9::D3DFORMAT format = d3d9::D3DFMT_X8R8G8B8) {
  d3d9::D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = breite;
  p.BackBufferHeight = hoehe;
  p.BackBufferFormat = format;
  p.SwapEffect = d3d9::D3DSWAPEFFECT_DISCARD;
  p.Windowed = 1;
  p.EnableAutoDepthStencil = 1;
  p.AutoDepthStencilFormat = d3d9::D3DFMT_D24X8;
  p.Flags = d3d9::D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  p.PresentationInterval = d3d9::D3DPRESENT_INTERVAL_IMMEDIATE;
  return p;
}
