#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "Plattform/system/Faden.h"
#include "Plattform/system/Zaehler.h"

namespace {

int64_t FesterZaehler() { return 4711; }

int64_t Lies() {
  int64_t wert = 0;
  EXPECT_TRUE(win32::QueryPerformanceCounter(&wert));
  return wert;
}

}  // namespace

TEST(Zaehler, FrequenzIstNanosekunden) {
  int64_t frequenz = 0;
  EXPECT_TRUE(win32::QueryPerformanceFrequency(&frequenz));
  EXPECT_EQ(frequenz, 1'000'000'000);
  static_assert(win32::ZAEHLER_FREQUENZ == 1'000'000'000);
  EXPECT_EQ(win32::timeBeginPeriod(1), 0u);
}

TEST(Zaehler, TestQuelleErsetztDenZaehlerUndNullStelltIhnWiederHer) {
  win32::SetzeZaehlerQuelle(FesterZaehler);
  EXPECT_EQ(Lies(), 4711);
  win32::SetzeZaehlerQuelle(nullptr);
  const int64_t vorher = Lies();
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  const int64_t nachher = Lies();
  EXPECT_NE(vorher, 4711);
  EXPECT_GE(nachher - vorher, 2'000'000);  // at least the 2 ms slept, in nanoseconds
}

TEST(Faden, KennungIstDieKernelKennungDesAufrufers) {
  const uint32_t haupt = win32::GetCurrentThreadId();
  EXPECT_EQ(haupt, uint32_t(syscall(SYS_gettid)));
  uint32_t neben = 0, nebenKernel = 0;
  std::thread faden([&] {
    neben = win32::GetCurrentThreadId();
    nebenKernel = uint32_t(syscall(SYS_gettid));
  });
  faden.join();
  EXPECT_EQ(neben, nebenKernel);
  EXPECT_NE(neben, haupt);
}
