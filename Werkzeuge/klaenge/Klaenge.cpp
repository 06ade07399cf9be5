#include "Klaenge.h"

#include "Klangbausteine.h"

#include <cmath>

namespace {

// Bending modes of a free bar, with detuned doubles for a rougher metal.
const std::vector<double> STAB_MODEN = {1.0, 2.76, 5.40, 8.93, 1.013, 2.79, 5.47};
constexpr double STAB_GRUND = 300.0;

size_t Frames(double sekunden) { return size_t(sekunden * RATE); }

// A short noise burst (linear fade over `dauer`) through a resonator bank, added at `start`.
void Klirre(std::vector<float>& ziel, double start, double dauer, double grund, double abklingen,
            const std::vector<double>& moden, float staerke, Rauschen& rauschen) {
  Resonatorbank bank(grund, moden, abklingen);
  const size_t anfang = Frames(start);
  const size_t stoss = Frames(dauer);
  for (size_t i = anfang; i < ziel.size(); ++i) {
    const size_t t = i - anfang;
    const float anregung = t < stoss ? rauschen.Naechstes() * float(1.0 - double(t) / double(stoss)) : 0.0f;
    ziel[i] += staerke * bank.Schritt(anregung);
  }
}

// Band-passed noise pulsed at an irregular 12-20 Hz, through the bar resonators, over a rumble.
// Fades in over 40 ms and out to zero at `ende`.
void Schleife(std::vector<float>& ziel, double start, double ende, Rauschen& rauschen) {
  Bandpass band(1400.0, 1.2);
  Resonatorbank bank(STAB_GRUND, STAB_MODEN, 0.08);
  Tiefpass rumpeln(70.0);
  const size_t anfang = Frames(start), schluss = std::min(Frames(ende), ziel.size());
  double naechsterStoss = start;
  double stossZeit = -1.0;
  for (size_t i = anfang; i < schluss; ++i) {
    const double t = double(i) / RATE;
    if (t >= naechsterStoss) {
      stossZeit = t;
      naechsterStoss = t + 1.0 / rauschen.Zwischen(12.0, 20.0);
    }
    const double puls = 0.35 + 0.65 * std::exp(-(t - stossZeit) / 0.012);
    const double huelle = std::min(1.0, (t - start) / 0.04) * std::pow(1.0 - (t - start) / (ende - start), 1.5);
    const float rauschwert = rauschen.Naechstes();
    const float gerassel = band.Schritt(rauschwert) * float(puls);
    const float metall = bank.Schritt(gerassel * 0.5f);
    const float tief = rumpeln.Schritt(rauschen.Naechstes()) * 6.0f;
    ziel[i] += float(huelle) * (0.6f * gerassel + 0.8f * metall + 0.5f * tief);
  }
}

void BlendeAus(std::vector<float>& proben, double dauer) {
  const size_t laenge = std::min(Frames(dauer), proben.size());
  for (size_t i = 0; i < laenge; ++i) proben[proben.size() - 1 - i] *= float(double(i) / double(laenge));
}

}  // namespace

Klang GitterAuf() {
  Rauschen rauschen(0x6A17u);
  std::vector<float> proben(Frames(1.6));
  Klirre(proben, 0.0, 0.005, STAB_GRUND, 0.35, STAB_MODEN, 1.0f, rauschen);
  Schleife(proben, 0.12, 1.6, rauschen);
  BlendeAus(proben, 0.03);
  Normiere(proben, 0.8f);
  return {proben, 1};
}

Klang GitterZu() {
  Rauschen rauschen(0x5E11u);
  std::vector<float> proben(Frames(1.4));
  Schleife(proben, 0.0, 0.95, rauschen);
  Klirre(proben, 0.9, 0.006, STAB_GRUND * 0.8, 0.5, STAB_MODEN, 1.6f, rauschen);
  BlendeAus(proben, 0.05);
  Normiere(proben, 0.8f);
  return {proben, 1};
}

Klang Schalter() {
  Rauschen rauschen(0x5C4Au);
  std::vector<float> proben(Frames(0.3));
  const std::vector<double> klick = {1.0, 1.38, 1.71, 1.95};  // 3.0, 4.1, 5.1, 5.9 kHz
  Klirre(proben, 0.005, 0.002, 3000.0, 0.015 * std::sqrt(1.95), klick, 1.0f, rauschen);
  for (size_t i = Frames(0.005); i < Frames(0.045); ++i) {
    const double t = double(i) / RATE - 0.005;
    proben[i] += float(0.5 * std::sin(2.0 * PI * 180.0 * t) * std::exp(-t / 0.012) * std::sin(PI * t / 0.04));
  }
  Klirre(proben, 0.125, 0.002, 3300.0, 0.012 * std::sqrt(1.95), klick, 0.45f, rauschen);
  BlendeAus(proben, 0.01);
  Normiere(proben, 0.8f);
  return {proben, 1};
}

