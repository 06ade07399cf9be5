#include "Zarvo_ZeichenKontextImplDX9.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "Plattform/d3dx9/d3dx9.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Start.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

namespace {
constexpr uint32_t CACHE_UNBEKANNT = ~uint32_t(0);
constexpr uint64_t CACHE_UNBEKANNT64 = ~uint64_t(0);
// A texture cache value that matches no texture, so the first bind reaches the device.
IDirect3DBaseTexture9* const TEXTUR_UNBEKANNT = reinterpret_cast<IDirect3DBaseTexture9*>(~uintptr_t(0));
constexpr uint32_t SYSTEM_MINIMIERT = 2;
constexpr uint32_t STUFE_FEHLT = 255;
constexpr uint32_t HANDLE_OHNE_STUFEN = 65535;
constexpr uint32_t PIXEL_STUFEN = 16;
constexpr uint32_t VERTEX_STUFEN = 4;
constexpr uint32_t GELEERTE_STUFEN = 6;
}  // namespace

std::function<void(uint32_t)> Zarvo_ZeichenKontextImplDX9::warte = [](uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
};

Zarvo_ZeichenKontextImplDX9::Zarvo_ZeichenKontextImplDX9(Zarvo_ZeichenKontext& kontext) : kontext(kontext) {
  SetzeCachesZurueck();
  d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (d3d == nullptr) {
    g_Log.Schreibe("!Zarvo_ZeichenKontextImplDX9::Zarvo_ZeichenKontextImplDX9(): Couldn't create Direct3D 9 interface.");
    ZARVO_PRUEFE("DirectX initialisation failed");
    return;
  }
  FuellePraesentation();
  ErzeugeGeraet();
}

Zarvo_ZeichenKontextImplDX9::~Zarvo_ZeichenKontextImplDX9() { GibGeraetFrei(); }

void Zarvo_ZeichenKontextImplDX9::FuellePraesentation() {
  const Zarvo_BildschirmZustand& b = kontext.bildschirm;
  parameter = {};
  parameter.BackBufferWidth = b.breite;
  parameter.BackBufferHeight = b.hoehe;
  parameter.BackBufferFormat = b.farbTiefe == 1 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
  parameter.BackBufferCount = 0;
  parameter.MultiSampleType = D3DMULTISAMPLE_NONE;
  parameter.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameter.hDeviceWindow = nullptr;
  parameter.Windowed = !b.vollbild;
  parameter.EnableAutoDepthStencil = 1;
  parameter.AutoDepthStencilFormat = parameter.AutoDepthStencilFormat ? parameter.AutoDepthStencilFormat : D3DFMT_D16;
  parameter.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  parameter.FullScreen_RefreshRateInHz = b.vollbild ? b.bildWiederholrate : 0;
  parameter.PresentationInterval = (b.flags & Zarvo_BildschirmZustand::FLAG_VSYNC) ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
}

uint32_t Zarvo_ZeichenKontextImplDX9::WaehleAdapter(D3DDEVTYPE& typ) {
  typ = (kontext.bildschirm.flags & Zarvo_BildschirmZustand::FLAG_REFERENZ) ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
  const UINT anzahl = d3d->GetAdapterCount();
  for (UINT adapter = 0; adapter < anzahl; ++adapter) {
    D3DADAPTER_IDENTIFIER9 kennung{};
    if (FAILED(d3d->GetAdapterIdentifier(adapter, 0, &kennung))) continue;
    kennung.Description[sizeof(kennung.Description) - 1] = 0;
    if (std::strstr(kennung.Description, "PerfHUD") == nullptr) continue;
    typ = D3DDEVTYPE_REF;
    g_Log.DebugAusgabe("NVPerfHUD gefunden, benutze PerfHUD-Adapter %d", int(adapter));
    return adapter;
  }
  return 0;
}

