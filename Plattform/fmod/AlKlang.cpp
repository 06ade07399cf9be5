#include "Plattform/fmod/AlKlang.h"

#include "Plattform/fmod/AlSystem.h"

namespace FMOD {

FMOD_RESULT AlKlang::release() { return system.GibKlangFrei(this); }

FMOD_RESULT AlKlang::setMode(FMOD_MODE modus) {
  wiederholen = (modus & FMOD_LOOP_NORMAL) != 0;
  return FMOD_OK;
}

FMOD_RESULT AlKlang::setUserData(void* daten) {
  nutzerDaten = daten;
  return FMOD_OK;
}

FMOD_RESULT AlKlang::getUserData(void** daten) {
  if (!daten) return FMOD_ERR_INVALID_PARAM;
  *daten = nutzerDaten;
  return FMOD_OK;
}

}  // namespace FMOD
