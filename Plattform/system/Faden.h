#pragma once
#include <cstdint>

namespace win32 {

// The kernel's id of the calling thread.
uint32_t GetCurrentThreadId();

}  // namespace win32
