// Shaders and programs on the recording device: handles, constant keys, failure reports, dumps,
// and the bindings and draws a program makes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "NullKontext.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_ShaderTools.h"
#include "Zarvo_BufferBasis.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_VertexShader.h"

namespace {

const char* VS = R"(
float4 beide;
float4 nurV;
float4 l[4];
struct Kugel { float3 p; float r; };
Kugel s2[2];
sampler2D sv;
$rein float3 vpos;
$raus float4 fpos;
$raus float2 fuv;
$main() {
  fpos = float4(vpos, 1) + beide + nurV + l[2] + float4(s2[1].p, s2[1].r) + tex2Dlod(sv, float4(0, 0, 0, 0));
  fuv = vpos.xy;
}
)";

const char* PS = R"(
float4 nurP;
float4 beide;
sampler2D sp;
$rein float2 fuv;
$raus float4 farbe;
$main() { farbe = nurP + beide + tex2D(sp, fuv); }
)";

class ShaderProgrammTest : public NullKontextTest {
 protected:
  void SetUp() override {
    NullKontextTest::SetUp();
    Erzeuge();
  }
  bool Enthaelt(const std::vector<std::string>& zeilen, const std::string& teil) {
    for (const std::string& z : zeilen)
      if (z.find(teil) != std::string::npos) return true;
    return false;
  }
};

TEST_F(ShaderProgrammTest, HandlesUndKonstantenSchluessel) {
  Zarvo_VertexShader* vs = kontext->ErzeugeVertexShader();
  Zarvo_PixelShader* ps = kontext->ErzeugePixelShader();
  ASSERT_TRUE(vs->UebersetzeAusString(VS, {}, false)) << (vs->GibMeldungen() ? vs->GibMeldungen() : "");
  ASSERT_TRUE(ps->UebersetzeAusString(PS, {}, false));
  EXPECT_EQ(vs->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  Zarvo_VertexEingabe* eingabe = kontext->ErzeugeVertexEingabe();
  eingabe->AddKanal(0, 2, 0, false);
  eingabe->Beenden();
  Zarvo_Programm* p = kontext->ErzeugeProgramm(eingabe, vs, ps);
  struct Fall {
    const char* name;
    uint32_t konstante;
  };
  // Vertex: beide c0, nurV c1, l c2-5, s2 c6-9. Pixel: nurP c0, beide c1.
  for (const Fall& f : {Fall{"beide", 0u | 1u << 12}, Fall{"nurV", 1u | 0xFFFu << 12}, Fall{"nurP", 0xFFFu | 0u << 12},
                        Fall{"fehlt", 0xFFFFFFu}, Fall{"l[2]", 4u | 0xFFFu << 12}, Fall{"s2[1].r", 9u | 0xFFFu << 12},
                        Fall{"s2[0].p", 6u | 0xFFFu << 12}})
    EXPECT_EQ(p->GibKonstante(f.name), f.konstante) << f.name;
  EXPECT_EQ(p->GibSampler("sp"), 0u | 0xFFu << 8);
  EXPECT_EQ(p->GibSampler("sv"), 0xFFu | 0u << 8);
  EXPECT_EQ(p->GibSampler("fehlt"), 0xFFFFu);
  EXPECT_EQ(vs->konstanten.at("s2[1]").register_, 8u);

  // Program: copies of the input and the device shaders; binding and draws.
  EXPECT_EQ(p->deklaration, eingabe->deklaration);
  EXPECT_EQ(p->stride[0], eingabe->stride[0]);
  EXPECT_EQ(p->streamAnzahl, eingabe->streamAnzahl);
  EXPECT_EQ(p->geraeteVertexShader, vs->geraeteShader);
  EXPECT_EQ(p->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  welt->aufrufe.clear();
  kontext->SetProgramm(p);
  kontext->SetProgramm(p);
  ASSERT_EQ(welt->Anzahl("SetVertexShader"), 1);
  EXPECT_EQ(welt->Aufrufe("SetVertexShader")[0].argumente[0], uint64_t(reinterpret_cast<uintptr_t>(vs->geraeteShader)));
  EXPECT_EQ(welt->Anzahl("SetPixelShader"), 1);
  EXPECT_EQ(welt->Anzahl("SetVertexDeclaration"), 1);
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::PROGRAMM_SETS], 1u);
  float vertices[9] = {};
  Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(sizeof vertices, 0, {vertices, sizeof vertices, 0});
  kontext->SetVertexBuffer(0, vb, 0, 0);  // stride 0: the program's
  ASSERT_EQ(welt->Anzahl("SetStreamSource"), 1);
  EXPECT_EQ(welt->Aufrufe("SetStreamSource")[0].argumente.back(), 12u);
  kontext->ZeichneIndexElemente(0, 7);
  kontext->ZeichneIndexInstanzen(0, 3, 5);
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 2);
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::INDEX_ZEICHNEN], 1u);
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::INSTANZ_ZEICHNEN], 1u);
  const auto zeichnen = welt->Aufrufe("DrawIndexedPrimitive");
  ASSERT_EQ(zeichnen.size(), 2u);
  EXPECT_EQ(zeichnen[0].argumente[3], 3u);  // vertices: 36 bytes / stride 12
  EXPECT_EQ(zeichnen[0].argumente[5], 7u);
  kontext->GibFrei(vb);
  kontext->GibFrei(p);
  kontext->GibFrei(eingabe);
  kontext->GibFrei(vs);
  kontext->GibFrei(ps);
}

