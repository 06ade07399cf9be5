// The HLSL compiler stand-in: register model, refusals, names and the device record.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Plattform/d3d9/shadercode.h"
#include "Plattform/d3dx9/d3dx9.h"

using namespace d3dx9;

namespace {

struct Ergebnis {
  HRESULT hr = 0;
  std::string meldungen;
  d3d9::ShaderCode code;
  ID3DXConstantTable* tabelle = nullptr;
  ~Ergebnis() {
    if (tabelle) tabelle->Release();
  }
};

void Uebernimm(Ergebnis& e, ID3DXBuffer* code, ID3DXBuffer* meldungen, const char* profil) {
  if (meldungen) {
    e.meldungen = static_cast<const char*>(meldungen->GetBufferPointer());
    meldungen->Release();
  }
  if (code) {
    std::string fehler;
    const auto stufe = std::string(profil) == "vs_3_0" ? d3d9::ShaderStufe::Vertex : d3d9::ShaderStufe::Pixel;
    EXPECT_EQ(d3d9::Dekodiere(code->GetBufferPointer(), code->GetBufferSize(), stufe, e.code, fehler), d3d9::D3D_OK) << fehler;
    code->Release();
  }
}

void Uebersetze(Ergebnis& e, const std::string& quelle, const char* profil) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* meldungen = nullptr;
  e.hr = D3DXCompileShader(quelle.c_str(), UINT(quelle.size()), nullptr, nullptr, "main", profil, 0, &code, &meldungen, &e.tabelle);
  Uebernimm(e, code, meldungen, profil);
}

D3DXCONSTANT_DESC Beschreibung(ID3DXConstantTable* t, D3DXHANDLE h) {
  D3DXCONSTANT_DESC d{};
  UINT anzahl = 0;
  EXPECT_EQ(t->GetConstantDesc(h, &d, &anzahl), d3d9::D3D_OK);
  EXPECT_EQ(anzahl, 1u);
  return d;
}

const char* REGISTERMODELL = R"(
struct Kugel { float3 p; float r; };
float s;
float2 a;
float2 b;
float3x3 N;
float4x3 A;
float3x4 B;
row_major float4x3 R;
float fa[3];
Kugel s2[2];
float4 u;
float4 l[24];
float4 main(float4 pos : POSITION0) : POSITION0 {
  float4 r = float4(s, a.x, b.y, 0) + float4(mul(pos.xyz, N), 0) + float4(mul(pos, A), 0) + mul(pos.xyz, B);
  r.xyz += mul(pos, R) + fa[0] + fa[1] + fa[2] + s2[0].p * s2[0].r + s2[1].p * s2[1].r;
  for (int i = 0; i < 24; ++i) r += l[i];
  return r;
}
)";

}  // namespace

TEST(D3dx9Compiler, RegistermodellInDeklarationsreihenfolge) {
  Ergebnis e;
  Uebersetze(e, REGISTERMODELL, "vs_3_0");
  ASSERT_EQ(e.hr, d3d9::D3D_OK) << e.meldungen;
  EXPECT_EQ(e.meldungen, "");
  struct Fall {
    const char* name;
    UINT register_, anzahl;
    D3DXPARAMETER_CLASS klasse;
    UINT zeilen, spalten, elemente, glieder;
  };
  const Fall faelle[] = {
      {"s", 0, 1, D3DXPC_SCALAR, 1, 1, 1, 0},
      {"a", 1, 1, D3DXPC_VECTOR, 1, 2, 1, 0},
      {"b", 2, 1, D3DXPC_VECTOR, 1, 2, 1, 0},
      {"N", 3, 3, D3DXPC_MATRIX_COLUMNS, 3, 3, 1, 0},
      {"A", 6, 3, D3DXPC_MATRIX_COLUMNS, 4, 3, 1, 0},
      {"B", 9, 4, D3DXPC_MATRIX_COLUMNS, 3, 4, 1, 0},
      {"R", 13, 4, D3DXPC_MATRIX_ROWS, 4, 3, 1, 0},
      {"fa", 17, 3, D3DXPC_SCALAR, 1, 1, 3, 0},
      {"s2", 20, 4, D3DXPC_STRUCT, 1, 1, 2, 2},
      {"l", 24, 24, D3DXPC_VECTOR, 1, 4, 24, 0},
  };
  D3DXCONSTANTTABLE_DESC tabelle{};
  ASSERT_EQ(e.tabelle->GetDesc(&tabelle), d3d9::D3D_OK);
  ASSERT_EQ(tabelle.Constants, std::size(faelle));
  for (UINT i = 0; i < std::size(faelle); ++i) {
    const Fall& f = faelle[i];
    const D3DXCONSTANT_DESC d = Beschreibung(e.tabelle, e.tabelle->GetConstant(nullptr, i));
    SCOPED_TRACE(f.name);
    EXPECT_STREQ(d.Name, f.name);
    EXPECT_EQ(d.RegisterSet, D3DXRS_FLOAT4);
    EXPECT_EQ(d.RegisterIndex, f.register_);
    EXPECT_EQ(d.RegisterCount, f.anzahl);
    EXPECT_EQ(d.Class, f.klasse);
    EXPECT_EQ(d.Rows, f.zeilen);
    EXPECT_EQ(d.Columns, f.spalten);
    EXPECT_EQ(d.Elements, f.elemente);
    EXPECT_EQ(d.StructMembers, f.glieder);
  }
  // s2[1].r: member 1 of element 1, absolute register.
  D3DXHANDLE s2 = e.tabelle->GetConstant(nullptr, 8);
  const D3DXCONSTANT_DESC r1 = Beschreibung(e.tabelle, e.tabelle->GetConstant(e.tabelle->GetConstantElement(s2, 1), 1));
  EXPECT_STREQ(r1.Name, "r");
  EXPECT_EQ(r1.RegisterIndex, 23u);
  EXPECT_EQ(Beschreibung(e.tabelle, e.tabelle->GetConstant(s2, 1)).RegisterIndex, 21u);
  EXPECT_EQ(Beschreibung(e.tabelle, e.tabelle->GetConstantElement(e.tabelle->GetConstant(nullptr, 9), 2)).RegisterIndex, 26u);
  EXPECT_EQ(e.tabelle->GetConstant(nullptr, 10), nullptr);
  EXPECT_EQ(e.code.registerBlock, "ZarvoVS");
  EXPECT_EQ(e.code.registerBlockBytes, 48u * 16);
  EXPECT_NE(e.code.quelle.find("layout(std140) uniform ZarvoVS { vec4 zarvo_vc[48]; };"), std::string::npos) << e.code.quelle;
}

