// The patch builders, each beside a baseline in the same run:
//  - the face at levels 1..4, plain and decorated (a mosaic, a plate, four levers, four buttons);
//    the mosaic painter alone on a level-4 face; gate, lever and button at level 4. Baseline per
//    case: a plain loop allocating and writing the same output bytes (position entries, images,
//    vertices, indices), the memory-write bound.
//  - the five golden trees, growing (ErzeugeAeste) and meshing (Vernetze) apart. Baselines: as
//    many mt19937_64 draws as the growth makes, and a loop writing the same vertices and indices
//    from rings computed beforehand.
// After the run a table gives each case, its baseline and their ratio. No assertion on times.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Baum.h"
#include "Generator.h"
#include "Mosaik.h"
#include "PatchErbauer.h"
#include "PatchErbauerIntern.h"
#include "Szene.h"
#include "Zarvo_Start.h"
#include "einheit/NullBildschirm.h"

namespace {

using Spiel::Generator;
using V3 = BVektor3<float>;
using Datensatz = Generator::FertigerPatch;
namespace Intern = Spiel::PatchErbauer::Intern;

const uint64_t GOLDENE_SEEDS[5] = {0, 1, 7, 12345, uint64_t(1) << 63};
constexpr uint32_t OBJEKT = 0xC0000000u;

// The +Y face of block (3, 1, 5), doubled: p = (8, 4, 10), 2 x 2 units.
const Generator::FlaechenPatch OBEN{{8, 4, 10}, {-2, 0, 0}, {0, 0, 2}, {-2, 0, 0}, 0};
constexpr uint32_t SCHLICHT_KEY = 1, BEMALT_KEY = 2;
const Generator::FlaechenPatch OBEN_WEIT{{108, 4, 10}, {-2, 0, 0}, {0, 0, 2}, {-2, 0, 0}, 0};  // nothing near it
const Generator::MosaikPatch MOSAIK{{7, 4, 11}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}, 1.6f, 1.6f, 0};

