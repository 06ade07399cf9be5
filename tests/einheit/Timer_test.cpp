#include <gtest/gtest.h>

#include <vector>

#include "Plattform/system/Zaehler.h"
#include "Zarvo_Timer.h"

namespace {

constexpr TZeit MS = 1'000'000;  // ticks per millisecond at the counter's fixed frequency

int64_t g_Zaehler = 0;
int64_t LiesTestZaehler() { return g_Zaehler; }

// Every test runs on a counter it moves by hand.
class Uhr : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Zaehler = 1'000 * MS;
    win32::SetzeZaehlerQuelle(LiesTestZaehler);
  }
  void TearDown() override { win32::SetzeZaehlerQuelle(nullptr); }

  // Moves the counter by `dauer` and ticks the clock.
  static void Bild(Zarvo_Timer& uhr, TZeit dauer) {
    g_Zaehler += dauer;
    uhr.Aktualisiere();
  }
  // A clock whose first, huge step is behind it; frames of `dauer` from now on.
  static void Einschwingen(Zarvo_Timer& uhr, TZeit dauer) {
    Bild(uhr, dauer);
    Bild(uhr, dauer);
  }
};

TEST_F(Uhr, NeueUhrSteht_Bei20Millisekunden) {
  Zarvo_Timer uhr;
  EXPECT_EQ(uhr.zeit, 20 * MS);
  EXPECT_EQ(uhr.letzterSchritt, 20 * MS);
  EXPECT_FALSE(uhr.IstPausiert());
  EXPECT_EQ(SekundenAlsTicks(0.1f), 100 * MS);
}

