// The fixed clock read on worker threads (log stamps, jobs) while the main thread steps frames:
// every reader sees whole steps from the start, in order.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Plattform/system/Takt.h"
#include "Plattform/system/Zaehler.h"

TEST(TaktFaden, LeserAufAnderenFaedenSehenGanzeSchritteInFolge) {
  pruefbetrieb::Takt::Starte(1000);
  int64_t start = 0;
  win32::QueryPerformanceCounter(&start);
  constexpr int BILDER = 20'000;
  std::atomic<bool> fertig{false};
  std::atomic<int> fehler{0};
  std::vector<std::thread> leser;
  for (int i = 0; i < 4; ++i) {
    leser.emplace_back([&] {
      int64_t zuletzt = start;
      while (!fertig.load()) {
        int64_t jetzt = 0;
        win32::QueryPerformanceCounter(&jetzt);
        if (jetzt < zuletzt || (jetzt - start) % 1'000'000 != 0 || jetzt > start + int64_t(BILDER) * 1'000'000) ++fehler;
        zuletzt = jetzt;
      }
    });
  }
  for (int i = 0; i < BILDER; ++i) pruefbetrieb::Takt::Bild();
  fertig = true;
  for (std::thread& t : leser) t.join();
  int64_t ende = 0;
  win32::QueryPerformanceCounter(&ende);
  pruefbetrieb::Takt::Beende();
  EXPECT_EQ(fehler.load(), 0);
  EXPECT_EQ(ende, start + int64_t(BILDER) * 1'000'000);
  EXPECT_FALSE(pruefbetrieb::Takt::Laeuft());
}
