#include <gtest/gtest.h>

#include <map>

#include "EigenerOrdner.h"
#include "LogMitschnitt.h"
#include "Plattform/system/Ordner.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"
#include "Zarvo_System.h"

namespace {

namespace fs = std::filesystem;

const std::string KEIN_APPDATA = "?Unable to obtain path to \"AppData\". Trying application directory...";
const std::string KEIN_NAME = "?Unable to obtain user name. Using dummy name instead...";

std::string NichtAnlegbar(const fs::path& pfad) {
  return "!Unable to create user data path \"" + pfad.string() + "\". This will end in tears.";
}

TEST(BerechnePfade, AnwendungsVerzeichnisAusDemProgrammPfad) {
  EigenerOrdner daten;
  struct Fall {
    const char* programm;
    const char* erwartet;
  };
  const Fall faelle[] = {
      {"/opt/spiel/bin64/morvelunt", "/opt/spiel"},   {"/opt/spiel/bin32/morvelunt", "/opt/spiel"},
      {"/opt/spiel/bin32x/morvelunt", "/opt/spiel/bin32x"}, {"/opt/spiel/BIN64/morvelunt", "/opt/spiel/BIN64"},
      {"/opt/spiel/bin64x/morvelunt", "/opt/spiel/bin64x"}, {"/opt/bin64/spiel/morvelunt", "/opt/bin64/spiel"},
      {"/bin64/x", "/"},                              {"/opt/spiel/morvelunt", "/opt/spiel"},
  };
  for (const Fall& f : faelle) {
    Zarvo_SystemPfade pfade = BerechnePfade(fs::path(f.programm), daten.Pfad(), "anna");
    EXPECT_EQ(pfade.anwendungsVerzeichnis, fs::path(f.erwartet)) << f.programm;
    EXPECT_FALSE(pfade.programmPfadFehlt) << f.programm;
    EXPECT_TRUE(pfade.meldungen.empty()) << f.programm;
  }
}

TEST(BerechnePfade, FehlenderProgrammPfadWirdVermerktUndGemeldet) {
  EigenerOrdner daten;
  Zarvo_SystemPfade pfade = BerechnePfade(std::nullopt, daten.Pfad(), "anna");
  EXPECT_TRUE(pfade.programmPfadFehlt);
  EXPECT_EQ(pfade.meldungen,
            (std::vector<std::string>{"!Unable to obtain path to executable.", "!Now we are all going to die."}));
  EXPECT_EQ(pfade.benutzerDaten, daten.Pfad() / "MORVELUNT");
  EXPECT_EQ(pfade.benutzerName, "anna");
}

// The platform's folder rule over an injected environment, followed by the system's rule.
TEST(BerechnePfade, BenutzerDatenAusDerUmgebung) {
  EigenerOrdner ordner;
  const fs::path programm = ordner / "spiel/bin64/morvelunt";
  const fs::path spiel = ordner / "spiel";
  fs::create_directories(spiel);
  SchreibeDatei(ordner / "datei", "x");
  const std::string xdg = (ordner / "xdg").string(), heim = (ordner / "heim").string();
  struct Fall {
    const char* fall;
    std::map<std::string, std::string> variablen;
    fs::path erwartet;
    std::vector<std::string> meldungen;
  };
  const Fall faelle[] = {
      {"XDG gesetzt", {{"XDG_DATA_HOME", xdg}, {"HOME", heim}}, fs::path(xdg) / "MORVELUNT", {}},
      {"XDG leer", {{"XDG_DATA_HOME", ""}, {"HOME", heim}}, fs::path(heim) / ".local/share/MORVELUNT", {}},
      {"XDG relativ", {{"XDG_DATA_HOME", "xdg"}, {"HOME", heim}}, fs::path(heim) / ".local/share/MORVELUNT", {}},
      {"XDG ist Datei", {{"XDG_DATA_HOME", (ordner / "datei").string()}, {"HOME", heim}}, spiel / "MORVELUNT", {KEIN_APPDATA}},
      {"ohne XDG mit HOME", {{"HOME", heim}}, fs::path(heim) / ".local/share/MORVELUNT", {}},
      {"weder noch", {}, spiel / "MORVELUNT", {KEIN_APPDATA}},
  };
  for (const Fall& f : faelle) {
    win32::Umgebung umgebung;
    umgebung.variable = [&](const char* name) -> std::optional<std::string> {
      auto eintrag = f.variablen.find(name);
      if (eintrag == f.variablen.end()) return std::nullopt;
      return eintrag->second;
    };
    umgebung.passwdHeim = [] { return std::optional<std::string>(); };
    umgebung.passwdName = [] { return std::optional<std::string>(); };
    Zarvo_SystemPfade pfade = BerechnePfade(programm, win32::AnwendungsDatenOrdner(umgebung, true), "anna");
    EXPECT_EQ(pfade.benutzerDaten, f.erwartet) << f.fall;
    EXPECT_TRUE(fs::is_directory(pfade.benutzerDaten)) << f.fall;
    EXPECT_EQ(pfade.meldungen, f.meldungen) << f.fall;
  }
}

TEST(BerechnePfade, NichtAnlegbarerBenutzerOrdnerWirdGemeldetUndEsGehtWeiter) {
  EigenerOrdner ordner;
  const fs::path programm = ordner / "bin64/morvelunt";
  struct Fall {
    const char* fall;
    fs::path anwendungsDaten;
  };
  SchreibeDatei(ordner / "MORVELUNT", "eine Datei, kein Ordner");
  SchreibeDatei(ordner / "datei", "x");
  const Fall faelle[] = {
      {"MORVELUNT ist eine Datei", ordner.Pfad()},
      {"Anwendungsdaten sind eine Datei", ordner / "datei"},
  };
  for (const Fall& f : faelle) {
    Zarvo_SystemPfade pfade = BerechnePfade(programm, f.anwendungsDaten, std::nullopt);
    const fs::path erwartet = f.anwendungsDaten / "MORVELUNT";
    EXPECT_EQ(pfade.benutzerDaten, erwartet) << f.fall;
    EXPECT_EQ(pfade.meldungen, (std::vector<std::string>{NichtAnlegbar(erwartet), KEIN_NAME})) << f.fall;
    EXPECT_EQ(pfade.benutzerName, "user") << f.fall;
    EXPECT_EQ(pfade.anwendungsVerzeichnis, ordner.Pfad()) << f.fall;
  }
  EXPECT_EQ(LiesDatei(ordner / "MORVELUNT"), "eine Datei, kein Ordner");
}

TEST(BerechnePfade, VorhandenerOrdnerBleibtUnberuehrt) {
  EigenerOrdner ordner;
  fs::create_directories(ordner / "MORVELUNT");
  SchreibeDatei(ordner / "MORVELUNT/spiel.cfg", "alt");
  Zarvo_SystemPfade pfade = BerechnePfade(ordner / "morvelunt", ordner.Pfad(), "anna");
  EXPECT_TRUE(pfade.meldungen.empty());
  EXPECT_EQ(LiesDatei(ordner / "MORVELUNT/spiel.cfg"), "alt");
}

TEST(BerechnePfade, BenutzerName) {
  EigenerOrdner ordner;
  struct Fall {
    std::optional<std::string> benutzer;
    std::string erwartet;
    std::vector<std::string> meldungen;
  };
  const Fall faelle[] = {
      {"anna", "anna", {}},
      {"Jürgen", "Jürgen", {}},
      {std::nullopt, "user", {KEIN_NAME}},
  };
  for (const Fall& f : faelle) {
    Zarvo_SystemPfade pfade = BerechnePfade(ordner / "morvelunt", ordner.Pfad(), f.benutzer);
    EXPECT_EQ(pfade.benutzerName, f.erwartet);
    EXPECT_EQ(pfade.meldungen, f.meldungen);
  }
}

TEST(SystemUebernimm, SchreibtDieMeldungenInsLogUndSetztDieWerte) {
  const Zarvo_SystemPfade alt{g_System.programmPfadFehlt, g_System.anwendungsVerzeichnis, g_System.benutzerDaten,
                              g_System.benutzerName, {}};
  EigenerOrdner ordner;
  {
    LogMitschnitt log;
    g_System.Uebernimm(BerechnePfade(std::nullopt, ordner.Pfad(), std::nullopt));
    EXPECT_EQ(log.zeilen, (std::vector<std::string>{"!Unable to obtain path to executable.", "!Now we are all going to die.",
                                                     KEIN_NAME}));
    EXPECT_TRUE(g_System.programmPfadFehlt);
    EXPECT_THROW(g_System.PruefeProgrammPfad(), Zarvo_Ausnahme);
    log.zeilen.clear();
    g_System.Uebernimm(BerechnePfade(ordner / "bin32/morvelunt", ordner.Pfad(), "anna"));
    EXPECT_TRUE(log.zeilen.empty());
  }
  EXPECT_FALSE(g_System.programmPfadFehlt);
  EXPECT_NO_THROW(g_System.PruefeProgrammPfad());
  EXPECT_EQ(g_System.anwendungsVerzeichnis, ordner.Pfad());
  EXPECT_EQ(g_System.benutzerDaten, ordner / "MORVELUNT");
  EXPECT_EQ(g_System.benutzerName, "anna");
  g_System.Uebernimm(alt);
}

// The activity state of the global object; the fixture restores what it changes.
class AktivZustand : public ::testing::Test, public Zarvo_ZustandsBeobachter, public Zarvo_SystemBeobachter {
 protected:
  void SetUp() override {
    alt = {g_System.zustand, g_System.flagA, g_System.flagB, g_System.beenden, g_System.zustandsBeobachter, g_System.beobachter};
    g_System.zustandsBeobachter = this;
    g_System.beobachter = this;
  }
  void TearDown() override {
    g_System.zustand = alt.zustand;
    g_System.flagA = alt.flagA;
    g_System.flagB = alt.flagB;
    g_System.beenden = alt.beenden;
    g_System.zustandsBeobachter = alt.zustandsBeobachter;
    g_System.beobachter = alt.beobachter;
  }
  void ZustandGeaendert(const uint32_t* neuerZustand) override {
    EXPECT_EQ(neuerZustand, &g_System.zustand);
    gemeldet.push_back(*neuerZustand);
  }
  void Benachrichtigt() override { ++benachrichtigt; }

