#include "Plattform/fmod/AlGeraet.h"

#include <AL/alext.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace FMOD {

namespace {

constexpr int SCHLEIFEN_RATE = 48000;
constexpr int64_t NANO = 1'000'000'000;

int64_t Jetzt() {
  timespec zeit{};
  clock_gettime(CLOCK_MONOTONIC, &zeit);
  return int64_t(zeit.tv_sec) * NANO + zeit.tv_nsec;
}

std::vector<std::string> Geraetenamen() {
  std::vector<std::string> namen;
  bool alle = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT");
  const ALCchar* liste = alcGetString(nullptr, alle ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER);
  const ALCchar* standard = alcGetString(nullptr, alle ? ALC_DEFAULT_ALL_DEVICES_SPECIFIER : ALC_DEFAULT_DEVICE_SPECIFIER);
  for (const ALCchar* name = liste; name && *name; name += std::strlen(name) + 1) namen.emplace_back(name);
  if (standard && *standard) {
    auto eintrag = std::find(namen.begin(), namen.end(), std::string(standard));
    if (eintrag != namen.end()) std::rotate(namen.begin(), eintrag, eintrag + 1);
  }
  return namen;
}

}  // namespace

std::vector<AlTreiber> AlGeraet::ListeTreiber() {
  std::vector<AlTreiber> treiber;
  for (const std::string& name : Geraetenamen()) {
    ALCdevice* geraet = alcOpenDevice(name.c_str());
    if (!geraet) continue;
    ALCint rate = 0;
    alcGetIntegerv(geraet, ALC_FREQUENCY, 1, &rate);
    alcCloseDevice(geraet);
    treiber.push_back({name, int(rate)});
  }
  return treiber;
}

AlGeraet::~AlGeraet() { Schliesse(); }

bool AlGeraet::ErzeugeKontext(const ALCint* attribute) {
  kontext = alcCreateContext(geraet, attribute);
  if (!kontext || !alcMakeContextCurrent(kontext)) {
    Schliesse();
    return false;
  }
  ALCint gelesen = 0;
  alcGetIntegerv(geraet, ALC_FREQUENCY, 1, &gelesen);
  if (gelesen > 0) rate = gelesen;
  return true;
}

bool AlGeraet::OeffneAusgabe(const std::string& name, int wunschRate) {
  Schliesse();
  geraet = alcOpenDevice(name.empty() ? nullptr : name.c_str());
  if (!geraet) return false;
  schleife = false;
  rate = wunschRate;
  const ALCint attribute[] = {ALC_FREQUENCY, wunschRate, 0};
  return ErzeugeKontext(wunschRate > 0 ? attribute : nullptr);
}

bool AlGeraet::OeffneSchleife(int wunschRate) {
  Schliesse();
  geraet = alcLoopbackOpenDeviceSOFT(nullptr);
  if (!geraet) return false;
  schleife = true;
  rate = wunschRate > 0 ? wunschRate : SCHLEIFEN_RATE;
  const ALCint attribute[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                              ALC_FREQUENCY, rate, 0};
  letzteMischung = 0;
  return ErzeugeKontext(attribute);
}

void AlGeraet::Schliesse() {
  if (kontext) {
    if (alcGetCurrentContext() == kontext) alcMakeContextCurrent(nullptr);
    alcDestroyContext(kontext);
    kontext = nullptr;
  }
  if (geraet) alcCloseDevice(geraet);
  geraet = nullptr;
}

void AlGeraet::MachAktuell() const {
  if (kontext && alcGetCurrentContext() != kontext) alcMakeContextCurrent(kontext);
}

void AlGeraet::Mische(float* ziel, int frames) {
  if (!schleife || !geraet || frames <= 0) return;
  MachAktuell();
  alcRenderSamplesSOFT(geraet, ziel, frames);
}

void AlGeraet::MischeEchtzeit() {
  if (!schleife || !geraet) return;
  int64_t jetzt = Jetzt();
  if (letzteMischung == 0) letzteMischung = jetzt;
  int64_t vergangen = std::min(jetzt - letzteMischung, NANO);
  int64_t frames = vergangen * rate / NANO;
  if (frames <= 0) return;
  letzteMischung += frames * NANO / rate;
  if (jetzt - letzteMischung > NANO) letzteMischung = jetzt;
  constexpr int BLOCK = 4096;
  verwurf.resize(size_t(BLOCK) * 2);
  for (int64_t rest = frames; rest > 0; rest -= BLOCK) Mische(verwurf.data(), int(std::min<int64_t>(rest, BLOCK)));
}

bool AlGeraet::IstVerbunden() const {
  if (!geraet) return false;
  if (!alcIsExtensionPresent(geraet, "ALC_EXT_disconnect")) return true;
  ALCint verbunden = 1;
  alcGetIntegerv(geraet, ALC_CONNECTED, 1, &verbunden);
  return verbunden != 0;
}

}  // namespace FMOD
