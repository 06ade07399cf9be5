// The scene's rebuild, mechanisms and items over a small map with up to 64 objects of raw floats,
// driven by a script (SzenenSkript.h): presses and releases, switch presses, lever and gate plans,
// items with raw velocities, rebuilds, cell edits and frames of up to 0.1 s, on a scene whose
// generator stays idle. After every frame: gate and lever states in [0, 1], and no item that the
// script set moving rests outside the grid. ASan and UBSan watch the rest.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "EingabeLeser.h"
#include "FuzzLog.h"
#include "Raster.h"
#include "SzenenSkript.h"
#include "Szene.h"
#include "Zarvo_SpriteStapel.h"
#include "Zarvo_Timer.h"
#include "einheit/NullBildschirm.h"

using namespace szenenskript;
using Spiel::Szene;

namespace {

NullBildschirm* bildschirm = nullptr;
// Holds the sprite batches' shared shaders and buffers, so that each scene's generator does not
// build them again.
Zarvo_SpriteStapel* stapel = nullptr;
const BVektor3<float> FERN{1e5f, 1e5f, 1e5f};

using Leser = EingabeLeser;

void LiesKarte(Leser& leser, Karte& karte) {
  const uint32_t x = 1 + leser.Byte() % MAX_KANTE, y = 1 + leser.Byte() % MAX_KANTE, z = 1 + leser.Byte() % MAX_KANTE;
  karte.SetzeGroesse(x, y, z);
  for (uint32_t cy = 0; cy < y; ++cy)
    for (uint32_t cz = 0; cz < z; ++cz)
      for (uint32_t cx = 0; cx < x; ++cx) karte.ZelleBei(cx, cy, cz).typ = leser.Byte() % ZELLTYPEN;
  karte.BaueBlockGeometrie();
  karte.objekte.resize(leser.Byte() % (MAX_OBJEKTE + 1));
  for (Karte::Objekt& o : karte.objekte) {
    o.typ = leser.Byte() % OBJEKTTYPEN;
    o.x = leser.Float();
    o.y = leser.Float();
    o.z = leser.Float();
    for (auto& vektor : o.args)
      for (float& w : vektor) w = leser.Float();
  }
}

class Lauf {
 public:
  Lauf(Szene& s, Zarvo_Timer& u) : szene(s), uhr(u) {}

  void Schritt(Leser& leser) {
    switch (leser.Byte() % OP_ANZAHL) {
      case AN: Druecke(leser, true); break;
      case AUS: Druecke(leser, false); break;
      case SCHALTER: szene.DrueckeSchalter(int8_t(leser.Byte())); break;
      case HEBEL: PlaneHebel(leser); break;
      case GITTER: PlaneGitter(leser); break;
      case WURF: Wirf(leser); break;
      case NEUBAU: Neubau(leser); break;
      case BILD: Bild(leser.Byte()); break;
      case NIMM: Nimm(leser); break;
      case ZELLE: AendereZelle(leser); break;
      case ABBRUCH: BrichAb(leser); break;
    }
  }
  void Bild(uint8_t anteil) {
    uhr.Fortschreiten(int64_t(double(anteil) / 255.0 * BILD_SEKUNDEN * 1e9));
    szene.Aktualisiere(FERN);
    Pruefe();
  }