// The recording device, the requests (a plain face far from everything, a decorated one) and the
// shipped mosaic pictures.
struct Umgebung {
  NullBildschirm bildschirm{320, 240};
  Spiel::Szene::InstanzPool pool;
  Generator generator{pool, Generator::Erbauer{}};
  Umgebung() {
    g_System.anwendungsVerzeichnis = std::filesystem::path(MORVELUNT_DATEN_ZIEL).parent_path();
    generator.FordereAn(SCHLICHT_KEY, OBEN_WEIT);
    generator.FordereAn(BEMALT_KEY, OBEN);
    uint32_t key = OBJEKT;
    generator.FordereAn(++key, MOSAIK, MOSAIK.position, {1.6f, 0.4f, 1.6f});
    generator.FordereAn(++key, Generator::DruckplattenPatch{{7.5f, 4, 10.5f}}, {7.5f, 4, 10.5f}, {0.6f, 0.2f, 0.6f});
    for (int i = 0; i < 4; ++i) {
      const V3 h(6.4f + 0.4f * float(i), 4, 11.7f), k(6.4f + 0.4f * float(i), 4, 10.3f);
      generator.FordereAn(++key, Generator::HebelPatch{h, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, h, {0.4f, 0.4f, 0.4f});
      generator.FordereAn(++key, Generator::KnopfPatch{k, {0, 1, 0}, 0.15f}, k, {0.3f, 0.3f, 0.3f});
    }
  }
};
Umgebung& U() {
  static Umgebung umgebung;
  return umgebung;
}

// ---- the baselines' plain writes ----

void SchreibeBild(Zarvo_Bild& bild, uint32_t seite, uint32_t wert) {
  bild = Zarvo_Bild(seite, seite, PXFMT_A8R8G8B8, 1);
  for (uint32_t y = 0; y < seite; ++y) {
    uint32_t* zeile = Intern::Zeile(bild, y);
    for (uint32_t x = 0; x < seite; ++x) zeile[x] = wert + x;
  }
}
// vertices, indices, two images of side S and (when `relief`) S² position entries.
void SchreibeAusgabe(size_t vertices, size_t indices, uint32_t S, bool relief) {
  Datensatz d;
  d.vertices.reserve(vertices);
  for (size_t i = 0; i < vertices; ++i) d.vertices.push_back({float(i), 1, 2, 0.5f, 0.5f, 0});
  d.indices.reserve(indices);
  for (size_t i = 0; i < indices; ++i) d.indices.push_back(uint32_t(i));
  SchreibeBild(d.farbe, S, 0xFF000000u);
  SchreibeBild(d.normale, S, 0xFF7F7F7Fu);
  std::vector<V3> positionen;
  if (relief) {
    positionen.resize(size_t(S) * S);
    for (size_t i = 0; i < positionen.size(); ++i) positionen[i] = {float(i), 0, 1};
  }
  benchmark::DoNotOptimize(d.vertices.data());
  benchmark::DoNotOptimize(d.farbe.Pixel());
  benchmark::DoNotOptimize(positionen.data());
  benchmark::ClobberMemory();
}

// ---- builders ----

void Flaeche(benchmark::State& state, bool bemalt) {
  const uint32_t stufe = uint32_t(state.range(0));
  Umgebung& u = U();
  for (auto _ : state) {
    Datensatz d = Spiel::PatchErbauer::Flaeche(u.generator, bemalt ? BEMALT_KEY : SCHLICHT_KEY, stufe, 1, bemalt ? OBEN : OBEN_WEIT);
    benchmark::DoNotOptimize(d.vertices.data());
  }
}
void FlaecheSchlicht(benchmark::State& state) { Flaeche(state, false); }
void FlaecheBemalt(benchmark::State& state) { Flaeche(state, true); }
void BasisFlaeche(benchmark::State& state) {
  const uint32_t stufe = uint32_t(state.range(0)), N = 8u << stufe;
  for (auto _ : state) SchreibeAusgabe(size_t(N + 1) * (N + 1), size_t(6) * N * N, 64u << stufe, true);
}

// The painter alone: one level-4 face's colour image and relief, the picture already loaded.
void MosaikMaler(benchmark::State& state) {
  U();
  const uint32_t S = 1024;
  Zarvo_Bild farbe = Intern::GefuelltesBild(S, 0xFFFFFFFFu);
  std::vector<V3> relief(size_t(S) * S);
  const Intern::Flaechenpunkte fp(OBEN, S);
  for (uint32_t j = 0; j < S; ++j)
    for (uint32_t i = 0; i < S; ++i) relief[size_t(j) * S + i] = fp.Punkt(i, j);
  for (auto _ : state) {
    Generator::BaueMosaik(OBEN, MOSAIK, relief, farbe);
    benchmark::DoNotOptimize(farbe.Pixel());
  }
}
// Writing what the painter may write on that face: every colour pixel and position entry.
void BasisMosaik(benchmark::State& state) {
  const uint32_t S = 1024;
  Zarvo_Bild farbe = Intern::GefuelltesBild(S, 0xFFFFFFFFu);
  std::vector<V3> relief(size_t(S) * S);
  for (auto _ : state) {
    for (uint32_t j = 0; j < S; ++j) {
      uint32_t* zeile = Intern::Zeile(farbe, j);
      for (uint32_t i = 0; i < S; ++i) {
        zeile[i] = 0xFF000000u | i;
        relief[size_t(j) * S + i] = {float(i), 4.002f, float(j)};
      }
    }
    benchmark::DoNotOptimize(relief.data());
    benchmark::ClobberMemory();
  }
}

void Gitter(benchmark::State& state) {
  for (auto _ : state) {
    Datensatz d = Spiel::PatchErbauer::Gitter(U().generator, OBJEKT, 4, 1, {{3, 5, 7}, {0, 0, 1}, {0, 1, 0}});
    benchmark::DoNotOptimize(d.vertices.data());
  }
}
void BasisGitter(benchmark::State& state) {
  for (auto _ : state) SchreibeAusgabe(2376, 3 * 4096, 1024, false);
}
void Hebel(benchmark::State& state) {
  for (auto _ : state) {
    Datensatz d = Spiel::PatchErbauer::Hebel(U().generator, OBJEKT, 4, 1, {{3, 5, 7}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}});
    benchmark::DoNotOptimize(d.vertices.data());
  }
}
void BasisHebel(benchmark::State& state) {
  for (auto _ : state) SchreibeAusgabe(561, 3 * 1024, 512, true);
}
void Knopf(benchmark::State& state) {
  for (auto _ : state) {
    Datensatz d = Spiel::PatchErbauer::Knopf(U().generator, OBJEKT, 4, 1, {{3, 5, 7}, {1, 0, 0}, 0.5f});
    benchmark::DoNotOptimize(d.vertices.data());
  }
}
void BasisKnopf(benchmark::State& state) {
  for (auto _ : state) SchreibeAusgabe(1089, 3 * 2048, 256, true);
}

// ---- trees ----

struct GoldenerBaum {
  std::vector<Spiel::Baum::Segment> segmente;
  uint64_t zuege = 0;
  std::vector<Spiel::WeltVertex> vertices;
  std::vector<uint32_t> indices;
};
const GoldenerBaum& Golden(int nr) {
  static std::map<int, GoldenerBaum> baeume;
  GoldenerBaum& b = baeume[nr];
  if (b.zuege == 0) {
    b.zuege = Spiel::Baum::ErzeugeAeste(b.segmente, {0, 0, 0}, GOLDENE_SEEDS[nr], {});
    Spiel::Baum::Vernetze(b.segmente, b.vertices, b.indices);
  }
  return b;
}

