#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <stdexcept>

#include "Einstieg.h"
#include "EigenerOrdner.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

// What the test applications did.
struct Protokoll {
  int konstruiert = 0, ausgefuehrt = 0, zerstoert = 0;
} protokoll;
int wurfZeile = 0;

struct NormaleAnwendung {
  NormaleAnwendung() { ++protokoll.konstruiert; }
  ~NormaleAnwendung() { ++protokoll.zerstoert; }
  void Ausfuehren() { ++protokoll.ausgefuehrt; }
};

struct WirftImKonstruktor {
  WirftImKonstruktor() {
    ++protokoll.konstruiert;
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Bildschirm verweigert");
  }
  ~WirftImKonstruktor() { ++protokoll.zerstoert; }
  void Ausfuehren() { ++protokoll.ausgefuehrt; }
};

// Changes a saved variable with the console command "set", then fails.
struct WirftImLauf {
  WirftImLauf() { ++protokoll.konstruiert; }
  ~WirftImLauf() { ++protokoll.zerstoert; }
  void Ausfuehren() {
    ++protokoll.ausgefuehrt;
    Zarvo_Konsolenbefehl::Ausfuehren("set fullscreen nein");
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Hauptschleife beendet");
  }
};

struct WirftFremdeAusnahme {
  void Ausfuehren() { throw std::runtime_error("fremd"); }
};

// Each test gets its own user folder; system paths, log and variables are restored afterwards.
class Einstieg : public ::testing::Test {
 protected:
  void SetUp() override {
    protokoll = {};
    alt = {g_System.programmPfadFehlt, g_System.anwendungsVerzeichnis, g_System.benutzerDaten, g_System.benutzerName, {}};
    altKonfigPfad = g_KonfigPfad;
    altLogfile = g_tLogfile.text;
    altVollbild = g_Vollbild.text;
    NimmPfade(ordner / "spiel/bin64/morvelunt");
  }
  void TearDown() override {
    g_Log.Schliesse();
    g_System.Uebernimm(alt);
    g_KonfigPfad = altKonfigPfad;
    g_tLogfile.SetzeText(altLogfile);
    g_Vollbild.SetzeText(altVollbild);
  }
  void NimmPfade(const std::optional<fs::path>& programm) {
    g_System.Uebernimm(BerechnePfade(programm, ordner.Pfad(), "test"));
    ASSERT_EQ(g_System.benutzerDaten, ordner / "MORVELUNT");
  }
  fs::path Benutzer(const char* name) const { return g_System.benutzerDaten / name; }

  EigenerOrdner ordner;
  Zarvo_SystemPfade alt;
  fs::path altKonfigPfad;
  std::string altLogfile, altVollbild;
};

std::string Ausnahmezeile(const std::string& datei, int zeile, const std::string& funktion, const std::string& meldung) {
  return "): Exception thrown: " + datei + " (" + std::to_string(zeile) + ") - " + funktion + "(): " + meldung + "\n";
}

TEST_F(Einstieg, NormalerLaufGibtNull) {
  EXPECT_EQ(Spiel::Einstieg(Spiel::LaufVon<NormaleAnwendung>()), 0);
  EXPECT_EQ(protokoll.konstruiert, 1);
  EXPECT_EQ(protokoll.ausgefuehrt, 1);
  EXPECT_EQ(protokoll.zerstoert, 1);
  const std::string log = LiesDatei(Benutzer("spiel.log"));
  EXPECT_THAT(log, ::testing::MatchesRegex("[0-9]{4}:[0-9]{6} \\(t[0-9a-f]{4}\\): Log-Start\n(.|\n)*"));
  EXPECT_THAT(log, Not(HasSubstr("Exception thrown")));
  const std::string konfig = LiesDatei(Benutzer("spiel.cfg"));
  EXPECT_THAT(konfig, HasSubstr("<config>"));
  EXPECT_THAT(konfig, HasSubstr("<var name=\"t_logfile\" wert=\"ja\" />"));
  EXPECT_EQ(g_KonfigPfad, Benutzer("spiel.cfg"));
}

