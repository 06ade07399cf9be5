#pragma once
// Input from a script (MORVELUNT_EINGABE: a file or a FIFO) in place of the display's keyboard
// and mouse. Each frame, Bildbeginn reads commands (DrehbuchBefehl.h) and feeds them to the same
// intake as the GLFW callbacks (Aufnahme.h), so the input library and everything above it run as
// with GLFW; it waits for the next line, so a controlling test decides every frame. Window
// queries go to the real window, but no input callback is installed: the display's input is
// ignored, joysticks are not seen, and window focus does not count.
//
// The end of input, a line that cannot be read, an error or a wait longer than the wait limit
// acts as "schliessen"; from then on nothing is read, so the program never waits for ever.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Plattform/eingabe/DrehbuchBefehl.h"
#include "Plattform/eingabe/Quelle.h"
#include "Plattform/eingabe/glfw/GlfwQuelle.h"

namespace eingabe {

class Drehbuch final : public Quelle {
 public:
  struct Anschluesse {
    // Log lines (refused lines and read errors begin with "!").
    std::function<void(const std::string&)> meldung;
    // "zustand": a state line is wanted after this frame.
    std::function<void()> zustand;
    // Closes the window the input library hooked (null before it did); default: WM_DELETE_WINDOW
    // to the GLFW window through Xlib.
    std::function<void(void* fenster)> schliessen;
    // Answers the window queries; default: the GLFW back end.
    Quelle* fenster = nullptr;
    // Longest wait for a line within one frame.
    std::chrono::milliseconds warteGrenze{60'000};
  };

  static constexpr size_t LESE_BLOCK = 4096;

  // Opens `pfad` for reading without waiting for a FIFO's writer. Null with the reason in
  // `fehler` when it cannot be opened.
  static std::unique_ptr<Drehbuch> Oeffne(const std::string& pfad, Anschluesse anschluesse, std::string& fehler);
  ~Drehbuch() override;
  Drehbuch(const Drehbuch&) = delete;
  Drehbuch& operator=(const Drehbuch&) = delete;

  void Bildbeginn() override;
  bool FokusZaehlt() override { return false; }
  // True once the script closed the window; nothing is read after that.
  bool Geschlossen() const { return geschlossen; }
  // Lines read so far.
  size_t Zeilen() const { return zeilenNummer; }

  bool FensterGueltig(void* fenster) override { return Fenster().FensterGueltig(fenster); }
  void HaengeRueckrufeAn(void* fenster) override;
  void LoeseRueckrufe(void* fenster) override;
  void LiesCursor(void* fenster, double& x, double& y) override;
  void SetzeCursor(void* fenster, double x, double y) override;
  void FensterPosition(void* fenster, int& x, int& y) override { Fenster().FensterPosition(fenster, x, y); }
  void FensterGroesse(void* fenster, int& b, int& h) override { Fenster().FensterGroesse(fenster, b, h); }
  void FensterRahmen(void* fenster, int& l, int& o, int& r, int& u) override { Fenster().FensterRahmen(fenster, l, o, r, u); }
  std::string TastenName(int glfwTaste) override { return Fenster().TastenName(glfwTaste); }
  bool JoystickDa(int) override { return false; }
  bool IstGamepad(int) override { return false; }
  std::string JoystickGuid(int) override { return {}; }
  std::vector<float> JoystickAchsen(int) override { return {}; }
  std::vector<unsigned char> JoystickKnoepfe(int) override { return {}; }
  int JoystickHats(int) override { return 0; }
  bool GamepadZustand(int, PadZustand&) override { return false; }

 private:
  enum class Lesen { Zeile, Ende, Abbruch };

  Drehbuch(int datei, Anschluesse anschluesse);
  Quelle& Fenster() { return anschluesse.fenster ? *anschluesse.fenster : glfw; }
  Lesen NaechsteZeile(std::string& zeile, std::chrono::steady_clock::time_point frist);
  Lesen LiesMehr(std::chrono::steady_clock::time_point frist);
  // True when this frame's input is over.
  bool Fuehre(const DrehbuchBefehl& befehl);
  void Schliesse();
  void Melde(const std::string& zeile);

  int datei;
  Anschluesse anschluesse;
  GlfwQuelle glfw;
  DrehbuchZeilen zeilen;
  size_t zeilenNummer = 0;
  bool eingabeZuEnde = false;
  bool geschlossen = false;
  int restBilder = 0;  // frames still to run without reading
  void* gehaktesFenster = nullptr;
  double cursorX = 0, cursorY = 0;
};

}  // namespace eingabe
