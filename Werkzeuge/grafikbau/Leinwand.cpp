#include "Leinwand.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace grafikbau {

namespace {

constexpr int PROBEN = 4;  // per axis and pixel

// Winding number of the form around p (nonzero: inside).
int Umlaufzahl(const Form& form, Punkt p) {
  int zahl = 0;
  for (const Umriss& umriss : form)
    for (size_t i = 0; i < umriss.size(); ++i) {
      const Punkt a = umriss[i], b = umriss[(i + 1) % umriss.size()];
      const double seite = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
      if (a.y <= p.y && b.y > p.y && seite > 0) ++zahl;
      if (a.y > p.y && b.y <= p.y && seite < 0) --zahl;
    }
  return zahl;
}

double AbstandZurStrecke(Punkt p, Punkt a, Punkt b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double laenge2 = dx * dx + dy * dy;
  const double t = laenge2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / laenge2, 0.0, 1.0) : 0.0;
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double AbstandZumRand(const Form& form, Punkt p) {
  double abstand = std::numeric_limits<double>::max();
  for (const Umriss& umriss : form)
    for (size_t i = 0; i < umriss.size(); ++i)
      abstand = std::min(abstand, AbstandZurStrecke(p, umriss[i], umriss[(i + 1) % umriss.size()]));
  return abstand;
}

uint8_t Byte(float wert) { return uint8_t(std::lround(std::clamp(wert, 0.0f, 1.0f) * 255)); }

}  // namespace

Farbe AusRgb(uint32_t rgb, float a) {
  return {float(rgb >> 16 & 0xFF) / 255, float(rgb >> 8 & 0xFF) / 255, float(rgb & 0xFF) / 255, a};
}

Leinwand::Leinwand(int breite_, int hoehe_)
    : breite(breite_), hoehe(hoehe_), pixel(size_t(breite_) * size_t(hoehe_)), transparentFarbe(pixel.size(), 0) {}

Farbe Leinwand::Probe(const Form& form, const Stil& stil, Punkt p) const {
  if (Umlaufzahl(form, p) == 0) return {0, 0, 0, 0};
  return AbstandZumRand(form, p) <= stil.randBreite ? stil.rand : stil.fuellung(p);
}

void Leinwand::Zeichne(const Form& form, const Stil& stil, const Rechteck& bereich) {
  for (int y = bereich.y; y < bereich.y + bereich.hoehe; ++y)
    for (int x = bereich.x; x < bereich.x + bereich.breite; ++x) {
      Pixel neu;
      for (int j = 0; j < PROBEN; ++j)
        for (int i = 0; i < PROBEN; ++i) {
          const Farbe f = Probe(form, stil, {x - bereich.x + (i + 0.5) / PROBEN, y - bereich.y + (j + 0.5) / PROBEN});
          neu.r += f.r * f.a;
          neu.g += f.g * f.a;
          neu.b += f.b * f.a;
          neu.a += f.a;
        }
      constexpr float ANTEIL = 1.0f / (PROBEN * PROBEN);
      Pixel& alt = An(x, y);
      const float rest = 1 - neu.a * ANTEIL;
      alt = {neu.r * ANTEIL + alt.r * rest, neu.g * ANTEIL + alt.g * rest, neu.b * ANTEIL + alt.b * rest,
             neu.a * ANTEIL + alt.a * rest};
    }
}

void Leinwand::KopiereGespiegelt(const Rechteck& quelle, const Rechteck& ziel) {
  for (int y = 0; y < quelle.hoehe; ++y)
    for (int x = 0; x < quelle.breite; ++x) {
      An(ziel.x + ziel.breite - 1 - x, ziel.y + y) = An(quelle.x + x, quelle.y + y);
      transparentFarbe[size_t(ziel.y + y) * size_t(breite) + size_t(ziel.x + ziel.breite - 1 - x)] =
          transparentFarbe[size_t(quelle.y + y) * size_t(breite) + size_t(quelle.x + x)];
    }
}

void Leinwand::FaerbeTransparentes(const Rechteck& bereich, uint32_t rgb) {
  for (int y = bereich.y; y < bereich.y + bereich.hoehe; ++y)
    for (int x = bereich.x; x < bereich.x + bereich.breite; ++x) transparentFarbe[size_t(y) * size_t(breite) + size_t(x)] = rgb;
}

std::vector<uint8_t> Leinwand::Rgba() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixel.size() * 4);
  for (int y = 0; y < hoehe; ++y)
    for (int x = 0; x < breite; ++x) {
      const Pixel& p = An(x, y);
      const uint8_t alpha = Byte(p.a);
      if (alpha == 0) {
        const Farbe f = AusRgb(transparentFarbe[size_t(y) * size_t(breite) + size_t(x)]);
        bytes.insert(bytes.end(), {Byte(f.r), Byte(f.g), Byte(f.b), 0});
        continue;
      }
      bytes.insert(bytes.end(), {Byte(p.r / p.a), Byte(p.g / p.a), Byte(p.b / p.a), alpha});
    }
  return bytes;
}

}  // namespace grafikbau
