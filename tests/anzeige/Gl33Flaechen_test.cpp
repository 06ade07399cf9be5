// Surface transfers on the OpenGL device: UpdateSurface into the top-left corner of a larger
// level, partial locks that keep the other texels, writes into a locked back buffer,
// GetRenderTargetData of an A8 target, and main memory running out under all of them.
#include <cstring>

#include "Gl33Fenster.h"

using namespace anzeige;

namespace {

constexpr uint32_t ROT = 0xFFFF0000, GRUEN = 0xFF00FF00;

class Gl33FlaechenTest : public Gl33TexturTest {
 protected:

  // Fills the locked rectangle (w x h texels) with one colour.
  static void Fuelle(const D3DLOCKED_RECT& gesperrt, UINT w, UINT h, uint32_t farbe) {
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) std::memcpy(static_cast<uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + 4 * x, &farbe, 4);
  }
  IDirect3DSurface9* SystemFlaeche(UINT w, UINT h, uint32_t farbe) {
    IDirect3DSurface9* s = nullptr;
    EXPECT_EQ(geraet->CreateOffscreenPlainSurface(w, h, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &s, nullptr), D3D_OK);
    D3DLOCKED_RECT gesperrt{};
    EXPECT_EQ(s->LockRect(&gesperrt, nullptr, 0), D3D_OK);
    Fuelle(gesperrt, w, h, farbe);
    s->UnlockRect();
    return s;
  }
  // A dynamic 8 x 8 texture, red, written through a lock.
  IDirect3DTexture9* RoteTextur() {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(geraet->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
    if (t == nullptr) return nullptr;
    D3DLOCKED_RECT gesperrt{};
    EXPECT_EQ(t->LockRect(0, &gesperrt, nullptr, D3DLOCK_DISCARD), D3D_OK);
    Fuelle(gesperrt, 8, 8, ROT);
    t->UnlockRect(0);
    return t;
  }
  // An 8 x 8 texture drawn over the whole 64 x 48 back buffer with u from 0 to u1 (at u1 = 1 a
  // texel covers 8 x 6 pixels).
  void ZeichneTextur(IDirect3DTexture9* t, float u1 = 1) {
    Leere(0xFF000000);
    geraet->SetTexture(0, t);
    Zeichne({{-1, 1, 0.5f, 1, 0, 0, 0, 1}, {1, 1, 0.5f, 1, u1, 0, 0, 1}, {-1, -1, 0.5f, 1, 0, 1, 0, 1},
             {1, 1, 0.5f, 1, u1, 0, 0, 1}, {1, -1, 0.5f, 1, u1, 1, 0, 1}, {-1, -1, 0.5f, 1, 0, 1, 0, 1}},
            nullptr, psTextur);
  }
  uint32_t Texel(UINT x, UINT y) { return Pixel(x * 8 + 4, y * 6 + 3); }
  // The texels of the top-left w x h are `innen`, the others `aussen`.
  void PruefeEcke(UINT w, UINT h, uint32_t innen, uint32_t aussen) {
    const std::vector<uint32_t> pixel = Rueckpuffer();
    for (UINT y = 0; y < 8; ++y)
      for (UINT x = 0; x < 8; ++x)
        EXPECT_EQ(pixel[size_t(y * 6 + 3) * BREITE + x * 8 + 4], x < w && y < h ? innen : aussen) << "texel " << x << "," << y;
  }

};

}  // namespace

