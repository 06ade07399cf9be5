#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstring>

#include "Plattform/d3d9/gl33/Gl33Geraet.h"

namespace d3d9::gl33 {

bool Fenster::Aktuell() const { return fenster != nullptr && glfwGetCurrentContext() == fenster; }

Flaeche::Flaeche(std::shared_ptr<Konto> konto, std::shared_ptr<Fenster> fenster, Art art, D3DPOOL pool, uint64_t kosten,
                 std::string name, D3DFORMAT format, UINT breite, UINT hoehe, DWORD usage)
    : Objekt(std::move(konto), pool, kosten, std::move(name)),
      fenster(std::move(fenster)),
      artDerFlaeche(art),
      format(format),
      breite(breite),
      hoehe(hoehe),
      usage(usage) {
  if (art == Art::System) BelegeHostSpeicher(*Objekt::konto, speicher, EbenenGroesse(format, breite, hoehe));
}

Flaeche::~Flaeche() {
  const bool aktuell = fenster->Aktuell();
  if (fbos) {
    for (auto it = fbos->begin(); it != fbos->end();) {
      if (std::find(it->first.begin(), it->first.end(), this) == it->first.end()) {
        ++it;
        continue;
      }
      if (aktuell) glDeleteFramebuffers(1, &it->second);
      it = fbos->erase(it);
    }
  }
  if (renderbuffer && aktuell) glDeleteRenderbuffers(1, &renderbuffer);
}

HRESULT Flaeche::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, breite, hoehe};
  return D3D_OK;
}

void Flaeche::Haenge(GLenum anschluss) const {
  if (artDerFlaeche == Art::Ebene) glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, anschluss, ziel, textur->name, GLint(level));
  else glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, anschluss, GL_RENDERBUFFER, renderbuffer);
}

void Flaeche::LiesPixel(GLuint lesen, uint8_t* zielSpeicher) const {
  const GlFormat f = TexturFormat(format, (usage & D3DUSAGE_RENDERTARGET) != 0);
  // An A8 target is stored as RGBA8: read four bytes a pixel and keep the alpha byte.
  std::vector<uint8_t> bgra;
  if (format == D3DFMT_A8) BelegeHostSpeicher(*konto, bgra, uint64_t(breite) * hoehe * 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, lesen);
  if (artDerFlaeche == Art::Ebene) glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, ziel, textur->name, GLint(level));
  else glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (format != D3DFMT_A8) {
    glReadPixels(0, 0, GLsizei(breite), GLsizei(hoehe), f.format, f.typ, zielSpeicher);
    return;
  }
  glReadPixels(0, 0, GLsizei(breite), GLsizei(hoehe), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bgra.data());
  for (size_t i = 0; i < size_t(breite) * hoehe; ++i) zielSpeicher[i] = bgra[4 * i + 3];
}

void Flaeche::LadeHoch(const uint8_t* daten) const { LadeHoch(daten, breite, hoehe); }

void Flaeche::LadeHoch(const uint8_t* daten, UINT w, UINT h) const {
  const GlFormat f = TexturFormat(format, (usage & D3DUSAGE_RENDERTARGET) != 0);
  glActiveTexture(ARBEITS_EINHEIT);
  glBindTexture(textur->ziel, textur->name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  if (f.komprimiert)
    glCompressedTexSubImage2D(ziel, GLint(level), 0, 0, GLsizei(w), GLsizei(h), f.intern, GLsizei(EbenenGroesse(format, w, h)), daten);
  else
    glTexSubImage2D(ziel, GLint(level), 0, 0, GLsizei(w), GLsizei(h), f.format, f.typ, daten);
  if (level == 0 && textur->autoMip) textur->mipsVeraltet = true;
}

HRESULT Flaeche::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (locked == nullptr || gesperrt) return D3DERR_INVALIDCALL;
  if (rect && (rect->left < 0 || rect->top < 0 || rect->right > LONG(breite) || rect->bottom > LONG(hoehe) || rect->left >= rect->right ||
               rect->top >= rect->bottom))
    return D3DERR_INVALIDCALL;
  if (artDerFlaeche != Art::System) {
    if (!fenster->Aktuell()) return D3DERR_INVALIDCALL;
    // The back buffer and render targets are read back; other levels give staging memory.
    const HRESULT hr = OhneSpeichermangel([&] {
      BelegeHostSpeicher(*konto, speicher, EbenenGroesse(format, breite, hoehe));
      if ((usage & D3DUSAGE_RENDERTARGET) && lesePuffer) LiesPixel(*lesePuffer, speicher.data());
      return D3D_OK;
    });
    if (FAILED(hr)) return hr;
  }
  nurLesen = (flags & D3DLOCK_READONLY) != 0;
  gesperrterBereich = rect ? Blockweise(*rect) : RECT{0, 0, LONG(breite), LONG(hoehe)};
  const size_t versatz = size_t(Zeilen(format, UINT(gesperrterBereich.top))) * Abstand() + ZeilenAbstand(format, UINT(gesperrterBereich.left));
  locked->Pitch = INT(Abstand());
  locked->pBits = speicher.data() + versatz;
  gesperrt = true;
  return D3D_OK;
}

