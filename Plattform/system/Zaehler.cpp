#include "Plattform/system/Zaehler.h"

#include <atomic>
#include <ctime>

namespace win32 {
namespace {

std::atomic<ZaehlerQuelle> zaehlerQuelle{nullptr};

int64_t MonotonZeit() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * ZAEHLER_FREQUENZ + ts.tv_nsec;
}

}  // namespace

bool QueryPerformanceCounter(int64_t* wert) {
  ZaehlerQuelle quelle = zaehlerQuelle.load(std::memory_order_acquire);
  *wert = quelle ? quelle() : MonotonZeit();
  return true;
}

bool QueryPerformanceFrequency(int64_t* frequenz) {
  *frequenz = ZAEHLER_FREQUENZ;
  return true;
}

uint32_t timeBeginPeriod(uint32_t) { return 0; }

void SetzeZaehlerQuelle(ZaehlerQuelle quelle) { zaehlerQuelle.store(quelle, std::memory_order_release); }

}  // namespace win32

namespace win32 {

uint32_t GetTickCount() {
  int64_t ticks = 0;
  QueryPerformanceCounter(&ticks);
  return uint32_t(uint64_t(ticks / (ZAEHLER_FREQUENZ / 1000)));
}

}  // namespace win32
