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

#include "TSpeicher.h"

using Zarvo_ShaderDefines = std::vector<std::pair<std::string, std::string>>;

class Zarvo_HighLevelShaderBasis {
 public:
  static constexpr int MAX_DEKLARATIONEN = 16;

  virtual ~Zarvo_HighLevelShaderBasis() = default;

  // The prelude as a (begin, end) text range.
  static std::pair<const char*, const char*> GibVorspann();
  // The NUL-terminated HLSL text of a dialect source.
  static TSpeicher BereiteQuelltextVor(const char* quelltext, const Zarvo_ShaderDefines& defines, bool pixelShader);
  // Folder that "#include" names are joined to (default: the application directory).
  static void SetzeQuellbasis(std::filesystem::path basis);
  static std::filesystem::path GibQuellbasis();
};
