// The recording device: budget, failure script, loss and reset rules, bindings, registers,
// scene bracket, Clear, the device block and the report of live objects.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "GeraeteParameter.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3dx9/d3dx9.h"

using namespace d3d9;

namespace {

// A creation into a typed pointer whose object is handed on as IUnknown.
template <class T, class Aufruf>
std::function<HRESULT(IUnknown*&)> Erzeugung(Aufruf aufruf) {
  return [aufruf](IUnknown*& aus) {
    T* objekt = nullptr;
    const HRESULT hr = aufruf(&objekt);
    aus = objekt;
    return hr;
  };
}

class NullGeraetTest : public ::testing::Test {
 protected:
  void SetUp() override { Oeffne(TestParameter(64, 48)); }
  void TearDown() override {
    if (geraet) geraet->Release();
    WaehleGl33Backend();
  }
  void Oeffne(D3DPRESENT_PARAMETERS p, NullKonfig konfig = {}) {
    WaehleNullBackend(konfig);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 82, &p, &geraet), D3D_OK);
    d3d->Release();
    welt = null::AktuelleWelt();
    null_ = welt->geraet;
  }
  IDirect3DTexture9* Textur(UINT breite, UINT hoehe, DWORD usage = 0, UINT levels = 1, HRESULT erwartet = D3D_OK) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(geraet->CreateTexture(breite, hoehe, levels, usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), erwartet);
    return t;
  }
  uint32_t RueckpufferPixel(UINT x, UINT y) {
    IDirect3DSurface9* rp = nullptr;
    EXPECT_EQ(geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp), D3D_OK);
    D3DLOCKED_RECT gesperrt{};
    EXPECT_EQ(rp->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t wert = 0;
    std::memcpy(&wert, static_cast<uint8_t*>(gesperrt.pBits) + y * gesperrt.Pitch + 4 * x, 4);
    rp->UnlockRect();
    rp->Release();
    return wert;
  }

  IDirect3DDevice9* geraet = nullptr;
  null::Welt* welt = nullptr;
  null::Geraet* null_ = nullptr;
};

}  // namespace

TEST_F(NullGeraetTest, BytesKommenErstBeiLetzterFreigabeZurueck) {
  geraet->SetVideoMemoryBudget(20000);
  IDirect3DTexture9* erste = Textur(64, 64);  // 16384 bytes
  ASSERT_NE(erste, nullptr);
  Textur(64, 64, 0, 1, D3DERR_OUTOFVIDEOMEMORY);
  ASSERT_EQ(geraet->SetTexture(0, erste), D3D_OK);
  erste->Release();  // still bound: the device keeps it and its bytes
  EXPECT_EQ(null_->konto->belegt, 16384u);
  Textur(64, 64, 0, 1, D3DERR_OUTOFVIDEOMEMORY);
  ASSERT_EQ(geraet->SetTexture(0, nullptr), D3D_OK);
  EXPECT_EQ(null_->konto->belegt, 0u);
  IDirect3DTexture9* zweite = Textur(64, 64);
  ASSERT_NE(zweite, nullptr);
  zweite->Release();
}

