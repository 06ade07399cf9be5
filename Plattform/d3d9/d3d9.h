#pragma once
// A Direct3D-9-shaped device. The names, numeric values, records and interfaces are those the
// engine uses; two back ends implement them: gl33 (OpenGL 3.3 core on the GLFW window's context)
// and null (records every call, for tests). Direct3DCreate9 returns the chosen back end's factory.
//
// Reference counting follows Direct3D 9: a creation hands out one reference, the device holds one
// for everything bound, a surface of a texture level shares its texture's count.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace d3d9 {

using HRESULT = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using BOOL = int32_t;
using LONG = int32_t;
using INT = int32_t;
using D3DCOLOR = uint32_t;
using HWND = void*;
using HANDLE = void*;

inline constexpr HRESULT D3D_OK = 0;
inline constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017C);
inline constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868);
inline constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086A);
inline constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086C);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);

inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }
inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }

inline constexpr UINT D3D_SDK_VERSION = 32;

constexpr DWORD MAKEFOURCC(char a, char b, char c, char d) {
  return DWORD(BYTE(a)) | DWORD(BYTE(b)) << 8 | DWORD(BYTE(c)) << 16 | DWORD(BYTE(d)) << 24;
}

enum D3DFORMAT : DWORD {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_A8 = 28,
  D3DFMT_A2B10G10R10 = 31,
  D3DFMT_G16R16 = 34,
  D3DFMT_A16B16G16R16 = 36,
  D3DFMT_D32 = 71,
  D3DFMT_D24X8 = 77,
  D3DFMT_D16 = 80,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
  D3DFMT_R16F = 111,
  D3DFMT_G16R16F = 112,
  D3DFMT_A16B16G16R16F = 113,
  D3DFMT_R32F = 114,
  D3DFMT_G32R32F = 115,
  D3DFMT_A32B32G32R32F = 116,
  D3DFMT_DXT1 = MAKEFOURCC('D', 'X', 'T', '1'),
  D3DFMT_DXT3 = MAKEFOURCC('D', 'X', 'T', '3'),
  D3DFMT_DXT5 = MAKEFOURCC('D', 'X', 'T', '5'),
};

enum D3DPOOL : DWORD { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2, D3DPOOL_SCRATCH = 3 };

inline constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;
inline constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x2;
inline constexpr DWORD D3DUSAGE_WRITEONLY = 0x8;
inline constexpr DWORD D3DUSAGE_DYNAMIC = 0x200;
inline constexpr DWORD D3DUSAGE_AUTOGENMIPMAP = 0x400;

inline constexpr DWORD D3DLOCK_DISCARD = 0x2000;
inline constexpr DWORD D3DLOCK_NOOVERWRITE = 0x1000;
inline constexpr DWORD D3DLOCK_READONLY = 0x10;

