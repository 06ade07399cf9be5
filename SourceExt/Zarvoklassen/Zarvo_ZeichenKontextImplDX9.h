#pragma once
// The drawing context's Direct3D 9 implementation: the device and its surfaces, the shader
// constant shadows (256 vertex and 224 pixel registers, uploaded once per draw as one range per
// stage), the caches of every render state, sampler state, binding and stream frequency, and the
// device-lost and reset handling. Every device call is made here; a failed call is a consistency
// line and the operation goes on. Without a device no call is made and only caches change.
#include <array>
#include <cstdint>
#include <functional>

#include "Plattform/d3d9/d3d9.h"

class Zarvo_ZeichenKontext;
class Zarvo_AlphaZustand;
class Zarvo_TiefeZustand;
class Zarvo_Sampler;

class Zarvo_ZeichenKontextImplDX9 {
 public:
  static constexpr uint32_t VERTEX_REGISTER = 256;
  static constexpr uint32_t PIXEL_REGISTER = 224;
  static constexpr uint32_t KEIN_REGISTER = 0xFFF;
  static constexpr uint32_t SAMPLER_CACHES = 20;  // pixel stages 0..15, vertex stages 0..3
  static constexpr uint32_t WARTE_VERLOREN_MS = 50;
  static constexpr uint32_t WARTE_RESET_MS = 100;
  static constexpr int MAX_RESET_VERSUCHE = 50;

  // The waits of loss handling and reset; tests replace it (default: sleep).
  static std::function<void(uint32_t millisekunden)> warte;

  explicit Zarvo_ZeichenKontextImplDX9(Zarvo_ZeichenKontext& kontext);
  ~Zarvo_ZeichenKontextImplDX9();

  bool HatGeraet() const { return geraet != nullptr; }

  // Shader constants: `anzahl` registers at the handle's vertex and pixel registers.
  void SetProgrammKonstante(uint32_t handle, const float* register_, uint32_t anzahl);
  void SetProgrammKonstante(uint32_t handle, float x, float y, float z, float w);

  // Blend state, each value sent only when it differs; marks the outer blend cache unset.
  void SetAlphaZustand(const Zarvo_AlphaZustand& zustand);
  void SetTiefeZustand(const Zarvo_TiefeZustand& zustand);
  void SetRueckseite(uint32_t cullModus);
  void SetFuellModus(bool drahtgitter);
  void SetViewport(uint64_t x, uint64_t y, uint64_t breite, uint64_t hoehe);
  void Leeren(uint32_t flags, d3d9::D3DCOLOR farbe);

  // Texture and sampler at the handle's stages (bits 0-7 pixel, 8-15 vertex; 255 absent; 65535 none).
  void SetTextur(uint32_t handle, const Zarvo_Sampler* sampler, d3d9::IDirect3DBaseTexture9* textur);
  // Unbinds pixel stages 0 to 5 where bound and sets their caches to none.
  void LeereTexturStufen();

  // Bindings of device objects, each sent only when it differs; false on failure.
  bool SetDeklaration(d3d9::IDirect3DVertexDeclaration9* deklaration);
  bool SetVertexShader(d3d9::IDirect3DVertexShader9* shader);
  bool SetPixelShader(d3d9::IDirect3DPixelShader9* shader);
  // Binds a stream (offset 0); stream 0 remembers the buffer's size for the vertex count.
  bool SetStreamQuelle(uint32_t stream, d3d9::IDirect3DVertexBuffer9* buffer, uint32_t groesse, uint32_t stride);
  bool SetIndizes(d3d9::IDirect3DIndexBuffer9* buffer);

  // Render target over surfaces: colour (null = back buffer) to slot 0, nothing to 1..3, `tiefe`
  // as depth surface. SetRenderZielRueckpuffer binds the back buffer and the own depth surface.
  void SetRenderZiel(d3d9::IDirect3DSurface9* farbe, d3d9::IDirect3DSurface9* tiefe);
  void SetRenderZielRueckpuffer();

  // Before every draw: stream frequencies (0 instances = plain draw), constant uploads, BeginScene.
  void InternVorZeichenAufruf(uint32_t instanzen, uint64_t streamAnzahl, uint64_t instanzMaske);
  // Triangle lists from index 0; vertices = stream-0 buffer size / stride 0.
  void ZeichneIndexElemente(uint32_t dreiecke, uint64_t streamAnzahl, uint32_t stride0);
  void ZeichneIndexInstanzen(uint32_t dreiecke, uint32_t instanzen, uint64_t streamAnzahl, uint64_t instanzMaske,
                             uint32_t stride0);

