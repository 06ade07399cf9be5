// The OpenGL device on llvmpipe: render targets, register files, instancing, samplers, formats,
// reset and loss, the video-memory budget, Present, the device block and shader failures.
#include <epoxy/gl.h>

#include "Gl33Fenster.h"

using namespace anzeige;

namespace {

// A full-target quad whose colour channels carry the texture coordinates (u, v) of its corners.
std::vector<Vertex> TexturQuad(float u0, float v0, float u1, float v1) {
  return {{-1, 1, 0.5f, 1, u0, v0, 0, 1}, {1, 1, 0.5f, 1, u1, v0, 0, 1}, {-1, -1, 0.5f, 1, u0, v1, 0, 1},
          {1, 1, 0.5f, 1, u1, v0, 0, 1},  {1, -1, 0.5f, 1, u1, v1, 0, 1}, {-1, -1, 0.5f, 1, u0, v1, 0, 1}};
}

class Gl33RessourcenTest : public Gl33TexturTest {
 protected:
  // A texture with rows of the given colours (A8R8G8B8), row 0 first.
  IDirect3DTexture9* ZeilenTextur(UINT breite, const std::vector<uint32_t>& zeilen) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(geraet->CreateTexture(breite, UINT(zeilen.size()), 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
    D3DLOCKED_RECT gesperrt{};
    EXPECT_EQ(t->LockRect(0, &gesperrt, nullptr, 0), D3D_OK);
    for (size_t y = 0; y < zeilen.size(); ++y)
      for (UINT x = 0; x < breite; ++x) std::memcpy(static_cast<uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + 4 * x, &zeilen[y], 4);
    t->UnlockRect(0);
    return t;
  }
  void ZeichneTextur(IDirect3DBaseTexture9* t, std::vector<Vertex> quad = TexturQuad(0, 0, 1, 1)) {
    geraet->SetTexture(0, t);
    Zeichne(quad, nullptr, psTextur);
  }
  // Objects of the first window go before it: a new window may reuse its address.
  void Wiedereroeffne() {
    psTextur->Release();
    psTextur = nullptr;
    Schliesse();
  }
};

}  // namespace

TEST_F(Gl33RessourcenTest, RenderzielGleichHerumWieHochgeladen) {
  IDirect3DTexture9* ziel = nullptr;
  ASSERT_EQ(geraet->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &ziel, nullptr), D3D_OK);
  IDirect3DSurface9* flaeche = nullptr;
  ziel->GetSurfaceLevel(0, &flaeche);
  IDirect3DSurface9* grosseTiefe = nullptr;
  ASSERT_EQ(geraet->CreateDepthStencilSurface(128, 128, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, 0, &grosseTiefe, nullptr), D3D_OK);
  IDirect3DSurface9* rp = nullptr;
  IDirect3DSurface9* rpTiefe = nullptr;
  geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp);
  geraet->GetDepthStencilSurface(&rpTiefe);
  ASSERT_EQ(geraet->SetRenderTarget(0, flaeche), D3D_OK);
  ASSERT_EQ(geraet->SetDepthStencilSurface(grosseTiefe), D3D_OK);
  geraet->SetRenderState(D3DRS_ZENABLE, 1);
  ASSERT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
  Zeichne(Rechteck(-1, 1, 1, 0, 0.5f, 1, 0, 0, 1));   // upper half red
  Zeichne(Rechteck(-1, 0, 1, -1, 0.5f, 0, 1, 0, 1));  // lower half green
  IDirect3DSurface9* lesen = nullptr;
  ASSERT_EQ(geraet->CreateOffscreenPlainSurface(16, 16, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &lesen, nullptr), D3D_OK);
  ASSERT_EQ(geraet->GetRenderTargetData(flaeche, lesen), D3D_OK);
  D3DLOCKED_RECT gesperrt{};
  lesen->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY);
  uint32_t oben, unten;
  std::memcpy(&oben, gesperrt.pBits, 4);
  std::memcpy(&unten, static_cast<uint8_t*>(gesperrt.pBits) + 15 * gesperrt.Pitch, 4);
  lesen->UnlockRect();
  EXPECT_EQ(oben, 0xFFFF0000u);   // read back top row first
  EXPECT_EQ(unten, 0xFF00FF00u);

  geraet->SetRenderState(D3DRS_ZENABLE, 0);
  ASSERT_EQ(geraet->SetRenderTarget(0, rp), D3D_OK);
  ASSERT_EQ(geraet->SetDepthStencilSurface(rpTiefe), D3D_OK);
  ZeichneTextur(ziel);
  const uint32_t gerendertOben = Pixel(5, 2), gerendertUnten = Pixel(5, HOEHE - 3);
  IDirect3DTexture9* hochgeladen = ZeilenTextur(16, std::vector<uint32_t>(8, 0xFFFF0000u));
  IDirect3DTexture9* vergleich = ZeilenTextur(16, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000,
                                                   0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00,
                                                   0xFF00FF00, 0xFF00FF00});
  ZeichneTextur(vergleich);
  EXPECT_EQ(gerendertOben, Pixel(5, 2));
  EXPECT_EQ(gerendertUnten, Pixel(5, HOEHE - 3));
  EXPECT_EQ(gerendertOben, 0xFFFF0000u);
  geraet->SetTexture(0, nullptr);
  for (IUnknown* o : std::initializer_list<IUnknown*>{lesen, hochgeladen, vergleich, flaeche, ziel, grosseTiefe, rp, rpTiefe}) o->Release();
}

