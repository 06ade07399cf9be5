#include "Szene.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "Modell.h"

namespace Spiel {

const Szene::GegenstandDef Szene::Gegenstaende[ANZAHL_GEGENSTAENDE] = {{"Stein", 0.1f}};

uint64_t Szene::InstanzPool::Reserviere() {
  for (;;) {
    for (uint64_t w = ersterFreier / 64; w < lebend.size(); ++w)
      if (lebend[w] != ~uint64_t(0)) return w * 64 + uint64_t(std::countr_one(lebend[w]));
    Wachse();
  }
}

void Szene::InstanzPool::Wachse() {
  const uint64_t neu = (std::max<uint64_t>(2 * kapazitaet, 64) + 63) / 64 * 64;
  instanzen.resize(neu);
  lebend.resize(neu / 64, 0);
  kapazitaet = neu;
}

void Szene::InstanzPool::SetzeLebend(uint64_t id) {
  if (id >= kapazitaet) return;
  lebend[id / 64] |= uint64_t(1) << (id % 64);
  ++ersterFreier;
}

bool Szene::InstanzPool::IstLebend(uint64_t id) const { return id < kapazitaet && (lebend[id / 64] >> (id % 64) & 1); }

bool Szene::InstanzPool::GibFrei(uint64_t id) {
  if (!IstLebend(id)) return false;
  lebend[id / 64] &= ~(uint64_t(1) << (id % 64));
  ersterFreier = std::min(ersterFreier, id);
  return true;
}

void Szene::InstanzPool::BerechneGrenzen(Instanz& instanz) {
  const float* m = instanz.matrix;
  const float leer[3] = {};
  const float* mitte = instanz.modell ? instanz.modell->mitte : leer;
  const float* halb = instanz.modell ? instanz.modell->halbeAusdehnung : leer;
  for (int i = 0; i < 3; ++i) {
    const float* zeile = m + 4 * i;
    instanz.mitte[i] = zeile[0] * mitte[0] + zeile[1] * mitte[1] + zeile[2] * mitte[2] + zeile[3];
    instanz.halbeGroesse[i] = std::fabs(zeile[0]) * halb[0] + std::fabs(zeile[1]) * halb[1] + std::fabs(zeile[2]) * halb[2];
  }
}

}  // namespace Spiel
