#pragma once
// Opening what needs the X display, for every display test and the programs they start. Only a
// refused connection is tried again: an X server that resets when its last client has gone
// (Xvfb without -noreset; the test command starts its own with -noreset) refuses the connections
// that come meanwhile, and the window system reports "Failed to open display". Each retry is said
// on stderr; any other failure fails at once.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace anzeige {

constexpr int OEFFNEN_VERSUCHE = 20;
constexpr std::chrono::milliseconds OEFFNEN_PAUSE{100};

inline bool IstAbweisung(const std::string& meldung) { return meldung.find("Failed to open display") != std::string::npos; }

// `versuch` opens and answers true, or leaves the window system's message of the failure in
// `meldung` and answers false.
inline bool MitWiederholung(const char* was, const std::function<bool(std::string& meldung)>& versuch) {
  for (int nummer = 1;; ++nummer) {
    std::string meldung;
    if (versuch(meldung)) return true;
    if (!IstAbweisung(meldung) || nummer == OEFFNEN_VERSUCHE) {
      std::fprintf(stderr, "%s gescheitert: %s\n", was, meldung.empty() ? "(keine Meldung)" : meldung.c_str());
      return false;
    }
    std::fprintf(stderr, "%s: die X-Anzeige weist die Verbindung ab (%s), Versuch %d von %d\n", was, meldung.c_str(),
                 nummer + 1, OEFFNEN_VERSUCHE);
    std::this_thread::sleep_for(OEFFNEN_PAUSE);
  }
}

}  // namespace anzeige
