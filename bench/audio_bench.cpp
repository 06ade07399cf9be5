// Audio layer against plain OpenAL Soft + libvorbisfile, each on its own loopback device.
//  1. Mixing one 800-frame step with 32 playing channels (31 looping effects and the music stream).
//  2. Decoding "usaganie.ogg" into memory as a sample.
#include <benchmark/benchmark.h>

#include "Plattform/fmod/fmod.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <vorbis/vorbisfile.h>

#include <string>
#include <vector>

namespace {

const std::string DATEN = MORVELUNT_DATEN_ZIEL;
const char* const EFFEKTE[] = {"gitter_auf.ogg", "gitter_zu.ogg", "schalter.ogg"};
constexpr int SCHRITT = 800;
constexpr int EFFEKT_KANAELE = 31;

std::vector<char> DekodiereGanz(const std::string& pfad, int& kanaele, long& rate) {
  std::vector<char> daten;
  OggVorbis_File datei;
  if (ov_fopen(pfad.c_str(), &datei) != 0) return daten;
  kanaele = ov_info(&datei, -1)->channels;
  rate = ov_info(&datei, -1)->rate;
  char puffer[16384];
  int glied = 0;
  for (long n; (n = ov_read(&datei, puffer, sizeof puffer, 0, 2, 1, &glied)) > 0;) daten.insert(daten.end(), puffer, puffer + n);
  ov_clear(&datei);
  return daten;
}

void MischenSchicht(benchmark::State& state) {
  FMOD::System* system = nullptr;
  FMOD_System_Create(&system);
  system->setOutput(FMOD_OUTPUTTYPE_LOOPBACK);
  system->init(100, FMOD_INIT_NORMAL, nullptr);
  bool bereit = true;
  std::vector<FMOD::Sound*> effekte;
  for (const char* name : EFFEKTE) {
    FMOD::Sound* klang = nullptr;
    bereit &= system->createSound((DATEN + "/" + name).c_str(), FMOD_LOOP_NORMAL, nullptr, &klang) == FMOD_OK;
    effekte.push_back(klang);
  }
  FMOD::Sound* musik = nullptr;
  bereit &= system->createSound((DATEN + "/usaganie.ogg").c_str(), FMOD_CREATESTREAM | FMOD_LOOP_NORMAL, nullptr, &musik) == FMOD_OK;
  FMOD::Channel kanal;
  for (int i = 0; bereit && i < EFFEKT_KANAELE; ++i)
    bereit &= system->playSound(FMOD_CHANNEL_FREE, effekte[size_t(i) % effekte.size()], false, &kanal) == FMOD_OK;
  bereit = bereit && system->playSound(FMOD_CHANNEL_FREE, musik, false, &kanal) == FMOD_OK;
  if (!bereit) state.SkipWithError("the 32 channels could not be started");
  std::vector<float> ausgabe(2 * SCHRITT);
  for (auto _ : state) {
    system->update();
    system->renderLoopback(ausgabe.data(), SCHRITT);
    benchmark::DoNotOptimize(ausgabe.data());
  }
  system->release();
}

// The same sources driven straight through OpenAL Soft, the stream refilled by hand.
struct PlainOpenAl {
  ALCdevice* geraet = nullptr;
  ALCcontext* kontext = nullptr;
  std::vector<ALuint> quellen, puffer;
  ALuint strom = 0, stromPuffer[4] = {};
  OggVorbis_File musik{};
  std::vector<char> block;
  bool bereit = false;

