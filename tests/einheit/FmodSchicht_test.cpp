// The OpenAL Soft layer on its test loopback output: levels, pause, loop, end, handles, streams,
// release and voices. Rendered in 800-frame steps with update() between them, as frames would.
#include <gtest/gtest.h>

#include "Plattform/fmod/fmod.h"
#include "fmod_attrappe/Testklaenge.h"

#include <AL/al.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 48000;
constexpr int SCHRITT = 800;

struct Pegel {
  double links = 0, rechts = 0;
};

class FmodSchicht : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(system->setOutput(FMOD_OUTPUTTYPE_LOOPBACK), FMOD_OK);
    ASSERT_EQ(system->init(100, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    ASSERT_EQ(system->getMasterChannelGroup(&master), FMOD_OK);
  }
  void TearDown() override {
    if (system) system->release();
  }

  FMOD::Sound* Lade(const char* name, FMOD_MODE modus = FMOD_DEFAULT) {
    FMOD::Sound* klang = nullptr;
    EXPECT_EQ(system->createSound(Testklaenge::Pfad(name).c_str(), modus, nullptr, &klang), FMOD_OK) << name;
    return klang;
  }
  FMOD::Channel Spiele(FMOD::Sound* klang, FMOD::ChannelGroup* gruppe = nullptr, float lautstaerke = 1.0f) {
    FMOD::Channel kanal;
    EXPECT_EQ(system->playSound(FMOD_CHANNEL_FREE, klang, true, &kanal), FMOD_OK);
    if (gruppe) {
      EXPECT_EQ(kanal.setChannelGroup(gruppe), FMOD_OK);
    }
    EXPECT_EQ(kanal.setVolume(lautstaerke), FMOD_OK);
    EXPECT_EQ(kanal.setPaused(false), FMOD_OK);
    return kanal;
  }
  // Renders `sekunden`, with update() before each step unless `ohneUpdate`, and returns the output.
  std::vector<float> Rendere(double sekunden, bool ohneUpdate = false) {
    std::vector<float> ausgabe;
    const int schritte = int(std::lround(sekunden * RATE / SCHRITT));
    std::vector<float> block(2 * SCHRITT);
    for (int i = 0; i < schritte; ++i) {
      if (!ohneUpdate) {
        EXPECT_EQ(system->update(), FMOD_OK);
      }
      EXPECT_EQ(system->renderLoopback(block.data(), SCHRITT), FMOD_OK);
      ausgabe.insert(ausgabe.end(), block.begin(), block.end());
    }
    return ausgabe;
  }
  // RMS per channel over [von, bis) seconds of a rendered output.
  static Pegel Messe(const std::vector<float>& ausgabe, double von, double bis) {
    const size_t anfang = size_t(von * RATE), ende = std::min(ausgabe.size() / 2, size_t(bis * RATE));
    Pegel pegel;
    for (size_t i = anfang; i < ende; ++i) {
      pegel.links += double(ausgabe[2 * i]) * ausgabe[2 * i];
      pegel.rechts += double(ausgabe[2 * i + 1]) * ausgabe[2 * i + 1];
    }
    const double anzahl = double(std::max<size_t>(1, ende - anfang));
    return {std::sqrt(pegel.links / anzahl), std::sqrt(pegel.rechts / anzahl)};
  }
  // Level of a looping 1 s sine set up by `einstellen`, measured over 0.1..0.3 s; stops it again.
  template <class F>
  double DauerPegel(F einstellen) {
    FMOD::Sound* klang = Lade("sinus_1s.ogg", FMOD_LOOP_NORMAL);
    FMOD::Channel kanal;
    EXPECT_EQ(system->playSound(FMOD_CHANNEL_FREE, klang, true, &kanal), FMOD_OK);
    einstellen(kanal);
    EXPECT_EQ(kanal.setPaused(false), FMOD_OK);
    double pegel = Messe(Rendere(0.3), 0.1, 0.3).links;
    EXPECT_EQ(klang->release(), FMOD_OK);
    return pegel;
  }
  FMOD::ChannelGroup* Gruppe() {
    FMOD::ChannelGroup* gruppe = nullptr;
    EXPECT_EQ(system->createChannelGroup(nullptr, &gruppe), FMOD_OK);
    return gruppe;
  }

  FMOD::System* system = nullptr;
  FMOD::ChannelGroup* master = nullptr;
};

