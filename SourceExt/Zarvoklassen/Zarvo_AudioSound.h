#pragma once
// A playing sound: a value naming one FMOD channel, or no sound. Copies name the same channel;
// destruction does nothing. A channel that has ended or been reused answers no more, so an old
// value can never stop a newer sound.
#include "Plattform/fmod/fmod.h"

class Zarvo_AudioSound {
 public:
  Zarvo_AudioSound() = default;
  explicit Zarvo_AudioSound(FMOD::Channel kanal) : kanal(kanal) {}

  // Stops the channel; false for no sound and on failure (logged).
  bool Stopp();
  bool IstNull() const { return kanal.isNull(); }

  FMOD::Channel kanal;
};
