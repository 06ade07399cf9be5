#pragma once
// The recording device's resources: textures, cube textures, buffers, declarations, shaders.
#include <memory>
#include <vector>

#include "Plattform/d3d9/null/NullGeraet.h"

namespace d3d9::null {

class Textur final : public IDirect3DTexture9, public Objekt {
 public:
  Textur(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, UINT breite, UINT hoehe, UINT levels, DWORD usage,
         D3DFORMAT format);
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  DWORD GetLevelCount() override;
  void GenerateMipSubLevels() override { ++mipErzeugungen; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  Oberflaeche* Ebene(UINT level);
  DWORD usage;
  int mipErzeugungen = 0;  // GenerateMipSubLevels calls
  std::vector<std::unique_ptr<Oberflaeche>> ebenen;
};

class WuerfelTextur final : public IDirect3DCubeTexture9, public Objekt {
 public:
  WuerfelTextur(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, UINT kante, UINT levels, DWORD usage,
                D3DFORMAT format);
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  DWORD GetLevelCount() override;
  void GenerateMipSubLevels() override { ++mipErzeugungen; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;

  Oberflaeche* Ebene(UINT face, UINT level);
  DWORD usage;
  int mipErzeugungen = 0;
  UINT levels;
  std::vector<std::unique_ptr<Oberflaeche>> ebenen;  // face * levels + level
};

// Vertex and index buffers: plain memory behind Lock.
template <class Schnittstelle>
class Puffer final : public Schnittstelle, public Objekt {
 public:
  Puffer(std::shared_ptr<Konto> konto, D3DPOOL pool, UINT laenge, DWORD usage, std::string art)
      : Objekt(std::move(konto), pool, 0, std::move(art)), usage(usage) {
    BelegeHostSpeicher(*Objekt::konto, bytes, laenge);
  }
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  HRESULT Lock(UINT offset, UINT groesse, void** daten, DWORD flags) override {
    if (daten == nullptr || gesperrt) return D3DERR_INVALIDCALL;
    ++sperren;
    letzteSperrFlags = flags;
    if (groesse == 0) groesse = UINT(bytes.size()) - std::min<UINT>(offset, UINT(bytes.size()));
    if (uint64_t(offset) + groesse > bytes.size()) return D3DERR_INVALIDCALL;
    *daten = bytes.data() + offset;
    gesperrt = true;
    return D3D_OK;
  }
  HRESULT Unlock() override {
    if (!gesperrt) return D3DERR_INVALIDCALL;
    gesperrt = false;
    return D3D_OK;
  }

  DWORD usage;
  std::vector<uint8_t> bytes;
  bool gesperrt = false;
  int sperren = 0;
  DWORD letzteSperrFlags = 0;
};
using VertexPuffer = Puffer<IDirect3DVertexBuffer9>;
using IndexPuffer = Puffer<IDirect3DIndexBuffer9>;

class Deklaration final : public IDirect3DVertexDeclaration9, public Objekt {
 public:
  Deklaration(std::shared_ptr<Konto> konto, std::vector<D3DVERTEXELEMENT9> elemente)
      : Objekt(std::move(konto), D3DPOOL_MANAGED, 0, "vertex declaration"), elemente(std::move(elemente)) {}
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  std::vector<D3DVERTEXELEMENT9> elemente;  // without the end marker
};

// Reads a declaration up to its end marker; INVALIDCALL for usages other than POSITION and
// TEXCOORD, two elements at one attribute location, unknown types or more than 16 elements.
HRESULT PruefeDeklaration(const D3DVERTEXELEMENT9* elemente, std::vector<D3DVERTEXELEMENT9>& aus, std::string& fehler);

template <class Schnittstelle>
class Shader final : public Schnittstelle, public Objekt {
 public:
  Shader(std::shared_ptr<Konto> konto, ShaderCode code, std::string art)
      : Objekt(std::move(konto), D3DPOOL_MANAGED, 0, std::move(art)), code(std::move(code)) {}
  UINT AddRef() override { return MehrRef(); }
  UINT Release() override { return WenigerRef(); }
  ShaderCode code;
};
using VertexShader = Shader<IDirect3DVertexShader9>;
using PixelShader = Shader<IDirect3DPixelShader9>;

}  // namespace d3d9::null