 private:
  void Druecke(Leser& leser, bool an) {
    const uint8_t wahl = leser.Byte();
    uint32_t x = leser.Byte(), y = leser.Byte(), z = leser.Byte();
    const auto& ausloeser = szene.GibAusloeser();
    if ((wahl & 0x80) && !ausloeser.empty()) {
      const Szene::Ausloeser& a = ausloeser[(wahl & 0x7F) % ausloeser.size()];
      x = a.x, y = a.y, z = a.z;
    }
    if (an)
      szene.AusloeserAn(x, y, z);
    else
      szene.AusloeserAus(x, y, z);
  }
  void PlaneHebel(Leser& leser) {
    const uint32_t index = leser.Byte();
    const float ziel = float(leser.Byte() & 1);
    const float tempo = GESCHWINDIGKEITEN[leser.Byte() % 4];
    const uint64_t besitzer = Szene::HebelBesitzer(index);
    szene.BrichAnimationenAb(besitzer);
    szene.PlaneAnimation(besitzer, Szene::Animation::HebelZiel{index, ziel, tempo});
  }
  void PlaneGitter(Leser& leser) {
    const uint32_t x = leser.Byte(), y = leser.Byte(), z = leser.Byte();
    const float ziel = float(leser.Byte() & 1);
    szene.PlaneAnimation(1, Szene::Animation::GitterZiel{x, y, z, ziel, GESCHWINDIGKEITEN[leser.Byte() % 4]});
  }
  void Wirf(Leser& leser) {
    const Karte& k = szene.karte;
    const uint32_t def = leser.Byte();
    const BVektor3<float> ort{leser.Byte() / 256.0f * float(k.X), leser.Byte() / 256.0f * float(k.Y), leser.Byte() / 256.0f * float(k.Z)};
    const BVektor3<float> v{leser.Float(), leser.Float(), leser.Float()};
    const bool bewegt = leser.Byte() & 1;
    const uint64_t slot = szene.ErzeugeInstanz(def, ort, v, bewegt);
    if (geworfen.size() <= slot) geworfen.resize(slot + 1, false);
    geworfen[slot] = bewegt;
  }
  void Neubau(Leser& leser) {
    if (leser.Byte() & 1) szene.AktualisiereAlleBlockPatches();
    szene.BaueAusObjekten();
    geworfen.assign(geworfen.size(), false);
  }
  void Nimm(Leser& leser) {
    const uint64_t slot = leser.Byte() % 80;
    const bool loslassen = leser.Byte() & 0x80;
    const auto& pool = szene.GibGegenstaende();
    if (loslassen && pool.IstLebend(slot) && !pool[slot].bewegt) {
      const BVektor3<float>& p = pool[slot].position;
      szene.AusloeserAus(uint32_t(Spiel::Raster::AbschneidenInt32(p.x)), uint32_t(Spiel::Raster::AbschneidenInt32(p.y)),
                         uint32_t(Spiel::Raster::AbschneidenInt32(p.z)));
    }
    szene.EntferneGegenstand(slot);
    if (slot < geworfen.size()) geworfen[slot] = false;
  }
  void AendereZelle(Leser& leser) {
    Karte& k = szene.karte;
    const int32_t x = leser.Byte() % k.X, y = leser.Byte() % k.Y, z = leser.Byte() % k.Z;
    k.ZelleBei(x, y, z).typ = leser.Byte() % ZELLTYPEN;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dz = -1; dz <= 1; ++dz)
        for (int dx = -1; dx <= 1; ++dx)
          if (k.Enthaelt(x + dx, y + dy, z + dz)) k.BerechneFlaechen(x + dx, y + dy, z + dz);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dz = -1; dz <= 1; ++dz)
        for (int dx = -1; dx <= 1; ++dx) szene.AktualisiereBlockPatches(x + dx, y + dy, z + dz);
  }
  void BrichAb(Leser& leser) {
    const uint8_t art = leser.Byte() % 3, wert = leser.Byte();
    const uint64_t besitzer = art == 0   ? Szene::PlattenBesitzer(wert & 7, wert >> 3 & 7, wert >> 6)
                              : art == 1 ? Szene::HebelBesitzer(wert)
                                         : Szene::KnopfBesitzer(wert);
    szene.BrichAnimationenAb(besitzer);
  }

  void Pruefe() {
    for (const Szene::Gitter& g : szene.GibGitter())
      if (!(g.zustand >= 0.0f && g.zustand <= 1.0f)) std::abort();
    for (const Szene::Hebel& h : szene.GibHebel())
      if (!(h.zustand >= 0.0f && h.zustand <= 1.0f)) std::abort();
    const Karte& k = szene.karte;
    szene.GibGegenstaende().FuerLebende([&](uint64_t slot, const Szene::Gegenstand& g) {
      if (g.bewegt || slot >= geworfen.size() || !geworfen[slot]) return;
      const BVektor3<float>& p = g.position;
      if (!k.Enthaelt(Spiel::Raster::AbschneidenInt32(std::floor(p.x)), Spiel::Raster::AbschneidenInt32(std::floor(p.y)),
                      Spiel::Raster::AbschneidenInt32(std::floor(p.z))))
        std::abort();
    });
  }

  Szene& szene;
  Zarvo_Timer& uhr;
  std::vector<bool> geworfen;  // items the script set moving, by slot
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  bildschirm = new NullBildschirm();
  if (!bildschirm->Offen()) std::abort();
  stapel = new Zarvo_SpriteStapel(1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  d3d9::null::AktuelleWelt()->Leere();  // the recording device's calls of the last input
  Leser leser(daten, groesse);
  Zarvo_Timer uhr;
  Szene szene(uhr, nullptr, nullptr);
  LiesKarte(leser, szene.karte);
  szene.AktualisiereAlleBlockPatches();
  szene.BaueAusObjekten();
  Lauf lauf(szene, uhr);
  while (!leser.Ende()) lauf.Schritt(leser);
  lauf.Bild(255);
  Szene::SetzeKombinationZurueck();
  return 0;
}