D3DFORMAT Zarvo_ZeichenKontextImplDX9::WaehleTiefenFormat(uint32_t adapter, D3DDEVTYPE typ) {
  struct Wahl {
    D3DFORMAT format;
    const char* zeile;
  };
  static constexpr Wahl WAHLEN[] = {{D3DFMT_D32, "Zarvo_Screen3D::Init(...): 32Bit-ZBuffer gewählt"},
                                    {D3DFMT_D24X8, "Zarvo_Screen3D::Init(...): 24Bit-ZBuffer gewählt"}};
  for (const Wahl& wahl : WAHLEN) {
    if (FAILED(d3d->CheckDeviceFormat(adapter, typ, parameter.BackBufferFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, wahl.format)))
      continue;
    g_Log.DebugAusgabe("%s", wahl.zeile);
    return wahl.format;
  }
  g_Log.DebugAusgabe("Zarvo_Screen3D::Init(...): 16Bit-ZBuffer gewählt");
  return D3DFMT_D16;
}

void Zarvo_ZeichenKontextImplDX9::ErzeugeGeraet() {
  D3DDEVTYPE typ = D3DDEVTYPE_HAL;
  const uint32_t adapter = WaehleAdapter(typ);
  parameter.AutoDepthStencilFormat = WaehleTiefenFormat(adapter, typ);
  const DWORD verhalten = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE | D3DCREATE_FPU_PRESERVE;
  if (FAILED(d3d->CreateDevice(adapter, typ, kontext.bildschirm.fenster, verhalten, &parameter, &geraet))) {
    geraet = nullptr;
    g_Log.Schreibe("!Zarvo_ZeichenKontextImplDX9::Zarvo_ZeichenKontextImplDX9(): Failed to create Direct3D device.");
    ZARVO_PRUEFE("DirectX device creation failed.");
    return;
  }
  HoleFlaechen();
  LiesFaehigkeiten();
}

void Zarvo_ZeichenKontextImplDX9::HoleFlaechen() {
  if (FAILED(geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rueckpuffer))) rueckpuffer = nullptr;
  if (FAILED(geraet->GetDepthStencilSurface(&eigeneTiefe))) eigeneTiefe = nullptr;
  gebundeneFarbe[0] = rueckpuffer;
  gebundeneTiefe = eigeneTiefe;
}

void Zarvo_ZeichenKontextImplDX9::LiesFaehigkeiten() {
  D3DCAPS9 caps{};
  if (FAILED(geraet->GetDeviceCaps(&caps))) return;
  const bool anisotrop = (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) != 0;
  kontext.faehigkeiten = {caps.MaxTextureWidth, caps.MaxTextureHeight, 16, anisotrop ? caps.MaxAnisotropy : 0,
                          caps.NumSimultaneousRTs};
  vertexProfil = d3dx9::D3DXGetVertexShaderProfile(geraet);
  pixelProfil = d3dx9::D3DXGetPixelShaderProfile(geraet);
}

void Zarvo_ZeichenKontextImplDX9::LasseFlaechenLos() {
  for (IDirect3DSurface9** flaeche : {&rueckpuffer, &eigeneTiefe}) {
    if (*flaeche) (*flaeche)->Release();
    *flaeche = nullptr;
  }
}

void Zarvo_ZeichenKontextImplDX9::GibGeraetFrei() {
  LasseFlaechenLos();
  if (geraet) geraet->Release();
  geraet = nullptr;
  if (d3d) d3d->Release();
  d3d = nullptr;
}

void Zarvo_ZeichenKontextImplDX9::SetzeCachesZurueck() {
  gebundeneFarbe.fill(nullptr);
  gebundeneTiefe = nullptr;
  gebundeneDeklaration = nullptr;
  gebundenerVertexShader = nullptr;
  gebundenerPixelShader = nullptr;
  std::memset(konstanten, 0, sizeof konstanten);
  vertexSchmutz = {};
  pixelSchmutz = {};
  renderCache.fill(CACHE_UNBEKANNT);
  samplerCache.fill({TEXTUR_UNBEKANNT, CACHE_UNBEKANNT64, CACHE_UNBEKANNT64, CACHE_UNBEKANNT64, CACHE_UNBEKANNT64,
                     CACHE_UNBEKANNT64});
  streamFrequenz.fill(0);
  stream0 = nullptr;
  stream0Groesse = 0;
}

// ---- constants ----

