// The parallel core against what one would write instead: raw fcontext switches, a mutex/condition
// variable work queue on std::threads, and std::shared_mutex.
#include <benchmark/benchmark.h>
#include <boost/context/detail/fcontext.hpp>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "Zarvo_Parallel.h"
#include "Zarvo_ParallelSperre.h"

namespace {

namespace ctx = boost::context::detail;

constexpr int FAECHER = 1024;

// About 1 µs of arithmetic.
uint64_t KleineArbeit(uint64_t saat) {
  uint64_t x = saat | 1;
  for (int i = 0; i < 300; ++i) x = x * 6364136223846793005ull + 1442695040888963407ull;
  return x;
}

std::atomic<uint64_t> g_bloecke{0};

// A core of its own per benchmark: its construction is outside the timed loop, and the blocks it
// used are kept for the closing line.
struct EigenerKern {
  Zarvo_Parallel kern;
  explicit EigenerKern(uint32_t anzahl = Zarvo_Parallel::ProzessorAnzahl()) : kern(anzahl) {}
  ~EigenerKern() {
    uint64_t bisher = g_bloecke.load();
    while (bisher < kern.Alloks() && !g_bloecke.compare_exchange_weak(bisher, kern.Alloks())) {
    }
  }
};

// --- the work queue one would write instead ----------------------------------------------------

class FadenSchlange {
 public:
  explicit FadenSchlange(unsigned anzahl) {
    for (unsigned i = 0; i < anzahl; ++i) faeden.emplace_back([this] { Arbeite(); });
  }
  ~FadenSchlange() {
    {
      std::lock_guard<std::mutex> sperre(mutex);
      ende = true;
    }
    signal.notify_all();
    for (std::thread& faden : faeden) faden.join();
  }
  void Setze(std::function<void()> arbeit) {
    {
      std::lock_guard<std::mutex> sperre(mutex);
      schlange.push_back(std::move(arbeit));
    }
    signal.notify_one();
  }

 private:
  void Arbeite() {
    std::unique_lock<std::mutex> sperre(mutex);
    for (;;) {
      signal.wait(sperre, [this] { return ende || !schlange.empty(); });
      if (schlange.empty()) return;
      std::function<void()> arbeit = std::move(schlange.front());
      schlange.pop_front();
      sperre.unlock();
      arbeit();
      sperre.lock();
    }
  }
  std::mutex mutex;
  std::condition_variable signal;
  std::deque<std::function<void()>> schlange;
  bool ende = false;
  std::vector<std::thread> faeden;
};

class Countdown {
 public:
  explicit Countdown(int anzahl) : rest(anzahl) {}
  void Zaehle() {
    std::lock_guard<std::mutex> sperre(mutex);
    if (--rest == 0) signal.notify_one();
  }
  void Warte() {
    std::unique_lock<std::mutex> sperre(mutex);
    signal.wait(sperre, [this] { return rest == 0; });
  }