TEST_F(ShaderProgrammTest, UebersetzungsFehlerLeiseUndLaut) {
  Zarvo_VertexShader* vs = kontext->ErzeugeVertexShader();
  NeueZeilen();
  EXPECT_FALSE(vs->UebersetzeAusString("$raus float4 p;\n$main() { p = undefiniert; }", {}, true));
  EXPECT_TRUE(NeueZeilen().empty());
  ASSERT_NE(vs->GibMeldungen(), nullptr);
  EXPECT_FALSE(vs->UebersetzeAusString("$raus float4 p;\n$main() { p = undefiniert; }", {}, false));
  const std::vector<std::string> zeilen = NeueZeilen();
  EXPECT_TRUE(Enthaelt(zeilen, "!Zarvo_VertexShader::UebersetzeQuelltext(...): Übersetzung gescheitert. DirectX meinte:"));
  EXPECT_TRUE(Enthaelt(zeilen, "?ERROR: 0:13: 'undefiniert' : unknown variable"));
  EXPECT_FALSE(Enthaelt(zeilen, "?\n")) << "no empty message line";
  EXPECT_TRUE(Enthaelt(zeilen, "!Ausnahme \"VertexShader-Übersetzung gescheitert.\" aufgetreten in Funktion "
                               "Zarvo_VertexShader::UebersetzeAusString (SourceExt\\Zarvoklassen\\Zarvo_VertexShader:95)."));
  kontext->GibFrei(vs);
}

// The quiet program build stops at the first stage that fails, frees what it made, writes no
// line and hands back the stage with that shader's messages.
TEST_F(ShaderProgrammTest, LeisesProgrammHaeltBeiDerErstenFehlerhaftenStufe) {
  const auto belegt = [&] {
    int n = 0;
    kontext->registerListe.FuerAlle([&](Zarvo_BasisObjekt*) { ++n; });
    return n;
  };
  Zarvo_VertexEingabe* eingabe = kontext->ErzeugeVertexEingabe();
  eingabe->AddKanal(0, 2, 0, false);
  eingabe->Beenden();
  const int vorher = belegt();
  const char* kaputt = "$raus float4 p;\n$main() { p = undefiniert; }";
  struct Fall {
    const char* vs;
    const char* ps;
    Zarvo_ShaderFehler::Stufe stufe;
    int vertexShader, pixelShader;  // device shaders created on the way
  } faelle[] = {{kaputt, PS, Zarvo_ShaderFehler::VERTEX, 0, 0}, {VS, kaputt, Zarvo_ShaderFehler::PIXEL, 1, 0}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.stufe);
    welt->Leere();
    NeueZeilen();
    Zarvo_ShaderFehler fehler;
    const Zarvo_ShaderPaar paar = Zarvo_ShaderTools::ErzeugeProgrammAusTextLeise(*kontext, eingabe, f.vs, f.ps, fehler);
    EXPECT_TRUE(paar.vertexShader == nullptr && paar.pixelShader == nullptr && paar.programm == nullptr);
    EXPECT_EQ(fehler.stufe, f.stufe);
    EXPECT_NE(fehler.meldungen.find("'undefiniert' : unknown variable"), std::string::npos) << fehler.meldungen;
    EXPECT_EQ(welt->Anzahl("CreateVertexShader"), f.vertexShader);
    EXPECT_EQ(welt->Anzahl("CreatePixelShader"), f.pixelShader) << "the valid pixel shader is not even compiled";
    EXPECT_TRUE(NeueZeilen().empty());
    EXPECT_EQ(belegt(), vorher);
  }
  welt->Scheitere("CreateVertexShader", 1, d3d9::D3DERR_INVALIDCALL);
  Zarvo_ShaderFehler fehler;
  EXPECT_EQ(Zarvo_ShaderTools::ErzeugeProgrammAusTextLeise(*kontext, eingabe, VS, PS, fehler).programm, nullptr);
  EXPECT_EQ(fehler.stufe, Zarvo_ShaderFehler::VERTEX);
  EXPECT_EQ(belegt(), vorher);

  const Zarvo_ShaderPaar paar = Zarvo_ShaderTools::ErzeugeProgrammAusTextLeise(*kontext, eingabe, VS, PS, fehler);
  ASSERT_NE(paar.programm, nullptr);
  EXPECT_EQ(fehler.stufe, Zarvo_ShaderFehler::KEINE);
  EXPECT_TRUE(fehler.meldungen.empty());
  EXPECT_EQ(belegt(), vorher + 3);
  Zarvo_ShaderTools::GibFrei(*kontext, paar);
  kontext->GibFrei(eingabe);
}