void Zarvo_ZeichenKontextImplDX9::SchreibeKonstanten(uint32_t start, uint32_t grenze, uint32_t basis, Schmutz& schmutz,
                                                      const float* register_, uint32_t anzahl) {
  const uint32_t kopiert = start < grenze ? std::min(anzahl, grenze - start) : 0;
  if (kopiert == 0) return;
  std::memcpy(konstanten[basis + start], register_, size_t(kopiert) * 16);
  schmutz.tief = std::min(schmutz.tief, start);
  schmutz.hoch = std::max(schmutz.hoch, start + kopiert);
}

void Zarvo_ZeichenKontextImplDX9::SetProgrammKonstante(uint32_t handle, const float* register_, uint32_t anzahl) {
  const uint32_t v = handle & KEIN_REGISTER;
  const uint32_t p = (handle >> 12) & KEIN_REGISTER;
  if (v < KEIN_REGISTER) {
    if (uint64_t(v) + anzahl > VERTEX_REGISTER) ZARVO_PRUEFE("Ungültiger Konstantenindex");
    SchreibeKonstanten(v, VERTEX_REGISTER, 0, vertexSchmutz, register_, anzahl);
  }
  if (p < KEIN_REGISTER) {
    if (uint64_t(p) + anzahl > PIXEL_REGISTER) ZARVO_PRUEFE("Ungültiger Konstantenindex");
    SchreibeKonstanten(p, PIXEL_REGISTER, VERTEX_REGISTER, pixelSchmutz, register_, anzahl);
  }
}

void Zarvo_ZeichenKontextImplDX9::SetProgrammKonstante(uint32_t handle, float x, float y, float z, float w) {
  const float werte[4] = {x, y, z, w};
  SetProgrammKonstante(handle, werte, 1);
}

// ---- render states ----

bool Zarvo_ZeichenKontextImplDX9::SendeRenderState(RenderCache cache, D3DRENDERSTATETYPE zustand, uint32_t wert) {
  if (renderCache[cache] == wert) return true;
  renderCache[cache] = wert;
  return geraet == nullptr || SUCCEEDED(geraet->SetRenderState(zustand, wert));
}

void Zarvo_ZeichenKontextImplDX9::SetAlphaZustand(const Zarvo_AlphaZustand& z) {
  kontext.alphaId = Zarvo_ZeichenKontext::UNGESETZT;
  bool ok = SendeRenderState(BLEND_AKTIV, D3DRS_ALPHABLENDENABLE, z.alphaBlendAktiv);
  if (z.alphaBlendAktiv) {
    ok &= SendeRenderState(BLEND_OP, D3DRS_BLENDOP, z.blendOperation);
    ok &= SendeRenderState(QUELL_BLEND, D3DRS_SRCBLEND, z.quellBlend);
    ok &= SendeRenderState(ZIEL_BLEND, D3DRS_DESTBLEND, z.zielBlend);
    ok &= SendeRenderState(ALPHA_GETRENNT, D3DRS_SEPARATEALPHABLENDENABLE, z.getrenntesAlpha);
    if (z.getrenntesAlpha) {
      ok &= SendeRenderState(ALPHA_BLEND_OP, D3DRS_BLENDOPALPHA, z.alphaBlendOperation);
      ok &= SendeRenderState(ALPHA_QUELL_BLEND, D3DRS_SRCBLENDALPHA, z.alphaQuellBlend);
      ok &= SendeRenderState(ALPHA_ZIEL_BLEND, D3DRS_DESTBLENDALPHA, z.alphaZielBlend);
    }
  }
  ok &= SendeRenderState(SCHREIB_MASKE, D3DRS_COLORWRITEENABLE, z.schreibMaske);
  if (!ok) ZARVO_PRUEFE("AlphaBlend-Einstellung gescheitert");
}

