#include "Plattform/fmod/AlSystem.h"

#include "Plattform/fmod/OggDatei.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace FMOD {
namespace {

std::mutex zaehlerSperre;
std::map<std::string, unsigned> gestartet;

void ZaehleStart(const std::string& pfad) {
  std::lock_guard<std::mutex> sperre(zaehlerSperre);
  ++gestartet[pfad];
}

}  // namespace

std::map<std::string, unsigned> NimmGestarteteKlaenge() {
  std::lock_guard<std::mutex> sperre(zaehlerSperre);
  std::map<std::string, unsigned> bisher;
  bisher.swap(gestartet);
  return bisher;
}

AlSystem::~AlSystem() = default;

FMOD_RESULT AlSystem::release() {
  geraet.MachAktuell();
  BeendeAlleStimmen();
  for (AlStimme& stimme : stimmen) stimme.Loesche();
  stimmen.clear();
  for (const auto& klang : klaenge)
    if (klang->Puffer()) {
      ALuint puffer = klang->Puffer();
      alDeleteBuffers(1, &puffer);
    }
  klaenge.clear();
  gruppen.clear();
  geraet.Schliesse();
  delete this;
  return FMOD_OK;
}

FMOD_RESULT AlSystem::getVersion(unsigned* version) {
  if (!version) return FMOD_ERR_INVALID_PARAM;
  *version = FMOD_VERSION;
  return FMOD_OK;
}

const std::vector<AlTreiber>& AlSystem::Treiber() {
  if (!treiber) treiber = AlGeraet::ListeTreiber();
  geraet.MachAktuell();
  return *treiber;
}

FMOD_RESULT AlSystem::getNumDrivers(int* anzahl) {
  if (!anzahl) return FMOD_ERR_INVALID_PARAM;
  *anzahl = int(Treiber().size());
  return FMOD_OK;
}

FMOD_RESULT AlSystem::getDriverInfo(int nummer, char* name, int laenge, FMOD_GUID* guid) {
  const auto& liste = Treiber();
  if (nummer < 0 || size_t(nummer) >= liste.size()) return FMOD_ERR_INVALID_PARAM;
  if (name && laenge > 0) {
    size_t kopiert = std::min(liste[nummer].name.size(), size_t(laenge) - 1);
    std::memcpy(name, liste[nummer].name.data(), kopiert);
    name[kopiert] = '\0';
  }
  if (guid) *guid = FMOD_GUID{};
  return FMOD_OK;
}

FMOD_RESULT AlSystem::getDriverCaps(int nummer, FMOD_CAPS* faehigkeiten, int* rate, FMOD_SPEAKERMODE* modus) {
  const auto& liste = Treiber();
  if (nummer < 0 || size_t(nummer) >= liste.size()) return FMOD_ERR_INVALID_PARAM;
  if (faehigkeiten) *faehigkeiten = FMOD_CAPS_NONE;
  if (rate) *rate = liste[nummer].rate;
  if (modus) *modus = FMOD_SPEAKERMODE_STEREO;
  return FMOD_OK;
}

FMOD_RESULT AlSystem::setOutput(FMOD_OUTPUTTYPE neu) {
  if (initialisiert) return FMOD_ERR_UNSUPPORTED;
  if (neu != FMOD_OUTPUTTYPE_AUTODETECT && neu != FMOD_OUTPUTTYPE_NOSOUND && neu != FMOD_OUTPUTTYPE_LOOPBACK)
    return FMOD_ERR_INVALID_PARAM;
  ausgabe = neu;
  return FMOD_OK;
}

FMOD_RESULT AlSystem::setSpeakerMode(FMOD_SPEAKERMODE modus) {
  if (initialisiert) return FMOD_ERR_UNSUPPORTED;
  lautsprecher = modus;
  return FMOD_OK;
}

FMOD_RESULT AlSystem::setDSPBufferSize(unsigned, int) { return initialisiert ? FMOD_ERR_UNSUPPORTED : FMOD_OK; }

FMOD_RESULT AlSystem::setSoftwareFormat(int rate, FMOD_SOUND_FORMAT, int, int, FMOD_DSP_RESAMPLER) {
  if (initialisiert) return FMOD_ERR_UNSUPPORTED;
  if (rate < 0) return FMOD_ERR_INVALID_PARAM;
  softwareRate = rate;
  return FMOD_OK;
}

FMOD_RESULT AlSystem::OeffneGeraet() {
  if (ausgabe == FMOD_OUTPUTTYPE_NOSOUND || ausgabe == FMOD_OUTPUTTYPE_LOOPBACK)
    return geraet.OeffneSchleife(softwareRate) ? FMOD_OK : FMOD_ERR_OUTPUT_INIT;
  const auto& liste = Treiber();
  if (liste.empty()) return FMOD_ERR_OUTPUT_INIT;
  return geraet.OeffneAusgabe(liste[0].name, softwareRate) ? FMOD_OK : FMOD_ERR_OUTPUT_INIT;
}

