#include "Plattform/d3d9/null/NullObjekte.h"

#include <algorithm>
#include <cstring>

namespace d3d9::null {

Oberflaeche::Oberflaeche(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, std::string art, D3DFORMAT format,
                         UINT breite, UINT hoehe, DWORD usage, D3DRESOURCETYPE typ)
    : Objekt(std::move(konto), pool, kosten, std::move(art)),
      format(format),
      breite(breite),
      hoehe(hoehe),
      usage(usage),
      typ(typ) {
  BelegeHostSpeicher(*Objekt::konto, bytes, EbenenGroesse(format, breite, hoehe));
}

HRESULT Oberflaeche::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, breite, hoehe};
  return D3D_OK;
}

HRESULT Oberflaeche::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (locked == nullptr || gesperrt || bytes.empty()) return D3DERR_INVALIDCALL;
  ++sperren;
  letzteSperrFlags = flags;
  letzteSperreGanz = rect == nullptr;
  if (rect) letztesRechteck = *rect;
  size_t versatz = 0;
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->right > LONG(breite) || rect->bottom > LONG(hoehe) ||
        rect->left >= rect->right || rect->top >= rect->bottom)
      return D3DERR_INVALIDCALL;
    versatz = size_t(Zeilen(format, UINT(rect->top))) * Abstand() + ZeilenAbstand(format, UINT(rect->left));
  }
  locked->Pitch = INT(Abstand());
  locked->pBits = bytes.data() + versatz;
  gesperrt = true;
  return D3D_OK;
}

HRESULT Oberflaeche::UnlockRect() {
  if (!gesperrt) return D3DERR_INVALIDCALL;
  gesperrt = false;
  return D3D_OK;
}

bool Oberflaeche::Fuelle(const D3DVIEWPORT9& bereich, D3DCOLOR farbe) {
  const UINT bpp = BitsProPixel(format);
  const bool farbFormat = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5;
  if (!farbFormat) return false;
  if (format == D3DFMT_X8R8G8B8) farbe |= 0xFF000000u;
  const uint16_t farbe16 = uint16_t((farbe >> 8 & 0xF800) | (farbe >> 5 & 0x07E0) | (farbe >> 3 & 0x001F));
  const UINT x1 = std::min(breite, bereich.X + bereich.Width), y1 = std::min(hoehe, bereich.Y + bereich.Height);
  for (UINT y = bereich.Y; y < y1; ++y) {
    uint8_t* zeile = bytes.data() + size_t(y) * Abstand();
    for (UINT x = bereich.X; x < x1; ++x) {
      if (bpp == 32) std::memcpy(zeile + 4 * x, &farbe, 4);
      else std::memcpy(zeile + 2 * x, &farbe16, 2);
    }
  }
  return true;
}

namespace {
std::unique_ptr<Oberflaeche> NeueEbene(Objekt* behaelter, D3DFORMAT format, UINT breite, UINT hoehe, DWORD usage,
                                       D3DRESOURCETYPE typ) {
  auto ebene = std::make_unique<Oberflaeche>(behaelter->konto, behaelter->pool, 0, "level surface", format,
                                             std::max(1u, breite), std::max(1u, hoehe), usage, typ);
  ebene->behaelter = behaelter;
  return ebene;
}
}  // namespace

Textur::Textur(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, UINT breite, UINT hoehe, UINT levels,
               DWORD usage, D3DFORMAT format)
    : Objekt(std::move(konto), pool, kosten, "texture " + std::to_string(breite) + "x" + std::to_string(hoehe)), usage(usage) {
  for (UINT l = 0; l < levels; ++l) ebenen.push_back(NeueEbene(this, format, breite >> l, hoehe >> l, usage, D3DRTYPE_TEXTURE));
}

DWORD Textur::GetLevelCount() { return usage & D3DUSAGE_AUTOGENMIPMAP ? 1 : DWORD(ebenen.size()); }

Oberflaeche* Textur::Ebene(UINT level) { return level < GetLevelCount() ? ebenen[level].get() : nullptr; }

