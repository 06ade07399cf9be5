#include "Anordnung.h"

#include <algorithm>

#include "VaterBasis.h"

namespace Gui {

namespace {

struct Abstaende {
  float x;
  float y;
};

Abstaende LiesAbstaende(const VaterBasis& c) {
  const float s = c.Skalierung();
  return {c.StilWert("elmAbstand.x", 0.0f) * s, c.StilWert("elmAbstand.y", 0.0f) * s};
}

// The layouts work along one axis; a row along x, a column along y. Haupt reads the main axis,
// Quer the other one.
float Haupt(const BVektor3<float>& v, bool zeile) { return zeile ? v.x : v.y; }
float Quer(const BVektor3<float>& v, bool zeile) { return zeile ? v.y : v.x; }
BVektor3<float> Vektor(float haupt, float quer, float z, bool zeile) {
  return zeile ? BVektor3<float>{haupt, quer, z} : BVektor3<float>{quer, haupt, z};
}

void Ordne(const Anordnung& anordnung, VaterBasis& c, bool zeile) {
  const Abstaende abstand = LiesAbstaende(c);
  const float spalt = zeile ? abstand.x : abstand.y;
  const float querSpalt = zeile ? abstand.y : abstand.x;
  const float haupt = zeile ? anordnung.ausrichtungX : anordnung.ausrichtungY;
  const float quer = zeile ? anordnung.ausrichtungY : anordnung.ausrichtungX;
  const std::vector<Basis*>& kinder = c.Kinder();

  // Pass 1: the children's extent with the gaps (none before index 0, even when it is hidden).
  float summe = 0;
  float gewicht = 0;
  for (size_t i = 0; i < kinder.size(); ++i) {
    const Basis& kind = *kinder[i];
    if (!kind.IstSichtbar()) continue;
    summe += (i == 0 ? 0 : spalt) + Haupt(kind.LayoutGroesse(), zeile);
    if (kind.IstAutoGroesse()) gewicht += Haupt(kind.dehnung, zeile);
  }
  const float verfuegbar = Haupt(c.GespeicherteGroesse(), zeile) - 2 * spalt;
  const float querVerfuegbar = Quer(c.GespeicherteGroesse(), zeile) - 2 * querSpalt;
  const float frei = verfuegbar - summe;

  // Pass 2: auto-sized children take their share of the free space and fill across.
  for (size_t i = 0; i < kinder.size(); ++i) {
    Basis& kind = *kinder[i];
    if (!kind.IstSichtbar() || !kind.IstAutoGroesse()) continue;
    const BVektor3<float> g = kind.GetGroesse();
    const float extra = gewicht > 0 ? Haupt(kind.dehnung, zeile) / gewicht * frei : 0;
    const float fuellen = std::min(Quer(kind.dehnung, zeile), 1.0f);
    const float querGroesse = (querVerfuegbar - Quer(g, zeile)) * fuellen + Quer(g, zeile);
    kind.SetGroesse(Vektor(Haupt(g, zeile) + extra, querGroesse, g.z, zeile), true);
    summe += extra;
  }

  // Pass 3: positions along the axis, aligned across.
  float stelle = (verfuegbar - summe) * haupt + spalt;
  for (size_t i = 0; i < kinder.size(); ++i) {
    Basis& kind = *kinder[i];
    if (!kind.IstSichtbar()) continue;
    if (kind.IstAutoPosition()) {
      const float querStelle = (querVerfuegbar - Quer(kind.GespeicherteGroesse(), zeile)) * quer + querSpalt;
      kind.SetPosition(Vektor(stelle, querStelle, 0, zeile), true);
    }
    stelle += spalt + Haupt(kind.GespeicherteGroesse(), zeile);
  }
}

}  // namespace

BVektor3<float> BerechneLayoutGroesse(const Anordnung& anordnung, const VaterBasis& c) {
  if (anordnung.art != Anordnung::ZEILE && anordnung.art != Anordnung::SPALTE) return {0, 0, 0};
  const bool zeile = anordnung.art == Anordnung::ZEILE;
  const Abstaende abstand = LiesAbstaende(c);
  const float spalt = zeile ? abstand.x : abstand.y;
  const float querSpalt = zeile ? abstand.y : abstand.x;
  float summe = spalt;
  float groessteQuer = 0;
  for (const Basis* kind : c.Kinder()) {
    const BVektor3<float> g = kind->LayoutGroesse();
    summe += spalt + Haupt(g, zeile);
    groessteQuer = std::max(groessteQuer, Quer(g, zeile));
  }
  return Vektor(summe, 2 * querSpalt + groessteQuer, 0, zeile);
}

void OrdneZeile(const Anordnung& anordnung, VaterBasis& container) { Ordne(anordnung, container, true); }

void OrdneSpalte(const Anordnung& anordnung, VaterBasis& container) { Ordne(anordnung, container, false); }

}  // namespace Gui