TEST_F(Uhr, ErsterTickMisstVomZaehlerNull_HalberZaehlerstand) {
  g_Zaehler = 3'000 * MS;
  Zarvo_Timer uhr;
  uhr.Aktualisiere();
  EXPECT_NEAR(double(uhr.letzterSchritt), 1'500.0 * MS, 1.0);
  EXPECT_NEAR(double(uhr.zeit), 1'520.0 * MS, 1.0);
}

TEST_F(Uhr, SchrittTabelle) {
  struct Fall {
    const char* name;
    double geschwindigkeit;
    TZeit maxSchritt;
    TZeit bild;      // frame length while settling
    TZeit letztes;   // length of the measured frame
    TZeit erwartet;  // its step
  };
  const Fall faelle[] = {
      {"gleichmaessig", 1.0, 0, 10 * MS, 10 * MS, 10 * MS},
      {"doppelte Geschwindigkeit", 2.0, 0, 10 * MS, 10 * MS, 20 * MS},
      {"halbe Geschwindigkeit", 0.5, 0, 10 * MS, 10 * MS, 5 * MS},
      {"Stocken gemittelt ueber zwei Bilder", 1.0, 0, 10 * MS, 200 * MS, 105 * MS},
      {"Stocken begrenzt", 1.0, 50 * MS, 10 * MS, 200 * MS, 50 * MS},
      {"Grenze unter dem Schritt wirkt nicht", 1.0, 50 * MS, 10 * MS, 10 * MS, 10 * MS},
      {"negative Grenze heisst keine", 1.0, -5, 10 * MS, 200 * MS, 105 * MS},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    Zarvo_Timer uhr;
    uhr.SetGeschwindigkeit(f.geschwindigkeit);
    Einschwingen(uhr, f.bild);
    uhr.SetMaxSchritt(f.maxSchritt);
    const TZeit vorher = uhr.zeit;
    Bild(uhr, f.letztes);
    EXPECT_NEAR(double(uhr.letzterSchritt), double(f.erwartet), 1.0);
    EXPECT_EQ(uhr.zeit - vorher, uhr.letzterSchritt);
  }
}

TEST_F(Uhr, PausiertSteht_UndFeuertNichts) {
  Zarvo_Timer uhr;
  Einschwingen(uhr, 10 * MS);
  int gefeuert = 0;
  uhr.NeuerTimer(1, [&] { ++gefeuert; });
  uhr.Pausiere();
  const TZeit zeit = uhr.zeit;
  for (int i = 0; i < 5; ++i) Bild(uhr, 1'000 * MS);
  EXPECT_EQ(uhr.letzterSchritt, 0);
  EXPECT_EQ(uhr.zeit, zeit);
  EXPECT_EQ(gefeuert, 0);
  uhr.Fortsetzen();
  Bild(uhr, 10 * MS);
  EXPECT_GT(uhr.letzterSchritt, 0);
  EXPECT_EQ(gefeuert, 1);
}

TEST_F(Uhr, IdsZaehlenAbNull) {
  Zarvo_Timer uhr;
  EXPECT_EQ(uhr.NeuerTimer(10, [] {}), 0u);
  EXPECT_EQ(uhr.NeuerTimer(10, [] {}), 1u);
  uhr.EntferneTimer(0);
  EXPECT_EQ(uhr.NeuerTimer(10, [] {}), 2u);
  EXPECT_EQ(uhr.AnzahlTimer(), 2u);
}

TEST_F(Uhr, GenauFaelligFeuertErstBeimNaechstenSchritt) {
  Zarvo_Timer uhr;
  int gefeuert = 0;
  uhr.NeuerTimer(5 * MS, [&] { ++gefeuert; });
  uhr.Fortschreiten(5 * MS);
  EXPECT_EQ(gefeuert, 0);
  EXPECT_EQ(uhr.AnzahlTimer(), 1u);
  uhr.Fortschreiten(1);
  EXPECT_EQ(gefeuert, 1);
  EXPECT_EQ(uhr.AnzahlTimer(), 0u);
  uhr.Fortschreiten(100 * MS);
  EXPECT_EQ(gefeuert, 1);  // one-shot
}

TEST_F(Uhr, FeuertInDerReihenfolgeDesAnlegens) {
  Zarvo_Timer uhr;
  std::vector<int> reihenfolge;
  uhr.NeuerTimer(3, [&] { reihenfolge.push_back(0); });
  uhr.NeuerTimer(1, [&] { reihenfolge.push_back(1); });
  uhr.NeuerTimer(50, [&] { reihenfolge.push_back(2); });
  uhr.NeuerTimer(2, [&] { reihenfolge.push_back(3); });
  uhr.Fortschreiten(10);
  EXPECT_EQ(reihenfolge, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(uhr.AnzahlTimer(), 1u);
}

TEST_F(Uhr, EntfernenAusEinemRueckrufWirdAufgeschoben) {
  Zarvo_Timer uhr;
  int zweiterGefeuert = 0;
  uint64_t zweiter = 0;
  uhr.NeuerTimer(1, [&] {
    uhr.EntferneTimer(zweiter);
    EXPECT_EQ(uhr.AnzahlTimer(), 3u);  // still there while the walk runs
  });
  zweiter = uhr.NeuerTimer(1, [&] { ++zweiterGefeuert; });
  const uint64_t spaeter = uhr.NeuerTimer(100 * MS, [] {});
  uhr.Fortschreiten(10);
  EXPECT_EQ(zweiterGefeuert, 0);
  ASSERT_EQ(uhr.AnzahlTimer(), 1u);
  uhr.EntferneTimer(spaeter);  // not firing: at once
  EXPECT_EQ(uhr.AnzahlTimer(), 0u);
}

TEST_F(Uhr, SelbstEntfernenIstHarmlos) {
  Zarvo_Timer uhr;
  int gefeuert = 0;
  uint64_t selbst = 0;
  selbst = uhr.NeuerTimer(1, [&] {
    ++gefeuert;
    uhr.EntferneTimer(selbst);
  });
  uhr.NeuerTimer(100 * MS, [] {});
  uhr.NeuerTimer(2, [&] { ++gefeuert; });
  uhr.Fortschreiten(10);
  EXPECT_EQ(gefeuert, 2);
  EXPECT_EQ(uhr.AnzahlTimer(), 1u);
  uhr.EntferneTimer(12345);  // unknown id
  EXPECT_EQ(uhr.AnzahlTimer(), 1u);
}

// The callback appends so many timers that the vector moves under it.
TEST_F(Uhr, RueckrufDerDenVektorWachsenLaesst) {
  Zarvo_Timer uhr;
  int neueGefeuert = 0;
  std::vector<int> gesehen;
  uhr.NeuerTimer(1, [&, wert = std::vector<int>(64, 7)] {
    for (int i = 0; i < 200; ++i) uhr.NeuerTimer(0, [&] { ++neueGefeuert; });
    uhr.NeuerTimer(-5, [&] { ++neueGefeuert; });  // already due: fires in the same walk
    gesehen = wert;                               // the callable's state is still intact
  });
  uhr.Fortschreiten(10);
  EXPECT_EQ(gesehen, std::vector<int>(64, 7));
  EXPECT_EQ(neueGefeuert, 1);
  EXPECT_EQ(uhr.AnzahlTimer(), 200u);
  uhr.Fortschreiten(1);
  EXPECT_EQ(neueGefeuert, 201);
  EXPECT_EQ(uhr.AnzahlTimer(), 0u);
}

TEST_F(Uhr, EintragOhneRueckrufFeuertAlsNichts) {
  Zarvo_Timer uhr;
  uhr.NeuerTimer(1, nullptr);
  uhr.Fortschreiten(10);
  EXPECT_EQ(uhr.AnzahlTimer(), 0u);
}

}  // namespace
