#include "Zarvo_HighLevelShaderBasis.h"

#include <cstring>
#include <mutex>
#include <string_view>

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Log.h"
#include "Zarvo_Start.h"
#include "cpp.h"

namespace {

constexpr char VORSPANN[] =
    "#define GRAFIK_DIRECTX 9\n"
    "#define DEF_SAMPLER_2D( name) sampler2D name\n"
    "#define DEF_SAMPLER_CUBE( name) samplerCUBE name\n"
    "#define SAMPLE_2D( name, tex) tex2D( name, tex)\n"
    "#define SAMPLE_2D_LOD( name, tex, lod) tex2Dlod( name, float4( tex.xy, 0.0f, lod))\n"
    "#define SAMPLE_CUBE( name, tex) texCUBE( name, tex)\n"
    "#define SAMPLE_CUBE_LOD( name, tex, lod) texCUBElod( name, float4( tex.xyz, lod))\n"
    "#define TEXKOORD( tex) tex\n"
    "float2 TEXKOORD_RT( float2 tex) { return float2( tex.x, 1.0f - tex.y); }\n"
    "float2 TEXKOORD_RTD( float2 texdiff) { return float2( texdiff.x, -texdiff.y); }\n"
    "#define CONST static const\n"
    "#define CONST_ARRAY_START( typ, name) static const typ name[] = {\n"
    "#define CONST_ARRAY_ENDE }\n"
    "float3x3 MachFloat3x3( float a1, float a2, float a3, float b1, float b2, float b3, float c1, float c2, float c3) {\n"
    "  return float3x3( a1, a2, a3, b1, b2, b3, c1, c2, c3);\n"
    "}\n"
    "float4x4 MachFloat4x4( float a1, float a2, float a3, float a4, float b1, float b2, float b3, float b4, float c1, "
    "float c2, float c3, float c4, float d1, float d2, float d3, float d4) {\n"
    "  return float4x4( a1, a2, a3, a4, b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, d3, d4);\n"
    "}\n"
    "float2 MachV2(float x) { return float2( x, x); }\n"
    "float3 MachV3(float x) { return float3( x, x, x); }\n"
    "float4 MachV4(float x) { return float4( x, x, x, x); }\n"
    "#line 1\n";

std::mutex g_basisSperre;
std::filesystem::path g_quellbasis;
bool g_quellbasisGesetzt = false;

// The three inputs of the preprocessor, read one after the other.
struct Eingaben {
  std::string_view teile[3];
  int teil = 0;
  size_t pos = 0;
};

char* LiesEingaben(char* puffer, int groesse, void* daten) {
  Eingaben& e = *static_cast<Eingaben*>(daten);
  while (e.teil < 3 && e.pos >= e.teile[e.teil].size()) {
    ++e.teil;
    e.pos = 0;
  }
  if (e.teil >= 3 || groesse < 2) return nullptr;
  const size_t n = std::min(e.teile[e.teil].size() - e.pos, size_t(groesse - 1));
  memcpy(puffer, e.teile[e.teil].data() + e.pos, n);
  puffer[n] = 0;
  e.pos += n;
  return puffer;
}

// Output and message collection of one run.
struct Lauf {
  Eingaben eingaben;
  TSpeicher ausgabe;
  std::string zeile;
  char stufe = '?';
};

void SchreibeZeichen(int zeichen, void* daten) { static_cast<Lauf*>(daten)->ausgabe.SchreibeU8(uint8_t(zeichen)); }

// Pieces up to each line feed become one log line: "!" for Error and Fatal, "?" for Warning;
// the chain lines that follow a message keep its level.
void MeldeInsLog(void* daten, const char* format, va_list argumente) {
  Lauf& l = *static_cast<Lauf*>(daten);
  char stueck[2048];
  vsnprintf(stueck, sizeof stueck, format, argumente);
  for (const char* c = stueck; *c; ++c) {
    if (*c != '\n') {
      l.zeile += *c;
      continue;
    }
    if (l.zeile.rfind(" from ", 0) != 0)
      l.stufe = l.zeile.find(": Warning: ") != std::string::npos ? '?' : '!';
    g_Log.Schreibe("%c%s", l.stufe, l.zeile.c_str());
    l.zeile.clear();
  }
}

FILE* OeffneInQuellbasis(const char* name, const char* modus) {
  const std::filesystem::path pfad = Zarvo_HighLevelShaderBasis::GibQuellbasis() / name;
  return fopen(pfad.c_str(), modus);
}

bool IstDeklBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Registers a declaration is taken to occupy; the first matching rule wins.
int Register(std::string_view dekl, bool ausgabe) {
  if (dekl.size() < 3) return 1;
  auto enthaelt = [&](const char* teil) { return dekl.find(teil) != std::string_view::npos; };
  if (dekl.size() >= 8) {
    if (enthaelt("float3x3")) return 3;
    if (enthaelt("float3x4")) return ausgabe ? 3 : 4;
    if (ausgabe && enthaelt("float4x3")) return 4;
    if (enthaelt("float4x4")) return 4;
  }
  if (enthaelt("[2]")) return 2;
  if (enthaelt("[3]")) return 3;
  if (enthaelt("[4]")) return 4;
  return 1;
}

std::string Semantik(int zaehler, bool pixelShader, bool ausgabe) {
  if (pixelShader && ausgabe) return " : COLOR" + std::to_string(zaehler);
  if (!pixelShader && zaehler == 0) return " : POSITION0";
  return " : TEXCOORD" + std::to_string(zaehler - 1);
}

struct Deklarationen {
  std::vector<std::string_view> rein, raus;
};

Deklarationen Sammle(std::string_view text) {
  Deklarationen d;
  for (size_t p = text.find('$'); p != std::string_view::npos; p = text.find('$', p)) {
    const std::string_view wort = text.substr(p + 1, 5);
    if (wort != "rein " && wort != "raus ") {
      ++p;
      continue;
    }
    size_t anfang = p + 6;
    while (anfang < text.size() && IstDeklBlank(text[anfang])) ++anfang;
    size_t ende = text.find(';', anfang);
    if (ende == std::string_view::npos) ende = text.size();
    auto& liste = wort == "rein " ? d.rein : d.raus;
    if (liste.size() < size_t(Zarvo_HighLevelShaderBasis::MAX_DEKLARATIONEN)) liste.push_back(text.substr(anfang, ende - anfang));
    p = ende;
  }
  return d;
}

std::string Parameter(const Deklarationen& d, bool pixelShader) {
  std::string text;
  int zaehler = pixelShader ? 1 : 0;
  for (std::string_view dekl : d.rein) {
    if (!text.empty()) text += ", ";
    text += std::string(dekl) + Semantik(zaehler, pixelShader, false);
    zaehler += Register(dekl, false);
  }
  zaehler = 0;
  for (std::string_view dekl : d.raus) {
    if (!text.empty()) text += ", ";
    text += "out " + std::string(dekl) + Semantik(zaehler, pixelShader, true);
    zaehler += Register(dekl, true);
  }
  return text;
}

TSpeicher Expandiere(std::string_view text, bool pixelShader) {
  const std::string parameter = Parameter(Sammle(text), pixelShader);
  TSpeicher aus(text.size() + parameter.size() + 64);
  size_t p = 0;
  for (size_t dollar = text.find('$'); dollar != std::string_view::npos; dollar = text.find('$', p)) {
    aus.SchreibeMem(text.data() + p, dollar - p);
    const std::string_view rest = text.substr(dollar + 1);
    if (rest.substr(0, 4) == "rein" || rest.substr(0, 4) == "raus") {
      const size_t semikolon = text.find(';', dollar);
      p = semikolon == std::string_view::npos ? text.size() : semikolon + 1;
    } else if (rest.substr(0, 6) == "main()") {
      const std::string kopf = "void main( " + parameter + ")";
      aus.SchreibeMem(kopf.data(), kopf.size());
      p = dollar + 7;
    } else {
      p = dollar + 1;
    }
  }
  aus.SchreibeMem(text.data() + p, text.size() - p);
  aus.SchreibeU8(0);
  return aus;
}

}  // namespace