TEST_F(Gl33FlaechenTest, UpdateSurfaceSchreibtKleinereQuelleInDieEcke) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(geraet->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
  IDirect3DSurface9* ebene = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(0, &ebene), D3D_OK);
  IDirect3DSurface9* voll = SystemFlaeche(8, 8, ROT);
  IDirect3DSurface9* klein = SystemFlaeche(3, 5, GRUEN);
  IDirect3DSurface9* gross = SystemFlaeche(9, 8, GRUEN);
  const POINT ecke{0, 0}, daneben{1, 0};
  EXPECT_EQ(geraet->UpdateSurface(voll, nullptr, ebene, nullptr), D3D_OK);
  EXPECT_EQ(geraet->UpdateSurface(klein, nullptr, ebene, &ecke), D3D_OK);
  // Refused: a larger source, another corner.
  EXPECT_EQ(geraet->UpdateSurface(gross, nullptr, ebene, &ecke), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->UpdateSurface(klein, nullptr, ebene, &daneben), D3DERR_INVALIDCALL);
  ZeichneTextur(t);
  PruefeEcke(3, 5, GRUEN, ROT);
  for (IDirect3DSurface9* s : {ebene, voll, klein, gross}) s->Release();
  t->Release();
}

TEST_F(Gl33FlaechenTest, TeilsperreBehaeltDieUebrigenTexel) {
  IDirect3DTexture9* t = RoteTextur();
  ASSERT_NE(t, nullptr);
  D3DLOCKED_RECT gesperrt{};
  const RECT rechteck{0, 0, 3, 5};
  ASSERT_EQ(t->LockRect(0, &gesperrt, &rechteck, 0), D3D_OK);
  Fuelle(gesperrt, 3, 5, GRUEN);
  t->UnlockRect(0);
  ZeichneTextur(t);
  PruefeEcke(3, 5, GRUEN, ROT);
  t->Release();
}

TEST_F(Gl33FlaechenTest, GetRenderTargetDataEinesA8ZielsGibtDasAlpha) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(geraet->CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
  IDirect3DSurface9* ziel = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(0, &ziel), D3D_OK);
  ASSERT_EQ(geraet->SetRenderTarget(0, ziel), D3D_OK);
  ASSERT_EQ(geraet->SetDepthStencilSurface(nullptr), D3D_OK);
  Zeichne(Rechteck(-1, 1, 0, -1, 0.5f, 1, 1, 1, 0.25f));  // the left half, alpha 0.25
  IDirect3DSurface9* kopie = nullptr;
  ASSERT_EQ(geraet->CreateOffscreenPlainSurface(16, 8, D3DFMT_A8, D3DPOOL_SYSTEMMEM, &kopie, nullptr), D3D_OK);
  ASSERT_EQ(geraet->GetRenderTargetData(ziel, kopie), D3D_OK);
  D3DLOCKED_RECT gesperrt{};
  ASSERT_EQ(kopie->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(gesperrt.Pitch, 16);
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 16; ++x) {
      const int a = static_cast<uint8_t*>(gesperrt.pBits)[y * 16 + x];
      EXPECT_NEAR(a, x < 8 ? 64 : 0, 1) << x << "," << y;
    }
  kopie->UnlockRect();
  IDirect3DSurface9* rp = nullptr;
  geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp);
  geraet->SetRenderTarget(0, rp);
  for (IDirect3DSurface9* s : {rp, kopie, ziel}) s->Release();
  t->Release();
}

TEST_F(Gl33FlaechenTest, RueckpufferSperreSchreibtBeimEntsperren) {
  Leere(0xFF000000);
  IDirect3DSurface9* rp = nullptr;
  ASSERT_EQ(geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp), D3D_OK);
  D3DLOCKED_RECT gesperrt{};
  const RECT rechteck{2, 3, 7, 5};
  ASSERT_EQ(rp->LockRect(&gesperrt, &rechteck, 0), D3D_OK);
  Fuelle(gesperrt, 5, 2, GRUEN);
  rp->UnlockRect();
  // A read-only lock writes nothing back.
  ASSERT_EQ(rp->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY), D3D_OK);
  Fuelle(gesperrt, 1, 1, ROT);
  rp->UnlockRect();
  rp->Release();
  const std::vector<uint32_t> pixel = Rueckpuffer();
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 10; ++x)
      EXPECT_EQ(pixel[size_t(y) * BREITE + x], x >= 2 && x < 7 && y >= 3 && y < 5 ? GRUEN : 0xFF000000u) << x << "," << y;
  // Drawing afterwards still reaches the back buffer.
  Zeichne(Rechteck(-1, 1, 1, -1, 0.5f, 0, 0, 1, 1));
  EXPECT_EQ(Pixel(1, 1), 0xFF0000FFu);
}