TEST_F(Gl33RessourcenTest, RegisterUeberlebenProgrammwechselUndInstanzen) {
  const char* psRegister = R"(#version 330 core
layout(std140) uniform PixelRegister { vec4 c[224]; };
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = c[3]; }
)";
  const char* psRegisterHalb = R"(#version 330 core
layout(std140) uniform PixelRegister { vec4 c[224]; };
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = c[3] * 0.5; }
)";
  IDirect3DPixelShader9* a = nullptr;
  IDirect3DPixelShader9* b = nullptr;
  ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, psRegister, {}, "PixelRegister").data(), &a), D3D_OK);
  ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, psRegisterHalb, {}, "PixelRegister").data(), &b), D3D_OK);
  const float gruen[4] = {0, 1, 0, 1};
  ASSERT_EQ(geraet->SetPixelShaderConstantF(3, gruen, 1), D3D_OK);
  Leere(0);
  Zeichne(Rechteck(-1, 1, 0, -1, 0.5f, 0, 0, 0, 1), nullptr, a);
  Zeichne(Rechteck(0, 1, 1, -1, 0.5f, 0, 0, 0, 1), nullptr, b);
  EXPECT_EQ(Pixel(5, 5), 0xFF00FF00u);
  EXPECT_NEAR(Kanal(Pixel(BREITE - 5, 5), 8), 128, 1);
  a->Release();
  b->Release();

  // Three instances: stream 1 carries a per-instance x offset as TEXCOORD1.
  const char* vsInstanz = R"(#version 330 core
