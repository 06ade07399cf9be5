#pragma once
// A vertex input, a vertex shader and a pixel shader bound together, with copies of what
// Zarvo_ZeichenKontext::SetProgramm binds, and the names of both shaders turned into handles.
#include <cstdint>
#include <string>

#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_BasisObjekt.h"
#include "Zarvo_VertexEingabe.h"

class Zarvo_VertexShader;
class Zarvo_PixelShader;

class Zarvo_Programm : public Zarvo_BasisObjekt {
 public:
  static constexpr uint32_t KEIN_REGISTER = 0xFFF;
  static constexpr uint32_t KEIN_SAMPLER = 0xFF;

  Zarvo_Programm(Zarvo_VertexEingabe* eingabe, Zarvo_VertexShader* vertexShader, Zarvo_PixelShader* pixelShader);
  bool BelegtVideoRAM() const override { return false; }

  // Bits 0-11 the vertex register, 12-23 the pixel register; 0xFFF where a shader lacks it.
  uint32_t GibKonstante(const std::string& name) const;
  // Bits 0-7 the pixel stage, 8-15 the vertex stage; 0xFF where a shader lacks it.
  uint32_t GibSampler(const std::string& name) const;

  Zarvo_VertexEingabe* eingabe;
  Zarvo_VertexShader* vertexShader;
  Zarvo_PixelShader* pixelShader;
  d3d9::IDirect3DVertexDeclaration9* deklaration;
  uint64_t streamAnzahl;
  uint64_t instanzMaske;
  uint16_t stride[Zarvo_VertexEingabe::STROEME];
  d3d9::IDirect3DVertexShader9* geraeteVertexShader;
  d3d9::IDirect3DPixelShader9* geraetePixelShader;
};