constexpr double STILLE = 1e-4;

}  // namespace

TEST_F(FmodSchicht, LautstaerkeVonKanalUndGruppen) {
  const double voll = DauerPegel([](FMOD::Channel&) {});
  EXPECT_GT(voll, 0.1);
  FMOD::Sound* klang = Lade("sinus_1s.ogg");
  Spiele(klang);
  Pegel mitte = Messe(Rendere(0.3), 0.1, 0.3);
  EXPECT_NEAR(mitte.rechts / mitte.links, 1.0, 0.02);  // centred
  klang->release();

  FMOD::ChannelGroup* halb = Gruppe();
  halb->setVolume(0.5f);
  FMOD::ChannelGroup* innen = Gruppe();
  ASSERT_EQ(halb->addGroup(innen), FMOD_OK);
  innen->setVolume(0.5f);
  FMOD::ChannelGroup* stumm = Gruppe();
  stumm->setVolume(0.0f);
  struct Fall {
    const char* name;
    FMOD::ChannelGroup* gruppe;
    float lautstaerke;
    double verhaeltnis;
  };
  for (const Fall& fall : {Fall{"kanal_halb", nullptr, 0.5f, 0.5}, Fall{"gruppe_halb", halb, 1.0f, 0.5},
                           Fall{"verschachtelt", innen, 1.0f, 0.25}, Fall{"gruppe_stumm", stumm, 1.0f, 0.0},
                           Fall{"ueber_eins_begrenzt", nullptr, 4.0f, 1.0}}) {
    SCOPED_TRACE(fall.name);
    double pegel = DauerPegel([&](FMOD::Channel& kanal) {
      if (fall.gruppe) {
        EXPECT_EQ(kanal.setChannelGroup(fall.gruppe), FMOD_OK);
      }
      EXPECT_EQ(kanal.setVolume(fall.lautstaerke), FMOD_OK);
    });
    EXPECT_NEAR(pegel / voll, fall.verhaeltnis, 0.02);
  }
  // A change to a group reaches the channels already playing in it.
  Spiele(Lade("sinus_1s.ogg", FMOD_LOOP_NORMAL), halb);
  Rendere(0.1);
  halb->setVolume(1.0f);
  EXPECT_NEAR(Messe(Rendere(0.3), 0.1, 0.3).links / voll, 1.0, 0.02);
}

TEST_F(FmodSchicht, AngehaltenerKanalSetztDortFort) {
  FMOD::Channel kanal = Spiele(Lade("sinus_1s.ogg"));
  std::vector<float> ausgabe = Rendere(0.25);
  ASSERT_EQ(kanal.setPaused(true), FMOD_OK);
  auto pause = Rendere(0.5);
  ausgabe.insert(ausgabe.end(), pause.begin(), pause.end());
  ASSERT_EQ(kanal.setPaused(false), FMOD_OK);
  auto rest = Rendere(1.0);
  ausgabe.insert(ausgabe.end(), rest.begin(), rest.end());
  EXPECT_GT(Messe(ausgabe, 0.05, 0.25).links, 0.1);
  EXPECT_LT(Messe(ausgabe, 0.27, 0.75).links, STILLE);
  EXPECT_GT(Messe(ausgabe, 1.3, 1.48).links, 0.1);  // a 1 s sound paused for 0.5 s ends at 1.5 s
  EXPECT_LT(Messe(ausgabe, 1.52, 1.75).links, STILLE);
}

