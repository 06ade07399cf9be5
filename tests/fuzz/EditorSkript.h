#pragma once
// The frame script of fuzz_editor_eingabe and its seed writer: one operation a step, its
// arguments in the bytes after it (see Schritt in fuzz_editor_eingabe.cpp).
#include <GLFW/glfw3.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace editorskript {

enum Op : uint8_t {
  TIPPE = 0,      // key index: pressed in one frame, released in the next
  TASTE = 1,      // key index, then 0 release / else press, then one frame
  BEWEGE = 2,     // dx, dy (signed, times 4 pixels), then one frame
  KNOPF = 3,      // button 0..2, then 0 release / else press, then one frame
  RAD = 4,        // signed notches, then one frame
  BILDER = 5,     // 1 + n % 32 frames
  FELD = 6,       // field index, f32 pattern: the dialog's field set to it
  SPEICHERN = 7,  // the dialog's "Speichern"
  ABBRUCH = 8,    // the dialog's "Abbruch"
  KOMMA = 9,      // scan 179 pressed and released
  MAUS = 10,      // x, y as shares of 255 of the screen, then one frame
  OP_ANZAHL = 11,
};

// Every key the editor reads, by GLFW key.
inline constexpr int TASTEN[] = {
    GLFW_KEY_W,         GLFW_KEY_A,           GLFW_KEY_S,        GLFW_KEY_D,         GLFW_KEY_UP,
    GLFW_KEY_DOWN,      GLFW_KEY_LEFT,        GLFW_KEY_RIGHT,    GLFW_KEY_PAGE_UP,   GLFW_KEY_PAGE_DOWN,
    GLFW_KEY_KP_ADD,    GLFW_KEY_KP_SUBTRACT, GLFW_KEY_KP_0,     GLFW_KEY_SPACE,     GLFW_KEY_LEFT_CONTROL,
    GLFW_KEY_RIGHT_CONTROL, GLFW_KEY_Y,       GLFW_KEY_1,        GLFW_KEY_2,         GLFW_KEY_PERIOD,
    GLFW_KEY_COMMA,     GLFW_KEY_DELETE,      GLFW_KEY_END,      GLFW_KEY_LEFT_SHIFT, GLFW_KEY_ESCAPE,
};
inline constexpr uint8_t ANZAHL_TASTEN = sizeof(TASTEN) / sizeof(TASTEN[0]);

inline uint8_t TastenIndex(int glfwTaste) {
  for (uint8_t i = 0; i < ANZAHL_TASTEN; ++i)
    if (TASTEN[i] == glfwTaste) return i;
  return 0;
}

struct Schreiber {
  std::vector<uint8_t> bytes;
  Schreiber& Tippe(int taste) { return Add({TIPPE, TastenIndex(taste)}); }
  Schreiber& Taste(int taste, bool runter) { return Add({TASTE, TastenIndex(taste), uint8_t(runter)}); }
  Schreiber& Bewege(int8_t dx, int8_t dy) { return Add({BEWEGE, uint8_t(dx), uint8_t(dy)}); }
  Schreiber& Knopf(uint8_t knopf, bool runter) { return Add({KNOPF, knopf, uint8_t(runter)}); }
  Schreiber& Rad(int8_t rasten) { return Add({RAD, uint8_t(rasten)}); }
  Schreiber& Bilder(uint8_t n) { return Add({BILDER, uint8_t(n - 1)}); }
  Schreiber& Feld(uint8_t feld, float wert) {
    uint32_t w;
    std::memcpy(&w, &wert, 4);
    return Add({FELD, feld, uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16), uint8_t(w >> 24)});
  }
  Schreiber& Speichern() { return Add({SPEICHERN}); }
  Schreiber& Abbruch() { return Add({ABBRUCH}); }
  Schreiber& Komma() { return Add({KOMMA}); }
  Schreiber& Maus(uint8_t x, uint8_t y) { return Add({MAUS, x, y}); }
  Schreiber& Klick(uint8_t x, uint8_t y) { return Maus(x, y).Knopf(0, true).Knopf(0, false); }

 private:
  Schreiber& Add(std::initializer_list<uint8_t> b) {
    bytes.insert(bytes.end(), b);
    return *this;
  }
};

}  // namespace editorskript
