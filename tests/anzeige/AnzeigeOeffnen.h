#pragma once
// Opening what needs the X display, for every display test. Only a refused connection is tried
// again: an X server that resets when its last client has gone (Xvfb without -noreset; the test
// command starts its own with -noreset) refuses the connections that come meanwhile, and the
// window system reports "Failed to open display". Each retry is said on stderr; any other failure
// fails at once.
#include <GLFW/glfw3.h>

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

namespace detail {
inline std::string* g_glfwMeldung = nullptr;
inline GLFWerrorfun g_vorherigerRueckruf = nullptr;
// Keeps GLFW's error text for the retry and passes it on to the callback that was set before.
inline void MerkeGlfwFehler(int code, const char* text) {
  if (g_glfwMeldung) *g_glfwMeldung = std::to_string(code) + ": " + (text ? text : "");
  if (g_vorherigerRueckruf) g_vorherigerRueckruf(code, text);
}
}  // namespace detail

inline bool GlfwInit() {
  return MitWiederholung("glfwInit", [](std::string& meldung) {
    detail::g_glfwMeldung = &meldung;
    detail::g_vorherigerRueckruf = glfwSetErrorCallback(detail::MerkeGlfwFehler);
    const bool offen = glfwInit() == GLFW_TRUE;
    glfwSetErrorCallback(detail::g_vorherigerRueckruf);
    detail::g_glfwMeldung = nullptr;
    return offen;
  });
}

}  // namespace anzeige
