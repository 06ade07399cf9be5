#pragma once
// The compiled-shader record that CreateVertexShader/CreatePixelShader take. The call carries no
// length, so the record does: a header {magic, version, total length, stage}, then in order the
// GLSL 330 core source, the register-file block (name, size in bytes), the samplers
// (GLSL name, register), for vertex shaders the inputs (GLSL name, usage, usage index) and the
// name of the device block. Every number is a little-endian u32; a string is its length, its
// bytes and a terminating NUL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Plattform/d3d9/d3d9.h"

namespace d3d9 {

enum class ShaderStufe : uint32_t { Vertex = 0, Pixel = 1 };

struct ShaderCode {
  static constexpr uint32_t MAGIE = 0x4353475A;  // "ZGSC"
  static constexpr uint32_t VERSION = 1;
  static constexpr uint32_t MAX_VERTEX_REGISTER = 256;
  static constexpr uint32_t MAX_PIXEL_REGISTER = 224;
  static constexpr uint32_t MAX_VERTEX_SAMPLER = 4;
  static constexpr uint32_t MAX_PIXEL_SAMPLER = 16;
  static constexpr uint32_t MAX_ATTRIBUTE = 16;

  struct Sampler {
    std::string name;
    uint32_t register_ = 0;
  };
  struct Eingabe {
    std::string name;
    uint32_t usage = D3DDECLUSAGE_POSITION;  // POSITION or TEXCOORD
    uint32_t index = 0;
  };

  ShaderStufe stufe = ShaderStufe::Vertex;
  std::string quelle;         // GLSL 330 core
  std::string registerBlock;  // empty without constants
  uint32_t registerBlockBytes = 0;
  std::vector<Sampler> sampler;
  std::vector<Eingabe> eingaben;  // vertex shaders only
  std::string geraeteBlock;       // "ZarvoGeraet" when used, else empty
};

// Attribute location of a vertex input: POSITION n -> n, TEXCOORD n -> n + 1; -1 without one.
int AttributOrt(uint32_t usage, uint32_t index);

// The record as DWORDs, ready for CreateVertexShader/CreatePixelShader.
std::vector<DWORD> Kodiere(const ShaderCode& code);

// Decodes a record of at most `verfuegbar` bytes (the devices pass SIZE_MAX and trust the header's
// length). D3D_OK, or D3DERR_INVALIDCALL with the reason in `fehler`.
HRESULT Dekodiere(const void* daten, size_t verfuegbar, ShaderStufe erwartet, ShaderCode& code, std::string& fehler);

}  // namespace d3d9
