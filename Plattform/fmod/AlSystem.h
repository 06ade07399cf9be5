#pragma once
// The FMOD system on OpenAL Soft and libvorbisfile. It owns its device and context, a pool of
// voices made at init, its sounds and its channel groups. Every entry point first makes its own
// context current, so several systems can live in one process.
#include "Plattform/fmod/AlGeraet.h"
#include "Plattform/fmod/AlKanalGruppe.h"
#include "Plattform/fmod/AlKlang.h"
#include "Plattform/fmod/AlStimme.h"
#include "Plattform/fmod/fmod.h"

#include <memory>
#include <optional>
#include <vector>

namespace FMOD {

class AlSystem final : public System {
 public:
  AlSystem() = default;

  FMOD_RESULT release() override;
  FMOD_RESULT getVersion(unsigned* version) override;
  FMOD_RESULT getNumDrivers(int* anzahl) override;
  FMOD_RESULT getDriverInfo(int treiber, char* name, int laenge, FMOD_GUID* guid) override;
  FMOD_RESULT getDriverCaps(int treiber, FMOD_CAPS* faehigkeiten, int* rate, FMOD_SPEAKERMODE* modus) override;
  FMOD_RESULT setOutput(FMOD_OUTPUTTYPE ausgabe) override;
  FMOD_RESULT setSpeakerMode(FMOD_SPEAKERMODE modus) override;
  FMOD_RESULT setDSPBufferSize(unsigned laenge, int anzahl) override;
  FMOD_RESULT setSoftwareFormat(int rate, FMOD_SOUND_FORMAT format, int ausgabeKanaele, int maxEingabeKanaele,
                                FMOD_DSP_RESAMPLER resampler) override;
  FMOD_RESULT init(int maxKanaele, FMOD_INITFLAGS flags, void* treiberDaten) override;
  FMOD_RESULT set3DSettings(float doppler, float distanzFaktor, float rolloff) override;
  FMOD_RESULT update() override;
  FMOD_RESULT getMasterChannelGroup(ChannelGroup** gruppe) override;
  FMOD_RESULT createChannelGroup(const char* name, ChannelGroup** gruppe) override;
  FMOD_RESULT createSound(const char* pfad, FMOD_MODE modus, FMOD_CREATESOUNDEXINFO* info, Sound** klang) override;
  FMOD_RESULT playSound(FMOD_CHANNELINDEX index, Sound* klang, bool angehalten, Channel* kanal) override;
  FMOD_RESULT renderLoopback(float* ziel, int frames) override;

  // For sounds and groups: release of a sound, and a change of a group's volume or pause.
  FMOD_RESULT GibKlangFrei(AlKlang* klang);
  void WendeKanaeleAn();

 protected:
  ~AlSystem() override;

  FMOD_RESULT kanalSetChannelGroup(const Channel& kanal, ChannelGroup* gruppe) override;
  FMOD_RESULT kanalSetVolume(const Channel& kanal, float lautstaerke) override;
  FMOD_RESULT kanalSetPaused(const Channel& kanal, bool angehalten) override;
  FMOD_RESULT kanalStop(const Channel& kanal) override;
  FMOD_RESULT kanalIsPlaying(const Channel& kanal, bool* spielt) override;

 private:
  const std::vector<AlTreiber>& Treiber();
  AlStimme* Finde(const Channel& kanal);
  AlKanalGruppe* EigeneGruppe(ChannelGroup* gruppe);
  bool IstEigenerKlang(const Sound* klang) const;
  FMOD_RESULT OeffneGeraet();
  void BeendeAlleStimmen();

  std::optional<std::vector<AlTreiber>> treiber;
  FMOD_OUTPUTTYPE ausgabe = FMOD_OUTPUTTYPE_AUTODETECT;
  FMOD_SPEAKERMODE lautsprecher = FMOD_SPEAKERMODE_STEREO;
  int softwareRate = 0;
  bool initialisiert = false;
  bool geraetVerloren = false;
  AlGeraet geraet;
  std::vector<AlStimme> stimmen;
  std::vector<std::unique_ptr<AlKanalGruppe>> gruppen;  // [0] is the master group
  std::vector<std::unique_ptr<AlKlang>> klaenge;
};

}  // namespace FMOD