TEST_F(Einstieg, AusnahmeImKonstruktorGibtMinusEinsUndSpeichert) {
  EXPECT_EQ(Spiel::Einstieg(Spiel::LaufVon<WirftImKonstruktor>()), -1);
  EXPECT_EQ(protokoll.konstruiert, 1);
  EXPECT_EQ(protokoll.ausgefuehrt, 0);
  EXPECT_EQ(protokoll.zerstoert, 0);
  EXPECT_THAT(LiesDatei(Benutzer("spiel.log")),
              HasSubstr(Ausnahmezeile("Einstieg_test", wurfZeile, "{anonymous}::WirftImKonstruktor::WirftImKonstruktor",
                                      "Bildschirm verweigert")));
  EXPECT_THAT(LiesDatei(Benutzer("spiel.cfg")), HasSubstr("<var name=\"fullscreen\""));
}

TEST_F(Einstieg, AusnahmeImLaufZerstoertDieAnwendungUndSpeichertDieAenderung) {
  ASSERT_EQ(g_Vollbild.text, "ja");
  EXPECT_EQ(Spiel::Einstieg(Spiel::LaufVon<WirftImLauf>()), -1);
  EXPECT_EQ(protokoll.ausgefuehrt, 1);
  EXPECT_EQ(protokoll.zerstoert, 1);
  const std::string log = LiesDatei(Benutzer("spiel.log"));
  EXPECT_THAT(log, HasSubstr(Ausnahmezeile("Einstieg_test", wurfZeile, "{anonymous}::WirftImLauf::Ausfuehren",
                                           "Hauptschleife beendet")));
  EXPECT_THAT(LiesDatei(Benutzer("spiel.cfg")), HasSubstr("<var name=\"fullscreen\" wert=\"nein\" />"));
}

TEST_F(Einstieg, OhneLogDateiBleibtDieAlteByteGleich) {
  const std::string alteDatei = std::string("0000:000000 (t1234): vom letzten Lauf\n\0\xFF", 41);
  SchreibeDatei(Benutzer("spiel.log"), alteDatei);
  SchreibeDatei(Benutzer("spiel.cfg"),
                "<?xml version=\"1.0\" ?>\n<config>\n    <var name=\"t_logfile\" wert=\"nein\" />\n</config>\n");
  EXPECT_EQ(Spiel::Einstieg(Spiel::LaufVon<WirftImLauf>()), -1);
  EXPECT_FALSE(g_tLogfile.boolWert);
  EXPECT_EQ(LiesDatei(Benutzer("spiel.log")), alteDatei);
  EXPECT_FALSE(g_Log.HatDatei());
  EXPECT_THAT(LiesDatei(Benutzer("spiel.cfg")), HasSubstr("<var name=\"t_logfile\" wert=\"nein\" />"));
}

TEST_F(Einstieg, FremdeAusnahmeGehtDurch) {
  EXPECT_THROW(Spiel::Einstieg(Spiel::LaufVon<WirftFremdeAusnahme>()), std::runtime_error);
}

TEST_F(Einstieg, FehlenderProgrammPfadGibtMinusEinsOhneAnwendung) {
  NimmPfade(std::nullopt);
  EXPECT_EQ(Spiel::Einstieg(Spiel::LaufVon<NormaleAnwendung>()), -1);
  EXPECT_EQ(protokoll.konstruiert, 0);
  EXPECT_THAT(LiesDatei(Benutzer("spiel.log")),
              ::testing::ContainsRegex("\\): Exception thrown: SourceExt\\\\Zarvoklassen\\\\Zarvo_System \\([0-9]+\\) - "
                                       "Zarvo_System::Zarvo_System\\(\\): Unable to obtain path to game executable\\.\n"));
  EXPECT_TRUE(fs::exists(Benutzer("spiel.cfg")));
}

}  // namespace