void Zarvo_ZeichenKontextImplDX9::SetTiefeZustand(const Zarvo_TiefeZustand& z) {
  if (!SendeRenderState(Z_AKTIV, D3DRS_ZENABLE, z.zAktiv)) ZARVO_PRUEFE("ZBuffer-Test-Einstellung gescheitert");
  if (!SendeRenderState(Z_SCHREIBEN, D3DRS_ZWRITEENABLE, z.zSchreibAktiv)) ZARVO_PRUEFE("ZBuffer-Schreiben-Einstellung gescheitert");
  if (!SendeRenderState(Z_FUNKTION, D3DRS_ZFUNC, z.zFunktion)) ZARVO_PRUEFE("ZBuffer-Testfunktion-Einstellung gescheitert");
}

void Zarvo_ZeichenKontextImplDX9::SetRueckseite(uint32_t cullModus) {
  if (geraet && FAILED(geraet->SetRenderState(D3DRS_CULLMODE, cullModus))) ZARVO_PRUEFE("Rückseiten-Änderung gescheitert.");
}

void Zarvo_ZeichenKontextImplDX9::SetFuellModus(bool drahtgitter) {
  const DWORD modus = drahtgitter ? D3DFILL_WIREFRAME : D3DFILL_SOLID;
  if (geraet && FAILED(geraet->SetRenderState(D3DRS_FILLMODE, modus))) ZARVO_PRUEFE("Drahtgitter-Modus gescheitert.");
}

void Zarvo_ZeichenKontextImplDX9::SetViewport(uint64_t x, uint64_t y, uint64_t breite, uint64_t hoehe) {
  const D3DVIEWPORT9 vp = {DWORD(x), DWORD(y), DWORD(breite), DWORD(hoehe), 0.0f, 1.0f};
  if (geraet && FAILED(geraet->SetViewport(&vp))) ZARVO_PRUEFE("Failed to set viewport.");
}

void Zarvo_ZeichenKontextImplDX9::Leeren(uint32_t flags, D3DCOLOR farbe) {
  const DWORD ziele = ((flags & 1) ? D3DCLEAR_TARGET : 0) | ((flags & 2) ? D3DCLEAR_ZBUFFER : 0);
  if (geraet && FAILED(geraet->Clear(0, nullptr, ziele, farbe, 1.0f, 0))) ZARVO_PRUEFE("Failed to clear buffers");
}

// ---- textures and samplers ----

bool Zarvo_ZeichenKontextImplDX9::SendeSampler(uint32_t sampler, uint64_t& cache, uint64_t wert,
                                               std::initializer_list<std::pair<D3DSAMPLERSTATETYPE, uint32_t>> werte) {
  if (cache == wert) return true;
  cache = wert;
  bool ok = true;
  for (const auto& [typ, w] : werte)
    if (geraet && FAILED(geraet->SetSamplerState(sampler, typ, w))) ok = false;
  return ok;
}

bool Zarvo_ZeichenKontextImplDX9::BindeStufe(uint32_t cacheIndex, uint32_t sampler, IDirect3DBaseTexture9* textur) {
  SamplerCache& cache = samplerCache[cacheIndex];
  if (cache.textur != textur) {
    cache.textur = textur;
    if (geraet && FAILED(geraet->SetTexture(sampler, textur))) return false;
  }
  return true;
}

