#include "Zarvo_Audio.h"

#include "Zarvo_Start.h"

#include <cstdio>
#include <cstring>
#include <memory>

void Zarvo_Audio::LogFehlerZeile(FMOD_RESULT code) { g_Log.Schreibe("!  Fehler %d: %s", int(code), FMOD_ErrorString(code)); }

void Zarvo_Audio::LogFehler(const char* text, FMOD_RESULT code) {
  g_Log.Schreibe("!%s", text);
  LogFehlerZeile(code);
}

Zarvo_Audio::Zarvo_Audio() {
  FMOD_RESULT ergebnis = FMOD_System_Create(&system);
  if (ergebnis != FMOD_OK) {
    LogFehler("!Zarvo_Audio::Zarvo_Audio(): FMOD-Interface konnte nicht erstellt werden.", ergebnis);
    system = nullptr;
    return;
  }
  unsigned version = 0;
  ergebnis = system->getVersion(&version);
  if (ergebnis != FMOD_OK) {
    LogFehler("!Zarvo_Audio::Zarvo_Audio(): Versionsabfrage gescheitert.", ergebnis);
    Beenden();
    return;
  }
  if (version < MIN_VERSION) {
    LogFehler("!Zarvo_Audio::Zarvo_Audio(): Falsche FMOD-Version liegt neben der Exe.", FMOD_OK);
    Beenden();
    return;
  }
  int anzahl = 0;
  ergebnis = system->getNumDrivers(&anzahl);
  if (ergebnis != FMOD_OK) {
    LogFehler("Zarvo_Audio::Zarvo_Audio(): Verfügbare Audio-Treiber konnten nicht ermittelt werden", ergebnis);
    Beenden();
    return;
  }
  ListeTreiber(anzahl);
}

Zarvo_Audio::~Zarvo_Audio() { Beenden(); }

void Zarvo_Audio::ListeTreiber(int anzahl) {
  if (anzahl <= 0) {
    g_Log.Schreibe("!Zarvo_Audio::Zarvo_Audio(): Keine Audio-Treiber verfügbar.");
    if (system->setOutput(FMOD_OUTPUTTYPE_NOSOUND) != FMOD_OK)
      g_Log.Schreibe("! Zarvo_Audio::Zarvo_Audio(): Nicht einmal 'kein Sound' konnte initialisiert werden.");
    return;
  }
  for (int i = 0; i < anzahl; ++i) treiber.push_back(LiesTreiber(i));
}

Zarvo_Audio::Treiber Zarvo_Audio::LiesTreiber(int nummer) {
  char name[256] = {};
  FMOD_CAPS faehigkeiten = 0;
  int rate = 0;
  FMOD_SPEAKERMODE lautsprecher = FMOD_SPEAKERMODE_STEREO;
  FMOD_RESULT ergebnis = system->getDriverInfo(nummer, name, sizeof name, nullptr);
  if (ergebnis == FMOD_OK) ergebnis = system->getDriverCaps(nummer, &faehigkeiten, &rate, &lautsprecher);
  std::string gelesen(name, strnlen(name, sizeof name - 1));
  if (ergebnis == FMOD_OK) return {gelesen, faehigkeiten, uint32_t(rate), uint32_t(lautsprecher), true};
  char text[128];
  snprintf(text, sizeof text, "Zarvo_Audio::Zarvo_Audio(): Fähigkeiten-Prüfung bei Treiber %d fehlgeschlagen", nummer);
  LogFehler(text, ergebnis);
  return {gelesen, 0, 0, FMOD_SPEAKERMODE_STEREO, false};
}

void Zarvo_Audio::PruefeTreiberNull() {
  if (treiber.empty()) {
    g_Log.Schreibe("?Zarvo_Audio::Init(): Keine Audio-Treiber verfügbar, es gibt keinen Ton.");
    return;
  }
  if (treiber[0].faehigkeiten & FMOD_CAPS_HARDWARE_EMULATED) {
    g_Log.Schreibe("?Zarvo_Audio::Init(): Hardware-Beschleunigung abgeschaltet. Das wird echt mies klingen.");
    system->setDSPBufferSize(1024, 10);
  }
  if (treiber[0].name.find("SigmaTel") != std::string::npos) {
    g_Log.Schreibe("?Zarvo_Audio::Init(): FMOD sagt, dieser Audio-Treiber wäre verbugt. Mal schauen.");
    FMOD_RESULT ergebnis = system->setSoftwareFormat(48000, FMOD_SOUND_FORMAT_PCMFLOAT, 0, 0, FMOD_DSP_RESAMPLER_LINEAR);
    if (ergebnis != FMOD_OK) LogFehler("? Zarvo_Audio::Init(): Initialisieren des Treiber-Bug-Workarounds gescheitert.", ergebnis);
  }
}

