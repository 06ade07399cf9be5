#include "WeltRendererMathe.h"

#include <algorithm>
#include <cmath>

namespace Spiel::WeltRendererMathe {

namespace {

// A rotation of 0.68 radians about the y axis.
BMatrix Ry() {
  return BMatrix::AusZeilen({0.7775727f, 0, 0.628793f, 0,  //
                             0, 1, 0, 0,                   //
                             -0.628793f, 0, 0.7775727f, 0,  //
                             0, 0, 0, 1});
}

// A rotation of 0.19 pi radians about the x axis.
BMatrix Rx() {
  return BMatrix::AusZeilen({1, 0, 0, 0,                    //
                             0, 0.8270805f, 0.5620834f, 0,   //
                             0, -0.5620834f, 0.8270805f, 0,  //
                             0, 0, 0, 1});
}

// A quarter turn about x: image x = world x, image y = world z, depth grows downward.
BMatrix Rx90() {
  return BMatrix::AusZeilen({1, 0, 0, 0,              //
                             0, -4.371139e-8f, 1, 0,  //
                             0, -1, -4.371139e-8f, 0,  //
                             0, 0, 0, 1});
}

BMatrix Diagonale(float a, float b, float c, float d) {
  return BMatrix::AusZeilen({a, 0, 0, 0, 0, b, 0, 0, 0, 0, c, 0, 0, 0, 0, d});
}

float RasteAchtel(float v) { return std::floor(v * 8.0f + 0.5f) * 0.125f; }

}  // namespace

float RasteAchtzigstel(float v) { return std::floor(v * 80.0f + 0.5f) * 0.0125f; }

Kamera KameraAus(const BMatrix& sicht) {
  const BMatrix w = sicht.Inverse();
  return {w.Translation(), {w(0, 2), w(1, 2), w(2, 2)}};
}

BMatrix LichtAnsicht(const BVektor3<float>& s) {
  return BMatrix::Verschiebung({0, 0, 50}) * Rx() * Ry() * BMatrix::Verschiebung(s * -1.0f);
}

BMatrix LichtSkalierung() { return Diagonale(0.025f, 0.025f, 0.01f, 1.0f); }

Licht BerechneLicht(const BMatrix& sicht) {
  const Kamera k = KameraAus(sicht);
  BMatrix l = LichtAnsicht(k.position + k.blick * SCHATTEN_ABSTAND);
  l(0, 3) = RasteAchtzigstel(l(0, 3));
  l(1, 3) = RasteAchtzigstel(l(1, 3));
  return {LichtSkalierung() * l, {l(2, 0), l(2, 1), l(2, 2)}};
}

Umgebung BerechneUmgebung(const BMatrix& sicht) {
  const Kamera k = KameraAus(sicht);
  const BVektor3<float> voraus = k.position + k.blick * UMGEBUNG_ABSTAND;
  const BVektor3<float> c{RasteAchtel(voraus.x), RasteAchtel(voraus.y), RasteAchtel(voraus.z)};
  Umgebung u{{c.x, c.y, c.z, 0.015625f}, {}, {}};
  u.sicht = BMatrix::Verschiebung({0, 0, 32}) * Rx90() * BMatrix::Verschiebung({-(c.x + 0.0625f), -c.y, -(c.z - 0.0625f)});
  u.projektion = Diagonale(0.03125f, 0.03125f, 0.015625f, 1.0f);
  return u;
}

Groesse TiefenpufferGroesse(uint64_t breite, uint64_t hoehe) {
  return {std::max<uint64_t>(breite, SCHATTEN_KANTE), std::max<uint64_t>(hoehe, SCHATTEN_KANTE)};
}

BMatrix SpielProjektion(uint64_t breite, uint64_t hoehe) {
  const float seitenverhaeltnis = hoehe == 0 ? 1.0f : float(breite) / float(hoehe);
  return BMatrix::AusZeilen({1.0734261f, 0, 0, 0,                       //
                             0, 1.0734261f * seitenverhaeltnis, 0, 0,  //
                             0, 0, 1.001001f, -0.1001001f,             //
                             0, 0, 1, 0});
}

LichtRegister LichtArray(std::span<const Szene::Licht> lichter, const float (&mitte)[3], const float (&halbeGroesse)[3]) {
  LichtRegister r{};
  uint32_t genommen = 0;
  for (const Szene::Licht& licht : lichter) {
    if (genommen == LICHTER_JE_INSTANZ) break;
    const float basis[3] = {licht.basis.x, licht.basis.y, licht.basis.z};
    float abstand = 0;
    for (int i = 0; i < 3; ++i) {
      const float d = std::max(std::fabs(basis[i] - mitte[i]) - halbeGroesse[i], 0.0f);
      abstand += d * d;
    }
    const float l = licht.reichweite[0];
    if (!(abstand < l * l)) continue;
    float* e = &r[12 * genommen++];
    const float werte[12] = {licht.position.x, licht.position.y, licht.position.z, 0,
                             licht.helligkeit * licht.farbe[0], licht.helligkeit * licht.farbe[1],
                             licht.helligkeit * licht.farbe[2], 0,
                             l, licht.reichweite[1], licht.reichweite[2], licht.reichweite[3]};
    std::copy(werte, werte + 12, e);
  }
  return r;
}

}  // namespace Spiel::WeltRendererMathe
