#pragma once
// A sound of the OpenAL system: a whole decoded sample in one AL buffer, or the path of a
// checked stream that each playing channel decodes on its own.
#include "Plattform/fmod/fmod.h"

#include <AL/al.h>

#include <string>

namespace FMOD {

class AlSystem;

class AlKlang final : public Sound {
 public:
  AlKlang(AlSystem& system, std::string pfad, bool strom, int kanaele, long rate, ALuint puffer)
      : system(system), pfad(std::move(pfad)), strom(strom), kanaele(kanaele), rate(rate), puffer(puffer) {}
  ~AlKlang() override = default;

  FMOD_RESULT release() override;
  FMOD_RESULT setMode(FMOD_MODE modus) override;
  FMOD_RESULT setUserData(void* daten) override;
  FMOD_RESULT getUserData(void** daten) override;

  const std::string& Pfad() const { return pfad; }
  bool IstStrom() const { return strom; }
  bool Wiederholt() const { return wiederholen; }
  int Kanaele() const { return kanaele; }
  long Rate() const { return rate; }
  ALuint Puffer() const { return puffer; }
  ALenum AlFormat() const { return kanaele == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

 private:
  AlSystem& system;
  std::string pfad;
  bool strom;
  int kanaele;
  long rate;
  ALuint puffer;  // 0 for a stream
  bool wiederholen = false;
  void* nutzerDaten = nullptr;
};

}  // namespace FMOD
