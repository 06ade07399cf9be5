// Every texture format uploaded and sampled into an A32B32G32R32F target; automatic mip chains.
#include <cmath>

#include "Gl33Fenster.h"

using namespace anzeige;

namespace {

std::vector<Vertex> TexturQuad() {
  return {{-1, 1, 0.5f, 1, 0, 0, 0, 1}, {1, 1, 0.5f, 1, 1, 0, 0, 1}, {-1, -1, 0.5f, 1, 0, 1, 0, 1},
          {1, 1, 0.5f, 1, 1, 0, 0, 1},  {1, -1, 0.5f, 1, 1, 1, 0, 1}, {-1, -1, 0.5f, 1, 0, 1, 0, 1}};
}

template <class T>
std::vector<uint8_t> Bytes(std::initializer_list<T> werte) {
  std::vector<uint8_t> b(werte.size() * sizeof(T));
  std::memcpy(b.data(), werte.begin(), b.size());
  return b;
}

class Gl33FormatTest : public Gl33TexturTest {
 protected:
  void SetUp() override {
    Gl33TexturTest::SetUp();
    ASSERT_EQ(geraet->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A32B32G32R32F, D3DPOOL_DEFAULT, &ziel, nullptr), D3D_OK);
    ziel->GetSurfaceLevel(0, &zielFlaeche);
    ASSERT_EQ(geraet->CreateOffscreenPlainSurface(4, 4, D3DFMT_A32B32G32R32F, D3DPOOL_SYSTEMMEM, &lesen, nullptr), D3D_OK);
    geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rueck);
  }
  void TearDown() override {
    geraet->SetRenderTarget(0, rueck);
    for (IUnknown* o : std::initializer_list<IUnknown*>{zielFlaeche, ziel, lesen, rueck})
      if (o) o->Release();
    Gl33TexturTest::TearDown();
  }
  // Samples `textur` over the 4 x 4 float target and returns texel (x, y) as RGBA.
  std::array<float, 4> Abgetastet(IDirect3DBaseTexture9* textur, UINT x = 0, UINT y = 0) {
    geraet->SetRenderTarget(0, zielFlaeche);
    geraet->SetTexture(0, textur);
    Zeichne(TexturQuad(), nullptr, psTextur);
    EXPECT_EQ(geraet->GetRenderTargetData(zielFlaeche, lesen), D3D_OK);
    D3DLOCKED_RECT gesperrt{};
    lesen->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY);
    std::array<float, 4> rgba;
    std::memcpy(rgba.data(), static_cast<uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + 16 * x, 16);
    lesen->UnlockRect();
    return rgba;
  }
  IDirect3DTexture9* Fuelle(D3DFORMAT format, const std::vector<uint8_t>& texel, DWORD usage = 0, UINT levels = 1) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(geraet->CreateTexture(4, 4, levels, usage, format, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
    if (t == nullptr) return nullptr;
    D3DLOCKED_RECT gesperrt{};
    EXPECT_EQ(t->LockRect(0, &gesperrt, nullptr, 0), D3D_OK);
    const bool block = format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
    if (block) std::memcpy(gesperrt.pBits, texel.data(), texel.size());  // one 4 x 4 block
    else
      for (UINT y = 0; y < 4; ++y)
        for (UINT x = 0; x < 4; ++x)
          std::memcpy(static_cast<uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + x * texel.size(), texel.data(), texel.size());
    t->UnlockRect(0);
    return t;
  }

  IDirect3DTexture9* ziel = nullptr;
  IDirect3DSurface9* zielFlaeche = nullptr;
  IDirect3DSurface9* lesen = nullptr;
  IDirect3DSurface9* rueck = nullptr;
};

}  // namespace

TEST_F(Gl33FormatTest, AlleFormateAbgetastet) {
  const std::vector<uint8_t> rotesDxt1 = Bytes<uint16_t>({0xF800, 0x0000, 0x0000, 0x0000});
  std::vector<uint8_t> dxt3 = Bytes<uint16_t>({0x8888, 0x8888, 0x8888, 0x8888});
  dxt3.insert(dxt3.end(), rotesDxt1.begin(), rotesDxt1.end());
  std::vector<uint8_t> dxt5 = {255, 0, 0, 0, 0, 0, 0, 0};
  dxt5.insert(dxt5.end(), rotesDxt1.begin(), rotesDxt1.end());
  struct Fall {
    const char* name;
    D3DFORMAT format;
    std::vector<uint8_t> texel;
    std::array<float, 4> erwartet;
  };
  const std::vector<Fall> faelle = {
      {"A8R8G8B8", D3DFMT_A8R8G8B8, Bytes<uint32_t>({0x80FF4000}), {1.0f, 0.251f, 0.0f, 0.502f}},
      {"R5G6B5", D3DFMT_R5G6B5, Bytes<uint16_t>({0xF800}), {1, 0, 0, 1}},
      {"A2B10G10R10", D3DFMT_A2B10G10R10, Bytes<uint32_t>({0xC00003FF}), {1, 0, 0, 1}},
      {"R16F", D3DFMT_R16F, Bytes<uint16_t>({0x3800}), {0.5f, 1, 1, 1}},
      {"G16R16F", D3DFMT_G16R16F, Bytes<uint16_t>({0x3800, 0x3400}), {0.5f, 0.25f, 1, 1}},
      {"A16B16G16R16F", D3DFMT_A16B16G16R16F, Bytes<uint16_t>({0x3800, 0x3400, 0x3C00, 0x3800}), {0.5f, 0.25f, 1, 0.5f}},
      {"R32F", D3DFMT_R32F, Bytes<float>({0.75f}), {0.75f, 1, 1, 1}},
      {"G32R32F", D3DFMT_G32R32F, Bytes<float>({0.75f, 0.5f}), {0.75f, 0.5f, 1, 1}},
      {"A32B32G32R32F", D3DFMT_A32B32G32R32F, Bytes<float>({0.1f, 0.2f, 0.3f, 0.4f}), {0.1f, 0.2f, 0.3f, 0.4f}},
      {"G16R16", D3DFMT_G16R16, Bytes<uint16_t>({0xFFFF, 0x8000}), {1, 0.5f, 1, 1}},
      {"A16B16G16R16", D3DFMT_A16B16G16R16, Bytes<uint16_t>({0xFFFF, 0, 0x8000, 0xFFFF}), {1, 0, 0.5f, 1}},
      {"DXT1", D3DFMT_DXT1, rotesDxt1, {1, 0, 0, 1}},
      {"DXT3", D3DFMT_DXT3, dxt3, {1, 0, 0, 8.0f / 15}},
      {"DXT5", D3DFMT_DXT5, dxt5, {1, 0, 0, 1}},
      {"A8", D3DFMT_A8, {0x80}, {0, 0, 0, 0.502f}},
  };
  for (const Fall& f : faelle) {
    IDirect3DTexture9* t = Fuelle(f.format, f.texel);
    ASSERT_NE(t, nullptr) << f.name;
    const std::array<float, 4> rgba = Abgetastet(t, 1, 2);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(rgba[size_t(k)], f.erwartet[size_t(k)], 1.5f / 255) << f.name << " channel " << k;
    geraet->SetTexture(0, nullptr);
    t->Release();
  }
}

