#pragma once
// Shaders from dialect files.
#include <string>

#include "Zarvo_HighLevelShaderBasis.h"

class Zarvo_ZeichenKontext;
class Zarvo_VertexShader;
class Zarvo_PixelShader;

class Zarvo_ShaderTools {
 public:
  // A new shader from the file's text; an unreadable file throws "Datei nicht lesbar".
  static Zarvo_VertexShader* ErzeugeVertexShaderAusDatei(Zarvo_ZeichenKontext& kontext, const std::string& datei,
                                                         const Zarvo_ShaderDefines& defines);
  static Zarvo_PixelShader* ErzeugePixelShaderAusDatei(Zarvo_ZeichenKontext& kontext, const std::string& datei,
                                                       const Zarvo_ShaderDefines& defines);
};
