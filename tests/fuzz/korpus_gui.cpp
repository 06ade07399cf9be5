// Writes the seed corpus of fuzz_gui: typing into the number field, a tooltip whose owner is
// destroyed while it fades, the modal page opened and closed with Escape, and a button that
// destroys its own page in its click.
#include <cstdio>
#include <filesystem>
#include <string>

#include "KorpusDatei.h"
#include "GuiSkript.h"

using namespace guiskript;

namespace {

// Style: buttons 100 x 40, text 40 high, lines 100 wide, no gaps, scale 1.
Schreiber Neu() { return Schreiber({0, 1, 1, 0, 3, 3, 15}); }

constexpr uint8_t ZEICHEN_MINUS = 9, ZEICHEN_FUENF = 8, ZEICHEN_PUNKT = 10, EIN_TICK = 1, HALBE = 3, ZWEI = 4;
constexpr uint64_t KLICK = 265, ESCAPE = 266, RUECKSCHRITT = 267, ZUSATZ = 269;

using korpus::Schreibe;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_gui";
  std::filesystem::create_directories(ordner);

  Schreiber zahl = Neu();
  zahl.Fokus(ZAHL_ZEILE).Taste(ZUSATZ, 1).Druck(RUECKSCHRITT).Taste(ZUSATZ, 4);
  for (uint8_t z : {ZEICHEN_MINUS, ZEICHEN_FUENF, ZEICHEN_PUNKT, ZEICHEN_FUENF}) zahl.Zeichen(z);
  zahl.Text("1e39", 1).Text("-", 1).Schritt(EIN_TICK).Druck(KLICK).Bild();

  // The modal page goes first, so the hotkey page is reachable; the tooltip owner's centre lies
  // at (450, 50) with these styles.
  Schreiber hinweis = Neu();
  hinweis.Fokus(WEG).Druck(KLICK).Schritt(EIN_TICK).Maus(112, 16).Schritt(HALBE).Schritt(EIN_TICK).Bild();
  hinweis.Maus(10, 200).Bild().Druck(TASTE_W).Bild().Schritt(HALBE).Schritt(EIN_TICK).Druck(TASTE_E).Bild();

  Schreiber escape = Neu();
  escape.Druck(ESCAPE).Schritt(HALBE).SeiteNeu().Schritt(EIN_TICK).Druck(ESCAPE).Druck(ESCAPE).Schritt(ZWEI).Bild();

  Schreiber seite = Neu();
  seite.Fokus(WEG).Druck(KLICK).Druck(ESCAPE).Druck(TASTE_Q).Bild().SeiteNeu().Fokus(OK).Druck(KLICK).Bild();

  if (!Schreibe(ordner, "zahl_tippen", zahl) || !Schreibe(ordner, "hinweis_besitzer_weg", hinweis) ||
      !Schreibe(ordner, "modal_escape", escape) || !Schreibe(ordner, "button_loescht_seite", seite)) {
    std::fprintf(stderr, "korpus_gui: %s nicht geschrieben\n", ordner.c_str());
    return 1;
  }
  return 0;
}
