// The test hooks switched on from the environment: the fixed clock stepped by the recording
// device's Present and read by the frame clock, the state file, the script as the input back end,
// and the errors that name their variable.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "GeraeteParameter.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/eingabe/Drehbuch.h"
#include "Plattform/eingabe/Pruefbetrieb.h"
#include "Plattform/system/Takt.h"
#include "Plattform/system/Zaehler.h"
#include "Plattform/system/Zustandsausgabe.h"
#include "Zarvo_Timer.h"

namespace fs = std::filesystem;
using pruefbetrieb::Takt;
using pruefbetrieb::Zustandsausgabe;

namespace {

int64_t Lies() {
  int64_t wert = 0;
  win32::QueryPerformanceCounter(&wert);
  return wert;
}

std::string LiesDatei(const fs::path& datei) {
  std::ifstream ein(datei, std::ios::binary);
  std::ostringstream inhalt;
  inhalt << ein.rdbuf();
  return inhalt.str();
}

class PruefbetriebTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoescheVariablen();
    std::string muster = (fs::temp_directory_path() / "morvelunt-pruefbetrieb-XXXXXX").string();
    ASSERT_NE(mkdtemp(muster.data()), nullptr);
    ordner = muster;
  }
  void TearDown() override {
    if (geraet) geraet->Release();
    d3d9::WaehleGl33Backend();
    pruefbetrieb::SchalteAus();
    LoescheVariablen();
    std::error_code fehler;
    fs::remove_all(ordner, fehler);
  }

  static void LoescheVariablen() {
    for (const char* v : {pruefbetrieb::VARIABLE_TAKT, pruefbetrieb::VARIABLE_EINGABE, pruefbetrieb::VARIABLE_ZUSTAND})
      unsetenv(v);
  }
  std::string SchalteEin() {
    return pruefbetrieb::SchalteEin([this](const std::string& zeile) { meldungen.push_back(zeile); });
  }
  void OeffneNullGeraet() {
    d3d9::WaehleNullBackend({});
    d3d9::IDirect3D9* d3d = d3d9::Direct3DCreate9(d3d9::D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    d3d9::D3DPRESENT_PARAMETERS p = TestParameter(64, 48);
    ASSERT_EQ(d3d->CreateDevice(0, d3d9::D3DDEVTYPE_HAL, nullptr, 82, &p, &geraet), d3d9::D3D_OK);
    d3d->Release();
  }
  d3d9::HRESULT Present() { return geraet->Present(nullptr, nullptr, nullptr, nullptr); }

  fs::path ordner;
  std::vector<std::string> meldungen;
  d3d9::IDirect3DDevice9* geraet = nullptr;
};

}  // namespace

// Between two Presents the counter stands still; each Present, whatever it answers, moves it by
// exactly 1e9/64 ticks from the real reading taken at the start.
TEST_F(PruefbetriebTest, TaktSchreitetJePresentDesNullGeraets) {
  OeffneNullGeraet();
  setenv(pruefbetrieb::VARIABLE_TAKT, "64", 1);
  const int64_t vorher = Lies();
  ASSERT_EQ(SchalteEin(), "");
  const int64_t start = Lies();
  EXPECT_GE(start, vorher);
  EXPECT_EQ(Lies(), start);
  EXPECT_EQ(Present(), d3d9::D3D_OK);
  EXPECT_EQ(Lies(), start + 15'625'000);
  ASSERT_EQ(geraet->BeginScene(), d3d9::D3D_OK);
  EXPECT_EQ(Present(), d3d9::D3DERR_INVALIDCALL);
  EXPECT_EQ(Lies(), start + 2 * 15'625'000);
  ASSERT_EQ(geraet->EndScene(), d3d9::D3D_OK);
  geraet->SimulateDeviceLost(1);
  EXPECT_EQ(Present(), d3d9::D3DERR_DEVICELOST);
  EXPECT_EQ(Lies(), start + 3 * 15'625'000);
  EXPECT_EQ(win32::GetTickCount(), uint32_t(uint64_t((start + 3 * 15'625'000) / 1'000'000)));
  EXPECT_EQ(Takt::Bilder(), 3);
  EXPECT_EQ(meldungen, std::vector<std::string>({"Pruefbetrieb: fester Takt von 64 Bildern pro Sekunde"}));
}

