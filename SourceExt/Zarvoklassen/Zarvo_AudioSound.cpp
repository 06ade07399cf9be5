#include "Zarvo_AudioSound.h"

#include "Zarvo_Audio.h"

bool Zarvo_AudioSound::Stopp() {
  if (kanal.isNull()) return false;
  FMOD_RESULT ergebnis = kanal.stop();
  if (ergebnis == FMOD_OK) return true;
  Zarvo_Audio::LogFehler("Zarvo_AudioSound::Stopp(): Stoppen eines Sounds gescheitert.", ergebnis);
  return false;
}
