#include "absturz/gabel.h"

#include "Zarvo_AbsturzFilter.h"
#include "Zarvo_Start.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace Gabel {

namespace {

constexpr auto HOECHSTENS = std::chrono::seconds(20);

void LenkeFehlerStromUm(const std::filesystem::path& ordner) {
  int datei = open((ordner / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (datei >= 0) dup2(datei, 2);
  int ausgabe = open((ordner / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (ausgabe >= 0) dup2(ausgabe, 1);
}

void OhneKernDatei() {
  rlimit grenze{0, 0};
  setrlimit(RLIMIT_CORE, &grenze);
}

Ergebnis Warte(pid_t kind, const std::filesystem::path& ordner) {
  Ergebnis ergebnis;
  ergebnis.kind = kind;
  ergebnis.ordner = ordner;
  auto ende = std::chrono::steady_clock::now() + HOECHSTENS;
  for (;;) {
    pid_t fertig = waitpid(kind, &ergebnis.status, WNOHANG);
    if (fertig == kind) break;
    if (std::chrono::steady_clock::now() > ende) {
      kill(kind, SIGKILL);
      waitpid(kind, &ergebnis.status, 0);
      ergebnis.haengt = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ergebnis.aufraeumen = std::shared_ptr<void>(nullptr, [ordner](void*) {
    std::error_code fehler;
    if (!testing::Test::HasFailure()) std::filesystem::remove_all(ordner, fehler);
  });
  ergebnis.log = LiesDatei(ordner / "spiel.log", &ergebnis.hatLog);
  ergebnis.fehlerStrom = LiesDatei(ordner / "stderr.txt");
  return ergebnis;
}

}  // namespace

std::filesystem::path NeuerOrdner() {
  std::string vorlage = (std::filesystem::temp_directory_path() / "absturz-XXXXXX").string();
  std::vector<char> puffer(vorlage.begin(), vorlage.end());
  puffer.push_back('\0');
  if (!mkdtemp(puffer.data())) abort();
  return std::filesystem::path(puffer.data());
}

std::string LiesDatei(const std::filesystem::path& pfad, bool* vorhanden) {
  std::ifstream datei(pfad, std::ios::binary);
  if (vorhanden) *vorhanden = bool(datei);
  std::ostringstream inhalt;
  inhalt << datei.rdbuf();
  return inhalt.str();
}

void SetzeSignaleZurueck() {
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP, SIGABRT, SIGSYS}) std::signal(signal, SIG_DFL);
}

Ergebnis FuehreAus(const std::function<void()>& fall, const Optionen& optionen) {
  std::filesystem::path ordner = NeuerOrdner();
  fflush(nullptr);
  pid_t kind = fork();
  if (kind == 0) {
    OhneKernDatei();
    LenkeFehlerStromUm(ordner);
    g_System.benutzerDaten = ordner;
    if (optionen.logStarten) g_Log.Starte(ordner, "spiel.log");
    EntferneAbsturzFilter();
    SetzeSignaleZurueck();
    InstalliereAbsturzFilter();
    if (optionen.vorbereiten) optionen.vorbereiten(ordner);
    fall();
    _exit(0);
  }
  return Warte(kind, ordner);
}

Ergebnis StarteProgramm(const std::string& programm, const std::vector<std::string>& argumente,
                        const std::vector<std::string>& umgebung, const std::filesystem::path& ordner) {
  fflush(nullptr);
  pid_t kind = fork();
  if (kind == 0) {
    OhneKernDatei();
    LenkeFehlerStromUm(ordner);
    for (const std::string& eintrag : umgebung) putenv(const_cast<char*>(eintrag.c_str()));
    std::vector<char*> argv{const_cast<char*>(programm.c_str())};
    for (const std::string& argument : argumente) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(programm.c_str(), argv.data());
    _exit(127);
  }
  return Warte(kind, ordner);
}

}  // namespace Gabel