FMOD_RESULT AlSystem::init(int maxKanaele, FMOD_INITFLAGS, void*) {
  if (initialisiert) return FMOD_ERR_UNSUPPORTED;
  if (maxKanaele <= 0) return FMOD_ERR_INVALID_PARAM;
  FMOD_RESULT ergebnis = OeffneGeraet();
  if (ergebnis != FMOD_OK) return ergebnis;
  stimmen.resize(size_t(maxKanaele));
  for (AlStimme& stimme : stimmen)
    if (!stimme.Erzeuge()) {
      stimmen.resize(size_t(&stimme - stimmen.data()));
      break;
    }
  if (stimmen.empty()) {
    geraet.Schliesse();
    return FMOD_ERR_OUTPUT_INIT;
  }
  gruppen.push_back(std::make_unique<AlKanalGruppe>(*this, nullptr));
  initialisiert = true;
  return FMOD_OK;
}

FMOD_RESULT AlSystem::set3DSettings(float doppler, float distanzFaktor, float) {
  if (!initialisiert) return FMOD_ERR_UNINITIALIZED;
  geraet.MachAktuell();
  alDopplerFactor(doppler);
  alSpeedOfSound(343.3f * (distanzFaktor > 0 ? distanzFaktor : 1.0f));
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  return FMOD_OK;
}

void AlSystem::BeendeAlleStimmen() {
  for (AlStimme& stimme : stimmen)
    if (stimme.belegt) stimme.Beende();
}

FMOD_RESULT AlSystem::update() {
  if (!initialisiert) return FMOD_ERR_UNINITIALIZED;
  geraet.MachAktuell();
  if (!geraet.IstVerbunden()) {
    BeendeAlleStimmen();
    if (geraetVerloren) return FMOD_OK;
    geraetVerloren = true;
    return FMOD_ERR_OUTPUT_DEVICELOST;
  }
  for (AlStimme& stimme : stimmen) stimme.Aktualisiere();
  if (ausgabe == FMOD_OUTPUTTYPE_NOSOUND) geraet.MischeEchtzeit();
  for (AlStimme& stimme : stimmen)
    if (stimme.IstZuEnde()) stimme.Beende();
  return FMOD_OK;
}

FMOD_RESULT AlSystem::renderLoopback(float* ziel, int frames) {
  if (!initialisiert) return FMOD_ERR_UNINITIALIZED;
  if (ausgabe != FMOD_OUTPUTTYPE_LOOPBACK) return FMOD_ERR_UNSUPPORTED;
  if (!ziel || frames < 0) return FMOD_ERR_INVALID_PARAM;
  geraet.Mische(ziel, frames);
  return FMOD_OK;
}

FMOD_RESULT AlSystem::getMasterChannelGroup(ChannelGroup** gruppe) {
  if (!gruppe) return FMOD_ERR_INVALID_PARAM;
  *gruppe = nullptr;
  if (!initialisiert) return FMOD_ERR_UNINITIALIZED;
  *gruppe = gruppen.front().get();
  return FMOD_OK;
}

FMOD_RESULT AlSystem::createChannelGroup(const char*, ChannelGroup** gruppe) {
  if (!gruppe) return FMOD_ERR_INVALID_PARAM;
  *gruppe = nullptr;
  if (!initialisiert) return FMOD_ERR_UNINITIALIZED;
  gruppen.push_back(std::make_unique<AlKanalGruppe>(*this, gruppen.front().get()));
  *gruppe = gruppen.back().get();
  return FMOD_OK;
}

FMOD_RESULT AlSystem::createSound(const char* pfad, FMOD_MODE modus, FMOD_CREATESOUNDEXINFO*, Sound** klang) {
  if (!klang) return FMOD_ERR_INVALID_PARAM;
  *klang = nullptr;
  if (!initialisiert) return FMOD_ERR_UNINITIALIZED;
  geraet.MachAktuell();
  std::unique_ptr<OggDatei> datei;
  FMOD_RESULT ergebnis = OggDatei::Oeffne(pfad, datei);
  if (ergebnis != FMOD_OK) return ergebnis;
  const bool strom = (modus & FMOD_CREATESTREAM) != 0;
  ALuint puffer = 0;
  if (!strom) {
    std::vector<char> daten;
    ergebnis = datei->LiesGanz(daten);
    if (ergebnis != FMOD_OK) return ergebnis;
    alGetError();
    alGenBuffers(1, &puffer);
    alBufferData(puffer, datei->Kanaele() == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, daten.data(),
                 ALsizei(daten.size()), ALsizei(datei->Rate()));
    if (alGetError() != AL_NO_ERROR) {
      alDeleteBuffers(1, &puffer);
      return FMOD_ERR_MEMORY;
    }
  }
  klaenge.push_back(std::make_unique<AlKlang>(*this, pfad, strom, datei->Kanaele(), datei->Rate(), puffer));
  klaenge.back()->setMode(modus);
  *klang = klaenge.back().get();
  return FMOD_OK;
}

