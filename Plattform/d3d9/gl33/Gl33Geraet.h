#pragma once
// The OpenGL 3.3 core device. Direct3D's states are kept as set and resolved at the draw (target
// and viewport also at Clear) against a shadow of what GL holds. Every target holds row 0 at the
// top (clip control upper-left, depth 0..1), so uploads, renders and readbacks need no flip; only
// Present blits flipped to the window. The back buffer is a framebuffer of its own.
#include <epoxy/gl.h>

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/gl33/Gl33Formate.h"
#include "Plattform/d3d9/objekt.h"
#include "Plattform/d3d9/shadercode.h"

struct GLFWwindow;

namespace d3d9::gl33 {

// The window whose context the device draws into; shared with the objects, which call GL only
// while that context is current (after the window is gone, Release frees main memory only).
struct Fenster {
  GLFWwindow* fenster = nullptr;
  bool Aktuell() const;
};

class TexturKern;
class Flaeche;

// Framebuffers by their attachments (colour 0 to 3, depth); an entry goes with any member.
using FboCache = std::map<std::array<Flaeche*, 5>, GLuint>;

class Flaeche final : public IDirect3DSurface9, public Objekt {
 public:
  enum class Art { Renderbuffer, Ebene, System };
  Flaeche(std::shared_ptr<Konto> konto, std::shared_ptr<Fenster> fenster, Art art, D3DPOOL pool, uint64_t kosten,
          std::string name, D3DFORMAT format, UINT breite, UINT hoehe, DWORD usage);
  ~Flaeche() override;
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  UINT Abstand() const { return ZeilenAbstand(format, breite); }
  // Attaches the surface to the bound draw framebuffer.
  void Haenge(GLenum anschluss) const;
  // Reads the surface into `ziel` (Direct3D's pitch) through the read framebuffer `lesen`.
  void LiesPixel(GLuint lesen, uint8_t* ziel) const;
  void LadeHoch(const uint8_t* daten) const;
  // The top-left w x h of the level from data at Direct3D's pitch for width w.
  void LadeHoch(const uint8_t* daten, UINT w, UINT h) const;
  void LadeBereichHoch(const RECT& bereich) const;
  RECT Blockweise(const RECT& bereich) const;
  void SchreibeRenderbuffer() const;

  std::shared_ptr<Fenster> fenster;
  Art artDerFlaeche;
  D3DFORMAT format;
  UINT breite, hoehe;
  DWORD usage;
  GLuint renderbuffer = 0;
  TexturKern* textur = nullptr;  // for levels
  GLenum ziel = 0;               // GL_TEXTURE_2D or a cube face
  UINT level = 0;
  std::vector<uint8_t> speicher;  // lock memory; the contents of system-memory surfaces
  bool gesperrt = false;
  bool nurLesen = false;
  RECT gesperrterBereich{};  // of the current lock, in whole blocks
  GLuint* lesePuffer = nullptr;  // the device's read framebuffer, for back-buffer locks
  std::shared_ptr<FboCache> fbos;  // the device's framebuffers, for surfaces that can be attached
};

// What 2D and cube textures share: the GL texture, its levels and the mip regeneration.
class TexturKern {
 public:
  GLuint name = 0;
  GLenum ziel = GL_TEXTURE_2D;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  UINT levels = 1;
  bool autoMip = false;
  bool mipsVeraltet = false;
  std::vector<std::unique_ptr<Flaeche>> ebenen;  // face * levels + level
  std::shared_ptr<Fenster> fenster;

