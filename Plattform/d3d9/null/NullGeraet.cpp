#include "Plattform/d3d9/null/NullGeraet.h"

#include <algorithm>
#include <cstring>

#include "Plattform/d3d9/null/NullObjekte.h"

namespace d3d9::null {

namespace {

uint64_t Adresse(const void* zeiger) { return uint64_t(reinterpret_cast<uintptr_t>(zeiger)); }
uint64_t Bits(float wert) {
  uint32_t bits;
  std::memcpy(&bits, &wert, 4);
  return bits;
}

Objekt* AlsObjekt(IUnknown* schnittstelle) { return schnittstelle ? dynamic_cast<Objekt*>(schnittstelle) : nullptr; }

bool IstTiefenFormat(D3DFORMAT format) { return format == D3DFMT_D32 || format == D3DFMT_D24X8 || format == D3DFMT_D16; }

}  // namespace

Geraet::Geraet(std::shared_ptr<Welt> welt, const D3DPRESENT_PARAMETERS& parameter, D3DFORMAT tiefenFormat)
    : parameter(parameter), tiefenFormat(tiefenFormat), konto(std::make_shared<Konto>()), welt(std::move(welt)) {
  this->welt->geraet = this;
  BaueRueckpuffer();
  SetzeVorgaben();
}

Geraet::~Geraet() = default;

UINT Geraet::AddRef() { return ++ref; }

UINT Geraet::Release() {
  const UINT rest = --ref;
  if (rest != 0) return rest;
  LoeseBindungen();
  GibRueckpufferFrei();
  welt->lebendBeimEnde.clear();
  for (Objekt* o : konto->lebende)
    if (o->behaelter == nullptr) welt->lebendBeimEnde.push_back(o->art);
  if (welt->geraet == this) welt->geraet = nullptr;
  delete this;
  return 0;
}

void Geraet::BaueRueckpuffer() {
  rueckpuffer = new Oberflaeche(konto, D3DPOOL_DEFAULT, 0, "back buffer", parameter.BackBufferFormat,
                                parameter.BackBufferWidth, parameter.BackBufferHeight, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE);
  rueckpuffer->eigen = 1;
  if (tiefenFormat != D3DFMT_UNKNOWN) {
    eigeneTiefe = new Oberflaeche(konto, D3DPOOL_DEFAULT, 0, "depth surface of the back buffer", tiefenFormat,
                                  parameter.BackBufferWidth, parameter.BackBufferHeight, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE);
    eigeneTiefe->eigen = 1;
  }
}

void Geraet::GibRueckpufferFrei() {
  for (Oberflaeche** o : {&rueckpuffer, &eigeneTiefe}) {
    if (*o == nullptr) continue;
    (*o)->eigen = 0;
    (*o)->Release();
    *o = nullptr;
  }
}

void Geraet::LoeseBindungen() {
  for (Objekt*& t : texturen) d3d9::Binde(t, nullptr);
  for (Objekt*& r : renderZiele) d3d9::Binde(r, nullptr);
  for (Objekt*& s : streams) d3d9::Binde(s, nullptr);
  for (Objekt** o : {&tiefe, &indizes, &deklaration, &vertexShader, &pixelShader}) d3d9::Binde(*o, nullptr);
}

void Geraet::SetzeVorgaben() {
  LoeseBindungen();
  renderStates = VorgabeRenderZustaende();
  for (auto& s : samplerStates) s = VorgabeSamplerZustaende();
  streamFrequenz.fill(1);
  streamStride.fill(0);
  vertexRegister.fill(0.0f);
  pixelRegister.fill(0.0f);
  d3d9::Binde(renderZiele[0], rueckpuffer);
  d3d9::Binde(tiefe, eigeneTiefe);
  SetzeViewportAuf(rueckpuffer);
  inSzene = false;
}

void Geraet::SetzeViewportAuf(Oberflaeche* ziel) {
  viewport = {0, 0, ziel->breite, ziel->hoehe, 0.0f, 1.0f};
  AktualisiereGeraeteBlock();
}

void Geraet::AktualisiereGeraeteBlock() {
  geraeteBlock = {1.0f / float(std::max(1u, viewport.Width)), -1.0f / float(std::max(1u, viewport.Height)), 0.0f, 0.0f};
}

int Geraet::SamplerPlatz(DWORD sampler) const {
  if (sampler < 16) return int(sampler);
  if (sampler >= D3DVERTEXTEXTURESAMPLER0 && sampler < D3DVERTEXTEXTURESAMPLER0 + 4)
    return int(16 + sampler - D3DVERTEXTEXTURESAMPLER0);
  return -1;
}

bool Geraet::NachFehlReset(const char* methode, std::vector<uint64_t> argumente, HRESULT& ergebnis) {
  if (!resetGescheitert) return false;
  ++protokollVerstoesse;
  ergebnis = Ende(methode, std::move(argumente), D3DERR_INVALIDCALL);
  return true;
}

std::string Geraet::SucheResetHindernisse() const { return ResetHindernisse(*konto); }

void Geraet::SimulateDeviceLost(UINT abfragen) {
  welt->Merke("SimulateDeviceLost", {abfragen}, D3D_OK);
  verloren = true;
  verlorenAbfragen = abfragen;
}

void Geraet::SetVideoMemoryBudget(uint64_t bytes) {
  welt->Merke("SetVideoMemoryBudget", {bytes}, D3D_OK);
  konto->budget = bytes;
}

void Geraet::SetHostMemoryLimit(uint64_t bytes) {
  welt->Merke("SetHostMemoryLimit", {bytes}, D3D_OK);
  konto->hostGrenze = bytes;
}

HRESULT Geraet::TestCooperativeLevel() {
  HRESULT hr = welt->Vorgabe("TestCooperativeLevel");
  if (hr == D3D_OK && verloren) {
    if (verlorenAbfragen > 0) {
      --verlorenAbfragen;
      hr = D3DERR_DEVICELOST;
    } else {
      hr = D3DERR_DEVICENOTRESET;
    }
  }
  if (hr == D3D_OK && resetGescheitert) hr = D3DERR_DEVICENOTRESET;
  return Ende("TestCooperativeLevel", {}, hr);
}

HRESULT Geraet::Reset(D3DPRESENT_PARAMETERS* neu) {
  HRESULT hr = welt->Vorgabe("Reset");
  if (hr == D3D_OK && neu == nullptr) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && verloren && verlorenAbfragen > 0) hr = D3DERR_DEVICELOST;
  if (hr == D3D_OK) {
    const std::string hindernisse = SucheResetHindernisse();
    welt->letzteResetVerweigerung = hindernisse;
    if (!hindernisse.empty()) {
      MeldeDiagnose("Reset refused: still referenced: " + hindernisse);
      hr = D3DERR_INVALIDCALL;
    }
  }
  if (hr == D3D_OK) {
    LoeseBindungen();
    GibRueckpufferFrei();
    parameter = *neu;
    if (parameter.EnableAutoDepthStencil) tiefenFormat = parameter.AutoDepthStencilFormat;
    BaueRueckpuffer();
    SetzeVorgaben();
    verloren = false;
    resetGescheitert = false;
  } else if (hr != D3DERR_DEVICELOST) {
    resetGescheitert = true;
  }
  return Ende("Reset", {neu ? neu->BackBufferWidth : 0u, neu ? neu->BackBufferHeight : 0u}, hr);
}

