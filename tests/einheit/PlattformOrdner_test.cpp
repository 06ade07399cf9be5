#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

#include "EigenerOrdner.h"
#include "Plattform/system/Ordner.h"

namespace {

namespace fs = std::filesystem;

// An environment from a table: unlisted variables and passwd fields are missing.
struct TestUmgebung {
  std::map<std::string, std::string> variablen;
  std::optional<std::string> heim, name;

  win32::Umgebung Als() const {
    win32::Umgebung umgebung;
    umgebung.variable = [this](const char* n) -> std::optional<std::string> {
      auto eintrag = variablen.find(n);
      if (eintrag == variablen.end()) return std::nullopt;
      return eintrag->second;
    };
    umgebung.passwdHeim = [this] { return heim; };
    umgebung.passwdName = [this] { return name; };
    return umgebung;
  }
};

class AnwendungsDaten : public ::testing::Test {
 protected:
  EigenerOrdner ordner;
  fs::path xdg = ordner / "xdg";
  fs::path heim = ordner / "heim";
  fs::path passwd = ordner / "passwd";
};

TEST_F(AnwendungsDaten, WahlDesOrdners) {
  SchreibeDatei(ordner / "datei", "x");
  struct Fall {
    const char* fall;
    std::map<std::string, std::string> variablen;
    std::optional<std::string> passwdHeim;
    std::optional<fs::path> erwartet;
  };
  const Fall faelle[] = {
      {"XDG gesetzt", {{"XDG_DATA_HOME", xdg.string()}, {"HOME", heim.string()}}, passwd.string(), xdg},
      {"XDG leer", {{"XDG_DATA_HOME", ""}, {"HOME", heim.string()}}, passwd.string(), heim / ".local/share"},
      {"XDG relativ", {{"XDG_DATA_HOME", "relativ/xdg"}, {"HOME", heim.string()}}, passwd.string(), heim / ".local/share"},
      {"XDG ist Datei", {{"XDG_DATA_HOME", (ordner / "datei").string()}, {"HOME", heim.string()}}, passwd.string(), std::nullopt},
      {"nur HOME", {{"HOME", heim.string()}}, passwd.string(), heim / ".local/share"},
      {"HOME leer", {{"HOME", ""}}, passwd.string(), passwd / ".local/share"},
      {"nur passwd", {}, passwd.string(), passwd / ".local/share"},
      {"nichts", {}, std::nullopt, std::nullopt},
      {"passwd leer", {}, std::string(), std::nullopt},
      {"Weg durch eine Datei", {{"HOME", (ordner / "datei").string()}}, std::nullopt, std::nullopt},
  };
  for (const Fall& f : faelle) {
    TestUmgebung umgebung{f.variablen, f.passwdHeim, std::nullopt};
    EXPECT_EQ(win32::AnwendungsDatenOrdner(umgebung.Als(), true), f.erwartet) << f.fall;
    if (f.erwartet) {
      EXPECT_TRUE(fs::is_directory(*f.erwartet)) << f.fall;
    }
  }
}

TEST_F(AnwendungsDaten, AngelegteOrdnerGehoerenNurDemBenutzer) {
  TestUmgebung umgebung{{{"XDG_DATA_HOME", (xdg / "tief").string()}}, std::nullopt, std::nullopt};
  ASSERT_EQ(win32::AnwendungsDatenOrdner(umgebung.Als(), true), xdg / "tief");
  for (const fs::path& angelegt : {xdg, xdg / "tief"}) {
    struct stat status {};
    ASSERT_EQ(stat(angelegt.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << angelegt;
  }
}

TEST_F(AnwendungsDaten, OhneAnlegenZaehltNurEinVorhandenerOrdner) {
  TestUmgebung umgebung{{{"XDG_DATA_HOME", xdg.string()}}, std::nullopt, std::nullopt};
  EXPECT_EQ(win32::AnwendungsDatenOrdner(umgebung.Als(), false), std::nullopt);
  EXPECT_FALSE(fs::exists(xdg));
  fs::create_directory(xdg);
  EXPECT_EQ(win32::AnwendungsDatenOrdner(umgebung.Als(), false), xdg);
}

TEST(BenutzerName, Rueckfallreihe) {
  struct Fall {
    const char* fall;
    std::optional<std::string> passwdName;
    std::map<std::string, std::string> variablen;
    std::optional<std::string> erwartet;
  };
  const Fall faelle[] = {
      {"passwd zuerst", "anna", {{"USER", "bert"}, {"LOGNAME", "carl"}}, "anna"},
      {"dann USER", std::nullopt, {{"USER", "bert"}, {"LOGNAME", "carl"}}, "bert"},
      {"leerer passwd-Name", std::string(), {{"USER", "bert"}}, "bert"},
      {"dann LOGNAME", std::nullopt, {{"USER", ""}, {"LOGNAME", "carl"}}, "carl"},
      {"nichts", std::nullopt, {{"LOGNAME", ""}}, std::nullopt},
  };
  for (const Fall& f : faelle) {
    TestUmgebung umgebung{f.variablen, std::nullopt, f.passwdName};
    EXPECT_EQ(win32::BenutzerName(umgebung.Als()), f.erwartet) << f.fall;
  }
}

// The platform calls over the real process.
TEST(PlattformAufrufe, ProgrammPfadIstDieseDatei) {
  std::optional<fs::path> programm = win32::GetModuleFileName();
  ASSERT_TRUE(programm);
  EXPECT_EQ(*programm, fs::read_symlink("/proc/self/exe"));
  EXPECT_TRUE(fs::is_regular_file(*programm));
}

TEST(PlattformAufrufe, BenutzerNameIstDerDesPasswdEintrags) {
  const passwd* eintrag = getpwuid(geteuid());
  if (eintrag == nullptr) GTEST_SKIP() << "kein passwd-Eintrag für diesen Benutzer";
  EXPECT_EQ(win32::GetUserName(), std::string(eintrag->pw_name));
}

TEST(PlattformAufrufe, AnwendungsDatenAusDerUmgebungMitUndOhneAnlegen) {
  EigenerOrdner ordner;
  const char* alt = std::getenv("XDG_DATA_HOME");
  const std::optional<std::string> vorher = alt ? std::optional<std::string>(alt) : std::nullopt;
  const fs::path xdg = ordner / "daten";
  setenv("XDG_DATA_HOME", xdg.c_str(), 1);
  EXPECT_EQ(win32::SHGetFolderPath(win32::CSIDL_APPDATA), std::nullopt);
  EXPECT_EQ(win32::SHGetFolderPath(win32::CSIDL_APPDATA | win32::CSIDL_FLAG_CREATE), xdg);
  EXPECT_TRUE(fs::is_directory(xdg));
  EXPECT_EQ(win32::SHGetFolderPath(0x0005), std::nullopt);  // only the application-data folder is known
  if (vorher) {
    setenv("XDG_DATA_HOME", vorher->c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
}

}  // namespace