TEST_F(FmodSchicht, AngehalteneGruppeHaeltIhreKanaele) {
  FMOD::ChannelGroup* gruppe = Gruppe();
  ASSERT_EQ(gruppe->setPaused(true), FMOD_OK);
  FMOD::Channel kanal = Spiele(Lade("sinus_1s.ogg", FMOD_LOOP_NORMAL), gruppe);  // unpaused inside the group
  EXPECT_LT(Messe(Rendere(0.2), 0.0, 0.2).links, STILLE);
  ASSERT_EQ(gruppe->setPaused(false), FMOD_OK);
  EXPECT_GT(Messe(Rendere(0.2), 0.05, 0.2).links, 0.1);
  ASSERT_EQ(master->setPaused(true), FMOD_OK);  // an ancestor pauses it too
  EXPECT_LT(Messe(Rendere(0.2), 0.0, 0.2).links, STILLE);
  ASSERT_EQ(master->setPaused(false), FMOD_OK);
  ASSERT_EQ(kanal.setPaused(true), FMOD_OK);
  EXPECT_LT(Messe(Rendere(0.2), 0.0, 0.2).links, STILLE);
}

TEST_F(FmodSchicht, SchleifeKlingtUndEinmaligesEndet) {
  FMOD::Channel schleife = Spiele(Lade("sinus_0_1s.ogg", FMOD_LOOP_NORMAL));
  EXPECT_GT(Messe(Rendere(1.0), 0.9, 0.98).links, 0.1);
  schleife.stop();
  FMOD::Channel einmal = Spiele(Lade("sinus_0_1s.ogg"));
  std::vector<float> ausgabe = Rendere(0.4);
  EXPECT_GT(Messe(ausgabe, 0.02, 0.08).links, 0.1);
  EXPECT_LT(Messe(ausgabe, 0.12, 0.4).links, STILLE);
  bool spielt = true;
  EXPECT_EQ(einmal.isPlaying(&spielt), FMOD_ERR_INVALID_HANDLE);  // reaped by update()
  EXPECT_FALSE(spielt);
}

TEST_F(FmodSchicht, StoppUndAlteHandles) {
  FMOD::Sound* klang = Lade("sinus_1s.ogg", FMOD_LOOP_NORMAL);
  FMOD::Channel a = Spiele(klang);
  Rendere(0.1);
  bool spielt = false;
  EXPECT_EQ(a.isPlaying(&spielt), FMOD_OK);
  EXPECT_TRUE(spielt);
  ASSERT_EQ(a.stop(), FMOD_OK);
  EXPECT_LT(Messe(Rendere(0.1), 0.0, 0.1).links, STILLE);
  EXPECT_EQ(a.isPlaying(&spielt), FMOD_ERR_INVALID_HANDLE);
  FMOD::Channel b = Spiele(klang);
  ASSERT_EQ(b.slot(), a.slot());
  for (FMOD_RESULT ergebnis : {a.stop(), a.setPaused(true), a.setVolume(0.0f), a.setChannelGroup(master)})
    EXPECT_EQ(ergebnis, FMOD_ERR_INVALID_HANDLE);
  EXPECT_GT(Messe(Rendere(0.2), 0.05, 0.2).links, 0.1);  // B plays on
  EXPECT_EQ(FMOD::Channel().stop(), FMOD_ERR_INVALID_HANDLE);
}

TEST_F(FmodSchicht, StromBleibtLinksIstStetigUndEndet) {
  FMOD::Channel kanal = Spiele(Lade("links_2s.ogg", FMOD_CREATESTREAM));
  std::vector<float> ausgabe = Rendere(2.4);
  for (double t = 0.0; t < 1.9; t += 0.05) {
    Pegel pegel = Messe(ausgabe, t, t + 0.05);
    EXPECT_GT(pegel.links, 0.1) << t;
    EXPECT_LT(pegel.rechts, 0.01 * pegel.links) << t;
  }
  EXPECT_LT(Messe(ausgabe, 2.1, 2.4).links, STILLE);
  bool spielt = true;
  EXPECT_EQ(kanal.isPlaying(&spielt), FMOD_ERR_INVALID_HANDLE);
}

TEST_F(FmodSchicht, KurzerStromInSchleifeIstStetig) {
  Spiele(Lade("sinus_0_1s.ogg", FMOD_CREATESTREAM | FMOD_LOOP_NORMAL));
  std::vector<float> ausgabe = Rendere(3.0);
  for (double t = 0.0; t < 2.95; t += 0.05) EXPECT_GT(Messe(ausgabe, t, t + 0.05).links, 0.1) << t;
}