HRESULT Geraet::Present(const RECT* quelle, const RECT* ziel, HWND fenster, const void* dirty) {
  MeldePresent();
  HRESULT hr = welt->Vorgabe("Present");
  if (hr == D3D_OK && (verloren || resetGescheitert)) hr = D3DERR_DEVICELOST;
  if (hr == D3D_OK && inSzene) hr = D3DERR_INVALIDCALL;
  return Ende("Present", {Adresse(quelle), Adresse(ziel), Adresse(fenster), Adresse(dirty)}, hr);
}

HRESULT Geraet::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE typ, IDirect3DSurface9** surface) {
  HRESULT hr;
  if (NachFehlReset("GetBackBuffer", {swapChain, backBuffer}, hr)) return hr;
  hr = welt->Vorgabe("GetBackBuffer");
  if (hr == D3D_OK && (swapChain != 0 || backBuffer != 0 || typ != D3DBACKBUFFER_TYPE_MONO || surface == nullptr))
    hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK) {
    rueckpuffer->AddRef();
    *surface = rueckpuffer;
  }
  return Ende("GetBackBuffer", {swapChain, backBuffer}, hr);
}

HRESULT Geraet::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  HRESULT hr;
  if (NachFehlReset("GetDepthStencilSurface", {}, hr)) return hr;
  hr = welt->Vorgabe("GetDepthStencilSurface");
  if (hr == D3D_OK && surface == nullptr) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && tiefe == nullptr) hr = D3DERR_NOTAVAILABLE;
  if (hr == D3D_OK) {
    tiefe->MehrRef();
    *surface = static_cast<Oberflaeche*>(tiefe);
  }
  return Ende("GetDepthStencilSurface", {}, hr);
}

