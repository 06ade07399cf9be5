// Start-up, frame update and shutdown of Zarvo_Audio on the scripted FMOD system.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Zarvo_Audio.h"
#include "fmod_attrappe/FmodAttrappe.h"
#include "fmod_attrappe/LogMitschrift.h"

#include <functional>

using ::testing::ElementsAreArray;

namespace {

const std::string FEHLER_INTERN = "!  Fehler 33: An error occurred that wasn't supposed to.";

std::vector<std::string> Verbinde(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<std::string> ERZEUGUNG = {"create()", "getVersion()", "getNumDrivers()"};
const std::vector<std::string> TREIBER0 = {"getDriverInfo(0, 256, null)", "getDriverCaps(0)"};
const std::vector<std::string> START_ENDE = {"init(100, 0, null)", "getMasterChannelGroup()", "set3DSettings(1.0, 1.0, 0.5)"};

struct StartFall {
  const char* name;
  std::function<void(FmodSkript&)> skript;
  std::vector<std::string> zeilen;  // constructor and Init
  bool init;
  std::vector<std::string> aufrufe;
};

std::vector<StartFall> StartFaelle() {
  const std::string INIT = "Audio wird initialisiert.";
  const std::string SCHLUSS = "Audio wird geschlossen.";
  const std::vector<std::string> normal = Verbinde(Verbinde(ERZEUGUNG, TREIBER0), Verbinde({"setSpeakerMode(2)"}, START_ENDE));
  return {
      {"normal", [](FmodSkript&) {}, {INIT}, true, normal},
      {"erzeugung_scheitert", [](FmodSkript& s) { s.ergebnisse["create"] = {FMOD_ERR_MEMORY}; },
       {"!!Zarvo_Audio::Zarvo_Audio(): FMOD-Interface konnte nicht erstellt werden.", "!  Fehler 43: Not enough memory or resources."},
       false, {"create()"}},
      {"version_zu_alt", [](FmodSkript& s) { s.version = 0x4444F; },
       {"!!Zarvo_Audio::Zarvo_Audio(): Falsche FMOD-Version liegt neben der Exe.", "!  Fehler 0: No errors.", SCHLUSS},
       false, {"create()", "getVersion()", "release()"}},
      {"versionsabfrage_scheitert", [](FmodSkript& s) { s.ergebnisse["getVersion"] = {FMOD_ERR_INTERNAL}; },
       {"!!Zarvo_Audio::Zarvo_Audio(): Versionsabfrage gescheitert.", FEHLER_INTERN, SCHLUSS},
       false, {"create()", "getVersion()", "release()"}},
      {"treiberzahl_scheitert", [](FmodSkript& s) { s.ergebnisse["getNumDrivers"] = {FMOD_ERR_INTERNAL}; },
       {"!Zarvo_Audio::Zarvo_Audio(): Verfügbare Audio-Treiber konnten nicht ermittelt werden", FEHLER_INTERN, SCHLUSS},
       false, Verbinde(ERZEUGUNG, {"release()"})},
      {"keine_treiber", [](FmodSkript& s) { s.treiber.clear(); },
       {"!Zarvo_Audio::Zarvo_Audio(): Keine Audio-Treiber verfügbar.", INIT,
        "?Zarvo_Audio::Init(): Keine Audio-Treiber verfügbar, es gibt keinen Ton."},
       true, Verbinde(ERZEUGUNG, Verbinde({"setOutput(2)", "setSpeakerMode(2)"}, START_ENDE))},
      {"keine_treiber_ohne_stummausgabe",
       [](FmodSkript& s) {
         s.treiber.clear();
         s.ergebnisse["setOutput"] = {FMOD_ERR_INTERNAL};
       },
       {"!Zarvo_Audio::Zarvo_Audio(): Keine Audio-Treiber verfügbar.",
        "! Zarvo_Audio::Zarvo_Audio(): Nicht einmal 'kein Sound' konnte initialisiert werden.", INIT,
        "?Zarvo_Audio::Init(): Keine Audio-Treiber verfügbar, es gibt keinen Ton."},
       true, Verbinde(ERZEUGUNG, Verbinde({"setOutput(2)", "setSpeakerMode(2)"}, START_ENDE))},
      {"hardware_emuliert", [](FmodSkript& s) { s.treiber[0].faehigkeiten = FMOD_CAPS_HARDWARE_EMULATED; },
       {INIT, "?Zarvo_Audio::Init(): Hardware-Beschleunigung abgeschaltet. Das wird echt mies klingen."},
       true, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), Verbinde({"setSpeakerMode(2)", "setDSPBufferSize(1024, 10)"}, START_ENDE))},
      {"sigmatel", [](FmodSkript& s) { s.treiber[0].name = "SigmaTel HD Audio"; },
       {INIT, "?Zarvo_Audio::Init(): FMOD sagt, dieser Audio-Treiber wäre verbugt. Mal schauen."},
       true, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), Verbinde({"setSpeakerMode(2)", "setSoftwareFormat(48000, 5, 0, 0, 1)"}, START_ENDE))},
      {"sigmatel_abhilfe_scheitert",
       [](FmodSkript& s) {
         s.treiber[0].name = "SigmaTel";
         s.ergebnisse["setSoftwareFormat"] = {FMOD_ERR_INTERNAL};
       },
       {INIT, "?Zarvo_Audio::Init(): FMOD sagt, dieser Audio-Treiber wäre verbugt. Mal schauen.",
        "!? Zarvo_Audio::Init(): Initialisieren des Treiber-Bug-Workarounds gescheitert.", FEHLER_INTERN},
       true, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), Verbinde({"setSpeakerMode(2)", "setSoftwareFormat(48000, 5, 0, 0, 1)"}, START_ENDE))},
      {"lautsprecher_scheitert", [](FmodSkript& s) { s.ergebnisse["setSpeakerMode"] = {FMOD_ERR_INTERNAL}; },
       {INIT, "!Zarvo_Audio::Init(): Lautsprechermodus konnte nicht gesetzt werden!", FEHLER_INTERN},
       false, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), {"setSpeakerMode(2)"})},
      {"init_56_dann_stereo", [](FmodSkript& s) { s.ergebnisse["init"] = {FMOD_ERR_OUTPUT_CREATEBUFFER, FMOD_OK}; },
       {INIT, "?Zarvo_Audio::Init(): Vom Benutzer eingestellte Lautsprecherkonfiguration wird von der Hardware nicht unterstützt.",
        "? Zarvo_Audio::Init(): Zurückfallen auf langweiliges Stereo."},
       true, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), Verbinde({"setSpeakerMode(2)", "init(100, 0, null)", "setSpeakerMode(2)"}, START_ENDE))},
      {"init_56_dann_fehler", [](FmodSkript& s) { s.ergebnisse["init"] = {FMOD_ERR_OUTPUT_CREATEBUFFER, FMOD_ERR_INTERNAL}; },
       {INIT, "?Zarvo_Audio::Init(): Vom Benutzer eingestellte Lautsprecherkonfiguration wird von der Hardware nicht unterstützt.",
        "? Zarvo_Audio::Init(): Zurückfallen auf langweiliges Stereo.", "!Zarvo_Audio::Init(): Neu-Initialisierung gescheitert.",
        FEHLER_INTERN},
       false, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), {"setSpeakerMode(2)", "init(100, 0, null)", "setSpeakerMode(2)", "init(100, 0, null)"})},
      {"init_56_stereo_scheitert",
       [](FmodSkript& s) {
         s.ergebnisse["init"] = {FMOD_ERR_OUTPUT_CREATEBUFFER};
         s.ergebnisse["setSpeakerMode"] = {FMOD_OK, FMOD_ERR_INTERNAL};
       },
       {INIT, "?Zarvo_Audio::Init(): Vom Benutzer eingestellte Lautsprecherkonfiguration wird von der Hardware nicht unterstützt.",
        "? Zarvo_Audio::Init(): Zurückfallen auf langweiliges Stereo.",
        "!Zarvo_Audio::Init(): Festlegen der Lautsprecherkonfiguration gescheitert.", FEHLER_INTERN},
       false, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), {"setSpeakerMode(2)", "init(100, 0, null)", "setSpeakerMode(2)"})},
      {"init_scheitert", [](FmodSkript& s) { s.ergebnisse["init"] = {FMOD_ERR_OUTPUT_INIT}; },
       {INIT, "!Zarvo_Audio::Init(): Initialisieren von FMOD::System gescheitert!", "!  Fehler 59: Error initializing output device."},
       false, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), {"setSpeakerMode(2)", "init(100, 0, null)"})},
      {"master_scheitert", [](FmodSkript& s) { s.ergebnisse["getMasterChannelGroup"] = {FMOD_ERR_INTERNAL}; },
       {INIT, "!Zarvo_Audio::Init(): Erstellen des Master-Kanals schlug fehl.", FEHLER_INTERN},
       false, Verbinde(Verbinde(ERZEUGUNG, TREIBER0), {"setSpeakerMode(2)", "init(100, 0, null)", "getMasterChannelGroup()"})},
  };
}

