// Prints the input devices of a 640x480 window and one line per handler call, for checking
// keyboards, mice and pads by hand. Close the window to end.
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "Oprix.h"

namespace {

const char* Art(OPRIX::Device* d) {
  if (dynamic_cast<OPRIX::Mouse*>(d)) return "mouse";
  if (dynamic_cast<OPRIX::Keyboard*>(d)) return "keyboard";
  return "joystick";
}

class Monitor : public OPRIX::InputHandler {
 public:
  bool HandleButton(OPRIX::Device* d, int b, bool p) override { return Zeile(1, d, b, 0, p); }
  bool HandleMouseMove(OPRIX::Mouse* m, float x, float y) override {
    std::printf("2 %s %d move %.0f %.0f\n", Art(m), m->Index(), x, y);
    return false;
  }
  bool HandleMouseButton(OPRIX::Mouse* m, int b, bool p) override { return Zeile(3, m, b, 0, p); }
  bool HandleWheel(OPRIX::Mouse* m, float delta) override {
    std::printf("4 %s %d wheel %.0f\n", Art(m), m->Index(), delta);
    return false;
  }
  bool HandleText(OPRIX::Device* d, unsigned c) override { return Zeile(7, d, 0, c, true); }
  bool HandleUnusedButton(OPRIX::Device* d, int b, bool p) override { return Zeile(8, d, b, 0, p); }
  bool HandleUnusedAxis(OPRIX::Device* d, int a, float v) override {
    std::printf("9 %s %d axis %d value %.3f\n", Art(d), d->Index(), a, v);
    return false;
  }

 private:
  static bool Zeile(int slot, OPRIX::Device* d, int code, unsigned text, bool p) {
    std::printf("%d %s %d code %d text U+%04X value %d\n", slot, Art(d), d->Index(), code, text, p ? 1 : 0);
    std::fflush(stdout);
    return false;
  }
};

}  // namespace

int main() {
  if (!glfwInit()) {
    std::fprintf(stderr, "GLFW could not start (is DISPLAY set?)\n");
    return 1;
  }
  glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
  GLFWwindow* fenster = glfwCreateWindow(640, 480, "eingabe_monitor", nullptr, nullptr);
  if (!fenster) {
    std::fprintf(stderr, "the window could not be opened\n");
    glfwTerminate();
    return 1;
  }
  OPRIX::SetLogHook([](const char* zeile) { std::printf("log: %s\n", zeile); });
  OPRIX::SetEventPump(&glfwPollEvents);
  glfwSetWindowFocusCallback(fenster, [](GLFWwindow*, int fokus) { OPRIX::NoteWindowFocus(fokus == GLFW_TRUE); });
  glfwSetWindowIconifyCallback(fenster, [](GLFWwindow*, int ikon) { OPRIX::NoteWindowFocus(ikon != GLFW_TRUE); });
  if (!OPRIX::OpenWindowInput(fenster)) {
    glfwDestroyWindow(fenster);
    glfwTerminate();
    return 1;
  }
  for (OPRIX::Device* d : OPRIX::gInputSystem->Devices())
    std::printf("device %d: %s %d, %d buttons, %d axes\n", d->Id(), Art(d), d->Index(), d->ButtonCount(), d->AxisCount());
  std::fflush(stdout);
  Monitor monitor;
  OPRIX::gInputSystem->handler = &monitor;
  while (!glfwWindowShouldClose(fenster)) {
    OPRIX::gInputSystem->Refresh();
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(16));
  }
  OPRIX::CloseInput();
  glfwDestroyWindow(fenster);
  glfwTerminate();
  return 0;
}
