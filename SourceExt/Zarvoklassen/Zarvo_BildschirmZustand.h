#pragma once
// What the drawing context reads of the screen: the display settings, the flags and the native
// window. The screen owns the record and keeps it current; tests fill it.
#include <cstdint>

struct Zarvo_BildschirmZustand {
  static constexpr uint64_t FLAG_VOLLBILD = 1;
  static constexpr uint64_t FLAG_REFERENZ = 4;  // reference rasteriser instead of the hardware device
  static constexpr uint64_t FLAG_VSYNC = 8;

  uint32_t breite = 0;
  uint32_t hoehe = 0;
  uint32_t farbTiefe = 0;  // 1 = 16-bit colour, any other value = 32-bit colour
  uint32_t bildWiederholrate = 0;
  uint64_t flags = 0;
  bool vollbild = false;
  void* fenster = nullptr;  // the window whose context the device draws into
};
