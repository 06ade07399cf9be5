#pragma once
// The window system as the screen uses it: the primary monitor and its modes, one window with
// its hints, size, attributes and four callbacks, the cursor mode and the event pump. The
// program runs on Zarvo_FenstersystemGlfw; tests script one of their own.
#include <cstdint>
#include <string>
#include <vector>

class Zarvo_Fenstersystem {
 public:
  struct Modus {
    uint32_t breite, hoehe;
    uint32_t rot, gruen, blau;  // bits per channel
    uint32_t rate;              // Hz, 0 = any
  };
  struct Hinweise {
    uint32_t rot = 8, gruen = 8, blau = 8;
    bool rahmen = true;
    uint32_t rate = 0;  // full screen only; 0 = any
  };
  // Called from inside Abfragen (or at once when the system delivers directly).
  struct Rueckrufe {
    void (*ikonisiert)(bool ikonisiert) = nullptr;
    void (*fokus)(bool fokus) = nullptr;
    void (*groesse)(int breite, int hoehe) = nullptr;
    void (*schliessen)() = nullptr;
  };
  using Fenster = void*;

  virtual ~Zarvo_Fenstersystem() = default;

  virtual bool Init() = 0;
  virtual void Beende() = 0;
  // The last error the window system reported since Init ("code: text"), empty when none.
  virtual std::string LetzterFehler() { return {}; }

  virtual bool HatMonitor() = 0;
  // False without a monitor.
  virtual bool AktuellerModus(Modus& modus) = 0;
  virtual std::vector<Modus> Modi() = 0;

  virtual void SetzeHinweise(const Hinweise& hinweise) = 0;
  // On the primary monitor when `vollbild`, its drawing context made current; null on failure.
  virtual Fenster ErzeugeFenster(uint32_t breite, uint32_t hoehe, const char* titel, bool vollbild) = 0;
  // Whether the window's drawing context is the calling thread's current one.
  virtual bool KontextAktuell(Fenster) { return true; }
  virtual void ZerstoereFenster(Fenster fenster) = 0;
  // Onto the primary monitor (full screen) or off it at (x, y) with this content size.
  virtual void SetzeMonitor(Fenster fenster, bool vollbild, int x, int y, uint32_t breite, uint32_t hoehe, uint32_t rate) = 0;
  virtual void InhaltsGroesse(Fenster fenster, uint32_t& breite, uint32_t& hoehe) = 0;
  virtual void SetzeGroesse(Fenster fenster, uint32_t breite, uint32_t hoehe) = 0;
  virtual bool IstIkonisiert(Fenster fenster) = 0;
  virtual bool HatFokus(Fenster fenster) = 0;
  virtual void SetzeRueckrufe(Fenster fenster, const Rueckrufe& rueckrufe) = 0;

  virtual void SetzeMausSichtbar(Fenster fenster, bool sichtbar) = 0;
  virtual void Abfragen() = 0;
  // The native window for the input library (opaque).
  virtual void* NativerGriff(Fenster fenster) = 0;
};
