// The real program, started as a user would, each run with its own XDG_DATA_HOME.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <functional>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "ProgrammOrdner.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Lauf {
  bool beendet = false;  // ended by exit, not by a signal
  int status = -1;
  std::string ausgabe;   // stdout
  std::string fehler;    // stderr
};

using programm_ordner::LiesDatei;

std::vector<std::string> Zeilen(const std::string& text) {
  std::vector<std::string> zeilen;
  std::istringstream ein(text);
  for (std::string zeile; std::getline(ein, zeile);) zeilen.push_back(zeile);
  return zeilen;
}

class Programm : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string muster = (fs::temp_directory_path() / "morvelunt-programm-XXXXXX").string();
    ASSERT_NE(mkdtemp(muster.data()), nullptr);
    ordner = muster;
    daten = ordner / "daten";
    fs::create_directory(daten);
    benutzer = daten / "MORVELUNT";
    BaueAnwendung();
  }
  void TearDown() override {
    std::error_code fehler;
    fs::remove_all(ordner, fehler);
  }

  // The application folder: bin64/ with a copy of the program, Daten linking the built files
  // but szene.dat, which is copied.
  void BaueAnwendung() {
    anwendung = ordner / "spiel";
    programm_ordner::BaueAnwendung(anwendung, MORVELUNT_PROGRAMM, MORVELUNT_BAUVERZEICHNIS);
  }

  // Runs the program with XDG_DATA_HOME = daten, the fixed clock and the script `skript`; stdout
  // and stderr go to files of the test folder. A run that outlives its deadline is killed.
  Lauf Starte(const std::string& skript = "bild 5\nschliessen\n", std::vector<std::string> mehr = {}) {
    { std::ofstream(ordner / "skript.txt") << skript; }
    std::vector<std::string> umgebung;
    const auto ueberschrieben = [&](const std::string& eintrag) {
      const std::string name = eintrag.substr(0, eintrag.find('=') + 1);
      return name == "XDG_DATA_HOME=" || name.rfind("MORVELUNT_", 0) == 0 ||
             std::any_of(mehr.begin(), mehr.end(), [&](const std::string& m) { return m.rfind(name, 0) == 0; });
    };
    for (char** eintrag = environ; *eintrag; ++eintrag)
      if (!ueberschrieben(*eintrag)) umgebung.emplace_back(*eintrag);
    umgebung.push_back("XDG_DATA_HOME=" + daten.string());
    if (std::none_of(mehr.begin(), mehr.end(), [](const std::string& m) { return m.rfind("MORVELUNT_TAKT=", 0) == 0; }))
      umgebung.push_back("MORVELUNT_TAKT=64");
    umgebung.push_back("MORVELUNT_EINGABE=" + (ordner / "skript.txt").string());
    for (std::string& m : mehr) umgebung.push_back(std::move(m));
    std::vector<char*> zeiger;
    for (std::string& eintrag : umgebung) zeiger.push_back(eintrag.data());
    zeiger.push_back(nullptr);

    const fs::path aus = ordner / "stdout.txt", err = ordner / "stderr.txt";
    posix_spawn_file_actions_t aktionen;
    posix_spawn_file_actions_init(&aktionen);
    posix_spawn_file_actions_addopen(&aktionen, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&aktionen, 1, aus.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&aktionen, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string pfad = (anwendung / "bin64" / "morvelunt").string();
    char* programm = pfad.data();
    char* argumente[] = {programm, nullptr};
    pid_t kind = 0;
    Lauf lauf;
    int fehler = posix_spawn(&kind, programm, &aktionen, nullptr, argumente, zeiger.data());
    posix_spawn_file_actions_destroy(&aktionen);
    if (fehler != 0) {
      ADD_FAILURE() << "posix_spawn " << programm << ": " << fehler;
      return lauf;
    }
    int status = 0;
    const auto frist = std::chrono::steady_clock::now() + std::chrono::seconds(FRIST_SEKUNDEN);
    while (waitpid(kind, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > frist) {
        kill(kind, SIGKILL);
        waitpid(kind, &status, 0);
        ADD_FAILURE() << "killed after " << FRIST_SEKUNDEN << " s; log tail:\n" << LogEnde();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    lauf.beendet = WIFEXITED(status);
    lauf.status = lauf.beendet ? WEXITSTATUS(status) : WTERMSIG(status);
    lauf.ausgabe = LiesDatei(aus);
    lauf.fehler = LiesDatei(err);
    return lauf;
  }

  std::string LogEnde() const {
    const std::string log = LiesDatei(benutzer / "spiel.log");
    return log.size() > 3000 ? log.substr(log.size() - 3000) : log;
  }

  static constexpr int FRIST_SEKUNDEN = 240;
  fs::path ordner, daten, benutzer, anwendung;
};

const std::regex LOG_START(R"(^\d{4}:\d{6} \(t[0-9a-f]{4}\): Log-Start$)");
const char* const KONFIG_WARNUNG = "?Keine Konfig-Datei gefunden, benutze Standardwerte.";

bool HatZeileMit(const std::string& text, const std::string& nachricht) {
  for (const std::string& zeile : Zeilen(text))
    if (zeile.size() >= nachricht.size() && zeile.compare(zeile.size() - nachricht.size(), nachricht.size(), nachricht) == 0)
      return true;
  return false;
}

TEST_F(Programm, ErsterUndZweiterLauf) {
  Lauf erster = Starte();
  ASSERT_TRUE(erster.beendet) << "signal " << erster.status << "\n" << erster.fehler;
  EXPECT_EQ(erster.status, 0) << erster.fehler;

  const std::string log = LiesDatei(benutzer / "spiel.log");
  const std::vector<std::string> zeilen = Zeilen(log);
  ASSERT_FALSE(zeilen.empty());
  EXPECT_TRUE(std::regex_match(zeilen[0], LOG_START)) << zeilen[0];
  EXPECT_TRUE(HatZeileMit(log, KONFIG_WARNUNG)) << log;

  // The game ran (its bring-up and shutdown are in the log) and "schliessen" ended it.
  EXPECT_TRUE(HatZeileMit(log, "Input says: OPRIX instance created.")) << log;
  EXPECT_TRUE(HatZeileMit(log, "Input says: OPRIX instance going down.")) << log;
  EXPECT_FALSE(fs::exists(benutzer / "MiniDump.dmp"));

  const std::string konfig = LiesDatei(benutzer / "spiel.cfg");
  std::vector<std::string> namen;
  const std::regex var(R"x(<var name="([^"]*)" wert="[^"]*" />)x");
  for (auto treffer = std::sregex_iterator(konfig.begin(), konfig.end(), var); treffer != std::sregex_iterator(); ++treffer)
    namen.push_back((*treffer)[1]);
  EXPECT_EQ(namen, (std::vector<std::string>{"debugShader", "displaydepth", "displayheight", "displaywidth", "fullscreen",
                                             "sprache", "t_debug", "t_logfile", "vsync"}))
      << konfig;

  Lauf zweiter = Starte();
  ASSERT_TRUE(zweiter.beendet) << "signal " << zweiter.status;
  EXPECT_EQ(zweiter.status, 0) << zweiter.fehler;
  const std::string log2 = LiesDatei(benutzer / "spiel.log");
  EXPECT_TRUE(std::regex_match(Zeilen(log2).at(0), LOG_START)) << log2;
  EXPECT_FALSE(HatZeileMit(log2, KONFIG_WARNUNG)) << log2;
  EXPECT_EQ(LiesDatei(benutzer / "spiel.cfg"), konfig);
}

TEST_F(Programm, BenutzerordnerIstEineDatei) {
  { std::ofstream(benutzer) << "keine Ordner"; }
  Lauf lauf = Starte();
  ASSERT_TRUE(lauf.beendet) << "signal " << lauf.status << "\n" << lauf.fehler;
  EXPECT_EQ(lauf.status, 0) << lauf.fehler;
  EXPECT_TRUE(HatZeileMit(lauf.fehler, "!Unable to create user data path \"" + benutzer.string() + "\". This will end in tears."))
      << lauf.fehler;
  EXPECT_TRUE(fs::is_regular_file(benutzer));
  EXPECT_EQ(LiesDatei(benutzer), "keine Ordner");
}

TEST_F(Programm, OhneLogdateiEntstehtKeineLogdatei) {
  ASSERT_EQ(Starte().status, 0);
  std::string konfig = LiesDatei(benutzer / "spiel.cfg");
  const std::string ja = "<var name=\"t_logfile\" wert=\"ja\" />";
  const std::string nein = "<var name=\"t_logfile\" wert=\"nein\" />";
  size_t stelle = konfig.find(ja);
  ASSERT_NE(stelle, std::string::npos) << konfig;
  konfig.replace(stelle, ja.size(), nein);
  { std::ofstream(benutzer / "spiel.cfg", std::ios::binary) << konfig; }
  fs::remove(benutzer / "spiel.log");

  Lauf lauf = Starte();
  ASSERT_TRUE(lauf.beendet) << "signal " << lauf.status;
  EXPECT_EQ(lauf.status, 0) << lauf.fehler;
  EXPECT_FALSE(fs::exists(benutzer / "spiel.log"));
  EXPECT_EQ(LiesDatei(benutzer / "spiel.cfg"), konfig);  // the setting is kept
}

}  // namespace

namespace {

constexpr const char* ESC_WEITER = "bild 3\ntaste 1 ab\nbild\ntaste 1 auf\nbild 5\nschliessen\n";

// A pause menu open at the close: the menu goes before the game flow whose clock it holds.
TEST_F(Programm, SchliessenMitOffenemPausenmenu) {
  Lauf lauf = Starte(ESC_WEITER);
  ASSERT_TRUE(lauf.beendet) << "signal " << lauf.status << "\n" << lauf.fehler;
  EXPECT_EQ(lauf.status, 0) << lauf.fehler << LogEnde();
  EXPECT_TRUE(fs::exists(benutzer / "spiel.cfg"));
}

// Damaged data: every run ends with 0, or with -1 and its exception line; spiel.cfg is written and
// no crash dump appears. One program run per case, so that each stays well inside its time limit
// under ASan.
struct DatenFall {
  const char* name;
  std::function<void(const fs::path& daten)> stoere;
  int status;
  const char* zeile;  // a line the log must hold ("" for none)
  std::vector<std::string> umgebung = {};
  std::string skript = "bild 5\nschliessen\n";
};

std::function<void(const fs::path&)> Ersetze(const char* datei, const std::string& inhalt) {
  return [=](const fs::path& d) {
    fs::remove(d / datei);
    std::ofstream(d / datei, std::ios::binary) << inhalt;
  };
}
std::function<void(const fs::path&)> Entferne(const char* datei) {
  return [=](const fs::path& d) { fs::remove_all(d / datei); };
}

std::vector<DatenFall> DatenFaelle() {
  return {
      {"szene_dat_fehlt", Entferne("szene.dat"), 0, ""},
      {"szene_dat_ein_Ordner",
       [](const fs::path& d) {
         fs::remove(d / "szene.dat");
         fs::create_directory(d / "szene.dat");
       },
       0, ""},
      {"bloom_xml_fehlt", Entferne("bloom.xml"), 0, ""},
      {"pause_xml_fehlt_Esc", Entferne("pause.xml"), 0, "", {}, ESC_WEITER},
      {"calibrib_fnt_abgeschnitten", [](const fs::path& d) {
         const std::string inhalt = LiesDatei(d / "calibrib.fnt");
         fs::remove(d / "calibrib.fnt");
         std::ofstream(d / "calibrib.fnt", std::ios::binary) << inhalt.substr(0, inhalt.size() / 2);
       }, 0, ""},
      {"usaganie_ogg_fehlt", Entferne("usaganie.ogg"), 0, "?Unable to load music."},
      {"schatten_ps_fehlerhaft", Ersetze("schatten.ps", "float4 main( : COLOR { return 1; }\n"), 0,
       "!Zarvo_PixelShader::UebersetzeQuelltext(...): Übersetzung gescheitert."},
      {"GuiGrafik_png_zu_klein", [](const fs::path& d) {
         fs::remove(d / "GuiGrafik.png");
         fs::copy_file(d / "grafik.png", d / "GuiGrafik.png");
       }, -1, "Exception thrown: "},
      {"start_vs_fehlt", Entferne("start.vs"), -1, "Exception thrown: "},
      {"grafik_png_fehlt", Entferne("grafik.png"), -1, "Exception thrown: "},
      {"calibrib_ttf_Unsinn", Ersetze("calibrib.ttf", std::string(4096, 'x')), -1, "Exception thrown: "},
      {"GuiKonfig_xml_abgeschnitten", Ersetze("GuiKonfig.xml", "<gui><eigen"), -1, "Datei nicht geladen"},
      {"Daten_fehlt", [](const fs::path& d) { fs::remove_all(d); }, -1, "Exception thrown: "},
      {"kein_Audiotreiber", [](const fs::path&) {}, 0, "", {"ALSOFT_DRIVERS=keiner"}},
  };
}

void PrintTo(const DatenFall& fall, std::ostream* aus) { *aus << fall.name; }

class BeschaedigteDaten : public Programm, public ::testing::WithParamInterface<DatenFall> {};

TEST_P(BeschaedigteDaten, EndetGeordnet) {
  const DatenFall& fall = GetParam();
  fall.stoere(anwendung / "Daten");
  Lauf lauf = Starte(fall.skript, fall.umgebung);
  ASSERT_TRUE(lauf.beendet) << "signal " << lauf.status << "\n" << lauf.fehler << LogEnde();
  EXPECT_EQ(lauf.status, fall.status & 0xFF) << LogEnde();
  const std::string log = LiesDatei(benutzer / "spiel.log");
  if (*fall.zeile) EXPECT_NE(log.find(fall.zeile), std::string::npos) << log;
  if (fall.status == 0) EXPECT_EQ(log.find("Exception thrown: "), std::string::npos) << log;
  EXPECT_TRUE(fs::exists(benutzer / "spiel.cfg"));
  EXPECT_FALSE(fs::exists(benutzer / "MiniDump.dmp"));
}

INSTANTIATE_TEST_SUITE_P(Programm, BeschaedigteDaten, ::testing::ValuesIn(DatenFaelle()),
                         [](const ::testing::TestParamInfo<DatenFall>& info) { return std::string(info.param.name); });

// A damaged level: the game plays the default map after the loader's verdict, W moves the player,
// and the editor (F4 F4) leaves the damaged file as it is. A wrong start mark alone is only
// reported: the level loads, and the editor's save writes it whole again. F1 marks in the log
// where the start ends.
enum class Schaden { Halb, Hundert, Leer, Kennung, Riesig, Zufall };
struct SzenenFall {
  const char* name;
  Schaden schaden;
  const char* urteil = "!Karte::Lies(): Szenendaten besch";  // the one line of the start on it
  bool geladen = false;                                      // the level loads after all
};

// The shipped level damaged as the case says.
std::string Beschaedige(const std::string& level, Schaden schaden) {
  // The object count follows the header (32 bytes), the size (12) and the cells (28 bytes each).
  uint32_t groesse[3];
  std::memcpy(groesse, level.data() + 32, sizeof groesse);
  const size_t vctr = 44 + size_t(groesse[0]) * groesse[1] * groesse[2] * 28;
  std::string inhalt = level;
  switch (schaden) {
    case Schaden::Halb: return level.substr(0, level.size() / 2);
    case Schaden::Hundert: return level.substr(0, 100);
    case Schaden::Leer: return "";
    case Schaden::Kennung: inhalt[3] = 'X'; return inhalt;
    case Schaden::Riesig:
      EXPECT_EQ(level.substr(vctr, 4), "VCTR");
      for (int i = 0; i < 8; ++i) inhalt[vctr + 4 + i] = char(uint8_t((uint64_t(1) << 40) >> (56 - 8 * i)));
      return inhalt;
    case Schaden::Zufall: {
      std::string zufall(4096, '\0');
      std::mt19937 saat(2804);
      for (char& c : zufall) c = char(saat());
      return zufall;
    }
  }
  return inhalt;
}

void PrintTo(const SzenenFall& fall, std::ostream* aus) { *aus << fall.name; }

class BeschaedigteSzene : public Programm, public ::testing::WithParamInterface<SzenenFall> {};

// One program run per case, so that each stays well inside its time limit under ASan.
TEST_P(BeschaedigteSzene, StandardkarteSpielbarDateiBleibt) {
  const SzenenFall& fall = GetParam();
  const std::string skript =
      "bild 3\nzustand\nbild\ntaste 17 ab\nbild 2\ntaste 17 auf\nbild 24\nzustand\nbild\n"
      "taste 59 ab\nbild\ntaste 59 auf\nbild\n"
      "taste 62 ab\nbild\ntaste 62 auf\nbild 3\ntaste 62 ab\nbild\ntaste 62 auf\nbild 3\nschliessen\n";
  const std::string level = LiesDatei(fs::path(MORVELUNT_BAUVERZEICHNIS) / "Daten" / "szene.dat");
  ASSERT_GT(level.size(), 200u);
  const std::string beschaedigt = Beschaedige(level, fall.schaden);
  const fs::path szene = anwendung / "Daten" / "szene.dat";
  fs::remove(szene);
  { std::ofstream(szene, std::ios::binary) << beschaedigt; }
  const fs::path zustand = ordner / "zustand.txt";
  fs::remove(zustand);
  Lauf lauf = Starte(skript, {"MORVELUNT_ZUSTAND=" + zustand.string()});
  ASSERT_TRUE(lauf.beendet) << "signal " << lauf.status << "\n" << lauf.fehler << LogEnde();
  EXPECT_EQ(lauf.status, 0) << LogEnde();
  EXPECT_EQ(LiesDatei(szene), fall.geladen ? level : beschaedigt) << "the damaged file stays as it is";
  EXPECT_TRUE(fs::exists(benutzer / "spiel.cfg"));
  EXPECT_FALSE(fs::exists(benutzer / "MiniDump.dmp"));

  const std::string text = LiesDatei(benutzer / "spiel.log");
  const std::vector<std::string> log = Zeilen(text);
  const auto ende = std::find_if(log.begin(), log.end(), [](const std::string& z) { return z.find("Screenshot saved as") != std::string::npos; });
  ASSERT_NE(ende, log.end()) << LogEnde();
  const auto urteile = std::count_if(log.begin(), ende, [&](const std::string& z) { return z.find(fall.urteil) != std::string::npos; });
  EXPECT_EQ(urteile, 1) << text;
  EXPECT_EQ(HatZeileMit(text, "die Datei bleibt erhalten."), !fall.geladen) << "the editor says so";

  // The game is played (the default map, or the level read after all): W moved the player.
  std::vector<std::string> zeilen = Zeilen(LiesDatei(zustand));
  ASSERT_EQ(zeilen.size(), 2u);
  std::vector<std::string> zellen;
  for (const std::string& zeile : zeilen) {
    TiXmlDocument dok;
    dok.Parse(zeile.c_str());
    const TiXmlElement* spieler = dok.RootElement() ? dok.RootElement()->FirstChildElement("spieler") : nullptr;
    ASSERT_NE(spieler, nullptr) << zeile;
    zellen.push_back(std::string(spieler->Attribute("x")) + "," + spieler->Attribute("y") + "," + spieler->Attribute("z"));
  }
  EXPECT_NE(zellen[0], zellen[1]) << "W moves the player";
  if (fall.geladen) EXPECT_EQ(zellen[0], "3,1,3") << "the level's start cell";
}

INSTANTIATE_TEST_SUITE_P(Programm, BeschaedigteSzene,
                         ::testing::Values(SzenenFall{"Halb", Schaden::Halb}, SzenenFall{"Hundert", Schaden::Hundert},
                                           SzenenFall{"Leer", Schaden::Leer},
                                           SzenenFall{"Kennung", Schaden::Kennung,
                                                      "!TSegmentLeser - Startkennung 'SZNE' nicht gefunden.", true},
                                           SzenenFall{"Riesig", Schaden::Riesig}, SzenenFall{"Zufall", Schaden::Zufall}),
                         [](const ::testing::TestParamInfo<SzenenFall>& info) { return std::string(info.param.name); });

TEST_F(Programm, BildschirmGroesseNegativ) {
  fs::create_directories(benutzer);
  { std::ofstream(benutzer / "spiel.cfg") << "<config><var name=\"displaywidth\" wert=\"-5\" /><var name=\"fullscreen\" wert=\"nein\" /></config>\n"; }
  Lauf lauf = Starte();
  ASSERT_TRUE(lauf.beendet);
  EXPECT_EQ(lauf.status, 255);
  EXPECT_NE(LiesDatei(benutzer / "spiel.log").find("Screen initialisation failed."), std::string::npos) << LogEnde();
}

// A bad hook value names its variable and ends the start with -1.
TEST_F(Programm, FalscherTakt) {
  Lauf lauf = Starte("schliessen\n", {"MORVELUNT_TAKT=0"});
  ASSERT_TRUE(lauf.beendet);
  EXPECT_EQ(lauf.status, 255);
  const std::string log = LiesDatei(benutzer / "spiel.log");
  EXPECT_NE(log.find("Exception thrown: "), std::string::npos) << log;
  EXPECT_NE(log.find("MORVELUNT_TAKT"), std::string::npos) << log;
}

}  // namespace
