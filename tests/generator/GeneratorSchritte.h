#pragma once
// Frame steps for the generator's tests: inside kern.MachSofort, as the frame step makes them.
#include <cstddef>

#include "Generator.h"
#include "Zarvo_Parallel.h"

namespace generatorschritte {

// Built entries with a job in flight (or, for kinds that build nothing, once started).
inline size_t MitAuftrag(const Spiel::Generator& g) {
  size_t n = 0;
  g.FuerAllePatches([&](uint32_t, const Spiel::Generator::Patch& p) { n += bool(p.auftrag); });
  return n;
}

// Waits for the jobs, takes over and schedules until a frame takes over nothing and starts
// nothing; false when that needs more than `grenze` frames. Not while jobs are held at a gate.
inline bool BisRuhe(Zarvo_Parallel& kern, Spiel::Generator& g, BVektor3<float> betrachter, int grenze = 64) {
  for (int i = 0; i < grenze; ++i) {
    bool ruhig = false;
    kern.MachSofort([&] {
      g.WarteAufOffene();
      g.UebernimmFertigePatches();
      const bool nichtsGenommen = g.LetzteUebernahme().datensaetze == 0;
      const size_t vorher = MitAuftrag(g);
      g.AktualisierePatches(betrachter);
      ruhig = nichtsGenommen && MitAuftrag(g) == vorher;
    });
    if (ruhig) return true;
  }
  return false;
}

}  // namespace generatorschritte
