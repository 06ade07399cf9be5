#pragma once
// GLFW key <-> DirectInput scan code (DIK) <-> virtual key, and the English names of keys that
// print nothing.
#include <cstdint>

namespace eingabe {

struct TastenEintrag {
  int glfw;
  uint8_t dik;
  uint8_t vk;
  const wchar_t* name;  // English name, null for printable keys
};

// The entry of a GLFW key, null when the key has no code.
const TastenEintrag* EintragFuerGlfw(int glfwTaste);
// The entry of a scan code, null when no key has it.
const TastenEintrag* EintragFuerDik(int dik);
// The entry whose virtual key is `vk` (the first), null when none.
const TastenEintrag* EintragFuerVk(int vk);

}  // namespace eingabe
