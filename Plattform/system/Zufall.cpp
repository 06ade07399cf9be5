#include "Plattform/system/Zufall.h"

namespace win32 {
namespace {
thread_local uint32_t zustand = 1;
}

int rand() {
  zustand = zustand * 214013u + 2531011u;
  return int((zustand >> 16) & 0x7FFF);
}

void srand(uint32_t saat) { zustand = saat; }

}  // namespace win32
