#pragma once
// An FMOD-Ex-shaped audio interface: a system with output drivers, channel groups, sounds and
// channels. The engine sees only these classes; FMOD_System_Create builds the OpenAL Soft
// implementation (or, through the test hook, any other).
//
// System, Sound, ChannelGroup and DSP are objects the system owns and hands out by pointer.
// A Channel is a small value naming a voice of one system by slot and generation: once the
// voice has ended or been reused, every operation on an old value answers
// FMOD_ERR_INVALID_HANDLE and touches nothing. Every call returns an FMOD_RESULT, 0 on success.
#include <cstdint>
#include <map>
#include <string>

enum FMOD_RESULT : int {
  FMOD_OK = 0,
  FMOD_ERR_CHANNEL_ALLOC = 10,         // no free channel
  FMOD_ERR_FILE_BAD = 19,              // not Ogg Vorbis, or a broken header
  FMOD_ERR_FILE_NOTFOUND = 23,
  FMOD_ERR_FORMAT = 25,                // more channels or samples than can be played
  FMOD_ERR_INTERNAL = 33,
  FMOD_ERR_INVALID_HANDLE = 36,
  FMOD_ERR_INVALID_PARAM = 37,
  FMOD_ERR_MEMORY = 43,
  FMOD_ERR_OUTPUT_CREATEBUFFER = 56,   // the output cannot make a buffer for the speaker mode
  FMOD_ERR_OUTPUT_INIT = 59,           // the output device could not be opened
  FMOD_ERR_OUTPUT_DEVICELOST = 60,
  FMOD_ERR_UNINITIALIZED = 80,
  FMOD_ERR_UNSUPPORTED = 81,
};

// The published text of a result code; "Unknown error." for any code the layer does not know.
const char* FMOD_ErrorString(FMOD_RESULT ergebnis);

inline constexpr unsigned FMOD_VERSION = 0x00044450;

using FMOD_MODE = unsigned;
inline constexpr FMOD_MODE FMOD_DEFAULT = 0x0;
inline constexpr FMOD_MODE FMOD_LOOP_NORMAL = 0x2;
inline constexpr FMOD_MODE FMOD_3D = 0x10;
inline constexpr FMOD_MODE FMOD_SOFTWARE = 0x40;
inline constexpr FMOD_MODE FMOD_CREATESTREAM = 0x80;
inline constexpr FMOD_MODE FMOD_CREATECOMPRESSEDSAMPLE = 0x200;
inline constexpr FMOD_MODE FMOD_IGNORETAGS = 0x2000000;

using FMOD_CAPS = unsigned;
inline constexpr FMOD_CAPS FMOD_CAPS_NONE = 0x0;
inline constexpr FMOD_CAPS FMOD_CAPS_HARDWARE_EMULATED = 0x2;

using FMOD_INITFLAGS = unsigned;
inline constexpr FMOD_INITFLAGS FMOD_INIT_NORMAL = 0x0;

enum FMOD_OUTPUTTYPE : int {
  FMOD_OUTPUTTYPE_AUTODETECT = 0,
  FMOD_OUTPUTTYPE_NOSOUND = 2,     // silent, mixed in real time by update()
  FMOD_OUTPUTTYPE_LOOPBACK = 100,  // silent, mixed only by System::renderLoopback (tests)
};

enum FMOD_SPEAKERMODE : int { FMOD_SPEAKERMODE_RAW = 0, FMOD_SPEAKERMODE_MONO = 1, FMOD_SPEAKERMODE_STEREO = 2 };
enum FMOD_SOUND_FORMAT : int { FMOD_SOUND_FORMAT_NONE = 0, FMOD_SOUND_FORMAT_PCM16 = 2, FMOD_SOUND_FORMAT_PCMFLOAT = 5 };
enum FMOD_DSP_RESAMPLER : int { FMOD_DSP_RESAMPLER_NOINTERP = 0, FMOD_DSP_RESAMPLER_LINEAR = 1 };
enum FMOD_CHANNELINDEX : int { FMOD_CHANNEL_FREE = -1 };

struct FMOD_GUID {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};
struct FMOD_CREATESOUNDEXINFO;  // no extra information is ever passed

namespace FMOD {

class System;
class Sound;

class Channel {
 public:
  Channel() = default;
  Channel(uint32_t system, uint32_t slot, uint32_t generation)
      : systemNummer(system), slotNummer(slot), generationNummer(generation) {}

  FMOD_RESULT setChannelGroup(class ChannelGroup* gruppe);
  FMOD_RESULT setVolume(float lautstaerke);  // clamped to 0..1
  FMOD_RESULT setPaused(bool angehalten);
  FMOD_RESULT stop();
  FMOD_RESULT isPlaying(bool* spielt);

  bool isNull() const { return systemNummer == 0; }
  uint32_t system() const { return systemNummer; }
  uint32_t slot() const { return slotNummer; }
  uint32_t generation() const { return generationNummer; }
  bool operator==(const Channel&) const = default;

