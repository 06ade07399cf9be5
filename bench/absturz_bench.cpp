// The crash handler, per crash case, against the same crash with the default disposition:
//   time from the fault to the end of the process (child clock before the fault, parent clock
//   when waitpid returns; both CLOCK_MONOTONIC), with the report, dump and walk vs dying at once;
//   counters: the dump's size and the high-water mark of the crashing thread's alternate stack.
// Each iteration forks one child that crashes; the figures are read, not asserted.
#include <benchmark/benchmark.h>

#include "absturz/ziele.h"

#include "Plattform/system/ausnahmen.h"
#include "Zarvo_AbsturzFilter.h"
#include "Zarvo_Start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <thread>

namespace {

constexpr unsigned char MUSTER = 0xA5;

struct Geteilt {
  uint64_t vorDemFehler;  // ns, written by the child just before the fault
  uint64_t hochwasser;    // bytes of the alternate stack touched, written by the scanning handler
};

Geteilt* GeteilterSpeicher() {
  void* seite = mmap(nullptr, sizeof(Geteilt), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (seite == MAP_FAILED) abort();
  return new (seite) Geteilt{};
}
Geteilt& g_Geteilt = *GeteilterSpeicher();
std::filesystem::path g_Ordner;

uint64_t JetztNs() {
  timespec zeit;
  clock_gettime(CLOCK_MONOTONIC, &zeit);
  return uint64_t(zeit.tv_sec) * 1000000000u + uint64_t(zeit.tv_nsec);
}

// --- the alternate stack's high-water mark ---

stack_t g_Alternativ{};

// Fills the calling thread's alternate stack with the pattern (it is not in use now).
void FuelleAlternativStapel() {
  sigaltstack(nullptr, &g_Alternativ);
  if (g_Alternativ.ss_sp) memset(g_Alternativ.ss_sp, MUSTER, g_Alternativ.ss_size);
}

// Installed before the crash handler, so the handler hands the signal on to it, still on the
// alternate stack: the deepest byte no longer holding the pattern marks the high water.
void MissHochwasser(int) {
  const unsigned char* anfang = static_cast<const unsigned char*>(g_Alternativ.ss_sp);
  size_t unberuehrt = 0;
  while (unberuehrt < g_Alternativ.ss_size && anfang[unberuehrt] == MUSTER) ++unberuehrt;
  g_Geteilt.hochwasser = g_Alternativ.ss_size - unberuehrt;
  _exit(0);
}

// --- the cases ---

struct Fall {
  void (*ziel)();
  bool aufFaden;
};

const Fall FAELLE[] = {
    {Ziele::SchreibeNullzeiger, false},
    {Ziele::SchreibeNullzeiger, true},
    {Ziele::RekursiereEndlos, false},
    {Ziele::RufeAbort, false},
    {Ziele::WirfLaufzeitFehler, true},  // uncaught on a thread: the terminate hook
};
const char* const NAMEN[] = {"nullzeiger", "faden", "ueberlauf", "abbruch", "wurf"};

void Stuerze(const Fall& fall, bool hochwasser) {
  auto lauf = [&fall, hochwasser] {
    unsigned long garantie = 0;
    win32::SetThreadStackGuarantee(&garantie);
    if (hochwasser) FuelleAlternativStapel();
    g_Geteilt.vorDemFehler = JetztNs();
    Ziele::RufeZiel(fall.ziel);
  };
  if (fall.aufFaden)
    std::thread(lauf).join();
  else
    lauf();
}

enum class Art { MitFilter, Grundlinie, Hochwasser };

// The child: no core file, no output, the case folder as user-data folder with the log started.
[[noreturn]] void Kind(const Fall& fall, Art art) {
  rlimit ohneKern{0, 0};
  setrlimit(RLIMIT_CORE, &ohneKern);
  int nichts = open("/dev/null", O_WRONLY);
  dup2(nichts, 2);
  g_System.benutzerDaten = g_Ordner;
  g_Log.Starte(g_Ordner, "spiel.log");
  EntferneAbsturzFilter();
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP, SIGABRT, SIGSYS})
    ::signal(signal, art == Art::Hochwasser && (signal == SIGSEGV || signal == SIGABRT) ? MissHochwasser : SIG_DFL);
  if (art != Art::Grundlinie) InstalliereAbsturzFilter();
  Stuerze(fall, art == Art::Hochwasser);
  _exit(0);
}

// Runs one crash; returns the seconds from the fault to the end, or a negative value on failure.
double EinAbsturz(const Fall& fall, Art art) {
  fflush(nullptr);
  pid_t kind = fork();
  if (kind == 0) Kind(fall, art);
  int status = 0;
  waitpid(kind, &status, 0);
  uint64_t ende = JetztNs();
  bool erwartet = art == Art::Hochwasser ? WIFEXITED(status) && WEXITSTATUS(status) == 0 : WIFSIGNALED(status);
  if (!erwartet) return -1;
  return double(ende - g_Geteilt.vorDemFehler) * 1e-9;
}

void Messe(benchmark::State& state, Art art) {
  const Fall& fall = FAELLE[state.range(0)];
  state.SetLabel(NAMEN[state.range(0)]);
  std::filesystem::remove(g_Ordner / "MiniDump.dmp");
  for (auto _ : state) {
    double sekunden = EinAbsturz(fall, art);
    if (sekunden < 0) {
      state.SkipWithError("the child did not end as expected");
      return;
    }
    state.SetIterationTime(sekunden);
  }
  if (art != Art::MitFilter) return;
  std::error_code fehler;
  state.counters["dump_bytes"] = double(std::filesystem::file_size(g_Ordner / "MiniDump.dmp", fehler));
  g_Geteilt.hochwasser = 0;
  if (EinAbsturz(fall, Art::Hochwasser) < 0) state.SkipWithError("high-water run did not end as expected");
  state.counters["altstapel_bytes"] = double(g_Geteilt.hochwasser);
}

void Absturz_MitFilter(benchmark::State& state) { Messe(state, Art::MitFilter); }
void Absturz_Grundlinie_Standardtod(benchmark::State& state) { Messe(state, Art::Grundlinie); }

void Faelle(benchmark::internal::Benchmark* b) {
  for (int64_t i = 0; i < int64_t(std::size(FAELLE)); ++i) b->Arg(i);
  b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
}
BENCHMARK(Absturz_MitFilter)->Apply(Faelle);
BENCHMARK(Absturz_Grundlinie_Standardtod)->Apply(Faelle);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  char vorlage[] = "/tmp/absturz-bench-XXXXXX";
  if (!mkdtemp(vorlage)) return 1;
  g_Ordner = vorlage;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(g_Ordner);
  return 0;
}
