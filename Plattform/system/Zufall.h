#pragma once
// The runtime's rand(): 0..32767 from a per-thread state that starts at 1 in every thread.
#include <cstdint>

namespace win32 {

inline constexpr int ZUFALL_MAX = 32767;

int rand();
// Sets the calling thread's state (tests only).
void srand(uint32_t saat);

}  // namespace win32
