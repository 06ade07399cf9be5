#pragma once
// The recording device: a headless Direct3D 9 device for tests. It records every call (method,
// arguments, result) with per-method counters, mirrors the bound state and both register files,
// keeps Direct3D's reference rules, backs every lock with real memory and keeps level contents
// for readback. Clear fills the viewport rectangle of a 32- or 16-bit colour target; nothing else
// rasterises. A NullKonfig scripts adapters, accepted depth formats, caps and failures.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/objekt.h"
#include "Plattform/d3d9/shadercode.h"

namespace d3d9 {

struct NullKonfig {
  struct Fehler {
    std::string methode;  // "CreateTexture", "CreateDevice", ...
    int anzahl = 1;       // the next `anzahl` calls
    HRESULT ergebnis = D3DERR_INVALIDCALL;
  };

  std::vector<std::string> adapter = {"Null Adapter"};
  std::vector<D3DFORMAT> tiefenFormate = {D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16};
  D3DCAPS9 caps = {D3DDEVTYPE_HAL, 0, D3DPTFILTERCAPS_MINFANISOTROPIC, 8192, 8192, 16,
                   D3DVS_VERSION(3, 0), D3DPS_VERSION(3, 0), 4};
  std::vector<Fehler> fehler;
};

namespace null {

// A fresh world with this script; Direct3DCreate9 then gives factories of it.
void NeueWelt(const NullKonfig& konfig);
IDirect3D9* ErzeugeFabrik();

struct Aufruf {
  std::string methode;
  std::vector<uint64_t> argumente;  // integers as given, pointers as addresses, floats as their bits
  HRESULT ergebnis = D3D_OK;
};

class Geraet;

// What a test sees of the back end chosen by WaehleNullBackend: the calls of factory and device,
// the failure script, the device alive now and the report of its final release.
class Welt {
 public:
  explicit Welt(const NullKonfig& konfig);

  // The result a scripted failure gives the next call of `methode`, else D3D_OK.
  HRESULT Vorgabe(const std::string& methode);
  HRESULT Merke(const char* methode, std::vector<uint64_t> argumente, HRESULT ergebnis);
  void Scheitere(const std::string& methode, int anzahl, HRESULT ergebnis);

  int Anzahl(const std::string& methode) const;
  std::vector<Aufruf> Aufrufe(const std::string& methode) const;
  void Leere();

  NullKonfig konfig;
  std::vector<Aufruf> aufrufe;
  std::map<std::string, int> zaehler;
  Geraet* geraet = nullptr;                 // the device alive now
  std::vector<std::string> lebendBeimEnde;  // objects alive at the device's final release
  std::string letzteResetVerweigerung;      // names of the objects that blocked the last Reset
  // Called inside every accepted DrawIndexedPrimitive with the device and its state in force, for
  // tests that replay draws or check what each draw saw.
  std::function<void(Geraet&)> beiZeichnung;
};

// The world of the back end chosen last (null before the first WaehleNullBackend).
Welt* AktuelleWelt();

using d3d9::Konto;
using d3d9::Objekt;

class Oberflaeche;

class Geraet final : public IDirect3DDevice9 {
 public:
  static constexpr UINT VERTEX_REGISTER = 256;
  static constexpr UINT PIXEL_REGISTER = 224;
  static constexpr UINT SAMPLER = 20;  // pixel 0..15, vertex 257..260 at 16..19
  static constexpr UINT STREAMS = 16;

  Geraet(std::shared_ptr<Welt> welt, const D3DPRESENT_PARAMETERS& parameter, D3DFORMAT tiefenFormat);

  UINT AddRef() override;
  UINT Release() override;

  HRESULT TestCooperativeLevel() override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameter) override;
  HRESULT Present(const RECT* quelle, const RECT* ziel, HWND fenster, const void* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE typ, IDirect3DSurface9** surface) override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;