in vec4 a_POSITION0;
in vec4 a_TEXCOORD0;
in vec4 a_TEXCOORD1;
out vec4 v_TEXCOORD0;
void main() { gl_Position = a_POSITION0 + vec4(a_TEXCOORD1.x, 0.0, 0.0, 0.0); v_TEXCOORD0 = a_TEXCOORD0; }
)";
  IDirect3DVertexShader9* vs = nullptr;
  ASSERT_EQ(geraet->CreateVertexShader(Shader(ShaderStufe::Vertex, vsInstanz,
                                              {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD0", D3DDECLUSAGE_TEXCOORD, 0},
                                               {"a_TEXCOORD1", D3DDECLUSAGE_TEXCOORD, 1}})
                                           .data(),
                                       &vs),
            D3D_OK);
  const D3DVERTEXELEMENT9 elemente[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                        {0, 16, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                        {1, 0, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, 1},
                                        D3DDECL_END()};
  IDirect3DVertexDeclaration9* dekl = nullptr;
  ASSERT_EQ(geraet->CreateVertexDeclaration(elemente, &dekl), D3D_OK);
  IDirect3DVertexBuffer9* versatz = nullptr;
  ASSERT_EQ(geraet->CreateVertexBuffer(12, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &versatz, nullptr), D3D_OK);
  float* v = nullptr;
  versatz->Lock(0, 0, reinterpret_cast<void**>(&v), 0);
  v[0] = 0.0f, v[1] = 0.5f, v[2] = 1.0f;
  versatz->Unlock();
  Leere(0);
  // One small triangle at the left edge, top row band.
  const std::vector<Vertex> dreieck = {{-1, 1, 0.5f, 1, 1, 1, 1, 1}, {-0.75f, 1, 0.5f, 1, 1, 1, 1, 1}, {-1, 0.5f, 0.5f, 1, 1, 1, 1, 1}};
  Vertex* ziel = nullptr;
  vb->Lock(0, 0, reinterpret_cast<void**>(&ziel), D3DLOCK_DISCARD);
  std::memcpy(ziel, dreieck.data(), 3 * sizeof(Vertex));
  vb->Unlock();
  geraet->SetVertexDeclaration(dekl);
  geraet->SetVertexShader(vs);
  geraet->SetPixelShader(psFarbe);
  geraet->SetStreamSource(0, vb, 0, sizeof(Vertex));
  geraet->SetStreamSource(1, versatz, 0, 4);
  geraet->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | 3);
  geraet->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1);
  geraet->SetIndices(ib);
  geraet->BeginScene();
  ASSERT_EQ(geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
  geraet->EndScene();
  geraet->SetStreamSourceFreq(0, 1);
  geraet->SetStreamSourceFreq(1, 1);
  const std::vector<uint32_t> bild = Rueckpuffer();
  int treffer = 0;
  for (UINT x : {1u, 17u, 33u, 49u}) treffer += bild[1 * BREITE + x] == 0xFFFFFFFFu;
  EXPECT_EQ(treffer, 3);                                  // instances at x offsets 0, 0.5, 1 in clip space
  EXPECT_EQ(bild[1 * BREITE + 49], 0xFF000000u);          // nothing past the third
  geraet->SetStreamSource(1, nullptr, 0, 0);
  geraet->SetVertexDeclaration(nullptr);
  geraet->SetVertexShader(nullptr);
  for (IUnknown* o : std::initializer_list<IUnknown*>{vs, dekl, versatz}) o->Release();
}

