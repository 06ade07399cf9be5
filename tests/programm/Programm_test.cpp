// The real program, started as a user would, each run with its own XDG_DATA_HOME.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Lauf {
  bool beendet = false;  // ended by exit, not by a signal
  int status = -1;
  std::string ausgabe;   // stdout
  std::string fehler;    // stderr
};

std::string LiesDatei(const fs::path& datei) {
  std::ifstream ein(datei, std::ios::binary);
  std::ostringstream inhalt;
  inhalt << ein.rdbuf();
  return inhalt.str();
}

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
  }
  void TearDown() override {
    std::error_code fehler;
    fs::remove_all(ordner, fehler);
  }

  // Runs the program with XDG_DATA_HOME = daten; stdout and stderr go to files of the test folder.
  Lauf Starte() {
    std::vector<std::string> umgebung;
    for (char** eintrag = environ; *eintrag; ++eintrag)
      if (std::string(*eintrag).rfind("XDG_DATA_HOME=", 0) != 0) umgebung.emplace_back(*eintrag);
    umgebung.push_back("XDG_DATA_HOME=" + daten.string());
    std::vector<char*> zeiger;
    for (std::string& eintrag : umgebung) zeiger.push_back(eintrag.data());
    zeiger.push_back(nullptr);

    const fs::path aus = ordner / "stdout.txt", err = ordner / "stderr.txt";
    posix_spawn_file_actions_t aktionen;
    posix_spawn_file_actions_init(&aktionen);
    posix_spawn_file_actions_addopen(&aktionen, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&aktionen, 1, aus.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&aktionen, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char programm[] = MORVELUNT_PROGRAMM;
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
    while (waitpid(kind, &status, 0) < 0) {
    }
    lauf.beendet = WIFEXITED(status);
    lauf.status = lauf.beendet ? WEXITSTATUS(status) : WTERMSIG(status);
    lauf.ausgabe = LiesDatei(aus);
    lauf.fehler = LiesDatei(err);
    return lauf;
  }

  fs::path ordner, daten, benutzer;
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

  // The notice names the build folder (parent of bin64) and the user-data folder.
  const std::string anwendung = fs::canonical(MORVELUNT_BAUVERZEICHNIS).string();
  const std::string hinweis = "Spiel::Anwendung ist in diesem Programmstand nicht enthalten; Anwendungsverzeichnis \"" +
                              anwendung + "\", Benutzerdaten \"" + benutzer.string() + "\".";
  EXPECT_EQ(erster.ausgabe, hinweis + "\n");
  EXPECT_TRUE(HatZeileMit(log, hinweis)) << log;

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
