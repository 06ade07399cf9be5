// Samples, sounds and effects of Zarvo_Audio on the scripted FMOD system.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Zarvo_Audio.h"
#include "fmod_attrappe/FmodAttrappe.h"
#include "fmod_attrappe/LogMitschrift.h"

#include <memory>

using ::testing::ElementsAreArray;

namespace {

const std::string FEHLER_INTERN = "!  Fehler 33: An error occurred that wasn't supposed to.";

class AudioSample : public ::testing::Test {
 protected:
  void SetUp() override {
    FmodAttrappe::Setze(FmodSkript());
    audio = std::make_unique<Zarvo_Audio>();
    ASSERT_TRUE(audio->Init());
    kanal = audio->ErzeugeKanal();
    ASSERT_NE(kanal, nullptr);
    FmodAttrappe::LeereAufrufe();
    log.zeilen.clear();
  }
  void TearDown() override {
    audio.reset();
    FmodAttrappe::Entferne();
  }
  // The calls after loading: what playing and stopping did.
  std::vector<std::string> KanalAufrufe() {
    std::vector<std::string> ergebnis;
    for (const std::string& aufruf : FmodAttrappe::Aufrufe())
      if (aufruf.rfind("playSound", 0) == 0 || aufruf.rfind("Channel::", 0) == 0) ergebnis.push_back(aufruf);
    return ergebnis;
  }

  LogMitschrift log;
  std::unique_ptr<Zarvo_Audio> audio;
  Zarvo_AudioKanal* kanal = nullptr;
};

}  // namespace

TEST_F(AudioSample, LadenSetztModusUndNutzerdaten) {
  EXPECT_EQ(audio->LadeSample(L"Daten/effekt.ogg", false, false), 0);
  EXPECT_EQ(audio->LadeSample(L"Daten/musik.ogg", true, false), 1);
  EXPECT_EQ(audio->LadeSample(L"Daten/gepackt.ogg", false, true), 2);
  EXPECT_THAT(FmodAttrappe::Aufrufe("createSound"),
              ElementsAreArray(std::vector<std::string>{"createSound(Daten/effekt.ogg, 0x2000050, null)", "createSound(Daten/musik.ogg, 0x20000d0, null)",
                                "createSound(Daten/gepackt.ogg, 0x2000250, null)"}));
  Zarvo_AudioSample* sample = audio->GibSample(1);
  ASSERT_NE(sample, nullptr);
  void* daten = nullptr;
  sample->sound->getUserData(&daten);
  EXPECT_EQ(daten, sample);
  EXPECT_TRUE(sample->SetWiederholen());
  EXPECT_THAT(FmodAttrappe::Aufrufe("Sound::setMode"), ElementsAreArray(std::vector<std::string>{"Sound::setMode(s1, 2)"}));
}

TEST_F(AudioSample, SpieleAbInDieserReihenfolge) {
  Zarvo_AudioSample* sample = audio->GibSample(audio->LadeSample(L"a.ogg", false, false));
  ASSERT_NE(sample, nullptr);
  Zarvo_AudioSound sound = sample->SpieleAb(kanal);
  EXPECT_FALSE(sound.IstNull());
  EXPECT_THAT(KanalAufrufe(), ElementsAreArray(std::vector<std::string>{"playSound(-1, s0, true)", "Channel::setChannelGroup(c0, g1)",
                                                "Channel::setVolume(c0, 0.50)", "Channel::setPaused(c0, false)"}));
  EXPECT_TRUE(log.zeilen.empty());
  EXPECT_TRUE(sound.Stopp());
  // The copy names the same channel, which has ended now.
  Zarvo_AudioSound kopie = sound;
  EXPECT_FALSE(kopie.Stopp());
}

TEST_F(AudioSample, FehlerJeSchritt) {
  struct Fall {
    const char* operation;
    std::string meldung;
    bool spielt;
    std::vector<std::string> aufrufe;
  };
  const std::vector<Fall> faelle = {
      {"playSound", "!Zarvo_AudioSample::SpieleAb(): Abspielen eines Sounds gescheitert.", false, {"playSound(-1, s0, true)"}},
      {"Channel::setChannelGroup", "!Zarvo_AudioSample::SpieleAb(): Kanalzuweisung eines Sounds gescheitert.", false,
       {"playSound(-1, s0, true)", "Channel::setChannelGroup(c0, g1)", "Channel::stop(c0)"}},
      {"Channel::setVolume", "!Zarvo_AudioSample::SpieleAb(): Setzen der Lautstärke eines Sounds gescheitert.", true,
       {"playSound(-1, s0, true)", "Channel::setChannelGroup(c0, g1)", "Channel::setVolume(c0, 0.50)", "Channel::setPaused(c0, false)"}},
      {"Channel::setPaused", "!Zarvo_AudioSample::SpieleAb(): Anhalten/Fortsetzen eines Sounds gescheitert.", false,
       {"playSound(-1, s0, true)", "Channel::setChannelGroup(c0, g1)", "Channel::setVolume(c0, 0.50)", "Channel::setPaused(c0, false)",
        "Channel::stop(c0)"}},
  };
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.operation);
    TearDown();
    SetUp();
    Zarvo_AudioSample* sample = audio->GibSample(audio->LadeSample(L"a.ogg", false, false));
    ASSERT_NE(sample, nullptr);
    FmodAttrappe::Skripte(fall.operation, {FMOD_ERR_INTERNAL});
    Zarvo_AudioSound sound = sample->SpieleAb(kanal);
    EXPECT_EQ(!sound.IstNull(), fall.spielt);
    EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{fall.meldung, FEHLER_INTERN}));
    EXPECT_THAT(KanalAufrufe(), ElementsAreArray(fall.aufrufe));
  }
}

