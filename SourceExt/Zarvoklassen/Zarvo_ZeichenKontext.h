#pragma once
// The drawing context: the one object through which the program draws. It owns the resource
// registry, makes every resource through its factories, keeps caches of the device state so that
// a setter whose value is in force returns at once (state objects are compared by AllocID), and
// counts state changes per frame. Its Direct3D 9 implementation (Zarvo_ZeichenKontextImplDX9)
// holds the device, the constant shadows, the per-value caches and the device-lost handling.
//
// Every factory runs one registration path (Registriere), which tests use for resource classes
// of their own; resources with device memory create their device object through
// ErzeugeMitPlatz, which makes room in video memory while the device runs short.
#include <array>
#include <cstdint>
#include <functional>
#include <utility>

#include "Zarvo_BasisObjekt.h"
#include "Zarvo_BildschirmZustand.h"
#include "Zarvo_ResourcenRegister.h"
#include "Zarvo_ZeichenKontextImplDX9.h"

class Zarvo_AlphaZustand;
class Zarvo_TiefeZustand;
class Zarvo_Sampler;
class Zarvo_Textur;
class Zarvo_WuerfelTextur;
class Zarvo_Renderziel;
class Zarvo_ZBuffer;
class Zarvo_VertexBuffer;
class Zarvo_IndexBuffer;
class Zarvo_VertexEingabe;
class Zarvo_VertexShader;
class Zarvo_PixelShader;
class Zarvo_Programm;
struct Zarvo_TexturVorgabe;
struct Zarvo_WuerfelTexturVorgabe;
struct Zarvo_RenderzielBeschr;
struct Zarvo_BufferVorgabe;
struct Zarvo_AlphaZustandBeschr;
struct Zarvo_TiefeZustandBeschr;
struct Zarvo_SamplerBeschr;

class Zarvo_ZeichenKontext {
 public:
  static constexpr uint64_t ALLE = ~uint64_t(0);      // "whole target", "back buffer", "none"
  static constexpr uint64_t UNGESETZT = ALLE - 1;     // a cache after its reset

  // The frame counters, in order.
  enum Zaehler : size_t {
    INDEX_ZEICHNEN,
    INSTANZ_ZEICHNEN,
    TEXTUR_SETS,
    PROGRAMM_SETS,
    RENDERZIEL_WECHSEL,
    KONSTANTEN_SETS,
    VIEWPORT_WECHSEL,
    VERTEXBUFFER_SETS,
    INDEXBUFFER_SETS,
    ALPHA_WECHSEL,
    TIEFE_WECHSEL,
    RUECKSEITE_WECHSEL,
    ANZAHL_ZAEHLER
  };

  // Creates the device for the screen, then the default blend and depth states.
  explicit Zarvo_ZeichenKontext(const Zarvo_BildschirmZustand& bildschirm);
  ~Zarvo_ZeichenKontext();
  Zarvo_ZeichenKontext(const Zarvo_ZeichenKontext&) = delete;
  Zarvo_ZeichenKontext& operator=(const Zarvo_ZeichenKontext&) = delete;

  // False when the device could not be created (then no device call is made).
  bool HatGeraet() const { return impl.HatGeraet(); }

  // Factories.
  template <class T, class... Argumente>
  T* Registriere(Argumente&&... argumente) {
    T* objekt = new T(std::forward<Argumente>(argumente)...);
    registerListe.Einfuegen(objekt);
    return objekt;
  }
  Zarvo_AlphaZustand* ErzeugeAlphaZustand(const Zarvo_AlphaZustandBeschr& beschreibung);
  Zarvo_TiefeZustand* ErzeugeTiefeZustand(const Zarvo_TiefeZustandBeschr& beschreibung);
  Zarvo_Sampler* ErzeugeSampler(const Zarvo_SamplerBeschr& beschreibung);
  // Flags: pixel format in the low byte, usage bits above; a width or height of 0 comes from the
  // initial data, 0 levels mean the full chain.
  Zarvo_Textur* ErzeugeTextur(uint64_t breite, uint64_t hoehe, uint64_t mipAnzahl, uint32_t flags, const Zarvo_TexturVorgabe& vorgabe);
  Zarvo_WuerfelTextur* ErzeugeWuerfelTextur(uint64_t kante, uint64_t mipAnzahl, uint32_t flags, const Zarvo_WuerfelTexturVorgabe& vorgabe);
  Zarvo_Renderziel* ErzeugeRenderziel(const Zarvo_RenderzielBeschr& beschreibung);
  Zarvo_ZBuffer* ErzeugeZBuffer(uint64_t breite, uint64_t hoehe);
  // A size of 0 takes the initial data's size.
  Zarvo_VertexBuffer* ErzeugeVertexBuffer(uint64_t groesse, uint32_t flags, Zarvo_BufferVorgabe vorgabe);
  // Index format (1 = 16 bit, 2 = 32 bit) in the low byte, usage flags above; the size is the data's.
  Zarvo_IndexBuffer* ErzeugeIndexBuffer(uint64_t, uint32_t formatUndFlags, Zarvo_BufferVorgabe vorgabe);
  // An empty declaration: AddKanal for each channel, then Beenden.
  Zarvo_VertexEingabe* ErzeugeVertexEingabe();
  // Empty shaders, translated later with UebersetzeAusString.
  Zarvo_VertexShader* ErzeugeVertexShader();
  Zarvo_PixelShader* ErzeugePixelShader();
  Zarvo_Programm* ErzeugeProgramm(Zarvo_VertexEingabe* eingabe, Zarvo_VertexShader* vertexShader, Zarvo_PixelShader* pixelShader);
  // Removes the resource from the registry and deletes it; null does nothing.
  void GibFrei(Zarvo_BasisObjekt* objekt);