HRESULT Geraet::GetDeviceCaps(D3DCAPS9* caps) {
  HRESULT hr = welt->Vorgabe("GetDeviceCaps");
  if (hr == D3D_OK && caps == nullptr) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK) *caps = welt->konfig.caps;
  return Ende("GetDeviceCaps", {}, hr);
}

HRESULT Geraet::CreateTexture(UINT breite, UINT hoehe, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** textur, HANDLE*) {
  const std::vector<uint64_t> argumente = {breite, hoehe, levels, usage, format, pool};
  HRESULT hr;
  if (NachFehlReset("CreateTexture", argumente, hr)) return hr;
  hr = welt->Vorgabe("CreateTexture");
  const bool bekannt = BitsProPixel(format) != 0 || ZeilenAbstand(format, 4) != 0;
  const D3DCAPS9& caps = welt->konfig.caps;
  if (hr == D3D_OK && (textur == nullptr || breite == 0 || hoehe == 0 || !bekannt)) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && (breite > caps.MaxTextureWidth || hoehe > caps.MaxTextureHeight)) hr = D3DERR_INVALIDCALL;
  const UINT kette = VolleKette(breite, hoehe);
  if (levels == 0 || levels > kette || (usage & D3DUSAGE_AUTOGENMIPMAP)) levels = kette;
  const uint64_t kosten = pool == D3DPOOL_DEFAULT ? TexturBytes(format, breite, hoehe, levels) : 0;
  if (hr == D3D_OK)
    hr = ErzeugeObjekt(*konto, kosten, textur, [&] { return new Textur(konto, pool, 0, breite, hoehe, levels, usage, format); });
  return Ende("CreateTexture", argumente, hr);
}

HRESULT Geraet::CreateCubeTexture(UINT kante, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DCubeTexture9** textur, HANDLE*) {
  const std::vector<uint64_t> argumente = {kante, levels, usage, format, pool};
  HRESULT hr;
  if (NachFehlReset("CreateCubeTexture", argumente, hr)) return hr;
  hr = welt->Vorgabe("CreateCubeTexture");
  if (hr == D3D_OK && (textur == nullptr || kante == 0 || kante > welt->konfig.caps.MaxTextureWidth)) hr = D3DERR_INVALIDCALL;
  const UINT kette = VolleKette(kante, kante);
  if (levels == 0 || levels > kette || (usage & D3DUSAGE_AUTOGENMIPMAP)) levels = kette;
  const uint64_t kosten = pool == D3DPOOL_DEFAULT ? 6 * TexturBytes(format, kante, kante, levels) : 0;
  if (hr == D3D_OK)
    hr = ErzeugeObjekt(*konto, kosten, textur, [&] { return new WuerfelTextur(konto, pool, 0, kante, levels, usage, format); });
  return Ende("CreateCubeTexture", argumente, hr);
}

