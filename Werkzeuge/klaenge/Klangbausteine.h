#pragma once
// Small building blocks of the sound synthesis: seeded noise, damped resonators, filters, a
// plucked string and a reverb. All state is explicit, so a fixed seed gives the same samples.
#include <cstdint>
#include <vector>

inline constexpr double RATE = 44100.0;
inline constexpr double PI = 3.14159265358979323846;

// xorshift32 noise in -1..1.
class Rauschen {
 public:
  explicit Rauschen(uint32_t saat) : zustand(saat ? saat : 1) {}
  float Naechstes();
  // Uniform in [von, bis).
  double Zwischen(double von, double bis);

 private:
  uint32_t zustand;
};

// A two-pole resonator ringing at `frequenz` with amplitude time constant `abklingen` seconds.
class Resonator {
 public:
  Resonator(double frequenz, double abklingen, double verstaerkung);
  float Schritt(float eingang);

 private:
  double a1, a2, g;
  double y1 = 0, y2 = 0;
};

// A bank of resonators fed by one input.
class Resonatorbank {
 public:
  // Modes at grund * verhaeltnis[i], each decaying in abklingen / sqrt(verhaeltnis[i]) seconds.
  Resonatorbank(double grund, const std::vector<double>& verhaeltnisse, double abklingen);
  float Schritt(float eingang);

 private:
  std::vector<Resonator> moden;
};

// RBJ band-pass biquad (constant peak gain).
class Bandpass {
 public:
  Bandpass(double mitte, double guete);
  float Schritt(float eingang);

 private:
  double b0, b2, a1, a2;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// One-pole low-pass.
class Tiefpass {
 public:
  explicit Tiefpass(double grenze);
  float Schritt(float eingang);

 private:
  double a;
  double y = 0;
};

// Karplus-Strong plucked string: `dauer` seconds of a note at `frequenz`.
std::vector<float> Zupfe(double frequenz, double dauer, Rauschen& rauschen);

// Schroeder reverb over a circular stereo buffer (interleaved): the tail of the end rings on
// into the start, so a loop stays seamless. `anteil` is the wet share.
void HalleRing(std::vector<float>& stereo, float anteil);

// Scales so that the largest magnitude is `spitze`.
void Normiere(std::vector<float>& proben, float spitze);
