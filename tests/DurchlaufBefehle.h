#pragma once
// The input-script commands of the playthrough, built in one place: the playthrough sends them to
// the game, and the seed corpus of the script's fuzz target is written from the same builders,
// keys, route and console text.
#include <map>
#include <string>

namespace durchlauf_befehle {

// Keys by DirectInput scan code.
constexpr int ESC = 0x01, F1 = 0x3B, F4 = 0x3E, F11 = 0x57, ENTER = 0x1C, W = 0x11, A = 0x1E, Q = 0x10;

// From the start cell to the lever (2, 1, 14), facing -X.
constexpr int WEG_ZUM_HEBEL[] = {W, W, W, W, W, W, W, W, W, W, W, A, Q};

// Typed into the console, with the key of each character.
constexpr const char* KONSOLEN_TEXT = "set vsync ja";
inline const std::map<char, int>& KonsolenTasten() {
  static const std::map<char, int> tasten = {{'s', 0x1F}, {'e', 0x12}, {'t', 0x14}, {' ', 0x39}, {'v', 0x2F},
                                             {'y', 0x15}, {'n', 0x31}, {'c', 0x2E}, {'j', 0x24}, {'a', 0x1E}};
  return tasten;
}

inline std::string Bilder(int n) { return n > 0 ? "bild " + std::to_string(n) + "\n" : ""; }
inline std::string Taste(int taste, bool ab) { return "taste " + std::to_string(taste) + (ab ? " ab\n" : " auf\n"); }
// Held for `dauer` frames, up in the frame after.
inline std::string Halte(int taste, int dauer) { return Taste(taste, true) + Bilder(dauer) + Taste(taste, false) + Bilder(1); }
// Down in one frame, up in the next.
inline std::string Tippe(int taste) { return Halte(taste, 1); }
// A character typed: its key with its text, one frame, and up.
inline std::string Zeichen(int taste, char zeichen) {
  return Taste(taste, true) + "text " + std::to_string(int(zeichen)) + "\n" + Bilder(1) + Taste(taste, false) + Bilder(1);
}
inline std::string Klick(int x, int y) {
  return "maus " + std::to_string(x) + " " + std::to_string(y) + "\nknopf 0 ab\n" + Bilder(1) + "knopf 0 auf\n" + Bilder(1);
}
// A state line after the next frame.
inline std::string Zustand() { return "zustand\n" + Bilder(1); }

}  // namespace durchlauf_befehle
