#pragma once
// The back end on GLFW 3.3: the screen's window (GLFWwindow*, GLFW initialised by the screen) and
// GLFW's joysticks. Its callbacks only feed the intake.
#include "Plattform/eingabe/Quelle.h"

namespace eingabe {

class GlfwQuelle final : public Quelle {
 public:
  bool FensterGueltig(void* fenster) override;
  void HaengeRueckrufeAn(void* fenster) override;
  void LoeseRueckrufe(void* fenster) override;
  void LiesCursor(void* fenster, double& x, double& y) override;
  void SetzeCursor(void* fenster, double x, double y) override;
  void FensterPosition(void* fenster, int& x, int& y) override;
  void FensterGroesse(void* fenster, int& breite, int& hoehe) override;
  void FensterRahmen(void* fenster, int& links, int& oben, int& rechts, int& unten) override;
  std::string TastenName(int glfwTaste) override;
  bool JoystickDa(int jid) override;
  bool IstGamepad(int jid) override;
  std::string JoystickGuid(int jid) override;
  std::vector<float> JoystickAchsen(int jid) override;
  std::vector<unsigned char> JoystickKnoepfe(int jid) override;
  int JoystickHats(int jid) override;
  bool GamepadZustand(int jid, PadZustand& zustand) override;
};

}  // namespace eingabe
