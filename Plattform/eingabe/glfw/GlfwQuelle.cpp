#include "Plattform/eingabe/glfw/GlfwQuelle.h"

#include <GLFW/glfw3.h>

#include <algorithm>

#include "Plattform/eingabe/Aufnahme.h"

namespace eingabe {
namespace {

GLFWwindow* Fenster(void* fenster) { return static_cast<GLFWwindow*>(fenster); }

void BeiTaste(GLFWwindow*, int taste, int scancode, int aktion, int) { Taste(taste, scancode, aktion); }
void BeiZeichen(GLFWwindow*, unsigned int codepoint) { Zeichen(codepoint); }
void BeiKnopf(GLFWwindow*, int knopf, int aktion, int) { Knopf(knopf, aktion); }
void BeiRollen(GLFWwindow*, double x, double y) { Rollen(x, y); }
void BeiCursor(GLFWwindow*, double x, double y) { Cursor(x, y); }

}  // namespace

bool GlfwQuelle::FensterGueltig(void* fenster) { return fenster != nullptr; }

void GlfwQuelle::HaengeRueckrufeAn(void* fenster) {
  glfwSetKeyCallback(Fenster(fenster), BeiTaste);
  glfwSetCharCallback(Fenster(fenster), BeiZeichen);
  glfwSetMouseButtonCallback(Fenster(fenster), BeiKnopf);
  glfwSetScrollCallback(Fenster(fenster), BeiRollen);
  glfwSetCursorPosCallback(Fenster(fenster), BeiCursor);
}

void GlfwQuelle::LoeseRueckrufe(void* fenster) {
  glfwSetKeyCallback(Fenster(fenster), nullptr);
  glfwSetCharCallback(Fenster(fenster), nullptr);
  glfwSetMouseButtonCallback(Fenster(fenster), nullptr);
  glfwSetScrollCallback(Fenster(fenster), nullptr);
  glfwSetCursorPosCallback(Fenster(fenster), nullptr);
}

void GlfwQuelle::LiesCursor(void* fenster, double& x, double& y) { glfwGetCursorPos(Fenster(fenster), &x, &y); }

void GlfwQuelle::SetzeCursor(void* fenster, double x, double y) { glfwSetCursorPos(Fenster(fenster), x, y); }

void GlfwQuelle::FensterPosition(void* fenster, int& x, int& y) { glfwGetWindowPos(Fenster(fenster), &x, &y); }

void GlfwQuelle::FensterGroesse(void* fenster, int& breite, int& hoehe) {
  glfwGetWindowSize(Fenster(fenster), &breite, &hoehe);
}

void GlfwQuelle::FensterRahmen(void* fenster, int& links, int& oben, int& rechts, int& unten) {
  glfwGetWindowFrameSize(Fenster(fenster), &links, &oben, &rechts, &unten);
}

std::string GlfwQuelle::TastenName(int glfwTaste) {
  const char* name = glfwGetKeyName(glfwTaste, 0);
  return name ? name : "";
}

bool GlfwQuelle::JoystickDa(int jid) { return glfwJoystickPresent(jid) == GLFW_TRUE; }

bool GlfwQuelle::IstGamepad(int jid) { return glfwJoystickIsGamepad(jid) == GLFW_TRUE; }

std::string GlfwQuelle::JoystickGuid(int jid) {
  const char* guid = glfwGetJoystickGUID(jid);
  return guid ? guid : "";
}

std::vector<float> GlfwQuelle::JoystickAchsen(int jid) {
  int anzahl = 0;
  const float* achsen = glfwGetJoystickAxes(jid, &anzahl);
  return achsen ? std::vector<float>(achsen, achsen + anzahl) : std::vector<float>();
}

std::vector<unsigned char> GlfwQuelle::JoystickKnoepfe(int jid) {
  int anzahl = 0;
  const unsigned char* knoepfe = glfwGetJoystickButtons(jid, &anzahl);
  return knoepfe ? std::vector<unsigned char>(knoepfe, knoepfe + anzahl) : std::vector<unsigned char>();
}

int GlfwQuelle::JoystickHats(int jid) {
  int anzahl = 0;
  glfwGetJoystickHats(jid, &anzahl);
  return anzahl;
}

bool GlfwQuelle::GamepadZustand(int jid, PadZustand& zustand) {
  GLFWgamepadstate pad;
  if (glfwGetGamepadState(jid, &pad) != GLFW_TRUE) return false;
  std::copy(std::begin(pad.buttons), std::end(pad.buttons), zustand.knoepfe);
  std::copy(std::begin(pad.axes), std::end(pad.axes), zustand.achsen);
  return true;
}

}  // namespace eingabe
