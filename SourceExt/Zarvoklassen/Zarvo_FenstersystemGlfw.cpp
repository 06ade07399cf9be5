#include "Zarvo_FenstersystemGlfw.h"

#include <GLFW/glfw3.h>

#include <string>

#include "Plattform/d3d9/gl33/Gl33.h"
#include "Zarvo_Start.h"

namespace {

// GLFW calls back without a user pointer of ours for errors; the window callbacks of the one
// window read these.
Zarvo_Fenstersystem::Rueckrufe g_rueckrufe;
std::string g_letzterFehler;

void MeldeFehler(int code, const char* text) {
  g_Log.Schreibe("!  Fehler %d: %s", code, text);
  g_letzterFehler = std::to_string(code) + ": " + (text ? text : "");
}

GLFWwindow* Glfw(Zarvo_Fenstersystem::Fenster fenster) { return static_cast<GLFWwindow*>(fenster); }

Zarvo_Fenstersystem::Modus AlsModus(const GLFWvidmode& m) {
  return {uint32_t(m.width), uint32_t(m.height), uint32_t(m.redBits), uint32_t(m.greenBits), uint32_t(m.blueBits),
          uint32_t(m.refreshRate)};
}

int Rate(uint32_t rate) { return rate == 0 ? GLFW_DONT_CARE : int(rate); }

}  // namespace

bool Zarvo_FenstersystemGlfw::Init() {
  g_letzterFehler.clear();
  glfwSetErrorCallback(MeldeFehler);
  return glfwInit() == GLFW_TRUE;
}

std::string Zarvo_FenstersystemGlfw::LetzterFehler() { return g_letzterFehler; }

void Zarvo_FenstersystemGlfw::Beende() { glfwTerminate(); }

bool Zarvo_FenstersystemGlfw::HatMonitor() { return glfwGetPrimaryMonitor() != nullptr; }

bool Zarvo_FenstersystemGlfw::AktuellerModus(Modus& modus) {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* m = monitor ? glfwGetVideoMode(monitor) : nullptr;
  if (m == nullptr) return false;
  modus = AlsModus(*m);
  return true;
}

std::vector<Zarvo_Fenstersystem::Modus> Zarvo_FenstersystemGlfw::Modi() {
  std::vector<Modus> modi;
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  int anzahl = 0;
  const GLFWvidmode* m = monitor ? glfwGetVideoModes(monitor, &anzahl) : nullptr;
  for (int i = 0; m && i < anzahl; ++i) modi.push_back(AlsModus(m[i]));
  return modi;
}

void Zarvo_FenstersystemGlfw::SetzeHinweise(const Hinweise& h) {
  glfwDefaultWindowHints();
  // Context version, profile, depth and stencil as the device needs them.
  d3d9::gl33::SetzeFensterHinweise();
  glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
  glfwWindowHint(GLFW_RED_BITS, int(h.rot));
  glfwWindowHint(GLFW_GREEN_BITS, int(h.gruen));
  glfwWindowHint(GLFW_BLUE_BITS, int(h.blau));
  glfwWindowHint(GLFW_DECORATED, h.rahmen ? GLFW_TRUE : GLFW_FALSE);
  glfwWindowHint(GLFW_REFRESH_RATE, Rate(h.rate));
}

Zarvo_Fenstersystem::Fenster Zarvo_FenstersystemGlfw::ErzeugeFenster(uint32_t breite, uint32_t hoehe, const char* titel, bool vollbild) {
  GLFWwindow* fenster = glfwCreateWindow(int(breite), int(hoehe), titel, vollbild ? glfwGetPrimaryMonitor() : nullptr, nullptr);
  // The device draws on the context of its focus window, which must be current.
  if (fenster) glfwMakeContextCurrent(fenster);
  return fenster;
}

bool Zarvo_FenstersystemGlfw::KontextAktuell(Fenster fenster) { return glfwGetCurrentContext() == Glfw(fenster); }

void Zarvo_FenstersystemGlfw::ZerstoereFenster(Fenster fenster) { glfwDestroyWindow(Glfw(fenster)); }

void Zarvo_FenstersystemGlfw::SetzeMonitor(Fenster fenster, bool vollbild, int x, int y, uint32_t breite, uint32_t hoehe,
                                          uint32_t rate) {
  glfwSetWindowMonitor(Glfw(fenster), vollbild ? glfwGetPrimaryMonitor() : nullptr, x, y, int(breite), int(hoehe), Rate(rate));
}

void Zarvo_FenstersystemGlfw::InhaltsGroesse(Fenster fenster, uint32_t& breite, uint32_t& hoehe) {
  int w = 0, h = 0;
  glfwGetWindowSize(Glfw(fenster), &w, &h);
  breite = uint32_t(w);
  hoehe = uint32_t(h);
}

void Zarvo_FenstersystemGlfw::SetzeGroesse(Fenster fenster, uint32_t breite, uint32_t hoehe) {
  glfwSetWindowSize(Glfw(fenster), int(breite), int(hoehe));
}

bool Zarvo_FenstersystemGlfw::IstIkonisiert(Fenster fenster) { return glfwGetWindowAttrib(Glfw(fenster), GLFW_ICONIFIED) == GLFW_TRUE; }

bool Zarvo_FenstersystemGlfw::HatFokus(Fenster fenster) { return glfwGetWindowAttrib(Glfw(fenster), GLFW_FOCUSED) == GLFW_TRUE; }

void Zarvo_FenstersystemGlfw::SetzeRueckrufe(Fenster fenster, const Rueckrufe& rueckrufe) {
  g_rueckrufe = rueckrufe;
  GLFWwindow* w = Glfw(fenster);
  glfwSetWindowIconifyCallback(w, [](GLFWwindow*, int ja) {
    if (g_rueckrufe.ikonisiert) g_rueckrufe.ikonisiert(ja == GLFW_TRUE);
  });
  glfwSetWindowFocusCallback(w, [](GLFWwindow*, int ja) {
    if (g_rueckrufe.fokus) g_rueckrufe.fokus(ja == GLFW_TRUE);
  });
  glfwSetWindowSizeCallback(w, [](GLFWwindow*, int breite, int hoehe) {
    if (g_rueckrufe.groesse) g_rueckrufe.groesse(breite, hoehe);
  });
  glfwSetWindowCloseCallback(w, [](GLFWwindow*) {
    if (g_rueckrufe.schliessen) g_rueckrufe.schliessen();
  });
}

void Zarvo_FenstersystemGlfw::SetzeMausSichtbar(Fenster fenster, bool sichtbar) {
  glfwSetInputMode(Glfw(fenster), GLFW_CURSOR, sichtbar ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

void Zarvo_FenstersystemGlfw::Abfragen() { glfwPollEvents(); }
