#include <gtest/gtest.h>

#include <fstream>

#include "LogMitschnitt.h"
#include "Zarvo_HighLevelShaderBasis.h"

namespace {

std::string Uebersetze(const std::string& quelle, bool pixel, const Zarvo_ShaderDefines& defines = {}) {
  const TSpeicher text = Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(quelle.c_str(), defines, pixel);
  return std::string(reinterpret_cast<const char*>(text.Daten()));
}

// The translation without the prelude's output (its helper functions).
std::string OhneVorspann(const std::string& text) {
  const size_t p = text.find("float4 MachV4");
  return text.substr(text.find('\n', p) + 1);
}

const char* BEISPIEL =
    "$rein float3 vpos;\n$rein float4x4 welt;\n$rein float4 farbe;\n$raus float4 fpos;\n$raus float4 ffarbe;\n"
    "$main() {\n  fpos = float4( vpos, 1);\n}\n";

TEST(ShaderDialekt, BeispielVertexUndPixel) {
  EXPECT_EQ(OhneVorspann(Uebersetze(BEISPIEL, false)),
            "\n\n\n\n\nvoid main( float3 vpos : POSITION0, float4x4 welt : TEXCOORD0, float4 farbe : TEXCOORD4, "
            "out float4 fpos : POSITION0, out float4 ffarbe : TEXCOORD0) {\n  fpos = float4( vpos, 1);\n}\n");
  EXPECT_NE(Uebersetze(BEISPIEL, true).find("void main( float3 vpos : TEXCOORD0, float4x4 welt : TEXCOORD1, float4 farbe : "
                                            "TEXCOORD5, out float4 fpos : COLOR0, out float4 ffarbe : COLOR1) {"),
            std::string::npos);
}

struct ZaehlerFall {
  const char* dekl;
  int rein, raus;  // counter advance as input and as output
};

TEST(ShaderDialekt, ZaehlerRegeln) {
  const ZaehlerFall FAELLE[] = {
      {"ab", 1, 1},           {"float3x3 m", 3, 3},   {"float3x4 m", 4, 3},    {"float4x3 m", 1, 4},
      {"float4x4 m", 4, 4},   {"float2 uv[2]", 2, 2}, {"float2 uv[3]", 3, 3},  {"float2 uv[4]", 4, 4},
      {"float2 uv[12]", 1, 1}, {"float4x4 m[2]", 4, 4}, {"float4x3 m[2]", 2, 4}, {"float4 f", 1, 1},
  };
  for (const ZaehlerFall& f : FAELLE) {
    // The declaration, then one float: the float's semantic shows the counter after the first.
    const std::string quelle = std::string("$rein ") + f.dekl + ";\n$rein float n;\n$raus " + f.dekl + ";\n$raus float o;\n$main() {}\n";
    const std::string text = Uebersetze(quelle, true);
    EXPECT_NE(text.find("float n : TEXCOORD" + std::to_string(f.rein)), std::string::npos) << f.dekl << "\n" << text;
    EXPECT_NE(text.find("out float o : COLOR" + std::to_string(f.raus)), std::string::npos) << f.dekl << "\n" << text;
  }
}

TEST(ShaderDialekt, Markierungen) {
  EXPECT_EQ(OhneVorspann(Uebersetze("a$$b $x\n", false)), "ab x\n");
  // Without $main() the declarations are removed and no entry point is added.
  EXPECT_EQ(OhneVorspann(Uebersetze("$rein float a;\nx\n", false)), "\nx\n");
  // A tab after $rein: removed, not recorded.
  EXPECT_EQ(OhneVorspann(Uebersetze("$rein\tfloat a;\n$rein float b;\n$main()\n", false)), "\n\nvoid main( float b : POSITION0)\n");
  // Blanks after "$rein " include line feeds; the last declaration may lack its ';'.
  EXPECT_EQ(OhneVorspann(Uebersetze("$rein float a;\n$main()\n$raus \n float4 c", false)),
            "\nvoid main( float a : POSITION0, out float4 c\n : POSITION0)\n");
}

TEST(ShaderDialekt, SiebzehnDeklarationen) {
  std::string quelle;
  for (int i = 0; i < 17; ++i) quelle += "$rein float a" + std::to_string(i) + ";\n";
  const std::string text = Uebersetze(quelle + "$main()\n", true);
  EXPECT_NE(text.find("float a15 : TEXCOORD15)"), std::string::npos);
  EXPECT_EQ(text.find("a16"), std::string::npos);
}

TEST(ShaderDialekt, DefinesUndVorspann) {
  LogMitschnitt log;
  const std::string text = Uebersetze("#if X\nja\n#endif\n#if GRAFIK_DIRECTX == 9\nneun\n#endif\n", false, {{"X", "1"}});
  EXPECT_NE(text.find("ja\nneun\n"), std::string::npos);
  const auto [anfang, ende] = Zarvo_HighLevelShaderBasis::GibVorspann();
  const std::string vorspann(anfang, ende);
  EXPECT_EQ(vorspann.rfind("#define GRAFIK_DIRECTX 9\n", 0), 0u);
  EXPECT_EQ(vorspann.substr(vorspann.size() - 8), "#line 1\n");
  Uebersetze("", true);
  g_Log.LeereWarteschlange();
  EXPECT_TRUE(log.zeilen.empty());
}

TEST(ShaderDialekt, IncludeUnterQuellbasis) {
  EigenerOrdner ordner;
  std::filesystem::create_directories(ordner / "Daten");
  std::ofstream(ordner / "Daten/a.inc") << "float a;\n#include \"b.inc\"\n";
  std::ofstream(ordner / "Daten/b.inc") << "float b;\n";
  Zarvo_HighLevelShaderBasis::SetzeQuellbasis(ordner.Pfad());
  const std::string text = OhneVorspann(Uebersetze("#include \"Daten/a.inc\"\nx\n", false));
  Zarvo_HighLevelShaderBasis::SetzeQuellbasis({});
  EXPECT_EQ(text, "float a;\nfloat b;\nx\n");
}

TEST(ShaderDialekt, PraeprozessorFehlerImLog) {
  LogMitschnitt log;
  Uebersetze("\n#include \"fehlt.inc\"\n#error\n", false);
  g_Log.LeereWarteschlange();
  EXPECT_TRUE(log.Enthaelt("?cpp: \"SpoeSpoe\", line 2: Warning: Cannot open include file \"fehlt.inc\""));
  EXPECT_TRUE(log.Enthaelt("!cpp: \"SpoeSpoe\", line 3: Error: #error directive encountered"));
}

}  // namespace
