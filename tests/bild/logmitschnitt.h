#pragma once
// Collects the log lines written on the main thread while it exists (the log is started once).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"

class LogMitschnitt : public Zarvo_KonsoleBasisAnzeige {
 public:
  LogMitschnitt() : Zarvo_KonsoleBasisAnzeige(&StarteLog()) {}
  void NeueZeile(std::string_view zeile) override { zeilen.emplace_back(zeile); }
  bool GibZustand() override { return false; }

  bool Enthaelt(std::string_view text) const {
    for (const std::string& zeile : zeilen)
      if (zeile.find(text) != std::string::npos) return true;
    return false;
  }
  std::string Alles() const {
    std::string text;
    for (const std::string& zeile : zeilen) text += zeile;
    return text;
  }
  void Leere() { zeilen.clear(); }

  std::vector<std::string> zeilen;

 private:
  static Zarvo_Log& StarteLog() {
    if (!g_Log.IstAktiv()) g_Log.Starte(std::filesystem::temp_directory_path(), "morvelunt_bild_test.log");
    return g_Log;
  }
};
