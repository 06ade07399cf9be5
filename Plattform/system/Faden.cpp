#include "Plattform/system/Faden.h"

#include <unistd.h>

namespace win32 {

uint32_t GetCurrentThreadId() {
  thread_local const uint32_t id = uint32_t(gettid());
  return id;
}

}  // namespace win32