TEST_F(FmodSchicht, LeergelaufenerStromSpieltNachUpdateWeiter) {
  Spiele(Lade("links_2s.ogg", FMOD_CREATESTREAM | FMOD_LOOP_NORMAL));
  system->update();
  std::vector<float> ohne = Rendere(2.0, true);
  EXPECT_GT(Messe(ohne, 0.1, 0.9).links, 0.1);
  EXPECT_LT(Messe(ohne, 1.5, 2.0).links, STILLE);
  EXPECT_GT(Messe(Rendere(0.3), 0.05, 0.3).links, 0.1);
}

TEST_F(FmodSchicht, FreigabeSpielenderKlaengeOhneAlFehler) {
  FMOD::Sound* probe = Lade("sinus_1s.ogg");
  FMOD::Sound* strom = Lade("links_2s.ogg", FMOD_CREATESTREAM);
  FMOD::Channel a = Spiele(probe), b = Spiele(strom);
  ASSERT_FALSE(b.isNull());
  Rendere(0.1);
  alGetError();
  EXPECT_EQ(probe->release(), FMOD_OK);
  EXPECT_EQ(strom->release(), FMOD_OK);
  EXPECT_EQ(alGetError(), AL_NO_ERROR);
  EXPECT_EQ(a.stop(), FMOD_ERR_INVALID_HANDLE);
  EXPECT_LT(Messe(Rendere(0.1), 0.0, 0.1).links, STILLE);
}

TEST_F(FmodSchicht, HundertStimmenOhneVerdraengen) {
  FMOD::Sound* lang = Lade("sinus_1s.ogg", FMOD_LOOP_NORMAL);
  FMOD::Sound* kurz = Lade("sinus_0_1s.ogg");
  FMOD::Channel kanal;
  ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, kurz, false, &kanal), FMOD_OK);
  for (int i = 1; i < 100; ++i) ASSERT_EQ(system->playSound(FMOD_CHANNEL_FREE, lang, false, &kanal), FMOD_OK) << i;
  EXPECT_EQ(system->playSound(FMOD_CHANNEL_FREE, lang, false, &kanal), FMOD_ERR_CHANNEL_ALLOC);
  EXPECT_TRUE(kanal.isNull());
  Rendere(0.2);  // the short one ends and is reaped
  EXPECT_EQ(system->playSound(FMOD_CHANNEL_FREE, lang, false, &kanal), FMOD_OK);
}

TEST_F(FmodSchicht, VerketteteDateiEndetAmFormatwechsel) {
  Spiele(Lade("verkettet.ogg"));
  std::vector<float> ausgabe = Rendere(0.6);
  EXPECT_GT(Messe(ausgabe, 0.05, 0.18).links, 0.1);
  EXPECT_LT(Messe(ausgabe, 0.25, 0.6).links, STILLE);
}

// A file whose codebook fails to set up: the first read fails, and libvorbisfile then lets a seek
// to the start succeed although the next read would divide by zero inside libvorbis.
TEST_F(FmodSchicht, GescheiterterDekoderWirdNichtErneutGelesen) {
  const std::string pfad = std::string(MORVELUNT_KLANG_KORPUS) + "/kaputtes_codebuch.ogg";
  FMOD::Sound* probe = nullptr;
  EXPECT_EQ(system->createSound(pfad.c_str(), FMOD_DEFAULT, nullptr, &probe), FMOD_ERR_FORMAT);
  EXPECT_EQ(probe, nullptr);
  FMOD::Sound* strom = nullptr;
  ASSERT_EQ(system->createSound(pfad.c_str(), FMOD_CREATESTREAM | FMOD_LOOP_NORMAL, nullptr, &strom), FMOD_OK);
  FMOD::Channel kanal = Spiele(strom);
  EXPECT_LT(Messe(Rendere(0.2), 0.0, 0.2).links, STILLE);
  bool spielt = true;
  EXPECT_EQ(kanal.isPlaying(&spielt), FMOD_ERR_INVALID_HANDLE);  // ended and reaped
  EXPECT_EQ(strom->release(), FMOD_OK);
}