HRESULT Geraet::CreateVertexBuffer(UINT laenge, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer, HANDLE*) {
  const std::vector<uint64_t> argumente = {laenge, usage, fvf, pool};
  HRESULT hr;
  if (NachFehlReset("CreateVertexBuffer", argumente, hr)) return hr;
  hr = welt->Vorgabe("CreateVertexBuffer");
  if (hr == D3D_OK && (buffer == nullptr || laenge == 0)) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK)
    hr = ErzeugeObjekt(*konto, pool == D3DPOOL_DEFAULT ? laenge : 0, buffer,
                           [&] { return new VertexPuffer(konto, pool, laenge, usage, "vertex buffer"); });
  return Ende("CreateVertexBuffer", argumente, hr);
}

HRESULT Geraet::CreateIndexBuffer(UINT laenge, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer, HANDLE*) {
  const std::vector<uint64_t> argumente = {laenge, usage, format, pool};
  HRESULT hr;
  if (NachFehlReset("CreateIndexBuffer", argumente, hr)) return hr;
  hr = welt->Vorgabe("CreateIndexBuffer");
  if (hr == D3D_OK && (buffer == nullptr || laenge == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)))
    hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK)
    hr = ErzeugeObjekt(*konto, pool == D3DPOOL_DEFAULT ? laenge : 0, buffer,
                          [&] { return new IndexPuffer(konto, pool, laenge, usage, "index buffer"); });
  return Ende("CreateIndexBuffer", argumente, hr);
}

HRESULT Geraet::CreateDepthStencilSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD qualitaet,
                                          BOOL discard, IDirect3DSurface9** surface, HANDLE*) {
  const std::vector<uint64_t> argumente = {breite, hoehe, format, multiSample, qualitaet, uint64_t(discard)};
  HRESULT hr;
  if (NachFehlReset("CreateDepthStencilSurface", argumente, hr)) return hr;
  hr = welt->Vorgabe("CreateDepthStencilSurface");
  if (hr == D3D_OK && (surface == nullptr || breite == 0 || hoehe == 0 || !IstTiefenFormat(format))) hr = D3DERR_INVALIDCALL;
  const uint64_t kosten = uint64_t(breite) * hoehe * (format == D3DFMT_D16 ? 2 : 4);
  if (hr == D3D_OK)
    hr = ErzeugeObjekt(*konto, kosten, surface, [&] {
      return new Oberflaeche(konto, D3DPOOL_DEFAULT, 0, "depth surface " + std::to_string(breite) + "x" + std::to_string(hoehe), format,
                             breite, hoehe, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE);
    });
  return Ende("CreateDepthStencilSurface", argumente, hr);
}

HRESULT Geraet::CreateOffscreenPlainSurface(UINT breite, UINT hoehe, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface,
                                            HANDLE*) {
  const std::vector<uint64_t> argumente = {breite, hoehe, format, pool};
  HRESULT hr;
  if (NachFehlReset("CreateOffscreenPlainSurface", argumente, hr)) return hr;
  hr = welt->Vorgabe("CreateOffscreenPlainSurface");
  if (hr == D3D_OK && (surface == nullptr || breite == 0 || hoehe == 0 || pool != D3DPOOL_SYSTEMMEM)) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK)
    hr = ErzeugeObjekt(*konto, 0, surface,
                          [&] { return new Oberflaeche(konto, pool, 0, "offscreen surface", format, breite, hoehe, 0, D3DRTYPE_SURFACE); });
  return Ende("CreateOffscreenPlainSurface", argumente, hr);
}

