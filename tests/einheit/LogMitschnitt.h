#pragma once
// Starts the global log into a temporary folder and records every line it dispatches on the main
// thread after its start lines (without the time and thread prefix, without the newline). Closes
// the log at the end.
#include <string>
#include <string_view>
#include <vector>

#include "EigenerOrdner.h"
#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"

class LogMitschnitt : public Zarvo_KonsoleBasisAnzeige {
 public:
  LogMitschnitt() : Zarvo_KonsoleBasisAnzeige(&g_Log) {
    g_Log.Starte(ordner.Pfad(), "test.log");
    zeilen.clear();
  }
  ~LogMitschnitt() override {
    g_tDebug.boolWert = debugVorher;
    g_Log.Schliesse();
  }

  void NeueZeile(std::string_view zeile) override {
    const size_t praefix = zeile.find("): ");
    std::string_view text = praefix == std::string_view::npos ? zeile : zeile.substr(praefix + 3);
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    zeilen.emplace_back(text);
  }
  // The console's input line as the game asks for it: closed unless a test opens it.
  bool GibZustand() override { return konsoleOffen; }

  bool Enthaelt(const std::string& zeile) const {
    for (const std::string& z : zeilen)
      if (z == zeile) return true;
    return false;
  }

  // Number of lines containing `teil`.
  size_t Anzahl(std::string_view teil) const {
    size_t anzahl = 0;
    for (const std::string& z : zeilen)
      if (z.find(teil) != std::string::npos) ++anzahl;
    return anzahl;
  }
  bool EnthaeltTeil(std::string_view teil) const { return Anzahl(teil) > 0; }
  // Switches "t_debug" for the test; restored at the end.
  void Debug(bool an) { g_tDebug.boolWert = an; }

  std::vector<std::string> zeilen;
  bool konsoleOffen = false;

 private:
  EigenerOrdner ordner;
  bool debugVorher = g_tDebug.boolWert;
};
