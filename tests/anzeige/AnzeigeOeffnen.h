#pragma once
// glfwInit for the display tests, with the retry of AnzeigeWiederholung.h: GLFW's error text
// decides whether the X server refused the connection.
#include <GLFW/glfw3.h>

#include <string>

#include "AnzeigeWiederholung.h"

namespace anzeige {

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
