#pragma once
// One voice of the OpenAL system: a source from the pool with the state of the channel that
// plays on it. A stream voice owns its decoder and four queued buffers of 250 ms each.
#include "Plattform/fmod/OggDatei.h"

#include <AL/al.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace FMOD {

class AlKlang;
class AlKanalGruppe;

class AlStimme {
 public:
  static constexpr int STROM_PUFFER = 4;

  // Creates the source (relative, at the origin, roll-off 0.5) and its stream buffers.
  bool Erzeuge();
  void Loesche();

  // Attaches the sound's buffer, or opens its stream and queues the first buffers. The source
  // stays AL_INITIAL until Wende plays it.
  FMOD_RESULT Starte(AlKlang& klang, AlKanalGruppe& gruppe, bool angehalten);
  // Stops, detaches every buffer and frees the voice for a new generation.
  void Beende();
  // Applies gain and pause from the channel and its groups.
  void Wende();
  // Refills the stream queue and plays again a stream that ran dry before its end.
  void Aktualisiere();
  // Stopped with nothing left to play.
  bool IstZuEnde() const;

  ALuint quelle = 0;
  uint32_t generation = 1;
  bool belegt = false;
  AlKlang* klang = nullptr;
  AlKanalGruppe* gruppe = nullptr;
  float lautstaerke = 1.0f;
  bool angehalten = false;

 private:
  bool SollSpielen() const;
  ALint Zustand() const;
  // Decodes up to 250 ms into `puffer`, from the start again when the sound loops; false when
  // nothing more comes.
  bool FuellePuffer(ALuint puffer);
  void FuelleFreiePuffer();

  ALuint stromPuffer[STROM_PUFFER] = {};
  std::vector<ALuint> freiePuffer;
  std::unique_ptr<OggDatei> strom;
  bool stromEnde = false;
  std::vector<char> dekodiert;
};

}  // namespace FMOD