void BaumWachsen(benchmark::State& state) {
  const Spiel::Baum::Parameter parameter;
  const uint64_t seed = GOLDENE_SEEDS[state.range(0)];
  std::vector<Spiel::Baum::Segment> segmente;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Spiel::Baum::ErzeugeAeste(segmente, {0, 0, 0}, seed, parameter));
    benchmark::DoNotOptimize(segmente.data());
  }
  state.counters["Segmente"] = double(segmente.size());
}
void BasisBaumZuege(benchmark::State& state) {
  const GoldenerBaum& b = Golden(int(state.range(0)));
  for (auto _ : state) {
    std::mt19937_64 engine(GOLDENE_SEEDS[state.range(0)]);
    uint64_t summe = 0;
    for (uint64_t i = 0; i < b.zuege; ++i) summe += engine();
    benchmark::DoNotOptimize(summe);
  }
  state.counters["Zuege"] = double(b.zuege);
}
void BaumVernetzen(benchmark::State& state) {
  const GoldenerBaum& b = Golden(int(state.range(0)));
  std::vector<Spiel::WeltVertex> vertices;
  std::vector<uint32_t> indices;
  for (auto _ : state) {
    Spiel::Baum::Vernetze(b.segmente, vertices, indices);
    benchmark::DoNotOptimize(vertices.data());
  }
  state.counters["Vertices"] = double(vertices.size());
}
// The same vertices and indices into the same reused vectors, from the rings computed before.
void BasisBaumNetz(benchmark::State& state) {
  const GoldenerBaum& b = Golden(int(state.range(0)));
  std::vector<Spiel::WeltVertex> vertices;
  std::vector<uint32_t> indices;
  for (auto _ : state) {
    vertices.clear();
    indices.clear();
    vertices.reserve(b.vertices.size());
    indices.reserve(b.indices.size());
    for (const Spiel::WeltVertex& v : b.vertices) vertices.push_back(v);
    for (uint32_t i : b.indices) indices.push_back(i);
    benchmark::DoNotOptimize(vertices.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(FlaecheSchlicht)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(FlaecheBemalt)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BasisFlaeche)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(MosaikMaler)->Unit(benchmark::kMillisecond);
BENCHMARK(BasisMosaik)->Unit(benchmark::kMillisecond);
BENCHMARK(Gitter)->Unit(benchmark::kMillisecond);
BENCHMARK(BasisGitter)->Unit(benchmark::kMillisecond);
BENCHMARK(Hebel)->Unit(benchmark::kMillisecond);
BENCHMARK(BasisHebel)->Unit(benchmark::kMillisecond);
BENCHMARK(Knopf)->Unit(benchmark::kMillisecond);
BENCHMARK(BasisKnopf)->Unit(benchmark::kMillisecond);
BENCHMARK(BaumWachsen)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BasisBaumZuege)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BaumVernetzen)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BasisBaumNetz)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The console report, and each run's time per iteration kept for the table.
class Sammler : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && r.iterations > 0) zeiten[r.benchmark_name()] = r.GetAdjustedRealTime();  // in the run's unit
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> zeiten;
};

void DruckeTabelle(const Sammler& s) {
  const struct Paar {
    std::string fall, basis;
  } paare[] = {
      {"FlaecheSchlicht/1", "BasisFlaeche/1"}, {"FlaecheSchlicht/2", "BasisFlaeche/2"}, {"FlaecheSchlicht/3", "BasisFlaeche/3"},
      {"FlaecheSchlicht/4", "BasisFlaeche/4"}, {"FlaecheBemalt/1", "BasisFlaeche/1"},   {"FlaecheBemalt/2", "BasisFlaeche/2"},
      {"FlaecheBemalt/3", "BasisFlaeche/3"},   {"FlaecheBemalt/4", "BasisFlaeche/4"},   {"MosaikMaler", "BasisMosaik"},
      {"Gitter", "BasisGitter"},               {"Hebel", "BasisHebel"},                 {"Knopf", "BasisKnopf"},
      {"BaumWachsen/0", "BasisBaumZuege/0"},   {"BaumWachsen/1", "BasisBaumZuege/1"},   {"BaumWachsen/2", "BasisBaumZuege/2"},
      {"BaumWachsen/3", "BasisBaumZuege/3"},   {"BaumWachsen/4", "BasisBaumZuege/4"},   {"BaumVernetzen/0", "BasisBaumNetz/0"},
      {"BaumVernetzen/1", "BasisBaumNetz/1"},  {"BaumVernetzen/2", "BasisBaumNetz/2"},  {"BaumVernetzen/3", "BasisBaumNetz/3"},
      {"BaumVernetzen/4", "BasisBaumNetz/4"},
  };
  std::printf("\n%-20s %12s  %-18s %12s  %8s\n", "Fall", "ms", "Basis", "ms", "Fall/Basis");
  for (const Paar& p : paare) {
    const auto fall = s.zeiten.find(p.fall), basis = s.zeiten.find(p.basis);
    if (fall == s.zeiten.end() || basis == s.zeiten.end()) continue;
    std::printf("%-20s %12.4f  %-18s %12.4f  %8.2f\n", p.fall.c_str(), fall->second, p.basis.c_str(), basis->second,
                fall->second / basis->second);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Sammler sammler;
  benchmark::RunSpecifiedBenchmarks(&sammler);
  benchmark::Shutdown();
  DruckeTabelle(sammler);
  return 0;
}