  void ErneuereMips();
  void GibFrei();
};

class Textur final : public IDirect3DTexture9, public Objekt, public TexturKern {
 public:
  Textur(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, std::string name)
      : Objekt(std::move(konto), pool, kosten, std::move(name)) {}
  ~Textur() override { GibFrei(); }
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  DWORD GetLevelCount() override { return autoMip ? 1 : levels; }
  void GenerateMipSubLevels() override { ErneuereMips(); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  Flaeche* Ebene(UINT level) { return level < GetLevelCount() ? ebenen[level].get() : nullptr; }
};

class WuerfelTextur final : public IDirect3DCubeTexture9, public Objekt, public TexturKern {
 public:
  WuerfelTextur(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, std::string name)
      : Objekt(std::move(konto), pool, kosten, std::move(name)) {}
  ~WuerfelTextur() override { GibFrei(); }
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  DWORD GetLevelCount() override { return autoMip ? 1 : levels; }
  void GenerateMipSubLevels() override { ErneuereMips(); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;
  Flaeche* Ebene(UINT face, UINT level) { return face < 6 && level < GetLevelCount() ? ebenen[face * levels + level].get() : nullptr; }
};

// Why a buffer could not be mapped: E_OUTOFMEMORY when memory for the mapping ran out.
inline HRESULT AbbildungsFehler() {
  bool ohneSpeicher = false;
  for (GLenum fehler = glGetError(); fehler != GL_NO_ERROR; fehler = glGetError()) ohneSpeicher |= fehler == GL_OUT_OF_MEMORY;
  return ohneSpeicher ? E_OUTOFMEMORY : D3DERR_INVALIDCALL;
}

template <class Schnittstelle>
class Puffer final : public Schnittstelle, public Objekt {
 public:
  Puffer(std::shared_ptr<Konto> konto, std::shared_ptr<Fenster> fenster, D3DPOOL pool, UINT laenge, std::string name)
      : Objekt(std::move(konto), pool, 0, std::move(name)), fenster(std::move(fenster)), laenge(laenge) {}
  ~Puffer() override {
    if (name && fenster->Aktuell()) glDeleteBuffers(1, &name);
  }
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  HRESULT Lock(UINT offset, UINT groesse, void** daten, DWORD flags) override {
    if (daten == nullptr || gesperrt || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
    if (groesse == 0) groesse = offset < laenge ? laenge - offset : 0;
    if (groesse == 0 || uint64_t(offset) + groesse > laenge) return D3DERR_INVALIDCALL;
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    GLbitfield zugriff = GL_MAP_WRITE_BIT;
    if (flags & D3DLOCK_DISCARD) zugriff |= GL_MAP_INVALIDATE_BUFFER_BIT;
    if (flags & D3DLOCK_NOOVERWRITE) zugriff |= GL_MAP_UNSYNCHRONIZED_BIT;
    *daten = glMapBufferRange(GL_COPY_WRITE_BUFFER, offset, groesse, zugriff);
    if (*daten == nullptr) return AbbildungsFehler();
    gesperrt = true;
    return D3D_OK;
  }
  HRESULT Unlock() override {
    if (!gesperrt || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    gesperrt = false;
    return D3D_OK;
  }
  std::shared_ptr<Fenster> fenster;
  GLuint name = 0;
  UINT laenge;
  D3DFORMAT indexFormat = D3DFMT_UNKNOWN;
  bool gesperrt = false;
  bool nurLesen = false;
  RECT gesperrterBereich{};  // of the current lock, in whole blocks
};
using VertexPuffer = Puffer<IDirect3DVertexBuffer9>;
using IndexPuffer = Puffer<IDirect3DIndexBuffer9>;

class Deklaration final : public IDirect3DVertexDeclaration9, public Objekt {
 public:
  Deklaration(std::shared_ptr<Konto> konto, std::vector<D3DVERTEXELEMENT9> elemente)
      : Objekt(std::move(konto), D3DPOOL_MANAGED, 0, "vertex declaration"), elemente(std::move(elemente)) {}
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  std::vector<D3DVERTEXELEMENT9> elemente;
};

class Geraet;

// A compiled stage; releasing it deletes the programs linked with it.
class ShaderObjekt : public Objekt {
 public:
  ShaderObjekt(std::shared_ptr<Konto> konto, std::shared_ptr<Fenster> fenster, ShaderCode code, GLuint name, std::string art);
  ~ShaderObjekt() override;
  std::shared_ptr<Fenster> fenster;
  ShaderCode code;
  GLuint name;
  std::shared_ptr<std::map<std::pair<ShaderObjekt*, ShaderObjekt*>, GLuint>> programme;
};

template <class Schnittstelle>
class Shader final : public Schnittstelle, public ShaderObjekt {
 public:
  using ShaderObjekt::ShaderObjekt;
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
};


class Geraet final : public IDirect3DDevice9 {
 public:
  static constexpr UINT VERTEX_REGISTER = 256;
  static constexpr UINT PIXEL_REGISTER = 224;
  static constexpr UINT SAMPLER = 20;
  static constexpr UINT STREAMS = 16;
  static constexpr GLuint PROGRAMM_FEHLT = ~GLuint(0);

  Geraet(std::shared_ptr<Fenster> fenster, const D3DPRESENT_PARAMETERS& parameter, D3DFORMAT tiefenFormat, UINT renderZiele);
  // False when the back buffer could not be built (the device is then released).
  bool Bereit() const { return rueckpuffer != nullptr; }

  UINT AddRef() override { return ++ref; }
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
  void SetVideoMemoryBudget(uint64_t bytes) override { konto->budget = bytes; }
  void SetHostMemoryLimit(uint64_t bytes) override { konto->hostGrenze = bytes; }

 private:
  ~Geraet() override;
  struct RegisterDatei {
    std::vector<float> werte;
    UINT tief = ~0u, hoch = 0;
    GLuint ubo = 0;
  };
  // What GL holds, so that no call repeats a value in force.
  struct Schatten {
    std::array<uint32_t, 12> blend{};
    std::array<uint32_t, 6> raster{};
    D3DVIEWPORT9 viewport{};
    bool gueltig = false;
    std::array<std::pair<GLenum, GLuint>, SAMPLER> texturen{};
    GLuint programm = 0;
    UINT instanzen = 0;
  };

  // What a 2D (one face) or cube (six faces) texture is made of.
  struct TexturArt {
    GLenum ziel;
    UINT seiten, breite, hoehe, levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
  };
  template <class T>
  T* TexturHuelle(const TexturArt& art, std::string name);
  HRESULT LegeTexturAn(TexturKern& kern, const TexturArt& art);
  bool BaueRueckpuffer();
  void GibRueckpufferFrei();
  void SetzeVorgaben();
  void LoeseBindungen();
  void ViewportAuf(const Flaeche* ziel);
  void SchreibeGeraeteBlock();
  void LoeseZieleAuf();
  void MarkiereZielMips();
  GLuint BaueFbo(const FboCache::key_type& schluessel);
  void LoeseViewportAuf();
  void LoeseBlendUndTiefeAuf();
  void LoeseSamplerAuf();
  void SendeFilter(GLuint samplerObjekt, std::map<DWORD, DWORD>& zustaende);
  HRESULT LoeseProgrammAuf();
  void LoeseTexturenAuf();
  HRESULT LoeseEingabenAuf(UINT instanzen);
  void LadeRegister(RegisterDatei& datei);
  HRESULT SetzeRegister(RegisterDatei& datei, UINT grenze, UINT start, const float* daten, UINT anzahl);
  HRESULT PruefeSpeicher(GLuint name, void (*loesche)(GLsizei, const GLuint*));
  bool Verloren() const { return verloren || resetGescheitert; }
  UINT Instanzen() const;
  template <class Art, class Schnittstelle>
  HRESULT ErzeugeShader(const DWORD* code, ShaderStufe stufe, Schnittstelle** shader);

  std::shared_ptr<Fenster> fenster;
  std::shared_ptr<Konto> konto = std::make_shared<Konto>();
  UINT ref = 1;
  D3DPRESENT_PARAMETERS parameter;
  D3DFORMAT tiefenFormat;
  UINT renderZielAnzahl;
  Flaeche* rueckpuffer = nullptr;
  Flaeche* eigeneTiefe = nullptr;

  std::map<DWORD, DWORD> renderStates;
  std::array<std::map<DWORD, DWORD>, SAMPLER> samplerStates;
  std::array<std::map<DWORD, DWORD>, SAMPLER> samplerAngewendet;  // what each sampler object holds
  std::array<bool, SAMPLER> samplerVeraendert{};
  std::array<Objekt*, SAMPLER> texturen{};
  std::array<Objekt*, 4> renderZiele{};
  std::array<Objekt*, STREAMS> streams{};
  std::array<UINT, STREAMS> streamOffset{}, streamStride{}, streamFrequenz{};
  Objekt* tiefe = nullptr;
  Objekt* indizes = nullptr;
  Objekt* deklaration = nullptr;
  Objekt* vertexShader = nullptr;
  Objekt* pixelShader = nullptr;
  D3DVIEWPORT9 viewport{};
  RegisterDatei vertexRegister, pixelRegister;
  GLuint geraeteBlock = 0;
  bool inSzene = false;
  bool zieleVeraendert = true;
  bool eingabenVeraendert = true;
  bool verloren = false;
  UINT verlorenAbfragen = 0;
  bool resetGescheitert = false;

  GLuint rueckFbo = 0, leseFbo = 0, vao = 0;
  std::shared_ptr<FboCache> fbos = std::make_shared<FboCache>();
  std::array<GLuint, SAMPLER> samplerObjekte{};
  std::shared_ptr<std::map<std::pair<ShaderObjekt*, ShaderObjekt*>, GLuint>> programme =
      std::make_shared<std::map<std::pair<ShaderObjekt*, ShaderObjekt*>, GLuint>>();
  Schatten schatten;
};

}  // namespace d3d9::gl33
