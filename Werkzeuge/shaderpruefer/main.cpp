// shaderpruefer vs|ps <file> [NAME=VALUE ...]: the translated HLSL, the compiler's messages, the
// constant table (name, register, count) and the GLSL of one dialect shader; exit 1 on failure.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "Plattform/d3d9/shadercode.h"
#include "Plattform/d3dx9/d3dx9.h"
#include "Zarvo_HighLevelShaderBasis.h"

namespace {

int Fehler(const char* text) {
  std::fprintf(stderr, "%s\n", text);
  return 1;
}

void DruckeTabelle(d3dx9::ID3DXConstantTable* tabelle) {
  d3dx9::D3DXCONSTANTTABLE_DESC t{};
  tabelle->GetDesc(&t);
  std::printf("--- constants\n");
  for (d3d9::UINT i = 0; i < t.Constants; ++i) {
    d3dx9::D3DXCONSTANT_DESC d{};
    d3d9::UINT n = 1;
    tabelle->GetConstantDesc(tabelle->GetConstant(nullptr, i), &d, &n);
    std::printf("%s %c%u %u\n", d.Name, d.RegisterSet == d3dx9::D3DXRS_SAMPLER ? 's' : 'c', d.RegisterIndex, d.RegisterCount);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "vs") != 0 && std::strcmp(argv[1], "ps") != 0))
    return Fehler("usage: shaderpruefer vs|ps <file> [NAME=VALUE ...]");
  const bool pixel = std::strcmp(argv[1], "ps") == 0;
  std::ifstream ein(argv[2], std::ios::binary);
  if (!ein) return Fehler("cannot read the file");
  const std::string quelle((std::istreambuf_iterator<char>(ein)), std::istreambuf_iterator<char>());
  Zarvo_ShaderDefines defines;
  for (int i = 3; i < argc; ++i) {
    const char* gleich = std::strchr(argv[i], '=');
    if (gleich == nullptr) return Fehler("a define is NAME=VALUE");
    defines.emplace_back(std::string(argv[i], size_t(gleich - argv[i])), std::string(gleich + 1));
  }
  const TSpeicher hlsl = Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(quelle.c_str(), defines, pixel);
  const char* text = reinterpret_cast<const char*>(hlsl.Daten());
  std::printf("--- HLSL\n%s\n", text);
  d3dx9::ID3DXBuffer* code = nullptr;
  d3dx9::ID3DXBuffer* meldungen = nullptr;
  d3dx9::ID3DXConstantTable* tabelle = nullptr;
  const d3d9::HRESULT hr = d3dx9::D3DXCompileShader(text, d3d9::UINT(std::strlen(text)), nullptr, nullptr, "main", pixel ? "ps_3_0" : "vs_3_0",
                                                    0, &code, &meldungen, &tabelle);
  if (meldungen) {
    std::printf("--- messages\n%s", static_cast<const char*>(meldungen->GetBufferPointer()));
    meldungen->Release();
  }
  if (d3d9::FAILED(hr)) return 1;
  DruckeTabelle(tabelle);
  tabelle->Release();
  d3d9::ShaderCode record;
  std::string fehler;
  const d3d9::HRESULT gelesen = d3d9::Dekodiere(code->GetBufferPointer(), code->GetBufferSize(),
                                                pixel ? d3d9::ShaderStufe::Pixel : d3d9::ShaderStufe::Vertex, record, fehler);
  code->Release();
  if (d3d9::FAILED(gelesen)) return Fehler(fehler.c_str());
  std::printf("--- GLSL\n%s", record.quelle.c_str());
  return 0;
}
