// leeres_fenster [Breite Hoehe [Bilder]]: the baseline of the game's start and frame figures. A
// GLFW window of that size (default 1280 x 720) with an OpenGL 3.3 core context that only clears
// and presents, vsync off. It prints, one value per line:
//   erster_tausch_ns   CLOCK_MONOTONIC when the first glfwSwapBuffers returned, so a program
//                      that started it can take its own start-to-first-swap time
//   start_ms           from the start of main to the first swap
//   bildzeit_ms        mean frame time over `Bilder` frames (default 200) after 10 warm-up frames
// Needs DISPLAY; exit code 1 when no window or context could be made, 2 on wrong use.
#include <epoxy/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int AUFWAERMEN = 10;

int64_t Jetzt() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

bool LiesZahl(const char* text, int min, int max, int& wert) {
  char* ende = nullptr;
  const long zahl = std::strtol(text, &ende, 10);
  if (ende == text || *ende != '\0' || zahl < min || zahl > max) return false;
  wert = int(zahl);
  return true;
}

void Bild(GLFWwindow* fenster, int bild) {
  glClearColor(0.3f, 0.35f, 0.4f + 0.1f * float(bild % 2), 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glfwSwapBuffers(fenster);
  glfwPollEvents();
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t start = Jetzt();
  int breite = 1280, hoehe = 720, bilder = 200;
  if ((argc != 1 && argc != 3 && argc != 4) || (argc >= 3 && (!LiesZahl(argv[1], 1, 16384, breite) ||
                                                             !LiesZahl(argv[2], 1, 16384, hoehe))) ||
      (argc == 4 && !LiesZahl(argv[3], 1, 1'000'000, bilder))) {
    std::fprintf(stderr, "Aufruf: leeres_fenster [Breite Hoehe [Bilder]]\n");
    return 2;
  }
  if (!glfwInit()) {
    std::fprintf(stderr, "leeres_fenster: GLFW startet nicht (DISPLAY?)\n");
    return 1;
  }
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
  glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
  GLFWwindow* fenster = glfwCreateWindow(breite, hoehe, "leeres_fenster", nullptr, nullptr);
  if (!fenster) {
    std::fprintf(stderr, "leeres_fenster: kein Fenster mit OpenGL 3.3 core\n");
    glfwTerminate();
    return 1;
  }
  glfwMakeContextCurrent(fenster);
  glfwSwapInterval(0);
  glViewport(0, 0, breite, hoehe);

  Bild(fenster, 0);
  const int64_t ersterTausch = Jetzt();
  for (int i = 1; i <= AUFWAERMEN; ++i) Bild(fenster, i);
  const int64_t messbeginn = Jetzt();
  for (int i = 0; i < bilder; ++i) Bild(fenster, i);
  const int64_t messende = Jetzt();

  std::printf("erster_tausch_ns %lld\n", static_cast<long long>(ersterTausch));
  std::printf("start_ms %.3f\n", double(ersterTausch - start) * 1e-6);
  std::printf("bildzeit_ms %.4f\n", double(messende - messbeginn) * 1e-6 / bilder);
  glfwDestroyWindow(fenster);
  glfwTerminate();
  return 0;
}