bool AlSystem::IstEigenerKlang(const Sound* klang) const {
  return std::any_of(klaenge.begin(), klaenge.end(), [klang](const auto& eigener) { return eigener.get() == klang; });
}

FMOD_RESULT AlSystem::GibKlangFrei(AlKlang* klang) {
  if (!IstEigenerKlang(klang)) return FMOD_ERR_INVALID_HANDLE;
  geraet.MachAktuell();
  for (AlStimme& stimme : stimmen)
    if (stimme.belegt && stimme.klang == klang) stimme.Beende();
  ALuint puffer = klang->Puffer();
  if (puffer) alDeleteBuffers(1, &puffer);
  klaenge.erase(std::find_if(klaenge.begin(), klaenge.end(), [klang](const auto& eigener) { return eigener.get() == klang; }));
  return FMOD_OK;
}

FMOD_RESULT AlSystem::playSound(FMOD_CHANNELINDEX index, Sound* klang, bool angehalten, Channel* kanal) {
  if (kanal) *kanal = Channel();
  if (!initialisiert) return FMOD_ERR_UNINITIALIZED;
  if (index != FMOD_CHANNEL_FREE || !IstEigenerKlang(klang)) return FMOD_ERR_INVALID_PARAM;
  geraet.MachAktuell();
  auto frei = std::find_if(stimmen.begin(), stimmen.end(), [](const AlStimme& stimme) { return !stimme.belegt; });
  if (frei == stimmen.end()) return FMOD_ERR_CHANNEL_ALLOC;
  FMOD_RESULT ergebnis = frei->Starte(*static_cast<AlKlang*>(klang), *gruppen.front(), angehalten);
  if (ergebnis != FMOD_OK) return ergebnis;
  if (kanal) *kanal = Channel(nummer(), uint32_t(frei - stimmen.begin()), frei->generation);
  ZaehleStart(static_cast<AlKlang*>(klang)->Pfad());
  return FMOD_OK;
}

void AlSystem::WendeKanaeleAn() {
  geraet.MachAktuell();
  for (AlStimme& stimme : stimmen) stimme.Wende();
}

AlStimme* AlSystem::Finde(const Channel& kanal) {
  if (kanal.slot() >= stimmen.size()) return nullptr;
  AlStimme& stimme = stimmen[kanal.slot()];
  if (!stimme.belegt || stimme.generation != kanal.generation()) return nullptr;
  geraet.MachAktuell();
  return &stimme;
}

AlKanalGruppe* AlSystem::EigeneGruppe(ChannelGroup* gruppe) {
  if (!gruppe) return gruppen.empty() ? nullptr : gruppen.front().get();
  auto* eigene = dynamic_cast<AlKanalGruppe*>(gruppe);
  return eigene && eigene->GehoertZu(*this) ? eigene : nullptr;
}

FMOD_RESULT AlSystem::kanalSetChannelGroup(const Channel& kanal, ChannelGroup* gruppe) {
  AlStimme* stimme = Finde(kanal);
  if (!stimme) return FMOD_ERR_INVALID_HANDLE;
  AlKanalGruppe* eigene = EigeneGruppe(gruppe);
  if (!eigene) return FMOD_ERR_INVALID_PARAM;
  stimme->gruppe = eigene;
  stimme->Wende();
  return FMOD_OK;
}

FMOD_RESULT AlSystem::kanalSetVolume(const Channel& kanal, float lautstaerke) {
  AlStimme* stimme = Finde(kanal);
  if (!stimme) return FMOD_ERR_INVALID_HANDLE;
  stimme->lautstaerke = std::clamp(lautstaerke, 0.0f, 1.0f);
  stimme->Wende();
  return FMOD_OK;
}

FMOD_RESULT AlSystem::kanalSetPaused(const Channel& kanal, bool angehalten) {
  AlStimme* stimme = Finde(kanal);
  if (!stimme) return FMOD_ERR_INVALID_HANDLE;
  stimme->angehalten = angehalten;
  stimme->Wende();
  return FMOD_OK;
}

FMOD_RESULT AlSystem::kanalStop(const Channel& kanal) {
  AlStimme* stimme = Finde(kanal);
  if (!stimme) return FMOD_ERR_INVALID_HANDLE;
  stimme->Beende();
  return FMOD_OK;
}

FMOD_RESULT AlSystem::kanalIsPlaying(const Channel& kanal, bool* spielt) {
  AlStimme* stimme = Finde(kanal);
  if (!stimme) return FMOD_ERR_INVALID_HANDLE;
  *spielt = !stimme->IstZuEnde();
  return FMOD_OK;
}

}  // namespace FMOD
