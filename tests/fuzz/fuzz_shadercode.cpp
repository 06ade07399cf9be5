// The shader-record decoder on arbitrary bytes: either a record or INVALIDCALL with a reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "Plattform/d3d9/shadercode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  for (d3d9::ShaderStufe stufe : {d3d9::ShaderStufe::Vertex, d3d9::ShaderStufe::Pixel}) {
    d3d9::ShaderCode code;
    std::string fehler;
    const d3d9::HRESULT hr = d3d9::Dekodiere(daten, groesse, stufe, code, fehler);
    if (hr != d3d9::D3D_OK && (hr != d3d9::D3DERR_INVALIDCALL || fehler.empty())) abort();
    if (hr == d3d9::D3D_OK && code.stufe != stufe) abort();
  }
  return 0;
}
