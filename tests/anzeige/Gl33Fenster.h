#pragma once
// A GLFW window with a debug context and the OpenGL device on it, for display tests. Every GL
// error the driver reports fails the test. Helpers draw coloured triangles given in clip space
// and read pixels back (back buffer: top row first, 0xAARRGGBB).
#include <gtest/gtest.h>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstring>
#include <string>
#include <vector>

#include "GeraeteParameter.h"
#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/gl33/Gl33.h"
#include "Plattform/d3d9/shadercode.h"
#include "AnzeigeOeffnen.h"

namespace anzeige {

using namespace d3d9;

struct Vertex {
  float x, y, z, w;
  float r, g, b, a;
};

inline std::vector<DWORD> Shader(ShaderStufe stufe, std::string quelle, std::vector<ShaderCode::Eingabe> eingaben = {},
                                 std::string registerBlock = "", std::vector<ShaderCode::Sampler> sampler = {}, std::string geraeteBlock = "") {
  ShaderCode code;
  code.stufe = stufe;
  code.quelle = std::move(quelle);
  code.registerBlock = registerBlock;
  code.registerBlockBytes = registerBlock.empty() ? 0 : (stufe == ShaderStufe::Vertex ? 4096 : 3584);
  code.eingaben = std::move(eingaben);
  code.sampler = std::move(sampler);
  code.geraeteBlock = std::move(geraeteBlock);
  return Kodiere(code);
}

// Position and colour (as TEXCOORD0) passed through.
inline const char* const VS_FARBE = R"(#version 330 core
in vec4 a_POSITION0;
in vec4 a_TEXCOORD0;
out vec4 v_TEXCOORD0;
void main() { gl_Position = a_POSITION0; v_TEXCOORD0 = a_TEXCOORD0; }
)";
inline const char* const PS_FARBE = R"(#version 330 core
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = v_TEXCOORD0; }
)";

// Samples pixel register 0 at the coordinates carried as TEXCOORD0.
inline const char* const PS_TEXTUR = R"(#version 330 core
uniform sampler2D s0;
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = texture(s0, v_TEXCOORD0.xy); }
)";

class Gl33Test : public ::testing::Test {
 protected:
  static constexpr UINT BREITE = 64;
  static constexpr UINT HOEHE = 48;

  void SetUp() override { Oeffne(BREITE, HOEHE, false); }
  void TearDown() override {
    Schliesse();
    for (const std::string& m : meldungen) EXPECT_EQ(m.rfind("GL error", 0), std::string::npos) << m;
  }

