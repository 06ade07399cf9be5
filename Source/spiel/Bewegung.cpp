#include "Bewegung.h"

namespace Spiel::Bewegung {

namespace {

bool IstVoll(uint32_t typ) { return typ == Karte::Fels || typ == Karte::Mauer; }
bool IstBlockOderTreppe(uint32_t typ) { return typ >= 1 && typ <= Karte::MauerTreppe2H; }
bool IstNiedrigeStufe(uint32_t typ) {
  const uint32_t form = Karte::Form(typ);
  return form >= 2 && form <= 5;
}
bool IstHoheStufe(uint32_t typ) {
  const uint32_t form = Karte::Form(typ);
  return form >= 6 && form <= 9;
}
bool IstFrei(uint32_t typ) { return typ == 0 || typ > Karte::MauerTreppe2H; }

Zellposition Versetzt(const Zellposition& zelle, int32_t dy) { return {zelle.x, zelle.y + dy, zelle.z}; }

constexpr uint32_t ANZAHL_BLICKE = 4;
constexpr uint32_t START_BLICK = 1;
uint32_t Blick(uint32_t blick) { return blick < ANZAHL_BLICKE ? blick : START_BLICK; }

}  // namespace

uint32_t TypBei(const Karte& karte, const Zellposition& zelle) {
  if (!karte.Enthaelt(zelle.x, zelle.y, zelle.z)) return Karte::Fels;
  return karte.ZelleBei(uint32_t(zelle.x), uint32_t(zelle.y), uint32_t(zelle.z)).typ;
}

Schritt SchrittTest(const Karte& karte, const Zellposition& c, const Zellposition& d, const GitterZu& gitterZu) {
  const Zellposition t = c + d;
  if (!karte.Enthaelt(t.x, t.y, t.z)) return {};
  if (gitterZu && gitterZu(t)) return {};
  const uint32_t T = TypBei(karte, t);
  const uint32_t A = TypBei(karte, Versetzt(t, 1));
  const uint32_t B = TypBei(karte, Versetzt(c, 1));
  const uint32_t U = TypBei(karte, Versetzt(c, -1));
  const uint32_t eigen = TypBei(karte, c);
  if (IstVoll(T)) return {};
  if (IstNiedrigeStufe(T)) {
    if (IstBlockOderTreppe(A)) return {};
    if (!IstVoll(U) && !IstHoheStufe(U)) return {};
    return {true, t};
  }
  if (IstHoheStufe(T)) {
    if (IstBlockOderTreppe(B) || IstBlockOderTreppe(A)) return {};
    if (!IstNiedrigeStufe(eigen)) return {};
    return {true, Versetzt(t, 1)};
  }
  if (!IstHoheStufe(U)) return {true, t};
  const uint32_t D = TypBei(karte, Versetzt(t, -1));
  if (IstVoll(D) || IstHoheStufe(D)) return {true, t};
  return {true, Versetzt(t, -1)};
}

bool Faellt(const Karte& karte, const Zellposition& zelle) {
  if (zelle.y <= 0) return false;
  const uint32_t unten = TypBei(karte, Versetzt(zelle, -1));
  return IstFrei(unten) || IstNiedrigeStufe(unten);
}

BVektor3<float> AugenPosition(const Karte& karte, const Zellposition& zelle) {
  BVektor3<float> auge{2.0f * float(zelle.x) + 1.0f, 2.0f * float(zelle.y) + 1.5f, 2.0f * float(zelle.z) + 1.0f};
  if (IstNiedrigeStufe(TypBei(karte, zelle))) {
    auge.y = 2.0f * float(zelle.y) + 2.0f;
  } else if (zelle.y >= 1 && IstHoheStufe(TypBei(karte, Versetzt(zelle, -1)))) {
    auge.y = 2.0f * float(zelle.y) + 1.0f;
  }
  return auge;
}

float Kurs(uint32_t blick) {
  static constexpr float KURSE[ANZAHL_BLICKE] = {3.14159265f, 0.0f, 1.57079633f, -1.57079633f};
  return KURSE[Blick(blick)];
}

uint32_t LinksDrehung(uint32_t blick) {
  static constexpr uint32_t LINKS[ANZAHL_BLICKE] = {3, 2, 0, 1};
  return LINKS[Blick(blick)];
}

uint32_t RechtsDrehung(uint32_t blick) {
  static constexpr uint32_t RECHTS[ANZAHL_BLICKE] = {2, 3, 1, 0};
  return RECHTS[Blick(blick)];
}

}  // namespace Spiel::Bewegung
