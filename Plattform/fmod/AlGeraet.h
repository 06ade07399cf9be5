#pragma once
// The OpenAL Soft device and context of one system: a named output device, or a loopback device
// that mixes nowhere (in real time for the no-sound output, on request for tests). Also lists the
// output devices that can be opened.
#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <string>
#include <vector>

namespace FMOD {

struct AlTreiber {
  std::string name;
  int rate = 0;
};

class AlGeraet {
 public:
  // The devices of ALC_ALL_DEVICES_SPECIFIER that open, the default device first.
  static std::vector<AlTreiber> ListeTreiber();

  AlGeraet() = default;
  ~AlGeraet();
  AlGeraet(const AlGeraet&) = delete;
  AlGeraet& operator=(const AlGeraet&) = delete;

  // Opens the named device (or the default one for an empty name) with a context; false on failure.
  bool OeffneAusgabe(const std::string& name, int rate);
  // Opens a loopback device, 48 kHz (or `rate`) stereo float, with a context.
  bool OeffneSchleife(int rate);
  void Schliesse();

  // Makes the context current when it is not.
  void MachAktuell() const;
  bool IstSchleife() const { return schleife; }
  int Rate() const { return rate; }
  // Loopback only: mixes `frames` stereo float frames into `ziel`.
  void Mische(float* ziel, int frames);
  // Loopback only: mixes the wall-clock time since the previous call (at most 1 s) and discards it.
  void MischeEchtzeit();
  // False once the device reports that it was disconnected.
  bool IstVerbunden() const;

 private:
  bool ErzeugeKontext(const ALCint* attribute);

  ALCdevice* geraet = nullptr;
  ALCcontext* kontext = nullptr;
  bool schleife = false;
  int rate = 0;
  int64_t letzteMischung = 0;  // nanoseconds of CLOCK_MONOTONIC, 0 before the first pass
  std::vector<float> verwurf;
};

}  // namespace FMOD
