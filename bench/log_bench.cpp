// The engine log against the bare operations it is built on, each pair in the same run:
//   main thread:   Schreibe of a 60-character line to the file  vs  fwrite + fflush of the finished line
//   worker thread: Schreibe (formats and queues)                vs  ConcurrentQueue enqueue of the line
//   "t_debug" off: DebugAusgabe                                 vs  an empty call that is not inlined
#include <benchmark/benchmark.h>

#include "Zarvo_Start.h"

#include <concurrentqueue/concurrentqueue.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr char NACHRICHT[] = "Textur geladen: Daten/Bilder/wand_steine.png, 256x256, DXT1.";
static_assert(sizeof(NACHRICHT) - 1 == 60);

// Worker lines stay queued until the main thread drains them: a fixed count bounds the memory.
constexpr int64_t NEBENFADEN_ZEILEN = 1 << 18;

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

void Nebenfaden_Schreibe(benchmark::State& state) {
  // The log's main thread is another one, so every line of this thread goes to the queue.
  std::thread([] { g_Log.Starte(g_Ordner, "bench.log"); }).join();
  for (auto _ : state) g_Log.Schreibe("%s", NACHRICHT);
  g_Log.Schliesse();  // frees the queued lines
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Nebenfaden_Schreibe)->Iterations(NEBENFADEN_ZEILEN);

void Nebenfaden_Grundlinie_enqueue(benchmark::State& state) {
  const std::string zeile = FertigeZeile("%s", NACHRICHT);
  moodycamel::ConcurrentQueue<std::string> schlange;
  for (auto _ : state) schlange.enqueue(std::string(zeile));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Nebenfaden_Grundlinie_enqueue)->Iterations(NEBENFADEN_ZEILEN);

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