TEST(D3dx9Compiler, SamplerUndNamenNachSemantik) {
  Ergebnis ps;
  Uebersetze(ps, R"(
sampler2D unbenutzt;
sampler2D basis;
samplerCUBE himmel;
float4 main(float2 uv : TEXCOORD0, float3 n : TEXCOORD3) : COLOR0 { return tex2D(basis, uv) + texCUBE(himmel, n); }
)", "ps_3_0");
  ASSERT_EQ(ps.hr, d3d9::D3D_OK) << ps.meldungen;
  ASSERT_EQ(ps.code.sampler.size(), 2u);
  EXPECT_EQ(ps.code.sampler[0].name, "basis");
  EXPECT_EQ(ps.code.sampler[0].register_, 0u);
  EXPECT_EQ(ps.code.sampler[1].name, "himmel");
  EXPECT_EQ(ps.code.sampler[1].register_, 1u);
  const D3DXCONSTANT_DESC himmel = Beschreibung(ps.tabelle, ps.tabelle->GetConstant(nullptr, 1));
  EXPECT_STREQ(himmel.Name, "himmel");
  EXPECT_EQ(himmel.RegisterSet, D3DXRS_SAMPLER);
  EXPECT_EQ(himmel.RegisterIndex, 1u);
  EXPECT_EQ(himmel.Type, D3DXPT_SAMPLERCUBE);
  EXPECT_EQ(ps.code.registerBlock, "");
  EXPECT_EQ(ps.code.geraeteBlock, "");
  for (const char* teil : {"#version 330", "in vec2 v_TEXCOORD0;", "in vec3 v_TEXCOORD3;", "layout(location = 0) out vec4 o_COLOR0;"})
    EXPECT_NE(ps.code.quelle.find(teil), std::string::npos) << teil << "\n" << ps.code.quelle;
  EXPECT_EQ(ps.code.quelle.find("zarvo_geraet"), std::string::npos);
  EXPECT_EQ(ps.code.quelle.find("layout(binding"), std::string::npos);

  Ergebnis vs;
  Uebersetze(vs, R"(
#pragma pack_matrix(row_major)
sampler2D hoehe;
float4x4 M;
void main(float3 p : POSITION0, float2 uv : TEXCOORD0, out float4 o : POSITION0, out float2 ouv : TEXCOORD0) {
  o = mul(float4(p.x, tex2Dlod(hoehe, float4(uv, 0, 0)).x, p.z, 1), M);
  ouv = uv;
}
)", "vs_3_0");
  ASSERT_EQ(vs.hr, d3d9::D3D_OK) << vs.meldungen;
  ASSERT_EQ(vs.code.sampler.size(), 1u);
  EXPECT_EQ(vs.code.sampler[0].name, "vs_hoehe");
  EXPECT_EQ(vs.code.sampler[0].register_, 0u);
  EXPECT_EQ(Beschreibung(vs.tabelle, vs.tabelle->GetConstant(nullptr, 0)).Class, D3DXPC_MATRIX_ROWS);
  EXPECT_STREQ(Beschreibung(vs.tabelle, vs.tabelle->GetConstant(nullptr, 1)).Name, "hoehe");
  ASSERT_EQ(vs.code.eingaben.size(), 2u);
  EXPECT_EQ(vs.code.eingaben[0].usage, d3d9::D3DDECLUSAGE_POSITION);
  EXPECT_EQ(vs.code.eingaben[1].usage, d3d9::D3DDECLUSAGE_TEXCOORD);
  EXPECT_EQ(vs.code.eingaben[1].index, 0u);
  EXPECT_EQ(vs.code.geraeteBlock, "ZarvoGeraet");
  for (const char* teil : {"out vec2 v_TEXCOORD0;", "gl_Position = ", "gl_Position.xy += zarvo_geraet.xy * gl_Position.w;",
                           "uniform ZarvoGeraet"})
    EXPECT_NE(vs.code.quelle.find(teil), std::string::npos) << teil << "\n" << vs.code.quelle;
  EXPECT_EQ(vs.code.quelle.find("layout(binding"), std::string::npos);
}