TEST_F(Gl33RessourcenTest, SamplerAdressenUndFilter) {
  // 2 x 2: red, green / blue, white.
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(geraet->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
  D3DLOCKED_RECT gesperrt{};
  t->LockRect(0, &gesperrt, nullptr, 0);
  const uint32_t texel[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  std::memcpy(gesperrt.pBits, texel, 8);
  std::memcpy(static_cast<uint8_t*>(gesperrt.pBits) + gesperrt.Pitch, texel + 2, 8);
  t->UnlockRect(0);
  struct Fall {
    DWORD adresse;
    uint32_t aussen;  // pixel (15, 11) samples u = -0.27, v = -0.28
  };
  const Fall faelle[] = {{D3DTADDRESS_WRAP, 0xFFFFFFFF}, {D3DTADDRESS_CLAMP, 0xFFFF0000}, {D3DTADDRESS_BORDER, 0xFF123456}};
  for (const Fall& f : faelle) {
    geraet->SetSamplerState(0, D3DSAMP_ADDRESSU, f.adresse);
    geraet->SetSamplerState(0, D3DSAMP_ADDRESSV, f.adresse);
    geraet->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0xFF123456);
    Leere(0);
    ZeichneTextur(t, TexturQuad(-1, -1, 2, 2));
    EXPECT_EQ(Pixel(15, 11), f.aussen) << f.adresse;
    EXPECT_EQ(Pixel(BREITE / 2 - 3, HOEHE / 2 - 3), 0xFFFF0000u) << f.adresse;  // inside [0, 0.5): red
  }
  // POINT keeps texels, LINEAR mixes at the centre.
  geraet->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  geraet->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  Leere(0);
  ZeichneTextur(t);
  const uint32_t punkt = Pixel(BREITE / 2, HOEHE / 2);
  EXPECT_TRUE(punkt == texel[0] || punkt == texel[1] || punkt == texel[2] || punkt == texel[3]);
  geraet->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  geraet->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  ZeichneTextur(t);
  const uint32_t linear = Pixel(BREITE / 2, HOEHE / 2);
  EXPECT_NEAR(Kanal(linear, 16), 128, 8);
  EXPECT_NEAR(Kanal(linear, 8), 128, 8);
  EXPECT_NEAR(Kanal(linear, 0), 128, 8);
  geraet->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  geraet->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  geraet->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(Gl33RessourcenTest, MaxMipLevelWaehltDieStufe) {
  // A 64 x 64 chain of three levels: red, green, blue.
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(geraet->CreateTexture(64, 64, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
  const uint32_t farben[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (UINT l = 0; l < 3; ++l) {
    D3DLOCKED_RECT gesperrt{};
    t->LockRect(l, &gesperrt, nullptr, 0);
    const UINT kante = 64 >> l;
    for (UINT y = 0; y < kante; ++y)
      for (UINT x = 0; x < kante; ++x) std::memcpy(static_cast<uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + 4 * x, &farben[l], 4);
    t->UnlockRect(l);
  }
  // MAXMIPLEVEL is the most detailed level allowed: drawn at full size (level 0 wanted), 1 gives
  // the green level and 0 the red one.
  geraet->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  geraet->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 1);
  Leere(0);
  ZeichneTextur(t);
  EXPECT_EQ(Pixel(10, 10), 0xFF00FF00u);
  geraet->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
  ZeichneTextur(t);
  EXPECT_EQ(Pixel(10, 10), 0xFFFF0000u);
  geraet->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(Gl33RessourcenTest, ResetMitNeuerGroesseUndVerlust) {
  geraet->SetRenderState(D3DRS_ZENABLE, 0);
  D3DPRESENT_PARAMETERS neu = TestParameter(32, 16, D3DFMT_X8R8G8B8);
  ASSERT_EQ(geraet->Reset(&neu), D3D_OK);
  D3DVIEWPORT9 vp{};
  geraet->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 32u);
  EXPECT_EQ(vp.Height, 16u);
  DWORD z = 0;
  geraet->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(z, 1u);
  Leere(0xFF00FF00);
  EXPECT_EQ(Rueckpuffer().size(), 32u * 16);
  EXPECT_EQ(Pixel(31, 15), 0xFF00FF00u);

  geraet->SimulateDeviceLost(1);
  EXPECT_EQ(geraet->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);  // without effect
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  ASSERT_EQ(geraet->Reset(&neu), D3D_OK);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3D_OK);
  geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  Leere(0);
  Zeichne(Rechteck(-1, 1, 1, -1, 0.5f, 0, 0, 1, 1));
  EXPECT_EQ(Pixel(3, 3), 0xFF0000FFu);
  EXPECT_EQ(geraet->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(Gl33RessourcenTest, BudgetGibtOutOfVideoMemory) {
  geraet->SetVideoMemoryBudget(20000);
  IDirect3DTexture9* erste = nullptr;
  ASSERT_EQ(geraet->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &erste, nullptr), D3D_OK);
  IDirect3DTexture9* zweite = nullptr;
  EXPECT_EQ(geraet->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &zweite, nullptr), HRESULT(0x8876017C));
  erste->Release();
  ASSERT_EQ(geraet->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &zweite, nullptr), D3D_OK);
  zweite->Release();
}

TEST_F(Gl33RessourcenTest, R5G6B5Rueckpuffer) {
  Wiedereroeffne();
  Oeffne(32, 16, false, D3DFMT_R5G6B5);
  ASSERT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF8000, 1.0f, 0), D3D_OK);
  IDirect3DSurface9* rp = nullptr;
  geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp);
  D3DLOCKED_RECT gesperrt{};
  ASSERT_EQ(rp->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(gesperrt.Pitch, 64);
  uint16_t wert;
  std::memcpy(&wert, gesperrt.pBits, 2);
  rp->UnlockRect();
  rp->Release();
  EXPECT_EQ(wert >> 11, 31);
  EXPECT_NEAR((wert >> 5) & 0x3F, 32, 1);
  EXPECT_EQ(wert & 0x1F, 0);
}