 private:
  std::mutex mutex;
  std::condition_variable signal;
  int rest;
};

FadenSchlange& Schlange() {
  static FadenSchlange schlange(Zarvo_Parallel::ProzessorAnzahl());
  return schlange;
}

// --- empty jobs --------------------------------------------------------------------------------

void BM_Kern_LeererAuftragHinUndZurueck(benchmark::State& state) {
  EigenerKern eigener;
  Zarvo_Parallel& kern = eigener.kern;
  kern.MachSofort([&] {
    for (auto _ : state) Zarvo_Parallel::WarteAuf(kern.StarteParallelAuftrag([] {}));
  });
  state.SetItemsProcessed(state.iterations());
}

void BM_Faden_LeererAuftragHinUndZurueck(benchmark::State& state) {
  FadenSchlange& schlange = Schlange();
  for (auto _ : state) {
    Countdown fertig(1);
    schlange.Setze([&] { fertig.Zaehle(); });
    fertig.Warte();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Kern_LeereAuftraegeAufZaehler(benchmark::State& state) {
  EigenerKern eigener;
  Zarvo_Parallel& kern = eigener.kern;
  kern.MachSofort([&] {
    for (auto _ : state) {
      Zarvo_Parallel::WarteZaehler fertig;
      fertig.anzahl = FAECHER;
      for (int i = 0; i < FAECHER; ++i) kern.StarteParallelAuftrag([&] { fertig.Vermindere(); });
      fertig.Warte();
    }
  });
  state.SetItemsProcessed(state.iterations() * FAECHER);
}

void BM_Faden_LeereAuftraegeAufCountdown(benchmark::State& state) {
  FadenSchlange& schlange = Schlange();
  for (auto _ : state) {
    Countdown fertig(FAECHER);
    for (int i = 0; i < FAECHER; ++i) schlange.Setze([&] { fertig.Zaehle(); });
    fertig.Warte();
  }
  state.SetItemsProcessed(state.iterations() * FAECHER);
}

// --- fan-out / fan-in of small jobs ------------------------------------------------------------

void BM_Kern_Auffaechern(benchmark::State& state) {
  EigenerKern eigener;
  Zarvo_Parallel& kern = eigener.kern;
  std::vector<uint64_t> ergebnis(FAECHER);
  kern.MachSofort([&] {
    for (auto _ : state) {
      Zarvo_Parallel::WarteZaehler fertig;
      fertig.anzahl = FAECHER;
      for (int i = 0; i < FAECHER; ++i)
        kern.StarteParallelAuftrag([&, i] {
          ergebnis[i] = KleineArbeit(uint64_t(i));
          fertig.Vermindere();
        });
      fertig.Warte();
    }
  });
  benchmark::DoNotOptimize(ergebnis.data());
  state.SetItemsProcessed(state.iterations() * FAECHER);
}

void BM_Faden_Auffaechern(benchmark::State& state) {
  FadenSchlange& schlange = Schlange();
  std::vector<uint64_t> ergebnis(FAECHER);
  for (auto _ : state) {
    Countdown fertig(FAECHER);
    for (int i = 0; i < FAECHER; ++i)
      schlange.Setze([&, i] {
        ergebnis[i] = KleineArbeit(uint64_t(i));
        fertig.Zaehle();
      });
    fertig.Warte();
  }
  benchmark::DoNotOptimize(ergebnis.data());
  state.SetItemsProcessed(state.iterations() * FAECHER);
}

void BM_Referenz_KleineArbeitSeriell(benchmark::State& state) {
  std::vector<uint64_t> ergebnis(FAECHER);
  for (auto _ : state)
    for (int i = 0; i < FAECHER; ++i) ergebnis[i] = KleineArbeit(uint64_t(i));
  benchmark::DoNotOptimize(ergebnis.data());
  state.SetItemsProcessed(state.iterations() * FAECHER);
}

// --- switch cost -------------------------------------------------------------------------------

// A job of a one-worker core that yields (reason 1) in a loop: one suspend and resume per round.
void BM_Kern_Nachgeben(benchmark::State& state) {
  EigenerKern eigener(1);
  Zarvo_Parallel& kern = eigener.kern;
  kern.MachSofort([&] {
    Zarvo_Parallel::Auftrag* selbst = Zarvo_Parallel::AktuellerAuftrag();
    for (auto _ : state) {
      selbst->grund = Zarvo_Parallel::GRUND_NOCHMAL;
      Zarvo_Parallel::Unterbreche(selbst);
    }
  });
  state.SetItemsProcessed(state.iterations());
}

void PingPong(ctx::transfer_t t) {
  for (;;) t = ctx::jump_fcontext(t.fctx, nullptr);
}

// The floor: two jump_fcontext per round.
void BM_Referenz_FcontextPingPong(benchmark::State& state) {
  std::vector<char> stapel(64 * 1024);
  ctx::fcontext_t faser = ctx::make_fcontext(stapel.data() + stapel.size(), stapel.size(), PingPong);
  for (auto _ : state) faser = ctx::jump_fcontext(faser, nullptr).fctx;
  state.SetItemsProcessed(state.iterations());
}

// --- idle ------------------------------------------------------------------------------------

double ProzessCpuSekunden() {
  rusage verbrauch{};
  getrusage(RUSAGE_SELF, &verbrauch);
  return double(verbrauch.ru_utime.tv_sec + verbrauch.ru_stime.tv_sec) +
         double(verbrauch.ru_utime.tv_usec + verbrauch.ru_stime.tv_usec) * 1e-6;
}

// After a burst of jobs the core has nothing queued for a second: the processor time all its
// threads use meanwhile, in percent of one core (the benchmark's own thread only sleeps).
void BM_Kern_LeerlaufCpu(benchmark::State& state) {
  EigenerKern eigener;
  Zarvo_Parallel& kern = eigener.kern;
  double anteil = 0;
  for (auto _ : state) {
    kern.MachSofort([&] {
      Zarvo_Parallel::WarteZaehler fertig;
      fertig.anzahl = FAECHER;
      for (int i = 0; i < FAECHER; ++i) kern.StarteParallelAuftrag([&] { fertig.Vermindere(); });
      fertig.Warte();
    });
    const double cpuVorher = ProzessCpuSekunden();
    const auto vorher = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double wand = std::chrono::duration<double>(std::chrono::steady_clock::now() - vorher).count();
    anteil = (ProzessCpuSekunden() - cpuVorher) / wand;
  }
  state.counters["CPU_Prozent_eines_Kerns"] = anteil * 100.0;
}

// --- lock --------------------------------------------------------------------------------------

void BM_Kern_SperreUnbestritten(benchmark::State& state) {
  EigenerKern eigener;
  Zarvo_Parallel& kern = eigener.kern;
  Zarvo_Parallel::LeseSchreibSperre sperre;
  kern.MachSofort([&] {
    for (auto _ : state) {
      sperre.SperreGemeinsam();
      sperre.GibGemeinsamFrei();
      sperre.SperreExklusiv();
      sperre.GibExklusivFrei();
    }
  });
  state.SetItemsProcessed(state.iterations() * 2);
}

void BM_Std_SharedMutexUnbestritten(benchmark::State& state) {
  std::shared_mutex sperre;
  for (auto _ : state) {
    sperre.lock_shared();
    sperre.unlock_shared();
    sperre.lock();
    sperre.unlock();
  }
  state.SetItemsProcessed(state.iterations() * 2);
}

constexpr int RUNDEN_JE_FADEN = 20000;

// One section in 16 exclusive, the rest shared; a few instructions inside.
template <class Nehmen>
void Abschnitte(Nehmen&& nehmen, uint64_t& wert) {
  for (int i = 0; i < RUNDEN_JE_FADEN; ++i) nehmen(i % 16 == 0, wert);
}

void BM_Kern_SperreBestritten(benchmark::State& state) {
  EigenerKern eigener;
  Zarvo_Parallel& kern = eigener.kern;
  const uint32_t anzahl = kern.AnzahlParallel();
  Zarvo_Parallel::LeseSchreibSperre sperre;
  uint64_t wert = 0;
  std::atomic<uint64_t> summe{0};
  kern.MachSofort([&] {
    for (auto _ : state) {
      Zarvo_Parallel::WarteZaehler fertig;
      fertig.anzahl = anzahl;
      for (uint32_t f = 0; f < anzahl; ++f)
        kern.StarteParallelAuftrag([&] {
          Abschnitte(
              [&](bool exklusiv, uint64_t& w) {
                if (exklusiv) {
                  Zarvo_ExklusivWaechter waechter(&sperre);
                  ++w;
                } else {
                  Zarvo_GemeinsamWaechter waechter(&sperre);
                  summe.fetch_add(w, std::memory_order_relaxed);
                }
              },
              wert);
          fertig.Vermindere();
        });
      fertig.Warte();
    }
  });
  state.SetItemsProcessed(state.iterations() * anzahl * RUNDEN_JE_FADEN);
}

void BM_Std_SharedMutexBestritten(benchmark::State& state) {
  const unsigned anzahl = Zarvo_Parallel::ProzessorAnzahl();
  std::shared_mutex sperre;
  uint64_t wert = 0;
  std::atomic<uint64_t> summe{0};
  for (auto _ : state) {
    std::vector<std::thread> faeden;
    for (unsigned f = 0; f < anzahl; ++f)
      faeden.emplace_back([&] {
        Abschnitte(
            [&](bool exklusiv, uint64_t& w) {
              if (exklusiv) {
                std::unique_lock<std::shared_mutex> waechter(sperre);
                ++w;
              } else {
                std::shared_lock<std::shared_mutex> waechter(sperre);
                summe.fetch_add(w, std::memory_order_relaxed);
              }
            },
            wert);
      });
    for (std::thread& faden : faeden) faden.join();
  }
  state.SetItemsProcessed(state.iterations() * anzahl * RUNDEN_JE_FADEN);
}

}  // namespace

BENCHMARK(BM_Kern_LeererAuftragHinUndZurueck)->UseRealTime();
BENCHMARK(BM_Faden_LeererAuftragHinUndZurueck)->UseRealTime();
BENCHMARK(BM_Kern_LeereAuftraegeAufZaehler)->UseRealTime();
BENCHMARK(BM_Faden_LeereAuftraegeAufCountdown)->UseRealTime();
BENCHMARK(BM_Kern_Auffaechern)->UseRealTime();
BENCHMARK(BM_Faden_Auffaechern)->UseRealTime();
BENCHMARK(BM_Referenz_KleineArbeitSeriell)->UseRealTime();
BENCHMARK(BM_Kern_Nachgeben)->UseRealTime();
BENCHMARK(BM_Referenz_FcontextPingPong)->UseRealTime();
BENCHMARK(BM_Kern_LeerlaufCpu)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kern_SperreUnbestritten)->UseRealTime();
BENCHMARK(BM_Std_SharedMutexUnbestritten)->UseRealTime();
BENCHMARK(BM_Kern_SperreBestritten)->UseRealTime();
BENCHMARK(BM_Std_SharedMutexBestritten)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printf("Bloecke nach dem Lauf (groesster Kern): %llu\n", (unsigned long long)g_bloecke.load());
  return 0;
}