std::pair<const char*, const char*> Zarvo_HighLevelShaderBasis::GibVorspann() {
  return {VORSPANN, VORSPANN + sizeof VORSPANN - 1};
}

void Zarvo_HighLevelShaderBasis::SetzeQuellbasis(std::filesystem::path basis) {
  std::lock_guard<std::mutex> sperre(g_basisSperre);
  g_quellbasis = std::move(basis);
  g_quellbasisGesetzt = true;
}

std::filesystem::path Zarvo_HighLevelShaderBasis::GibQuellbasis() {
  std::lock_guard<std::mutex> sperre(g_basisSperre);
  return g_quellbasisGesetzt ? g_quellbasis : g_System.anwendungsVerzeichnis;
}

TSpeicher Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(const char* quelltext, const Zarvo_ShaderDefines& defines,
                                                          bool pixelShader) {
  std::string defineText;
  for (const auto& [name, wert] : defines) defineText += "#define " + name + " " + wert + "\n";
  Lauf lauf;
  lauf.eingaben.teile[0] = std::string_view(VORSPANN, sizeof VORSPANN - 1);
  lauf.eingaben.teile[1] = defineText;
  lauf.eingaben.teile[2] = quelltext ? quelltext : "";
  const CppTag tags[] = {{CPPTAG_EINGABE_NAME, uintptr_t("SpoeSpoe")},
                         {CPPTAG_LESER, uintptr_t(&LiesEingaben)},
                         {CPPTAG_SCHREIBER, uintptr_t(&SchreibeZeichen)},
                         {CPPTAG_BENUTZERDATEN, uintptr_t(&lauf)},
                         {CPPTAG_ZEILENANGABEN, 0},
                         {CPPTAG_MELDER, uintptr_t(&MeldeInsLog)},
                         {CPPTAG_KOPFZEILE, 0},
                         {CPPTAG_OEFFNER, uintptr_t(&OeffneInQuellbasis)},
                         {CPPTAG_ENDE, 0}};
  cppPreProcess(tags);  // the result is not checked: translation goes on with what was produced
  if (!lauf.zeile.empty()) g_Log.Schreibe("%c%s", lauf.stufe, lauf.zeile.c_str());
  const std::string_view text(reinterpret_cast<const char*>(lauf.ausgabe.Daten()), lauf.ausgabe.Groesse());
  return Expandiere(text, pixelShader);
}