enum D3DRESOURCETYPE : DWORD {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DDEVTYPE : DWORD { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2 };

inline constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x2;
inline constexpr DWORD D3DCREATE_PUREDEVICE = 0x10;
inline constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;

enum D3DRENDERSTATETYPE : DWORD {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_COLORWRITEENABLE = 168,
  D3DRS_BLENDOP = 171,
  D3DRS_SEPARATEALPHABLENDENABLE = 206,
  D3DRS_SRCBLENDALPHA = 207,
  D3DRS_DESTBLENDALPHA = 208,
  D3DRS_BLENDOPALPHA = 209,
};

enum D3DSAMPLERSTATETYPE : DWORD {
  D3DSAMP_ADDRESSU = 1,
  D3DSAMP_ADDRESSV = 2,
  D3DSAMP_ADDRESSW = 3,
  D3DSAMP_BORDERCOLOR = 4,
  D3DSAMP_MAGFILTER = 5,
  D3DSAMP_MINFILTER = 6,
  D3DSAMP_MIPFILTER = 7,
  D3DSAMP_MAXMIPLEVEL = 9,
  D3DSAMP_MAXANISOTROPY = 10,
};

// Samplers 0..15 feed the pixel shader, D3DVERTEXTEXTURESAMPLER0..3 the vertex shader.
inline constexpr DWORD D3DVERTEXTEXTURESAMPLER0 = 257;

enum D3DTEXTUREFILTERTYPE : DWORD { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2, D3DTEXF_ANISOTROPIC = 3 };
enum D3DTEXTUREADDRESS : DWORD { D3DTADDRESS_WRAP = 1, D3DTADDRESS_CLAMP = 3, D3DTADDRESS_BORDER = 4 };
enum D3DCULL : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DFILLMODE : DWORD { D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };

enum D3DBLEND : DWORD {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
};
enum D3DBLENDOP : DWORD { D3DBLENDOP_ADD = 1, D3DBLENDOP_SUBTRACT = 2, D3DBLENDOP_REVSUBTRACT = 3, D3DBLENDOP_MIN = 4, D3DBLENDOP_MAX = 5 };
enum D3DCMPFUNC : DWORD {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

inline constexpr DWORD D3DCLEAR_TARGET = 0x1;
inline constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;
inline constexpr DWORD D3DCLEAR_STENCIL = 0x4;

enum D3DPRIMITIVETYPE : DWORD { D3DPT_TRIANGLELIST = 4 };

enum D3DDECLTYPE : BYTE {
  D3DDECLTYPE_FLOAT1 = 0,
  D3DDECLTYPE_FLOAT2 = 1,
  D3DDECLTYPE_FLOAT3 = 2,
  D3DDECLTYPE_FLOAT4 = 3,
  D3DDECLTYPE_UBYTE4 = 5,
  D3DDECLTYPE_SHORT2 = 6,
  D3DDECLTYPE_SHORT4 = 7,
  D3DDECLTYPE_UBYTE4N = 8,
  D3DDECLTYPE_SHORT2N = 9,
  D3DDECLTYPE_SHORT4N = 10,
  D3DDECLTYPE_UNUSED = 17,
};
enum D3DDECLMETHOD : BYTE { D3DDECLMETHOD_DEFAULT = 0 };
enum D3DDECLUSAGE : BYTE { D3DDECLUSAGE_POSITION = 0, D3DDECLUSAGE_TEXCOORD = 5 };

struct D3DVERTEXELEMENT9 {
  WORD Stream;
  WORD Offset;
  BYTE Type;
  BYTE Method;
  BYTE Usage;
  BYTE UsageIndex;
};
inline constexpr D3DVERTEXELEMENT9 D3DDECL_END() { return {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}; }

inline constexpr UINT D3DSTREAMSOURCE_INDEXEDDATA = 1u << 30;
inline constexpr UINT D3DSTREAMSOURCE_INSTANCEDATA = 2u << 30;

enum D3DMULTISAMPLE_TYPE : DWORD { D3DMULTISAMPLE_NONE = 0 };
enum D3DSWAPEFFECT : DWORD { D3DSWAPEFFECT_DISCARD = 1 };
enum D3DBACKBUFFER_TYPE : DWORD { D3DBACKBUFFER_TYPE_MONO = 0 };

inline constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;
inline constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0;
inline constexpr UINT D3DPRESENT_INTERVAL_ONE = 1;
inline constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

struct D3DVIEWPORT9 {
  DWORD X;
  DWORD Y;
  DWORD Width;
  DWORD Height;
  float MinZ;
  float MaxZ;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
struct POINT {
  LONG x;
  LONG y;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DADAPTER_IDENTIFIER9 {
  char Driver[512];
  char Description[512];
  char DeviceName[32];
};

inline constexpr DWORD D3DPTFILTERCAPS_MINFANISOTROPIC = 0x400;
constexpr DWORD D3DVS_VERSION(DWORD major, DWORD minor) { return 0xFFFE0000u | major << 8 | minor; }
constexpr DWORD D3DPS_VERSION(DWORD major, DWORD minor) { return 0xFFFF0000u | major << 8 | minor; }

// The capabilities the engine reads.
struct D3DCAPS9 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD TextureFilterCaps;
  DWORD MaxTextureWidth;
  DWORD MaxTextureHeight;
  DWORD MaxAnisotropy;
  DWORD VertexShaderVersion;
  DWORD PixelShaderVersion;
  DWORD NumSimultaneousRTs;
};

class IUnknown {
 public:
  virtual UINT AddRef() = 0;
  virtual UINT Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

class IDirect3DResource9 : public IUnknown {};

class IDirect3DSurface9 : public IDirect3DResource9 {
 public:
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;
};

class IDirect3DBaseTexture9 : public IDirect3DResource9 {
 public:
  virtual DWORD GetLevelCount() = 0;
  virtual void GenerateMipSubLevels() = 0;
};

class IDirect3DTexture9 : public IDirect3DBaseTexture9 {
 public:
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;
};

enum D3DCUBEMAP_FACES : DWORD {
  D3DCUBEMAP_FACE_POSITIVE_X = 0,
  D3DCUBEMAP_FACE_NEGATIVE_X = 1,
  D3DCUBEMAP_FACE_POSITIVE_Y = 2,
  D3DCUBEMAP_FACE_NEGATIVE_Y = 3,
  D3DCUBEMAP_FACE_POSITIVE_Z = 4,
  D3DCUBEMAP_FACE_NEGATIVE_Z = 5,
};

class IDirect3DCubeTexture9 : public IDirect3DBaseTexture9 {
 public:
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;
};

class IDirect3DVertexBuffer9 : public IDirect3DResource9 {
 public:
  virtual HRESULT Lock(UINT offset, UINT size, void** daten, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
};

class IDirect3DIndexBuffer9 : public IDirect3DResource9 {
 public:
  virtual HRESULT Lock(UINT offset, UINT size, void** daten, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
};

class IDirect3DVertexDeclaration9 : public IUnknown {};
class IDirect3DVertexShader9 : public IUnknown {};
class IDirect3DPixelShader9 : public IUnknown {};

class IDirect3DDevice9 : public IUnknown {
 public:
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* parameter) = 0;
  virtual HRESULT Present(const RECT* quelle, const RECT* ziel, HWND fenster, const void* dirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE typ, IDirect3DSurface9** surface) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS9* caps) = 0;

