// What a load, an undo and an editor edit cost the scene, on the recording device with an idle
// generator (no parallel core), each case beside a baseline that runs the same loop but only
// computes the descriptors into a plain vector, so that the gap is the generator's share:
//  - Laden: AktualisiereAlleBlockPatches and BaueAusObjekten of the shipped level in a fresh scene;
//  - Neubau: the same two again on an unchanged, dense 64 x 16 x 32 map, where every visible face
//    asks the generator and finds its descriptor unchanged;
//  - Bearbeiten: one cell changes, its faces and its neighbours' are recomputed, and the block
//    patches of its 3 x 3 x 3 box are requested again (the cell alternates between two types);
//  - LadenDicht, once: the first full build of the dense map, the scene the two cases above share.
// "--klein": the dense map is 32 x 8 x 16 (the ctest smoke run).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Karte.h"
#include "Szene.h"
#include "SzenenDatei.h"
#include "Zarvo_Timer.h"
#include "einheit/NullBildschirm.h"

namespace {

using Spiel::Generator;
using Spiel::Szene;

struct Beschreibungen {
  std::vector<std::pair<uint32_t, Generator::FlaechenPatch>> flaechen;
  std::vector<Szene::ObjektAnforderung> objekte;
};

void FlaechenDerZelle(const Karte& karte, uint32_t x, uint32_t y, uint32_t z, Beschreibungen& b) {
  const Karte::Zelle& zelle = karte.ZelleBei(x, y, z);
  for (uint32_t f = 0; f < 6; ++f) {
    const uint32_t wert = zelle.flaechen[f];
    if (wert != 0 && wert < Karte::ANZAHL_BLOCKTYPEN)
      b.flaechen.emplace_back(Szene::FlaechenKey(f, x, y, z), Szene::Flaechenviereck(zelle.typ, f, wert, x, y, z));
  }
}

// The baseline of a full rebuild: every face and object descriptor, nothing requested.
void AlleBeschreibungen(const Karte& karte, Beschreibungen& b) {
  b.flaechen.clear();
  b.objekte.clear();
  for (uint32_t y = 0; y < karte.Y; ++y)
    for (uint32_t z = 0; z < karte.Z; ++z)
      for (uint32_t x = 0; x < karte.X; ++x) FlaechenDerZelle(karte, x, y, z, b);
  for (const Karte::Objekt& objekt : karte.objekte)
    if (auto patch = Szene::ObjektPatch(objekt)) b.objekte.push_back(std::move(*patch));
}

bool g_klein = false;

class Umgebung {
 public:
  Umgebung() {
    if (!bildschirm.Offen()) std::fprintf(stderr, "szene_aufbau_bench: kein Bildschirm\n");
    const auto ergebnis = Spiel::SzenenDatei::Lade(MORVELUNT_DATEN_ZIEL "/szene.dat", level);
    if (ergebnis != Spiel::SzenenDatei::Ergebnis::Geladen) std::fprintf(stderr, "szene_aufbau_bench: szene.dat fehlt\n");
    const uint32_t X = g_klein ? 32 : 64, Y = g_klein ? 8 : 16, Z = g_klein ? 16 : 32;
    dicht.SetzeGroesse(X, Y, Z);
    uint32_t zufall = 12345;
    for (uint32_t y = 0; y < Y; ++y)
      for (uint32_t z = 0; z < Z; ++z)
        for (uint32_t x = 0; x < X; ++x) {
          zufall = zufall * 1664525u + 1013904223u;
          dicht.ZelleBei(x, y, z).typ = (zufall >> 16) % 2 ? 1 + (zufall >> 8) % 18 : 0;
        }
    dicht.BaueBlockGeometrie();
    dicht.objekte = level.objekte;
  }
  static Umgebung& Gib() {
    static Umgebung umgebung;
    return umgebung;
  }

  // The dense map's scene, built once by the first case that needs it.
  Szene& DichteSzene() {
    if (!dichteSzene) {
      dichteSzene = std::make_unique<Szene>(uhr, nullptr, nullptr);
      dichteSzene->karte = dicht;
      dichteSzene->AktualisiereAlleBlockPatches();
      dichteSzene->BaueAusObjekten();
    }
    return *dichteSzene;
  }

