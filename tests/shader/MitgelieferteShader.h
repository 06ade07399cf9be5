#pragma once
// The shaders the build ships, for the tests, the benchmark and the fuzz seeds: the dialect
// sources embedded in the engine (through their classes' accessors) and the files Daten/*.vs and
// Daten/*.ps. A vertex and a pixel shader drawn together form a pair; Daten files pair by name.
#include <string>
#include <vector>

#include "Zarvo_HighLevelShaderBasis.h"

namespace testhilfe {

struct MitgelieferterShader {
  std::string name;  // "Daten/start.vs", or the embedding class and stage
  bool pixel = false;
  std::string quelle;
  Zarvo_ShaderDefines defines;
};

struct MitgeliefertesPaar {
  std::string name;
  MitgelieferterShader vertex;
  MitgelieferterShader pixel;
};

// The pairs, embedded ones first, then the Daten files in name order.
std::vector<MitgeliefertesPaar> MitgelieferteShaderpaare();
// Every shipped shader: those of the pairs and Daten files without a partner.
std::vector<MitgelieferterShader> MitgelieferteShader();

}  // namespace testhilfe