  void Oeffne(UINT breite, UINT hoehe, bool sichtbar, D3DFORMAT format = D3DFMT_X8R8G8B8) {
    ASSERT_TRUE(anzeige::GlfwInit()) << "no display: the display tests need DISPLAY (Xvfb)";
    gl33::SetzeFensterHinweise();
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, sichtbar ? GLFW_TRUE : GLFW_FALSE);
    fenster = glfwCreateWindow(int(breite), int(hoehe), "anzeige", nullptr, nullptr);
    ASSERT_NE(fenster, nullptr);
    glfwMakeContextCurrent(fenster);
    SetzeDiagnoseSenke([this](const std::string& text) { meldungen.push_back(text); });
    WaehleGl33Backend();
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    parameter = TestParameter(breite, hoehe, format);
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fenster, 82, &parameter, &geraet), D3D_OK);
    ASSERT_EQ(geraet->CreateVertexShader(Shader(ShaderStufe::Vertex, VS_FARBE, Eingaben()).data(), &vsFarbe), D3D_OK);
    ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, PS_FARBE).data(), &psFarbe), D3D_OK);
    const D3DVERTEXELEMENT9 elemente[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 16, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    ASSERT_EQ(geraet->CreateVertexDeclaration(elemente, &deklaration), D3D_OK);
    ASSERT_EQ(geraet->CreateVertexBuffer(64 * sizeof(Vertex), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    ASSERT_EQ(geraet->CreateIndexBuffer(64 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
    uint16_t* indizes = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, reinterpret_cast<void**>(&indizes), 0), D3D_OK);
    for (uint16_t i = 0; i < 64; ++i) indizes[i] = i;
    ib->Unlock();
  }

  void Schliesse() {
    for (IUnknown** o : {reinterpret_cast<IUnknown**>(&vsFarbe), reinterpret_cast<IUnknown**>(&psFarbe),
                         reinterpret_cast<IUnknown**>(&deklaration), reinterpret_cast<IUnknown**>(&vb), reinterpret_cast<IUnknown**>(&ib)}) {
      if (*o) (*o)->Release();
      *o = nullptr;
    }
    if (geraet) geraet->Release();
    geraet = nullptr;
    if (d3d) d3d->Release();
    d3d = nullptr;
    if (fenster) glfwDestroyWindow(fenster);
    fenster = nullptr;
    SetzeDiagnoseSenke(nullptr);
    glfwTerminate();
  }

  static std::vector<ShaderCode::Eingabe> Eingaben() {
    return {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD0", D3DDECLUSAGE_TEXCOORD, 0}};
  }

  // (Managed pool, so that they do not block a Reset.)
  // Binds the colour pipeline (unless other shaders are given) and draws the triangles.
  void Zeichne(const std::vector<Vertex>& vertices, IDirect3DVertexShader9* vs = nullptr, IDirect3DPixelShader9* ps = nullptr) {
    Vertex* ziel = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<void**>(&ziel), D3DLOCK_DISCARD), D3D_OK);
    std::memcpy(ziel, vertices.data(), vertices.size() * sizeof(Vertex));
    vb->Unlock();
    ASSERT_EQ(geraet->SetVertexDeclaration(deklaration), D3D_OK);
    ASSERT_EQ(geraet->SetVertexShader(vs ? vs : vsFarbe), D3D_OK);
    ASSERT_EQ(geraet->SetPixelShader(ps ? ps : psFarbe), D3D_OK);
    ASSERT_EQ(geraet->SetStreamSource(0, vb, 0, sizeof(Vertex)), D3D_OK);
    ASSERT_EQ(geraet->SetIndices(ib), D3D_OK);
    ASSERT_EQ(geraet->BeginScene(), D3D_OK);
    ASSERT_EQ(geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, UINT(vertices.size()), 0, UINT(vertices.size() / 3)), D3D_OK);
    ASSERT_EQ(geraet->EndScene(), D3D_OK);
  }

  // A full-target rectangle of one colour at depth z.
  static std::vector<Vertex> Rechteck(float x0, float y0, float x1, float y1, float z, float r, float g, float b, float a) {
    return {{x0, y0, z, 1, r, g, b, a}, {x1, y0, z, 1, r, g, b, a}, {x0, y1, z, 1, r, g, b, a},
            {x1, y0, z, 1, r, g, b, a}, {x1, y1, z, 1, r, g, b, a}, {x0, y1, z, 1, r, g, b, a}};
  }

  std::vector<uint32_t> Rueckpuffer() {
    IDirect3DSurface9* rp = nullptr;
    EXPECT_EQ(geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp), D3D_OK);
    D3DSURFACE_DESC desc{};
    rp->GetDesc(&desc);
    D3DLOCKED_RECT gesperrt{};
    EXPECT_EQ(rp->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<uint32_t> pixel(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
      std::memcpy(&pixel[size_t(y) * desc.Width], static_cast<uint8_t*>(gesperrt.pBits) + size_t(y) * UINT(gesperrt.Pitch), desc.Width * 4);
    rp->UnlockRect();
    rp->Release();
    breiteGelesen = desc.Width;
    return pixel;
  }
  uint32_t Pixel(UINT x, UINT y) { return Rueckpuffer()[size_t(y) * breiteGelesen + x]; }
  void Leere(D3DCOLOR farbe) { ASSERT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, farbe, 1.0f, 0), D3D_OK); }

  GLFWwindow* fenster = nullptr;
  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* geraet = nullptr;
  D3DPRESENT_PARAMETERS parameter{};
  IDirect3DVertexShader9* vsFarbe = nullptr;
  IDirect3DPixelShader9* psFarbe = nullptr;
  IDirect3DVertexDeclaration9* deklaration = nullptr;
  IDirect3DVertexBuffer9* vb = nullptr;
  IDirect3DIndexBuffer9* ib = nullptr;
  std::vector<std::string> meldungen;
  UINT breiteGelesen = 0;
};

// The device with the texturing pixel shader (register s0), no culling and no depth test.
class Gl33TexturTest : public Gl33Test {
 protected:
  void SetUp() override {
    Gl33Test::SetUp();
    ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, PS_TEXTUR, {}, "", {{"s0", 0}}).data(), &psTextur), D3D_OK);
    geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    geraet->SetRenderState(D3DRS_ZENABLE, 0);
  }
  void TearDown() override {
    geraet->SetTexture(0, nullptr);
    if (psTextur) psTextur->Release();
    psTextur = nullptr;
    Gl33Test::TearDown();
  }

  IDirect3DPixelShader9* psTextur = nullptr;
};

// Channel c (0 = B, 8 = G, 16 = R, 24 = A) of a pixel.
inline int Kanal(uint32_t pixel, int c) { return int(pixel >> c & 0xFF); }

}  // namespace anzeige