namespace {
bool GleicheForm(const Oberflaeche* a, const Oberflaeche* b) {
  return a && b && a->format == b->format && a->breite == b->breite && a->hoehe == b->hoehe;
}
}  // namespace

HRESULT Geraet::UpdateSurface(IDirect3DSurface9* quelle, const RECT* quellRechteck, IDirect3DSurface9* ziel, const POINT* zielPunkt) {
  HRESULT hr = welt->Vorgabe("UpdateSurface");
  auto* q = dynamic_cast<Oberflaeche*>(quelle);
  auto* z = dynamic_cast<Oberflaeche*>(ziel);
  // The whole source onto the destination's top-left corner, as the engine uploads.
  const bool passt = q && z && q->format == z->format && q->breite <= z->breite && q->hoehe <= z->hoehe;
  const bool ecke = zielPunkt == nullptr || (zielPunkt->x == 0 && zielPunkt->y == 0);
  if (hr == D3D_OK && (!passt || quellRechteck || !ecke || q->pool != D3DPOOL_SYSTEMMEM || z->pool != D3DPOOL_DEFAULT))
    hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK)
    for (UINT zeile = 0; zeile < Zeilen(q->format, q->hoehe); ++zeile)
      std::memcpy(z->bytes.data() + size_t(zeile) * z->Abstand(), q->bytes.data() + size_t(zeile) * q->Abstand(), q->Abstand());
  return Ende("UpdateSurface", {Adresse(quelle), Adresse(ziel)}, hr);
}

HRESULT Geraet::GetRenderTargetData(IDirect3DSurface9* renderZiel, IDirect3DSurface9* ziel) {
  HRESULT hr = welt->Vorgabe("GetRenderTargetData");
  auto* q = dynamic_cast<Oberflaeche*>(renderZiel);
  auto* z = dynamic_cast<Oberflaeche*>(ziel);
  if (hr == D3D_OK && (!GleicheForm(q, z) || !(q->usage & D3DUSAGE_RENDERTARGET) || z->pool != D3DPOOL_SYSTEMMEM))
    hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK) z->bytes = q->bytes;
  return Ende("GetRenderTargetData", {Adresse(renderZiel), Adresse(ziel)}, hr);
}

HRESULT Geraet::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  HRESULT hr = welt->Vorgabe("SetRenderTarget");
  auto* ziel = dynamic_cast<Oberflaeche*>(surface);
  if (hr == D3D_OK && (index >= std::min<DWORD>(4, welt->konfig.caps.NumSimultaneousRTs) || (index == 0 && ziel == nullptr)))
    hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && ziel && !(ziel->usage & D3DUSAGE_RENDERTARGET)) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) {
    d3d9::Binde(renderZiele[index], ziel);
    if (index == 0) SetzeViewportAuf(ziel);
  }
  return Ende("SetRenderTarget", {index, Adresse(surface)}, hr);
}

HRESULT Geraet::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  HRESULT hr = welt->Vorgabe("SetDepthStencilSurface");
  auto* ziel = dynamic_cast<Oberflaeche*>(surface);
  if (hr == D3D_OK && ziel && !(ziel->usage & D3DUSAGE_DEPTHSTENCIL)) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) d3d9::Binde(tiefe, ziel);
  return Ende("SetDepthStencilSurface", {Adresse(surface)}, hr);
}

HRESULT Geraet::BeginScene() {
  HRESULT hr = welt->Vorgabe("BeginScene");
  if (hr == D3D_OK && inSzene) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK) inSzene = true;
  return Ende("BeginScene", {}, hr);
}

HRESULT Geraet::EndScene() {
  HRESULT hr = welt->Vorgabe("EndScene");
  if (hr == D3D_OK && !inSzene) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK) inSzene = false;
  return Ende("EndScene", {}, hr);
}

