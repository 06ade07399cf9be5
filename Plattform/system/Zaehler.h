#pragma once
// Performance counter and timer period. Ticks are nanoseconds of CLOCK_MONOTONIC, so the
// frequency is a constant; differences of ticks convert to seconds, absolute values need not.
#include <cstdint>

namespace win32 {

using LARGE_INTEGER_WERT = int64_t;

inline constexpr int64_t ZAEHLER_FREQUENZ = 1'000'000'000;

// Reads the counter (or the test source set by SetzeZaehlerQuelle). Always succeeds.
bool QueryPerformanceCounter(int64_t* wert);
// Always 1,000,000,000.
bool QueryPerformanceFrequency(int64_t* frequenz);

// Timer resolution request: nothing to do on Linux; returns 0 (success).
uint32_t timeBeginPeriod(uint32_t millisekunden);

// Test double: replaces the counter; null restores the real one.
using ZaehlerQuelle = int64_t (*)();
void SetzeZaehlerQuelle(ZaehlerQuelle quelle);

}  // namespace win32

namespace win32 {

// Milliseconds of the performance counter, wrapping at 2^32.
uint32_t GetTickCount();

}  // namespace win32
