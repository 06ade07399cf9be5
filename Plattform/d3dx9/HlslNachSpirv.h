#pragma once
// HLSL shader model 3 -> SPIR-V 1.0 with glslang, under the rules that keep Direct3D 9's samplers
// and semantics.
#include <string>
#include <vector>

namespace d3dx9 {

struct SpirvErgebnis {
  bool ok = false;
  std::vector<unsigned> spirv;
  std::string meldungen;  // glslang's log, lines of the given text
};

SpirvErgebnis HlslNachSpirv(const std::string& quelle, bool vertex, bool debugInfo);

}  // namespace d3dx9