// ---- constants and compiling ----

Zarvo_HighLevelShaderBasis::~Zarvo_HighLevelShaderBasis() {
  if (konstantenTabelle) konstantenTabelle->Release();
}

void Zarvo_HighLevelShaderBasis::LiesKonstanten() {
  konstanten.clear();
  d3dx9::D3DXCONSTANTTABLE_DESC tabelle{};
  if (konstantenTabelle == nullptr || d3d9::FAILED(konstantenTabelle->GetDesc(&tabelle))) return;
  for (uint32_t i = 0; i < tabelle.Constants; ++i) TrageEin(konstantenTabelle->GetConstant(nullptr, i), "");
}

void Zarvo_HighLevelShaderBasis::TrageEin(d3dx9::D3DXHANDLE handle, const std::string& praefix) {
  d3dx9::D3DXCONSTANT_DESC desc{};
  d3d9::UINT anzahl = 1;
  if (handle == nullptr || d3d9::FAILED(konstantenTabelle->GetConstantDesc(handle, &desc, &anzahl))) return;
  const std::string schluessel = praefix + desc.Name;
  konstanten[schluessel] = {desc.RegisterIndex, desc.RegisterCount, desc.Rows, desc.Columns, uint32_t(desc.Class)};
  const uint32_t elemente = desc.Elements > 1 ? desc.Elements : 1;
  for (uint32_t e = 0; e < elemente; ++e) {
    const std::string elementSchluessel = desc.Elements > 1 ? schluessel + "[" + std::to_string(e) + "]" : schluessel;
    d3dx9::D3DXHANDLE element = konstantenTabelle->GetConstantElement(handle, e);
    if (desc.Elements > 1)
      konstanten[elementSchluessel] = {desc.RegisterIndex + e * (desc.RegisterCount / desc.Elements), desc.RegisterCount / desc.Elements,
                                       desc.Rows, desc.Columns, uint32_t(desc.Class)};
    for (uint32_t g = 0; g < desc.StructMembers; ++g) TrageEin(konstantenTabelle->GetConstant(element, g), elementSchluessel + ".");
  }
}

namespace {
bool SchreibeDump(const std::string& name, const TSpeicher& hlsl) {
  FILE* datei = std::fopen(name.c_str(), "w");
  if (datei == nullptr) return false;
  const size_t laenge = std::strlen(reinterpret_cast<const char*>(hlsl.Daten()));
  const bool ganz = std::fwrite(hlsl.Daten(), 1, laenge, datei) == laenge;
  return std::fclose(datei) == 0 && ganz;
}
}  // namespace

