// The line batch on the recording device: 50,000 lines collected with AddLinie and drawn with
// Zeichne (49 instanced draws, the records written into the instance buffer). Baseline: one plain
// copy of the same 2.2 MB of line records.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "Plattform/d3d9/null/NullGeraet.h"
#include "Zarvo_LinienStapel.h"
#include "einheit/NullBildschirm.h"

using namespace d3d9;

namespace {

constexpr int LINIEN = 50'000;
constexpr float EINHEIT[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct Aufbau {
  Aufbau() { Zarvo_LinienStapel::SetzeGlobal(&stapel); }
  ~Aufbau() { Zarvo_LinienStapel::SetzeGlobal(nullptr); }
  NullBildschirm bildschirm{1600, 900};
  Zarvo_LinienStapel stapel;
};

std::vector<Zarvo_Linie> Linien() {
  std::vector<Zarvo_Linie> linien(LINIEN);
  for (int i = 0; i < LINIEN; ++i) {
    const float f = float(i);
    linien[size_t(i)] = {{f, 0.5f * f, 1}, {f + 1, 2, 3 + f}, {1, 0.5f, 0.25f, 1}, float(i % 5)};
  }
  return linien;
}

void LinienStapel(benchmark::State& state) {
  Aufbau a;
  null::Welt* welt = null::AktuelleWelt();
  const std::vector<Zarvo_Linie> quelle = Linien();
  for (auto _ : state) {
    for (const Zarvo_Linie& l : quelle) Zarvo_LinienStapel::AddLinie(l.ipos0, l.ipos1, l.ifarbe, l.idicke);
    Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
    welt->Leere();  // the device's call record, ~250 entries a frame
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * LINIEN * int64_t(sizeof(Zarvo_Linie)));
}
BENCHMARK(LinienStapel)->Unit(benchmark::kMicrosecond);

void KopieBasis(benchmark::State& state) {
  const std::vector<Zarvo_Linie> quelle = Linien();
  std::vector<Zarvo_Linie> ziel(LINIEN);
  for (auto _ : state) {
    std::memcpy(ziel.data(), quelle.data(), quelle.size() * sizeof(Zarvo_Linie));
    benchmark::DoNotOptimize(ziel.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * LINIEN * int64_t(sizeof(Zarvo_Linie)));
}
BENCHMARK(KopieBasis)->Unit(benchmark::kMicrosecond);

}  // namespace
