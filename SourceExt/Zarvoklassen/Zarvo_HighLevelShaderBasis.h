#pragma once
// The shader dialect and what both shader classes share. A dialect source is HLSL with a fixed
// prelude of portable macros, "$rein"/"$raus" declarations of the shader's inputs and outputs
// and "$main()" where the entry point begins. BereiteQuelltextVor runs the preprocessor over
// prelude, defines and source and expands the markers into a plain `main` with numbered
// semantics, so vertex outputs and pixel inputs line up by declaration order.
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Plattform/d3dx9/d3dx9.h"
#include "TSpeicher.h"

using Zarvo_ShaderDefines = std::vector<std::pair<std::string, std::string>>;

// One entry of a shader's constant map: register (or sampler stage) and shape.
struct Zarvo_ShaderKonstante {
  uint32_t register_ = 0;
  uint32_t anzahl = 0;
  uint32_t zeilen = 0;
  uint32_t spalten = 0;
  uint32_t klasse = 0;
};

class Zarvo_HighLevelShaderBasis {
 public:
  static constexpr int MAX_DEKLARATIONEN = 16;

  virtual ~Zarvo_HighLevelShaderBasis();

  // The prelude as a (begin, end) text range.
  static std::pair<const char*, const char*> GibVorspann();
  // The NUL-terminated HLSL text of a dialect source.
  static TSpeicher BereiteQuelltextVor(const char* quelltext, const Zarvo_ShaderDefines& defines, bool pixelShader);
  // Folder that "#include" names are joined to (default: the application directory).
  static void SetzeQuellbasis(std::filesystem::path basis);
  static std::filesystem::path GibQuellbasis();

  // Fills `konstanten` from the constant table: "name", "name[i]", "name.glied", "name[i].glied".
  void LiesKonstanten();

  d3dx9::ID3DXConstantTable* konstantenTabelle = nullptr;
  std::map<std::string, Zarvo_ShaderKonstante> konstanten;

  // What the two shader classes write in their messages.
  struct Stufe {
    bool pixel;
    const char* klasse;       // "Zarvo_PixelShader"
    const char* art;          // "PixelShader"
    const char* dumpPraefix;  // "ps"
  };

 protected:
  // Translates, compiles and logs as the shader classes do; the caller creates the device shader.
  bool UebersetzeStufe(const Stufe& stufe, const char* quelltext, const Zarvo_ShaderDefines& defines, bool leise,
                       const char* profil, int dumpNummer, d3dx9::ID3DXBuffer** code, d3dx9::ID3DXBuffer** meldungen);
  // The creation failure report (unless quiet) or, on success, the constant map.
  bool SchliesseErzeugungAb(const Stufe& stufe, bool erzeugt, bool leise);
  // Compiles translated HLSL with the stage's profile; "debugShader" compiles a dump
  // "<praefix>NNN.txt" of it (the text itself when the dump could not be written whole).
  bool Kompiliere(const TSpeicher& hlsl, const char* profil, const char* dumpPraefix, int dumpNummer,
                  d3dx9::ID3DXBuffer** code, d3dx9::ID3DXBuffer** meldungen);

 private:
  void TrageEin(d3dx9::D3DXHANDLE handle, const std::string& praefix);
};
