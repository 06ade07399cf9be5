#pragma once
// Local wall-clock time, as GetLocalTime delivers it.
#include <cstdint>

namespace win32 {

struct SYSTEMTIME {
  uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

void GetLocalTime(SYSTEMTIME* zeit);

}  // namespace win32