  struct {
    uint32_t zustand;
    bool flagA, flagB, beenden;
    Zarvo_ZustandsBeobachter* zustandsBeobachter;
    Zarvo_SystemBeobachter* beobachter;
  } alt{};
  std::vector<uint32_t> gemeldet;
  int benachrichtigt = 0;
};

TEST_F(AktivZustand, BeginntAktivMitGesetztenFlags) {
  EXPECT_EQ(alt.zustand, 0u);
  EXPECT_TRUE(alt.flagA);
  EXPECT_TRUE(alt.flagB);
  EXPECT_FALSE(alt.beenden);
}

TEST_F(AktivZustand, FolgeVonFlagsMitMeldungNurBeiAenderung) {
  struct Schritt {
    char flag;
    bool wert;
    uint32_t zustand;
    bool meldung;
  };
  const Schritt schritte[] = {
      {'A', true, 0, false},  {'B', true, 0, false},  {'B', false, 1, true}, {'B', false, 1, false},
      {'A', false, 2, true},  {'B', true, 2, false},  {'B', false, 2, false}, {'A', false, 2, false},
      {'A', true, 1, true},   {'B', true, 0, true},   {'A', false, 2, true}, {'A', true, 0, true},
  };
  for (const Schritt& s : schritte) {
    const size_t vorher = gemeldet.size();
    if (s.flag == 'A') {
      g_System.SetzeFlagA(s.wert);
    } else {
      g_System.SetzeFlagB(s.wert);
    }
    EXPECT_EQ(g_System.zustand, s.zustand) << s.flag << s.wert;
    ASSERT_EQ(gemeldet.size(), vorher + (s.meldung ? 1 : 0)) << s.flag << s.wert;
    if (s.meldung) {
      EXPECT_EQ(gemeldet.back(), s.zustand);
    }
  }
}

TEST_F(AktivZustand, OhneBeobachterWirdNurGespeichert) {
  g_System.zustandsBeobachter = nullptr;
  g_System.beobachter = nullptr;
  g_System.SetzeFlagA(false);
  g_System.Benachrichtige();
  EXPECT_EQ(g_System.zustand, 2u);
  EXPECT_TRUE(gemeldet.empty());
  EXPECT_EQ(benachrichtigt, 0);
}

TEST_F(AktivZustand, BenachrichtigeUndBeende) {
  g_System.Benachrichtige();
  g_System.Benachrichtige();
  EXPECT_EQ(benachrichtigt, 2);
  g_System.Beende();
  EXPECT_TRUE(g_System.beenden);
  EXPECT_TRUE(gemeldet.empty());
}

}  // namespace
