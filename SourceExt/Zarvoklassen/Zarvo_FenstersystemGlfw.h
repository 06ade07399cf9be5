#pragma once
// The window system on GLFW 3.3: an OpenGL 3.3 core window (double buffered, no depth or stencil
// of its own: the device draws into an offscreen back buffer), the primary monitor's modes, the
// four callbacks of the one window. GLFW errors go to the log as "!  Fehler %d: %s"; the last one
// is kept for LetzterFehler.
#include "Zarvo_Fenstersystem.h"

class Zarvo_FenstersystemGlfw : public Zarvo_Fenstersystem {
 public:
  bool Init() override;
  void Beende() override;
  std::string LetzterFehler() override;

  bool HatMonitor() override;
  bool AktuellerModus(Modus& modus) override;
  std::vector<Modus> Modi() override;

  void SetzeHinweise(const Hinweise& hinweise) override;
  Fenster ErzeugeFenster(uint32_t breite, uint32_t hoehe, const char* titel, bool vollbild) override;
  bool KontextAktuell(Fenster fenster) override;
  void ZerstoereFenster(Fenster fenster) override;
  void SetzeMonitor(Fenster fenster, bool vollbild, int x, int y, uint32_t breite, uint32_t hoehe, uint32_t rate) override;
  void InhaltsGroesse(Fenster fenster, uint32_t& breite, uint32_t& hoehe) override;
  void SetzeGroesse(Fenster fenster, uint32_t breite, uint32_t hoehe) override;
  bool IstIkonisiert(Fenster fenster) override;
  bool HatFokus(Fenster fenster) override;
  void SetzeRueckrufe(Fenster fenster, const Rueckrufe& rueckrufe) override;

  void SetzeMausSichtbar(Fenster fenster, bool sichtbar) override;
  void Abfragen() override;
  void* NativerGriff(Fenster fenster) override { return fenster; }
};