namespace {

constexpr double SCHLAG = 60.0 / 80.0;
constexpr double TAKT = 4 * SCHLAG;
constexpr int TAKTE = 16;
constexpr double NACHKLANG = 4.0;

double Frequenz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Root, third and fifth of Am, F, C, G (MIDI numbers around middle C).
const int AKKORDE[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};

// Adds a mono note to both channels at `start` with the given pan (-1 left .. 1 right).
void Lege(std::vector<float>& stereo, const std::vector<float>& ton, double start, float pan, float staerke) {
  const size_t anfang = Frames(start);
  const float links = staerke * std::sqrt(0.5f * (1.0f - pan)), rechts = staerke * std::sqrt(0.5f * (1.0f + pan));
  for (size_t i = 0; i < ton.size() && 2 * (anfang + i) + 1 < stereo.size(); ++i) {
    stereo[2 * (anfang + i)] += ton[i] * links;
    stereo[2 * (anfang + i) + 1] += ton[i] * rechts;
  }
}

// A soft pad note: three sine partials, attack 0.6 s, held for `dauer`, released over 1.2 s.
std::vector<float> Flaeche(double frequenz, double dauer, double verstimmung) {
  std::vector<float> ton(Frames(dauer + 1.2));
  const double f = frequenz * std::pow(2.0, verstimmung / 1200.0);
  for (size_t i = 0; i < ton.size(); ++i) {
    const double t = double(i) / RATE;
    const double huelle = std::min(1.0, t / 0.6) * (t < dauer ? 1.0 : std::exp(-(t - dauer) / 0.35));
    const double w = 2.0 * PI * f * t;
    ton[i] = float(huelle * (std::sin(w) + 0.3 * std::sin(2 * w) + 0.12 * std::sin(3 * w)));
  }
  return ton;
}

// A bass note: sine with a touch of its octave, quick attack, slow decay.
std::vector<float> Bass(double frequenz, double dauer) {
  std::vector<float> ton(Frames(dauer + 0.8));
  for (size_t i = 0; i < ton.size(); ++i) {
    const double t = double(i) / RATE;
    const double huelle = std::min(1.0, t / 0.02) * std::exp(-t / 2.5) * (t < dauer ? 1.0 : std::exp(-(t - dauer) / 0.2));
    const double w = 2.0 * PI * frequenz * t;
    ton[i] = float(huelle * (std::sin(w) + 0.25 * std::sin(2 * w)));
  }
  return ton;
}

}  // namespace

Klang Musik() {
  Rauschen rauschen(0x0A11u);
  const size_t schleife = Frames(TAKTE * TAKT);
  std::vector<float> stereo(2 * (schleife + Frames(NACHKLANG)));
  const int muster[8] = {0, 1, 2, 3, 4, 3, 2, 1};  // up and down over two octaves of chord tones
  for (int takt = 0; takt < TAKTE; ++takt) {
    const int* akkord = AKKORDE[takt % 4];
    const double beginn = takt * TAKT;
    for (int n = 0; n < 3; ++n) {
      Lege(stereo, Flaeche(Frequenz(akkord[n]), TAKT, -4.0), beginn, -0.5f, 0.09f);
      Lege(stereo, Flaeche(Frequenz(akkord[n]), TAKT, 4.0), beginn, 0.5f, 0.09f);
    }
    Lege(stereo, Bass(Frequenz(akkord[0] - 24 + (akkord[0] < 52 ? 12 : 0)), TAKT * 0.9), beginn, 0.0f, 0.35f);
    for (int achtel = 0; achtel < 8; ++achtel) {
      const int stufe = muster[achtel];
      const int note = akkord[stufe % 3] + 12 * (stufe / 3) + 12;
      const float pan = achtel % 2 ? 0.3f : -0.3f;
      Lege(stereo, Zupfe(Frequenz(note), 1.6, rauschen), beginn + achtel * SCHLAG / 2, pan, 0.22f);
    }
  }
  // Everything that still rings past the end is added back at the start.
  for (size_t i = 2 * schleife; i < stereo.size(); ++i) stereo[i - 2 * schleife] += stereo[i];
  stereo.resize(2 * schleife);
  HalleRing(stereo, 0.22f);
  Normiere(stereo, 0.8f);
  return {stereo, 2};
}