bool Zarvo_Audio::StarteStereo() {
  g_Log.Schreibe("?Zarvo_Audio::Init(): Vom Benutzer eingestellte Lautsprecherkonfiguration wird von der Hardware nicht unterstützt.");
  g_Log.Schreibe("? Zarvo_Audio::Init(): Zurückfallen auf langweiliges Stereo.");
  FMOD_RESULT ergebnis = system->setSpeakerMode(FMOD_SPEAKERMODE_STEREO);
  if (ergebnis != FMOD_OK) {
    LogFehler("Zarvo_Audio::Init(): Festlegen der Lautsprecherkonfiguration gescheitert.", ergebnis);
    return false;
  }
  ergebnis = system->init(MAX_KANAELE, FMOD_INIT_NORMAL, nullptr);
  if (ergebnis != FMOD_OK) {
    LogFehler("Zarvo_Audio::Init(): Neu-Initialisierung gescheitert.", ergebnis);
    return false;
  }
  return true;
}

bool Zarvo_Audio::StarteSystem() {
  FMOD_RESULT ergebnis = system->init(MAX_KANAELE, FMOD_INIT_NORMAL, nullptr);
  if (ergebnis == FMOD_ERR_OUTPUT_CREATEBUFFER) return StarteStereo();
  if (ergebnis != FMOD_OK) {
    LogFehler("Zarvo_Audio::Init(): Initialisieren von FMOD::System gescheitert!", ergebnis);
    return false;
  }
  return true;
}

bool Zarvo_Audio::Init() {
  if (!system || initialisiert) return false;
  g_Log.DebugAusgabe("Audio wird initialisiert.");
  FMOD_SPEAKERMODE modus = treiber.empty() ? FMOD_SPEAKERMODE_STEREO : FMOD_SPEAKERMODE(treiber[0].lautsprecher);
  FMOD_RESULT ergebnis = system->setSpeakerMode(modus);
  if (ergebnis != FMOD_OK) {
    LogFehler("Zarvo_Audio::Init(): Lautsprechermodus konnte nicht gesetzt werden!", ergebnis);
    return false;
  }
  PruefeTreiberNull();
  if (!StarteSystem()) return false;
  FMOD::ChannelGroup* master = nullptr;
  ergebnis = system->getMasterChannelGroup(&master);
  if (ergebnis != FMOD_OK) {
    LogFehler("Zarvo_Audio::Init(): Erstellen des Master-Kanals schlug fehl.", ergebnis);
    return false;
  }
  kanaele.Fuege(std::make_unique<Zarvo_AudioKanal>(system, master));
  system->set3DSettings(1.0f, 1.0f, 0.5f);
  initialisiert = true;
  return true;
}

void Zarvo_Audio::Arbeiten() {
  if (!initialisiert) return;
  FMOD_RESULT ergebnis = system->update();
  if (ergebnis != FMOD_OK) LogFehler("Zarvo_Audio::Arbeiten(): FMOD::System::update() schlug fehl.", ergebnis);
}

void Zarvo_Audio::Beenden() {
  if (!system) return;
  g_Log.DebugAusgabe("Audio wird geschlossen.");
  samples.Leere();
  kanaele.Leere();
  effekte.clear();
  FMOD_RESULT ergebnis = system->release();
  if (ergebnis != FMOD_OK) LogFehler("Zarvo_Audio::Beenden(): Schliessen von FMOD schlug fehl.", ergebnis);
  system = nullptr;
  initialisiert = false;
}

Zarvo_AudioKanal* Zarvo_Audio::ErzeugeKanal() {
  if (!initialisiert) return nullptr;
  FMOD::ChannelGroup* gruppe = nullptr;
  FMOD_RESULT ergebnis = system->createChannelGroup(nullptr, &gruppe);
  if (ergebnis != FMOD_OK) {
    LogFehler("Zarvo_Audio::ErzeugeKanal(): Erzeugen eines Kanals fehlgeschlagen.", ergebnis);
    return nullptr;
  }
  int64_t slot = kanaele.Fuege(std::make_unique<Zarvo_AudioKanal>(system, gruppe));
  return kanaele.Gib(slot);
}

Zarvo_AudioKanal* Zarvo_Audio::GibMasterKanal() { return initialisiert ? kanaele.Gib(0) : nullptr; }

int64_t Zarvo_Audio::LadeSample(const std::wstring& pfad, bool strom, bool komprimiert) {
  if (!initialisiert) return 0;
  auto sample = std::make_unique<Zarvo_AudioSample>(system, pfad, strom, komprimiert);
  if (!sample->sound) return -1;
  return samples.Fuege(std::move(sample));
}

Zarvo_AudioSample* Zarvo_Audio::GibSample(int64_t n) { return samples.Gib(n); }

Zarvo_AudioSound Zarvo_Audio::SpieleEffekt(const std::wstring& pfad, Zarvo_AudioKanal* kanal) {
  if (!initialisiert || !kanal) return Zarvo_AudioSound();
  auto eintrag = effekte.find(pfad);
  if (eintrag == effekte.end()) eintrag = effekte.emplace(pfad, LadeSample(pfad, false, false)).first;
  Zarvo_AudioSample* sample = GibSample(eintrag->second);
  return sample ? sample->SpieleAb(kanal) : Zarvo_AudioSound();
}
