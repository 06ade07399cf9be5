#include <gtest/gtest.h>

#include <array>
#include <barrier>
#include <thread>
#include <vector>

#include "Plattform/system/Zufall.h"

namespace {

std::vector<int> Ziehe(size_t anzahl) {
  std::vector<int> werte(anzahl);
  for (int& wert : werte) wert = win32::rand();
  return werte;
}

}  // namespace

TEST(Zufall, MillionZuegeBleibenImBereichUndErreichenBeideEnden) {
  std::thread faden([] {
    int kleinster = win32::ZUFALL_MAX, groesster = 0;
    for (int i = 0; i < 1'000'000; ++i) {
      const int wert = win32::rand();
      ASSERT_GE(wert, 0);
      ASSERT_LE(wert, win32::ZUFALL_MAX);
      kleinster = std::min(kleinster, wert);
      groesster = std::max(groesster, wert);
    }
    EXPECT_EQ(kleinster, 0);
    EXPECT_EQ(groesster, 32767);
  });
  faden.join();
}

TEST(Zufall, NeuerFadenBeginntMitDerBekanntenFolge) {
  std::vector<int> erste;
  std::thread faden([&] { erste = Ziehe(5); });
  faden.join();
  EXPECT_EQ(erste, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(Zufall, ZweiFaedenZiehenUnabhaengigDieselbeFolge) {
  // Both threads draw in lock step, so a shared state would give them different values.
  constexpr size_t ANZAHL = 2000;
  std::array<std::vector<int>, 2> folgen;
  std::barrier takt(2);
  auto ziehe = [&](std::vector<int>& folge) {
    for (size_t i = 0; i < ANZAHL; ++i) {
      takt.arrive_and_wait();
      folge.push_back(win32::rand());
    }
  };
  std::thread a(ziehe, std::ref(folgen[0]));
  std::thread b(ziehe, std::ref(folgen[1]));
  a.join();
  b.join();
  EXPECT_EQ(folgen[0], folgen[1]);
  EXPECT_EQ(folgen[0][0], 41);
}

TEST(Zufall, SrandSetztNurDenEigenenFaden) {
  std::vector<int> nachSaat, andere;
  std::thread faden([&] {
    win32::srand(1);
    nachSaat = Ziehe(3);
    win32::srand(12345);
    std::thread anderer([&] { andere = Ziehe(3); });
    anderer.join();
  });
  faden.join();
  EXPECT_EQ(nachSaat, (std::vector<int>{41, 18467, 6334}));
  EXPECT_EQ(andere, nachSaat);
}