HRESULT Geraet::Clear(DWORD anzahl, const RECT* rechtecke, DWORD flags, D3DCOLOR farbe, float z, DWORD stencil) {
  const std::vector<uint64_t> argumente = {anzahl, Adresse(rechtecke), flags, farbe, Bits(z), stencil};
  HRESULT hr = welt->Vorgabe("Clear");
  if (hr == D3D_OK && ((flags & D3DCLEAR_STENCIL) || ((flags & D3DCLEAR_ZBUFFER) && tiefe == nullptr) || (anzahl != 0 && rechtecke == nullptr)))
    hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren && (flags & D3DCLEAR_TARGET) && renderZiele[0])
    static_cast<Oberflaeche*>(renderZiele[0])->Fuelle(viewport, farbe);
  return Ende("Clear", argumente, hr);
}

HRESULT Geraet::SetViewport(const D3DVIEWPORT9* neu) {
  HRESULT hr = welt->Vorgabe("SetViewport");
  if (hr == D3D_OK && neu == nullptr) hr = D3DERR_INVALIDCALL;
  const auto* ziel = static_cast<Oberflaeche*>(renderZiele[0]);
  if (hr == D3D_OK && (neu->Width == 0 || neu->Height == 0 || uint64_t(neu->X) + neu->Width > ziel->breite || uint64_t(neu->Y) + neu->Height > ziel->hoehe))
    hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) {
    viewport = *neu;
    AktualisiereGeraeteBlock();
  }
  if (neu == nullptr) return Ende("SetViewport", {}, hr);
  return Ende("SetViewport", {neu->X, neu->Y, neu->Width, neu->Height, Bits(neu->MinZ), Bits(neu->MaxZ)}, hr);
}

HRESULT Geraet::GetViewport(D3DVIEWPORT9* aus) {
  if (aus == nullptr) return Ende("GetViewport", {}, D3DERR_INVALIDCALL);
  *aus = viewport;
  return Ende("GetViewport", {}, D3D_OK);
}

HRESULT Geraet::SetRenderState(D3DRENDERSTATETYPE zustand, DWORD wert) {
  HRESULT hr = welt->Vorgabe("SetRenderState");
  if (hr == D3D_OK && renderStates.find(zustand) == renderStates.end()) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) renderStates[zustand] = wert;
  return Ende("SetRenderState", {zustand, wert}, hr);
}

HRESULT Geraet::GetRenderState(D3DRENDERSTATETYPE zustand, DWORD* wert) {
  auto it = renderStates.find(zustand);
  if (wert == nullptr || it == renderStates.end()) return Ende("GetRenderState", {zustand}, D3DERR_INVALIDCALL);
  *wert = it->second;
  return Ende("GetRenderState", {zustand}, D3D_OK);
}

HRESULT Geraet::SetTexture(DWORD sampler, IDirect3DBaseTexture9* textur) {
  HRESULT hr = welt->Vorgabe("SetTexture");
  const int platz = SamplerPlatz(sampler);
  if (hr == D3D_OK && platz < 0) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) d3d9::Binde(texturen[size_t(platz)], AlsObjekt(textur));
  return Ende("SetTexture", {sampler, Adresse(textur)}, hr);
}

HRESULT Geraet::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD wert) {
  HRESULT hr = welt->Vorgabe("SetSamplerState");
  const int platz = SamplerPlatz(sampler);
  if (hr == D3D_OK && (platz < 0 || samplerStates[0].find(typ) == samplerStates[0].end())) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) samplerStates[size_t(platz)][typ] = wert;
  return Ende("SetSamplerState", {sampler, typ, wert}, hr);
}

HRESULT Geraet::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE typ, DWORD* wert) {
  const int platz = SamplerPlatz(sampler);
  if (wert == nullptr || platz < 0 || samplerStates[size_t(platz)].count(typ) == 0)
    return Ende("GetSamplerState", {sampler, typ}, D3DERR_INVALIDCALL);
  *wert = samplerStates[size_t(platz)][typ];
  return Ende("GetSamplerState", {sampler, typ}, D3D_OK);
}

