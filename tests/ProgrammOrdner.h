#pragma once
// What the tests and benchmarks that run the real program share: reading a file whole, a file's
// inode, the application folder of one run (bin64/ with a copy of the program, Daten linking the
// built files but szene.dat, which is copied so that a run may replace it), and starting it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace programm_ordner {

inline std::string LiesDatei(const std::filesystem::path& datei) {
  std::ifstream ein(datei, std::ios::binary);
  std::ostringstream inhalt;
  inhalt << ein.rdbuf();
  return inhalt.str();
}

// 0 when the file does not exist.
inline ino_t Inode(const std::filesystem::path& datei) {
  struct stat info {};
  return ::stat(datei.c_str(), &info) == 0 ? info.st_ino : 0;
}

inline void BaueAnwendung(const std::filesystem::path& anwendung, const std::filesystem::path& programm,
                          const std::filesystem::path& bauVerzeichnis) {
  namespace fs = std::filesystem;
  fs::create_directories(anwendung / "bin64");
  fs::create_directories(anwendung / "Daten");
  fs::copy_file(programm, anwendung / "bin64" / "morvelunt");
  const fs::path gebaut = bauVerzeichnis / "Daten";
  for (const auto& eintrag : fs::directory_iterator(gebaut))
    if (eintrag.path().filename() != "szene.dat") fs::create_symlink(eintrag.path(), anwendung / "Daten" / eintrag.path().filename());
  fs::copy_file(gebaut / "szene.dat", anwendung / "Daten" / "szene.dat");
}

// Starts `programm` with this process's environment but for XDG_DATA_HOME and the MORVELUNT_
// variables, then with `zusatz` ("NAME=wert") and the arguments `argumente`; stdout and stderr go
// to files in `ausgabe`. The child's pid, or 0 when it could not be started.
inline pid_t Starte(const std::filesystem::path& programm, const std::vector<std::string>& zusatz,
                    const std::filesystem::path& ausgabe, std::vector<std::string> argumente = {}) {
  std::vector<std::string> umgebung;
  for (char** e = environ; *e; ++e) {
    const std::string eintrag = *e;
    if (eintrag.rfind("XDG_DATA_HOME=", 0) != 0 && eintrag.rfind("MORVELUNT_", 0) != 0) umgebung.push_back(eintrag);
  }
  umgebung.insert(umgebung.end(), zusatz.begin(), zusatz.end());
  std::vector<char*> zeiger;
  for (std::string& e : umgebung) zeiger.push_back(e.data());
  zeiger.push_back(nullptr);
  posix_spawn_file_actions_t aktionen;
  posix_spawn_file_actions_init(&aktionen);
  posix_spawn_file_actions_addopen(&aktionen, 1, (ausgabe / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&aktionen, 2, (ausgabe / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::string pfad = programm.string();
  std::vector<char*> argv = {pfad.data()};
  for (std::string& a : argumente) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t kind = 0;
  if (posix_spawn(&kind, pfad.c_str(), &aktionen, nullptr, argv.data(), zeiger.data()) != 0) kind = 0;
  posix_spawn_file_actions_destroy(&aktionen);
  return kind;
}

// Kills and reaps the child if it is still running; 0 after.
inline void BeendeKind(pid_t& kind) {
  if (kind > 0) {
    kill(kind, SIGKILL);
    waitpid(kind, nullptr, 0);
  }
  kind = 0;
}

// The last 4000 characters of the run's log in the user-data folder `benutzer`.
inline std::string LogEnde(const std::filesystem::path& benutzer) {
  const std::string log = LiesDatei(benutzer / "spiel.log");
  return log.size() > 4000 ? log.substr(log.size() - 4000) : log;
}

}  // namespace programm_ordner
