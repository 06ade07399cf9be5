#pragma once
// A scripted FMOD system for tests: records every call with its arguments, answers each operation
// from a queue of scripted results (FMOD_OK once the queue is empty), reports a scripted driver
// list and keeps plain records of sounds, groups and channels. It renders nothing.
//
// The script is set before the system is created (Zarvo_Audio creates it in its constructor);
// the record outlives the system, so a test can read it after Beenden.
#include "Plattform/fmod/fmod.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

struct FmodSkript {
  struct Treiber {
    std::string name;
    FMOD_CAPS faehigkeiten = 0;
    int rate = 48000;
    FMOD_SPEAKERMODE modus = FMOD_SPEAKERMODE_STEREO;
    FMOD_RESULT infoFehler = FMOD_OK;  // getDriverInfo fails after copying the name
    FMOD_RESULT capsFehler = FMOD_OK;
  };
  unsigned version = FMOD_VERSION;
  std::vector<Treiber> treiber = {{"Attrappe"}};
  // Per operation name ("create", "getVersion", "init", "playSound", "setVolume", ...).
  std::map<std::string, std::deque<FMOD_RESULT>> ergebnisse;
};

class FmodAttrappe {
 public:
  // Installs the script and the creation hook, and clears the record.
  static void Setze(const FmodSkript& skript);
  // Removes the hook: FMOD_System_Create builds the real system again.
  static void Entferne();
  // Every call since Setze, as "name(arguments)".
  static const std::vector<std::string>& Aufrufe();
  // The calls whose text begins with `praefix`.
  static std::vector<std::string> Aufrufe(const std::string& praefix);
  static void LeereAufrufe();
  // Adds results to the queue of an operation of the live system.
  static void Skripte(const std::string& operation, std::deque<FMOD_RESULT> ergebnisse);
};