TEST_F(Gl33FormatTest, AutomatischeMipKette) {
  // Level 0 red: with AUTOGENMIPMAP the chain follows at the next sampling draw.
  IDirect3DTexture9* t = Fuelle(D3DFMT_A8R8G8B8, Bytes<uint32_t>({0xFFFF0000}), D3DUSAGE_AUTOGENMIPMAP, 0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetLevelCount(), 1u);
  geraet->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  geraet->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 2);  // the 1 x 1 level
  const std::array<float, 4> hochgeladen = Abgetastet(t);
  EXPECT_NEAR(hochgeladen[0], 1.0f, 0.01f);
  EXPECT_NEAR(hochgeladen[1], 0.0f, 0.01f);

  // Rendered into: the chain follows the new level 0.
  IDirect3DTexture9* rt = nullptr;
  ASSERT_EQ(geraet->CreateTexture(4, 4, 0, D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr), D3D_OK);
  IDirect3DSurface9* ebene = nullptr;
  rt->GetSurfaceLevel(0, &ebene);
  geraet->SetRenderTarget(0, ebene);
  geraet->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  Zeichne(std::vector<Vertex>{{-1, 1, 0.5f, 1, 0, 0, 1, 1}, {1, 1, 0.5f, 1, 0, 0, 1, 1}, {-1, -1, 0.5f, 1, 0, 0, 1, 1},
                              {1, 1, 0.5f, 1, 0, 0, 1, 1}, {1, -1, 0.5f, 1, 0, 0, 1, 1}, {-1, -1, 0.5f, 1, 0, 0, 1, 1}});
  const std::array<float, 4> gerendert = Abgetastet(rt);
  EXPECT_NEAR(gerendert[2], 1.0f, 0.01f);
  EXPECT_NEAR(gerendert[1], 0.0f, 0.01f);
  geraet->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
  geraet->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  geraet->SetTexture(0, nullptr);
  ebene->Release();
  rt->Release();
  t->Release();
}

TEST_F(Gl33FormatTest, WuerfelSeitenNachRichtung) {
  const char* psWuerfel = R"(#version 330 core
uniform samplerCube s0;
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = texture(s0, v_TEXCOORD0.xyz); }
)";
  IDirect3DPixelShader9* ps = nullptr;
  ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, psWuerfel, {}, "", {{"s0", 0}}).data(), &ps), D3D_OK);
  IDirect3DCubeTexture9* wuerfel = nullptr;
  ASSERT_EQ(geraet->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &wuerfel, nullptr), D3D_OK);
  const uint32_t farben[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  for (UINT seite = 0; seite < 6; ++seite) {
    D3DLOCKED_RECT gesperrt{};
    ASSERT_EQ(wuerfel->LockRect(D3DCUBEMAP_FACES(seite), 0, &gesperrt, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < 4; ++y)
      for (UINT x = 0; x < 4; ++x) std::memcpy(static_cast<uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + 4 * x, &farben[seite], 4);
    wuerfel->UnlockRect(D3DCUBEMAP_FACES(seite), 0);
  }
  const float richtungen[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  geraet->SetRenderTarget(0, zielFlaeche);
  geraet->SetTexture(0, wuerfel);
  for (UINT seite = 0; seite < 6; ++seite) {
    const float* r = richtungen[seite];
    Zeichne(Rechteck(-1, 1, 1, -1, 0.5f, r[0], r[1], r[2], 1), nullptr, ps);
    ASSERT_EQ(geraet->GetRenderTargetData(zielFlaeche, lesen), D3D_OK);
    D3DLOCKED_RECT gesperrt{};
    lesen->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY);
    float rgba[4];
    std::memcpy(rgba, gesperrt.pBits, 16);
    lesen->UnlockRect();
    const uint32_t f = farben[seite];
    EXPECT_NEAR(rgba[0], float(f >> 16 & 0xFF) / 255, 0.01f) << seite;
    EXPECT_NEAR(rgba[1], float(f >> 8 & 0xFF) / 255, 0.01f) << seite;
    EXPECT_NEAR(rgba[2], float(f & 0xFF) / 255, 0.01f) << seite;
  }
  geraet->SetTexture(0, nullptr);
  geraet->SetPixelShader(nullptr);
  wuerfel->Release();
  ps->Release();
}
