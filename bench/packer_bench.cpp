// The rectangle packer against stb_rect_pack and against its model (the packer as first written,
// tests/PlatzModell.h) on one seeded sequence of 4 to 24 px rectangles.
//
// Fill: a fresh area of 1024² or 4096² takes rectangles from the sequence, one call each, until
// the target count is placed or the first refusal; counters give the inserts per second, the
// placed count, the fill ratio (placed pixels / area) and the packer's free-list length.
// Churn: a packer holding 1000 rectangles releases a random one and places the next of the
// sequence, 1000 times per iteration (stb_rect_pack cannot release, so it has no churn case).
#include <benchmark/benchmark.h>
#include <stb_rect_pack.h>

#include <cstdint>
#include <random>
#include <vector>

#include "PlatzModell.h"
#include "TPlatz.h"

namespace {

constexpr uint32_t KLEINSTE_KANTE = 4;
constexpr uint32_t GROESSTE_KANTE = 24;
constexpr size_t FOLGEN_LAENGE = 20000;
constexpr int CHURN_BESTAND = 1000;
constexpr int CHURN_SCHRITTE = 1000;

struct Groesse {
  uint32_t w;
  uint32_t h;
};

// The same sequence in every run and on every standard library (no std distribution).
const std::vector<Groesse>& Folge() {
  static const std::vector<Groesse> folge = [] {
    std::mt19937 zufall(20240611);
    std::vector<Groesse> f(FOLGEN_LAENGE);
    const uint32_t spanne = GROESSTE_KANTE - KLEINSTE_KANTE + 1;
    for (Groesse& g : f) {
      g.w = KLEINSTE_KANTE + zufall() % spanne;
      g.h = KLEINSTE_KANTE + zufall() % spanne;
    }
    return f;
  }();
  return folge;
}

struct Fuellstand {
  int64_t platziert = 0;
  uint64_t pixel = 0;
};

template <class Packer>
Fuellstand FuellePlatz(Packer& platz, int64_t ziel) {
  Fuellstand stand;
  const std::vector<Groesse>& folge = Folge();
  uint64_t x = 0;
  uint64_t y = 0;
  for (size_t i = 0; stand.platziert < ziel && i < folge.size(); ++i) {
    if (!platz.HolePlatz(folge[i].w, folge[i].h, x, y)) break;
    ++stand.platziert;
    stand.pixel += uint64_t(folge[i].w) * folge[i].h;
  }
  return stand;
}

Fuellstand FuelleStb(stbrp_context& kontext, int64_t ziel) {
  Fuellstand stand;
  const std::vector<Groesse>& folge = Folge();
  for (size_t i = 0; stand.platziert < ziel && i < folge.size(); ++i) {
    stbrp_rect r{int(i), int(folge[i].w), int(folge[i].h), 0, 0, 0};
    if (!stbrp_pack_rects(&kontext, &r, 1) || !r.was_packed) break;
    ++stand.platziert;
    stand.pixel += uint64_t(folge[i].w) * folge[i].h;
  }
  return stand;
}

void MeldeFuellung(benchmark::State& state, const Fuellstand& stand, uint64_t kante) {
  state.counters["Einfuegen/s"] =
      benchmark::Counter(double(stand.platziert) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["platziert"] = double(stand.platziert);
  state.counters["Fuellgrad"] = double(stand.pixel) / double(kante * kante);
}

// Arguments: area edge, target count.
void BM_PlatzFuellen(benchmark::State& state) {
  const uint64_t kante = uint64_t(state.range(0));
  Fuellstand stand;
  size_t freieRechtecke = 0;
  for (auto _ : state) {
    TPlatz platz(kante, kante);
    stand = FuellePlatz(platz, state.range(1));
    freieRechtecke = platz.Frei().size();
    benchmark::DoNotOptimize(platz.Belegt().data());
  }
  MeldeFuellung(state, stand, kante);
  state.counters["Freiliste"] = double(freieRechtecke);
}

// The model: every candidate against every placed rectangle (10,000 into 4096² takes minutes).
void BM_ModellFuellen(benchmark::State& state) {
  const uint64_t kante = uint64_t(state.range(0));
  Fuellstand stand;
  size_t freieRechtecke = 0;
  for (auto _ : state) {
    PlatzModell modell{kante, kante, {}, {}};
    stand = FuellePlatz(modell, state.range(1));
    freieRechtecke = modell.frei.size();
    benchmark::DoNotOptimize(modell.belegt.data());
  }
  MeldeFuellung(state, stand, kante);
  state.counters["Freiliste"] = double(freieRechtecke);
}

void BM_StbFuellen(benchmark::State& state) {
  const int kante = int(state.range(0));
  std::vector<stbrp_node> knoten(static_cast<size_t>(kante));
  Fuellstand stand;
  for (auto _ : state) {
    stbrp_context kontext;
    stbrp_init_target(&kontext, kante, kante, knoten.data(), kante);
    stand = FuelleStb(kontext, state.range(1));
    benchmark::DoNotOptimize(kontext.active_head);
  }
  MeldeFuellung(state, stand, uint64_t(kante));
}

void FuellArgumente(benchmark::internal::Benchmark* b) {
  for (int64_t kante : {1024, 4096})
    for (int64_t ziel : {100, 1000, 10000}) b->Args({kante, ziel});
  b->Unit(benchmark::kMillisecond);
}

// One step: release a random placed rectangle, place the next of the sequence.
struct Churn {
  TPlatz platz;
  std::mt19937 zufall{7};
  size_t naechste = 0;
  int64_t abgelehnt = 0;

  void Schritt() {
    const std::vector<TRechteck>& belegt = platz.Belegt();
    if (!belegt.empty()) {
      const TRechteck r = belegt[zufall() % belegt.size()];
      platz.GibPlatzFrei(r.x, r.y);
    }
    const Groesse& g = Folge()[naechste++ % Folge().size()];
    uint64_t x = 0;
    uint64_t y = 0;
    if (!platz.HolePlatz(g.w, g.h, x, y)) ++abgelehnt;
  }
};

// Argument: area edge.
void BM_PlatzChurn(benchmark::State& state) {
  const uint64_t kante = uint64_t(state.range(0));
  TPlatz bestand(kante, kante);
  if (FuellePlatz(bestand, CHURN_BESTAND).platziert != CHURN_BESTAND) {
    state.SkipWithError("area too small for the stock");
    return;
  }
  Churn churn;
  for (auto _ : state) {
    state.PauseTiming();
    churn = Churn{bestand};
    churn.naechste = CHURN_BESTAND;
    state.ResumeTiming();
    for (int i = 0; i < CHURN_SCHRITTE; ++i) churn.Schritt();
    benchmark::DoNotOptimize(churn.platz.Frei().data());
  }
  state.counters["Schritte/s"] =
      benchmark::Counter(double(CHURN_SCHRITTE) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["Freiliste_vorher"] = double(bestand.Frei().size());
  state.counters["Freiliste_nachher"] = double(churn.platz.Frei().size());
  state.counters["platziert"] = double(churn.platz.Belegt().size());
  state.counters["abgelehnt"] = double(churn.abgelehnt);
}

}  // namespace

BENCHMARK(BM_PlatzFuellen)->Apply(FuellArgumente);
BENCHMARK(BM_ModellFuellen)->Apply(FuellArgumente);
BENCHMARK(BM_StbFuellen)->Apply(FuellArgumente);
BENCHMARK(BM_PlatzChurn)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