TEST_F(FmodSchicht, ZweiSystemeInEinemProzess) {
  FMOD::System* zweites = nullptr;
  ASSERT_EQ(FMOD_System_Create(&zweites), FMOD_OK);
  ASSERT_EQ(zweites->setOutput(FMOD_OUTPUTTYPE_LOOPBACK), FMOD_OK);
  ASSERT_EQ(zweites->init(4, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
  FMOD::Channel hier = Spiele(Lade("sinus_1s.ogg", FMOD_LOOP_NORMAL));
  EXPECT_GT(Messe(Rendere(0.2), 0.05, 0.2).links, 0.1);  // our context is current again
  FMOD::Channel dort;
  FMOD::Sound* fremd = nullptr;
  ASSERT_EQ(zweites->createSound(Testklaenge::Pfad("sinus_1s.ogg").c_str(), FMOD_DEFAULT, nullptr, &fremd), FMOD_OK);
  EXPECT_EQ(system->playSound(FMOD_CHANNEL_FREE, fremd, false, &dort), FMOD_ERR_INVALID_PARAM);
  EXPECT_EQ(zweites->release(), FMOD_OK);
  EXPECT_GT(Messe(Rendere(0.2), 0.05, 0.2).links, 0.1);
  EXPECT_EQ(hier.stop(), FMOD_OK);
}

// Only starts that succeed count, per file and over every system; reading resets the counts.
TEST_F(FmodSchicht, GestarteteKlaengeJeDateiBisZumAbruf) {
  FMOD::NimmGestarteteKlaenge();
  FMOD::Sound* sinus = Lade("sinus_0_1s.ogg");
  FMOD::Sound* strom = Lade("links_2s.ogg", FMOD_CREATESTREAM);
  Spiele(sinus);
  Spiele(strom);
  Spiele(sinus);
  FMOD::Channel kanal;
  EXPECT_EQ(system->playSound(FMOD_CHANNELINDEX(0), sinus, false, &kanal), FMOD_ERR_INVALID_PARAM);
  FMOD::System* zweites = nullptr;
  ASSERT_EQ(FMOD_System_Create(&zweites), FMOD_OK);
  ASSERT_EQ(zweites->setOutput(FMOD_OUTPUTTYPE_LOOPBACK), FMOD_OK);
  ASSERT_EQ(zweites->init(1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
  FMOD::Sound* dort = nullptr;
  ASSERT_EQ(zweites->createSound(Testklaenge::Pfad("sinus_1s.ogg").c_str(), FMOD_DEFAULT, nullptr, &dort), FMOD_OK);
  EXPECT_EQ(zweites->playSound(FMOD_CHANNEL_FREE, dort, false, &kanal), FMOD_OK);
  EXPECT_EQ(zweites->playSound(FMOD_CHANNEL_FREE, dort, false, &kanal), FMOD_ERR_CHANNEL_ALLOC);
  EXPECT_EQ(zweites->release(), FMOD_OK);

  const std::map<std::string, unsigned> erwartet = {{Testklaenge::Pfad("sinus_0_1s.ogg"), 2u},
                                                    {Testklaenge::Pfad("links_2s.ogg"), 1u},
                                                    {Testklaenge::Pfad("sinus_1s.ogg"), 1u}};
  EXPECT_EQ(FMOD::NimmGestarteteKlaenge(), erwartet);
  EXPECT_TRUE(FMOD::NimmGestarteteKlaenge().empty());
  Spiele(strom);
  EXPECT_EQ(FMOD::NimmGestarteteKlaenge(), (std::map<std::string, unsigned>{{Testklaenge::Pfad("links_2s.ogg"), 1u}}));
}

TEST(FmodFehlertexte, BekannteUndUnbekannteCodes) {
  EXPECT_STREQ(FMOD_ErrorString(FMOD_OK), "No errors.");
  EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_FILE_NOTFOUND), "File not found.");
  for (int code : {-1, 1, 96, 1000}) EXPECT_STREQ(FMOD_ErrorString(FMOD_RESULT(code)), "Unknown error.") << code;
}
