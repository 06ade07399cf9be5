#include "Plattform/system/Ortszeit.h"

#include <sys/time.h>
#include <time.h>

namespace win32 {

void GetLocalTime(SYSTEMTIME* zeit) {
  timeval jetzt{};
  gettimeofday(&jetzt, nullptr);
  tm teile{};
  localtime_r(&jetzt.tv_sec, &teile);
  zeit->wYear = uint16_t(teile.tm_year + 1900);
  zeit->wMonth = uint16_t(teile.tm_mon + 1);
  zeit->wDayOfWeek = uint16_t(teile.tm_wday);
  zeit->wDay = uint16_t(teile.tm_mday);
  zeit->wHour = uint16_t(teile.tm_hour);
  zeit->wMinute = uint16_t(teile.tm_min);
  zeit->wSecond = uint16_t(teile.tm_sec);
  zeit->wMilliseconds = uint16_t(jetzt.tv_usec / 1000);
}

}  // namespace win32
