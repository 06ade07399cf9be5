#pragma once
// The program's test hooks, each off unless its environment variable is set:
//   MORVELUNT_TAKT=<Hz>         a fixed frame clock (Takt.h) of 1..1000 frames per second, stepped
//                               at each Present of the device
//   MORVELUNT_EINGABE=<Datei>   keyboard and mouse from a script (Drehbuch.h), a file or a FIFO
//   MORVELUNT_ZUSTAND=<Datei>   the state file (Zustandsausgabe.h) that the script's "zustand"
//                               asks a line of
#include <functional>
#include <string>

namespace eingabe {
class Drehbuch;
}

namespace pruefbetrieb {

inline constexpr const char* VARIABLE_TAKT = "MORVELUNT_TAKT";
inline constexpr const char* VARIABLE_EINGABE = "MORVELUNT_EINGABE";
inline constexpr const char* VARIABLE_ZUSTAND = "MORVELUNT_ZUSTAND";

using Meldung = std::function<void(const std::string& zeile)>;

// Reads the three variables and switches on the hooks they set; each one on writes a line to
// `meldung`, which also takes the script's log lines. Returns "" or the error of the first bad
// variable (a rate that is no number or not in 1..1000, a file that cannot be opened), which
// names the variable; then no hook is on.
std::string SchalteEin(Meldung meldung);
// Every hook off: the real counter, the GLFW input, no state file.
void SchalteAus();
// The script while MORVELUNT_EINGABE is on, else null.
eingabe::Drehbuch* AktivesDrehbuch();

}  // namespace pruefbetrieb