  // Creation on use: asks `erzeuge` for the device object while the device answers that video
  // memory is exhausted and an eviction pass made room; `meldeKnapp` writes the shortage line
  // first. True and state 1 on success; false and state 2 on any other failure and when a pass
  // evicted nothing (the caller then writes its creation message).
  bool ErzeugeMitPlatz(Zarvo_BasisObjekt& objekt, bool meldeKnapp, const std::function<d3d9::HRESULT()>& erzeuge);

  // Render target: null binds the back buffer and the device's own depth surface.
  void SetRenderZiel(std::nullptr_t);
  void SetRenderZiel(Zarvo_Renderziel* ziel);
  // Texture (Zarvo_Textur or Zarvo_WuerfelTextur) and sampler at the stages of a sampler handle;
  // both are used first. Counts a texture set every time.
  void SetTextur(uint32_t handle, Zarvo_Sampler* sampler, Zarvo_BasisObjekt* textur);
  // Stream 0..3, always bound at offset 0. A stride of 0 stays 0 until programs give strides.
  void SetVertexBuffer(uint32_t stream, Zarvo_VertexBuffer* buffer, uint64_t offset, uint64_t stride);
  void SetIndexBuffer(Zarvo_IndexBuffer* buffer);
  // Viewport inside the current target; all ones for width and height means the whole target.
  void SetRenderBereich(uint64_t x, uint64_t y, uint64_t breite, uint64_t hoehe);
  // Bit 0 clears the colour target, bit 1 the depth buffer; colour as RGBA floats.
  void Leeren(uint32_t flags, const float farbe[4]);
  void SetAlphaZustand(Zarvo_AlphaZustand* zustand);
  void SetTiefeZustand(Zarvo_TiefeZustand* zustand);
  // 0 no culling, 1 clockwise, 2 counter-clockwise.
  void SetRueckseite(uint32_t modus);
  void SetFuellModus(bool drahtgitter);

  // Shader constants into the shadows (handle: bits 0-11 vertex register, 12-23 pixel register,
  // 4095 = absent in that stage).
  void SetProgrammKonstante(uint32_t handle, const float matrix[16]);  // transposed, four registers
  void SetProgrammKonstante(uint32_t handle, float x, float y, float z);
  void SetProgrammKonstante(uint32_t handle, float x, float y, float z, float w);
  void SetProgrammKonstante(uint32_t handle, float x, float y);
  void SetProgrammKonstante(uint32_t handle, const float* register_, uint32_t anzahl);

  // Declaration, vertex shader and pixel shader of the program, compared by AllocID.
  void SetProgramm(Zarvo_Programm* programm);
  // Triangle lists over the current program's streams; the first argument is always 0.
  void ZeichneIndexElemente(uint32_t start, uint32_t dreiecke);
  void ZeichneIndexInstanzen(uint32_t start, uint32_t dreiecke, uint32_t instanzen);

  void EndeZeichnen() { impl.EndeZeichnen(); }
  void LiesBildschirmInhalt(Zarvo_Bild& bild) { impl.LiesBildschirmInhalt(bild); }
  // Releases device memory, resets the device and restores; false when the reset failed.
  bool ReInit();
  void LogStatistik() const;
  // Shutdown with the leak report; a second call does nothing.
  void MeldeUnfreigegebene();
  void LeereZaehler() { zaehler.fill(0); }
  // The state caches after a reset: nothing known.
  void SetzeZustandsCachesZurueck();

  // Device capabilities: max texture width and height, 16 stages, max anisotropy (0 without an
  // anisotropic filter), simultaneous render targets.
  std::array<uint64_t, 5> faehigkeiten{};
  Zarvo_ResourcenRegister registerListe;
  struct Bereich {
    uint64_t x, y, breite, hoehe;
    bool operator==(const Bereich&) const = default;
  };
  Bereich viewport{};
  uint64_t zielBreite = 0;
  uint64_t zielHoehe = 0;
  uint64_t renderZielId = UNGESETZT;
  uint64_t programmId = ALLE;
  Zarvo_Programm* aktuellesProgramm = nullptr;
  uint32_t rueckseite = 3;
  uint64_t tiefeId = UNGESETZT;
  uint64_t alphaId = UNGESETZT;
  // A bound buffer is known by its AllocID and its device object: an evicted and re-created
  // buffer keeps its id but has a new device object, which must be bound again.
  struct Strom {
    uint64_t allocId, offset, stride;
    const void* geraeteBuffer = nullptr;
  };
  std::array<Strom, 4> stroeme{};
  uint64_t indexBufferId = ALLE;
  const void* indexGeraeteBuffer = nullptr;
  std::array<uint64_t, ANZAHL_ZAEHLER> zaehler{};
  const Zarvo_BildschirmZustand& bildschirm;
  Zarvo_AlphaZustand* vorgabeAlpha = nullptr;
  Zarvo_TiefeZustand* vorgabeTiefe = nullptr;
  Zarvo_ZeichenKontextImplDX9 impl;
  Zarvo_ZeichenKontextImplDX9* implZeiger = &impl;

 private:
  bool heruntergefahren = false;
};
