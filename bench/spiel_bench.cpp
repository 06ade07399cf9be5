// The real program under the virtual display (Xvfb, llvmpipe) at 1280 x 720 and 640 x 360, vsync
// off, on the real clock: start to the first frame, and the frame time on the shipped level's
// start view once the patch generator is idle.
//
// The program runs with the input script and state lines (MORVELUNT_EINGABE through a FIFO,
// MORVELUNT_ZUSTAND), but without the fixed clock. The start is CLOCK_MONOTONIC just before
// posix_spawn to the counter (nanoseconds of CLOCK_MONOTONIC) in the state line after the first
// frame; the frame time is the counter difference between two state lines `--bilder` frames
// apart, divided by that number.
//
// Baseline in the same run: leeres_fenster, a GLFW + OpenGL 3.3 core window of the same size that
// only clears and presents, started the same way: to its first swap, and its mean frame time.
// One start of each program per size gives both rows; the ratios follow the benchmark output.
//
//   spiel_bench [--bilder N] [benchmark flags]   (N frames apart, default 200)
#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProgrammOrdner.h"

namespace {

namespace fs = std::filesystem;
using Uhr = std::chrono::steady_clock;

struct Groesse {
  int b, h;
};
constexpr Groesse GROESSEN[] = {{1280, 720}, {640, 360}};

constexpr auto FRIST = std::chrono::seconds(1200);  // one run, against a hang only
constexpr int RUHE_SCHRITT = 16;                    // frames between state lines while waiting for the generator
constexpr int RUHE_LINIEN = 3;                      // state lines in a row with no open request

int g_bilder = 200;

int64_t Jetzt() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Start and frame time of one run, in milliseconds; empty with `fehler` set when the run failed.
struct Lauf {
  double startMs = 0, bildMs = 0;
  std::string fehler;
};

// A temporary folder, removed with its contents.
class Ordner {
 public:
  Ordner() {
    std::string muster = (fs::temp_directory_path() / "morvelunt-spiel-bench-XXXXXX").string();
    if (mkdtemp(muster.data())) pfad_ = muster;
  }
  ~Ordner() {
    std::error_code fehler;
    if (!pfad_.empty()) fs::remove_all(pfad_, fehler);
  }
  Ordner(const Ordner&) = delete;
  Ordner& operator=(const Ordner&) = delete;
  const fs::path& Pfad() const { return pfad_; }

 private:
  fs::path pfad_;
};

// The child process, killed if it is still running when this goes.
class Kind {
 public:
  explicit Kind(pid_t pid) : pid_(pid) {}
  ~Kind() { programm_ordner::BeendeKind(pid_); }
  Kind(const Kind&) = delete;
  Kind& operator=(const Kind&) = delete;
  bool Gestartet() const { return pid_ > 0; }
  // Its exit status once it has ended within the deadline, or -1.
  int WarteAufEnde(Uhr::time_point frist) {
    while (pid_ > 0 && Uhr::now() < frist) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
  }

 private:
  pid_t pid_;
};

// The game with its input script and state lines in `ordner`.
class Spielprogramm {
 public:
  Spielprogramm(const fs::path& ordner, const Groesse& g) : ordner_(ordner) {
    const fs::path benutzer = ordner / "daten" / "MORVELUNT";
    fs::create_directories(benutzer);
    programm_ordner::BaueAnwendung(ordner / "spiel", MORVELUNT_PROGRAMM, MORVELUNT_BAUVERZEICHNIS);
    std::ofstream(benutzer / "spiel.cfg") << "<config><var name=\"displaywidth\" wert=\"" << g.b
                                          << "\" /><var name=\"displayheight\" wert=\"" << g.h
                                          << "\" /><var name=\"fullscreen\" wert=\"nein\" />"
                                             "<var name=\"vsync\" wert=\"nein\" /></config>\n";
    mkfifo((ordner / "eingabe").c_str(), 0600);
  }
  ~Spielprogramm() {
    if (schreiber_ >= 0) close(schreiber_);
  }
  Spielprogramm(const Spielprogramm&) = delete;
  Spielprogramm& operator=(const Spielprogramm&) = delete;

