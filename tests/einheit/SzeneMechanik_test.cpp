// The mechanisms on the shipped level: the animation table, the pressure plates with their
// countdown, the combination lock, the lever as player control plans it, the sounds, and
// animations whose part has no render instance or no record any more. The generator is idle, so
// no gate, lever or button has an instance. Frames are 1/64 s; timings allow one frame of slack.
#include <filesystem>

#include "SzenenHilfen.h"
#include "Zarvo_Start.h"

namespace {

using namespace szenentest;
using Animation = Szene::Animation;

const Zelle PLATTE{4, 1, 20}, PLATTEN_GITTER{4, 1, 19};
const Zelle SCHLOSS{7, 1, 7};

// Frames from the expected count: within one frame either way.
#define EXPECT_BILDER(ist, soll) EXPECT_NEAR(double(ist), double(soll), 1.0)

class SzeneMechanik : public SzenenTest {
 protected:
  void SetUp() override {
    SzenenTest::SetUp();
    LadeMitgeliefert();
  }
  uint64_t Lebend() const { return szene->GibAnimationen().AnzahlLebend(); }
  int BisZustand(Zelle gitter, float zustand) {
    return BilderBis([&] { return Zustand(gitter) == zustand; });
  }
};

TEST_F(SzeneMechanik, TabelleIdsWartenWachstumHinweis) {
  const Animation::Countdown lang{64 * BILD};
  const uint32_t a = s().PlaneAnimation(1, lang), b = s().PlaneAnimation(2, lang), c = s().PlaneAnimation(3, lang);
  EXPECT_EQ(a, 0u << 16 | 0);
  EXPECT_EQ(b, 1u << 16 | 1);
  EXPECT_EQ(c, 2u << 16 | 2);
  EXPECT_EQ(s().GibAnimationen().ersterFreier, 3u);
  s().BrichAnimationenAb(2);
  EXPECT_EQ(s().GibAnimationen().ersterFreier, 1u) << "a cancel lowers the hint";
  EXPECT_FALSE(s().GibAnimationen().IstLebend(1));
  // Slot 1 again, under a new generation: a wait for the old id no longer waits.
  const uint32_t neu = s().PlaneAnimation(4, lang);
  EXPECT_EQ(neu, 3u << 16 | 1);
  const uint32_t wartetAlt = s().PlaneAnimation(5, Animation::Countdown{1}, b);
  const uint32_t wartetNeu = s().PlaneAnimation(6, Animation::Countdown{1}, Szene::KEINE_ANIMATION, neu);
  Bild();
  EXPECT_FALSE(s().GibAnimationen().IstLebend(wartetAlt & 0xFFFF)) << "ran and ended at once";
  EXPECT_TRUE(s().GibAnimationen().IstLebend(wartetNeu & 0xFFFF)) << "waits for the live one";
  // Growth past 64 keeps slots and ids.
  std::vector<uint32_t> ids;
  for (int i = 0; i < 70; ++i) ids.push_back(s().PlaneAnimation(100 + i, lang));
  EXPECT_EQ(s().GibAnimationen().kapazitaet, 128u);
  for (uint32_t id : {a, c, neu, wartetNeu}) EXPECT_EQ(s().GibAnimationen()[id & 0xFFFF].id, id);
  for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(s().GibAnimationen()[ids[i] & 0xFFFF].besitzer, 100 + i);
}

// Two stones on the plate: only the first press and the last release act. The gate closes when
// its opening has finished and five seconds more have passed, in two seconds.
TEST_F(SzeneMechanik, PlatteMitZweiSteinen) {
  const uint64_t erster = s().ErzeugeInstanz(0, {4.25f, 1.05f, 20.25f}, {}, false);
  EXPECT_EQ(Anzahl(PLATTE), 1);
  EXPECT_EQ(Lebend(), 1u) << "the opening";
  const uint32_t oeffnung = s().GibAnimationen()[0].id;
  const uint64_t zweiter = s().ErzeugeInstanz(0, {4.75f, 1.05f, 20.25f}, {}, false);
  EXPECT_EQ(Anzahl(PLATTE), 2);
  EXPECT_EQ(Lebend(), 1u);
  EXPECT_EQ(s().GibAnimationen()[0].id, oeffnung) << "the second press only counts";
  Bilder(32);
  Aus(PLATTE);
  s().EntferneGegenstand(erster);
  EXPECT_EQ(Anzahl(PLATTE), 1);
  EXPECT_EQ(Lebend(), 1u) << "the first release only counts";
  Bilder(32);
  Aus(PLATTE);
  s().EntferneGegenstand(zweiter);
  EXPECT_EQ(Anzahl(PLATTE), 0);
  EXPECT_EQ(Lebend(), 3u) << "opening, countdown, close";
  // The opening runs on: open at 2 s, 64 frames from here.
  EXPECT_BILDER(BisZustand(PLATTEN_GITTER, 1.0f), 64);
  // Five seconds more, then the close.
  EXPECT_BILDER(BilderBis([&] { return Zustand(PLATTEN_GITTER) < 1.0f; }), 320);
  EXPECT_BILDER(BisZustand(PLATTEN_GITTER, 0.0f), 127);
  EXPECT_EQ(Lebend(), 0u);
  EXPECT_EQ(Gespielt("gitter_auf.ogg"), 1u);
  EXPECT_EQ(Gespielt("gitter_zu.ogg"), 1u);
  EXPECT_EQ(Gespielt("schalter.ogg"), 0u);
}

// A new press during the countdown or the close opens the gate again from where it stands.
TEST_F(SzeneMechanik, NeuerDruckOeffnetVomAktuellenZustand) {
  An(PLATTE);
  ASSERT_GT(BisZustand(PLATTEN_GITTER, 1.0f), 0);
  Aus(PLATTE);
  Bilder(64 * 3);
  An(PLATTE);
  EXPECT_EQ(Lebend(), 1u) << "countdown and close cancelled";
  Bilder(64 * 10);
  EXPECT_EQ(Zustand(PLATTEN_GITTER), 1.0f) << "stays open";
  Aus(PLATTE);
  ASSERT_GT(BilderBis([&] { return Zustand(PLATTEN_GITTER) <= 0.5f; }), 0);
  const float halb = Zustand(PLATTEN_GITTER);
  An(PLATTE);
  const int bilder = BisZustand(PLATTEN_GITTER, 1.0f);
  EXPECT_BILDER(bilder, (1.0f - halb) / 0.5f * 64);
  EXPECT_EQ(Gespielt("gitter_auf.ogg"), 1u) << "reopening from half way plays nothing";
  EXPECT_EQ(Gespielt("gitter_zu.ogg"), 1u);
}

TEST_F(SzeneMechanik, AnderePlattenOeffnenHalbSchliessenGanzSchnell) {
  const struct {
    Zelle platte, gitter;
  } faelle[] = {{{1, 4, 12}, {6, 4, 11}}, {{5, 3, 25}, {4, 1, 28}}};
  for (const auto& f : faelle) {
    An(f.platte);
    EXPECT_BILDER(BisZustand(f.gitter, 1.0f), 128) << "speed 0.5";
    Aus(f.platte);
    EXPECT_BILDER(BisZustand(f.gitter, 0.0f), 64) << "speed 1.0";
  }
  // An unlinked cell and a cell without a trigger change nothing.
  An({2, 1, 2});
  EXPECT_EQ(Lebend(), 0u);
}

// Press sequences of the lock: the gate's state once everything has run, and the sounds.
TEST_F(SzeneMechanik, Kombinationsschloss) {
  const struct {
    const char* name;
    std::vector<int32_t> folge;
    float zustand;
    size_t auf, zu;
  } faelle[] = {
      {"the code", {3, 4, 5, 7, 8}, 1, 1, 0},
      {"another order", {8, 5, 7, 3, 4}, 1, 1, 0},
      {"repeats", {3, 3, 4, 8, 4, 5, 8, 7}, 1, 1, 0},
      {"a 6 in the middle empties the set", {3, 4, 6, 5, 7, 8}, 0, 0, 0},
      {"0 only animates and sounds", {3, 0, 4, 5, 7, 0, 8}, 1, 1, 0},
      {"11 resets", {3, 4, 5, 7, 11, 8}, 0, 0, 0},
      {"beyond the buttons, negative", {3, 4, 12, -1, 5, 7, 63, 64, 200, 8}, 1, 1, 0},
      {"6 after the opening closes", {3, 4, 5, 7, 8, -6}, 0, 1, 1},
  };
  for (const auto& f : faelle) {
    Neu();
    Szene::SetzeKombinationZurueck();
    LadeMitgeliefert();
    for (int32_t b : f.folge) {
      if (b == -6) {  // after everything has run
        Bilder(64 * 3);
        b = 6;
      }
      s().DrueckeSchalter(b);
      Bilder(2);
    }
    Bilder(64 * 3);
    EXPECT_EQ(Zustand(SCHLOSS), f.zustand) << f.name;
    EXPECT_EQ(Gespielt("gitter_auf.ogg"), f.auf) << f.name;
    EXPECT_EQ(Gespielt("gitter_zu.ogg"), f.zu) << f.name;
    EXPECT_EQ(Gespielt("schalter.ogg"), f.folge.size()) << f.name;
    EXPECT_EQ(Lebend(), 0u) << f.name;
  }
  // Every sound on the scene's channel group.
  for (const std::string& aufruf : FmodAttrappe::Aufrufe("Channel::setChannelGroup"))
    EXPECT_EQ(aufruf.substr(aufruf.rfind(", ") + 2), gruppe + ")");
}

// The gate opens on the press that completes the set.
TEST_F(SzeneMechanik, SchlossOeffnetBeimLetztenDruck) {
  for (int32_t b : {4, 8, 3, 7}) {
    s().DrueckeSchalter(b);
    Bilder(64);
    EXPECT_EQ(Zustand(SCHLOSS), 0.0f);
  }
  EXPECT_EQ(Szene::Kombination(), uint64_t(1u << 3 | 1u << 4 | 1u << 7 | 1u << 8));
  s().DrueckeSchalter(5);
  Bild();
  EXPECT_GT(Zustand(SCHLOSS), 0.0f);
}

// 6 while the gate opens: it closes and stays closed; the opening under button 8's key does not
// reopen it.
TEST_F(SzeneMechanik, SechsWaehrendDerOeffnung) {
  for (int32_t b : {3, 4, 5, 7, 8}) s().DrueckeSchalter(b);
  Bilder(32);
  ASSERT_GT(Zustand(SCHLOSS), 0.2f);
  s().DrueckeSchalter(6);
  EXPECT_EQ(Szene::Kombination(), 0u);
  Bilder(64 * 5);
  EXPECT_EQ(Zustand(SCHLOSS), 0.0f);
  EXPECT_EQ(Gespielt("gitter_auf.ogg"), 1u);
  EXPECT_EQ(Gespielt("gitter_zu.ogg"), 0u) << "it never was open";
}

// The set is the program's, not the scene's.
TEST_F(SzeneMechanik, KombinationUeberlebtNeubauUndNeueSzene) {
  for (int32_t b : {3, 4, 5}) s().DrueckeSchalter(b);
  s().BaueAusObjekten();
  s().DrueckeSchalter(7);
  Neu();
  LadeMitgeliefert();
  s().DrueckeSchalter(8);
  EXPECT_BILDER(BisZustand(SCHLOSS, 1.0f), 128);
}

// As player control plans the lever at (2, 1, 14): cancel its key, the lever, then its two gates.
TEST_F(SzeneMechanik, HebelWiePlayerControl) {
  const uint64_t besitzer = Szene::HebelBesitzer(0);
  EXPECT_EQ(besitzer, 0x2000000000000ull);
  s().BrichAnimationenAb(besitzer);
  s().PlaneAnimation(besitzer, Animation::HebelZiel{0, 1.0f, 2.0f});
  s().PlaneAnimation(besitzer, Animation::GitterZiel{3, 1, 15, 1.0f, 1.0f});
  s().PlaneAnimation(besitzer, Animation::GitterZiel{4, 1, 19, 1.0f, 1.0f});
  const int hebel = BilderBis([&] { return s().GibHebel()[0].zustand == 1.0f; });
  EXPECT_BILDER(hebel, 32);
  EXPECT_BILDER(hebel + BilderBis([&] { return Zustand({3, 1, 15}) == 1.0f && Zustand({4, 1, 19}) == 1.0f; }), 64);
  EXPECT_EQ(Gespielt("gitter_auf.ogg"), 2u);
  EXPECT_EQ(Lebend(), 0u);
}

// Each sound once per movement, whatever the frames; each file loaded once.
TEST_F(SzeneMechanik, KlangEinmalProBewegung) {
  const Zelle platte{1, 4, 12}, gitter{6, 4, 11};
  const struct {
    const char* name;
    int64_t erstes, weitere;
  } faelle[] = {
      {"1 ms frames", 1000000, 1000000},
      {"a zero-tick first frame", 0, BILD},
      {"zero-tick frames between", 0, 0},
  };
  for (const auto& f : faelle) {
    Neu();
    LadeMitgeliefert();
    for (int runde = 0; runde < 2; ++runde) {
      for (bool an : {true, false}) {
        if (an)
          An(platte);
        else
          Aus(platte);
        Bild(f.erstes);
        for (int i = 0; i < 5000 && Lebend() > 0; ++i) Bild(f.weitere ? f.weitere : (i % 2 ? 0 : BILD));
        ASSERT_EQ(Lebend(), 0u) << f.name;
      }
      EXPECT_LT(Zustand(gitter), 0.0001f) << f.name;
    }
    EXPECT_EQ(Gespielt("gitter_auf.ogg"), 2u) << f.name;
    EXPECT_EQ(Gespielt("gitter_zu.ogg"), 2u) << f.name;
    EXPECT_EQ(Erzeugt("gitter_auf.ogg"), 1u) << f.name;
    EXPECT_EQ(Erzeugt("gitter_zu.ogg"), 1u) << f.name;
  }
}

// The path reaches FMOD as the same UTF-8 it was: decoded to code points, not widened by bytes.
TEST_F(SzeneMechanik, KlangPfadMitUmlauten) {
  const std::filesystem::path vorher = g_System.anwendungsVerzeichnis;
  g_System.anwendungsVerzeichnis = "/tmp/Spiele/Mörvelünt €";
  s().DrueckeSchalter(0);
  g_System.anwendungsVerzeichnis = vorher;
  EXPECT_EQ(FmodAttrappe::Aufrufe("createSound("),
            std::vector<std::string>{"createSound(/tmp/Spiele/Mörvelünt €/Daten/schalter.ogg, 0x2000050, null)"});
  EXPECT_EQ(Gespielt("schalter.ogg"), 1u);
}

TEST_F(SzeneMechanik, OhneAudioStill) {
  Neu(false);
  LadeMitgeliefert();
  An(PLATTE);
  s().DrueckeSchalter(3);
  ASSERT_GT(BisZustand(PLATTEN_GITTER, 1.0f), 0);
  EXPECT_TRUE(FmodAttrappe::Aufrufe("playSound").empty());
  EXPECT_TRUE(FmodAttrappe::Aufrufe("createSound").empty());
}

// No gate, lever or button has a render instance here: gates and levers move all the same, and
// a button runs its course. A gate animation for a cell without a gate ends at once.
TEST_F(SzeneMechanik, OhneInstanzOderOhneGitter) {
  EXPECT_EQ(s().instanzen.AnzahlLebend(), 2u) << "only the two stones";
  An(PLATTE);
  EXPECT_BILDER(BisZustand(PLATTEN_GITTER, 1.0f), 128);
  EXPECT_TRUE(s().GitterZu({3, 1, 15}));
  EXPECT_FALSE(s().GitterZu(PLATTEN_GITTER));
  EXPECT_FALSE(s().GitterZu({2, 1, 2})) << "no gate there";
  s().PlaneAnimation(7, Animation::GitterZiel{2, 1, 2, 1.0f, 0.5f});
  Bild();
  EXPECT_EQ(Lebend(), 0u);
  s().DrueckeSchalter(0);
  EXPECT_BILDER(BilderBis([&] { return Lebend() == 0; }), 32);
}

// A lever or button animation outlives the rebuild that removed its record: it ends at its step.
TEST_F(SzeneMechanik, VeralteteIndizesNachNeubau) {
  s().PlaneAnimation(Szene::HebelBesitzer(0), Animation::HebelZiel{0, 1.0f, 2.0f});
  s().DrueckeSchalter(11);
  Bild();
  EXPECT_EQ(Lebend(), 2u) << "lever and button; the lock's close found its gate closed";
  s().karte.objekte.clear();
  s().BaueAusObjekten();
  EXPECT_EQ(Lebend(), 2u) << "the rebuild leaves the table alone";
  Bild();
  EXPECT_EQ(Lebend(), 0u);
  // Indices beyond any vector from the start.
  s().PlaneAnimation(1, Animation::HebelZiel{0xFFFFFFFFu, 1.0f, 2.0f});
  s().PlaneAnimation(1, Animation::KnopfDruck{~0ull, BILD, 0});
  Bild();
  EXPECT_EQ(Lebend(), 0u);
}

}  // namespace