TEST(D3dx9Compiler, AblehnungenNennenDenGrund) {
  struct Fall {
    const char* profil;
    const char* quelle;
    const char* grund;
  };
  const Fall faelle[] = {
      {"vs_3_0", "int n; float4 main(float4 p : POSITION0) : POSITION0 { return p * n; }", "int and bool"},
      {"vs_3_0", "bool b; float4 main(float4 p : POSITION0) : POSITION0 { return b ? p : -p; }", "int and bool"},
      {"vs_3_0", "float4 main(float4x4 m : POSITION0) : POSITION0 { return m[0]; }", "matrix-typed"},
      {"vs_3_0", "void main(float4 p : POSITION0, out float4 o : POSITION0, out float2x2 m : TEXCOORD0) { o = p; m = (float2x2)0; }",
       "matrix-typed"},
      {"vs_3_0", "float4 l[257]; float4 main(float4 p : POSITION0, uniform int i : TEXCOORD0) : POSITION0 { return l[(int)p.x]; }",
       "registers"},
      {"ps_3_0", "float4 l[225]; float4 main(float4 p : TEXCOORD0) : COLOR0 { return l[(int)p.x]; }", "registers"},
      {"vs_3_0",
       "sampler2D a, b, c, d, e; float4 main(float4 p : POSITION0) : POSITION0 { return p + tex2Dlod(a, p) + tex2Dlod(b, p) + "
       "tex2Dlod(c, p) + tex2Dlod(d, p) + tex2Dlod(e, p); }",
       "samplers used"},
      {"vs_3_0", "float4 main(float4 p : TEXCOORD15) : POSITION0 { return p; }", "above 15"},
      {"vs_3_0", "float4 a;\nfloat4 c : register(c4);\nfloat4 main(float4 p : POSITION0) : POSITION0 { return p * c * a; }", "2: register(...)"},
      {"vs_2_0", "float4 main(float4 p : POSITION0) : POSITION0 { return p; }", "profile 'vs_2_0'"},
      {"ps_3_0", "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n  return uv.x +;\n}", "2:"},
      // Array parameters whose size glslang cannot close (it crashed on each of these).
      {"ps_3_0", "float4 f(float4 b[) { return b[0]; }\nfloat4 main() : COLOR0 { return 0; }", "1: array parameter 'b'"},
      {"ps_3_0", "float4 f(float4 b[3 4]) { return b[0]; }\nfloat4 main() : COLOR0 { return 0; }", "array parameter 'b'"},
      {"ps_3_0", "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n  /* [ */ float4 f(in float4 b[float]);\n  return 0;\n}",
       "2: array parameter 'b'"},
      {"ps_3_0", "struct S { float4 f(float4 b[) { return b[0]; } };\nfloat4 main() : COLOR0 { return 0; }", "array parameter 'b'"},
      {"ps_3_0", "void main(float2 aTe[ : TEXCOORD0, out float4 farbe : COLOR0) { farbe = 0; }", "array parameter 'aTe'"},
      // Entry-point parameters without a name (glslang crashed on each of these).
      {"ps_3_0", "float4 main(float2 : TEXCOORD0) : COLOR0 { return 0; }", "1: every parameter of the entry point 'main'"},
      {"ps_3_0", "\nvoid main(float2 uv : TEXCOORD0, out float4 : COLOR0) { }", "2: every parameter of the entry point"},
      {"vs_3_0", "void main(in float4 : POSITION0, out float4 o : POSITION0) { o = 0; }", "every parameter of the entry point"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.quelle);
    Ergebnis e;
    Uebersetze(e, f.quelle, f.profil);
    EXPECT_EQ(e.hr, E_FAIL);
    EXPECT_NE(e.meldungen.find(f.grund), std::string::npos) << e.meldungen;
    EXPECT_EQ(e.tabelle, nullptr);
  }
}