TEST_F(Gl33RessourcenTest, FensterZeigtZeileNullOben) {
  Wiedereroeffne();
  Oeffne(BREITE, HOEHE, true);
  geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  geraet->SetRenderState(D3DRS_ZENABLE, 0);
  Leere(0xFF0000FF);
  Zeichne(Rechteck(-1, 1, 1, 1.0f - 2.0f / HOEHE, 0.5f, 1, 0, 0, 1));  // back-buffer row 0 red
  ASSERT_EQ(geraet->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  // The window's back buffer after the swap: GL rows count from the bottom.
  GLubyte oben[4] = {}, unten[4] = {};
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glReadPixels(5, HOEHE - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, oben);
  glReadPixels(5, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, unten);
  EXPECT_EQ(oben[0], 255);
  EXPECT_EQ(oben[2], 0);
  EXPECT_EQ(unten[0], 0);
  EXPECT_EQ(unten[2], 255);
}

TEST_F(Gl33RessourcenTest, GeraeteBlockSetztDirect3DPixelmitten) {
  const char* vsBlock = R"(#version 330 core
layout(std140) uniform ZarvoGeraet { vec4 zarvo_geraet; };
in vec4 a_POSITION0;
in vec4 a_TEXCOORD0;
out vec4 v_TEXCOORD0;
void main() {
  gl_Position = a_POSITION0;
  v_TEXCOORD0 = a_TEXCOORD0;
  gl_Position.xy += zarvo_geraet.xy * gl_Position.w;
}
)";
  IDirect3DVertexShader9* vs = nullptr;
  ASSERT_EQ(geraet->CreateVertexShader(Shader(ShaderStufe::Vertex, vsBlock, Eingaben(), "", {}, "ZarvoGeraet").data(), &vs), D3D_OK);
  for (UINT groesse : {0u, 1u}) {
    UINT w = BREITE, h = HOEHE;
    if (groesse == 1) {
      w = 40, h = 20;
      D3DPRESENT_PARAMETERS neu = TestParameter(w, h, D3DFMT_X8R8G8B8);
      ASSERT_EQ(geraet->Reset(&neu), D3D_OK);
      geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
      geraet->SetRenderState(D3DRS_ZENABLE, 0);
    }
    // Direct3D 9 pixel coordinates (-0.5, -0.5) .. (3.5, 3.5) in clip space.
    const auto X = [&](float p) { return p / float(w) * 2.0f - 1.0f; };
    const auto Y = [&](float p) { return 1.0f - p / float(h) * 2.0f; };
    Leere(0);
    Zeichne(Rechteck(X(-0.5f), Y(-0.5f), X(3.5f), Y(3.5f), 0.5f, 1, 1, 1, 1), vs);
    const std::vector<uint32_t> bild = Rueckpuffer();
    for (UINT y = 0; y < 6; ++y)
      for (UINT x = 0; x < 6; ++x) EXPECT_EQ(bild[y * w + x] == 0xFFFFFFFFu, x < 4 && y < 4) << x << "," << y << " size " << w;
  }
  vs->Release();
}

TEST_F(Gl33RessourcenTest, UebersetzungsUndBindeFehler) {
  IDirect3DPixelShader9* kaputt = nullptr;
  EXPECT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, "#version 330 core\nvoid main() { nicht glsl }\n").data(), &kaputt),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(kaputt, nullptr);
  bool meldung = false;
  for (const std::string& m : meldungen) meldung |= m.rfind("shader compile failed", 0) == 0;
  EXPECT_TRUE(meldung);
  // The pixel shader reads TEXCOORD0 with another type than the vertex shader writes.
  const char* psFremd = R"(#version 330 core
in vec2 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = vec4(v_TEXCOORD0, 0.0, 1.0); }
)";
  IDirect3DPixelShader9* ps = nullptr;
  ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, psFremd).data(), &ps), D3D_OK);
  geraet->SetVertexDeclaration(deklaration);
  geraet->SetVertexShader(vsFarbe);
  geraet->SetPixelShader(ps);
  geraet->SetStreamSource(0, vb, 0, sizeof(Vertex));
  geraet->SetIndices(ib);
  geraet->BeginScene();
  EXPECT_EQ(geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  geraet->EndScene();
  int linkMeldungen = 0;
  for (const std::string& m : meldungen) linkMeldungen += m.rfind("shader link failed", 0) == 0;
  EXPECT_EQ(linkMeldungen, 1);  // the log is sent once
  geraet->SetPixelShader(nullptr);
  ps->Release();
  meldungen.clear();  // the driver's own reports of the failed compile and link are expected here
}
