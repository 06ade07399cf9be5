#pragma once
// Shaders from dialect files, and programs from dialect text.
#include <string>

#include "Zarvo_HighLevelShaderBasis.h"

class Zarvo_ZeichenKontext;
class Zarvo_VertexShader;
class Zarvo_PixelShader;
class Zarvo_Programm;
class Zarvo_VertexEingabe;

// A program with the two shaders it was linked from.
struct Zarvo_ShaderPaar {
  Zarvo_VertexShader* vertexShader = nullptr;
  Zarvo_PixelShader* pixelShader = nullptr;
  Zarvo_Programm* programm = nullptr;
};

// What a quiet build reports when a stage fails: the stage and that shader's compiler messages.
struct Zarvo_ShaderFehler {
  enum Stufe { KEINE, VERTEX, PIXEL };
  Stufe stufe = KEINE;
  std::string meldungen;  // empty when the compiler gave none
};

class Zarvo_ShaderTools {
 public:
  // A new shader from the file's text; an unreadable file throws "Datei nicht lesbar".
  static Zarvo_VertexShader* ErzeugeVertexShaderAusDatei(Zarvo_ZeichenKontext& kontext, const std::string& datei,
                                                         const Zarvo_ShaderDefines& defines);
  static Zarvo_PixelShader* ErzeugePixelShaderAusDatei(Zarvo_ZeichenKontext& kontext, const std::string& datei,
                                                       const Zarvo_ShaderDefines& defines);
  // Both shaders compiled from dialect text without defines, and the program linking them to `eingabe`.
  static Zarvo_ShaderPaar ErzeugeProgrammAusText(Zarvo_ZeichenKontext& kontext, Zarvo_VertexEingabe* eingabe,
                                                 const char* vertexShader, const char* pixelShader);
  // The same without log lines: stops at the first stage that fails, frees what it made and returns
  // an empty pair with the stage and its messages in `fehler`.
  static Zarvo_ShaderPaar ErzeugeProgrammAusTextLeise(Zarvo_ZeichenKontext& kontext, Zarvo_VertexEingabe* eingabe,
                                                      const char* vertexShader, const char* pixelShader,
                                                      Zarvo_ShaderFehler& fehler);
  // The program before the shaders it binds.
  static void GibFrei(Zarvo_ZeichenKontext& kontext, const Zarvo_ShaderPaar& paar);
};
