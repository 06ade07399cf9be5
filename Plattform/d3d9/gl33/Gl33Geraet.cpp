#include "Plattform/d3d9/gl33/Gl33Geraet.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Plattform/d3d9/null/NullObjekte.h"

namespace d3d9::gl33 {

namespace {

Objekt* AlsObjekt(IUnknown* s) { return s ? dynamic_cast<Objekt*>(s) : nullptr; }
Flaeche* AlsFlaeche(Objekt* o) { return static_cast<Flaeche*>(o); }

GLenum BlendFaktor(DWORD d) {
  switch (d) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum BlendOp(DWORD d) {
  switch (d) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum Vergleich(DWORD d) { return d >= D3DCMP_NEVER && d <= D3DCMP_ALWAYS ? GL_NEVER + (d - 1) : GL_ALWAYS; }

GLenum Adresse(DWORD d) {
  switch (d) {
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
  }
}

GLenum MinFilter(DWORD min, DWORD mip) {
  const bool linear = min != D3DTEXF_POINT;
  if (mip == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
  if (mip == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

struct AttributTyp {
  GLint anzahl;
  GLenum typ;
  GLboolean normiert;
};
AttributTyp Attribut(BYTE typ) {
  switch (typ) {
    case D3DDECLTYPE_FLOAT1: return {1, GL_FLOAT, GL_FALSE};
    case D3DDECLTYPE_FLOAT2: return {2, GL_FLOAT, GL_FALSE};
    case D3DDECLTYPE_FLOAT3: return {3, GL_FLOAT, GL_FALSE};
    case D3DDECLTYPE_UBYTE4: return {4, GL_UNSIGNED_BYTE, GL_FALSE};
    case D3DDECLTYPE_UBYTE4N: return {4, GL_UNSIGNED_BYTE, GL_TRUE};
    case D3DDECLTYPE_SHORT2: return {2, GL_SHORT, GL_FALSE};
    case D3DDECLTYPE_SHORT4: return {4, GL_SHORT, GL_FALSE};
    case D3DDECLTYPE_SHORT2N: return {2, GL_SHORT, GL_TRUE};
    case D3DDECLTYPE_SHORT4N: return {4, GL_SHORT, GL_TRUE};
    default: return {4, GL_FLOAT, GL_FALSE};
  }
}

void GLAPIENTRY MeldeGlNachricht(GLenum, GLenum typ, GLuint, GLenum schwere, GLsizei, const GLchar* text, const void*) {
  if (schwere == GL_DEBUG_SEVERITY_NOTIFICATION) return;
  MeldeDiagnose(std::string(typ == GL_DEBUG_TYPE_ERROR ? "GL error: " : "GL debug: ") + text);
}

}  // namespace

Geraet::Geraet(std::shared_ptr<Fenster> fenster, const D3DPRESENT_PARAMETERS& parameter, D3DFORMAT tiefenFormat, UINT renderZiele)
    : fenster(std::move(fenster)), parameter(parameter), tiefenFormat(tiefenFormat), renderZielAnzahl(renderZiele) {
  if (epoxy_gl_version() >= 43 || epoxy_has_gl_extension("GL_KHR_debug")) {
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(MeldeGlNachricht, nullptr);
  }
  glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  glGenFramebuffers(1, &rueckFbo);
  glGenFramebuffers(1, &leseFbo);
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenSamplers(GLsizei(SAMPLER), samplerObjekte.data());
  for (UINT einheit = 0; einheit < SAMPLER; ++einheit) glBindSampler(einheit, samplerObjekte[einheit]);
  vertexRegister.werte.assign(VERTEX_REGISTER * 4, 0.0f);
  pixelRegister.werte.assign(PIXEL_REGISTER * 4, 0.0f);
  for (auto [datei, groesse, bindung] : {std::tuple{&vertexRegister, VERTEX_REGISTER * 16, 0u}, std::tuple{&pixelRegister, PIXEL_REGISTER * 16, 1u}}) {
    glGenBuffers(1, &datei->ubo);
    glBindBuffer(GL_UNIFORM_BUFFER, datei->ubo);
    glBufferData(GL_UNIFORM_BUFFER, groesse, nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, bindung, datei->ubo);
  }
  glGenBuffers(1, &geraeteBlock);
  glBindBuffer(GL_UNIFORM_BUFFER, geraeteBlock);
  glBufferData(GL_UNIFORM_BUFFER, 16, nullptr, GL_DYNAMIC_DRAW);
  glBindBufferBase(GL_UNIFORM_BUFFER, 2, geraeteBlock);
  if (BaueRueckpuffer()) SetzeVorgaben();
}

Geraet::~Geraet() = default;

UINT Geraet::Release() {
  const UINT rest = --ref;
  if (rest != 0) return rest;
  LoeseBindungen();
  GibRueckpufferFrei();
  if (fenster->Aktuell()) {
    for (auto& [paar, programm] : *programme)
      if (programm != PROGRAMM_FEHLT) glDeleteProgram(programm);
    for (auto& [schluessel, fbo] : *fbos) glDeleteFramebuffers(1, &fbo);
    for (GLuint fbo : {rueckFbo, leseFbo}) glDeleteFramebuffers(1, &fbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteSamplers(GLsizei(SAMPLER), samplerObjekte.data());
    for (GLuint ubo : {vertexRegister.ubo, pixelRegister.ubo, geraeteBlock}) glDeleteBuffers(1, &ubo);
  }
  programme->clear();
  fbos->clear();
  delete this;
  return 0;
}

HRESULT Geraet::PruefeSpeicher(GLuint name, void (*loesche)(GLsizei, const GLuint*)) {
  const GLenum fehler = glGetError();
  if (fehler == GL_NO_ERROR) return D3D_OK;
  loesche(1, &name);
  return fehler == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_INVALIDCALL;
}

namespace {
void LoescheRenderbuffer(GLsizei n, const GLuint* namen) { glDeleteRenderbuffers(n, namen); }
void LoescheTexturen(GLsizei n, const GLuint* namen) { glDeleteTextures(n, namen); }

GLuint NeuerRenderbuffer(GLenum format, UINT breite, UINT hoehe) {
  GLuint rb = 0;
  glGenRenderbuffers(1, &rb);
  glBindRenderbuffer(GL_RENDERBUFFER, rb);
  glRenderbufferStorage(GL_RENDERBUFFER, format, GLsizei(breite), GLsizei(hoehe));
  return rb;
}
}  // namespace

bool Geraet::BaueRueckpuffer() {
  const UINT w = parameter.BackBufferWidth, h = parameter.BackBufferHeight;
  rueckpuffer = new Flaeche(konto, fenster, Flaeche::Art::Renderbuffer, D3DPOOL_DEFAULT, 0, "back buffer", parameter.BackBufferFormat,
                            w, h, D3DUSAGE_RENDERTARGET);
  rueckpuffer->eigen = 1;
  rueckpuffer->lesePuffer = &leseFbo;
  while (glGetError() != GL_NO_ERROR) {
  }
  rueckpuffer->renderbuffer = NeuerRenderbuffer(parameter.BackBufferFormat == D3DFMT_R5G6B5 ? GL_RGB565 : GL_RGB8, w, h);
  if (tiefenFormat != D3DFMT_UNKNOWN) {
    eigeneTiefe = new Flaeche(konto, fenster, Flaeche::Art::Renderbuffer, D3DPOOL_DEFAULT, 0, "depth surface of the back buffer",
                              tiefenFormat, w, h, D3DUSAGE_DEPTHSTENCIL);
    eigeneTiefe->eigen = 1;
    eigeneTiefe->renderbuffer = NeuerRenderbuffer(TiefenFormat(tiefenFormat), w, h);
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, rueckFbo);
  rueckpuffer->Haenge(GL_COLOR_ATTACHMENT0);
  const bool ok = glGetError() == GL_NO_ERROR && glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glfwSwapInterval(parameter.PresentationInterval == D3DPRESENT_INTERVAL_ONE ? 1 : 0);
  if (!ok) {
    MeldeDiagnose("gl33: the back buffer framebuffer is incomplete");
    GibRueckpufferFrei();
  }
  zieleVeraendert = true;
  return ok;
}

void Geraet::GibRueckpufferFrei() {
  for (Flaeche** f : {&rueckpuffer, &eigeneTiefe}) {
    if (*f == nullptr) continue;
    (*f)->eigen = 0;
    (*f)->Release();
    *f = nullptr;
  }
}

void Geraet::LoeseBindungen() {
  for (Objekt*& t : texturen) d3d9::Binde(t, nullptr);
  for (Objekt*& r : renderZiele) d3d9::Binde(r, nullptr);
  for (Objekt*& s : streams) d3d9::Binde(s, nullptr);
  for (Objekt** o : {&tiefe, &indizes, &deklaration, &vertexShader, &pixelShader}) d3d9::Binde(*o, nullptr);
  zieleVeraendert = true;
}

void Geraet::SetzeVorgaben() {
  LoeseBindungen();
  renderStates = VorgabeRenderZustaende();
  for (UINT s = 0; s < SAMPLER; ++s) {
    samplerStates[s].clear();
    for (auto [typ, wert] : VorgabeSamplerZustaende())
      SetSamplerState(s < 16 ? s : D3DVERTEXTEXTURESAMPLER0 + s - 16, D3DSAMPLERSTATETYPE(typ), wert);
  }
  streamFrequenz.fill(1);
  streamStride.fill(0);
  streamOffset.fill(0);
  std::fill(vertexRegister.werte.begin(), vertexRegister.werte.end(), 0.0f);
  std::fill(pixelRegister.werte.begin(), pixelRegister.werte.end(), 0.0f);
  vertexRegister.tief = 0;
  vertexRegister.hoch = VERTEX_REGISTER;
  pixelRegister.tief = 0;
  pixelRegister.hoch = PIXEL_REGISTER;
  d3d9::Binde(renderZiele[0], rueckpuffer);
  d3d9::Binde(tiefe, eigeneTiefe);
  ViewportAuf(rueckpuffer);
  schatten = Schatten{};
  // Units keep what they had: forget them so that the next draw binds again.
  for (UINT einheit = 0; einheit < SAMPLER; ++einheit) {
    glActiveTexture(GL_TEXTURE0 + einheit);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
  }
  eingabenVeraendert = true;
  inSzene = false;
}

void Geraet::ViewportAuf(const Flaeche* ziel) {
  viewport = {0, 0, ziel->breite, ziel->hoehe, 0.0f, 1.0f};
  SchreibeGeraeteBlock();
}

void Geraet::SchreibeGeraeteBlock() {
  const float block[4] = {1.0f / float(std::max(1u, viewport.Width)), -1.0f / float(std::max(1u, viewport.Height)), 0.0f, 0.0f};
  glBindBuffer(GL_UNIFORM_BUFFER, geraeteBlock);
  glBufferSubData(GL_UNIFORM_BUFFER, 0, 16, block);
}

// ---- loss, reset, present ----

void Geraet::SimulateDeviceLost(UINT abfragen) {
  verloren = true;
  verlorenAbfragen = abfragen;
}

HRESULT Geraet::TestCooperativeLevel() {
  if (verloren) {
    if (verlorenAbfragen > 0) {
      --verlorenAbfragen;
      return D3DERR_DEVICELOST;
    }
    return D3DERR_DEVICENOTRESET;
  }
  return resetGescheitert ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT Geraet::Reset(D3DPRESENT_PARAMETERS* neu) {
  if (neu == nullptr || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  if (verloren && verlorenAbfragen > 0) return D3DERR_DEVICELOST;
  const std::string hindernisse = ResetHindernisse(*konto);
  if (!hindernisse.empty()) {
    MeldeDiagnose("Reset refused: still referenced: " + hindernisse);
    resetGescheitert = true;
    return D3DERR_INVALIDCALL;
  }
  LoeseBindungen();
  GibRueckpufferFrei();
  parameter = *neu;
  if (parameter.EnableAutoDepthStencil) tiefenFormat = parameter.AutoDepthStencilFormat;
  if (!BaueRueckpuffer()) {
    resetGescheitert = true;
    return D3DERR_INVALIDCALL;
  }
  SetzeVorgaben();
  verloren = false;
  resetGescheitert = false;
  return D3D_OK;
}

HRESULT Geraet::Present(const RECT*, const RECT*, HWND, const void*) {
  MeldePresent();
  if (Verloren()) return D3DERR_DEVICELOST;
  if (inSzene || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  int fb = 0, fh = 0;
  glfwGetFramebufferSize(fenster->fenster, &fb, &fh);
  const GLint w = GLint(parameter.BackBufferWidth), h = GLint(parameter.BackBufferHeight);
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, rueckFbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  glBlitFramebuffer(0, 0, w, h, 0, fh, fb, 0, GL_COLOR_BUFFER_BIT, (fb == w && fh == h) ? GL_NEAREST : GL_LINEAR);
  glfwSwapBuffers(fenster->fenster);
  zieleVeraendert = true;
  return D3D_OK;
}

HRESULT Geraet::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
  if (resetGescheitert || swapChain != 0 || backBuffer != 0 || surface == nullptr) return D3DERR_INVALIDCALL;
  rueckpuffer->AddRef();
  *surface = rueckpuffer;
  return D3D_OK;
}

HRESULT Geraet::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (resetGescheitert || surface == nullptr) return D3DERR_INVALIDCALL;
  if (tiefe == nullptr) return D3DERR_NOTAVAILABLE;
  tiefe->MehrRef();
  *surface = AlsFlaeche(tiefe);
  return D3D_OK;
}

HRESULT Geraet::GetDeviceCaps(D3DCAPS9* caps) {
  if (caps == nullptr || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  GLint groesse = 0, ziele = 0;
  GLfloat aniso = 0.0f;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &groesse);
  glGetIntegerv(GL_MAX_DRAW_BUFFERS, &ziele);
  const bool hatAniso = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") || epoxy_gl_version() >= 46;
  if (hatAniso) glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &aniso);
  *caps = {D3DDEVTYPE_HAL, 0, hatAniso ? D3DPTFILTERCAPS_MINFANISOTROPIC : 0u, DWORD(groesse), DWORD(groesse), DWORD(hatAniso ? aniso : 0),
           D3DVS_VERSION(3, 0), D3DPS_VERSION(3, 0), DWORD(std::min(ziele, 4))};
  return D3D_OK;
}

// ---- resources ----

HRESULT Geraet::CreateTexture(UINT breite, UINT hoehe, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** aus,
                              HANDLE*) {
  const GlFormat f = TexturFormat(format, (usage & D3DUSAGE_RENDERTARGET) != 0);
  if (resetGescheitert || aus == nullptr || breite == 0 || hoehe == 0 || f.intern == 0 || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  const UINT kette = VolleKette(breite, hoehe);
  if (levels == 0 || levels > kette || (usage & D3DUSAGE_AUTOGENMIPMAP)) levels = kette;
  const uint64_t kosten = pool == D3DPOOL_DEFAULT ? TexturBytes(format, breite, hoehe, levels) : 0;
  const TexturArt art = {GL_TEXTURE_2D, 1, breite, hoehe, levels, usage, format, pool};
  return ErzeugeObjekt(
      *konto, kosten, aus, [&] { return TexturHuelle<Textur>(art, "texture " + std::to_string(breite) + "x" + std::to_string(hoehe)); },
      [&](Textur& t) { return LegeTexturAn(t, art); });
}

HRESULT Geraet::CreateCubeTexture(UINT kante, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture9** aus,
                                  HANDLE*) {
  const GlFormat f = TexturFormat(format, (usage & D3DUSAGE_RENDERTARGET) != 0);
  if (resetGescheitert || aus == nullptr || kante == 0 || f.intern == 0 || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  const UINT kette = VolleKette(kante, kante);
  if (levels == 0 || levels > kette || (usage & D3DUSAGE_AUTOGENMIPMAP)) levels = kette;
  const uint64_t kosten = pool == D3DPOOL_DEFAULT ? 6 * TexturBytes(format, kante, kante, levels) : 0;
  const TexturArt art = {GL_TEXTURE_CUBE_MAP, 6, kante, kante, levels, usage, format, pool};
  return ErzeugeObjekt(
      *konto, kosten, aus, [&] { return TexturHuelle<WuerfelTextur>(art, "cube texture " + std::to_string(kante)); },
      [&](WuerfelTextur& t) { return LegeTexturAn(t, art); });
}

// The host part of a texture: its fields and level surfaces (face * levels + level), no GL name yet.
template <class T>
T* Geraet::TexturHuelle(const TexturArt& art, std::string name) {
  auto t = std::make_unique<T>(konto, art.pool, 0, std::move(name));
  t->ziel = art.ziel;
  t->format = art.format;
  t->levels = art.levels;
  t->autoMip = (art.usage & D3DUSAGE_AUTOGENMIPMAP) != 0;
  t->fenster = fenster;
  for (UINT s = 0; s < art.seiten; ++s)
    for (UINT l = 0; l < art.levels; ++l) {
      auto e = std::make_unique<Flaeche>(konto, fenster, Flaeche::Art::Ebene, art.pool, 0, "level surface", art.format,
                                         std::max(1u, art.breite >> l), std::max(1u, art.hoehe >> l), art.usage);
      e->behaelter = t.get();
      e->textur = t.get();
      e->ziel = art.seiten == 6 ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + s : GL_TEXTURE_2D;
      e->level = l;
      e->lesePuffer = &leseFbo;
      t->ebenen.push_back(std::move(e));
    }
  return t.release();
}

// The GL texture with every level and face allocated; the name goes to `kern` only on success.
HRESULT Geraet::LegeTexturAn(TexturKern& kern, const TexturArt& art) {
  const GlFormat f = TexturFormat(art.format, (art.usage & D3DUSAGE_RENDERTARGET) != 0);
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glActiveTexture(ARBEITS_EINHEIT);
  glBindTexture(art.ziel, name);
  for (UINT s = 0; s < art.seiten; ++s)
    for (UINT l = 0; l < art.levels; ++l) {
      const GLenum ziel = art.seiten == 6 ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + s : GL_TEXTURE_2D;
      const UINT w = std::max(1u, art.breite >> l), h = std::max(1u, art.hoehe >> l);
      if (f.komprimiert)
        glCompressedTexImage2D(ziel, GLint(l), f.intern, GLsizei(w), GLsizei(h), 0, GLsizei(EbenenGroesse(art.format, w, h)), nullptr);
      else
        glTexImage2D(ziel, GLint(l), GLint(f.intern), GLsizei(w), GLsizei(h), 0, f.format, f.typ, nullptr);
    }
  if (HRESULT hr = PruefeSpeicher(name, LoescheTexturen); FAILED(hr)) return hr;
  glTexParameteri(art.ziel, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(art.ziel, GL_TEXTURE_MAX_LEVEL, GLint(art.levels - 1));
  glTexParameteriv(art.ziel, GL_TEXTURE_SWIZZLE_RGBA, f.swizzle);
  kern.name = name;
  return D3D_OK;
}

namespace {
// The GL buffer of a vertex or index buffer.
HRESULT LegePufferAn(GLuint& name, UINT laenge, DWORD usage) {
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint puffer = 0;
  glGenBuffers(1, &puffer);
  glBindBuffer(GL_COPY_WRITE_BUFFER, puffer);
  glBufferData(GL_COPY_WRITE_BUFFER, laenge, nullptr, (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
  const GLenum fehler = glGetError();
  if (fehler != GL_NO_ERROR) {
    glDeleteBuffers(1, &puffer);
    return fehler == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_INVALIDCALL;
  }
  name = puffer;
  return D3D_OK;
}
}  // namespace

HRESULT Geraet::CreateVertexBuffer(UINT laenge, DWORD usage, DWORD, D3DPOOL pool, IDirect3DVertexBuffer9** aus, HANDLE*) {
  if (resetGescheitert || aus == nullptr || laenge == 0 || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  return ErzeugeObjekt(
      *konto, pool == D3DPOOL_DEFAULT ? laenge : 0, aus, [&] { return new VertexPuffer(konto, fenster, pool, laenge, "vertex buffer"); },
      [&](VertexPuffer& p) { return LegePufferAn(p.name, laenge, usage); });
}

HRESULT Geraet::CreateIndexBuffer(UINT laenge, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** aus, HANDLE*) {
  if (resetGescheitert || aus == nullptr || laenge == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) || !fenster->Aktuell())
    return D3DERR_INVALIDCALL;
  return ErzeugeObjekt(
      *konto, pool == D3DPOOL_DEFAULT ? laenge : 0, aus,
      [&] {
        auto* p = new IndexPuffer(konto, fenster, pool, laenge, "index buffer");
        p->indexFormat = format;
        return p;
      },
      [&](IndexPuffer& p) { return LegePufferAn(p.name, laenge, usage); });
}

HRESULT Geraet::CreateDepthStencilSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                          IDirect3DSurface9** aus, HANDLE*) {
  const GLenum intern = TiefenFormat(format);
  if (resetGescheitert || aus == nullptr || breite == 0 || hoehe == 0 || intern == 0 || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  const uint64_t kosten = uint64_t(breite) * hoehe * (format == D3DFMT_D16 ? 2 : 4);
  return ErzeugeObjekt(
      *konto, kosten, aus,
      [&] {
        return new Flaeche(konto, fenster, Flaeche::Art::Renderbuffer, D3DPOOL_DEFAULT, 0,
                           "depth surface " + std::to_string(breite) + "x" + std::to_string(hoehe), format, breite, hoehe, D3DUSAGE_DEPTHSTENCIL);
      },
      [&](Flaeche& f) {
        while (glGetError() != GL_NO_ERROR) {
        }
        const GLuint rb = NeuerRenderbuffer(intern, breite, hoehe);
        if (HRESULT hr = PruefeSpeicher(rb, LoescheRenderbuffer); FAILED(hr)) return hr;
        f.renderbuffer = rb;
        return D3D_OK;
      });
}

HRESULT Geraet::CreateOffscreenPlainSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** aus, HANDLE*) {
  if (resetGescheitert || aus == nullptr || breite == 0 || hoehe == 0 || pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  return ErzeugeObjekt(*konto, 0, aus,
                       [&] { return new Flaeche(konto, fenster, Flaeche::Art::System, pool, 0, "offscreen surface", format, breite, hoehe, 0); });
}

HRESULT Geraet::UpdateSurface(IDirect3DSurface9* quelle, const RECT* quellRechteck, IDirect3DSurface9* ziel, const POINT* zielPunkt) {
  auto* q = dynamic_cast<Flaeche*>(quelle);
  auto* z = dynamic_cast<Flaeche*>(ziel);
  // The whole source into the top-left corner of the level.
  const bool ecke = zielPunkt == nullptr || (zielPunkt->x == 0 && zielPunkt->y == 0);
  if (!q || !z || quellRechteck || !ecke || q->artDerFlaeche != Flaeche::Art::System || z->artDerFlaeche != Flaeche::Art::Ebene ||
      q->format != z->format || q->breite > z->breite || q->hoehe > z->hoehe || !fenster->Aktuell())
    return D3DERR_INVALIDCALL;
  z->LadeHoch(q->speicher.data(), q->breite, q->hoehe);
  return D3D_OK;
}

HRESULT Geraet::GetRenderTargetData(IDirect3DSurface9* renderZiel, IDirect3DSurface9* ziel) {
  auto* q = dynamic_cast<Flaeche*>(renderZiel);
  auto* z = dynamic_cast<Flaeche*>(ziel);
  if (!q || !z || !(q->usage & D3DUSAGE_RENDERTARGET) || z->artDerFlaeche != Flaeche::Art::System || q->format != z->format ||
      q->breite != z->breite || q->hoehe != z->hoehe || !fenster->Aktuell())
    return D3DERR_INVALIDCALL;
  zieleVeraendert = true;
  return OhneSpeichermangel([&] {
    q->LiesPixel(leseFbo, z->speicher.data());
    return D3D_OK;
  });
}

// ---- bindings and states ----

HRESULT Geraet::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  auto* ziel = dynamic_cast<Flaeche*>(surface);
  if (index >= renderZielAnzahl || (index == 0 && ziel == nullptr) || (ziel && !(ziel->usage & D3DUSAGE_RENDERTARGET)))
    return D3DERR_INVALIDCALL;
  if (Verloren()) return D3D_OK;
  d3d9::Binde(renderZiele[index], ziel);
  if (index == 0) ViewportAuf(ziel);
  zieleVeraendert = true;
  return D3D_OK;
}

HRESULT Geraet::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  auto* ziel = dynamic_cast<Flaeche*>(surface);
  if (ziel && !(ziel->usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
  if (Verloren()) return D3D_OK;
  d3d9::Binde(tiefe, ziel);
  zieleVeraendert = true;
  return D3D_OK;
}

HRESULT Geraet::BeginScene() {
  if (inSzene) return D3DERR_INVALIDCALL;
  inSzene = true;
  return D3D_OK;
}

HRESULT Geraet::EndScene() {
  if (!inSzene) return D3DERR_INVALIDCALL;
  inSzene = false;
  return D3D_OK;
}

GLuint Geraet::BaueFbo(const FboCache::key_type& schluessel) {
  GLuint fbo = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
  GLenum puffer[4] = {GL_NONE, GL_NONE, GL_NONE, GL_NONE};
  for (UINT i = 0; i < 4; ++i) {
    if (schluessel[i] == nullptr) continue;
    schluessel[i]->Haenge(GL_COLOR_ATTACHMENT0 + i);
    puffer[i] = GL_COLOR_ATTACHMENT0 + i;
  }
  glDrawBuffers(4, puffer);
  if (schluessel[4]) schluessel[4]->Haenge(GL_DEPTH_ATTACHMENT);
  return fbo;
}

void Geraet::LoeseZieleAuf() {
  if (!zieleVeraendert) return;
  zieleVeraendert = false;
  FboCache::key_type schluessel{};
  for (UINT i = 0; i < 4; ++i) schluessel[i] = AlsFlaeche(renderZiele[i]);
  schluessel[4] = AlsFlaeche(tiefe);
  for (Flaeche* f : schluessel)
    if (f) f->fbos = fbos;
  auto it = fbos->find(schluessel);
  if (it == fbos->end()) it = fbos->emplace(schluessel, BaueFbo(schluessel)).first;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, it->second);
}

void Geraet::LoeseViewportAuf() {
  if (schatten.gueltig && std::memcmp(&schatten.viewport, &viewport, sizeof viewport) == 0) return;
  glViewport(GLint(viewport.X), GLint(viewport.Y), GLsizei(viewport.Width), GLsizei(viewport.Height));
  glDepthRangef(viewport.MinZ, viewport.MaxZ);
  schatten.viewport = viewport;
}

HRESULT Geraet::Clear(DWORD anzahl, const RECT* rechtecke, DWORD flags, D3DCOLOR farbe, float z, DWORD) {
  if ((flags & D3DCLEAR_STENCIL) || ((flags & D3DCLEAR_ZBUFFER) && tiefe == nullptr) || (anzahl != 0 && rechtecke == nullptr) ||
      !fenster->Aktuell())
    return D3DERR_INVALIDCALL;
  if (Verloren()) return D3D_OK;
  LoeseZieleAuf();
  LoeseViewportAuf();
  glEnable(GL_SCISSOR_TEST);
  glScissor(GLint(viewport.X), GLint(viewport.Y), GLsizei(viewport.Width), GLsizei(viewport.Height));
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(float(farbe >> 16 & 0xFF) / 255.0f, float(farbe >> 8 & 0xFF) / 255.0f, float(farbe & 0xFF) / 255.0f,
               float(farbe >> 24) / 255.0f);
  glClearDepth(z);
  GLbitfield maske = 0;
  if (flags & D3DCLEAR_TARGET) maske |= GL_COLOR_BUFFER_BIT;
  if (flags & D3DCLEAR_ZBUFFER) maske |= GL_DEPTH_BUFFER_BIT;
  glClear(maske);
  glDisable(GL_SCISSOR_TEST);
  if (flags & D3DCLEAR_TARGET) MarkiereZielMips();
  schatten.gueltig = false;  // masks were changed
  schatten.viewport = viewport;
  return D3D_OK;
}

HRESULT Geraet::SetViewport(const D3DVIEWPORT9* neu) {
  if (neu == nullptr) return D3DERR_INVALIDCALL;
  const auto* ziel = AlsFlaeche(renderZiele[0]);
  if (neu->Width == 0 || neu->Height == 0 || uint64_t(neu->X) + neu->Width > ziel->breite || uint64_t(neu->Y) + neu->Height > ziel->hoehe)
    return D3DERR_INVALIDCALL;
  if (Verloren()) return D3D_OK;
  viewport = *neu;
  SchreibeGeraeteBlock();
  return D3D_OK;
}

HRESULT Geraet::GetViewport(D3DVIEWPORT9* aus) {
  if (aus == nullptr) return D3DERR_INVALIDCALL;
  *aus = viewport;
  return D3D_OK;
}

HRESULT Geraet::SetRenderState(D3DRENDERSTATETYPE zustand, DWORD wert) {
  auto it = renderStates.find(zustand);
  if (it == renderStates.end()) return D3DERR_INVALIDCALL;
  if (!Verloren()) it->second = wert;
  return D3D_OK;
}

HRESULT Geraet::GetRenderState(D3DRENDERSTATETYPE zustand, DWORD* wert) {
  auto it = renderStates.find(zustand);
  if (wert == nullptr || it == renderStates.end()) return D3DERR_INVALIDCALL;
  *wert = it->second;
  return D3D_OK;
}

void Geraet::LoeseBlendUndTiefeAuf() {
  const auto r = [&](D3DRENDERSTATETYPE z) { return renderStates[z]; };
  const bool getrennt = r(D3DRS_SEPARATEALPHABLENDENABLE) != 0;
  const std::array<uint32_t, 12> blend = {r(D3DRS_ALPHABLENDENABLE) != 0,
                                          BlendFaktor(r(D3DRS_SRCBLEND)),
                                          BlendFaktor(r(D3DRS_DESTBLEND)),
                                          BlendOp(r(D3DRS_BLENDOP)),
                                          BlendFaktor(getrennt ? r(D3DRS_SRCBLENDALPHA) : r(D3DRS_SRCBLEND)),
                                          BlendFaktor(getrennt ? r(D3DRS_DESTBLENDALPHA) : r(D3DRS_DESTBLEND)),
                                          BlendOp(getrennt ? r(D3DRS_BLENDOPALPHA) : r(D3DRS_BLENDOP)),
                                          r(D3DRS_COLORWRITEENABLE),
                                          r(D3DRS_ZENABLE) != 0,
                                          r(D3DRS_ZWRITEENABLE) != 0,
                                          Vergleich(r(D3DRS_ZFUNC)),
                                          0};
  const std::array<uint32_t, 6> raster = {r(D3DRS_CULLMODE), r(D3DRS_FILLMODE), 0, 0, 0, 0};
  if (!schatten.gueltig || blend != schatten.blend) {
    if (blend[0]) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
    glBlendFuncSeparate(blend[1], blend[2], blend[4], blend[5]);
    glBlendEquationSeparate(blend[3], blend[6]);
    const uint32_t m = blend[7];
    glColorMask(m & 1, (m >> 1) & 1, (m >> 2) & 1, (m >> 3) & 1);
    if (blend[8]) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
    glDepthMask(blend[9] ? GL_TRUE : GL_FALSE);
    glDepthFunc(blend[10]);
    schatten.blend = blend;
  }
  if (!schatten.gueltig || raster != schatten.raster) {
    // With the upper-left origin GL judges winding as the image appears.
    if (raster[0] == D3DCULL_NONE) {
      glDisable(GL_CULL_FACE);
    } else {
      glEnable(GL_CULL_FACE);
      glFrontFace(GL_CCW);
      glCullFace(raster[0] == D3DCULL_CW ? GL_BACK : GL_FRONT);
    }
    glPolygonMode(GL_FRONT_AND_BACK, raster[1] == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
    schatten.raster = raster;
  }
  schatten.gueltig = true;
}

HRESULT Geraet::SetTexture(DWORD sampler, IDirect3DBaseTexture9* textur) {
  const int platz = sampler < 16 ? int(sampler) : (sampler >= D3DVERTEXTEXTURESAMPLER0 && sampler < D3DVERTEXTEXTURESAMPLER0 + 4)
                                                      ? int(16 + sampler - D3DVERTEXTEXTURESAMPLER0)
                                                      : -1;
  if (platz < 0) return D3DERR_INVALIDCALL;
  if (!Verloren()) d3d9::Binde(texturen[size_t(platz)], AlsObjekt(textur));
  return D3D_OK;
}

HRESULT Geraet::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD wert) {
  const int platz = sampler < 16 ? int(sampler) : (sampler >= D3DVERTEXTEXTURESAMPLER0 && sampler < D3DVERTEXTEXTURESAMPLER0 + 4)
                                                      ? int(16 + sampler - D3DVERTEXTEXTURESAMPLER0)
                                                      : -1;
  if (platz < 0 || typ < D3DSAMP_ADDRESSU || typ > D3DSAMP_MAXANISOTROPY || typ == 8) return D3DERR_INVALIDCALL;
  if (Verloren()) return D3D_OK;
  samplerStates[size_t(platz)][typ] = wert;
  samplerVeraendert[size_t(platz)] = true;
  return D3D_OK;
}

// Sends the sampler states that changed since the last draw; values already in force are not repeated.
void Geraet::LoeseSamplerAuf() {
  for (size_t platz = 0; platz < SAMPLER; ++platz) {
    if (!samplerVeraendert[platz]) continue;
    samplerVeraendert[platz] = false;
    auto& soll = samplerStates[platz];
    auto& ist = samplerAngewendet[platz];
    const GLuint o = samplerObjekte[platz];
    bool filterNeu = false;
    for (auto [typ, wert] : soll) {
      auto alt = ist.find(typ);
      if (alt != ist.end() && alt->second == wert) continue;
      ist[typ] = wert;
      switch (typ) {
        case D3DSAMP_ADDRESSU: glSamplerParameteri(o, GL_TEXTURE_WRAP_S, GLint(Adresse(wert))); break;
        case D3DSAMP_ADDRESSV: glSamplerParameteri(o, GL_TEXTURE_WRAP_T, GLint(Adresse(wert))); break;
        case D3DSAMP_ADDRESSW: glSamplerParameteri(o, GL_TEXTURE_WRAP_R, GLint(Adresse(wert))); break;
        case D3DSAMP_BORDERCOLOR: {
          const float farbe[4] = {float(wert >> 16 & 0xFF) / 255.0f, float(wert >> 8 & 0xFF) / 255.0f, float(wert & 0xFF) / 255.0f,
                                  float(wert >> 24) / 255.0f};
          glSamplerParameterfv(o, GL_TEXTURE_BORDER_COLOR, farbe);
          break;
        }
        case D3DSAMP_MAXMIPLEVEL: glSamplerParameterf(o, GL_TEXTURE_MIN_LOD, float(wert)); break;
        default: filterNeu = true; break;
      }
    }
    if (filterNeu) SendeFilter(o, soll);
  }
}

namespace {

// Mesa's software rasterisers before release 24 filter anisotropically with a Gaussian footprint
// that blurs even a 1:1 mapping, where Direct3D 9 samples the texel itself. There the filter
// stays trilinear.
bool AnisotropieVerwischt() {
  static const bool verwischt = [] {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (renderer == nullptr || (!std::strstr(renderer, "llvmpipe") && !std::strstr(renderer, "softpipe"))) return false;
    const char* mesa = version ? std::strstr(version, "Mesa ") : nullptr;
    return mesa == nullptr || std::atoi(mesa + 5) < 24;
  }();
  return verwischt;
}

}  // namespace

// Filters and anisotropy depend on each other: set them together.
void Geraet::SendeFilter(GLuint o, std::map<DWORD, DWORD>& s) {
  const bool aniso = s[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC;
  glSamplerParameteri(o, GL_TEXTURE_MIN_FILTER, GLint(MinFilter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER])));
  glSamplerParameteri(o, GL_TEXTURE_MAG_FILTER, s[D3DSAMP_MAGFILTER] == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR);
  if (!epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic")) return;
  GLfloat grenze = 1.0f;
  if (aniso) {
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &grenze);
    grenze = std::clamp(float(s[D3DSAMP_MAXANISOTROPY]), 1.0f, grenze);
  }
  glSamplerParameterf(o, GL_TEXTURE_MAX_ANISOTROPY_EXT, aniso && !AnisotropieVerwischt() ? grenze : 1.0f);
}

HRESULT Geraet::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD* wert) {
  const size_t platz = sampler < 16 ? sampler : sampler - D3DVERTEXTEXTURESAMPLER0 + 16;
  if (wert == nullptr || platz >= SAMPLER || samplerStates[platz].count(typ) == 0) return D3DERR_INVALIDCALL;
  *wert = samplerStates[platz][typ];
  return D3D_OK;
}

HRESULT Geraet::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elemente, IDirect3DVertexDeclaration9** aus) {
  if (resetGescheitert || aus == nullptr) return D3DERR_INVALIDCALL;
  std::vector<D3DVERTEXELEMENT9> liste;
  std::string fehler;
  if (HRESULT hr = null::PruefeDeklaration(elemente, liste, fehler); FAILED(hr)) {
    MeldeDiagnose("CreateVertexDeclaration: " + fehler);
    return hr;
  }
  *aus = new Deklaration(konto, std::move(liste));
  return D3D_OK;
}

HRESULT Geraet::SetVertexDeclaration(IDirect3DVertexDeclaration9* neu) {
  if (Verloren() || deklaration == AlsObjekt(neu)) return D3D_OK;
  d3d9::Binde(deklaration, AlsObjekt(neu));
  eingabenVeraendert = true;
  return D3D_OK;
}

template <class Art, class Schnittstelle>
HRESULT Geraet::ErzeugeShader(const DWORD* code, ShaderStufe stufe, Schnittstelle** aus) {
  if (resetGescheitert || aus == nullptr || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  ShaderCode gelesen;
  std::string fehler;
  if (HRESULT hr = Dekodiere(code, SIZE_MAX, stufe, gelesen, fehler); FAILED(hr)) {
    MeldeDiagnose("shader record: " + fehler);
    return hr;
  }
  const GLuint name = glCreateShader(stufe == ShaderStufe::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
  const char* quelle = gelesen.quelle.c_str();
  glShaderSource(name, 1, &quelle, nullptr);
  glCompileShader(name);
  GLint ok = 0;
  glGetShaderiv(name, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char protokoll[4096] = {};
    glGetShaderInfoLog(name, sizeof protokoll - 1, nullptr, protokoll);
    MeldeDiagnose(std::string("shader compile failed: ") + protokoll);
    glDeleteShader(name);
    return D3DERR_INVALIDCALL;
  }
  auto* s = new Art(konto, fenster, std::move(gelesen), name, stufe == ShaderStufe::Vertex ? "vertex shader" : "pixel shader");
  s->programme = programme;
  *aus = s;
  return D3D_OK;
}

HRESULT Geraet::CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** aus) {
  return ErzeugeShader<Shader<IDirect3DVertexShader9>>(code, ShaderStufe::Vertex, aus);
}

HRESULT Geraet::CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** aus) {
  return ErzeugeShader<Shader<IDirect3DPixelShader9>>(code, ShaderStufe::Pixel, aus);
}

HRESULT Geraet::SetVertexShader(IDirect3DVertexShader9* s) {
  if (!Verloren()) d3d9::Binde(vertexShader, AlsObjekt(s));
  return D3D_OK;
}

HRESULT Geraet::SetPixelShader(IDirect3DPixelShader9* s) {
  if (!Verloren()) d3d9::Binde(pixelShader, AlsObjekt(s));
  return D3D_OK;
}

HRESULT Geraet::SetzeRegister(RegisterDatei& datei, UINT grenze, UINT start, const float* daten, UINT anzahl) {
  if (daten == nullptr || uint64_t(start) + anzahl > grenze) return D3DERR_INVALIDCALL;
  if (Verloren() || anzahl == 0) return D3D_OK;
  std::memcpy(datei.werte.data() + size_t(start) * 4, daten, size_t(anzahl) * 16);
  datei.tief = std::min(datei.tief, start);
  datei.hoch = std::max(datei.hoch, start + anzahl);
  return D3D_OK;
}

HRESULT Geraet::SetVertexShaderConstantF(UINT start, const float* daten, UINT anzahl) {
  return SetzeRegister(vertexRegister, VERTEX_REGISTER, start, daten, anzahl);
}

HRESULT Geraet::SetPixelShaderConstantF(UINT start, const float* daten, UINT anzahl) {
  return SetzeRegister(pixelRegister, PIXEL_REGISTER, start, daten, anzahl);
}

HRESULT Geraet::GetVertexShaderConstantF(UINT start, float* daten, UINT anzahl) {
  if (daten == nullptr || uint64_t(start) + anzahl > VERTEX_REGISTER) return D3DERR_INVALIDCALL;
  std::memcpy(daten, vertexRegister.werte.data() + size_t(start) * 4, size_t(anzahl) * 16);
  return D3D_OK;
}

HRESULT Geraet::GetPixelShaderConstantF(UINT start, float* daten, UINT anzahl) {
  if (daten == nullptr || uint64_t(start) + anzahl > PIXEL_REGISTER) return D3DERR_INVALIDCALL;
  std::memcpy(daten, pixelRegister.werte.data() + size_t(start) * 4, size_t(anzahl) * 16);
  return D3D_OK;
}

void Geraet::LadeRegister(RegisterDatei& datei) {
  if (datei.hoch <= datei.tief) return;
  glBindBuffer(GL_UNIFORM_BUFFER, datei.ubo);
  glBufferSubData(GL_UNIFORM_BUFFER, GLintptr(datei.tief) * 16, GLsizeiptr(datei.hoch - datei.tief) * 16,
                  datei.werte.data() + size_t(datei.tief) * 4);
  datei.tief = ~0u;
  datei.hoch = 0;
}

HRESULT Geraet::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  if (stream >= STREAMS) return D3DERR_INVALIDCALL;
  if (Verloren()) return D3D_OK;
  if (streams[stream] == AlsObjekt(buffer) && streamOffset[stream] == offset && streamStride[stream] == stride) return D3D_OK;
  d3d9::Binde(streams[stream], AlsObjekt(buffer));
  streamOffset[stream] = offset;
  streamStride[stream] = stride;
  eingabenVeraendert = true;
  return D3D_OK;
}

HRESULT Geraet::SetStreamSourceFreq(UINT stream, UINT einstellung) {
  const bool beide = (einstellung & D3DSTREAMSOURCE_INDEXEDDATA) && (einstellung & D3DSTREAMSOURCE_INSTANCEDATA);
  if (stream >= STREAMS || beide || (einstellung & 0x3FFFFFFF) == 0) return D3DERR_INVALIDCALL;
  if (Verloren() || streamFrequenz[stream] == einstellung) return D3D_OK;
  streamFrequenz[stream] = einstellung;
  eingabenVeraendert = true;
  return D3D_OK;
}

HRESULT Geraet::SetIndices(IDirect3DIndexBuffer9* buffer) {
  if (!Verloren()) d3d9::Binde(indizes, AlsObjekt(buffer));
  return D3D_OK;
}

// ---- drawing ----

HRESULT Geraet::LoeseProgrammAuf() {
  auto* vs = static_cast<ShaderObjekt*>(vertexShader);
  auto* ps = static_cast<ShaderObjekt*>(pixelShader);
  if (vs == nullptr || ps == nullptr) return D3DERR_INVALIDCALL;
  GLuint& programm = (*programme)[{vs, ps}];
  if (programm == 0) {
    programm = glCreateProgram();
    glAttachShader(programm, vs->name);
    glAttachShader(programm, ps->name);
    for (const ShaderCode::Eingabe& e : vs->code.eingaben)
      glBindAttribLocation(programm, GLuint(AttributOrt(e.usage, e.index)), e.name.c_str());
    glLinkProgram(programm);
    GLint ok = 0;
    glGetProgramiv(programm, GL_LINK_STATUS, &ok);
    if (!ok) {
      char protokoll[4096] = {};
      glGetProgramInfoLog(programm, sizeof protokoll - 1, nullptr, protokoll);
      MeldeDiagnose(std::string("shader link failed: ") + protokoll);
      glDeleteProgram(programm);
      programm = PROGRAMM_FEHLT;
      return D3DERR_INVALIDCALL;
    }
    glUseProgram(programm);
    schatten.programm = programm;
    for (auto [s, bindung] : {std::pair{vs, 0u}, std::pair{ps, 1u}}) {
      if (!s->code.registerBlock.empty()) {
        const GLuint block = glGetUniformBlockIndex(programm, s->code.registerBlock.c_str());
        if (block != GL_INVALID_INDEX) glUniformBlockBinding(programm, block, bindung);
      }
      if (!s->code.geraeteBlock.empty()) {
        const GLuint block = glGetUniformBlockIndex(programm, s->code.geraeteBlock.c_str());
        if (block != GL_INVALID_INDEX) glUniformBlockBinding(programm, block, 2);
      }
      for (const ShaderCode::Sampler& sampler : s->code.sampler)
        glUniform1i(glGetUniformLocation(programm, sampler.name.c_str()), GLint(s == vs ? 16 + sampler.register_ : sampler.register_));
    }
  }
  if (programm == PROGRAMM_FEHLT) return D3DERR_INVALIDCALL;
  if (schatten.programm != programm) glUseProgram(programm);
  schatten.programm = programm;
  return D3D_OK;
}

void Geraet::LoeseTexturenAuf() {
  for (UINT einheit = 0; einheit < SAMPLER; ++einheit) {
    auto* kern = texturen[einheit] ? dynamic_cast<TexturKern*>(texturen[einheit]) : nullptr;
    if (kern && kern->mipsVeraltet) kern->ErneuereMips();
    const std::pair<GLenum, GLuint> soll = kern ? std::pair{kern->ziel, kern->name} : std::pair{GLenum(0), GLuint(0)};
    auto& ist = schatten.texturen[einheit];
    if (ist == soll) continue;
    glActiveTexture(GL_TEXTURE0 + einheit);
    if (ist.first && ist.first != soll.first) glBindTexture(ist.first, 0);
    if (soll.first) glBindTexture(soll.first, soll.second);
    ist = soll;
  }
}

UINT Geraet::Instanzen() const {
  return (streamFrequenz[0] & D3DSTREAMSOURCE_INDEXEDDATA) ? (streamFrequenz[0] & 0x3FFFFFFF) : 0;
}

HRESULT Geraet::LoeseEingabenAuf(UINT instanzen) {
  auto* dekl = static_cast<Deklaration*>(deklaration);
  if (dekl == nullptr) return D3DERR_INVALIDCALL;
  if (!eingabenVeraendert && instanzen == schatten.instanzen) return D3D_OK;
  uint32_t benutzt = 0;
  for (const D3DVERTEXELEMENT9& e : dekl->elemente) {
    auto* vb = static_cast<VertexPuffer*>(streams[e.Stream]);
    if (e.Stream >= STREAMS || vb == nullptr) return D3DERR_INVALIDCALL;
    const GLuint ort = GLuint(AttributOrt(e.Usage, e.UsageIndex));
    const AttributTyp a = Attribut(e.Type);
    glBindBuffer(GL_ARRAY_BUFFER, vb->name);
    const UINT frequenz = streamFrequenz[e.Stream];
    const UINT teiler = (instanzen && (frequenz & D3DSTREAMSOURCE_INSTANCEDATA)) ? (frequenz & 0x3FFFFFFF) : 0;
    glVertexAttribPointer(ort, a.anzahl, a.typ, a.normiert, GLsizei(streamStride[e.Stream]),
                          reinterpret_cast<const void*>(uintptr_t(streamOffset[e.Stream] + e.Offset)));
    glVertexAttribDivisor(ort, teiler);
    glEnableVertexAttribArray(ort);
    benutzt |= 1u << ort;
  }
  for (GLuint ort = 0; ort < 16; ++ort)
    if (!(benutzt & (1u << ort))) glDisableVertexAttribArray(ort);
  eingabenVeraendert = false;
  schatten.instanzen = instanzen;
  return D3D_OK;
}

HRESULT Geraet::DrawIndexedPrimitive(D3DPRIMITIVETYPE typ, INT basisVertex, UINT, UINT, UINT startIndex, UINT anzahlPrimitive) {
  if (!inSzene || typ != D3DPT_TRIANGLELIST || !fenster->Aktuell()) return D3DERR_INVALIDCALL;
  if (Verloren()) return D3D_OK;
  auto* ib = static_cast<IndexPuffer*>(indizes);
  if (ib == nullptr) return D3DERR_INVALIDCALL;
  if (HRESULT hr = LoeseProgrammAuf(); FAILED(hr)) return hr;
  const UINT instanzen = Instanzen();
  if (HRESULT hr = LoeseEingabenAuf(instanzen); FAILED(hr)) return hr;
  LoeseZieleAuf();
  LoeseViewportAuf();
  LoeseBlendUndTiefeAuf();
  LoeseSamplerAuf();
  LoeseTexturenAuf();
  LadeRegister(vertexRegister);
  LadeRegister(pixelRegister);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib->name);
  const GLenum indexTyp = ib->indexFormat == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  const auto* start = reinterpret_cast<const void*>(uintptr_t(startIndex) * (indexTyp == GL_UNSIGNED_INT ? 4 : 2));
  const GLsizei anzahl = GLsizei(anzahlPrimitive * 3);
  if (instanzen) glDrawElementsInstancedBaseVertex(GL_TRIANGLES, anzahl, indexTyp, start, GLsizei(instanzen), basisVertex);
  else glDrawElementsBaseVertex(GL_TRIANGLES, anzahl, indexTyp, start, basisVertex);
  MarkiereZielMips();
  return D3D_OK;
}

// Level 0 of an automatic chain was drawn into or cleared: its smaller levels follow before the next sampling.
void Geraet::MarkiereZielMips() {
  for (Objekt* z : renderZiele)
    if (z && AlsFlaeche(z)->textur && AlsFlaeche(z)->level == 0 && AlsFlaeche(z)->textur->autoMip) AlsFlaeche(z)->textur->mipsVeraltet = true;
}

}  // namespace d3d9::gl33