HRESULT Flaeche::UnlockRect() {
  if (!gesperrt) return D3DERR_INVALIDCALL;
  gesperrt = false;
  if (nurLesen || !fenster->Aktuell()) return D3D_OK;
  return OhneSpeichermangel([&] {
    if (artDerFlaeche == Art::Ebene) LadeBereichHoch(gesperrterBereich);
    else if (artDerFlaeche == Art::Renderbuffer && lesePuffer) SchreibeRenderbuffer();
    return D3D_OK;
  });
}

// The staging memory back into a colour renderbuffer (the back buffer): through a scratch texture
// blitted 1:1 (both hold row 0 first). The GL bindings and the scissor test are restored.
void Flaeche::SchreibeRenderbuffer() const {
  const bool klein = format == D3DFMT_R5G6B5;
  GLint lesen = 0, zeichnen = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &lesen);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &zeichnen);
  const GLboolean schere = glIsEnabled(GL_SCISSOR_TEST);
  GLuint textur = 0, fbos[2] = {};
  glActiveTexture(ARBEITS_EINHEIT);
  glGenTextures(1, &textur);
  glBindTexture(GL_TEXTURE_2D, textur);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, klein ? GL_RGB565 : GL_RGBA8, GLsizei(breite), GLsizei(hoehe), 0, klein ? GL_RGB : GL_BGRA,
               klein ? GL_UNSIGNED_SHORT_5_6_5 : GL_UNSIGNED_INT_8_8_8_8_REV, speicher.data());
  glGenFramebuffers(2, fbos);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbos[0]);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textur, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbos[1]);
  glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
  glDisable(GL_SCISSOR_TEST);
  glBlitFramebuffer(0, 0, GLint(breite), GLint(hoehe), 0, 0, GLint(breite), GLint(hoehe), GL_COLOR_BUFFER_BIT, GL_NEAREST);
  if (schere) glEnable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(lesen));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(zeichnen));
  glDeleteFramebuffers(2, fbos);
  glDeleteTextures(1, &textur);
}

// DXT rectangles widen to whole 4 x 4 blocks (clamped to the level).
RECT Flaeche::Blockweise(const RECT& r) const {
  if (!TexturFormat(format, false).komprimiert) return r;
  const LONG block = ~LONG(3);
  return {r.left & block, r.top & block, std::min(LONG(breite), (r.right + 3) & block), std::min(LONG(hoehe), (r.bottom + 3) & block)};
}

