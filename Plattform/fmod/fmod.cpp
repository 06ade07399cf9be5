#include "Plattform/fmod/fmod.h"

#include "Plattform/fmod/AlSystem.h"

#include <new>
#include <unordered_map>

namespace {

struct Fehlertext {
  FMOD_RESULT code;
  const char* text;
};

constexpr Fehlertext FEHLERTEXTE[] = {
    {FMOD_OK, "No errors."},
    {FMOD_ERR_CHANNEL_ALLOC, "Error trying to allocate a channel: no free channel."},
    {FMOD_ERR_FILE_BAD, "Error loading file: not an Ogg Vorbis file, or its header is broken."},
    {FMOD_ERR_FILE_NOTFOUND, "File not found."},
    {FMOD_ERR_FORMAT, "Unsupported file or audio format."},
    {FMOD_ERR_INTERNAL, "An error occurred that wasn't supposed to."},
    {FMOD_ERR_INVALID_HANDLE, "An invalid object handle was used."},
    {FMOD_ERR_INVALID_PARAM, "An invalid parameter was passed to this function."},
    {FMOD_ERR_MEMORY, "Not enough memory or resources."},
    {FMOD_ERR_OUTPUT_CREATEBUFFER, "Error creating hardware sound buffer."},
    {FMOD_ERR_OUTPUT_INIT, "Error initializing output device."},
    {FMOD_ERR_OUTPUT_DEVICELOST, "The output device was lost."},
    {FMOD_ERR_UNINITIALIZED, "This command failed because System::init was not called."},
    {FMOD_ERR_UNSUPPORTED, "A command issued was not supported by this object."},
};

// Live systems by number; main thread only.
std::unordered_map<uint32_t, FMOD::System*>& Systeme() {
  static std::unordered_map<uint32_t, FMOD::System*> systeme;
  return systeme;
}

uint32_t naechsteNummer = 1;
FMOD::SystemErzeuger erzeuger = nullptr;

}  // namespace

const char* FMOD_ErrorString(FMOD_RESULT ergebnis) {
  for (const Fehlertext& eintrag : FEHLERTEXTE)
    if (eintrag.code == ergebnis) return eintrag.text;
  return "Unknown error.";
}

namespace FMOD {

System::System() : eigeneNummer(naechsteNummer++) { Systeme()[eigeneNummer] = this; }

System::~System() { Systeme().erase(eigeneNummer); }

System* System::finde(uint32_t nummer) {
  auto eintrag = Systeme().find(nummer);
  return eintrag == Systeme().end() ? nullptr : eintrag->second;
}

FMOD_RESULT System::renderLoopback(float*, int) { return FMOD_ERR_UNSUPPORTED; }

void SetzeSystemErzeuger(SystemErzeuger neuerErzeuger) { erzeuger = neuerErzeuger; }

FMOD_RESULT Channel::setChannelGroup(ChannelGroup* gruppe) {
  System* system = System::finde(systemNummer);
  return system ? system->kanalSetChannelGroup(*this, gruppe) : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT Channel::setVolume(float lautstaerke) {
  System* system = System::finde(systemNummer);
  return system ? system->kanalSetVolume(*this, lautstaerke) : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT Channel::setPaused(bool angehalten) {
  System* system = System::finde(systemNummer);
  return system ? system->kanalSetPaused(*this, angehalten) : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT Channel::stop() {
  System* system = System::finde(systemNummer);
  return system ? system->kanalStop(*this) : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT Channel::isPlaying(bool* spielt) {
  if (!spielt) return FMOD_ERR_INVALID_PARAM;
  *spielt = false;
  System* system = System::finde(systemNummer);
  return system ? system->kanalIsPlaying(*this, spielt) : FMOD_ERR_INVALID_HANDLE;
}

}  // namespace FMOD

FMOD_RESULT FMOD_System_Create(FMOD::System** system) {
  if (!system) return FMOD_ERR_INVALID_PARAM;
  *system = nullptr;
  if (erzeuger) return erzeuger(system);
  *system = new (std::nothrow) FMOD::AlSystem();
  return *system ? FMOD_OK : FMOD_ERR_MEMORY;
}
