#pragma once
// Records the log's lines (without their time prefix and newline) from its construction on.
// Starts the log first when it is not running, so lines reach the display at once.
#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"

#include <filesystem>
#include <string>
#include <vector>

class LogMitschrift : public Zarvo_KonsoleBasisAnzeige {
 public:
  LogMitschrift() : Zarvo_KonsoleBasisAnzeige(&g_Log) {
    if (!g_Log.IstAktiv()) g_Log.Starte(std::filesystem::temp_directory_path(), "morvelunt_test.log");
    zeilen.clear();
  }
  void NeueZeile(std::string_view zeile) override {
    size_t start = zeile.find("): ");
    std::string_view text = start == std::string_view::npos ? zeile : zeile.substr(start + 3);
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    zeilen.emplace_back(text);
  }
  bool GibZustand() override { return false; }

  std::vector<std::string> zeilen;
};