HRESULT Textur::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Oberflaeche* ebene = Ebene(level);
  return ebene ? ebene->GetDesc(desc) : D3DERR_INVALIDCALL;
}

HRESULT Textur::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  Oberflaeche* ebene = Ebene(level);
  if (ebene == nullptr || surface == nullptr) return D3DERR_INVALIDCALL;
  ebene->AddRef();
  *surface = ebene;
  return D3D_OK;
}

HRESULT Textur::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  Oberflaeche* ebene = Ebene(level);
  return ebene ? ebene->LockRect(locked, rect, flags) : D3DERR_INVALIDCALL;
}

HRESULT Textur::UnlockRect(UINT level) {
  Oberflaeche* ebene = Ebene(level);
  return ebene ? ebene->UnlockRect() : D3DERR_INVALIDCALL;
}

WuerfelTextur::WuerfelTextur(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, UINT kante, UINT levels,
                             DWORD usage, D3DFORMAT format)
    : Objekt(std::move(konto), pool, kosten, "cube texture " + std::to_string(kante)), usage(usage), levels(levels) {
  for (UINT f = 0; f < 6; ++f)
    for (UINT l = 0; l < levels; ++l) ebenen.push_back(NeueEbene(this, format, kante >> l, kante >> l, usage, D3DRTYPE_CUBETEXTURE));
}

DWORD WuerfelTextur::GetLevelCount() { return usage & D3DUSAGE_AUTOGENMIPMAP ? 1 : levels; }

Oberflaeche* WuerfelTextur::Ebene(UINT face, UINT level) {
  return face < 6 && level < GetLevelCount() ? ebenen[size_t(face) * levels + level].get() : nullptr;
}

HRESULT WuerfelTextur::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Oberflaeche* ebene = Ebene(0, level);
  return ebene ? ebene->GetDesc(desc) : D3DERR_INVALIDCALL;
}

HRESULT WuerfelTextur::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) {
  Oberflaeche* ebene = Ebene(face, level);
  if (ebene == nullptr || surface == nullptr) return D3DERR_INVALIDCALL;
  ebene->AddRef();
  *surface = ebene;
  return D3D_OK;
}

HRESULT WuerfelTextur::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  Oberflaeche* ebene = Ebene(face, level);
  return ebene ? ebene->LockRect(locked, rect, flags) : D3DERR_INVALIDCALL;
}

HRESULT WuerfelTextur::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
  Oberflaeche* ebene = Ebene(face, level);
  return ebene ? ebene->UnlockRect() : D3DERR_INVALIDCALL;
}

namespace {
bool BekannterTyp(BYTE typ) {
  switch (typ) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4:
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_UBYTE4N:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT4:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_SHORT4N: return true;
    default: return false;
  }
}
}  // namespace

HRESULT PruefeDeklaration(const D3DVERTEXELEMENT9* elemente, std::vector<D3DVERTEXELEMENT9>& aus, std::string& fehler) {
  if (elemente == nullptr) {
    fehler = "no elements";
    return D3DERR_INVALIDCALL;
  }
  uint32_t belegt = 0;
  for (size_t i = 0; elemente[i].Stream != 0xFF; ++i) {
    const D3DVERTEXELEMENT9& e = elemente[i];
    if (i >= ShaderCode::MAX_ATTRIBUTE) fehler = "more than 16 elements";
    else if (!BekannterTyp(e.Type)) fehler = "unknown element type";
    else if (AttributOrt(e.Usage, e.UsageIndex) < 0) fehler = "element usage without an attribute location";
    else if (belegt & (1u << AttributOrt(e.Usage, e.UsageIndex))) fehler = "two elements at one attribute location";
    if (!fehler.empty()) return D3DERR_INVALIDCALL;
    belegt |= 1u << AttributOrt(e.Usage, e.UsageIndex);
    aus.push_back(e);
  }
  return D3D_OK;
}

}  // namespace d3d9::null
