// The OpenGL device on llvmpipe: clearing, orientation, culling, blending and depth.
#include "Gl33Fenster.h"

using namespace anzeige;

TEST_F(Gl33Test, LeerenNurImViewport) {
  Leere(0x00336699);
  EXPECT_EQ(Pixel(0, 0), 0xFF336699u);  // X reads 0xFF
  EXPECT_EQ(Pixel(BREITE - 1, HOEHE - 1), 0xFF336699u);
  const D3DVIEWPORT9 vp = {10, 5, 20, 10, 0.0f, 1.0f};
  ASSERT_EQ(geraet->SetViewport(&vp), D3D_OK);
  // Colour and depth are cleared even with z write and colour writes off.
  geraet->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  geraet->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
  ASSERT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 0.0f, 0), D3D_OK);
  const std::vector<uint32_t> bild = Rueckpuffer();
  EXPECT_EQ(bild[5 * BREITE + 10], 0xFFFF0000u);
  EXPECT_EQ(bild[14 * BREITE + 29], 0xFFFF0000u);
  EXPECT_EQ(bild[4 * BREITE + 10], 0xFF336699u);
  EXPECT_EQ(bild[5 * BREITE + 30], 0xFF336699u);
  EXPECT_EQ(bild[15 * BREITE + 29], 0xFF336699u);
  // Depth was cleared to 0: with LESSEQUAL a triangle at z 0.5 no longer shows there.
  geraet->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  geraet->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  Zeichne(Rechteck(-1, 1, 1, -1, 0.5f, 0, 1, 0, 1));
  EXPECT_EQ(Pixel(15, 8), 0xFFFF0000u);
  ASSERT_EQ(geraet->SetDepthStencilSurface(nullptr), D3D_OK);
  EXPECT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(Gl33Test, DreieckObenLiegtInDenErstenZeilen) {
  Leere(0);
  geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  // A triangle in the upper half of clip space (y > 0).
  Zeichne({{-1, 1, 0.5f, 1, 1, 1, 1, 1}, {1, 1, 0.5f, 1, 1, 1, 1, 1}, {-1, 0, 0.5f, 1, 1, 1, 1, 1}});
  const std::vector<uint32_t> bild = Rueckpuffer();
  EXPECT_EQ(bild[1 * BREITE + 2], 0xFFFFFFFFu);       // near row 0, left
  EXPECT_EQ(bild[1 * BREITE + BREITE - 8], 0xFFFFFFFFu);
  EXPECT_EQ(bild[(HOEHE - 2) * BREITE + 2], 0xFF000000u);  // bottom stays clear
  EXPECT_EQ(bild[(HOEHE / 2 - 2) * BREITE + BREITE - 4], 0xFF000000u);  // below the diagonal
}