TEST_F(AudioSample, UngueltigesSampleRuftNichtsAuf) {
  Zarvo_AudioSample ungueltig(audio->GibSystem(), L"x.ogg", false, false);
  ungueltig.gueltig = false;
  FmodAttrappe::LeereAufrufe();
  Zarvo_AudioSound sound = ungueltig.SpieleAb(kanal);
  EXPECT_TRUE(sound.IstNull());
  EXPECT_FALSE(sound.Stopp());
  EXPECT_FALSE(ungueltig.SetWiederholen());
  EXPECT_TRUE(FmodAttrappe::Aufrufe().empty());
}

TEST_F(AudioSample, ScheiterndesStoppWirdGemeldet) {
  Zarvo_AudioSound sound = audio->GibSample(audio->LadeSample(L"a.ogg", false, false))->SpieleAb(kanal);
  FmodAttrappe::Skripte("Channel::stop", {FMOD_ERR_INTERNAL});
  log.zeilen.clear();
  EXPECT_FALSE(sound.Stopp());
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{"!Zarvo_AudioSound::Stopp(): Stoppen eines Sounds gescheitert.", FEHLER_INTERN}));
}

TEST_F(AudioSample, FehlerBeiSchleifeUndFreigabe) {
  int64_t slot = audio->LadeSample(L"a.ogg", false, false);
  FmodAttrappe::Skripte("Sound::setMode", {FMOD_ERR_INTERNAL});
  EXPECT_FALSE(audio->GibSample(slot)->SetWiederholen());
  FmodAttrappe::Skripte("Sound::release", {FMOD_ERR_INTERNAL});
  audio->Beenden();
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{"!Zarvo_AudioSample::SetWiederholen(): Loop-Einstellung setzen eines Sounds gescheitert.",
                                            FEHLER_INTERN, "Audio wird geschlossen.",
                                            "!Zarvo_AudioSample::~Zarvo_AudioSample(): Freigeben des Audio-Samples fehlgeschlagen"}));
}

TEST_F(AudioSample, LadenVorInitGibtNull) {
  FmodAttrappe::Setze(FmodSkript());
  Zarvo_Audio ohneInit;
  EXPECT_EQ(ohneInit.LadeSample(L"a.ogg", false, false), 0);
  EXPECT_EQ(ohneInit.GibSample(0), nullptr);
  EXPECT_TRUE(FmodAttrappe::Aufrufe("createSound").empty());
}

TEST_F(AudioSample, FehlendeDateiGibtMinusEinsOhneSlot) {
  FmodAttrappe::Skripte("createSound", {FMOD_ERR_FILE_NOTFOUND});
  EXPECT_EQ(audio->LadeSample(L"Daten/fehlt.ogg", false, false), -1);
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{"!Zarvo_AudioSample::Zarvo_AudioSample(): Erstellen des Samples aus Datei Daten/fehlt.ogg fehlgeschlagen",
                                            "!  Fehler 23: File not found."}));
  EXPECT_EQ(audio->GibSample(-1), nullptr);
  EXPECT_EQ(audio->LadeSample(L"Daten/da.ogg", false, false), 0);
}

TEST_F(AudioSample, PfadOhneUtf8FormScheitertAlsFehlendeDatei) {
  std::wstring pfad = L"Daten/a";
  pfad += wchar_t(0xD800);  // a lone surrogate has no UTF-8 form
  pfad += L"ä.ogg";
  EXPECT_EQ(audio->LadeSample(pfad, false, false), -1);
  EXPECT_TRUE(FmodAttrappe::Aufrufe("createSound").empty());
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{"!Zarvo_AudioSample::Zarvo_AudioSample(): Erstellen des Samples aus Datei Daten/a\xEF\xBF\xBD\xC3\xA4.ogg fehlgeschlagen",
                                            "!  Fehler 23: File not found."}));
  EXPECT_EQ(audio->LadeSample(L"Daten/\U0001F600.ogg", false, false), 0);
  EXPECT_THAT(FmodAttrappe::Aufrufe("createSound"), ElementsAreArray(std::vector<std::string>{"createSound(Daten/\xF0\x9F\x98\x80.ogg, 0x2000050, null)"}));
}

