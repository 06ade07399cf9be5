// D3DXCompileShader and D3DXCompileShaderFromFileA: HLSL -> SPIR-V (glslang) -> GLSL 330 and the
// device's shader record (SPIRV-Cross), with a constant table after Direct3D 9's register model.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

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

// The tokens of HLSL text without comments and preprocessor lines: words (identifiers and
// numbers) and single punctuation characters, each with its line.
struct Wort {
  std::string text;
  int zeile;
};
std::vector<Wort> Woerter(const std::string& quelle) {
  std::vector<Wort> woerter;
  int zeile = 1;
  bool zeilenAnfang = true;
  for (size_t i = 0; i < quelle.size();) {
    const char c = quelle[i];
    if (c == '\n') ++zeile, zeilenAnfang = true, ++i;
    else if (std::isspace(static_cast<unsigned char>(c))) ++i;
    else if (c == '#' && zeilenAnfang) i = quelle.find('\n', i) == std::string::npos ? quelle.size() : quelle.find('\n', i);
    else if (quelle.compare(i, 2, "//") == 0) i = quelle.find('\n', i) == std::string::npos ? quelle.size() : quelle.find('\n', i);
    else if (quelle.compare(i, 2, "/*") == 0) {
      const size_t ende = quelle.find("*/", i + 2);
      const size_t bis = ende == std::string::npos ? quelle.size() : ende + 2;
      for (; i < bis; ++i) zeile += quelle[i] == '\n';
    } else {
      zeilenAnfang = false;
      size_t j = i + 1;
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '_')
        while (j < quelle.size() && (std::isalnum(static_cast<unsigned char>(quelle[j])) || quelle[j] == '_')) ++j;
      woerter.push_back({quelle.substr(i, j - i), zeile});
      i = j;
    }
  }
  return woerter;
}

bool IstName(const std::string& wort) { return !wort.empty() && (std::isalpha(static_cast<unsigned char>(wort[0])) || wort[0] == '_'); }
bool IstGanzzahl(const std::string& wort) {
  return !wort.empty() && std::all_of(wort.begin(), wort.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// glslang 12 dereferences an empty array-size list when a function parameter's first array
// size is not closed right after its expression (KhronosGroup/glslang#4288: "float4 b[)",
// "float4 b[3 4]", "float4 b[float]"), also in a prototype inside a body. A declaration inside
// parentheses ("type name [", "type<type> name [") is therefore refused unless its size is an
// integer or empty.
std::string ParameterFelder(const std::string& quelle) {
  const std::vector<Wort> w = Woerter(quelle);
  std::string meldungen;
  int klammern = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    klammern += w[i].text == "(" ? 1 : w[i].text == ")" ? -1 : 0;
    if (w[i].text != "[" || klammern <= 0 || i < 2 || !IstName(w[i - 1].text)) continue;
    const bool vorlage = i >= 5 && w[i - 2].text == ">" && IstName(w[i - 3].text) && w[i - 4].text == "<" && IstName(w[i - 5].text);
    if (!IstName(w[i - 2].text) && !vorlage) continue;
    const bool leer = i + 1 < w.size() && w[i + 1].text == "]";
    const bool zahl = i + 2 < w.size() && IstGanzzahl(w[i + 1].text) && w[i + 2].text == "]";
    if (leer || zahl) continue;
    meldungen += "ERROR: " + std::to_string(w[i].zeile) + ": array parameter '" + w[i - 1].text +
                 "': its size must be an integer literal closed by ']'\n";
  }
  return meldungen;
}

// glslang 12 dereferences a null variable when a parameter of the entry point has no name
// ("float4 main(float2 : TEXCOORD0)"): every parameter of "main" at global scope needs one after
// its qualifiers and type ("void" alone stands for no parameter).
std::string EinstiegOhneNamen(const std::string& quelle) {
  static const std::set<std::string> QUALIFIZIERER = {"in", "out", "inout", "uniform", "const", "static", "linear", "centroid",
                                                      "nointerpolation", "noperspective", "sample", "precise", "row_major",
                                                      "column_major", "snorm", "unorm"};
  const std::vector<Wort> w = Woerter(quelle);
  std::string meldungen;
  int geschweift = 0;
  for (size_t i = 0; i + 1 < w.size(); ++i) {
    geschweift += w[i].text == "{" ? 1 : w[i].text == "}" ? -1 : 0;
    if (geschweift != 0 || w[i].text != "main" || w[i + 1].text != "(") continue;
    // Parameters: the words between top-level commas, up to a semantic, a default or an array size.
    std::vector<std::vector<std::string>> parameter(1);
    bool ende = false;
    int tiefe = 0, winkel = 0;
    size_t j = i + 2;
    for (; j < w.size() && !(tiefe == 0 && w[j].text == ")"); ++j) {
      const std::string& t = w[j].text;
      tiefe += t == "(" ? 1 : t == ")" ? -1 : 0;
      winkel += t == "<" ? 1 : t == ">" ? -1 : 0;
      if (tiefe == 0 && winkel <= 0 && t == ",") {
        parameter.emplace_back();
        ende = false;
      } else if (tiefe == 0 && winkel <= 0 && (t == ":" || t == "=" || t == "[")) {
        ende = true;
      } else if (!ende) {
        parameter.back().push_back(t);
      }
    }
    if (parameter.size() == 1 && (parameter[0].empty() || parameter[0] == std::vector<std::string>{"void"})) continue;
    for (const std::vector<std::string>& p : parameter) {
      size_t erstes = 0;
      while (erstes < p.size() && QUALIFIZIERER.count(p[erstes])) ++erstes;
      if (p.size() - erstes >= 2 && IstName(p.back())) continue;
      meldungen += "ERROR: " + std::to_string(w[i].zeile) + ": every parameter of the entry point 'main' needs a type and a name\n";
      break;
    }
    i = j;
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
  u.meldungen = RegisterAngaben(quelle) + ParameterFelder(quelle) + EinstiegOhneNamen(quelle);
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
