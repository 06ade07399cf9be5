#pragma once
// The one application object: it brings up the services that live as long as the window, in a
// fixed order, runs the main loop and takes them down again in reverse.
//
// Start-up: the parallel core (a member, so it is there before and gone after everything else),
// the screen ("displaywidth" x "displayheight", flags 2 + 1 full screen + 8 vsync), the frame
// clock's step bound of 0.1 s, the input system on the window with the event pump, the log hook
// and the focus hook, the console overlay from "Daten/calibrib.fnt" as the log's display, audio
// with one channel group for the game, and the game's graphics resources.
//
// A step that throws undoes the steps done before it, in the destructor's order, before the
// exception leaves the constructor; so nothing stays up (the screen, the input system, the
// console) to be torn down by static destructors after the log, and a later start in the same
// process begins from nothing.
//
// The main loop (Hauptschleife) belongs to the application: Ausfuehren is its set-up, one frame
// after another until the quit flag is set, and its shutdown. Main thread only.
#include <cstdint>
#include <memory>

#include "Zarvo_Parallel.h"

class Zarvo_AudioKanal;
class Zarvo_KonsoleStandardAnzeige;

namespace Spiel {

class Hauptschleife;

class Anwendung {
 public:
  Anwendung();
  ~Anwendung();
  Anwendung(const Anwendung&) = delete;
  Anwendung& operator=(const Anwendung&) = delete;

  // Runs until g_System.beenden is set.
  void Ausfuehren();
  // The loop: tests drive its Aufbau, Bild and Abbau themselves.
  Hauptschleife& Schleife() { return *schleife; }

  // The input library's log hook: "Input says: <text>".
  static void LogInputMeldung(const char* text);
  // Saves the back buffer as the next free "screenshots/screenshot{:04}.png" of the user-data
  // folder. Failures are logged ("!" lines); nothing is thrown.
  static void MacheScreenshot();
  // The screen flags of the settings: 2, plus 1 in full screen, plus 8 with vsync.
  static uint64_t BildschirmFlags(bool vollbild, bool vsync);

  Zarvo_KonsoleStandardAnzeige* GibKonsole() const { return konsole; }
  // The game's channel group (null without audio); game flow and editor play through it.
  Zarvo_AudioKanal* GibKanal() const { return kanal; }

 private:
  // Start-up steps in order; `erreicht` is the last one done.
  enum Schritt : int { KEINER, BILDSCHIRM, EINGABE, KONSOLE, AUDIO, RESSOURCEN };

  void OeffneBildschirm();
  void OeffneEingabe();
  void OeffneKonsole();
  void StarteAudio();
  // The destructor's steps for everything up to `erreicht`.
  void BaueAb() noexcept;
  static void Pumpe();

  Zarvo_KonsoleStandardAnzeige* konsole = nullptr;
  Zarvo_Parallel parallel;
  Zarvo_AudioKanal* kanal = nullptr;
  Schritt erreicht = KEINER;
  std::unique_ptr<Hauptschleife> schleife;
};

}  // namespace Spiel
