// Throughput of the scene file on a 256 x 32 x 256 map (58.7 MB of cells) with 10,000 objects,
// each operation beside a baseline on the same bytes: memcpy for writing and reading the map,
// plain fwrite/fread for the whole file, zlib's compress2/uncompress for the zlib wrappers. Reading
// into a map of other dimensions, and loading a file, also fill storage that was never touched:
// their baselines are a memcpy of the map's bytes into a fresh buffer, after a fread for the load.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>
#include <zlib.h>

#include "Karte.h"
#include "SzenenDatei.h"
#include "TSegmentSchreiber.h"
#include "TSpeicher.h"
#include "Zarvo_Start.h"

namespace {

const Karte& GrosseKarte() {
  static const Karte karte = [] {
    Karte k;
    k.SetzeGroesse(256, 32, 256);
    for (uint32_t y = 0; y < 32; ++y)
      for (uint32_t z = 0; z < 256; ++z)
        for (uint32_t x = 0; x < 256; ++x)
          k.ZelleBei(x, y, z).typ = y < 4 || ((x * 7 + z * 3 + y * 11) % 29 == 0) ? 1 + (x + z) % 18 : 0;
    k.BaueBlockGeometrie();
    k.objekte.resize(10000);
    for (size_t i = 0; i < k.objekte.size(); ++i) {
      k.objekte[i].typ = uint32_t(i % 9);
      k.objekte[i].x = float(i % 256);
      k.objekte[i].args[1][2] = float(i);
    }
    return k;
  }();
  return karte;
}

const TSpeicher& Szene() {
  static const TSpeicher szene = [] {
    TSpeicher s;
    Spiel::SzenenDatei::Schreibe(s, GrosseKarte());
    return s;
  }();
  return szene;
}

void Durchsatz(benchmark::State& state, uint64_t bytes) {
  state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

void BM_Schreibe(benchmark::State& state) {
  TSpeicher s(Szene().Groesse());
  Spiel::SzenenDatei::Schreibe(s, GrosseKarte());  // touches the pages before timing
  for (auto _ : state) {
    s.Leere();
    Spiel::SzenenDatei::Schreibe(s, GrosseKarte());
    benchmark::DoNotOptimize(s.Daten());
  }
  Durchsatz(state, Szene().Groesse());
}

void BM_MemcpyBasis(benchmark::State& state) {
  std::vector<uint8_t> ziel(Szene().Groesse(), 1);
  for (auto _ : state) {
    std::memcpy(ziel.data(), Szene().Daten(), Szene().Groesse());
    benchmark::DoNotOptimize(ziel.data());
  }
  Durchsatz(state, Szene().Groesse());
}

uint64_t ZellenBytes() { return GrosseKarte().ZellenBytes(); }

// A fresh buffer of the map's size, filled by one memcpy: the first touch of its pages.
void KopiereInFrischenPuffer(const uint8_t* quelle) {
  std::unique_ptr<uint8_t[]> frisch(new uint8_t[ZellenBytes()]);
  std::memcpy(frisch.get(), quelle, ZellenBytes());
  benchmark::DoNotOptimize(frisch.get());
}

void BM_ErstesBeruehrenUndMemcpyBasis(benchmark::State& state) {
  for (auto _ : state) KopiereInFrischenPuffer(Szene().Daten());
  Durchsatz(state, Szene().Groesse());
}

void BM_LiesGleicheAbmessungen(benchmark::State& state) {
  TSpeicher s(Szene());
  Karte karte = GrosseKarte();
  for (auto _ : state) {
    s.Zurueckspulen();
    if (!Spiel::SzenenDatei::Lies(s, karte)) state.SkipWithError("Lies");
  }
  Durchsatz(state, Szene().Groesse());
}

void BM_LiesNeueAbmessungen(benchmark::State& state) {
  TSpeicher s(Szene());
  for (auto _ : state) {
    Karte karte;
    s.Zurueckspulen();
    if (!Spiel::SzenenDatei::Lies(s, karte)) state.SkipWithError("Lies");
    benchmark::DoNotOptimize(karte.schichten.data());
  }
  Durchsatz(state, Szene().Groesse());
}

const std::filesystem::path& Datei() {
  // One name per process, so runs beside each other on a shared machine do not meet.
  static const std::filesystem::path pfad =
      std::filesystem::temp_directory_path() / ("morvelunt-szene-bench-" + std::to_string(::getpid()) + ".dat");
  return pfad;
}

void BM_Speichere(benchmark::State& state) {
  for (auto _ : state)
    if (!Spiel::SzenenDatei::Speichere(Datei(), GrosseKarte())) state.SkipWithError("Speichere");
  Durchsatz(state, Szene().Groesse());
}

void BM_FwriteBasis(benchmark::State& state) {
  for (auto _ : state) {
    FILE* f = std::fopen(Datei().c_str(), "wb");
    std::fwrite(Szene().Daten(), 1, Szene().Groesse(), f);
    std::fclose(f);
  }
  Durchsatz(state, Szene().Groesse());
}

void BM_Lade(benchmark::State& state) {
  Spiel::SzenenDatei::Speichere(Datei(), GrosseKarte());
  Karte karte = GrosseKarte();
  for (auto _ : state)
    if (Spiel::SzenenDatei::Lade(Datei(), karte) != Spiel::SzenenDatei::Ergebnis::Geladen) state.SkipWithError("Lade");
  Durchsatz(state, Szene().Groesse());
}

// The saved file read with one fread into `ziel`, which holds the file's size.
void LiesDateiRoh(std::vector<uint8_t>& ziel) {
  FILE* f = std::fopen(Datei().c_str(), "rb");
  benchmark::DoNotOptimize(std::fread(ziel.data(), 1, ziel.size(), f));
  std::fclose(f);
}

void BM_FreadBasis(benchmark::State& state) {
  Spiel::SzenenDatei::Speichere(Datei(), GrosseKarte());
  std::vector<uint8_t> ziel(Szene().Groesse());
  for (auto _ : state) LiesDateiRoh(ziel);
  Durchsatz(state, Szene().Groesse());
}

void BM_FreadUndMemcpyBasis(benchmark::State& state) {
  Spiel::SzenenDatei::Speichere(Datei(), GrosseKarte());
  std::vector<uint8_t> gelesen(Szene().Groesse());
  for (auto _ : state) {
    LiesDateiRoh(gelesen);
    KopiereInFrischenPuffer(gelesen.data());
  }
  Durchsatz(state, Szene().Groesse());
}

void BM_ZLibPacken(benchmark::State& state) {
  TSpeicher quelle(Szene());
  for (auto _ : state) {
    TSpeicher ziel;
    if (!ZLib_Packen(quelle, ziel, int(state.range(0)))) state.SkipWithError("Packen");
    benchmark::DoNotOptimize(ziel.Daten());
  }
  Durchsatz(state, Szene().Groesse());
}

void BM_Compress2Basis(benchmark::State& state) {
  std::vector<uint8_t> ziel(compressBound(uLong(Szene().Groesse())));
  for (auto _ : state) {
    uLongf laenge = uLongf(ziel.size());
    compress2(ziel.data(), &laenge, Szene().Daten(), uLong(Szene().Groesse()), int(state.range(0)));
    benchmark::DoNotOptimize(ziel.data());
  }
  Durchsatz(state, Szene().Groesse());
}

const TSpeicher& Gepackt() {
  static const TSpeicher gepackt = [] {
    TSpeicher quelle(Szene()), ziel;
    ZLib_Packen(quelle, ziel, 6);
    return ziel;
  }();
  return gepackt;
}

void BM_ZLibEntpacken(benchmark::State& state) {
  TSpeicher quelle(Gepackt());
  for (auto _ : state) {
    TSpeicher ziel;
    quelle.Zurueckspulen();
    // The caller knows the length, as the PNG reader does.
    if (!ZLib_Entpacken(quelle, ziel, Szene().Groesse())) state.SkipWithError("Entpacken");
  }
  Durchsatz(state, Szene().Groesse());
}

// The destination kept from one call to the next, as the baseline keeps its buffer.
void BM_ZLibEntpackenInBehaltenenPuffer(benchmark::State& state) {
  TSpeicher quelle(Gepackt());
  TSpeicher ziel;
  for (auto _ : state) {
    quelle.Zurueckspulen();
    if (!ZLib_Entpacken(quelle, ziel, Szene().Groesse())) state.SkipWithError("Entpacken");
  }
  Durchsatz(state, Szene().Groesse());
}

void BM_UncompressBasis(benchmark::State& state) {
  std::vector<uint8_t> ziel(Szene().Groesse());
  for (auto _ : state) {
    uLongf laenge = uLongf(ziel.size());
    uncompress(ziel.data(), &laenge, Gepackt().Daten(), uLong(Gepackt().Groesse()));
    benchmark::DoNotOptimize(ziel.data());
  }
  Durchsatz(state, Szene().Groesse());
}

}  // namespace

BENCHMARK(BM_Schreibe)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyBasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ErstesBeruehrenUndMemcpyBasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiesGleicheAbmessungen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiesNeueAbmessungen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Speichere)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FwriteBasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lade)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreadBasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreadUndMemcpyBasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZLibPacken)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compress2Basis)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZLibEntpacken)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZLibEntpackenInBehaltenenPuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncompressBasis)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  g_tLogfile.boolWert = false;
  g_Log.Starte(std::filesystem::temp_directory_path(), "szene-bench.log");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::filesystem::remove(Datei());
  return 0;
}
