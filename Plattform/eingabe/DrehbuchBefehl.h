#pragma once
// The lines of an input script (MORVELUNT_EINGABE), cut and parsed without side effects. One
// command per line, words separated by blanks or tabs:
//   taste <dik> ab|auf     a key by DirectInput scan code, down or up
//   text <codepoint>       the character that the key pressed just before types
//   maus <x> <y>           the cursor to the client pixel (x, y)
//   knopf <0..4> ab|auf    a mouse button (0 left, 1 right, 2 middle, 3 and 4 the side buttons)
//   rad <n>                n wheel notches, positive away from the user
//   zustand                a state line after this frame
//   schliessen             close the window as its close button does
//   bild [n]               this frame's input ends; n frames (default 1) run before the next line
// Scan codes and code points are decimal or hexadecimal with "0x". A line of blanks is no
// command; a carriage return before the newline is ignored.
#include <cstddef>
#include <string>
#include <string_view>

namespace eingabe {

struct DrehbuchBefehl {
  enum class Art { Nichts, Taste, Text, Maus, Knopf, Rad, Zustand, Schliessen, Bild };

  static constexpr int MAUS_GRENZE = 1'000'000;  // |x|, |y| of "maus"
  static constexpr int RAD_GRENZE = 273;         // |n| of "rad": 120 n fits the wheel's 16 bits
  static constexpr int BILD_GRENZE = 1'000'000;  // n of "bild"

  Art art = Art::Nichts;
  int wert = 0;      // Taste: the GLFW key; Text: code point; Knopf: button; Rad: notches; Bild: frames
  bool ab = false;   // Taste, Knopf: pressed
  int x = 0, y = 0;  // Maus
};

// Parses line `nummer` (counted from 1, without its newline). False with the log line in
// `fehler`: "!", the line's number, the reason and the line as read.
bool LiesDrehbuchZeile(std::string_view zeile, size_t nummer, DrehbuchBefehl& befehl, std::string& fehler);
// The log line for line `nummer` refused for `grund`.
std::string DrehbuchFehler(size_t nummer, std::string_view grund, std::string_view zeile);

// Cuts read bytes into numbered lines. A line may hold at most MAX_LAENGE bytes: a longer one is
// reported once, when its first MAX_LAENGE + 1 bytes are there, and its rest is dropped up to its
// newline, so the buffer never holds more than one line beyond what was fed last.
class DrehbuchZeilen {
 public:
  static constexpr size_t MAX_LAENGE = 256;

  enum class Ergebnis { Zeile, ZuLang, Keine };

  void Fuettere(std::string_view bytes);
  // The next line with its number; ZuLang gives the number and the line's start.
  Ergebnis Naechste(std::string& zeile, size_t& nummer);
  // At the end of input: the last line if it had no newline.
  bool Rest(std::string& zeile, size_t& nummer);

 private:
  std::string puffer;
  size_t ausgegeben = 0;   // lines handed out or refused
  bool verwerfen = false;  // inside the rest of a refused line
};

}  // namespace eingabe
