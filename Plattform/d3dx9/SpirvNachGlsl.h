#pragma once
// SPIR-V -> GLSL 330 for the Direct3D-9-shaped device: lays out the constants as Direct3D 9's
// register file, names inputs, varyings and samplers from their semantics, refuses what the
// register model cannot express, and writes the half-pixel epilogue of vertex shaders.
#include <string>
#include <vector>

#include "Plattform/d3d9/shadercode.h"
#include "Plattform/d3dx9/Konstantentabelle.h"

namespace d3dx9 {

struct GlslErgebnis {
  bool ok = false;
  d3d9::ShaderCode code;
  std::vector<Konstante> konstanten;
  std::string meldungen;
};

GlslErgebnis SpirvNachGlsl(const std::vector<unsigned>& spirv, bool vertex);

}  // namespace d3dx9