 private:
  uint32_t systemNummer = 0;  // 0: no channel
  uint32_t slotNummer = 0;
  uint32_t generationNummer = 0;
};

class ChannelGroup {
 public:
  virtual FMOD_RESULT setVolume(float lautstaerke) = 0;
  virtual FMOD_RESULT setPaused(bool angehalten) = 0;
  // Moves `kind` below this group.
  virtual FMOD_RESULT addGroup(ChannelGroup* kind) = 0;

 protected:
  virtual ~ChannelGroup() = default;
};

class Sound {
 public:
  // Stops the sound's channels and frees it.
  virtual FMOD_RESULT release() = 0;
  // FMOD_LOOP_NORMAL: channels started afterwards loop.
  virtual FMOD_RESULT setMode(FMOD_MODE modus) = 0;
  virtual FMOD_RESULT setUserData(void* daten) = 0;
  virtual FMOD_RESULT getUserData(void** daten) = 0;

 protected:
  virtual ~Sound() = default;
};

class DSP {
 public:
  virtual FMOD_RESULT remove() = 0;
  virtual FMOD_RESULT release() = 0;

 protected:
  virtual ~DSP() = default;
};

class System {
 public:
  // Frees everything the system made, then the system itself.
  virtual FMOD_RESULT release() = 0;
  virtual FMOD_RESULT getVersion(unsigned* version) = 0;

  virtual FMOD_RESULT getNumDrivers(int* anzahl) = 0;
  virtual FMOD_RESULT getDriverInfo(int treiber, char* name, int laenge, FMOD_GUID* guid) = 0;
  virtual FMOD_RESULT getDriverCaps(int treiber, FMOD_CAPS* faehigkeiten, int* rate, FMOD_SPEAKERMODE* modus) = 0;

  virtual FMOD_RESULT setOutput(FMOD_OUTPUTTYPE ausgabe) = 0;
  virtual FMOD_RESULT setSpeakerMode(FMOD_SPEAKERMODE modus) = 0;
  virtual FMOD_RESULT setDSPBufferSize(unsigned laenge, int anzahl) = 0;
  virtual FMOD_RESULT setSoftwareFormat(int rate, FMOD_SOUND_FORMAT format, int ausgabeKanaele, int maxEingabeKanaele,
                                        FMOD_DSP_RESAMPLER resampler) = 0;
  virtual FMOD_RESULT init(int maxKanaele, FMOD_INITFLAGS flags, void* treiberDaten) = 0;
  virtual FMOD_RESULT set3DSettings(float doppler, float distanzFaktor, float rolloff) = 0;
  virtual FMOD_RESULT update() = 0;

  virtual FMOD_RESULT getMasterChannelGroup(ChannelGroup** gruppe) = 0;
  virtual FMOD_RESULT createChannelGroup(const char* name, ChannelGroup** gruppe) = 0;
  virtual FMOD_RESULT createSound(const char* pfad, FMOD_MODE modus, FMOD_CREATESOUNDEXINFO* info, Sound** klang) = 0;
  virtual FMOD_RESULT playSound(FMOD_CHANNELINDEX index, Sound* klang, bool angehalten, Channel* kanal) = 0;

  // Only for FMOD_OUTPUTTYPE_LOOPBACK: mixes `frames` stereo float frames into `ziel`.
  virtual FMOD_RESULT renderLoopback(float* ziel, int frames);

  // The number that this system's Channel values carry (never 0, never reused in a process).
  uint32_t nummer() const { return eigeneNummer; }

 protected:
  System();
  virtual ~System();
  System(const System&) = delete;
  System& operator=(const System&) = delete;

  // The operations of Channel, each given the value it was called on.
  friend class Channel;
  virtual FMOD_RESULT kanalSetChannelGroup(const Channel& kanal, ChannelGroup* gruppe) = 0;
  virtual FMOD_RESULT kanalSetVolume(const Channel& kanal, float lautstaerke) = 0;
  virtual FMOD_RESULT kanalSetPaused(const Channel& kanal, bool angehalten) = 0;
  virtual FMOD_RESULT kanalStop(const Channel& kanal) = 0;
  virtual FMOD_RESULT kanalIsPlaying(const Channel& kanal, bool* spielt) = 0;

 private:
  static System* finde(uint32_t nummer);
  uint32_t eigeneNummer;
};

// The test hook: while set, FMOD_System_Create calls it instead of building the OpenAL system.
using SystemErzeuger = FMOD_RESULT (*)(System** system);
void SetzeSystemErzeuger(SystemErzeuger erzeuger);

// Diagnostics: how often playSound of the OpenAL systems started each file since the last call
// (by the path given to createSound); the call resets the counts.
std::map<std::string, unsigned> NimmGestarteteKlaenge();

}  // namespace FMOD

// Allocates a system; no output is touched before init.
FMOD_RESULT FMOD_System_Create(FMOD::System** system);