TEST_F(Gl33Test, RueckseitenTabelle) {
  // On screen: (-1,1) top left, (1,1) top right, (-1,-1) bottom left: clockwise as seen.
  const std::vector<Vertex> imUhrzeigersinn = {{-1, 1, 0.5f, 1, 1, 1, 1, 1}, {1, 1, 0.5f, 1, 1, 1, 1, 1}, {-1, -1, 0.5f, 1, 1, 1, 1, 1}};
  const std::vector<Vertex> gegenUhrzeigersinn = {imUhrzeigersinn[0], imUhrzeigersinn[2], imUhrzeigersinn[1]};
  struct Fall {
    DWORD modus;
    bool cwSichtbar, ccwSichtbar;
  };
  const Fall faelle[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
  for (const Fall& f : faelle) {
    geraet->SetRenderState(D3DRS_CULLMODE, f.modus);
    Leere(0);
    Zeichne(imUhrzeigersinn);
    EXPECT_EQ(Pixel(4, 4) == 0xFFFFFFFFu, f.cwSichtbar) << f.modus;
    Leere(0);
    Zeichne(gegenUhrzeigersinn);
    EXPECT_EQ(Pixel(4, 4) == 0xFFFFFFFFu, f.ccwSichtbar) << f.modus;
  }
}

TEST_F(Gl33Test, BlendTabelle) {
  IDirect3DTexture9* ziel = nullptr;
  ASSERT_EQ(geraet->CreateTexture(BREITE, HOEHE, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &ziel, nullptr), D3D_OK);
  IDirect3DSurface9* flaeche = nullptr;
  ziel->GetSurfaceLevel(0, &flaeche);
  IDirect3DSurface9* lesen = nullptr;
  ASSERT_EQ(geraet->CreateOffscreenPlainSurface(BREITE, HOEHE, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &lesen, nullptr), D3D_OK);
  ASSERT_EQ(geraet->SetRenderTarget(0, flaeche), D3D_OK);
  geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  geraet->SetRenderState(D3DRS_ZENABLE, 0);
  struct Fall {
    const char* name;
    DWORD op, quelle, zielFaktor;
    bool getrennt;
    DWORD opAlpha, quelleAlpha, zielAlpha;
    DWORD maske;
    uint32_t erwartet;  // destination 0x80402010 (a .5, r .25, g .125, b .0625), source (0.5, 0.5, 0.5, 0.25)
  };
  const Fall faelle[] = {
      {"SRCALPHA/INVSRCALPHA", D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false, 0, 0, 0, 0xF, 0x7050382C},
      {"ONE/ONE", D3DBLENDOP_ADD, D3DBLEND_ONE, D3DBLEND_ONE, false, 0, 0, 0, 0xF, 0xC0C0A090},
      {"REVSUBTRACT", D3DBLENDOP_REVSUBTRACT, D3DBLEND_ONE, D3DBLEND_ONE, false, 0, 0, 0, 0xF, 0x40000000},
      {"MIN", D3DBLENDOP_MIN, D3DBLEND_ONE, D3DBLEND_ONE, false, 0, 0, 0, 0xF, 0x40402010},
      {"MAX", D3DBLENDOP_MAX, D3DBLEND_ONE, D3DBLEND_ONE, false, 0, 0, 0, 0xF, 0x80808080},
      {"getrenntes Alpha", D3DBLENDOP_ADD, D3DBLEND_ONE, D3DBLEND_ZERO, true, D3DBLENDOP_ADD, D3DBLEND_ZERO, D3DBLEND_ONE, 0xF, 0x80808080},
      {"nur Blau", D3DBLENDOP_ADD, D3DBLEND_ONE, D3DBLEND_ZERO, false, 0, 0, 0, 0x4, 0x80402080},
  };
  for (const Fall& f : faelle) {
    ASSERT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010, 1.0f, 0), D3D_OK);
    geraet->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    geraet->SetRenderState(D3DRS_BLENDOP, f.op);
    geraet->SetRenderState(D3DRS_SRCBLEND, f.quelle);
    geraet->SetRenderState(D3DRS_DESTBLEND, f.zielFaktor);
    geraet->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, f.getrennt);
    geraet->SetRenderState(D3DRS_BLENDOPALPHA, f.getrennt ? f.opAlpha : D3DBLENDOP_ADD);
    geraet->SetRenderState(D3DRS_SRCBLENDALPHA, f.getrennt ? f.quelleAlpha : D3DBLEND_ONE);
    geraet->SetRenderState(D3DRS_DESTBLENDALPHA, f.getrennt ? f.zielAlpha : D3DBLEND_ZERO);
    geraet->SetRenderState(D3DRS_COLORWRITEENABLE, f.maske);
    Zeichne(Rechteck(-1, 1, 1, -1, 0.5f, 0.5f, 0.5f, 0.5f, 0.25f));
    ASSERT_EQ(geraet->GetRenderTargetData(flaeche, lesen), D3D_OK);
    D3DLOCKED_RECT gesperrt{};
    lesen->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY);
    uint32_t pixel;
    std::memcpy(&pixel, static_cast<uint8_t*>(gesperrt.pBits) + 10 * gesperrt.Pitch + 40, 4);
    lesen->UnlockRect();
    for (int c : {0, 8, 16, 24}) EXPECT_NEAR(Kanal(pixel, c), Kanal(f.erwartet, c), 1) << f.name << " channel " << c;
  }
  geraet->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  geraet->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  IDirect3DSurface9* rp = nullptr;
  geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp);
  geraet->SetRenderTarget(0, rp);
  rp->Release();
  flaeche->Release();
  lesen->Release();
  ziel->Release();
}

TEST_F(Gl33Test, TiefeTabelle) {
  geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const auto nah = Rechteck(-1, 1, 1, -1, 0.25f, 1, 0, 0, 1);
  const auto fern = Rechteck(-1, 1, 1, -1, 0.75f, 0, 0, 1, 1);
  for (bool nahZuerst : {true, false}) {
    Leere(0);
    Zeichne(nahZuerst ? nah : fern);
    Zeichne(nahZuerst ? fern : nah);
    EXPECT_EQ(Pixel(3, 3), 0xFFFF0000u) << nahZuerst;
  }
  // Z write off: the far quad leaves depth alone, so a middle one still shows.
  Leere(0);
  geraet->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  Zeichne(nah);
  geraet->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  Zeichne(Rechteck(-1, 1, 1, -1, 0.5f, 0, 1, 0, 1));
  EXPECT_EQ(Pixel(3, 3), 0xFF00FF00u);
  // After a clear to 1.0 both z = 0 and z = 1 are drawn.
  for (float z : {0.0f, 1.0f}) {
    Leere(0);
    Zeichne(Rechteck(-1, 1, 1, -1, z, 1, 1, 1, 1));
    EXPECT_EQ(Pixel(3, 3), 0xFFFFFFFFu) << z;
  }
}
