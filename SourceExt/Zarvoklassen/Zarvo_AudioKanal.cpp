#include "Zarvo_AudioKanal.h"

#include "Zarvo_Audio.h"

Zarvo_AudioKanal::~Zarvo_AudioKanal() {
  if (!echo) return;
  FMOD_RESULT ergebnis = echo->remove();
  if (ergebnis != FMOD_OK) Zarvo_Audio::LogFehler("Zarvo_AudioKanal::~Zarvo_AudioKanal(): Entfernen des Echo-DSPs gescheitert.", ergebnis);
  ergebnis = echo->release();
  if (ergebnis != FMOD_OK) Zarvo_Audio::LogFehler("Zarvo_AudioKanal::~Zarvo_AudioKanal(): Freigeben des Echo-DSPs gescheitert.", ergebnis);
  echo = nullptr;
}
