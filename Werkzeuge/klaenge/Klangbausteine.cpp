#include "Klangbausteine.h"

#include <algorithm>
#include <cmath>

float Rauschen::Naechstes() {
  zustand ^= zustand << 13;
  zustand ^= zustand >> 17;
  zustand ^= zustand << 5;
  return float(double(zustand) / 2147483648.0 - 1.0);
}

double Rauschen::Zwischen(double von, double bis) { return von + (bis - von) * (Naechstes() * 0.5 + 0.5); }

Resonator::Resonator(double frequenz, double abklingen, double verstaerkung) {
  const double r = std::exp(-1.0 / (abklingen * RATE));
  a1 = 2.0 * r * std::cos(2.0 * PI * frequenz / RATE);
  a2 = -r * r;
  g = verstaerkung * (1.0 - r);
}

float Resonator::Schritt(float eingang) {
  const double y = a1 * y1 + a2 * y2 + g * eingang;
  y2 = y1;
  y1 = y;
  return float(y);
}

Resonatorbank::Resonatorbank(double grund, const std::vector<double>& verhaeltnisse, double abklingen) {
  for (double v : verhaeltnisse) moden.emplace_back(grund * v, abklingen / std::sqrt(v), 1.0 / std::sqrt(v));
}

float Resonatorbank::Schritt(float eingang) {
  float summe = 0;
  for (Resonator& mode : moden) summe += mode.Schritt(eingang);
  return summe;
}

Bandpass::Bandpass(double mitte, double guete) {
  const double w = 2.0 * PI * mitte / RATE;
  const double alpha = std::sin(w) / (2.0 * guete);
  const double a0 = 1.0 + alpha;
  b0 = alpha / a0;
  b2 = -alpha / a0;
  a1 = -2.0 * std::cos(w) / a0;
  a2 = (1.0 - alpha) / a0;
}

float Bandpass::Schritt(float eingang) {
  const double y = b0 * eingang + b2 * x2 - a1 * y1 - a2 * y2;
  x2 = x1;
  x1 = eingang;
  y2 = y1;
  y1 = y;
  return float(y);
}

Tiefpass::Tiefpass(double grenze) : a(1.0 - std::exp(-2.0 * PI * grenze / RATE)) {}

float Tiefpass::Schritt(float eingang) {
  y += a * (eingang - y);
  return float(y);
}

std::vector<float> Zupfe(double frequenz, double dauer, Rauschen& rauschen) {
  const size_t laenge = std::max<size_t>(2, size_t(RATE / frequenz + 0.5));
  std::vector<float> saite(laenge);
  Tiefpass weich(3000.0);
  for (float& probe : saite) probe = weich.Schritt(rauschen.Naechstes());
  std::vector<float> ton(size_t(dauer * RATE));
  size_t pos = 0;
  for (float& probe : ton) {
    const size_t naechste = (pos + 1) % laenge;
    probe = saite[pos];
    saite[pos] = 0.4985f * (saite[pos] + saite[naechste]);
    pos = naechste;
  }
  return ton;
}

namespace {

struct Kamm {
  std::vector<float> puffer;
  size_t pos = 0;
  float rueck;
  float daempf = 0;
  Kamm(size_t laenge, float rueck) : puffer(laenge), rueck(rueck) {}
  float Schritt(float eingang) {
    const float aus = puffer[pos];
    daempf = aus * 0.7f + daempf * 0.3f;
    puffer[pos] = eingang + daempf * rueck;
    pos = (pos + 1) % puffer.size();
    return aus;
  }
};

struct Allpass {
  std::vector<float> puffer;
  size_t pos = 0;
  explicit Allpass(size_t laenge) : puffer(laenge) {}
  float Schritt(float eingang) {
    const float verzoegert = puffer[pos];
    const float aus = verzoegert - 0.5f * eingang;
    puffer[pos] = eingang + 0.5f * verzoegert;
    pos = (pos + 1) % puffer.size();
    return aus;
  }
};

struct Hall {
  std::vector<Kamm> kaemme;
  std::vector<Allpass> allpaesse;
  explicit Hall(size_t versatz) {
    for (size_t laenge : {1557, 1617, 1491, 1422}) kaemme.emplace_back(laenge + versatz, 0.80f);
    for (size_t laenge : {556, 441}) allpaesse.emplace_back(laenge + versatz);
  }
  float Schritt(float eingang) {
    float summe = 0;
    for (Kamm& kamm : kaemme) summe += kamm.Schritt(eingang);
    summe *= 0.25f;
    for (Allpass& allpass : allpaesse) summe = allpass.Schritt(summe);
    return summe;
  }
};

}  // namespace

void HalleRing(std::vector<float>& stereo, float anteil) {
  const size_t frames = stereo.size() / 2;
  Hall links(0), rechts(23);
  std::vector<float> nass(stereo.size());
  // The first pass only fills the reverb with the end of the loop; the second one is kept.
  for (int durchgang = 0; durchgang < 2; ++durchgang)
    for (size_t i = 0; i < frames; ++i) {
      nass[2 * i] = links.Schritt(stereo[2 * i]);
      nass[2 * i + 1] = rechts.Schritt(stereo[2 * i + 1]);
    }
  for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = stereo[i] * (1.0f - anteil) + nass[i] * anteil;
}

void Normiere(std::vector<float>& proben, float spitze) {
  float groesste = 0;
  for (float probe : proben) groesste = std::max(groesste, std::fabs(probe));
  if (groesste <= 0) return;
  for (float& probe : proben) probe *= spitze / groesste;
}
