#pragma once
// Test helpers around the log: a temporary folder of the test's own, a display that records
// every line, and a started global log that is closed again at the end of the test.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "EigenerOrdner.h"
#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"

namespace testhilfe {

using TempOrdner = ::EigenerOrdner;
using ::LiesDatei;
using ::SchreibeDatei;

// The message of a log line: the text behind the "(tXXXX): " prefix, without the newline.
inline std::string NachrichtVon(std::string_view zeile) {
  const size_t ende = zeile.find("): ");
  std::string_view nachricht = ende == std::string_view::npos ? zeile : zeile.substr(ende + 3);
  if (!nachricht.empty() && nachricht.back() == '\n') nachricht.remove_suffix(1);
  return std::string(nachricht);
}

// Records every line the log hands to its display.
class Mitschnitt : public Zarvo_KonsoleBasisAnzeige {
 public:
  explicit Mitschnitt(Zarvo_Log* log) : Zarvo_KonsoleBasisAnzeige(log) {}

  void NeueZeile(std::string_view zeile) override { zeilen.emplace_back(zeile); }
  bool GibZustand() override { return false; }

  // The messages received so far.
  std::vector<std::string> Nachrichten() const {
    std::vector<std::string> ergebnis;
    for (const std::string& zeile : zeilen) ergebnis.push_back(NachrichtVon(zeile));
    return ergebnis;
  }
  bool Enthaelt(std::string_view nachricht) const {
    for (const std::string& zeile : zeilen)
      if (NachrichtVon(zeile) == nachricht) return true;
    return false;
  }
  void Leere() { zeilen.clear(); }

  std::vector<std::string> zeilen;
};

// The global log, started in a temporary folder with a recording display; closed at the end.
class GestarteterLog {
 public:
  GestarteterLog() : anzeige(&g_Log) { g_Log.Starte(ordner.Pfad(), "spiel.log"); }
  ~GestarteterLog() { g_Log.Schliesse(); }

  TempOrdner ordner;
  Mitschnitt anzeige;
};

}  // namespace testhilfe