class AudioStart : public ::testing::Test {
 protected:
  void TearDown() override {
    FmodAttrappe::Entferne();
    g_tDebug.boolWert = true;
  }
  LogMitschrift log;
};

}  // namespace

TEST_F(AudioStart, SkriptErgibtZeilenErgebnisUndAufrufe) {
  for (const StartFall& fall : StartFaelle()) {
    SCOPED_TRACE(fall.name);
    FmodSkript skript;
    fall.skript(skript);
    FmodAttrappe::Setze(skript);
    log.zeilen.clear();
    Zarvo_Audio audio;
    EXPECT_EQ(audio.Init(), fall.init);
    EXPECT_EQ(audio.IstInitialisiert(), fall.init);
    EXPECT_EQ(audio.GibMasterKanal() != nullptr, fall.init);
    EXPECT_THAT(log.zeilen, ElementsAreArray(fall.zeilen));
    EXPECT_THAT(FmodAttrappe::Aufrufe(), ElementsAreArray(fall.aufrufe));
  }
}

TEST_F(AudioStart, FehlgeschlageneTreiberabfrageGibtUngueltigenEintrag) {
  FmodSkript skript;
  skript.treiber = {{"Erster", 0, 44100, FMOD_SPEAKERMODE_STEREO}, {"Zweiter", 0, 96000, FMOD_SPEAKERMODE_MONO, FMOD_OK, FMOD_ERR_INTERNAL},
                    {"Dritter", 0, 22050, FMOD_SPEAKERMODE_MONO, FMOD_ERR_INTERNAL}};
  FmodAttrappe::Setze(skript);
  Zarvo_Audio audio;
  const auto& treiber = audio.GibTreiber();
  ASSERT_EQ(treiber.size(), 3u);
  EXPECT_TRUE(treiber[0].gueltig);
  EXPECT_EQ(treiber[0].rate, 44100u);
  for (int i : {1, 2}) {
    EXPECT_FALSE(treiber[i].gueltig);
    EXPECT_EQ(treiber[i].lautsprecher, uint32_t(FMOD_SPEAKERMODE_STEREO));
    EXPECT_EQ(treiber[i].rate, 0u);
    EXPECT_EQ(treiber[i].faehigkeiten, 0u);
  }
  EXPECT_EQ(treiber[1].name, "Zweiter");
  EXPECT_EQ(treiber[2].name, "Dritter");  // as far as it was read before the failure
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{"!Zarvo_Audio::Zarvo_Audio(): Fähigkeiten-Prüfung bei Treiber 1 fehlgeschlagen", FEHLER_INTERN,
                                            "!Zarvo_Audio::Zarvo_Audio(): Fähigkeiten-Prüfung bei Treiber 2 fehlgeschlagen", FEHLER_INTERN}));
  // The third driver's caps are never asked for once its information failed.
  EXPECT_THAT(FmodAttrappe::Aufrufe("getDriverCaps"), ElementsAreArray(std::vector<std::string>{"getDriverCaps(0)", "getDriverCaps(1)"}));
}