  virtual HRESULT CreateTexture(UINT breite, UINT hoehe, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9** textur, HANDLE* shared) = 0;
  virtual HRESULT CreateCubeTexture(UINT kante, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DCubeTexture9** textur, HANDLE* shared) = 0;
  virtual HRESULT CreateVertexBuffer(UINT laenge, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                                     HANDLE* shared) = 0;
  virtual HRESULT CreateIndexBuffer(UINT laenge, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                                    HANDLE* shared) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            DWORD qualitaet, BOOL discard, IDirect3DSurface9** surface, HANDLE* shared) = 0;
  virtual HRESULT CreateOffscreenPlainSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DPOOL pool,
                                              IDirect3DSurface9** surface, HANDLE* shared) = 0;
  virtual HRESULT UpdateSurface(IDirect3DSurface9* quelle, const RECT* quellRechteck, IDirect3DSurface9* ziel,
                                const POINT* zielPunkt) = 0;
  virtual HRESULT GetRenderTargetData(IDirect3DSurface9* renderZiel, IDirect3DSurface9* ziel) = 0;

  virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) = 0;
  virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) = 0;

  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD anzahl, const RECT* rechtecke, DWORD flags, D3DCOLOR farbe, float z, DWORD stencil) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE zustand, DWORD wert) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE zustand, DWORD* wert) = 0;
  virtual HRESULT SetTexture(DWORD sampler, IDirect3DBaseTexture9* textur) = 0;
  virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD wert) = 0;
  virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD* wert) = 0;

  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE typ, INT basisVertex, UINT minIndex, UINT anzahlVertices,
                                       UINT startIndex, UINT anzahlPrimitive) = 0;

  virtual HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elemente, IDirect3DVertexDeclaration9** deklaration) = 0;
  virtual HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* deklaration) = 0;
  virtual HRESULT CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) = 0;
  virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
  virtual HRESULT SetVertexShaderConstantF(UINT start, const float* daten, UINT anzahl) = 0;
  virtual HRESULT GetVertexShaderConstantF(UINT start, float* daten, UINT anzahl) = 0;
  virtual HRESULT CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) = 0;
  virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;
  virtual HRESULT SetPixelShaderConstantF(UINT start, const float* daten, UINT anzahl) = 0;
  virtual HRESULT GetPixelShaderConstantF(UINT start, float* daten, UINT anzahl) = 0;
  virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) = 0;
  virtual HRESULT SetStreamSourceFreq(UINT stream, UINT einstellung) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) = 0;

  // Not part of Direct3D: test and diagnostic hooks of this layer.
  // Present answers DEVICELOST; TestCooperativeLevel answers DEVICELOST for `abfragen` calls and
  // DEVICENOTRESET afterwards, when Reset is accepted again.
  virtual void SimulateDeviceLost(UINT abfragen) = 0;
  // Bytes that default-pool objects may hold; 0 = no limit.
  virtual void SetVideoMemoryBudget(uint64_t bytes) = 0;
  // Largest main-memory allocation a creation or lock may make (level contents, lock staging,
  // system-memory surfaces, buffer contents); a larger one answers E_OUTOFMEMORY as when main
  // memory runs out. 0 = no limit.
  virtual void SetHostMemoryLimit(uint64_t bytes) = 0;
};

class IDirect3D9 : public IUnknown {
 public:
  virtual UINT GetAdapterCount() = 0;
  virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* kennung) = 0;
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE typ, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourcenTyp, D3DFORMAT format) = 0;
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE typ, D3DCAPS9* caps) = 0;
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE typ, HWND fokusFenster, DWORD verhalten,
                               D3DPRESENT_PARAMETERS* parameter, IDirect3DDevice9** geraet) = 0;
};

// The chosen back end's factory (null on failure or a wrong SDK version).
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

struct NullKonfig;
// From now on Direct3DCreate9 gives the recording back end with this script.
void WaehleNullBackend(const NullKonfig& konfig);
// From now on Direct3DCreate9 gives the OpenGL back end (the default).
void WaehleGl33Backend();

// Shader logs and GL debug output of both back ends go here (default: nowhere).
using DiagnoseSenke = std::function<void(const std::string& text)>;
void SetzeDiagnoseSenke(DiagnoseSenke senke);
void MeldeDiagnose(const std::string& text);
// The last text reported, empty before the first; a caller that explains a failure reads it.
std::string LetzteDiagnose();

// Called at the start of every Present of either back end, whatever it answers (null: nothing);
// a test clock counts frames with it.
using PresentHaken = void (*)();
void SetzePresentHaken(PresentHaken haken);
void MeldePresent();

// Size in bytes of one level of a format's image with Direct3D's pitch (DXT: 4x4 blocks).
UINT ZeilenAbstand(D3DFORMAT format, UINT breite);
UINT Zeilen(D3DFORMAT format, UINT hoehe);
uint64_t EbenenGroesse(D3DFORMAT format, UINT breite, UINT hoehe);
// Bits per pixel of an uncompressed format, 0 for unknown formats.
UINT BitsProPixel(D3DFORMAT format);

}  // namespace d3d9
