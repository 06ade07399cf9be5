// D3DXCompileShader and D3DXCompileShaderFromFileA: HLSL -> SPIR-V (glslang) -> GLSL 330 and the
// device's shader record (SPIRV-Cross), with a constant table after Direct3D 9's register model.
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "Plattform/d3dx9/HlslNachSpirv.h"
#include "Plattform/d3dx9/Puffer.h"
#include "Plattform/d3dx9/SpirvNachGlsl.h"
#include "Plattform/d3dx9/d3dx9.h"

namespace d3dx9 {

namespace {

// The vertex output ": POSITION0" must become gl_Position; #line keeps the caller's line numbers.
constexpr const char* VORSPANN = "#define POSITION0 POSITION\n#line 1\n";

ID3DXBuffer* TextPuffer(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return new Puffer(std::move(bytes));
}

// "register(...)" would fix what the register model assigns.
std::string RegisterAngaben(const std::string& quelle) {
  static const std::regex muster(":\\s*register\\s*\\(");
  std::string meldungen;
  int zeile = 1;
  size_t zeilenAnfang = 0;
  for (auto it = std::sregex_iterator(quelle.begin(), quelle.end(), muster); it != std::sregex_iterator(); ++it) {
    const size_t pos = size_t(it->position());
    for (; zeilenAnfang < pos; ++zeilenAnfang)
      if (quelle[zeilenAnfang] == '\n') ++zeile;
    meldungen += "ERROR: " + std::to_string(zeile) + ": register(...) is not supported: registers are assigned in declaration order\n";
  }
  return meldungen;
}

std::string MakroZeilen(const D3DXMACRO* makros) {
  std::string text;
  for (; makros != nullptr && makros->Name != nullptr; ++makros)
    text += std::string("#define ") + makros->Name + " " + (makros->Definition ? makros->Definition : "") + "\n";
  return text;
}

struct Uebersetzung {
  bool ok = false;
  std::string meldungen;
  d3d9::ShaderCode code;
  std::vector<Konstante> konstanten;
};

Uebersetzung Uebersetze(const std::string& quelle, const D3DXMACRO* makros, const std::string& profil, DWORD flags) {
  Uebersetzung u;
  const bool vertex = profil == "vs_3_0";
  if (!vertex && profil != "ps_3_0") {
    u.meldungen = "error: profile '" + profil + "' is not supported (vs_3_0 or ps_3_0)\n";
    return u;
  }
  u.meldungen = RegisterAngaben(quelle);
  if (!u.meldungen.empty()) return u;
  const std::string makroText = MakroZeilen(makros);
  const SpirvErgebnis spirv = HlslNachSpirv(makroText + VORSPANN + quelle, vertex, (flags & D3DXSHADER_DEBUG) != 0);
  u.meldungen = spirv.meldungen;
  if (!spirv.ok) return u;
  GlslErgebnis glsl = SpirvNachGlsl(spirv.spirv, vertex);
  u.meldungen += glsl.meldungen;
  if (!glsl.ok) return u;
  u.ok = true;
  u.code = std::move(glsl.code);
  u.konstanten = std::move(glsl.konstanten);
  return u;
}

HRESULT Liefere(Uebersetzung u, ID3DXBuffer** code, ID3DXBuffer** meldungen, ID3DXConstantTable** tabelle) {
  if (meldungen) *meldungen = u.meldungen.empty() ? nullptr : TextPuffer(u.meldungen);
  if (!u.ok) return E_FAIL;
  const std::vector<DWORD> worte = d3d9::Kodiere(u.code);
  std::vector<uint8_t> bytes(worte.size() * sizeof(DWORD));
  std::memcpy(bytes.data(), worte.data(), bytes.size());
  *code = new Puffer(std::move(bytes));
  if (tabelle) *tabelle = new Konstantentabelle(std::move(u.konstanten));
  return d3d9::D3D_OK;
}

bool ArgumenteGueltig(const char* einstieg, const char* profil, ID3DXInclude* include, ID3DXBuffer** code) {
  return einstieg != nullptr && std::strcmp(einstieg, "main") == 0 && profil != nullptr && include == nullptr && code != nullptr;
}

void Leere(ID3DXBuffer** code, ID3DXBuffer** meldungen, ID3DXConstantTable** tabelle) {
  if (code) *code = nullptr;
  if (meldungen) *meldungen = nullptr;
  if (tabelle) *tabelle = nullptr;
}

}  // namespace

HRESULT D3DXCompileShader(const char* quelle, UINT laenge, const D3DXMACRO* makros, ID3DXInclude* include,
                          const char* einstieg, const char* profil, DWORD flags, ID3DXBuffer** code,
                          ID3DXBuffer** meldungen, ID3DXConstantTable** tabelle) {
  Leere(code, meldungen, tabelle);
  if (quelle == nullptr || !ArgumenteGueltig(einstieg, profil, include, code)) return d3d9::D3DERR_INVALIDCALL;
  return Liefere(Uebersetze(std::string(quelle, laenge), makros, profil, flags), code, meldungen, tabelle);
}

HRESULT D3DXCompileShaderFromFileA(const char* datei, const D3DXMACRO* makros, ID3DXInclude* include,
                                   const char* einstieg, const char* profil, DWORD flags, ID3DXBuffer** code,
                                   ID3DXBuffer** meldungen, ID3DXConstantTable** tabelle) {
  Leere(code, meldungen, tabelle);
  if (datei == nullptr || !ArgumenteGueltig(einstieg, profil, include, code)) return d3d9::D3DERR_INVALIDCALL;
  std::ifstream ein(datei, std::ios::binary);
  if (!ein) {
    if (meldungen) *meldungen = TextPuffer(std::string("error: cannot open '") + datei + "'\n");
    return E_FAIL;
  }
  std::string text((std::istreambuf_iterator<char>(ein)), std::istreambuf_iterator<char>());
  std::string ohneCr;
  ohneCr.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) ohneCr += text[i];
  return Liefere(Uebersetze(ohneCr, makros, profil, flags), code, meldungen, tabelle);
}

}  // namespace d3dx9