TEST_F(AudioStart, ZweitesInitTutNichts) {
  FmodAttrappe::Setze(FmodSkript());
  Zarvo_Audio audio;
  ASSERT_TRUE(audio.Init());
  size_t aufrufe = FmodAttrappe::Aufrufe().size();
  EXPECT_FALSE(audio.Init());
  EXPECT_EQ(FmodAttrappe::Aufrufe().size(), aufrufe);
}

TEST_F(AudioStart, ArbeitenErstNachInitUndJederFehlerWirdGemeldet) {
  FmodSkript skript;
  skript.ergebnisse["update"] = {FMOD_ERR_INTERNAL, FMOD_ERR_INTERNAL};
  FmodAttrappe::Setze(skript);
  Zarvo_Audio audio;
  audio.Arbeiten();
  EXPECT_TRUE(FmodAttrappe::Aufrufe("update").empty());
  ASSERT_TRUE(audio.Init());
  log.zeilen.clear();
  audio.Arbeiten();
  audio.Arbeiten();
  audio.Arbeiten();
  EXPECT_EQ(FmodAttrappe::Aufrufe("update").size(), 3u);
  const std::string meldung = "!Zarvo_Audio::Arbeiten(): FMOD::System::update() schlug fehl.";
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{meldung, FEHLER_INTERN, meldung, FEHLER_INTERN}));
}

