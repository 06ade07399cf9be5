// The shader checker as its users run it: the translated main line, the constant table and the
// GLSL with exit 0; a failing shader or call gives its message and exit 1.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "EigenerOrdner.h"

namespace {

struct Lauf {
  int code = -1;
  std::string ausgabe;  // stdout and stderr
};

Lauf Pruefe(const std::string& argumente) {
  Lauf lauf;
  const std::string befehl = std::string("'") + SHADERPRUEFER + "' " + argumente + " 2>&1";
  FILE* rohr = popen(befehl.c_str(), "r");
  if (rohr == nullptr) return lauf;
  char puffer[4096];
  for (size_t n; (n = std::fread(puffer, 1, sizeof puffer, rohr)) > 0;) lauf.ausgabe.append(puffer, n);
  const int status = pclose(rohr);
  lauf.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return lauf;
}

const char* const VERTEX =
    "$rein float3 vpos;\n$rein float4 farbe;\n$raus float4 fpos;\n$raus float4 ffarbe;\n"
    "float4 versatz;\n"
    "$main() {\n  fpos = float4(vpos, 1) + versatz;\n  ffarbe = farbe;\n}\n";

}  // namespace

TEST(Shaderpruefer, VertexShaderMitTabelleUndGlsl) {
  EigenerOrdner ordner;
  std::ofstream(ordner / "linie.vs") << VERTEX;
  const Lauf lauf = Pruefe("vs '" + (ordner / "linie.vs").string() + "'");
  EXPECT_EQ(lauf.code, 0) << lauf.ausgabe;
  for (const char* teil : {"void main( float3 vpos : POSITION0, float4 farbe : TEXCOORD0, out float4 fpos : POSITION0, "
                           "out float4 ffarbe : TEXCOORD0)",
                           "--- constants\nversatz c0 1\n", "--- GLSL\n#version 330", "gl_Position.xy += zarvo_geraet.xy"})
    EXPECT_NE(lauf.ausgabe.find(teil), std::string::npos) << teil << "\n" << lauf.ausgabe;
}

TEST(Shaderpruefer, DefinesErreichenDenQuelltext) {
  EigenerOrdner ordner;
  std::ofstream(ordner / "farbe.ps") << "$rein float4 f;\n$raus float4 erg;\n$main() { erg = f * STAERKE; }\n";
  const std::string datei = "'" + (ordner / "farbe.ps").string() + "'";
  const Lauf mit = Pruefe("ps " + datei + " STAERKE=0.5");
  EXPECT_EQ(mit.code, 0) << mit.ausgabe;
  EXPECT_NE(mit.ausgabe.find("erg = f * 0.5;"), std::string::npos) << mit.ausgabe;
  EXPECT_EQ(Pruefe("ps " + datei).code, 1);  // STAERKE undeclared
}

TEST(Shaderpruefer, FehlerGebenMeldungUndEins) {
  EigenerOrdner ordner;
  std::ofstream(ordner / "kaputt.ps") << "$rein float2 uv;\n$raus float4 farbe;\n$main() {\n  farbe = uv.x +;\n}\n";
  const std::string kaputt = "'" + (ordner / "kaputt.ps").string() + "'";
  struct Fall {
    std::string argumente;
    const char* meldung;
  };
  const Fall faelle[] = {
      {"ps " + kaputt, "--- messages\nERROR: "},
      {"ps '" + (ordner / "fehlt.ps").string() + "'", "cannot read the file"},
      {"gs " + kaputt, "usage: shaderpruefer vs|ps"},
      {"ps", "usage: shaderpruefer vs|ps"},
      {"ps " + kaputt + " OHNE_WERT", "a define is NAME=VALUE"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.argumente);
    const Lauf lauf = Pruefe(f.argumente);
    EXPECT_EQ(lauf.code, 1);
    EXPECT_NE(lauf.ausgabe.find(f.meldung), std::string::npos) << lauf.ausgabe;
  }
}