TEST_F(ShaderProgrammTest, BemerkungenNurImDebugLog) {
  // glslang remarks on "#pragma once" and compiles on.
  const char* mitBemerkung = "$rein float4 f;\n$raus float4 erg;\n#pragma once\n$main() { erg = f; }\n";
  for (bool debug : {true, false}) {
    SCOPED_TRACE(debug);
    g_tDebug.SetzeBool(debug);
    Zarvo_PixelShader* ps = kontext->ErzeugePixelShader();
    NeueZeilen();
    EXPECT_TRUE(ps->UebersetzeAusString(mitBemerkung, {}, false));
    const std::vector<std::string> zeilen = NeueZeilen();
    EXPECT_EQ(Enthaelt(zeilen, "?Zarvo_PixelShader::UebersetzeQuelltext(...): Bemerkungen von DirectX zum Shader:"), debug);
    EXPECT_EQ(Enthaelt(zeilen, "'#pragma once' : not implemented"), debug);
    ASSERT_NE(ps->GibMeldungen(), nullptr);
    kontext->GibFrei(ps);
  }
}

TEST_F(ShaderProgrammTest, ErzeugungsFehlerAusDerFehlerschlange) {
  Zarvo_PixelShader* ps = kontext->ErzeugePixelShader();
  welt->Scheitere("CreatePixelShader", 1, d3d9::D3DERR_INVALIDCALL);
  NeueZeilen();
  EXPECT_FALSE(ps->UebersetzeAusString(PS, {}, false));
  const std::vector<std::string> zeilen = NeueZeilen();
  EXPECT_TRUE(Enthaelt(zeilen, "!Zarvo_PixelShader::ErzeugeShader(...): Shader-Erzeugung gescheitert."));
  EXPECT_TRUE(Enthaelt(zeilen, "\"PixelShader-Erzeugung gescheitert.\" aufgetreten in Funktion Zarvo_PixelShader::InternErzeugeShader "
                               "(SourceExt\\Zarvoklassen\\Zarvo_PixelShader:157)."));
  EXPECT_TRUE(ps->InternErzeugeShader(false));
  EXPECT_EQ(ps->konstanten.at("beide").register_, 1u);
  kontext->GibFrei(ps);
}

TEST_F(ShaderProgrammTest, FehlendeDateiIstAusnahme) {
  NeueZeilen();
  try {
    Zarvo_ShaderTools::ErzeugePixelShaderAusDatei(*kontext, "/gibt/es/nicht.ps", {});
    FAIL() << "no exception";
  } catch (const Zarvo_Ausnahme& a) {
    EXPECT_EQ(a.meldung, "Datei nicht lesbar");
    EXPECT_EQ(a.funktion, "Zarvo_ShaderTools::ErzeugePixelShaderAusDatei");
    EXPECT_EQ(a.datei, "SourceExt\\Zarvoklassen\\Zarvo_ShaderTools");
    EXPECT_EQ(a.zeile, 34);
  }
  EXPECT_TRUE(Enthaelt(NeueZeilen(), "!Kann PixelShader-Datei \"/gibt/es/nicht.ps\" nicht lesen."));
  EXPECT_THROW(Zarvo_ShaderTools::ErzeugeVertexShaderAusDatei(*kontext, "/gibt/es/nicht.vs", {}), Zarvo_Ausnahme);
}

// "debugShader": dumps numbered per stage; a dump that cannot be written does not make a stale
// file the compiled shader.
TEST_F(ShaderProgrammTest, DebugShaderDumps) {
  const std::filesystem::path alt = std::filesystem::current_path();
  const std::filesystem::path ordner = std::filesystem::path(::testing::TempDir()) / ("shaderdump_" + std::to_string(getpid()));
  std::filesystem::create_directories(ordner);
  std::filesystem::current_path(ordner);
  g_DebugShader.SetzeBool(true);
  {
    std::ofstream("ps000.txt") << "float4 main() : COLOR0 { return float4(1, 0, 0, 1); }\n";
    chmod("ps000.txt", 0444);
  }
  const bool root = geteuid() == 0;
  std::vector<Zarvo_PixelShader*> shader;
  for (int i = 0; i < 3; ++i) {
    shader.push_back(kontext->ErzeugePixelShader());
    EXPECT_TRUE(shader.back()->UebersetzeAusString(PS, {}, false));
    // The current text, not the stale dump: its constants are there.
    EXPECT_EQ(shader.back()->konstanten.count("nurP"), 1u) << i;
  }
  Zarvo_VertexShader* vs = kontext->ErzeugeVertexShader();
  EXPECT_TRUE(vs->UebersetzeAusString(VS, {}, false));
  g_DebugShader.SetzeBool(false);
  for (const char* name : {"ps001.txt", "ps002.txt", "vs000.txt"}) EXPECT_TRUE(std::filesystem::exists(name)) << name;
  if (!root) {
    EXPECT_EQ(std::filesystem::file_size("ps000.txt"), 55u);
  }
  EXPECT_FALSE(std::filesystem::exists("ps003.txt"));
  std::filesystem::current_path(alt);
  std::filesystem::remove_all(ordner);
  for (auto* s : shader) kontext->GibFrei(s);
  kontext->GibFrei(vs);
}

}  // namespace