HRESULT Geraet::DrawIndexedPrimitive(D3DPRIMITIVETYPE typ, INT basisVertex, UINT minIndex, UINT anzahlVertices, UINT startIndex,
                                     UINT anzahlPrimitive) {
  HRESULT hr = welt->Vorgabe("DrawIndexedPrimitive");
  if (hr == D3D_OK && (!inSzene || typ != D3DPT_TRIANGLELIST)) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren && welt->beiZeichnung) welt->beiZeichnung(*this);
  return Ende("DrawIndexedPrimitive", {typ, uint64_t(int64_t(basisVertex)), minIndex, anzahlVertices, startIndex, anzahlPrimitive}, hr);
}

HRESULT Geraet::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elemente, IDirect3DVertexDeclaration9** deklaration) {
  HRESULT hr;
  if (NachFehlReset("CreateVertexDeclaration", {Adresse(elemente)}, hr)) return hr;
  hr = welt->Vorgabe("CreateVertexDeclaration");
  std::vector<D3DVERTEXELEMENT9> liste;
  std::string fehler;
  if (hr == D3D_OK && deklaration == nullptr) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK) hr = PruefeDeklaration(elemente, liste, fehler);
  if (!fehler.empty()) MeldeDiagnose("CreateVertexDeclaration: " + fehler);
  if (hr == D3D_OK) *deklaration = new Deklaration(konto, std::move(liste));
  return Ende("CreateVertexDeclaration", {Adresse(elemente)}, hr);
}

HRESULT Geraet::SetVertexDeclaration(IDirect3DVertexDeclaration9* neu) {
  HRESULT hr = welt->Vorgabe("SetVertexDeclaration");
  if (hr == D3D_OK && !verloren) d3d9::Binde(deklaration, AlsObjekt(neu));
  return Ende("SetVertexDeclaration", {Adresse(neu)}, hr);
}

namespace {
template <class Art, class Schnittstelle>
HRESULT ErzeugeShader(const std::shared_ptr<Konto>& konto, const DWORD* code, ShaderStufe stufe, Schnittstelle** shader, const char* art) {
  if (shader == nullptr) return D3DERR_INVALIDCALL;
  ShaderCode gelesen;
  std::string fehler;
  const HRESULT hr = Dekodiere(code, SIZE_MAX, stufe, gelesen, fehler);
  if (FAILED(hr)) {
    MeldeDiagnose(std::string(art) + ": " + fehler);
    return hr;
  }
  *shader = new Art(konto, std::move(gelesen), art);
  return D3D_OK;
}
}  // namespace

HRESULT Geraet::CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) {
  HRESULT hr;
  if (NachFehlReset("CreateVertexShader", {Adresse(code)}, hr)) return hr;
  hr = welt->Vorgabe("CreateVertexShader");
  if (hr == D3D_OK) hr = ErzeugeShader<VertexShader>(konto, code, ShaderStufe::Vertex, shader, "vertex shader");
  return Ende("CreateVertexShader", {Adresse(code)}, hr);
}

HRESULT Geraet::CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) {
  HRESULT hr;
  if (NachFehlReset("CreatePixelShader", {Adresse(code)}, hr)) return hr;
  hr = welt->Vorgabe("CreatePixelShader");
  if (hr == D3D_OK) hr = ErzeugeShader<PixelShader>(konto, code, ShaderStufe::Pixel, shader, "pixel shader");
  return Ende("CreatePixelShader", {Adresse(code)}, hr);
}

HRESULT Geraet::SetVertexShader(IDirect3DVertexShader9* shader) {
  HRESULT hr = welt->Vorgabe("SetVertexShader");
  if (hr == D3D_OK && !verloren) d3d9::Binde(vertexShader, AlsObjekt(shader));
  return Ende("SetVertexShader", {Adresse(shader)}, hr);
}

