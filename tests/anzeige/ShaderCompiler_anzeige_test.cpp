// Shaders compiled by the HLSL stand-in, drawn on the OpenGL device: registers from the constant
// table steer position and colour.
#include <gtest/gtest.h>

#include "Gl33Fenster.h"
#include "Plattform/d3dx9/d3dx9.h"
#include "RegisterKonstanten.h"

namespace anzeige {

namespace {

const std::string VS = std::string(REGISTER_KONSTANTEN) + R"(
void main(float4 p : POSITION0, float4 c : TEXCOORD0, out float4 o : POSITION0, out float4 oc : TEXCOORD0) {
  o = mul(p, M);
  oc = float4(a.x, b.y, s.r, l[2].w) * c;
}
)";
const char* PS = R"(
float4 tint;
float4 main(float4 c : TEXCOORD0) : COLOR0 { return c * tint; }
)";

struct Uebersetzt {
  std::vector<DWORD> code;
  d3dx9::ID3DXConstantTable* tabelle = nullptr;
  ~Uebersetzt() {
    if (tabelle) tabelle->Release();
  }
  UINT Register(const char* name, UINT glied = ~0u) {
    for (UINT i = 0;; ++i) {
      d3dx9::D3DXHANDLE h = tabelle->GetConstant(nullptr, i);
      if (h == nullptr) return ~0u;
      d3dx9::D3DXCONSTANT_DESC d{};
      UINT n = 1;
      tabelle->GetConstantDesc(h, &d, &n);
      if (std::string(d.Name) != name) continue;
      if (glied != ~0u) tabelle->GetConstantDesc(tabelle->GetConstant(h, glied), &d, &n);
      return d.RegisterIndex;
    }
  }
};

void Uebersetze(const std::string& quelle, const char* profil, Uebersetzt& u) {
  d3dx9::ID3DXBuffer* code = nullptr;
  d3dx9::ID3DXBuffer* meldungen = nullptr;
  const HRESULT hr = d3dx9::D3DXCompileShader(quelle.c_str(), UINT(quelle.size()), nullptr, nullptr, "main", profil, 0, &code, &meldungen, &u.tabelle);
  ASSERT_EQ(hr, D3D_OK) << (meldungen ? static_cast<const char*>(meldungen->GetBufferPointer()) : "");
  const DWORD* worte = static_cast<const DWORD*>(code->GetBufferPointer());
  u.code.assign(worte, worte + code->GetBufferSize() / sizeof(DWORD));
  code->Release();
}

}  // namespace

TEST_F(Gl33Test, UebersetzteShaderLesenRegisterAusDerTabelle) {
  Uebersetzt vsCode, psCode;
  ASSERT_NO_FATAL_FAILURE(Uebersetze(VS, "vs_3_0", vsCode));
  ASSERT_NO_FATAL_FAILURE(Uebersetze(PS, "ps_3_0", psCode));
  IDirect3DVertexShader9* vs = nullptr;
  IDirect3DPixelShader9* ps = nullptr;
  ASSERT_EQ(geraet->CreateVertexShader(vsCode.code.data(), &vs), D3D_OK);
  ASSERT_EQ(geraet->CreatePixelShader(psCode.code.data(), &ps), D3D_OK);
  EXPECT_EQ(vsCode.Register("M"), 0u);
  EXPECT_EQ(vsCode.Register("b"), 5u);
  EXPECT_EQ(vsCode.Register("s", 1), 7u);
  // Column-major M with translation (0.5, 0): register i holds column i.
  const float m[16] = {1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  geraet->SetVertexShaderConstantF(vsCode.Register("M"), m, 4);
  const float a[4] = {1, 0, 0, 0}, b[4] = {0, 0.5f, 0, 0}, r[4] = {0.25f, 0, 0, 0}, l2[4] = {0, 0, 0, 1};
  geraet->SetVertexShaderConstantF(vsCode.Register("a"), a, 1);
  geraet->SetVertexShaderConstantF(vsCode.Register("b"), b, 1);
  geraet->SetVertexShaderConstantF(vsCode.Register("s", 1), r, 1);
  geraet->SetVertexShaderConstantF(vsCode.Register("l") + 2, l2, 1);
  const float tint[4] = {1, 1, 1, 1};
  geraet->SetPixelShaderConstantF(psCode.Register("tint"), tint, 1);
  geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  Leere(0);
  Zeichne(Rechteck(-0.5f, 0.5f, 0.5f, -0.5f, 0.5f, 1, 1, 1, 1), vs, ps);
  const std::vector<uint32_t> bild = Rueckpuffer();
  const uint32_t innen = bild[24 * BREITE + 48];
  EXPECT_EQ(Kanal(innen, 16), 255);
  EXPECT_NEAR(Kanal(innen, 8), 128, 1);
  EXPECT_NEAR(Kanal(innen, 0), 64, 1);
  EXPECT_EQ(bild[24 * BREITE + 16], 0xFF000000u);  // left of the moved quad
  EXPECT_EQ(bild[4 * BREITE + 48], 0xFF000000u);   // above it
  vs->Release();
  ps->Release();
}

}  // namespace anzeige
