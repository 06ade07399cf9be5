#include "Zarvo_AudioSample.h"

#include "Zarvo_Audio.h"
#include "Zarvo_AudioKanal.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Start.h"

namespace {

bool HatUtf8Form(uint32_t zeichen) { return zeichen <= 0x10FFFF && (zeichen < 0xD800 || zeichen > 0xDFFF); }

}  // namespace

bool Zarvo_AudioSample::NachUtf8(const std::wstring& pfad, std::string& utf8) {
  utf8.clear();
  bool vollstaendig = true;
  for (wchar_t einheit : pfad) {
    uint32_t zeichen = uint32_t(einheit);
    if (!HatUtf8Form(zeichen)) {
      zeichen = 0xFFFD;
      vollstaendig = false;
    }
    HaengeUtf8An(utf8, zeichen);
  }
  return vollstaendig;
}

std::wstring Zarvo_AudioSample::AusUtf8(const std::string& utf8) {
  std::wstring breit;
  const char* cursor = utf8.data();
  const char* ende = cursor + utf8.size();
  while (cursor < ende) breit.push_back(wchar_t(DekodiereUtf8(cursor, ende)));
  return breit;
}

Zarvo_AudioSample::Zarvo_AudioSample(FMOD::System* system_, const std::wstring& pfad, bool strom, bool komprimiert)
    : system(system_) {
  FMOD_MODE modus = GRUNDMODUS | (strom ? FMOD_CREATESTREAM : 0);
  if (komprimiert) modus |= FMOD_CREATECOMPRESSEDSAMPLE;
  std::string schmal;
  FMOD_RESULT ergebnis = NachUtf8(pfad, schmal) ? system->createSound(schmal.c_str(), modus, nullptr, &sound)
                                                 : FMOD_ERR_FILE_NOTFOUND;
  if (ergebnis != FMOD_OK) {
    g_Log.Schreibe("!Zarvo_AudioSample::Zarvo_AudioSample(): Erstellen des Samples aus Datei %s fehlgeschlagen", schmal.c_str());
    Zarvo_Audio::LogFehlerZeile(ergebnis);
    sound = nullptr;
    return;
  }
  sound->setUserData(this);
  gueltig = true;
}

Zarvo_AudioSample::~Zarvo_AudioSample() {
  if (!sound) return;
  if (sound->release() != FMOD_OK) g_Log.Schreibe("!Zarvo_AudioSample::~Zarvo_AudioSample(): Freigeben des Audio-Samples fehlgeschlagen");
  sound = nullptr;
}

bool Zarvo_AudioSample::SetWiederholen() {
  if (!gueltig) return false;
  FMOD_RESULT ergebnis = sound->setMode(FMOD_LOOP_NORMAL);
  if (ergebnis == FMOD_OK) return true;
  Zarvo_Audio::LogFehler("Zarvo_AudioSample::SetWiederholen(): Loop-Einstellung setzen eines Sounds gescheitert.", ergebnis);
  return false;
}

Zarvo_AudioSound Zarvo_AudioSample::SpieleAb(Zarvo_AudioKanal* kanal) {
  if (!gueltig) return Zarvo_AudioSound();
  FMOD::Channel channel;
  FMOD_RESULT ergebnis = system->playSound(FMOD_CHANNEL_FREE, sound, true, &channel);
  if (ergebnis != FMOD_OK) {
    Zarvo_Audio::LogFehler("Zarvo_AudioSample::SpieleAb(): Abspielen eines Sounds gescheitert.", ergebnis);
    return Zarvo_AudioSound();
  }
  ergebnis = channel.setChannelGroup(kanal->gruppe);
  if (ergebnis != FMOD_OK) {
    Zarvo_Audio::LogFehler("Zarvo_AudioSample::SpieleAb(): Kanalzuweisung eines Sounds gescheitert.", ergebnis);
    channel.stop();  // the paused channel would otherwise hold its voice until exit
    return Zarvo_AudioSound();
  }
  ergebnis = channel.setVolume(0.5f);
  if (ergebnis != FMOD_OK)
    Zarvo_Audio::LogFehler("Zarvo_AudioSample::SpieleAb(): Setzen der Lautstärke eines Sounds gescheitert.", ergebnis);
  ergebnis = channel.setPaused(false);
  if (ergebnis != FMOD_OK) {
    Zarvo_Audio::LogFehler("Zarvo_AudioSample::SpieleAb(): Anhalten/Fortsetzen eines Sounds gescheitert.", ergebnis);
    channel.stop();
    return Zarvo_AudioSound();
  }
  return Zarvo_AudioSound(channel);
}