// Sampler states are kept as set and reach GL at the draw: set while no context is current, they
// still take effect, and the last value set before the draw wins.
TEST_F(Gl33FlaechenTest, SamplerZustaendeWirkenErstBeimZeichnen) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(geraet->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
  D3DLOCKED_RECT gesperrt{};
  ASSERT_EQ(t->LockRect(0, &gesperrt, nullptr, D3DLOCK_DISCARD), D3D_OK);
  Fuelle(gesperrt, 8, 8, ROT);
  const uint32_t gruen = GRUEN;
  for (UINT y = 0; y < 8; ++y) std::memcpy(static_cast<uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + 28, &gruen, 4);
  t->UnlockRect(0);
  glfwMakeContextCurrent(nullptr);
  EXPECT_EQ(geraet->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP), D3D_OK);
  EXPECT_EQ(geraet->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP), D3D_OK);
  EXPECT_EQ(geraet->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT), D3D_OK);
  glfwMakeContextCurrent(fenster);
  // u from 0 to 2: the right half lies past the edge and repeats the last column (green) under clamp.
  ZeichneTextur(t, 2);
  EXPECT_EQ(Pixel(4, 20), ROT);
  EXPECT_EQ(Pixel(40, 20), GRUEN);
  EXPECT_EQ(Pixel(60, 20), GRUEN);
  t->Release();
}

TEST_F(Gl33FlaechenTest, HauptspeicherMangelGibtOutOfMemory) {
  IDirect3DTexture9* t = RoteTextur();
  ASSERT_NE(t, nullptr);
  D3DLOCKED_RECT gesperrt{};
  IDirect3DTexture9* a8 = nullptr;
  ASSERT_EQ(geraet->CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8, D3DPOOL_DEFAULT, &a8, nullptr), D3D_OK);
  IDirect3DSurface9* a8Ebene = nullptr;
  a8->GetSurfaceLevel(0, &a8Ebene);
  IDirect3DSurface9* a8Kopie = nullptr;
  ASSERT_EQ(geraet->CreateOffscreenPlainSurface(16, 8, D3DFMT_A8, D3DPOOL_SYSTEMMEM, &a8Kopie, nullptr), D3D_OK);

  // 200 bytes of main memory at a time: the 256-byte staging copy of a lock, a 256-byte
  // system-memory surface and the 512-byte read-back of the A8 target cannot be had.
  geraet->SetHostMemoryLimit(200);
  IDirect3DSurface9* system = nullptr;
  EXPECT_EQ(geraet->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &system, nullptr), E_OUTOFMEMORY);
  EXPECT_EQ(system, nullptr);
  EXPECT_EQ(t->LockRect(0, &gesperrt, nullptr, D3DLOCK_DISCARD), E_OUTOFMEMORY);
  const RECT ecke{0, 0, 2, 2};
  EXPECT_EQ(t->LockRect(0, &gesperrt, &ecke, 0), E_OUTOFMEMORY);
  EXPECT_EQ(geraet->GetRenderTargetData(a8Ebene, a8Kopie), E_OUTOFMEMORY);
  // Device memory needs no host copy.
  IDirect3DTexture9* noch = nullptr;
  ASSERT_EQ(geraet->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &noch, nullptr), D3D_OK);

  // Nothing stayed locked and the texture kept its texels.
  geraet->SetHostMemoryLimit(0);
  ASSERT_EQ(t->LockRect(0, &gesperrt, &ecke, 0), D3D_OK);
  Fuelle(gesperrt, 2, 2, GRUEN);
  EXPECT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(geraet->GetRenderTargetData(a8Ebene, a8Kopie), D3D_OK);
  ZeichneTextur(t);
  PruefeEcke(2, 2, GRUEN, ROT);
  for (IUnknown* o : std::initializer_list<IUnknown*>{a8Kopie, a8Ebene, a8, noch, t}) o->Release();
}
