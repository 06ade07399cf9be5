#pragma once
// The program's window and display mode, a static class. It opens the window through the window
// system (GLFW unless a test sets another), chooses the video mode, feeds focus, minimise, resize
// and close into the engine, owns the drawing context and changes the display at run time
// ("reinitvideo", window resize). The record Zarvo_BildschirmZustand it keeps current is what
// the drawing context reads.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Zarvo_BildschirmZustand.h"
#include "Zarvo_Fenstersystem.h"

class Zarvo_Variable;
class Zarvo_ZeichenKontext;

class Zarvo_Screen3D {
 public:
  static constexpr uint64_t FLAG_VOLLBILD = 1;
  static constexpr uint64_t FLAG_REFERENZ = 4;
  static constexpr uint64_t FLAG_VSYNC = 8;
  static constexpr uint64_t FLAG_RAHMENLOS = 16;

  struct Darstellung {
    uint32_t breite, hoehe, farbTiefe, rate;
  };

  // The steps of Init that can fail: opening the display, the window, making its drawing
  // context current, the device on the context (its OpenGL functions).
  enum class Schritt { Keiner, Anzeige, Fenster, Kontext, Lader };
  struct InitFehler {
    Schritt schritt = Schritt::Keiner;
    std::string meldung;  // the window system's or the device's last message
  };

  // The window system used from the next Init on (null: GLFW).
  static void SetzeFenstersystem(Zarvo_Fenstersystem* system);
  static bool InitGlfw();
  // The first two arguments are not used. False when no window or no device could be made; the
  // failed step and the message behind it are then in the log, on stderr and in LetzterInitFehler.
  static bool Init(uint64_t, uint64_t, const Darstellung& darstellung, uint64_t flags);
  static const InitFehler& LetzterInitFehler() { return initFehler; }
  static const char* SchrittName(Schritt schritt);
  // "reinitvideo".
  static void SetDarstellung(std::string& argumente);
  // Change callback of the display variables: every value is accepted.
  static bool DarstellungGeaendert(Zarvo_Variable& variable, uint32_t phase, const std::string& text);
  static void SetzeFenstergroesse(Darstellung darstellung, bool vollbild, bool vsync);
  static void SetMausModus(bool sichtbar);
  static void GibMausFrei();
  // One pass of the window system's event pump; once per frame.
  static void VerarbeiteEreignisse();
  static Zarvo_ZeichenKontext* GibZeichenKontext();
  // Context, then window, then the window system; a second call does nothing.
  static void Schliessen();

  // For a host's window: the screen then refuses display changes.
  static void SetzeEigenesFenster(bool eigenes) { eigenesFenster = eigenes; }
  static bool IstInitialisiert() { return initialisiert; }
  static const Zarvo_BildschirmZustand& Zustand() { return zustand; }
  static void* NativerGriff() { return nativerGriff; }

  // Focus notices for the input system (unset: nothing is called).
  static void (*fokusHaken)(bool fokus);
  // Called after every display change.
  static std::function<void()> aenderungsHoerer;

 private:
  static Zarvo_Fenstersystem& System();
  static std::vector<Zarvo_Fenstersystem::Modus> Modi(uint32_t farbTiefe);
  static bool NaechsterModus(Darstellung& darstellung);
  static void GibAllesFrei();
  static bool Scheitert(Schritt schritt, const std::string& meldung);

  static void BeiIkonisiert(bool ikonisiert);
  static void BeiFokus(bool fokus);
  static void BeiGroesse(int breite, int hoehe);
  static void BeiSchliessen();

  static bool systemInitialisiert;
  static Zarvo_BildschirmZustand zustand;  // settings, flags, full screen, window
  static bool initialisiert;
  static bool aenderungLaeuft;
  static bool eigenesFenster;
  static std::unique_ptr<Zarvo_ZeichenKontext> kontext;
  static void* nativerGriff;
  static Zarvo_Fenstersystem* system;
  static InitFehler initFehler;
};