void Zarvo_ZeichenKontextImplDX9::SetTextur(uint32_t handle, const Zarvo_Sampler* s, IDirect3DBaseTexture9* textur) {
  if (handle == HANDLE_OHNE_STUFEN) return;
  struct Durchgang {
    uint32_t stufe, anzahl, sampler, cache;
  };
  const uint32_t vertexStufe = (handle >> 8) & 0xFF, pixelStufe = handle & 0xFF;
  const Durchgang durchgaenge[2] = {{vertexStufe, VERTEX_STUFEN, D3DVERTEXTEXTURESAMPLER0 + vertexStufe, PIXEL_STUFEN + vertexStufe},
                                    {pixelStufe, PIXEL_STUFEN, pixelStufe, pixelStufe}};
  for (const Durchgang& d : durchgaenge) {
    if (d.stufe == STUFE_FEHLT || d.stufe >= d.anzahl) continue;  // absent, or no such stage
    if (!BindeStufe(d.cache, d.sampler, textur)) ZARVO_PRUEFE("Texturzuweisung gescheitert");
    if (s == nullptr || textur == nullptr) continue;
    SamplerCache& cache = samplerCache[d.cache];
    const Zarvo_SamplerBeschr& b = s->beschreibung;
    bool ok = SendeSampler(d.sampler, cache.adresse, b.AdressSchluessel(),
                           {{D3DSAMP_ADDRESSU, s->adresseU}, {D3DSAMP_ADDRESSV, s->adresseV}});
    ok &= SendeSampler(d.sampler, cache.filter, b.filter,
                       {{D3DSAMP_MINFILTER, s->minFilter}, {D3DSAMP_MAGFILTER, s->magFilter}, {D3DSAMP_MIPFILTER, s->mipFilter}});
    if (s->benutztRand) ok &= SendeSampler(d.sampler, cache.randFarbe, s->randFarbe, {{D3DSAMP_BORDERCOLOR, s->randFarbe}});
    if (s->anisotrop)
      ok &= SendeSampler(d.sampler, cache.maxAnisotropie, s->maxAnisotropie, {{D3DSAMP_MAXANISOTROPY, s->maxAnisotropie}});
    ok &= SendeSampler(d.sampler, cache.maxMipLevel, s->maxMipLevel, {{D3DSAMP_MAXMIPLEVEL, s->maxMipLevel}});
    if (!ok) ZARVO_PRUEFE("Sampler-Zuweisung gescheitert");
  }
}

void Zarvo_ZeichenKontextImplDX9::LeereTexturStufen() {
  for (uint32_t stufe = 0; stufe < GELEERTE_STUFEN; ++stufe) {
    if (samplerCache[stufe].textur == nullptr) continue;
    samplerCache[stufe].textur = nullptr;
    if (geraet && FAILED(geraet->SetTexture(stufe, nullptr))) ZARVO_PRUEFE("Texturzuweisung gescheitert");
  }
}

// ---- bindings ----

bool Zarvo_ZeichenKontextImplDX9::SetDeklaration(IDirect3DVertexDeclaration9* deklaration) {
  if (gebundeneDeklaration == deklaration) return true;
  gebundeneDeklaration = deklaration;
  if (geraet && FAILED(geraet->SetVertexDeclaration(deklaration))) {
    ZARVO_PRUEFE("Failed to set vertex input declaration.");
    return false;
  }
  return true;
}

bool Zarvo_ZeichenKontextImplDX9::SetVertexShader(IDirect3DVertexShader9* shader) {
  if (gebundenerVertexShader == shader) return true;
  gebundenerVertexShader = shader;
  if (geraet && FAILED(geraet->SetVertexShader(shader))) {
    ZARVO_PRUEFE("Failed to set vertex shader.");
    return false;
  }
  return true;
}

bool Zarvo_ZeichenKontextImplDX9::SetPixelShader(IDirect3DPixelShader9* shader) {
  if (gebundenerPixelShader == shader) return true;
  gebundenerPixelShader = shader;
  if (geraet && FAILED(geraet->SetPixelShader(shader))) {
    ZARVO_PRUEFE("Failed to set pixel shader.");
    return false;
  }
  return true;
}

bool Zarvo_ZeichenKontextImplDX9::SetStreamQuelle(uint32_t stream, IDirect3DVertexBuffer9* buffer, uint32_t groesse, uint32_t stride) {
  if (geraet && FAILED(geraet->SetStreamSource(stream, buffer, 0, stride))) {
    ZARVO_PRUEFE("VertexBuffer-Zuweisung gescheitert");
    return false;
  }
  if (stream == 0) {
    stream0 = buffer;
    stream0Groesse = buffer ? groesse : 0;
  }
  return true;
}

bool Zarvo_ZeichenKontextImplDX9::SetIndizes(IDirect3DIndexBuffer9* buffer) {
  if (geraet && FAILED(geraet->SetIndices(buffer))) {
    ZARVO_PRUEFE("IndexBuffer-Zuweisung gescheitert");
    return false;
  }
  return true;
}