bool Zarvo_HighLevelShaderBasis::Kompiliere(const TSpeicher& hlsl, const char* profil, const char* dumpPraefix, int dumpNummer,
                                            d3dx9::ID3DXBuffer** code, d3dx9::ID3DXBuffer** meldungen) {
  if (konstantenTabelle) konstantenTabelle->Release();
  konstantenTabelle = nullptr;
  const char* text = reinterpret_cast<const char*>(hlsl.Daten());
  const d3d9::UINT laenge = d3d9::UINT(std::strlen(text));
  constexpr d3d9::DWORD DEBUG_FLAGS = d3dx9::D3DXSHADER_DEBUG | d3dx9::D3DXSHADER_SKIPOPTIMIZATION;
  d3d9::HRESULT hr;
  if (dumpNummer >= 0) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%03d.txt", dumpPraefix, dumpNummer);
    if (SchreibeDump(name, hlsl))
      hr = d3dx9::D3DXCompileShaderFromFileA(name, nullptr, nullptr, "main", profil, DEBUG_FLAGS, code, meldungen, &konstantenTabelle);
    else
      hr = d3dx9::D3DXCompileShader(text, laenge, nullptr, nullptr, "main", profil, DEBUG_FLAGS, code, meldungen, &konstantenTabelle);
  } else {
    hr = d3dx9::D3DXCompileShader(text, laenge, nullptr, nullptr, "main", profil, 0, code, meldungen, &konstantenTabelle);
  }
  return d3d9::SUCCEEDED(hr);
}

namespace {
// "?%s" once per message line, so nothing is cut at the log's line length.
void SchreibeMeldungen(d3dx9::ID3DXBuffer* meldungen, bool nurDebug) {
  if (meldungen == nullptr) return;
  std::string_view text(static_cast<const char*>(meldungen->GetBufferPointer()));
  while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  while (!text.empty()) {
    const size_t ende = text.find('\n');
    const std::string zeile(text.substr(0, ende));
    if (nurDebug) g_Log.DebugAusgabe("?%s", zeile.c_str());
    else g_Log.Schreibe("?%s", zeile.c_str());
    if (ende == std::string_view::npos) break;
    text.remove_prefix(ende + 1);
  }
}
}  // namespace

bool Zarvo_HighLevelShaderBasis::UebersetzeStufe(const Stufe& stufe, const char* quelltext, const Zarvo_ShaderDefines& defines,
                                                 bool leise, const char* profil, int dumpNummer, d3dx9::ID3DXBuffer** code,
                                                 d3dx9::ID3DXBuffer** meldungen) {
  TSpeicher hlsl;
  try {
    hlsl = BereiteQuelltextVor(quelltext, defines, stufe.pixel);
  } catch (const Zarvo_Ausnahme&) {
    if (!leise) throw;
    return false;
  }
  if (Kompiliere(hlsl, profil, stufe.dumpPraefix, dumpNummer, code, meldungen)) {
    if (*meldungen != nullptr) {
      g_Log.DebugAusgabe("?%s::UebersetzeQuelltext(...): Bemerkungen von DirectX zum Shader:", stufe.klasse);
      SchreibeMeldungen(*meldungen, true);
    }
    return true;
  }
  if (!leise) {
    g_Log.Schreibe("!%s::UebersetzeQuelltext(...): Übersetzung gescheitert. DirectX meinte:", stufe.klasse);
    SchreibeMeldungen(*meldungen, false);
    const std::string text = std::string(stufe.art) + "-Übersetzung gescheitert.";
    SchreibePruefZeile(text.c_str(), std::string(stufe.klasse) + "::UebersetzeAusString",
                       std::string("SourceExt\\Zarvoklassen\\") + stufe.klasse, 95);
  }
  return false;
}

bool Zarvo_HighLevelShaderBasis::SchliesseErzeugungAb(const Stufe& stufe, bool erzeugt, bool leise) {
  if (erzeugt) {
    LiesKonstanten();
    return true;
  }
  if (!leise) {
    g_Log.Schreibe("!%s::ErzeugeShader(...): Shader-Erzeugung gescheitert.", stufe.klasse);
    const std::string text = std::string(stufe.art) + "-Erzeugung gescheitert.";
    SchreibePruefZeile(text.c_str(), std::string(stufe.klasse) + "::InternErzeugeShader",
                       std::string("SourceExt\\Zarvoklassen\\") + stufe.klasse, 157);
  }
  return false;
}
