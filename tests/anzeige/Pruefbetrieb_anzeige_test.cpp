// The test hooks on a real display: the fixed clock stepped by the OpenGL device's Present, the
// input script on a real GLFW window (window queries answered by it, no input callbacks, its
// "schliessen" a real WM_DELETE_WINDOW), and the tool fensterschliessen against a plain window.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Gl33Fenster.h"
#include "Oprix.h"
#include "Plattform/eingabe/Drehbuch.h"
#include "Plattform/eingabe/Pruefbetrieb.h"
#include "Plattform/system/Zaehler.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

int64_t Lies() {
  int64_t wert = 0;
  win32::QueryPerformanceCounter(&wert);
  return wert;
}

// Runs the tool with `argumente`; its exit code, -1 when it did not exit normally.
int Werkzeug(const std::vector<std::string>& argumente, char** umgebung = environ) {
  std::vector<char*> argv{const_cast<char*>(FENSTERSCHLIESSEN)};
  for (const std::string& a : argumente) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t kind = 0;
  if (posix_spawn(&kind, FENSTERSCHLIESSEN, nullptr, nullptr, argv.data(), umgebung) != 0) return -1;
  int status = 0;
  if (waitpid(kind, &status, 0) != kind || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// A hidden GLFW window whose close callback is counted.
class Fenster : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(anzeige::GlfwInit()) << "no display: the display tests need DISPLAY (Xvfb)";
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
    titel = "pruefbetrieb-" + std::to_string(getpid());
    fenster = glfwCreateWindow(320, 200, titel.c_str(), nullptr, nullptr);
    ASSERT_NE(fenster, nullptr);
    schliessen = 0;
    glfwSetWindowCloseCallback(fenster, [](GLFWwindow*) { ++schliessen; });
  }
  void TearDown() override {
    if (fenster) glfwDestroyWindow(fenster);
    glfwTerminate();
  }

  // Polls until the close callback fired or two seconds passed.
  bool WarteAufSchliessen() {
    const auto frist = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (schliessen == 0 && std::chrono::steady_clock::now() < frist) glfwWaitEventsTimeout(0.05);
    return schliessen > 0;
  }

  static inline int schliessen = 0;
  std::string titel;
  GLFWwindow* fenster = nullptr;
};

}  // namespace

TEST_F(Fenster, FensterschliessenLoestDenSchliessRueckrufAus) {
  glfwPollEvents();
  EXPECT_EQ(Werkzeug({titel + "-anders"}), 1);
  glfwPollEvents();
  EXPECT_EQ(schliessen, 0);
  EXPECT_EQ(Werkzeug({titel}), 0);
  EXPECT_TRUE(WarteAufSchliessen());
  EXPECT_EQ(schliessen, 1);
  EXPECT_TRUE(glfwWindowShouldClose(fenster));
}

TEST_F(Fenster, FensterschliessenOhneTitelOderAnzeige) {
  EXPECT_EQ(Werkzeug({}), 2);
  EXPECT_EQ(Werkzeug({""}), 2);
  EXPECT_EQ(Werkzeug({"a", "b"}), 2);
  std::string ohneAnzeige = "DISPLAY=:9999";
  char* umgebung[] = {ohneAnzeige.data(), nullptr};
  EXPECT_EQ(Werkzeug({titel}, umgebung), 2);
  glfwPollEvents();
  EXPECT_EQ(schliessen, 0);
}

// The script as the input library's back end on the real window, pumped as the application
// pumps: window events first, then the script's frame.
TEST_F(Fenster, DrehbuchAufEchtemFenster) {
  const fs::path skript = fs::temp_directory_path() / ("morvelunt-drehbuch-" + std::to_string(getpid()));
  std::ofstream(skript) << "bild\ntaste 17 ab\nmaus 30 40\nbild\nschliessen\n";
  std::vector<std::string> meldungen;
  eingabe::Drehbuch::Anschluesse anschluesse;
  anschluesse.meldung = [&](const std::string& zeile) { meldungen.push_back(zeile); };
  std::string fehler;
  std::unique_ptr<eingabe::Drehbuch> drehbuch = eingabe::Drehbuch::Oeffne(skript.string(), std::move(anschluesse), fehler);
  fs::remove(skript);
  ASSERT_NE(drehbuch, nullptr) << fehler;
  eingabe::SetzeQuelle(drehbuch.get());
  OPRIX::SetEventPump([] {
    glfwPollEvents();
    eingabe::AktiveQuelle().Bildbeginn();
  });
  ASSERT_TRUE(OPRIX::OpenWindowInput(fenster));
  OPRIX::InputSystem* system = OPRIX::gInputSystem;

  EXPECT_EQ(glfwSetKeyCallback(fenster, nullptr), nullptr);
  EXPECT_EQ(glfwSetCursorPosCallback(fenster, nullptr), nullptr);
  int breite = 0, hoehe = 0;
  drehbuch->FensterGroesse(fenster, breite, hoehe);
  EXPECT_EQ(breite, 320);
  EXPECT_EQ(hoehe, 200);

  system->Refresh();  // the first frame: "bild"
  system->Refresh();
  EXPECT_TRUE(system->PrimaryKeyboard()->KeyWentDown(17));
  EXPECT_EQ(system->PrimaryMouse()->AbsoluteX(), 30.0f);
  EXPECT_EQ(system->PrimaryMouse()->AbsoluteY(), 40.0f);
  system->Refresh();  // "schliessen": the message waits in the queue for the next poll
  EXPECT_TRUE(drehbuch->Geschlossen());
  EXPECT_EQ(schliessen, 0);
  system->Refresh();
  EXPECT_EQ(schliessen, 1);
  EXPECT_TRUE(meldungen.empty());

  OPRIX::CloseInput();
  OPRIX::SetEventPump(nullptr);
  drehbuch.reset();
}

// The OpenGL device's Present steps the fixed clock as the recording device's does.
class TaktGl33 : public anzeige::Gl33Test {
 protected:
  void TearDown() override {
    pruefbetrieb::SchalteAus();
    unsetenv(pruefbetrieb::VARIABLE_TAKT);
    Gl33Test::TearDown();
  }
};

TEST_F(TaktGl33, PresentSchreitetDenTakt) {
  setenv(pruefbetrieb::VARIABLE_TAKT, "50", 1);
  ASSERT_EQ(pruefbetrieb::SchalteEin(nullptr), "");
  const int64_t start = Lies();
  for (int bild = 1; bild <= 3; ++bild) {
    ASSERT_EQ(geraet->Clear(0, nullptr, d3d9::D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0), d3d9::D3D_OK);
    ASSERT_EQ(geraet->Present(nullptr, nullptr, nullptr, nullptr), d3d9::D3D_OK);
    EXPECT_EQ(Lies(), start + bild * 20'000'000);
  }
}
