#pragma once
// The main loop and the objects that live as long as it: the input bridge (the input handler),
// the world renderer, the line batch the editor draws into, the post-filter set with "bloom"
// under id -3, and one of the two modes, the game flow or the level editor (the game first).
//
// One frame (Bild), on the main thread:
//   1 input update (the event pump: window events, then the script's frame input)
//   2 frame clock tick (the surface's and the pause menu's deferred tasks fire here)
//   3 the log's queued lines   4 audio update
//   5 the pause fade: 2/s towards 1 while the game clock is paused, else towards 0; it drives
//     "staerke" of the "pause" filter under id 0, which goes when the fade reaches 0
//   6 F6 reloads the world shaders; F7 held draws a wireframe
//   7 the frame step as a job of the main queue (MachSofort): the mode's update, its keys (Esc
//     opens the pause menu, F4 switches mode) and the world with the post filters
//   8 queued sprites and glyphs   9 the widget surface   10 the cursor sprite, centred at the mouse
//   11 F11 shows the console and makes it the input handler, or gives the input back
//   12-13 the frame rate over blocks of 32 frames, drawn top right as "%.2ffps"
//   14 the console   15 F1 screenshot   16 present (device loss handled there); the state line
//   when one is asked for   17 the cached texture stages cleared
// The screen size is read each frame; a change goes to the widget surface.
//
// Lifetime rules: a pause menu holds the game flow's clock, so every menu on it is closed before
// a game flow is destroyed (F4 and shutdown). F4 in a game whose clock is paused, also by a menu
// opened in the same frame, does nothing; F4 in the editor does nothing while the surface holds a
// modal page (its object dialog, also while it closes). Shutdown destroys editor and game flow in
// a frame step, then the line batch, the filter set, the renderer and the bridge.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "FilterSatz.h"
#include "Zarvo_LinienStapel.h"

namespace OPRIX {
class Keyboard;
}

namespace Spiel {

class Anwendung;
class Buttons;
class Editor;
class SpielAblauf;
class WeltRenderer;

class Hauptschleife {
 public:
  enum class Modus { SPIEL, EDITOR };
  static constexpr int32_t BLOOM_ID = -3;
  static constexpr int32_t PAUSE_ID = 0;
  static constexpr uint32_t KEIN_CURSOR = 0xFFFFFFFF;
  static constexpr uint32_t FPS_BLOCK = 32;
  static constexpr float SEGMENT_GRENZE_SPIEL = 100000000.0f;
  // Keys by DirectInput scan code.
  static constexpr int TASTE_ESC = 0x01, TASTE_F1 = 0x3B, TASTE_F4 = 0x3E, TASTE_F6 = 0x40, TASTE_F7 = 0x41,
                       TASTE_F11 = 0x57;

  explicit Hauptschleife(Anwendung& anwendung);
  // Abbau, when Aufbau ran and Abbau did not.
  ~Hauptschleife();
  Hauptschleife(const Hauptschleife&) = delete;
  Hauptschleife& operator=(const Hauptschleife&) = delete;

  void Aufbau();
  void Bild();
  void Abbau();

  // ---- reading (tests, the state line) ----
  Modus GibModus() const;
  SpielAblauf* GibSpiel() const { return spiel.get(); }
  Editor* GibEditor() const { return editor.get(); }
  WeltRenderer* GibWeltRenderer() const { return renderer.get(); }
  Buttons* GibBruecke() const { return bruecke.get(); }
  FilterSatz* GibNachFilter() const { return nachFilter.get(); }
  Anwendung& GibAnwendung() const { return anwendung; }
  float GibBlende() const { return blende; }
  float GibFps() const { return fps; }
  uint32_t GibCursor() const { return cursor; }
  // Frames finished since Aufbau.
  uint64_t GibBildNummer() const { return bildNummer; }
  // Deepest use of the frame step's job stack in bytes, measured while a state file is open.
  size_t GibStapelSpitze() const { return stapelSpitze; }

 private:
  static OPRIX::Keyboard* Tastatur();
  static bool Gedrueckt(int taste);
  static bool Gehalten(int taste);

  void PasseGroesseAn();
  void Blende();
  void BildSchritt();
  void SpielSchritt();
  void EditorSchritt();
  void ZeichneWelt();
  void ZeichneWarteschlangen();
  void ZeichneCursor();
  void SchalteKonsole();
  void ZaehleBild();
  void ZeichneFps();
  void BeendeModi();
  void WechsleZumEditor();
  void WechsleZumSpiel();
  void MisstStapel(bool anfang);

  Anwendung& anwendung;
  std::unique_ptr<Buttons> bruecke;
  std::unique_ptr<WeltRenderer> renderer;
  std::unique_ptr<Zarvo_LinienStapel> linien;
  std::unique_ptr<FilterSatz> nachFilter;
  std::unique_ptr<SpielAblauf> spiel;
  std::unique_ptr<Editor> editor;
  bool aufgebaut = false;

  float blende = 0;
  float fpsZaehler = 0;
  float fps = 0;
  int64_t fpsMessung = 0;
  uint32_t cursor = KEIN_CURSOR;
  uint64_t bildNummer = 0;
  uint32_t breite = 0, hoehe = 0;  // the size the surface was last given
  size_t stapelSpitze = 0;
};

}  // namespace Spiel
