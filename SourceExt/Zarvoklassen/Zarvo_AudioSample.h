#pragma once
// One sound file loaded (or opened for streaming) through FMOD. The audio system owns every
// sample in its slot table; the game keeps slot numbers and plays a sample on a channel group.
#include "Zarvo_AudioSound.h"

#include "Plattform/fmod/fmod.h"

#include <string>

class Zarvo_AudioKanal;

class Zarvo_AudioSample {
 public:
  static constexpr FMOD_MODE GRUNDMODUS = FMOD_IGNORETAGS | FMOD_SOFTWARE | FMOD_3D;

  // Creates the FMOD sound; on failure the creation message and the error line are logged and
  // the sample stays invalid.
  Zarvo_AudioSample(FMOD::System* system, const std::wstring& pfad, bool strom, bool komprimiert);
  ~Zarvo_AudioSample();
  Zarvo_AudioSample(const Zarvo_AudioSample&) = delete;
  Zarvo_AudioSample& operator=(const Zarvo_AudioSample&) = delete;

  // Switches looping on for channels started afterwards; there is no way back.
  bool SetWiederholen();
  // Plays the sample at volume 0.5 on `kanal`; the null sound when that fails.
  Zarvo_AudioSound SpieleAb(Zarvo_AudioKanal* kanal);

  // UTF-8 form of a wide path; a code unit without one becomes U+FFFD and the result is false.
  static bool NachUtf8(const std::wstring& pfad, std::string& utf8);
  // The wide form of a UTF-8 path, decoded code point by code point (the inverse of NachUtf8).
  static std::wstring AusUtf8(const std::string& utf8);

  FMOD::System* system;
  FMOD::Sound* sound = nullptr;  // null when loading failed
  bool gueltig = false;
};
