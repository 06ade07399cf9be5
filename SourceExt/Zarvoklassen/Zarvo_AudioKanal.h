#pragma once
// A channel group of the audio system, slot 0 being the master group. The FMOD group itself
// belongs to the FMOD system and is not released here.
#include "Plattform/fmod/fmod.h"

class Zarvo_AudioKanal {
 public:
  Zarvo_AudioKanal(FMOD::System* system, FMOD::ChannelGroup* gruppe) : system(system), gruppe(gruppe) {}
  // Removes and releases the echo DSP when one is set.
  ~Zarvo_AudioKanal();
  Zarvo_AudioKanal(const Zarvo_AudioKanal&) = delete;
  Zarvo_AudioKanal& operator=(const Zarvo_AudioKanal&) = delete;

  FMOD::System* system;
  FMOD::ChannelGroup* gruppe;
  FMOD::DSP* echo = nullptr;  // nothing in the program sets it
};
