#pragma once
// Captures the log's lines in a test: starts the log once (file in a temporary folder) and
// collects every line written while the object lives. `t_debug` can be switched for a case.
#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"

class LogMitschnitt : public Zarvo_KonsoleBasisAnzeige {
 public:
  LogMitschnitt() : Zarvo_KonsoleBasisAnzeige(&g_Log) {
    if (!g_Log.IstAktiv()) g_Log.Starte(std::filesystem::temp_directory_path(), "morvelunt-test.log");
    zeilen.clear();
    debugVorher = g_tDebug.boolWert;
  }
  ~LogMitschnitt() override { g_tDebug.boolWert = debugVorher; }

  void NeueZeile(std::string_view zeile) override { zeilen.emplace_back(zeile); }
  bool GibZustand() override { return false; }

  // Number of lines that contain `teil`.
  size_t Anzahl(std::string_view teil) const {
    return size_t(std::count_if(zeilen.begin(), zeilen.end(),
                                [&](const std::string& z) { return z.find(teil) != std::string::npos; }));
  }
  bool Enthaelt(std::string_view teil) const { return Anzahl(teil) > 0; }
  void Debug(bool an) { g_tDebug.boolWert = an; }

  std::vector<std::string> zeilen;

 private:
  bool debugVorher = false;
};

// A fresh temporary folder, removed at the end.
class TempOrdner {
 public:
  explicit TempOrdner(const std::string& name)
      : pfad(std::filesystem::temp_directory_path() / ("morvelunt-" + name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(pfad);
    std::filesystem::create_directories(pfad);
  }
  ~TempOrdner() {
    std::error_code fehler;
    std::filesystem::permissions(pfad, std::filesystem::perms::owner_all, fehler);
    std::filesystem::remove_all(pfad, fehler);
  }
  std::filesystem::path pfad;
};
