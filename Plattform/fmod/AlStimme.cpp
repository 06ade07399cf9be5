#include "Plattform/fmod/AlStimme.h"

#include "Plattform/fmod/AlKanalGruppe.h"
#include "Plattform/fmod/AlKlang.h"

#include <AL/alext.h>

namespace FMOD {

bool AlStimme::Erzeuge() {
  alGetError();
  alGenSources(1, &quelle);
  if (alGetError() != AL_NO_ERROR) return false;
  alSourcei(quelle, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(quelle, AL_POSITION, 0.0f, 0.0f, 0.0f);
  alSourcef(quelle, AL_ROLLOFF_FACTOR, 0.5f);
  alGenBuffers(STROM_PUFFER, stromPuffer);
  if (alGetError() != AL_NO_ERROR) {
    alDeleteSources(1, &quelle);
    quelle = 0;
    return false;
  }
  return true;
}

void AlStimme::Loesche() {
  if (belegt) Beende();
  if (quelle) alDeleteSources(1, &quelle);
  alDeleteBuffers(STROM_PUFFER, stromPuffer);
  quelle = 0;
}

FMOD_RESULT AlStimme::Starte(AlKlang& neuerKlang, AlKanalGruppe& neueGruppe, bool neuAngehalten) {
  alSourcei(quelle, AL_DIRECT_CHANNELS_SOFT, neuerKlang.Kanaele() == 2 ? AL_TRUE : AL_FALSE);
  if (neuerKlang.IstStrom()) {
    FMOD_RESULT ergebnis = OggDatei::Oeffne(neuerKlang.Pfad().c_str(), strom);
    if (ergebnis != FMOD_OK) return ergebnis;
    alSourcei(quelle, AL_LOOPING, AL_FALSE);
    stromEnde = false;
    klang = &neuerKlang;
    freiePuffer.assign(stromPuffer, stromPuffer + STROM_PUFFER);
    FuelleFreiePuffer();
  } else {
    alSourcei(quelle, AL_BUFFER, ALint(neuerKlang.Puffer()));
    alSourcei(quelle, AL_LOOPING, neuerKlang.Wiederholt() ? AL_TRUE : AL_FALSE);
    klang = &neuerKlang;
  }
  belegt = true;
  gruppe = &neueGruppe;
  lautstaerke = 1.0f;
  angehalten = neuAngehalten;
  Wende();
  return FMOD_OK;
}

void AlStimme::Beende() {
  alSourceStop(quelle);
  alSourceRewind(quelle);
  alSourcei(quelle, AL_BUFFER, 0);
  strom.reset();
  freiePuffer.clear();
  stromEnde = false;
  belegt = false;
  klang = nullptr;
  gruppe = nullptr;
  lautstaerke = 1.0f;
  angehalten = false;
  ++generation;
}

bool AlStimme::SollSpielen() const { return !angehalten && !gruppe->IstAngehalten(); }

ALint AlStimme::Zustand() const {
  ALint zustand = AL_INITIAL;
  alGetSourcei(quelle, AL_SOURCE_STATE, &zustand);
  return zustand;
}

void AlStimme::Wende() {
  if (!belegt) return;
  alSourcef(quelle, AL_GAIN, lautstaerke * gruppe->Verstaerkung());
  ALint zustand = Zustand();
  if (!SollSpielen()) {
    if (zustand == AL_PLAYING) alSourcePause(quelle);
  } else if (zustand == AL_INITIAL || zustand == AL_PAUSED) {
    alSourcePlay(quelle);
  }
}

bool AlStimme::FuellePuffer(ALuint puffer) {
  const size_t frameBytes = strom->BytesProFrame();
  const size_t groesse = size_t(strom->Rate() / 4) * frameBytes;
  dekodiert.resize(groesse);
  size_t gefuellt = 0;
  bool leererDurchlauf = false;  // a pass from the start that gave nothing: the file is empty
  while (gefuellt < groesse && !stromEnde) {
    size_t neu = strom->Lies(dekodiert.data() + gefuellt, groesse - gefuellt);
    gefuellt += neu;
    if (gefuellt == groesse) break;
    if (neu == 0 && (leererDurchlauf || !klang->Wiederholt() || !strom->ZumAnfang())) stromEnde = true;
    leererDurchlauf = neu == 0;
  }
  if (gefuellt == 0) return false;
  alBufferData(puffer, klang->AlFormat(), dekodiert.data(), ALsizei(gefuellt), ALsizei(strom->Rate()));
  return true;
}

void AlStimme::FuelleFreiePuffer() {
  while (!freiePuffer.empty() && !stromEnde) {
    ALuint puffer = freiePuffer.back();
    if (!FuellePuffer(puffer)) break;
    freiePuffer.pop_back();
    alSourceQueueBuffers(quelle, 1, &puffer);
  }
}

void AlStimme::Aktualisiere() {
  if (!belegt || !strom) return;
  ALint verarbeitet = 0;
  alGetSourcei(quelle, AL_BUFFERS_PROCESSED, &verarbeitet);
  for (; verarbeitet > 0; --verarbeitet) {
    ALuint puffer = 0;
    alSourceUnqueueBuffers(quelle, 1, &puffer);
    freiePuffer.push_back(puffer);
  }
  FuelleFreiePuffer();
  ALint wartend = 0;
  alGetSourcei(quelle, AL_BUFFERS_QUEUED, &wartend);
  if (Zustand() == AL_STOPPED && wartend > 0 && SollSpielen()) alSourcePlay(quelle);
}

bool AlStimme::IstZuEnde() const {
  if (!belegt || Zustand() != AL_STOPPED) return false;
  if (!strom) return true;
  ALint wartend = 0, verarbeitet = 0;
  alGetSourcei(quelle, AL_BUFFERS_QUEUED, &wartend);
  alGetSourcei(quelle, AL_BUFFERS_PROCESSED, &verarbeitet);
  return stromEnde && wartend == verarbeitet;
}

}  // namespace FMOD