TEST_F(AudioSample, SlotTabelleWaechstInVielfachenVon64) {
  for (int64_t i = 0; i < 65; ++i) ASSERT_EQ(audio->LadeSample(L"a.ogg", false, false), i);
  for (int64_t n : {int64_t(0), int64_t(63), int64_t(64)}) EXPECT_NE(audio->GibSample(n), nullptr) << n;
  for (int64_t n : {int64_t(-1), int64_t(65), int64_t(127), int64_t(128)}) EXPECT_EQ(audio->GibSample(n), nullptr) << n;
}

TEST(TSlotTabelle, WachstumUndFreigabe) {
  struct Eintrag {
    explicit Eintrag(int* zaehler) : zaehler(zaehler) {}
    ~Eintrag() { ++*zaehler; }
    int* zaehler;
  };
  int zerstoert = 0;
  TSlotTabelle<Eintrag> tabelle;
  EXPECT_EQ(tabelle.Kapazitaet(), 0u);
  EXPECT_EQ(tabelle.Gib(0), nullptr);
  for (int64_t i = 0; i < 129; ++i) ASSERT_EQ(tabelle.Fuege(std::make_unique<Eintrag>(&zerstoert)), i);
  EXPECT_EQ(tabelle.Kapazitaet(), 256u);
  EXPECT_EQ(zerstoert, 0);
  tabelle.Leere();
  EXPECT_EQ(zerstoert, 129);
  EXPECT_EQ(tabelle.Gib(0), nullptr);
  EXPECT_EQ(tabelle.Fuege(std::make_unique<Eintrag>(&zerstoert)), 0);
  EXPECT_EQ(tabelle.Kapazitaet(), 256u);
}

TEST_F(AudioSample, EffektWirdEinmalGeladen) {
  EXPECT_FALSE(audio->SpieleEffekt(L"Daten/schalter.ogg", kanal).IstNull());
  EXPECT_FALSE(audio->SpieleEffekt(L"Daten/schalter.ogg", kanal).IstNull());
  EXPECT_EQ(FmodAttrappe::Aufrufe("createSound").size(), 1u);
  EXPECT_EQ(FmodAttrappe::Aufrufe("playSound").size(), 2u);
  EXPECT_FALSE(audio->SpieleEffekt(L"Daten/gitter_auf.ogg", kanal).IstNull());
  EXPECT_EQ(FmodAttrappe::Aufrufe("createSound").size(), 2u);
}

TEST_F(AudioSample, FehlenderEffektWirdEinmalGemeldet) {
  FmodAttrappe::Skripte("createSound", {FMOD_ERR_FILE_NOTFOUND});
  EXPECT_TRUE(audio->SpieleEffekt(L"fehlt.ogg", kanal).IstNull());
  EXPECT_TRUE(audio->SpieleEffekt(L"fehlt.ogg", kanal).IstNull());
  EXPECT_EQ(FmodAttrappe::Aufrufe("createSound").size(), 1u);
  EXPECT_TRUE(FmodAttrappe::Aufrufe("playSound").empty());
  EXPECT_EQ(log.zeilen.size(), 2u);
}

TEST_F(AudioSample, EffektOhneKanalOderOhneAudioRuftNichtsAuf) {
  EXPECT_TRUE(audio->SpieleEffekt(L"a.ogg", nullptr).IstNull());
  EXPECT_TRUE(FmodAttrappe::Aufrufe().empty());
  audio->Beenden();
  FmodAttrappe::LeereAufrufe();
  log.zeilen.clear();
  EXPECT_TRUE(audio->SpieleEffekt(L"a.ogg", kanal).IstNull());
  EXPECT_TRUE(FmodAttrappe::Aufrufe().empty());
  EXPECT_TRUE(log.zeilen.empty());
}

TEST_F(AudioSample, BeendenLeertDenEffektSpeicher) {
  FmodAttrappe::Setze(FmodSkript());
  Zarvo_Audio zweites;
  ASSERT_TRUE(zweites.Init());
  Zarvo_AudioKanal* master = zweites.GibMasterKanal();
  zweites.SpieleEffekt(L"a.ogg", master);
  zweites.Beenden();
  // A fresh start must load the effect again rather than use a slot of the old system.
  FmodAttrappe::Setze(FmodSkript());
  Zarvo_Audio drittes;
  ASSERT_TRUE(drittes.Init());
  drittes.SpieleEffekt(L"a.ogg", drittes.GibMasterKanal());
  EXPECT_EQ(FmodAttrappe::Aufrufe("createSound").size(), 1u);
}