  Lauf Miss() {
    const auto frist = Uhr::now() + FRIST;
    const int64_t start = Jetzt();
    Kind kind(programm_ordner::Starte(ordner_ / "spiel" / "bin64" / "morvelunt",
                                      {"XDG_DATA_HOME=" + (ordner_ / "daten").string(),
                                       "MORVELUNT_EINGABE=" + (ordner_ / "eingabe").string(),
                                       "MORVELUNT_ZUSTAND=" + (ordner_ / "zustand.txt").string()},
                                      ordner_));
    if (!kind.Gestartet()) return {0, 0, "posix_spawn"};
    // The game opens the FIFO for reading without waiting; opened for writing once it has.
    while (schreiber_ < 0 && Uhr::now() < frist) {
      schreiber_ = open((ordner_ / "eingabe").c_str(), O_WRONLY | O_NONBLOCK);
      if (schreiber_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (schreiber_ < 0) return {0, 0, "the game did not open its input"};
    fcntl(schreiber_, F_SETFL, 0);

    Lauf lauf;
    std::optional<TiXmlDocument> erste = Zustand("zustand\nbild\n", frist);
    if (!erste) return {0, 0, "no first state line"};
    lauf.startMs = double(Zaehler(*erste) - start) * 1e-6;
    for (int ruhig = 0; ruhig < RUHE_LINIEN;) {
      std::optional<TiXmlDocument> z = Zustand("zustand\nbild " + std::to_string(RUHE_SCHRITT) + "\n", frist);
      if (!z) return {0, 0, "the generator did not get idle"};
      const TiXmlElement* generator = z->RootElement()->FirstChildElement("generator");
      ruhig = generator && std::atoi(generator->Attribute("offen")) == 0 ? ruhig + 1 : 0;
    }
    const std::optional<TiXmlDocument> vorher = Zustand("zustand\nbild " + std::to_string(g_bilder) + "\n", frist);
    const std::optional<TiXmlDocument> nachher = Zustand("zustand\nbild\n", frist);
    if (!vorher || !nachher) return {0, 0, "no state line after the frames"};
    lauf.bildMs = double(Zaehler(*nachher) - Zaehler(*vorher)) * 1e-6 / g_bilder;
    Sende("schliessen\n");
    const int status = kind.WarteAufEnde(frist);
    if (status != 0) lauf.fehler = "exit " + std::to_string(status);
    return lauf;
  }

 private:
  void Sende(const std::string& text) {
    for (size_t geschrieben = 0; geschrieben < text.size();) {
      const ssize_t n = write(schreiber_, text.data() + geschrieben, text.size() - geschrieben);
      if (n <= 0) return;
      geschrieben += size_t(n);
    }
  }
  // Sends `befehle` (one of them "zustand") and reads the next state line.
  std::optional<TiXmlDocument> Zustand(const std::string& befehle, Uhr::time_point frist) {
    Sende(befehle);
    ++gelesen_;
    while (Uhr::now() < frist) {
      std::ifstream ein(ordner_ / "zustand.txt");
      size_t nummer = 0;
      for (std::string zeile; std::getline(ein, zeile);)
        if (++nummer == gelesen_) {
          TiXmlDocument dok;
          dok.Parse(zeile.c_str());
          if (dok.RootElement()) return dok;
          return std::nullopt;
        }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return std::nullopt;
  }
  static int64_t Zaehler(const TiXmlDocument& dok) {
    const char* wert = dok.RootElement()->Attribute("zaehler");
    return wert ? std::strtoll(wert, nullptr, 10) : 0;
  }

  fs::path ordner_;
  int schreiber_ = -1;
  size_t gelesen_ = 0;
};

Lauf MissSpiel(const Groesse& g) {
  Ordner ordner;
  if (ordner.Pfad().empty()) return {0, 0, "mkdtemp"};
  Spielprogramm spiel(ordner.Pfad(), g);
  return spiel.Miss();
}

// leeres_fenster W H N: its first swap's CLOCK_MONOTONIC and its mean frame time from its output.
Lauf MissLeeresFenster(const Groesse& g) {
  Ordner ordner;
  if (ordner.Pfad().empty()) return {0, 0, "mkdtemp"};
  const int64_t start = Jetzt();
  Kind kind(programm_ordner::Starte(LEERES_FENSTER, {}, ordner.Pfad(),
                                    {std::to_string(g.b), std::to_string(g.h), std::to_string(g_bilder)}));
  if (!kind.Gestartet()) return {0, 0, "posix_spawn"};
  const int status = kind.WarteAufEnde(Uhr::now() + FRIST);
  if (status != 0) return {0, 0, "leeres_fenster: exit " + std::to_string(status)};
  std::map<std::string, double> werte;
  std::ifstream ein(ordner.Pfad() / "stdout.txt");
  for (std::string name; ein >> name;) ein >> werte[name];
  if (!werte.count("erster_tausch_ns") || !werte.count("bildzeit_ms")) return {0, 0, "leeres_fenster: no figures"};
  return {(werte["erster_tausch_ns"] - double(start)) * 1e-6, werte["bildzeit_ms"], ""};
}

// One run per program and size, shared by its start and its frame row.
const Lauf& Messung(bool spiel, const Groesse& g) {
  static std::map<std::pair<bool, int>, Lauf> laeufe;
  const auto schluessel = std::make_pair(spiel, g.b);
  auto it = laeufe.find(schluessel);
  if (it == laeufe.end()) it = laeufe.emplace(schluessel, spiel ? MissSpiel(g) : MissLeeresFenster(g)).first;
  return it->second;
}

enum Wert { START, BILD };

void Fall(benchmark::State& state, bool spiel, Groesse g, Wert wert) {
  const Lauf& lauf = Messung(spiel, g);
  if (!lauf.fehler.empty()) {
    state.SkipWithError(lauf.fehler.c_str());
    return;
  }
  for (auto _ : state) state.SetIterationTime((wert == START ? lauf.startMs : lauf.bildMs) * 1e-3);
  if (wert == BILD) state.counters["bilder"] = g_bilder;
}

const char* const PROGRAMME[] = {"Basis", "Spiel"};
const char* const WERTE[] = {"Start", "Bild"};

std::string Name(bool spiel, Wert wert, const Groesse& g) {
  return std::string(PROGRAMME[spiel]) + "/" + WERTE[wert] + "/" + std::to_string(g.b) + "x" + std::to_string(g.h);
}

// Keeps each row's time, so that the ratios can be printed after the runs.
class MitVerhaeltnissen : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred) zeiten[r.run_name.function_name] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void DruckeVerhaeltnisse() const {
    std::printf("\ngame / empty window (ms)\n");
    for (const Groesse& g : GROESSEN)
      for (Wert wert : {START, BILD}) {
        const auto s = zeiten.find(Name(true, wert, g)), b = zeiten.find(Name(false, wert, g));
        if (s == zeiten.end() || b == zeiten.end() || b->second <= 0) continue;
        const std::string name = std::string(WERTE[wert]) + "/" + std::to_string(g.b) + "x" + std::to_string(g.h);
        std::printf("  %-16s %10.3f / %8.3f = %8.2f\n", name.c_str(), s->second, b->second, s->second / b->second);
      }
  }

 private:
  std::map<std::string, double> zeiten;
};

std::string ErsteZeile(const char* pfad) {
  std::ifstream ein(pfad);
  std::string zeile = "?";
  std::getline(ein, zeile);
  return zeile;
}

// Takes --bilder N out of the arguments; false when it is not a number from 1 on.
bool LiesBilder(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bilder") != 0) continue;
    if (i + 1 >= argc) return false;
    char* ende = nullptr;
    const long n = std::strtol(argv[i + 1], &ende, 10);
    if (ende == argv[i + 1] || *ende != '\0' || n < 1 || n > 100000) return false;
    g_bilder = int(n);
    for (int j = i; j + 2 <= argc; ++j) argv[j] = argv[j + 2];
    argc -= 2;
    return true;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  if (!LiesBilder(argc, argv)) {
    std::fprintf(stderr, "Aufruf: spiel_bench [--bilder N] [benchmark-Optionen]\n");
    return 2;
  }
  benchmark::Initialize(&argc, argv);
  const char* threads = std::getenv("LP_NUM_THREADS");
  benchmark::AddCustomContext("LP_NUM_THREADS", threads ? threads : "unset (llvmpipe: one per processor)");
  benchmark::AddCustomContext("loadavg", ErsteZeile("/proc/loadavg"));
  benchmark::AddCustomContext("bilder", std::to_string(g_bilder));
  for (const Groesse& g : GROESSEN)
    for (bool spiel : {false, true})
      for (Wert wert : {START, BILD})
        benchmark::RegisterBenchmark(Name(spiel, wert, g).c_str(), Fall, spiel, g, wert)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
  MitVerhaeltnissen reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.DruckeVerhaeltnisse();
  benchmark::Shutdown();
  return 0;
}