  // EndScene, Present and device-lost handling; clears the frame counters.
  void EndeZeichnen();
  // Device reset with the current screen settings; false when it failed.
  bool Zuruecksetzen();
  // Evicts the resources unused for 90 % of the oldest one's age; returns how many.
  uint64_t SchaffeVideoRAMPlatz();
  // The implementation's caches after a reset: nothing known.
  void SetzeCachesZurueck();
  // Releases surfaces, device and Direct3D object.
  void GibGeraetFrei();

  Zarvo_ZeichenKontext& kontext;
  d3d9::IDirect3D9* d3d = nullptr;
  d3d9::IDirect3DDevice9* geraet = nullptr;
  bool geraetVerloren = false;
  d3d9::D3DPRESENT_PARAMETERS parameter{};
  const char* vertexProfil = nullptr;
  const char* pixelProfil = nullptr;
  d3d9::IDirect3DSurface9* rueckpuffer = nullptr;
  d3d9::IDirect3DSurface9* eigeneTiefe = nullptr;
  d3d9::IDirect3DSurface9* gebundeneTiefe = nullptr;
  std::array<d3d9::IDirect3DSurface9*, 4> gebundeneFarbe{};
  d3d9::IDirect3DVertexDeclaration9* gebundeneDeklaration = nullptr;
  d3d9::IDirect3DVertexShader9* gebundenerVertexShader = nullptr;
  d3d9::IDirect3DPixelShader9* gebundenerPixelShader = nullptr;
  float konstanten[VERTEX_REGISTER + PIXEL_REGISTER][4] = {};  // vertex registers, then pixel registers
  struct Schmutz {
    uint32_t tief = VERTEX_REGISTER + PIXEL_REGISTER;
    uint32_t hoch = 0;
  };
  Schmutz vertexSchmutz, pixelSchmutz;
  enum RenderCache : size_t {
    Z_AKTIV,
    Z_SCHREIBEN,
    Z_FUNKTION,
    BLEND_AKTIV,
    BLEND_OP,
    QUELL_BLEND,
    ZIEL_BLEND,
    ALPHA_GETRENNT,
    ALPHA_BLEND_OP,
    ALPHA_QUELL_BLEND,
    ALPHA_ZIEL_BLEND,
    SCHREIB_MASKE,
    ANZAHL_RENDER_CACHES
  };
  std::array<uint32_t, ANZAHL_RENDER_CACHES> renderCache{};
  struct SamplerCache {
    d3d9::IDirect3DBaseTexture9* textur;
    uint64_t adresse, filter, randFarbe, maxMipLevel, maxAnisotropie;
  };
  std::array<SamplerCache, SAMPLER_CACHES> samplerCache{};
  std::array<uint32_t, 4> streamFrequenz{};
  d3d9::IDirect3DVertexBuffer9* stream0 = nullptr;
  uint32_t stream0Groesse = 0;
  bool inSzene = false;

 private:
  void ErzeugeGeraet();
  void FuellePraesentation();
  uint32_t WaehleAdapter(d3d9::D3DDEVTYPE& typ);
  d3d9::D3DFORMAT WaehleTiefenFormat(uint32_t adapter, d3d9::D3DDEVTYPE typ);
  void HoleFlaechen();
  void LiesFaehigkeiten();
  void LasseFlaechenLos();
  bool SendeRenderState(RenderCache cache, d3d9::D3DRENDERSTATETYPE zustand, uint32_t wert);
  bool BindeStufe(uint32_t cache, uint32_t sampler, d3d9::IDirect3DBaseTexture9* textur);
  bool SendeSampler(uint32_t sampler, uint64_t& cache, uint64_t wert, std::initializer_list<std::pair<d3d9::D3DSAMPLERSTATETYPE, uint32_t>> werte);
  void SchreibeKonstanten(uint32_t start, uint32_t grenze, uint32_t basis, Schmutz& schmutz, const float* register_, uint32_t anzahl);
  void Zeichne(uint32_t dreiecke, uint32_t instanzen, uint64_t streamAnzahl, uint64_t instanzMaske, uint32_t stride0);
};
