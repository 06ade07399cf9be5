#pragma once
// The audio system: a thin layer over the FMOD system. The constructor creates the FMOD system,
// checks its version and lists the output drivers; Init starts it with a master channel group in
// channel slot 0; Arbeiten updates it once per frame; Beenden (also run by the destructor)
// destroys every sample and channel group and releases FMOD. Samples and channel groups live in
// slot tables until Beenden. Every failure is logged and leaves audio off or partly working;
// nothing is thrown. Main thread only.
//
// The process-wide instance is g_Audio (Zarvo_AudioInstanz.h), linked only into the game.
#include "TSlotTabelle.h"
#include "Zarvo_AudioKanal.h"
#include "Zarvo_AudioSample.h"
#include "Zarvo_AudioSound.h"

#include "Plattform/fmod/fmod.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Zarvo_Audio {
 public:
  static constexpr unsigned MIN_VERSION = 0x44450;
  static constexpr int MAX_KANAELE = 100;

  struct Treiber {
    std::string name;  // at most 255 bytes
    uint32_t faehigkeiten = 0;
    uint32_t rate = 0;
    uint32_t lautsprecher = FMOD_SPEAKERMODE_STEREO;
    bool gueltig = false;
  };

  Zarvo_Audio();
  ~Zarvo_Audio();
  Zarvo_Audio(const Zarvo_Audio&) = delete;
  Zarvo_Audio& operator=(const Zarvo_Audio&) = delete;

  // Once after the constructor; true when audio runs.
  bool Init();
  // Once per frame.
  void Arbeiten();
  void Beenden();

  // A new channel group under the master group, or null.
  Zarvo_AudioKanal* ErzeugeKanal();
  Zarvo_AudioKanal* GibMasterKanal();
  // The slot of the loaded sample; -1 when loading failed; 0 while audio is not initialised.
  int64_t LadeSample(const std::wstring& pfad, bool strom, bool komprimiert);
  // Null for n < 0, beyond the capacity or a free slot.
  Zarvo_AudioSample* GibSample(int64_t n);
  // Plays the effect file `pfad` on `kanal`, loading it on its first use only (a failed load is
  // remembered too). The null sound while audio is off, for a failed load or a null group.
  Zarvo_AudioSound SpieleEffekt(const std::wstring& pfad, Zarvo_AudioKanal* kanal);

  // "!text", then the error line.
  static void LogFehler(const char* text, FMOD_RESULT code);
  // "!  Fehler %d: %s" with the code and its text.
  static void LogFehlerZeile(FMOD_RESULT code);

  bool IstInitialisiert() const { return initialisiert; }
  FMOD::System* GibSystem() const { return system; }
  const std::vector<Treiber>& GibTreiber() const { return treiber; }

 private:
  void ListeTreiber(int anzahl);
  Treiber LiesTreiber(int nummer);
  bool StarteSystem();
  bool StarteStereo();
  void PruefeTreiberNull();

  FMOD::System* system = nullptr;
  std::vector<Treiber> treiber;
  TSlotTabelle<Zarvo_AudioKanal> kanaele;
  TSlotTabelle<Zarvo_AudioSample> samples;
  bool initialisiert = false;
  std::map<std::wstring, int64_t> effekte;  // the slot of each effect path, -1 for a failed load
};