TEST_F(NullGeraetTest, BelastungNachArt) {
  IDirect3DTexture9* auto_ = Textur(64, 64, D3DUSAGE_AUTOGENMIPMAP, 0);
  EXPECT_EQ(auto_->GetLevelCount(), 1u);
  EXPECT_EQ(null_->konto->belegt, 16384u + 4096 + 1024 + 256 + 64 + 16 + 4);
  auto_->Release();

  IDirect3DCubeTexture9* wuerfel = nullptr;
  ASSERT_EQ(geraet->CreateCubeTexture(16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &wuerfel, nullptr), D3D_OK);
  EXPECT_EQ(null_->konto->belegt, 6u * 1024);
  wuerfel->Release();

  IDirect3DSurface9* tiefe = nullptr;
  ASSERT_EQ(geraet->CreateDepthStencilSurface(32, 32, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, 0, &tiefe, nullptr), D3D_OK);
  EXPECT_EQ(null_->konto->belegt, 2048u);
  tiefe->Release();

  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(geraet->CreateVertexBuffer(100, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
  EXPECT_EQ(null_->konto->belegt, 100u);
  vb->Release();
  IDirect3DTexture9* system = nullptr;
  ASSERT_EQ(geraet->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &system, nullptr), D3D_OK);
  EXPECT_EQ(null_->konto->belegt, 0u);  // only the default pool is charged
  system->Release();
}

TEST_F(NullGeraetTest, HauptspeicherMangelGibtOutOfMemoryOhneReste) {
  // Each creation needs a host allocation of 4096 bytes or more (its contents); 2048 are allowed.
  struct Fall {
    const char* name;
    std::function<HRESULT(IUnknown*&)> erzeuge;
  };
  const std::vector<Fall> faelle = {
      {"CreateTexture", Erzeugung<IDirect3DTexture9>([&](auto o) { return geraet->CreateTexture(32, 32, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, o, nullptr); })},
      {"CreateCubeTexture", Erzeugung<IDirect3DCubeTexture9>([&](auto o) { return geraet->CreateCubeTexture(32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, o, nullptr); })},
      {"CreateVertexBuffer", Erzeugung<IDirect3DVertexBuffer9>([&](auto o) { return geraet->CreateVertexBuffer(4096, 0, 0, D3DPOOL_DEFAULT, o, nullptr); })},
      {"CreateIndexBuffer", Erzeugung<IDirect3DIndexBuffer9>([&](auto o) { return geraet->CreateIndexBuffer(4096, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, o, nullptr); })},
      {"CreateDepthStencilSurface", Erzeugung<IDirect3DSurface9>([&](auto o) { return geraet->CreateDepthStencilSurface(32, 32, D3DFMT_D32, D3DMULTISAMPLE_NONE, 0, 0, o, nullptr); })},
      {"CreateOffscreenPlainSurface", Erzeugung<IDirect3DSurface9>([&](auto o) { return geraet->CreateOffscreenPlainSurface(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, o, nullptr); })},
  };
  const size_t lebendVorher = null_->konto->lebende.size();
  geraet->SetVideoMemoryBudget(1 << 20);
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    geraet->SetHostMemoryLimit(2048);
    IUnknown* objekt = nullptr;
    EXPECT_EQ(f.erzeuge(objekt), E_OUTOFMEMORY);
    EXPECT_EQ(objekt, nullptr);
    EXPECT_EQ(null_->konto->belegt, 0u);  // nothing charged
    EXPECT_EQ(null_->konto->lebende.size(), lebendVorher);  // no object or level left behind
    EXPECT_EQ(welt->Aufrufe(f.name).back().ergebnis, E_OUTOFMEMORY);
    geraet->SetHostMemoryLimit(0);
    ASSERT_EQ(f.erzeuge(objekt), D3D_OK);
    objekt->Release();
    EXPECT_EQ(null_->konto->belegt, 0u);
  }
  // A size past what a vector can hold fails before anything is allocated.
  std::vector<uint8_t> speicher;
  EXPECT_THROW(BelegeHostSpeicher(*null_->konto, speicher, ~uint64_t(0)), std::bad_alloc);
  // Textures beyond the caps are refused, as Direct3D does, before any memory is asked for.
  Textur(8193, 4, 0, 1, D3DERR_INVALIDCALL);
}