void Zarvo_ZeichenKontextImplDX9::SetRenderZiel(IDirect3DSurface9* farbe, IDirect3DSurface9* tiefe) {
  IDirect3DSurface9* const slots[4] = {farbe ? farbe : rueckpuffer, nullptr, nullptr, nullptr};
  for (DWORD slot = 0; slot < 4; ++slot) {
    if (gebundeneFarbe[slot] == slots[slot]) continue;
    gebundeneFarbe[slot] = slots[slot];
    if (geraet && FAILED(geraet->SetRenderTarget(slot, slots[slot]))) {
      ZARVO_PRUEFE("Failed to set render target.");
      return;
    }
  }
  if (gebundeneTiefe == tiefe) return;
  gebundeneTiefe = tiefe;
  if (geraet && FAILED(geraet->SetDepthStencilSurface(tiefe))) ZARVO_PRUEFE("Failed to set zbuffer.");
}

void Zarvo_ZeichenKontextImplDX9::SetRenderZielRueckpuffer() { SetRenderZiel(nullptr, eigeneTiefe); }

// ---- drawing ----

void Zarvo_ZeichenKontextImplDX9::InternVorZeichenAufruf(uint32_t instanzen, uint64_t streamAnzahl, uint64_t instanzMaske) {
  const uint32_t stroeme = uint32_t(std::min<uint64_t>(streamAnzahl, streamFrequenz.size()));
  for (uint32_t i = 0; i < stroeme; ++i) {
    uint32_t wert = 1;
    if (instanzen != 0)
      wert = (instanzMaske >> i & 1) ? (D3DSTREAMSOURCE_INSTANCEDATA | 1) : (D3DSTREAMSOURCE_INDEXEDDATA | instanzen);
    if (streamFrequenz[i] == wert) continue;
    streamFrequenz[i] = wert;
    if (geraet) geraet->SetStreamSourceFreq(i, wert);
  }
  if (instanzen == 0) streamFrequenz.fill(1);

  if (vertexSchmutz.hoch > vertexSchmutz.tief) {
    const uint32_t tief = vertexSchmutz.tief, anzahl = vertexSchmutz.hoch - vertexSchmutz.tief;
    vertexSchmutz = {};
    if (geraet && FAILED(geraet->SetVertexShaderConstantF(tief, konstanten[tief], anzahl)))
      ZARVO_PRUEFE("Vertexkonstanten-Schreiben gescheitert");
  }
  if (pixelSchmutz.hoch > pixelSchmutz.tief) {
    const uint32_t tief = pixelSchmutz.tief, anzahl = pixelSchmutz.hoch - pixelSchmutz.tief;
    pixelSchmutz = {};
    if (geraet && FAILED(geraet->SetPixelShaderConstantF(tief, konstanten[VERTEX_REGISTER + tief], anzahl)))
      ZARVO_PRUEFE("Pixelkonstanten-Schreiben gescheitert");
  }
  if (!inSzene) {
    if (geraet && FAILED(geraet->BeginScene())) ZARVO_PRUEFE("Failed to lock screen.");
    inSzene = true;
  }
}

void Zarvo_ZeichenKontextImplDX9::Zeichne(uint32_t dreiecke, uint32_t instanzen, uint64_t streamAnzahl, uint64_t instanzMaske,
                                          uint32_t stride0) {
  // Without a stream-0 buffer or with stride 0 there is no vertex count.
  if (stream0 == nullptr || stride0 == 0) {
    ZARVO_PRUEFE("Zeichnen gescheitert");
    return;
  }
  InternVorZeichenAufruf(instanzen, streamAnzahl, instanzMaske);
  const UINT vertices = stream0Groesse / stride0;
  if (geraet && FAILED(geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertices, 0, dreiecke)))
    ZARVO_PRUEFE("Zeichnen gescheitert");
}

void Zarvo_ZeichenKontextImplDX9::ZeichneIndexElemente(uint32_t dreiecke, uint64_t streamAnzahl, uint32_t stride0) {
  ++kontext.zaehler[Zarvo_ZeichenKontext::INDEX_ZEICHNEN];
  Zeichne(dreiecke, 0, streamAnzahl, 0, stride0);
}

