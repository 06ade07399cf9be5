// The real program without any test hook, as a user starts it the first time (no spiel.cfg: full
// screen), driven by xdotool on the virtual display: every key held 1 s, well over two frames of
// the full level on llvmpipe. The editor and back replace szene.dat, F1 writes a screenshot, and a
// close button's WM_DELETE_WINDOW ends the program with 0 and a written spiel.cfg.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "ProgrammOrdner.h"
#include "anzeige/AnzeigeSperre.h"
#include "anzeige/Xdotool.h"

namespace {

namespace fs = std::filesystem;
using Uhr = std::chrono::steady_clock;
using programm_ordner::Inode;

constexpr auto FENSTER_FRIST = std::chrono::seconds(120);  // start-up of the full level under ASan
constexpr auto SZENE_FRIST = std::chrono::seconds(30);
constexpr auto BILD_FRIST = std::chrono::seconds(60);
constexpr auto ENDE_FRIST = std::chrono::seconds(60);
constexpr auto EDITOR_PAUSE = std::chrono::seconds(5);  // the editor's first frames before F4 again
constexpr int TASTE_VERSUCHE = 5;                       // presses of F1 before the loop takes input

class SpielRauch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string muster = (fs::temp_directory_path() / "morvelunt-rauch-XXXXXX").string();
    ASSERT_NE(mkdtemp(muster.data()), nullptr);
    ordner = muster;
    benutzer = ordner / "daten" / "MORVELUNT";
    anwendung = ordner / "spiel";
    programm_ordner::BaueAnwendung(anwendung, MORVELUNT_PROGRAMM, MORVELUNT_BAUVERZEICHNIS);
  }

  void TearDown() override {
    programm_ordner::BeendeKind(kind);
    std::error_code fehler;
    fs::remove_all(ordner, fehler);
  }

  fs::path SzenenPfad() const { return anwendung / "Daten" / "szene.dat"; }

  std::string LogEnde() const { return programm_ordner::LogEnde(benutzer); }

  // The program still runs (a crash or an early end fails here, not at a deadline).
  bool Laeuft() {
    if (kind <= 0) return false;
    if (waitpid(kind, &status, WNOHANG) != kind) return true;
    kind = 0;
    return false;
  }

  // Polls `bedingung` while the program runs; false at the deadline or when it has ended.
  bool WarteBis(const std::function<bool()>& bedingung, std::chrono::seconds frist) {
    const auto ende = Uhr::now() + frist;
    while (Uhr::now() < ende && Laeuft()) {
      if (bedingung()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return bedingung();
  }

  // xdotool to its end; true when it succeeded within its deadline.
  static bool Xdotool(const std::string& argumente) {
    anzeige::XdotoolBefehl befehl(argumente);
    const auto ende = Uhr::now() + std::chrono::duration<double>(anzeige::XDOTOOL_FRIST_SEKUNDEN);
    while (!befehl.Fertig() && Uhr::now() < ende) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return befehl.Fertig() && befehl.Erfolg();
  }
  static bool Halte(const std::string& taste) { return Xdotool("keydown " + taste + " sleep 1 keyup " + taste); }

  // The program's end within `frist`; false when it still runs.
  bool WarteAufEnde(std::chrono::seconds frist) {
    const auto ende = Uhr::now() + frist;
    while (Laeuft() && Uhr::now() < ende) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return kind == 0;
  }

  AnzeigeSperre sperre;
  fs::path ordner, benutzer, anwendung;
  pid_t kind = 0;
  int status = 0;
};

TEST_F(SpielRauch, ErsterStartEditorBildschirmfotoUndSchliessen) {
  ASSERT_FALSE(fs::exists(benutzer / "spiel.cfg"));
  const ino_t szeneInode = Inode(SzenenPfad());
  kind = programm_ordner::Starte(anwendung / "bin64" / "morvelunt", {"XDG_DATA_HOME=" + (ordner / "daten").string()}, ordner);
  ASSERT_GT(kind, 0);
  ASSERT_TRUE(WarteBis([&] { return Xdotool("search --onlyvisible --name '^MORVELUNT$' windowfocus --sync"); }, FENSTER_FRIST))
      << LogEnde();

  // F1 until the loop takes input: the window shows before the first frame.
  const fs::path bildDatei = benutzer / "screenshots" / "screenshot0000.png";
  bool bild = false;
  for (int versuch = 0; versuch < TASTE_VERSUCHE && !bild; ++versuch) {
    ASSERT_TRUE(Halte("F1")) << "xdotool";
    bild = WarteBis([&] { return fs::exists(bildDatei) && fs::file_size(bildDatei) > 0; }, BILD_FRIST / TASTE_VERSUCHE);
  }
  ASSERT_TRUE(bild) << LogEnde();
  EXPECT_NE(programm_ordner::LiesDatei(benutzer / "spiel.log").find("Screenshot saved as"), std::string::npos);

  // Editor and back: the level is saved once, into a new file.
  ASSERT_TRUE(Halte("F4")) << "xdotool";
  std::this_thread::sleep_for(EDITOR_PAUSE);
  EXPECT_EQ(Inode(SzenenPfad()), szeneInode) << "entering the editor saved the level";
  ASSERT_TRUE(Halte("F4")) << "xdotool";
  EXPECT_TRUE(WarteBis([&] { return Inode(SzenenPfad()) != szeneInode && Inode(SzenenPfad()) != 0; }, SZENE_FRIST))
      << LogEnde();
  const ino_t gespeichert = Inode(SzenenPfad());

  // The close button.
  const fs::path cfg = benutzer / "spiel.cfg";
  ASSERT_FALSE(fs::exists(cfg));
  const std::string aufruf = std::string(FENSTERSCHLIESSEN) + " MORVELUNT";
  EXPECT_EQ(std::system(aufruf.c_str()), 0);
  ASSERT_TRUE(WarteAufEnde(ENDE_FRIST)) << "still running after the close\n" << LogEnde();
  ASSERT_TRUE(WIFEXITED(status)) << LogEnde();
  EXPECT_EQ(WEXITSTATUS(status), 0) << LogEnde();
  EXPECT_TRUE(fs::exists(cfg));
  EXPECT_NE(programm_ordner::LiesDatei(cfg).find("<var name=\"fullscreen\" wert=\"ja\" />"), std::string::npos)
      << programm_ordner::LiesDatei(cfg);
  EXPECT_EQ(Inode(SzenenPfad()), gespeichert) << "the level was saved again";
  EXPECT_FALSE(fs::exists(benutzer / "MiniDump.dmp"));
}

}  // namespace
