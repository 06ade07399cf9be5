#pragma once
// Runs one crash case in a forked child and collects what it left: exit status, log, stderr and
// the user-data folder with the dump.
//
// The child sets no core limit, sends stderr into the case's folder, makes the folder its
// user-data folder, starts the log there and installs the crash handler afresh over the default
// dispositions (so that a sanitizer's handler is not the one it hands on to). Then it runs the
// case and exits with 0. The parent waits at most 20 s.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Gabel {

struct Optionen {
  bool logStarten = true;
  // Runs in the child after the set-up, before the case (for example to move the dump).
  std::function<void(const std::filesystem::path& ordner)> vorbereiten;
};

struct Ergebnis {
  bool haengt = false;
  int status = 0;  // as from waitpid
  pid_t kind = 0;
  std::filesystem::path ordner;
  std::string log;          // spiel.log, empty when missing
  std::string fehlerStrom;  // the child's stderr
  bool hatLog = false;
  std::shared_ptr<void> aufraeumen;  // removes the folder at the end, unless the test failed
  std::filesystem::path dump() const { return ordner / "MiniDump.dmp"; }
};

// A new temporary folder for one case.
std::filesystem::path NeuerOrdner();

Ergebnis FuehreAus(const std::function<void()>& fall, const Optionen& optionen = {});

// Runs a program with extra environment entries; stderr and stdout into `ordner`.
Ergebnis StarteProgramm(const std::string& programm, const std::vector<std::string>& argumente,
                        const std::vector<std::string>& umgebung, const std::filesystem::path& ordner);

std::string LiesDatei(const std::filesystem::path& pfad, bool* vorhanden = nullptr);

// The fatal signals the handler catches, set to their defaults.
void SetzeSignaleZurueck();

}  // namespace Gabel