HRESULT Geraet::SetPixelShader(IDirect3DPixelShader9* shader) {
  HRESULT hr = welt->Vorgabe("SetPixelShader");
  if (hr == D3D_OK && !verloren) d3d9::Binde(pixelShader, AlsObjekt(shader));
  return Ende("SetPixelShader", {Adresse(shader)}, hr);
}

namespace {
HRESULT SchreibeRegister(float* datei, UINT register_, UINT start, const float* daten, UINT anzahl, bool schreiben) {
  if (daten == nullptr || uint64_t(start) + anzahl > register_) return D3DERR_INVALIDCALL;
  if (schreiben) std::memcpy(datei + size_t(start) * 4, daten, size_t(anzahl) * 16);
  return D3D_OK;
}
HRESULT LiesRegister(const float* datei, UINT register_, UINT start, float* daten, UINT anzahl) {
  if (daten == nullptr || uint64_t(start) + anzahl > register_) return D3DERR_INVALIDCALL;
  std::memcpy(daten, datei + size_t(start) * 4, size_t(anzahl) * 16);
  return D3D_OK;
}
}  // namespace

HRESULT Geraet::SetVertexShaderConstantF(UINT start, const float* daten, UINT anzahl) {
  HRESULT hr = welt->Vorgabe("SetVertexShaderConstantF");
  if (hr == D3D_OK) hr = SchreibeRegister(vertexRegister.data(), VERTEX_REGISTER, start, daten, anzahl, !verloren);
  return Ende("SetVertexShaderConstantF", {start, Adresse(daten), anzahl}, hr);
}

HRESULT Geraet::GetVertexShaderConstantF(UINT start, float* daten, UINT anzahl) {
  return Ende("GetVertexShaderConstantF", {start, anzahl}, LiesRegister(vertexRegister.data(), VERTEX_REGISTER, start, daten, anzahl));
}

HRESULT Geraet::SetPixelShaderConstantF(UINT start, const float* daten, UINT anzahl) {
  HRESULT hr = welt->Vorgabe("SetPixelShaderConstantF");
  if (hr == D3D_OK) hr = SchreibeRegister(pixelRegister.data(), PIXEL_REGISTER, start, daten, anzahl, !verloren);
  return Ende("SetPixelShaderConstantF", {start, Adresse(daten), anzahl}, hr);
}

HRESULT Geraet::GetPixelShaderConstantF(UINT start, float* daten, UINT anzahl) {
  return Ende("GetPixelShaderConstantF", {start, anzahl}, LiesRegister(pixelRegister.data(), PIXEL_REGISTER, start, daten, anzahl));
}

HRESULT Geraet::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  HRESULT hr = welt->Vorgabe("SetStreamSource");
  if (hr == D3D_OK && stream >= STREAMS) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) {
    d3d9::Binde(streams[stream], AlsObjekt(buffer));
    streamStride[stream] = stride;
  }
  return Ende("SetStreamSource", {stream, Adresse(buffer), offset, stride}, hr);
}

HRESULT Geraet::SetStreamSourceFreq(UINT stream, UINT einstellung) {
  HRESULT hr = welt->Vorgabe("SetStreamSourceFreq");
  const bool beide = (einstellung & D3DSTREAMSOURCE_INDEXEDDATA) && (einstellung & D3DSTREAMSOURCE_INSTANCEDATA);
  if (hr == D3D_OK && (stream >= STREAMS || beide || (einstellung & 0x3FFFFFFF) == 0)) hr = D3DERR_INVALIDCALL;
  if (hr == D3D_OK && !verloren) streamFrequenz[stream] = einstellung;
  return Ende("SetStreamSourceFreq", {stream, einstellung}, hr);
}

HRESULT Geraet::SetIndices(IDirect3DIndexBuffer9* buffer) {
  HRESULT hr = welt->Vorgabe("SetIndices");
  if (hr == D3D_OK && !verloren) d3d9::Binde(indizes, AlsObjekt(buffer));
  return Ende("SetIndices", {Adresse(buffer)}, hr);
}

}  // namespace d3d9::null
