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
  // Removes the resource from the registry and deletes it; null does nothing.
  void GibFrei(Zarvo_BasisObjekt* objekt) { registerListe.Entferne(objekt); }

  // Creation on use: asks `erzeuge` for the device object while the device answers that video
  // memory is exhausted and an eviction pass made room; `meldeKnapp` writes the shortage line
  // first. True and state 1 on success; false and state 2 on any other failure and when a pass
  // evicted nothing (the caller then writes its creation message).
  bool ErzeugeMitPlatz(Zarvo_BasisObjekt& objekt, bool meldeKnapp, const std::function<d3d9::HRESULT()>& erzeuge);

  // Render target: null binds the back buffer and the device's own depth surface.
  void SetRenderZiel(std::nullptr_t);
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

  void EndeZeichnen() { impl.EndeZeichnen(); }
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
  uint32_t rueckseite = 3;
  uint64_t tiefeId = UNGESETZT;
  uint64_t alphaId = UNGESETZT;
  struct Strom {
    uint64_t allocId, offset, stride;
  };
  std::array<Strom, 4> stroeme{};
  uint64_t indexBufferId = ALLE;
  std::array<uint64_t, ANZAHL_ZAEHLER> zaehler{};
  const Zarvo_BildschirmZustand& bildschirm;
  Zarvo_AlphaZustand* vorgabeAlpha = nullptr;
  Zarvo_TiefeZustand* vorgabeTiefe = nullptr;
  Zarvo_ZeichenKontextImplDX9 impl;
  Zarvo_ZeichenKontextImplDX9* implZeiger = &impl;

 private:
  bool heruntergefahren = false;
};
