#include "Kamera.h"

#include <cmath>

#include "InputSystem.h"
#include "Zarvo_Screen3D.h"

namespace Spiel::Kamera {

namespace {

constexpr float TAN_HALBES_SICHTFELD = 0.93159646f;  // tan 0.75
constexpr float SICHTFELD_BREITE = 1.8631929f;       // 2 tan 0.75
constexpr float KEHRWERT_TAN = 1.0734261f;           // 1 / tan 0.75
constexpr float NAHE_EBENE = 0.1f;
constexpr float HALBES_PI = 1.57079633f;
constexpr float KAMERA_ABSTAND = 0.6f;  // behind the eye
constexpr float VORNEIGUNG = 0.6f;      // units forward per radian of pitch

bool IstGueltig(const Schirm& schirm) { return schirm.breite > 0 && schirm.hoehe > 0; }

BVektor3<float> Zeile(const BMatrix& m, size_t i) { return {m(i, 0), m(i, 1), m(i, 2)}; }

}  // namespace

Maus LiesMaus() {
  const OPRIX::Mouse* maus = OPRIX::gInputSystem ? OPRIX::gInputSystem->PrimaryMouse() : nullptr;
  if (!maus) return {};
  return {maus->AbsoluteX(), maus->AbsoluteY(), maus->ButtonWentDown(0)};
}

Schirm LiesSchirm() {
  const Zarvo_BildschirmZustand& zustand = Zarvo_Screen3D::Zustand();
  return {float(zustand.breite), float(zustand.hoehe)};
}

BVektor3<float> StrahlDurchMaus(const BMatrix& ansicht, float mx, float my, const Schirm& schirm) {
  float sx = 0, sy = 0;  // a screen without size looks straight ahead
  if (IstGueltig(schirm)) {
    sx = (mx / schirm.breite) * SICHTFELD_BREITE - TAN_HALBES_SICHTFELD;
    sy = (TAN_HALBES_SICHTFELD - (my / schirm.hoehe) * SICHTFELD_BREITE) * (schirm.hoehe / schirm.breite);
  }
  const BVektor3<float> d = Zeile(ansicht, 0) * sx + Zeile(ansicht, 1) * sy + Zeile(ansicht, 2);
  const float laenge = std::sqrt(d.Punkt(d));
  if (!(laenge > 0)) return d;
  return d * (1.0f / laenge);
}

BVektor3<float> StrahlDurchMaus(const BMatrix& ansicht) {
  const Maus maus = LiesMaus();
  return StrahlDurchMaus(ansicht, maus.x, maus.y, LiesSchirm());
}

bool ProjiziereAufBildschirm(const BVektor3<float>& punkt, const BMatrix& ansicht, const Schirm& schirm, float& x,
                             float& y, float* tiefe) {
  const BVektor3<float> v = ansicht.TransformiereRichtung(punkt) + ansicht.Translation();
  if (!(v.z >= NAHE_EBENE) || !IstGueltig(schirm)) return false;
  const float seitenverhaeltnis = schirm.hoehe / schirm.breite;
  x = (KEHRWERT_TAN * v.x / v.z + 1.0f) * 0.5f * schirm.breite;
  y = (0.5f - 0.5f * (KEHRWERT_TAN / seitenverhaeltnis) * v.y / v.z) * schirm.hoehe;
  if (tiefe) *tiefe = v.z;
  return true;
}

bool ProjiziereAufBildschirm(const BVektor3<float>& punkt, const BMatrix& ansicht, float& x, float& y) {
  return ProjiziereAufBildschirm(punkt, ansicht, LiesSchirm(), x, y);
}

BMatrix Ansicht(const BVektor3<float>& auge, const BVektor3<float>& vorne, float gieren, float neigung) {
  const BMatrix t = BMatrix::Verschiebung((auge + vorne * (VORNEIGUNG * std::fabs(neigung))) * -1.0f);
  const float a = HALBES_PI - gieren;
  const float ca = std::cos(a), sa = std::sin(a);
  const BMatrix ry = BMatrix::AusZeilen({ca, 0, -sa, 0, 0, 1, 0, 0, sa, 0, ca, 0, 0, 0, 0, 1});
  const BMatrix s = BMatrix::AusZeilen({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, KAMERA_ABSTAND, 0, 0, 0, 1});
  const float cp = std::cos(neigung), sp = std::sin(neigung);
  const BMatrix rx = BMatrix::AusZeilen({1, 0, 0, 0, 0, cp, sp, 0, 0, -sp, cp, 0, 0, 0, 0, 1});
  return rx * s * ry * t;
}

BVektor3<float> Position(const BMatrix& ansicht) { return ansicht.Inverse().Translation(); }

}  // namespace Spiel::Kamera