TEST_F(AudioStart, BeendenGibtKlaengeVorDemSystemFreiUndNurEinmal) {
  for (bool debug : {true, false}) {
    SCOPED_TRACE(debug);
    FmodAttrappe::Setze(FmodSkript());
    Zarvo_Audio audio;
    ASSERT_TRUE(audio.Init());
    ASSERT_EQ(audio.LadeSample(L"a.ogg", false, false), 0);
    ASSERT_EQ(audio.LadeSample(L"b.ogg", true, false), 1);
    FmodAttrappe::LeereAufrufe();
    g_tDebug.boolWert = debug;
    log.zeilen.clear();
    audio.Beenden();
    audio.Beenden();
    g_tDebug.boolWert = true;
    EXPECT_THAT(FmodAttrappe::Aufrufe(), ElementsAreArray(std::vector<std::string>{"Sound::release(s0)", "Sound::release(s1)", "release()"}));
    EXPECT_EQ(log.zeilen, debug ? std::vector<std::string>{"Audio wird geschlossen."} : std::vector<std::string>{});
    EXPECT_FALSE(audio.IstInitialisiert());
    EXPECT_EQ(audio.GibSample(0), nullptr);
    EXPECT_EQ(audio.LadeSample(L"a.ogg", false, false), 0);
  }
}

TEST_F(AudioStart, FehlerBeimSchliessenWirdGemeldet) {
  FmodSkript skript;
  skript.ergebnisse["release"] = {FMOD_ERR_INTERNAL};
  FmodAttrappe::Setze(skript);
  Zarvo_Audio audio;
  log.zeilen.clear();
  audio.Beenden();
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{"Audio wird geschlossen.", "!Zarvo_Audio::Beenden(): Schliessen von FMOD schlug fehl.", FEHLER_INTERN}));
  EXPECT_EQ(audio.GibSystem(), nullptr);
}

TEST_F(AudioStart, ErzeugeKanalUnterDemMaster) {
  FmodSkript skript;
  skript.ergebnisse["createChannelGroup"] = {FMOD_OK, FMOD_ERR_INTERNAL};
  FmodAttrappe::Setze(skript);
  Zarvo_Audio audio;
  EXPECT_EQ(audio.ErzeugeKanal(), nullptr);  // before Init: no call
  EXPECT_TRUE(FmodAttrappe::Aufrufe("createChannelGroup").empty());
  ASSERT_TRUE(audio.Init());
  Zarvo_AudioKanal* kanal = audio.ErzeugeKanal();
  ASSERT_NE(kanal, nullptr);
  EXPECT_NE(kanal, audio.GibMasterKanal());
  EXPECT_NE(kanal->gruppe, nullptr);
  log.zeilen.clear();
  EXPECT_EQ(audio.ErzeugeKanal(), nullptr);
  EXPECT_THAT(log.zeilen, ElementsAreArray(std::vector<std::string>{"!Zarvo_Audio::ErzeugeKanal(): Erzeugen eines Kanals fehlgeschlagen.", FEHLER_INTERN}));
}