TEST_F(NullGeraetTest, FehlerSkriptGiltFuerDieNaechstenAufrufe) {
  welt->Scheitere("CreateTexture", 2, D3DERR_OUTOFVIDEOMEMORY);
  Textur(4, 4, 0, 1, D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(geraet->SetRenderState(D3DRS_ZENABLE, 0), D3D_OK);  // other methods are untouched
  Textur(4, 4, 0, 1, D3DERR_OUTOFVIDEOMEMORY);
  IDirect3DTexture9* t = Textur(4, 4);
  ASSERT_NE(t, nullptr);
  t->Release();
  const std::vector<null::Aufruf> aufrufe = welt->Aufrufe("CreateTexture");
  ASSERT_EQ(aufrufe.size(), 3u);
  EXPECT_EQ(aufrufe[0].ergebnis, D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(aufrufe[2].ergebnis, D3D_OK);
  EXPECT_EQ(aufrufe[2].argumente[0], 4u);
  EXPECT_EQ(welt->Anzahl("SetRenderState"), 1);
  welt->Leere();
  EXPECT_EQ(welt->Anzahl("CreateTexture"), 0);
}

TEST_F(NullGeraetTest, VerlustSkriptInReihenfolge) {
  IDirect3DTexture9* gehalten = Textur(8, 8);
  geraet->SetRenderState(D3DRS_ZENABLE, 0);
  geraet->SimulateDeviceLost(2);
  EXPECT_EQ(geraet->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);  // accepted without effect
  EXPECT_EQ(null_->renderStates[D3DRS_CULLMODE], DWORD(D3DCULL_CCW));
  D3DPRESENT_PARAMETERS p = TestParameter(32, 16);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(geraet->Reset(&p), D3DERR_DEVICELOST);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(geraet->Reset(&p), D3DERR_INVALIDCALL);  // the texture is still held
  EXPECT_EQ(welt->letzteResetVerweigerung, "texture 8x8");
  gehalten->Release();
  ASSERT_EQ(geraet->Reset(&p), D3D_OK);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(geraet->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(null_->renderStates[D3DRS_ZENABLE], 1u);
  EXPECT_EQ(null_->viewport.Width, 32u);
  EXPECT_EQ(null_->viewport.Height, 16u);
  EXPECT_FLOAT_EQ(null_->geraeteBlock[0], 1.0f / 32);
  EXPECT_FLOAT_EQ(null_->geraeteBlock[1], -1.0f / 16);
  EXPECT_EQ(null_->protokollVerstoesse, 0);
}

TEST_F(NullGeraetTest, RueckpufferVerweisVerhindertReset) {
  IDirect3DSurface9* rp = nullptr;
  ASSERT_EQ(geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp), D3D_OK);
  D3DPRESENT_PARAMETERS p = TestParameter(64, 48);
  EXPECT_EQ(geraet->Reset(&p), D3DERR_INVALIDCALL);
  EXPECT_EQ(welt->letzteResetVerweigerung, "back buffer");
  // Now only Reset, TestCooperativeLevel and Release are allowed.
  EXPECT_EQ(geraet->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  Textur(4, 4, 0, 1, D3DERR_INVALIDCALL);
  IDirect3DSurface9* tiefe = nullptr;
  EXPECT_EQ(geraet->GetDepthStencilSurface(&tiefe), D3DERR_INVALIDCALL);
  EXPECT_EQ(null_->protokollVerstoesse, 2);
  rp->Release();
  EXPECT_EQ(geraet->Reset(&p), D3D_OK);
  EXPECT_EQ(geraet->TestCooperativeLevel(), D3D_OK);
}

TEST_F(NullGeraetTest, RenderZielSetztViewportUndGeraeteBlock) {
  D3DVIEWPORT9 vp = {4, 2, 20, 10, 0.0f, 1.0f};
  ASSERT_EQ(geraet->SetViewport(&vp), D3D_OK);
  EXPECT_FLOAT_EQ(null_->geraeteBlock[0], 1.0f / 20);
  EXPECT_FLOAT_EQ(null_->geraeteBlock[1], -1.0f / 10);
  IDirect3DTexture9* ziel = Textur(16, 8, D3DUSAGE_RENDERTARGET);
  IDirect3DSurface9* ebene = nullptr;
  ASSERT_EQ(ziel->GetSurfaceLevel(0, &ebene), D3D_OK);
  ASSERT_EQ(geraet->SetRenderTarget(0, ebene), D3D_OK);
  EXPECT_EQ(null_->viewport.X, 0u);
  EXPECT_EQ(null_->viewport.Width, 16u);
  EXPECT_EQ(null_->viewport.Height, 8u);
  EXPECT_FLOAT_EQ(null_->geraeteBlock[0], 1.0f / 16);
  EXPECT_FLOAT_EQ(null_->geraeteBlock[1], -1.0f / 8);
  D3DVIEWPORT9 draussen = {0, 0, 17, 8, 0.0f, 1.0f};
  EXPECT_EQ(geraet->SetViewport(&draussen), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->SetRenderTarget(4, ebene), D3DERR_INVALIDCALL);
  // A level surface shares its texture's count: the texture lives while the surface is held.
  ebene->Release();
  ziel->Release();
  EXPECT_EQ(null_->renderZiele[0]->Wurzel()->art, "texture 16x8");
}

TEST_F(NullGeraetTest, RegisterGrenzen) {
  const float werte[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(geraet->SetVertexShaderConstantF(255, werte, 1), D3D_OK);
  EXPECT_EQ(geraet->SetVertexShaderConstantF(255, werte, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->SetPixelShaderConstantF(222, werte, 2), D3D_OK);
  EXPECT_EQ(geraet->SetPixelShaderConstantF(224, werte, 1), D3DERR_INVALIDCALL);
  float gelesen[8] = {};
  ASSERT_EQ(geraet->GetPixelShaderConstantF(222, gelesen, 2), D3D_OK);
  EXPECT_EQ(std::memcmp(gelesen, werte, sizeof werte), 0);
  EXPECT_EQ(null_->vertexRegister[255 * 4 + 3], 4.0f);
}

TEST_F(NullGeraetTest, SzenenKlammer) {
  EXPECT_EQ(geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->BeginScene(), D3D_OK);
  EXPECT_EQ(geraet->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
  EXPECT_EQ(geraet->EndScene(), D3D_OK);
}

TEST_F(NullGeraetTest, ClearFuelltNurDenViewport) {
  D3DVIEWPORT9 vp = {2, 1, 3, 2, 0.0f, 1.0f};
  ASSERT_EQ(geraet->SetViewport(&vp), D3D_OK);
  ASSERT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00112233, 1.0f, 0), D3D_OK);
  EXPECT_EQ(RueckpufferPixel(2, 1), 0xFF112233u);  // X reads 0xFF
  EXPECT_EQ(RueckpufferPixel(4, 2), 0xFF112233u);
  EXPECT_EQ(RueckpufferPixel(5, 2), 0u);
  EXPECT_EQ(RueckpufferPixel(2, 3), 0u);
  EXPECT_EQ(RueckpufferPixel(1, 1), 0u);
  EXPECT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(geraet->SetDepthStencilSurface(nullptr), D3D_OK);
  EXPECT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(NullGeraetTest, ClearAuf16Bit) {
  geraet->Release();
  Oeffne(TestParameter(8, 8, D3DFMT_R5G6B5));
  ASSERT_EQ(geraet->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF8000, 1.0f, 0), D3D_OK);
  EXPECT_EQ(RueckpufferPixel(0, 0) & 0xFFFF, 0xFC00u);  // R 31, G 32, B 0
}

TEST_F(NullGeraetTest, DeklarationenNurMitOrt) {
  struct Fall {
    const char* name;
    std::vector<D3DVERTEXELEMENT9> elemente;
    HRESULT erwartet;
  };
  std::vector<D3DVERTEXELEMENT9> siebzehn;
  for (BYTE i = 0; i < 17; ++i) siebzehn.push_back({0, WORD(4 * i), D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, i});
  const std::vector<Fall> faelle = {
      {"Position und Texturkoordinaten", {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, {1, 0, D3DDECLTYPE_SHORT2N, 0, D3DDECLUSAGE_TEXCOORD, 0}}, D3D_OK},
      {"NORMAL", {{0, 0, D3DDECLTYPE_FLOAT3, 0, 3, 0}}, D3DERR_INVALIDCALL},
      {"POSITION1 und TEXCOORD0 teilen Ort 1", {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 1}, {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0}}, D3DERR_INVALIDCALL},
      {"17 Elemente", siebzehn, D3DERR_INVALIDCALL},
  };
  for (Fall fall : faelle) {
    fall.elemente.push_back(D3DDECL_END());
    IDirect3DVertexDeclaration9* dekl = nullptr;
    EXPECT_EQ(geraet->CreateVertexDeclaration(fall.elemente.data(), &dekl), fall.erwartet) << fall.name;
    if (dekl) dekl->Release();
  }
}

TEST_F(NullGeraetTest, ShaderAusDemDatensatz) {
  ShaderCode code;
  code.stufe = ShaderStufe::Pixel;
  code.quelle = "void main() {}";
  const std::vector<DWORD> woerter = Kodiere(code);
  IDirect3DPixelShader9* ps = nullptr;
  ASSERT_EQ(geraet->CreatePixelShader(woerter.data(), &ps), D3D_OK);
  IDirect3DVertexShader9* vs = nullptr;
  EXPECT_EQ(geraet->CreateVertexShader(woerter.data(), &vs), D3DERR_INVALIDCALL);  // wrong stage
  ASSERT_EQ(geraet->SetPixelShader(ps), D3D_OK);
  ps->Release();
  EXPECT_EQ(null_->pixelShader->ref, 1u);  // the binding keeps it
}

TEST_F(NullGeraetTest, LebendeObjekteBeimLetztenRelease) {
  IDirect3DTexture9* vergessen = Textur(8, 8);
  IDirect3DTexture9* gebunden = Textur(4, 4);
  geraet->SetTexture(3, gebunden);
  gebunden->Release();
  geraet->Release();
  geraet = nullptr;
  EXPECT_EQ(welt->lebendBeimEnde, std::vector<std::string>{"texture 8x8"});
  vergessen->Release();  // after the device: main memory only
}

TEST_F(NullGeraetTest, KeineLebendenObjekteNachSaubererFreigabe) {
  IDirect3DSurface9* rp = nullptr;
  geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp);
  rp->Release();
  geraet->Release();
  geraet = nullptr;
  EXPECT_TRUE(welt->lebendBeimEnde.empty());
}

TEST_F(NullGeraetTest, ProfileAusDenCaps) {
  EXPECT_STREQ(d3dx9::D3DXGetVertexShaderProfile(geraet), "vs_3_0");
  EXPECT_STREQ(d3dx9::D3DXGetPixelShaderProfile(geraet), "ps_3_0");
  geraet->Release();
  NullKonfig alt;
  alt.caps.VertexShaderVersion = D3DVS_VERSION(2, 0);
  Oeffne(TestParameter(8, 8), alt);
  EXPECT_EQ(d3dx9::D3DXGetVertexShaderProfile(geraet), nullptr);
  EXPECT_STREQ(d3dx9::D3DXGetPixelShaderProfile(geraet), "ps_3_0");
}

TEST(NullFabrik, TiefenFormateUndAdapter) {
  NullKonfig konfig;
  konfig.adapter = {"Erster", "NVIDIA PerfHUD"};
  konfig.tiefenFormate = {D3DFMT_D16};
  WaehleNullBackend(konfig);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  EXPECT_EQ(Direct3DCreate9(31), nullptr);
  EXPECT_EQ(d3d->GetAdapterCount(), 2u);
  D3DADAPTER_IDENTIFIER9 kennung{};
  ASSERT_EQ(d3d->GetAdapterIdentifier(1, 0, &kennung), D3D_OK);
  EXPECT_STREQ(kennung.Description, "NVIDIA PerfHUD");
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16), D3D_OK);
  D3DPRESENT_PARAMETERS p = TestParameter(8, 8);  // asks for D24X8
  IDirect3DDevice9* geraet = nullptr;
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 82, &p, &geraet), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(geraet, nullptr);
  d3d->Release();
  WaehleGl33Backend();
}
