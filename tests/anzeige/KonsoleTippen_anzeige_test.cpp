// The console as the input handler of the screen's own window: keys typed by xdotool arrive
// through the input library, the completion and Tab make "help ", Return runs it, Up brings the
// line back. Alone on the display, since other windows take the keyboard focus.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "AnzeigeSperre.h"
#include "Oprix.h"
#include "Plattform/d3d9/d3d9.h"
#include "SchirmBild.h"
#include "Xdotool.h"
#include "Zarvo_KonsoleStandardAnzeige.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"
#include "einheit/LogHilfen.h"

// The X window of a GLFW window (an XID); declared here, as the native header needs the XRandR headers.
extern "C" unsigned long glfwGetX11Window(GLFWwindow* window);

namespace {

const std::filesystem::path FNT = std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "calibrib.fnt";

bool Enthaelt(const Zarvo_KonsoleStandardAnzeige& konsole, const std::string& nachricht) {
  for (const std::string& z : konsole.Zeilen())
    if (testhilfe::NachrichtVon(z) == nachricht) return true;
  return false;
}

class KonsoleTippen : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    ASSERT_TRUE(anzeige::OeffneBildschirm(640, 480));
    Zarvo_Screen3D::fokusHaken = OPRIX::NoteWindowFocus;
    OPRIX::SetEventPump(&Zarvo_Screen3D::VerarbeiteEreignisse);
    ASSERT_TRUE(OPRIX::OpenWindowInput(Zarvo_Screen3D::NativerGriff()));
    konsole = std::make_unique<Zarvo_KonsoleStandardAnzeige>(FNT);
    konsole->SetEingabeAktiv(true);
    OPRIX::gInputSystem->handler = konsole.get();
    GLFWwindow* fenster = static_cast<GLFWwindow*>(Zarvo_Screen3D::Zustand().fenster);
    id = std::to_string(glfwGetX11Window(fenster));
    // The pointer may already be where the last test left it: to the corner first (see the input test).
    ASSERT_TRUE(Laufe("windowfocus --sync " + id + " mousemove 0 0 mousemove --sync --window " + id + " 320 240", [fenster] {
      return glfwGetWindowAttrib(fenster, GLFW_FOCUSED) == GLFW_TRUE && OPRIX::gInputSystem->Focused();
    })) << "the window did not get the focus";
  }
  void TearDown() override {
    if (OPRIX::gInputSystem) OPRIX::gInputSystem->handler = nullptr;
    konsole.reset();
    OPRIX::CloseInput();
    OPRIX::SetEventPump(nullptr);
    Zarvo_Screen3D::fokusHaken = nullptr;
    Zarvo_Screen3D::Schliessen();
    g_Vollbild.SetzeBool(true);
  }

  // One frame: input, then the console drawn over a cleared screen.
  void Frame() {
    OPRIX::gInputSystem->Refresh();
    const float farbe[4] = {0, 0, 0, 1};
    Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
    kontext->SetRenderZiel(nullptr);
    kontext->Leeren(3, farbe);
    konsole->Zeichne();
    kontext->EndeZeichnen();
    std::this_thread::sleep_for(std::chrono::milliseconds(16));
  }
  bool Laufe(const std::string& argumente, const std::function<bool()>& fertig) {
    return anzeige::LaufeMitXdotool(argumente, [this] { Frame(); }, fertig);
  }

  AnzeigeSperre sperre;
  testhilfe::GestarteterLog log;  // its display is replaced by the console
  std::unique_ptr<Zarvo_KonsoleStandardAnzeige> konsole;
  std::string id;
};

TEST_F(KonsoleTippen, HelTabReturnFuehrtHelpAusHochHoltDieZeile) {
  // "he" already completes to "help": the typing is done when the cursor stands behind the "l".
  EXPECT_TRUE(Laufe("type --delay 60 hel", [this] { return konsole->Eingabe() == "help" && konsole->Cursor() == 3; }))
      << konsole->Eingabe() << ", cursor " << konsole->Cursor();
  EXPECT_TRUE(Laufe("key Tab", [this] { return konsole->Eingabe() == "help "; })) << konsole->Eingabe();
  EXPECT_TRUE(Laufe("key Return", [this] { return Enthaelt(*konsole, "Definierte Konsolenbefehle sind:"); }));
  EXPECT_TRUE(Enthaelt(*konsole, ">help "));
  EXPECT_EQ(konsole->Eingabe(), "");
  EXPECT_TRUE(Laufe("key Up", [this] { return konsole->Eingabe() == "help "; })) << konsole->Eingabe();
  EXPECT_EQ(konsole->Cursor(), 5u);
}

}  // namespace