void Zarvo_ZeichenKontextImplDX9::ZeichneIndexInstanzen(uint32_t dreiecke, uint32_t instanzen, uint64_t streamAnzahl,
                                                        uint64_t instanzMaske, uint32_t stride0) {
  ++kontext.zaehler[Zarvo_ZeichenKontext::INSTANZ_ZEICHNEN];
  Zeichne(dreiecke, instanzen, streamAnzahl, instanzMaske, stride0);
}

// ---- frame, loss and reset ----

void Zarvo_ZeichenKontextImplDX9::EndeZeichnen() {
  if (geraet == nullptr) {
    kontext.LeereZaehler();
    return;
  }
  if (inSzene) geraet->EndScene();
  inSzene = false;
  if (geraet->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) {
    geraetVerloren = true;
    if (g_System.zustand == SYSTEM_MINIMIERT) {
      kontext.LeereZaehler();
      return;
    }
    const HRESULT stufe = geraet->TestCooperativeLevel();
    bool wiederHergestellt = true;
    if (FAILED(stufe)) {
      warte(WARTE_VERLOREN_MS);
      if (stufe == D3DERR_DEVICELOST) {
        kontext.LeereZaehler();
        return;
      }
      if (stufe == D3DERR_DEVICENOTRESET) wiederHergestellt = kontext.ReInit();
    }
    geraetVerloren = !wiederHergestellt;  // a failed reset is tried again next frame
  }
  kontext.LeereZaehler();
}

bool Zarvo_ZeichenKontextImplDX9::Zuruecksetzen() {
  if (geraet == nullptr) return false;
  if (inSzene) geraet->EndScene();
  inSzene = false;
  LasseFlaechenLos();
  const D3DFORMAT tiefenFormat = parameter.AutoDepthStencilFormat;
  FuellePraesentation();
  parameter.AutoDepthStencilFormat = tiefenFormat;
  g_Log.DebugAusgabe("ReInit Darstellung: Device zurücksetzen");
  HRESULT hr = D3DERR_DEVICELOST;
  for (int versuch = 0; versuch < MAX_RESET_VERSUCHE && hr == D3DERR_DEVICELOST; ++versuch) {
    warte(WARTE_RESET_MS);
    hr = geraet->Reset(&parameter);
  }
  SetzeCachesZurueck();
  if (FAILED(hr)) {
    // The device now allows only Reset, TestCooperativeLevel and Release: fetch nothing.
    ZARVO_PRUEFE("D3D9-Reset gescheitert");
    return false;
  }
  HoleFlaechen();
  gebundeneFarbe[0] = nullptr;  // the caller binds them again
  gebundeneTiefe = nullptr;
  return true;
}

uint64_t Zarvo_ZeichenKontextImplDX9::SchaffeVideoRAMPlatz() {
  const TZeit jetzt = g_Zeit.zeit;
  TZeit aeltestes = jetzt;
  kontext.registerListe.FuerAlle([&](Zarvo_BasisObjekt* o) {
    if (o->BelegtVideoRAM() && o->zustand == Zarvo_BasisObjekt::ZUSTAND_BEREIT) aeltestes = std::min(aeltestes, o->letzteNutzung);
  });
  const TZeit alter = jetzt - aeltestes;
  if (double(alter) * g_ZeitInversD < 1.0)
    g_Log.DebugAusgabe("?Zarvo_Screen3D::SchaffeVideoRAMPlatz(): Rausgeworfene Resourcen sind sehr jung! Hinweis auf VideoRAM-Mangel.");
  const TZeit grenze = TZeit(double(alter) * 0.8999999761581421);
  const TZeit schnitt = jetzt - grenze;
  uint64_t anzahl = 0;
  kontext.registerListe.FuerAlle([&](Zarvo_BasisObjekt* o) {
    if (!o->BelegtVideoRAM() || o->zustand != Zarvo_BasisObjekt::ZUSTAND_BEREIT || o->letzteNutzung >= schnitt) return;
    o->Auslagern();
    ++anzahl;
  });
  g_Log.DebugAusgabe("VideoRAM voll, Platz geschaffen: %d Resourcen rausgeworfen, Grenzalter %f", int(anzahl),
                     double(float(grenze) * g_ZeitInversF));
  return anzahl;
}
