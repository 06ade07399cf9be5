#include "Plattform/eingabe/Tastentabelle.h"

#include <GLFW/glfw3.h>

#include <iterator>

namespace eingabe {
namespace {

const TastenEintrag TABELLE[] = {
    {GLFW_KEY_ESCAPE, 1, 27, L"Esc"},
    {GLFW_KEY_1, 2, '1', nullptr},
    {GLFW_KEY_2, 3, '2', nullptr},
    {GLFW_KEY_3, 4, '3', nullptr},
    {GLFW_KEY_4, 5, '4', nullptr},
    {GLFW_KEY_5, 6, '5', nullptr},
    {GLFW_KEY_6, 7, '6', nullptr},
    {GLFW_KEY_7, 8, '7', nullptr},
    {GLFW_KEY_8, 9, '8', nullptr},
    {GLFW_KEY_9, 10, '9', nullptr},
    {GLFW_KEY_0, 11, '0', nullptr},
    {GLFW_KEY_MINUS, 12, 189, nullptr},
    {GLFW_KEY_EQUAL, 13, 187, nullptr},
    {GLFW_KEY_BACKSPACE, 14, 8, L"Backspace"},
    {GLFW_KEY_TAB, 15, 9, L"Tab"},
    {GLFW_KEY_Q, 16, 'Q', nullptr},
    {GLFW_KEY_W, 17, 'W', nullptr},
    {GLFW_KEY_E, 18, 'E', nullptr},
    {GLFW_KEY_R, 19, 'R', nullptr},
    {GLFW_KEY_T, 20, 'T', nullptr},
    {GLFW_KEY_Y, 21, 'Y', nullptr},
    {GLFW_KEY_U, 22, 'U', nullptr},
    {GLFW_KEY_I, 23, 'I', nullptr},
    {GLFW_KEY_O, 24, 'O', nullptr},
    {GLFW_KEY_P, 25, 'P', nullptr},
    {GLFW_KEY_LEFT_BRACKET, 26, 219, nullptr},
    {GLFW_KEY_RIGHT_BRACKET, 27, 221, nullptr},
    {GLFW_KEY_ENTER, 28, 13, L"Enter"},
    {GLFW_KEY_LEFT_CONTROL, 29, 17, L"Ctrl"},
    {GLFW_KEY_A, 30, 'A', nullptr},
    {GLFW_KEY_S, 31, 'S', nullptr},
    {GLFW_KEY_D, 32, 'D', nullptr},
    {GLFW_KEY_F, 33, 'F', nullptr},
    {GLFW_KEY_G, 34, 'G', nullptr},
    {GLFW_KEY_H, 35, 'H', nullptr},
    {GLFW_KEY_J, 36, 'J', nullptr},
    {GLFW_KEY_K, 37, 'K', nullptr},
    {GLFW_KEY_L, 38, 'L', nullptr},
    {GLFW_KEY_SEMICOLON, 39, 186, nullptr},
    {GLFW_KEY_APOSTROPHE, 40, 222, nullptr},
    {GLFW_KEY_GRAVE_ACCENT, 41, 192, nullptr},
    {GLFW_KEY_LEFT_SHIFT, 42, 16, L"Shift"},
    {GLFW_KEY_BACKSLASH, 43, 220, nullptr},
    {GLFW_KEY_Z, 44, 'Z', nullptr},
    {GLFW_KEY_X, 45, 'X', nullptr},
    {GLFW_KEY_C, 46, 'C', nullptr},
    {GLFW_KEY_V, 47, 'V', nullptr},
    {GLFW_KEY_B, 48, 'B', nullptr},
    {GLFW_KEY_N, 49, 'N', nullptr},
    {GLFW_KEY_M, 50, 'M', nullptr},
    {GLFW_KEY_COMMA, 51, 188, nullptr},
    {GLFW_KEY_PERIOD, 52, 190, nullptr},
    {GLFW_KEY_SLASH, 53, 191, nullptr},
    {GLFW_KEY_RIGHT_SHIFT, 54, 16, L"Right Shift"},
    {GLFW_KEY_KP_MULTIPLY, 55, 106, L"Num *"},
    {GLFW_KEY_LEFT_ALT, 56, 18, L"Alt"},
    {GLFW_KEY_SPACE, 57, 32, L"Space"},
    {GLFW_KEY_CAPS_LOCK, 58, 20, L"Caps Lock"},
    {GLFW_KEY_F1, 59, 112, L"F1"},
    {GLFW_KEY_F2, 60, 113, L"F2"},
    {GLFW_KEY_F3, 61, 114, L"F3"},
    {GLFW_KEY_F4, 62, 115, L"F4"},
    {GLFW_KEY_F5, 63, 116, L"F5"},
    {GLFW_KEY_F6, 64, 117, L"F6"},
    {GLFW_KEY_F7, 65, 118, L"F7"},
    {GLFW_KEY_F8, 66, 119, L"F8"},
    {GLFW_KEY_F9, 67, 120, L"F9"},
    {GLFW_KEY_F10, 68, 121, L"F10"},
    {GLFW_KEY_NUM_LOCK, 69, 144, L"Num Lock"},
    {GLFW_KEY_SCROLL_LOCK, 70, 145, L"Scroll Lock"},
    {GLFW_KEY_KP_7, 71, 103, L"Num 7"},
    {GLFW_KEY_KP_8, 72, 104, L"Num 8"},
    {GLFW_KEY_KP_9, 73, 105, L"Num 9"},
    {GLFW_KEY_KP_SUBTRACT, 74, 109, L"Num -"},
    {GLFW_KEY_KP_4, 75, 100, L"Num 4"},
    {GLFW_KEY_KP_5, 76, 101, L"Num 5"},
    {GLFW_KEY_KP_6, 77, 102, L"Num 6"},
    {GLFW_KEY_KP_ADD, 78, 107, L"Num +"},
    {GLFW_KEY_KP_1, 79, 97, L"Num 1"},
    {GLFW_KEY_KP_2, 80, 98, L"Num 2"},
    {GLFW_KEY_KP_3, 81, 99, L"Num 3"},
    {GLFW_KEY_KP_0, 82, 96, L"Num 0"},
    {GLFW_KEY_KP_DECIMAL, 83, 110, L"Num Del"},
    {GLFW_KEY_WORLD_1, 86, 226, nullptr},
    {GLFW_KEY_F11, 87, 122, L"F11"},
    {GLFW_KEY_F12, 88, 123, L"F12"},
    {GLFW_KEY_F13, 100, 124, L"F13"},
    {GLFW_KEY_F14, 101, 125, L"F14"},
    {GLFW_KEY_F15, 102, 126, L"F15"},
    {GLFW_KEY_KP_EQUAL, 141, 146, L"Num ="},
    {GLFW_KEY_KP_ENTER, 156, 13, L"Num Enter"},
    {GLFW_KEY_RIGHT_CONTROL, 157, 17, L"Right Ctrl"},
    {GLFW_KEY_KP_DIVIDE, 181, 111, L"Num /"},
    {GLFW_KEY_PRINT_SCREEN, 183, 44, L"Prnt Scrn"},
    {GLFW_KEY_RIGHT_ALT, 184, 18, L"Right Alt"},
    {GLFW_KEY_PAUSE, 197, 19, L"Pause"},
    {GLFW_KEY_HOME, 199, 36, L"Home"},
    {GLFW_KEY_UP, 200, 38, L"Up Arrow"},
    {GLFW_KEY_PAGE_UP, 201, 33, L"Page Up"},
    {GLFW_KEY_LEFT, 203, 37, L"Left Arrow"},
    {GLFW_KEY_RIGHT, 205, 39, L"Right Arrow"},
    {GLFW_KEY_END, 207, 35, L"End"},
    {GLFW_KEY_DOWN, 208, 40, L"Down Arrow"},
    {GLFW_KEY_PAGE_DOWN, 209, 34, L"Page Down"},
    {GLFW_KEY_INSERT, 210, 45, L"Insert"},
    {GLFW_KEY_DELETE, 211, 46, L"Delete"},
    {GLFW_KEY_LEFT_SUPER, 219, 91, L"Left Windows"},
    {GLFW_KEY_RIGHT_SUPER, 220, 92, L"Right Windows"},
    {GLFW_KEY_MENU, 221, 93, L"Application"},
};

template <typename Passt>
const TastenEintrag* Suche(Passt passt) {
  for (const TastenEintrag& e : TABELLE)
    if (passt(e)) return &e;
  return nullptr;
}

}  // namespace

const TastenEintrag* EintragFuerGlfw(int glfwTaste) {
  return Suche([&](const TastenEintrag& e) { return e.glfw == glfwTaste; });
}

const TastenEintrag* EintragFuerDik(int dik) {
  return Suche([&](const TastenEintrag& e) { return e.dik == dik; });
}

const TastenEintrag* EintragFuerVk(int vk) {
  return Suche([&](const TastenEintrag& e) { return e.vk == vk; });
}

}  // namespace eingabe