  NullBildschirm bildschirm;
  Zarvo_Timer uhr;
  Karte level, dicht;
  std::unique_ptr<Szene> dichteSzene;
};

std::unique_ptr<Szene> NeueSzene(const Karte& karte) {
  Umgebung& u = Umgebung::Gib();
  auto szene = std::make_unique<Szene>(u.uhr, nullptr, nullptr);
  szene->karte = karte;
  return szene;
}

void ZaehleFlaechen(benchmark::State& state, const Karte& karte) {
  Beschreibungen b;
  AlleBeschreibungen(karte, b);
  state.counters["flaechen"] = double(b.flaechen.size());
  state.counters["objekte"] = double(b.objekte.size());
}

void BM_Laden(benchmark::State& state) {
  const Karte& level = Umgebung::Gib().level;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<Szene> szene = NeueSzene(level);
    state.ResumeTiming();
    szene->AktualisiereAlleBlockPatches();
    szene->BaueAusObjekten();
    state.PauseTiming();
    szene.reset();
    state.ResumeTiming();
  }
  ZaehleFlaechen(state, level);
}

// The baseline of both full rebuilds.
void Beschreibungsbasis(benchmark::State& state, const Karte& karte) {
  Beschreibungen b;
  for (auto _ : state) {
    AlleBeschreibungen(karte, b);
    benchmark::DoNotOptimize(b.flaechen.data());
  }
  ZaehleFlaechen(state, karte);
}

void BM_LadenBasis(benchmark::State& state) { Beschreibungsbasis(state, Umgebung::Gib().level); }

void BM_LadenDicht(benchmark::State& state) {
  Umgebung& u = Umgebung::Gib();
  for (auto _ : state) {
    u.dichteSzene.reset();
    u.DichteSzene();
  }
  ZaehleFlaechen(state, u.dicht);
}

void BM_Neubau(benchmark::State& state) {
  Szene& szene = Umgebung::Gib().DichteSzene();
  for (auto _ : state) {
    szene.AktualisiereAlleBlockPatches();
    szene.BaueAusObjekten();
  }
  ZaehleFlaechen(state, szene.karte);
}

void BM_NeubauBasis(benchmark::State& state) { Beschreibungsbasis(state, Umgebung::Gib().dicht); }

// The cell (20, 5, 10) of the dense map alternates between rock and a wall stair 1L.
constexpr uint32_t ZX = 20, ZY = 5, ZZ = 10;

// Calls f(x, y, z) for each cell of the box around the edited cell.
template <class F>
void FuerDieBox(F&& f) {
  for (uint32_t y = ZY - 1; y <= ZY + 1; ++y)
    for (uint32_t z = ZZ - 1; z <= ZZ + 1; ++z)
      for (uint32_t x = ZX - 1; x <= ZX + 1; ++x) f(x, y, z);
}

void AendereZelle(Karte& karte, bool stufe) {
  karte.ZelleBei(ZX, ZY, ZZ).typ = stufe ? Karte::MauerTreppe1L : Karte::Fels;
  FuerDieBox([&](uint32_t x, uint32_t y, uint32_t z) { karte.BerechneFlaechen(x, y, z); });
}

void Bearbeite(Szene& szene, bool stufe) {
  AendereZelle(szene.karte, stufe);
  FuerDieBox([&](uint32_t x, uint32_t y, uint32_t z) { szene.AktualisiereBlockPatches(int32_t(x), int32_t(y), int32_t(z)); });
}

// An even number of edits leaves the shared scene as it was.
void BM_Bearbeiten(benchmark::State& state) {
  Szene& szene = Umgebung::Gib().DichteSzene();
  bool stufe = false;
  for (auto _ : state) {
    stufe = !stufe;
    Bearbeite(szene, stufe);
  }
  if (stufe) Bearbeite(szene, false);
}

void BM_BearbeitenBasis(benchmark::State& state) {
  Karte karte = Umgebung::Gib().dicht;
  Beschreibungen b;
  bool stufe = false;
  for (auto _ : state) {
    stufe = !stufe;
    AendereZelle(karte, stufe);
    b.flaechen.clear();
    FuerDieBox([&](uint32_t x, uint32_t y, uint32_t z) { FlaechenDerZelle(karte, x, y, z, b); });
    benchmark::DoNotOptimize(b.flaechen.data());
  }
}

}  // namespace

BENCHMARK(BM_Laden)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LadenBasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LadenDicht)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Neubau)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NeubauBasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bearbeiten)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BearbeitenBasis)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--klein") {
      g_klein = true;
      for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
      --argc;
      break;
    }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
