#include "Zarvo_ShaderTools.h"

#include <cstdio>

#include "TSpeicher.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Log.h"
#include "Zarvo_Start.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_VertexShader.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

// The whole file and a NUL; false when it cannot be opened.
bool LiesText(const std::string& datei, TSpeicher& text) {
  FILE* f = std::fopen(datei.c_str(), "r");
  if (f == nullptr) return false;
  char block[4096];
  size_t gelesen;
  while ((gelesen = std::fread(block, 1, sizeof block, f)) > 0) text.SchreibeMem(block, gelesen);
  std::fclose(f);
  text.SchreibeU8(0);
  return true;
}

template <class Shader>
Shader* LadeShader(Zarvo_ZeichenKontext& kontext, const std::string& datei, const Zarvo_ShaderDefines& defines, const char* art,
                   const char* funktion, int zeile, Shader* (Zarvo_ZeichenKontext::*erzeuge)()) {
  TSpeicher text;
  if (!LiesText(datei, text)) {
    g_Log.Schreibe("!Kann %s-Datei \"%s\" nicht lesen.", art, datei.c_str());
    WirfZarvoAusnahme("Datei nicht lesbar", funktion, "SourceExt\\Zarvoklassen\\Zarvo_ShaderTools", zeile);
  }
  Shader* shader = (kontext.*erzeuge)();
  shader->UebersetzeAusString(reinterpret_cast<const char*>(text.Daten()), defines, false);
  return shader;
}

}  // namespace

Zarvo_VertexShader* Zarvo_ShaderTools::ErzeugeVertexShaderAusDatei(Zarvo_ZeichenKontext& kontext, const std::string& datei,
                                                                   const Zarvo_ShaderDefines& defines) {
  return LadeShader(kontext, datei, defines, "VertexShader", "Zarvo_ShaderTools::ErzeugeVertexShaderAusDatei", 14,
                    &Zarvo_ZeichenKontext::ErzeugeVertexShader);
}

Zarvo_PixelShader* Zarvo_ShaderTools::ErzeugePixelShaderAusDatei(Zarvo_ZeichenKontext& kontext, const std::string& datei,
                                                                 const Zarvo_ShaderDefines& defines) {
  return LadeShader(kontext, datei, defines, "PixelShader", "Zarvo_ShaderTools::ErzeugePixelShaderAusDatei", 34,
                    &Zarvo_ZeichenKontext::ErzeugePixelShader);
}

Zarvo_ShaderPaar Zarvo_ShaderTools::ErzeugeProgrammAusText(Zarvo_ZeichenKontext& kontext, Zarvo_VertexEingabe* eingabe,
                                                           const char* vertexShader, const char* pixelShader) {
  Zarvo_ShaderPaar paar;
  paar.vertexShader = kontext.ErzeugeVertexShader();
  paar.vertexShader->UebersetzeAusString(vertexShader, {}, false);
  paar.pixelShader = kontext.ErzeugePixelShader();
  paar.pixelShader->UebersetzeAusString(pixelShader, {}, false);
  paar.programm = kontext.ErzeugeProgramm(eingabe, paar.vertexShader, paar.pixelShader);
  return paar;
}

Zarvo_ShaderPaar Zarvo_ShaderTools::ErzeugeProgrammAusTextLeise(Zarvo_ZeichenKontext& kontext, Zarvo_VertexEingabe* eingabe,
                                                                const char* vertexShader, const char* pixelShader,
                                                                Zarvo_ShaderFehler& fehler) {
  const auto scheitere = [&](Zarvo_ShaderPaar& paar, Zarvo_ShaderFehler::Stufe stufe, const char* meldungen) {
    fehler = {stufe, meldungen ? meldungen : ""};
    GibFrei(kontext, paar);
    return Zarvo_ShaderPaar{};
  };
  fehler = {};
  Zarvo_ShaderPaar paar;
  paar.vertexShader = kontext.ErzeugeVertexShader();
  if (!paar.vertexShader->UebersetzeAusString(vertexShader, {}, true))
    return scheitere(paar, Zarvo_ShaderFehler::VERTEX, paar.vertexShader->GibMeldungen());
  paar.pixelShader = kontext.ErzeugePixelShader();
  if (!paar.pixelShader->UebersetzeAusString(pixelShader, {}, true))
    return scheitere(paar, Zarvo_ShaderFehler::PIXEL, paar.pixelShader->GibMeldungen());
  paar.programm = kontext.ErzeugeProgramm(eingabe, paar.vertexShader, paar.pixelShader);
  return paar;
}

void Zarvo_ShaderTools::GibFrei(Zarvo_ZeichenKontext& kontext, const Zarvo_ShaderPaar& paar) {
  kontext.GibFrei(paar.programm);
  kontext.GibFrei(paar.pixelShader);
  kontext.GibFrei(paar.vertexShader);
}