  PlainOpenAl() {
    geraet = alcLoopbackOpenDeviceSOFT(nullptr);
    const ALCint attribute[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_FREQUENCY, 48000, 0};
    kontext = alcCreateContext(geraet, attribute);
    alcMakeContextCurrent(kontext);
    bereit = kontext != nullptr;
    for (const char* name : EFFEKTE) {
      int kanaele = 1;
      long rate = 44100;
      std::vector<char> daten = DekodiereGanz(DATEN + "/" + name, kanaele, rate);
      bereit &= !daten.empty();
      ALuint neu = 0;
      alGenBuffers(1, &neu);
      alBufferData(neu, AL_FORMAT_MONO16, daten.data(), ALsizei(daten.size()), ALsizei(rate));
      puffer.push_back(neu);
    }
    quellen.resize(EFFEKT_KANAELE);
    alGenSources(EFFEKT_KANAELE, quellen.data());
    for (size_t i = 0; i < quellen.size(); ++i) {
      alSourcei(quellen[i], AL_SOURCE_RELATIVE, AL_TRUE);
      alSourcei(quellen[i], AL_BUFFER, ALint(puffer[i % puffer.size()]));
      alSourcei(quellen[i], AL_LOOPING, AL_TRUE);
      alSourcePlay(quellen[i]);
    }
    bereit &= ov_fopen((DATEN + "/usaganie.ogg").c_str(), &musik) == 0;
    if (!bereit) return;
    block.resize(44100 / 4 * 4);
    alGenSources(1, &strom);
    alSourcei(strom, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alGenBuffers(4, stromPuffer);
    for (ALuint p : stromPuffer) Fuelle(p);
    alSourcePlay(strom);
  }
  void Fuelle(ALuint p) {
    size_t gefuellt = 0;
    int glied = 0;
    while (gefuellt < block.size()) {
      long n = ov_read(&musik, block.data() + gefuellt, int(block.size() - gefuellt), 0, 2, 1, &glied);
      if (n <= 0) {
        ov_pcm_seek(&musik, 0);
        continue;
      }
      gefuellt += size_t(n);
    }
    alBufferData(p, AL_FORMAT_STEREO16, block.data(), ALsizei(gefuellt), 44100);
    alSourceQueueBuffers(strom, 1, &p);
  }
  void Schritt(float* ausgabe) {
    ALint verarbeitet = 0;
    alGetSourcei(strom, AL_BUFFERS_PROCESSED, &verarbeitet);
    for (; verarbeitet > 0; --verarbeitet) {
      ALuint p = 0;
      alSourceUnqueueBuffers(strom, 1, &p);
      Fuelle(p);
    }
    alcRenderSamplesSOFT(geraet, ausgabe, SCHRITT);
  }
  ~PlainOpenAl() {
    alDeleteSources(EFFEKT_KANAELE, quellen.data());
    alDeleteSources(1, &strom);
    alDeleteBuffers(4, stromPuffer);
    alDeleteBuffers(ALsizei(puffer.size()), puffer.data());
    ov_clear(&musik);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(kontext);
    alcCloseDevice(geraet);
  }
};

void MischenOpenAlBasis(benchmark::State& state) {
  PlainOpenAl basis;
  if (!basis.bereit) state.SkipWithError("the plain OpenAL sources could not be started");
  std::vector<float> ausgabe(2 * SCHRITT);
  for (auto _ : state) {
    basis.Schritt(ausgabe.data());
    benchmark::DoNotOptimize(ausgabe.data());
  }
}

constexpr double MUSIK_SEKUNDEN = 48.0;

void DekodierenSchicht(benchmark::State& state) {
  FMOD::System* system = nullptr;
  FMOD_System_Create(&system);
  system->setOutput(FMOD_OUTPUTTYPE_LOOPBACK);
  system->init(4, FMOD_INIT_NORMAL, nullptr);
  for (auto _ : state) {
    FMOD::Sound* klang = nullptr;
    if (system->createSound((DATEN + "/usaganie.ogg").c_str(), FMOD_DEFAULT, nullptr, &klang) != FMOD_OK) {
      state.SkipWithError("usaganie.ogg could not be decoded");
      break;
    }
    klang->release();
  }
  state.counters["audio_s_pro_s"] = benchmark::Counter(MUSIK_SEKUNDEN * double(state.iterations()), benchmark::Counter::kIsRate);
  system->release();
}

void DekodierenVorbisBasis(benchmark::State& state) {
  for (auto _ : state) {
    int kanaele = 0;
    long rate = 0;
    std::vector<char> daten = DekodiereGanz(DATEN + "/usaganie.ogg", kanaele, rate);
    benchmark::DoNotOptimize(daten.data());
  }
  state.counters["audio_s_pro_s"] = benchmark::Counter(MUSIK_SEKUNDEN * double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(MischenSchicht)->Unit(benchmark::kMicrosecond);
BENCHMARK(MischenOpenAlBasis)->Unit(benchmark::kMicrosecond);
BENCHMARK(DekodierenSchicht)->Unit(benchmark::kMillisecond);
BENCHMARK(DekodierenVorbisBasis)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