// Sized array parameters, indexing inside parentheses and named entry-point parameters stay
// what they are.
TEST(D3dx9Compiler, GueltigeParameterBleiben) {
  Ergebnis e;
  Uebersetze(e,
             "float4 l[4];\n"
             "float4 Summe(float4 b[2], float4 c[]) { return b[0] + b[1]; }\n"
             "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n"
             "  float4 a[2] = { l[0], l[(int)uv.x + 1] };\n"
             "  return Summe(a, a) * (uv.x > l[2].x ? l[3] : l[1]);\n"
             "}\n",
             "ps_3_0");
  // The unsized parameter is glslang's own error, reported as such.
  EXPECT_EQ(e.hr, E_FAIL);
  EXPECT_NE(e.meldungen.find("function parameter requires array size"), std::string::npos) << e.meldungen;
  EXPECT_EQ(e.meldungen.find("array parameter"), std::string::npos) << e.meldungen;

  // Named entry-point parameters with qualifiers, a template type and "void" stay valid.
  for (const char* quelle : {"float4 main(in float2 uv : TEXCOORD0, uniform float4 f, vector<float, 2> w : TEXCOORD1) : COLOR0 "
                             "{ return f * uv.x * w.y; }",
                             "float4 main(void) : COLOR0 { return 1; }", "float4 main() : COLOR0 { return 1; }"}) {
    SCOPED_TRACE(quelle);
    Ergebnis e2;
    Uebersetze(e2, quelle, "ps_3_0");
    EXPECT_EQ(e2.hr, d3d9::D3D_OK) << e2.meldungen;
  }

  Ergebnis gut;
  Uebersetze(gut,
             "float4 l[4];\n"
             "float4 Summe(float4 b[2]) { return b[0] + b[1]; }\n"
             "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n"
             "  float4 a[2] = { l[0], l[(int)uv.x + 1] };\n"
             "  return Summe(a) * (uv.x > l[2].x ? l[3] : l[1]);\n"
             "}\n",
             "ps_3_0");
  EXPECT_EQ(gut.hr, d3d9::D3D_OK) << gut.meldungen;
}

TEST(D3dx9Compiler, FalscheArgumenteUndDateiform) {
  ID3DXBuffer* code = reinterpret_cast<ID3DXBuffer*>(1);
  const char* text = "float4 main(float4 p : POSITION0) : POSITION0 { return p; }";
  EXPECT_EQ(D3DXCompileShader(nullptr, 0, nullptr, nullptr, "main", "vs_3_0", 0, &code, nullptr, nullptr), d3d9::D3DERR_INVALIDCALL);
  EXPECT_EQ(code, nullptr);
  EXPECT_EQ(D3DXCompileShader(text, 10, nullptr, nullptr, "haupt", "vs_3_0", 0, &code, nullptr, nullptr), d3d9::D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCompileShader(text, 10, nullptr, nullptr, "main", "vs_3_0", 0, nullptr, nullptr, nullptr), d3d9::D3DERR_INVALIDCALL);

  const std::string datei = ::testing::TempDir() + "d3dx9_crlf.vs";
  std::ofstream(datei, std::ios::binary) << "float4 k;\r\nfloat4 main(float4 p : POSITION0) : POSITION0 {\r\n  return p + k;\r\n}\r\n";
  ID3DXBuffer* meldungen = nullptr;
  Ergebnis e;
  e.hr = D3DXCompileShaderFromFileA(datei.c_str(), nullptr, nullptr, "main", "vs_3_0", D3DXSHADER_DEBUG | D3DXSHADER_SKIPOPTIMIZATION,
                                    &code, &meldungen, &e.tabelle);
  Uebernimm(e, code, meldungen, "vs_3_0");
  EXPECT_EQ(e.hr, d3d9::D3D_OK) << e.meldungen;
  EXPECT_EQ(e.meldungen, "");
  EXPECT_EQ(e.code.registerBlockBytes, 16u);
  std::remove(datei.c_str());
  EXPECT_EQ(D3DXCompileShaderFromFileA(datei.c_str(), nullptr, nullptr, "main", "vs_3_0", 0, &code, &meldungen, nullptr), E_FAIL);
  ASSERT_NE(meldungen, nullptr);
  meldungen->Release();
}