// The rectangle of the staging memory into the level; the rest of the level is kept.
void Flaeche::LadeBereichHoch(const RECT& r) const {
  const UINT x = UINT(r.left), y = UINT(r.top), w = UINT(r.right - r.left), h = UINT(r.bottom - r.top);
  const uint8_t* anfang = speicher.data() + size_t(Zeilen(format, y)) * Abstand() + ZeilenAbstand(format, x);
  const GlFormat f = TexturFormat(format, (usage & D3DUSAGE_RENDERTARGET) != 0);
  glActiveTexture(ARBEITS_EINHEIT);
  glBindTexture(textur->ziel, textur->name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (format == D3DFMT_A8 && (usage & D3DUSAGE_RENDERTARGET)) {
    // Stored as RGBA8 with the value in A.
    std::vector<uint8_t> bgra;
    BelegeHostSpeicher(*konto, bgra, uint64_t(w) * h * 4);
    for (UINT i = 0; i < h; ++i)
      for (UINT j = 0; j < w; ++j) bgra[4 * (size_t(i) * w + j) + 3] = anfang[size_t(i) * Abstand() + j];
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(ziel, GLint(level), GLint(x), GLint(y), GLsizei(w), GLsizei(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bgra.data());
  } else if (f.komprimiert) {
    // Block rows of the rectangle, packed.
    const UINT zeile = ZeilenAbstand(format, w), zeilen = Zeilen(format, h);
    std::vector<uint8_t> dicht;
    BelegeHostSpeicher(*konto, dicht, uint64_t(zeile) * zeilen);
    for (UINT i = 0; i < zeilen; ++i) std::memcpy(dicht.data() + size_t(i) * zeile, anfang + size_t(i) * Abstand(), zeile);
    glCompressedTexSubImage2D(ziel, GLint(level), GLint(x), GLint(y), GLsizei(w), GLsizei(h), f.intern, GLsizei(dicht.size()), dicht.data());
  } else {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(breite));
    glTexSubImage2D(ziel, GLint(level), GLint(x), GLint(y), GLsizei(w), GLsizei(h), f.format, f.typ, anfang);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  }
  if (level == 0 && textur->autoMip) textur->mipsVeraltet = true;
}

void TexturKern::ErneuereMips() {
  if (!autoMip || !fenster->Aktuell()) return;
  glActiveTexture(ARBEITS_EINHEIT);
  glBindTexture(ziel, name);
  glGenerateMipmap(ziel);
  mipsVeraltet = false;
}

void TexturKern::GibFrei() {
  ebenen.clear();
  if (name && fenster->Aktuell()) glDeleteTextures(1, &name);
  name = 0;
}

HRESULT Textur::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Flaeche* e = Ebene(level);
  return e ? e->GetDesc(desc) : D3DERR_INVALIDCALL;
}

HRESULT Textur::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  Flaeche* e = Ebene(level);
  if (e == nullptr || surface == nullptr) return D3DERR_INVALIDCALL;
  e->AddRef();
  *surface = e;
  return D3D_OK;
}

HRESULT Textur::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  Flaeche* e = Ebene(level);
  return e ? e->LockRect(locked, rect, flags) : D3DERR_INVALIDCALL;
}

HRESULT Textur::UnlockRect(UINT level) {
  Flaeche* e = Ebene(level);
  return e ? e->UnlockRect() : D3DERR_INVALIDCALL;
}

HRESULT WuerfelTextur::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Flaeche* e = Ebene(0, level);
  return e ? e->GetDesc(desc) : D3DERR_INVALIDCALL;
}

HRESULT WuerfelTextur::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) {
  Flaeche* e = Ebene(face, level);
  if (e == nullptr || surface == nullptr) return D3DERR_INVALIDCALL;
  e->AddRef();
  *surface = e;
  return D3D_OK;
}

HRESULT WuerfelTextur::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  Flaeche* e = Ebene(face, level);
  return e ? e->LockRect(locked, rect, flags) : D3DERR_INVALIDCALL;
}

HRESULT WuerfelTextur::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
  Flaeche* e = Ebene(face, level);
  return e ? e->UnlockRect() : D3DERR_INVALIDCALL;
}

ShaderObjekt::ShaderObjekt(std::shared_ptr<Konto> konto, std::shared_ptr<Fenster> fenster, ShaderCode code, GLuint name, std::string art)
    : Objekt(std::move(konto), D3DPOOL_MANAGED, 0, std::move(art)), fenster(std::move(fenster)), code(std::move(code)), name(name) {}

ShaderObjekt::~ShaderObjekt() {
  const bool aktuell = fenster->Aktuell();
  if (programme) {
    for (auto it = programme->begin(); it != programme->end();) {
      if (it->first.first != this && it->first.second != this) {
        ++it;
        continue;
      }
      if (aktuell && it->second != Geraet::PROGRAMM_FEHLT) glDeleteProgram(it->second);
      it = programme->erase(it);
    }
  }
  if (aktuell) glDeleteShader(name);
}

}  // namespace d3d9::gl33