  HRESULT CreateTexture(UINT breite, UINT hoehe, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** textur, HANDLE* shared) override;
  HRESULT CreateCubeTexture(UINT kante, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture9** textur, HANDLE* shared) override;
  HRESULT CreateVertexBuffer(UINT laenge, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                             HANDLE* shared) override;
  HRESULT CreateIndexBuffer(UINT laenge, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                            HANDLE* shared) override;
  HRESULT CreateDepthStencilSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    DWORD qualitaet, BOOL discard, IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT CreateOffscreenPlainSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT UpdateSurface(IDirect3DSurface9* quelle, const RECT* quellRechteck, IDirect3DSurface9* ziel,
                        const POINT* zielPunkt) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderZiel, IDirect3DSurface9* ziel) override;

  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD anzahl, const RECT* rechtecke, DWORD flags, D3DCOLOR farbe, float z, DWORD stencil) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE zustand, DWORD wert) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE zustand, DWORD* wert) override;
  HRESULT SetTexture(DWORD sampler, IDirect3DBaseTexture9* textur) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD wert) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD* wert) override;

  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE typ, INT basisVertex, UINT minIndex, UINT anzahlVertices,
                               UINT startIndex, UINT anzahlPrimitive) override;

  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elemente, IDirect3DVertexDeclaration9** deklaration) override;
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* deklaration) override;
  HRESULT CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) override;
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT SetVertexShaderConstantF(UINT start, const float* daten, UINT anzahl) override;
  HRESULT GetVertexShaderConstantF(UINT start, float* daten, UINT anzahl) override;
  HRESULT CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) override;
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
  HRESULT SetPixelShaderConstantF(UINT start, const float* daten, UINT anzahl) override;
  HRESULT GetPixelShaderConstantF(UINT start, float* daten, UINT anzahl) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
  HRESULT SetStreamSourceFreq(UINT stream, UINT einstellung) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;

  void SimulateDeviceLost(UINT abfragen) override;
  void SetVideoMemoryBudget(uint64_t bytes) override;
  void SetHostMemoryLimit(uint64_t bytes) override;

  // Mirrored state, read by tests.
  D3DPRESENT_PARAMETERS parameter{};
  D3DFORMAT tiefenFormat;
  std::map<DWORD, DWORD> renderStates;
  std::array<std::map<DWORD, DWORD>, SAMPLER> samplerStates;
  std::array<float, VERTEX_REGISTER * 4> vertexRegister{};
  std::array<float, PIXEL_REGISTER * 4> pixelRegister{};
  std::array<float, 4> geraeteBlock{};  // what the device block would hold: (1/w, -1/h, 0, 0)
  D3DVIEWPORT9 viewport{};
  std::array<UINT, STREAMS> streamFrequenz{};
  std::array<UINT, STREAMS> streamStride{};
  std::array<Objekt*, SAMPLER> texturen{};
  std::array<Objekt*, 4> renderZiele{};
  std::array<Objekt*, STREAMS> streams{};
  Objekt* tiefe = nullptr;
  Objekt* indizes = nullptr;
  Objekt* deklaration = nullptr;
  Objekt* vertexShader = nullptr;
  Objekt* pixelShader = nullptr;
  bool inSzene = false;
  int protokollVerstoesse = 0;  // calls other than Reset/TestCooperativeLevel/Release after a failed Reset
  std::shared_ptr<Konto> konto;

 private:
  ~Geraet() override;
  HRESULT Ende(const char* methode, std::vector<uint64_t> argumente, HRESULT ergebnis) {
    return welt->Merke(methode, std::move(argumente), ergebnis);
  }
  bool Verloren() const { return verloren; }
  bool NachFehlReset(const char* methode, std::vector<uint64_t> argumente, HRESULT& ergebnis);
  void BaueRueckpuffer();
  void GibRueckpufferFrei();
  void SetzeVorgaben();
  void LoeseBindungen();
  void SetzeViewportAuf(Oberflaeche* ziel);
  void AktualisiereGeraeteBlock();
  std::string SucheResetHindernisse() const;
  int SamplerPlatz(DWORD sampler) const;

  std::shared_ptr<Welt> welt;
  UINT ref = 1;
  Oberflaeche* rueckpuffer = nullptr;
  Oberflaeche* eigeneTiefe = nullptr;
  bool verloren = false;
  UINT verlorenAbfragen = 0;
  bool resetGescheitert = false;
};

// The objects' surface, readable by tests (bytes with Direct3D's pitch).
class Oberflaeche final : public IDirect3DSurface9, public Objekt {
 public:
  Oberflaeche(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, std::string art, D3DFORMAT format,
              UINT breite, UINT hoehe, DWORD usage, D3DRESOURCETYPE typ);
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  UINT Abstand() const { return ZeilenAbstand(format, breite); }
  // Fills a rectangle of a 32- or 16-bit colour surface; false for other formats.
  bool Fuelle(const D3DVIEWPORT9& bereich, D3DCOLOR farbe);

  D3DFORMAT format;
  UINT breite;
  UINT hoehe;
  DWORD usage;
  D3DRESOURCETYPE typ;  // TEXTURE or CUBETEXTURE when it is a level, else SURFACE
  std::vector<uint8_t> bytes;
  bool gesperrt = false;
  // The last lock: its flags and rectangle (null rectangle = whole surface).
  int sperren = 0;
  DWORD letzteSperrFlags = 0;
  bool letzteSperreGanz = true;
  RECT letztesRechteck{};
};

}  // namespace null
}  // namespace d3d9