// The frame clock's step is half of the last two frame intervals: 1/Hz from the third frame on.
TEST_F(PruefbetriebTest, BildUhrSchreitetAbDemDrittenBildUmEinenTakt) {
  OeffneNullGeraet();
  for (const char* hz : {"64", "1000", "1"}) {
    SCOPED_TRACE(hz);
    setenv(pruefbetrieb::VARIABLE_TAKT, hz, 1);
    ASSERT_EQ(SchalteEin(), "");
    const int64_t schritt = 1'000'000'000 / std::atoi(hz);
    Zarvo_Timer uhr;
    std::vector<TZeit> schritte;
    for (int bild = 1; bild <= 8; ++bild) {
      uhr.Aktualisiere();
      schritte.push_back(uhr.letzterSchritt);
      Present();
    }
    EXPECT_NE(schritte[0], schritt);
    EXPECT_EQ(schritte[1], schritt / 2);
    for (size_t i = 2; i < schritte.size(); ++i) EXPECT_EQ(schritte[i], schritt) << "Bild " << i + 1;
  }
}

// A rate that does not divide 1e9: the steps differ by at most one tick and never drift.
TEST_F(PruefbetriebTest, UngeradeRateLaeuftNichtDavon) {
  OeffneNullGeraet();
  setenv(pruefbetrieb::VARIABLE_TAKT, "7", 1);
  ASSERT_EQ(SchalteEin(), "");
  const int64_t start = Lies();
  int64_t zuletzt = start;
  for (int i = 1; i <= 70; ++i) {
    Present();
    const int64_t jetzt = Lies();
    EXPECT_TRUE(jetzt - zuletzt == 142'857'142 || jetzt - zuletzt == 142'857'143) << i;
    zuletzt = jetzt;
  }
  EXPECT_EQ(zuletzt, start + 10'000'000'000);
}

// Without the variable nothing is touched: a counter source of the caller stays, Present does
// not move it; switching off leaves it too. With the clock, switching off gives the real counter.
TEST_F(PruefbetriebTest, OhneVariableBleibtEineFremdeZaehlerquelle) {
  OeffneNullGeraet();
  win32::SetzeZaehlerQuelle([] { return int64_t(4711); });
  EXPECT_EQ(SchalteEin(), "");
  Present();
  EXPECT_EQ(Lies(), 4711);
  pruefbetrieb::SchalteAus();
  EXPECT_EQ(Lies(), 4711);
  win32::SetzeZaehlerQuelle(nullptr);
  EXPECT_TRUE(meldungen.empty());

  setenv(pruefbetrieb::VARIABLE_TAKT, "10", 1);
  ASSERT_EQ(SchalteEin(), "");
  for (int i = 0; i < 1000; ++i) Present();
  const int64_t gestellt = Lies();
  pruefbetrieb::SchalteAus();
  EXPECT_FALSE(Takt::Laeuft());
  Present();
  EXPECT_LT(Lies(), gestellt);  // the real counter is 100 s behind the stepped one
}

struct FalscherWert {
  const char* variable;
  std::string wert;
  std::string grund;  // after `VARIABLE="wert": `
};

// Every bad value gives one text that names its variable, and no hook is left on, also when an
// earlier variable was good.
TEST_F(PruefbetriebTest, FehlerNennenIhreVariable) {
  const std::string fifo = (ordner / "ohne_leser").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string ordnerText = ordner.string();
  const std::string fehlt = (ordner / "fehlt" / "datei").string();
  const char* takt = pruefbetrieb::VARIABLE_TAKT;
  const char* eingabe = pruefbetrieb::VARIABLE_EINGABE;
  const char* zustand = pruefbetrieb::VARIABLE_ZUSTAND;
  const FalscherWert faelle[] = {
      {takt, "abc", "keine Zahl (Bilder pro Sekunde, 1 bis 1000)"},
      {takt, "", "keine Zahl (Bilder pro Sekunde, 1 bis 1000)"},
      {takt, "-5", "keine Zahl (Bilder pro Sekunde, 1 bis 1000)"},
      {takt, "+5", "keine Zahl (Bilder pro Sekunde, 1 bis 1000)"},
      {takt, "6.4", "keine Zahl (Bilder pro Sekunde, 1 bis 1000)"},
      {takt, "64 ", "keine Zahl (Bilder pro Sekunde, 1 bis 1000)"},
      {takt, "0", "nicht im Bereich 1 bis 1000"},
      {takt, "1001", "nicht im Bereich 1 bis 1000"},
      {takt, "99999999999999999999999", "nicht im Bereich 1 bis 1000"},
      {eingabe, fehlt, "nicht zu oeffnen (No such file or directory)"},
      {eingabe, ordnerText, "nicht zu oeffnen (ein Ordner, keine Datei)"},
      {eingabe, "", "nicht zu oeffnen (No such file or directory)"},
      {zustand, fehlt, "nicht zum Schreiben zu oeffnen (No such file or directory)"},
      {zustand, ordnerText, "nicht zum Schreiben zu oeffnen (Is a directory)"},
      {zustand, fifo, "nicht zum Schreiben zu oeffnen (No such device or address)"},
  };
  const std::string skript = (ordner / "skript").string();
  std::ofstream(skript) << "bild\n";
  for (const FalscherWert& f : faelle) {
    SCOPED_TRACE(std::string(f.variable) + "=" + f.wert);
    LoescheVariablen();
    setenv(takt, "64", 1);
    setenv(eingabe, skript.c_str(), 1);
    setenv(f.variable, f.wert.c_str(), 1);
    EXPECT_EQ(SchalteEin(), std::string(f.variable) + "=\"" + f.wert + "\": " + f.grund);
    EXPECT_FALSE(Takt::Laeuft());
    EXPECT_EQ(pruefbetrieb::AktivesDrehbuch(), nullptr);
    EXPECT_TRUE(eingabe::AktiveQuelle().FokusZaehlt());
    EXPECT_FALSE(Zustandsausgabe::Offen());
  }
  EXPECT_TRUE(meldungen.empty());
  LoescheVariablen();
  for (const char* grenze : {"1", "1000", "0064"}) {
    setenv(takt, grenze, 1);
    EXPECT_EQ(SchalteEin(), "") << grenze;
  }
}

// All three on: the script is the input back end and its "zustand" asks the state file for a
// line; switching off gives GLFW back and closes the file.
TEST_F(PruefbetriebTest, SkriptFordertZustandszeilenAn) {
  const fs::path skript = ordner / "skript", datei = ordner / "zustand.xml";
  std::ofstream(skript) << "zustand\nbild\nbild\nzustand\nzustand\nbild\n";
  setenv(pruefbetrieb::VARIABLE_TAKT, "64", 1);
  setenv(pruefbetrieb::VARIABLE_EINGABE, skript.c_str(), 1);
  setenv(pruefbetrieb::VARIABLE_ZUSTAND, datei.c_str(), 1);
  ASSERT_EQ(SchalteEin(), "");
  EXPECT_EQ(meldungen, std::vector<std::string>({"Pruefbetrieb: fester Takt von 64 Bildern pro Sekunde",
                                                 "Pruefbetrieb: Eingabe aus \"" + skript.string() + "\"",
                                                 "Pruefbetrieb: Zustand nach \"" + datei.string() + "\""}));
  ASSERT_NE(pruefbetrieb::AktivesDrehbuch(), nullptr);
  EXPECT_EQ(&eingabe::AktiveQuelle(), pruefbetrieb::AktivesDrehbuch());
  EXPECT_FALSE(eingabe::AktiveQuelle().FokusZaehlt());
  std::vector<bool> gewuenscht;
  for (int bild = 0; bild < 3; ++bild) {
    eingabe::AktiveQuelle().Bildbeginn();
    gewuenscht.push_back(Zustandsausgabe::Gewuenscht());
    if (Zustandsausgabe::Gewuenscht()) {
      EXPECT_TRUE(Zustandsausgabe::Schreibe("<zustand bild=\"" + std::to_string(bild) + "\"/>"));
    }
  }
  EXPECT_EQ(gewuenscht, std::vector<bool>({true, false, true}));
  EXPECT_EQ(LiesDatei(datei), "<zustand bild=\"0\"/>\n<zustand bild=\"2\"/>\n");
  pruefbetrieb::SchalteAus();
  EXPECT_TRUE(eingabe::AktiveQuelle().FokusZaehlt());
  EXPECT_EQ(pruefbetrieb::AktivesDrehbuch(), nullptr);
  EXPECT_FALSE(Zustandsausgabe::Offen());
}

// Lines are appended to what the file held and are readable at once, each on one line.
TEST_F(PruefbetriebTest, ZustandsausgabeHaengtJedeZeileSofortAn) {
  const fs::path datei = ordner / "zustand.xml";
  std::ofstream(datei) << "<alt/>\n";
  std::string fehler;
  ASSERT_TRUE(Zustandsausgabe::Oeffne(datei.string(), fehler)) << fehler;
  EXPECT_FALSE(Zustandsausgabe::Gewuenscht());
  Zustandsausgabe::Anfordern();
  Zustandsausgabe::Anfordern();
  EXPECT_TRUE(Zustandsausgabe::Gewuenscht());
  EXPECT_TRUE(Zustandsausgabe::Schreibe("<a b=\"1\"/>"));
  EXPECT_FALSE(Zustandsausgabe::Gewuenscht());
  EXPECT_EQ(LiesDatei(datei), "<alt/>\n<a b=\"1\"/>\n");
  EXPECT_TRUE(Zustandsausgabe::Schreibe("<b t=\"x\ny\r\nz\"/>"));
  EXPECT_EQ(LiesDatei(datei), "<alt/>\n<a b=\"1\"/>\n<b t=\"x y  z\"/>\n");
  Zustandsausgabe::Schliesse();
  Zustandsausgabe::Anfordern();
  EXPECT_FALSE(Zustandsausgabe::Gewuenscht());
  EXPECT_FALSE(Zustandsausgabe::Schreibe("<c/>"));
  EXPECT_EQ(LiesDatei(datei), "<alt/>\n<a b=\"1\"/>\n<b t=\"x y  z\"/>\n");
}

// A FIFO with a reader works as the state file: each line arrives whole.
TEST_F(PruefbetriebTest, ZustandsausgabeInEinFifo) {
  const fs::path fifo = ordner / "zustand";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int leser = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(leser, 0);
  std::string fehler;
  ASSERT_TRUE(Zustandsausgabe::Oeffne(fifo.string(), fehler)) << fehler;
  fcntl(leser, F_SETFL, fcntl(leser, F_GETFL) & ~O_NONBLOCK);
  const std::string lang(100'000, 'x');
  std::string gelesen;
  std::thread lesen([&] {
    char block[4096];
    while (gelesen.size() < lang.size() + 1) {
      const ssize_t n = read(leser, block, sizeof block);
      if (n > 0) gelesen.append(block, size_t(n));
      else if (n == 0) break;
    }
  });
  EXPECT_TRUE(Zustandsausgabe::Schreibe(lang));
  lesen.join();
  close(leser);
  EXPECT_EQ(gelesen, lang + "\n");
}
