// The engine log against the bare operations it is built on, each pair in the same run:
//   main thread:   Schreibe of a 60-character line to the file  vs  fwrite + fflush of the finished line
//   worker thread: Schreibe (formats and queues)                vs  ConcurrentQueue enqueue of the line
//   "t_debug" off: DebugAusgabe                                 vs  an empty call that is not inlined
#include <benchmark/benchmark.h>

#include "Zarvo_Start.h"

#include <concurrentqueue/concurrentqueue.h>

#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr char NACHRICHT[] = "Textur geladen: Daten/Bilder/wand_steine.png, 256x256, DXT1.";
static_assert(sizeof(NACHRICHT) - 1 == 60);

// Worker lines wait in the queue until the main thread drains it (once per frame in the game):
// both worker cases drain after this many lines, outside the timed region.
constexpr int STAPEL = 256;

std::filesystem::path g_Ordner;

// The line as the log writes it: prefix, message, newline.
std::string FertigeZeile(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FertigeZeile(const char* format, ...) {
  char puffer[Zarvo_Log::MAX_ZEILE + 2];
  va_list argumente;
  va_start(argumente, format);
  size_t laenge = Zarvo_Log::BaueZeile(puffer, 1234567, 4711, format, argumente);
  va_end(argumente);
  return std::string(puffer, laenge);
}

void Hauptfaden_Schreibe(benchmark::State& state) {
  g_Log.Starte(g_Ordner, "bench.log");
  for (auto _ : state) g_Log.Schreibe("%s", NACHRICHT);
  g_Log.Schliesse();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Hauptfaden_Schreibe);

void Hauptfaden_Grundlinie_fwrite_fflush(benchmark::State& state) {
  const std::string zeile = FertigeZeile("%s", NACHRICHT);
  FILE* datei = std::fopen((g_Ordner / "grundlinie.log").c_str(), "wb");
  if (!datei) {
    state.SkipWithError("grundlinie.log nicht geoeffnet");
    return;
  }
  for (auto _ : state) {
    std::fwrite(zeile.data(), 1, zeile.size(), datei);
    std::fflush(datei);
  }
  std::fclose(datei);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Hauptfaden_Grundlinie_fwrite_fflush);

// A main thread of its own: it starts the log and drains the queue on request, as the main loop would.
class EigenerHauptfaden {
 public:
  EigenerHauptfaden() : faden([this] { Lauf(); }) { Beauftrage(Auftrag::KEINER); }
  ~EigenerHauptfaden() {
    Beauftrage(Auftrag::ENDE);
    faden.join();
  }
  void Leere() { Beauftrage(Auftrag::LEEREN); }

 private:
  enum class Auftrag { KEINER, LEEREN, ENDE };

  // Hands over one order and waits until it is done.
  void Beauftrage(Auftrag neu) {
    std::unique_lock<std::mutex> sperre(mutex);
    bereit.wait(sperre, [this] { return !offen; });
    auftrag = neu;
    offen = neu != Auftrag::KEINER;
    bereit.notify_all();
    bereit.wait(sperre, [this] { return !offen; });
  }

  void Lauf() {
    g_Log.Starte(g_Ordner, "bench.log");
    std::unique_lock<std::mutex> sperre(mutex);
    offen = false;
    bereit.notify_all();
    for (;;) {
      bereit.wait(sperre, [this] { return offen; });
      if (auftrag == Auftrag::ENDE) {
        g_Log.Schliesse();
        offen = false;
        bereit.notify_all();
        return;
      }
      g_Log.LeereWarteschlange();
      offen = false;
      bereit.notify_all();
    }
  }

  std::mutex mutex;
  std::condition_variable bereit;
  Auftrag auftrag = Auftrag::KEINER;
  bool offen = true;  // true while an order (at first: the start) is not done
  std::thread faden;
};

void Nebenfaden_Schreibe(benchmark::State& state) {
  EigenerHauptfaden hauptfaden;  // so every line of this thread goes to the queue
  int imStapel = 0;
  for (auto _ : state) {
    g_Log.Schreibe("%s", NACHRICHT);
    if (++imStapel == STAPEL) {
      state.PauseTiming();
      hauptfaden.Leere();
      imStapel = 0;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Nebenfaden_Schreibe);

void Nebenfaden_Grundlinie_enqueue(benchmark::State& state) {
  const std::string zeile = FertigeZeile("%s", NACHRICHT);
  moodycamel::ConcurrentQueue<std::string> schlange;
  std::string zeilen[STAPEL];
  int imStapel = 0;
  for (auto _ : state) {
    schlange.enqueue(std::string(zeile));
    if (++imStapel == STAPEL) {
      state.PauseTiming();
      while (schlange.try_dequeue_bulk(zeilen, STAPEL) > 0) {
      }
      imStapel = 0;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Nebenfaden_Grundlinie_enqueue);

void DebugAusgabe_aus(benchmark::State& state) {
  g_Log.Starte(g_Ordner, "bench.log");
  const bool vorher = g_tDebug.boolWert;
  g_tDebug.SetzeBool(false);
  for (auto _ : state) g_Log.DebugAusgabe("%s", NACHRICHT);
  g_tDebug.SetzeBool(vorher);
  g_Log.Schliesse();
}
BENCHMARK(DebugAusgabe_aus);

__attribute__((noinline)) void LeererAufruf(const char*, ...) { asm volatile("" ::: "memory"); }

void DebugAusgabe_Grundlinie_leerer_Aufruf(benchmark::State& state) {
  for (auto _ : state) LeererAufruf("%s", NACHRICHT);
}
BENCHMARK(DebugAusgabe_Grundlinie_leerer_Aufruf);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::string muster = (std::filesystem::temp_directory_path() / "morvelunt-bench-XXXXXX").string();
  if (!mkdtemp(muster.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  g_Ordner = muster;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code fehler;
  std::filesystem::remove_all(g_Ordner, fehler);
  return 0;
}
