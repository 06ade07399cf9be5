#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "LogHilfen.h"
#include "Plattform/system/Faden.h"
#include "Plattform/system/Zaehler.h"
#include "Zarvo_Log.h"
#include "Zarvo_Start.h"

namespace {

using testhilfe::LiesDatei;
using testhilfe::Mitschnitt;
using testhilfe::NachrichtVon;
using testhilfe::TempOrdner;

size_t Baue(char* puffer, int64_t mikrosekunden, uint32_t fadenId, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
size_t Baue(char* puffer, int64_t mikrosekunden, uint32_t fadenId, const char* format, ...) {
  va_list argumente;
  va_start(argumente, format);
  const size_t laenge = Zarvo_Log::BaueZeile(puffer, mikrosekunden, fadenId, format, argumente);
  va_end(argumente);
  return laenge;
}

// FNV-1a 64 over the four bytes of the id, lowest first; the tag is the low 16 bits.
uint16_t Fnv1a64Kennung(uint32_t id) {
  const uint8_t bytes[4] = {uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24)};
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001b3ull;
  }
  return uint16_t(hash & 0xFFFF);
}

// Restores a bool variable's value at the end of a test.
class BoolZuruecksetzer {
 public:
  explicit BoolZuruecksetzer(Zarvo_Variable& v) : variable(v), alt(v.boolWert) {}
  ~BoolZuruecksetzer() { variable.SetzeBool(alt); }

 private:
  Zarvo_Variable& variable;
  bool alt;
};

int64_t g_Zaehler = 0;
int64_t LiesTestZaehler() { return g_Zaehler; }

// ---- Format --------------------------------------------------------------------------------

TEST(LogFormat, FadenKennungWieFnv1a64) {
  struct Fall {
    uint32_t id;
    uint16_t kennung;
  };
  const Fall faelle[] = {{0, 0x13f5}, {1, 0x5764}, {1234, 0xc83b}, {0x12345678, 0x3365}, {0xFFFFFFFF, 0x3951}};
  for (const Fall& f : faelle) {
    EXPECT_EQ(Fnv1a64Kennung(f.id), f.kennung) << f.id;
    EXPECT_EQ(Zarvo_Log::FadenKennung(f.id), f.kennung) << f.id;
  }
}

TEST(LogFormat, PraefixAusZeitUndFaden) {
  char puffer[Zarvo_Log::MAX_ZEILE + 2];
  struct Fall {
    int64_t mikrosekunden;
    const char* praefix;
  };
  const Fall faelle[] = {
      {65'500'000, "0065:500000 (t5764): "},
      {0, "0000:000000 (t5764): "},
      {999'999, "0000:999999 (t5764): "},
      {12'345'000'001, "12345:000001 (t5764): "},
  };
  for (const Fall& f : faelle) {
    const size_t laenge = Baue(puffer, f.mikrosekunden, 1, "x");
    EXPECT_EQ(std::string(puffer, laenge), std::string(f.praefix) + "x\n");
  }
}

TEST(LogFormat, Zeilenende) {
  char puffer[Zarvo_Log::MAX_ZEILE + 2];
  const std::string praefix = "0001:000002 (t5764): ";
  struct Fall {
    const char* format;
    std::string erwartet;
  };
  const Fall faelle[] = {
      {"", praefix + "\n"},
      {"text", praefix + "text\n"},
      {"text\n", praefix + "text\n"},
      {"zwei\n\n", praefix + "zwei\n\n"},
      {"%d%%", praefix + "42%\n"},
  };
  for (const Fall& f : faelle) {
    const size_t laenge = Baue(puffer, 1'000'002, 1, f.format, 42);
    EXPECT_EQ(std::string(puffer, laenge), f.erwartet) << f.format;
    EXPECT_EQ(puffer[laenge], '\0');
  }
}

TEST(LogFormat, UeberlangeNachrichtWirdAuf1997ZeichenGekuerzt) {
  char puffer[Zarvo_Log::MAX_ZEILE + 2];
  const std::string lang(3000, 'x');
  const size_t laenge = Baue(puffer, 0, 1, "%s", lang.c_str());
  ASSERT_EQ(laenge, 1998u);
  EXPECT_EQ(puffer[1997], '\n');
  EXPECT_EQ(std::memchr(puffer, '\0', laenge), nullptr);
  EXPECT_EQ(std::string(puffer + 21, 1997 - 21), std::string(1997 - 21, 'x'));

  // A message that fills the line exactly keeps all its characters.
  const std::string passend(1997 - 21, 'y');
  EXPECT_EQ(Baue(puffer, 0, 1, "%s", passend.c_str()), 1998u);
  EXPECT_EQ(std::string(puffer + 21, passend.size()), passend);
}

TEST(LogFormat, ScheiternderFormatierungGibtLeereNachricht) {
  char puffer[Zarvo_Log::MAX_ZEILE + 2];
  // A wide character that the "C" locale cannot convert: vsnprintf fails.
  const wchar_t breit[] = {0x00E4, 0};
  const size_t laenge = Baue(puffer, 0, 1, "%ls", breit);
  EXPECT_EQ(std::string(puffer, laenge), "0000:000000 (t5764): \n");
}

// ---- Dispatch ------------------------------------------------------------------------------

class LogVerteilung : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Zaehler = 5'000'000'000;
    win32::SetzeZaehlerQuelle(LiesTestZaehler);
  }
  void TearDown() override {
    log.Schliesse();
    win32::SetzeZaehlerQuelle(nullptr);
  }

  std::filesystem::path LogPfad() const { return ordner.Pfad() / "spiel.log"; }
  std::vector<std::string> DateiNachrichten() const {
    std::vector<std::string> ergebnis;
    std::istringstream inhalt(LiesDatei(LogPfad()));
    for (std::string zeile; std::getline(inhalt, zeile);) ergebnis.push_back(NachrichtVon(zeile));
    return ergebnis;
  }

  TempOrdner ordner;
  Zarvo_Log log;  // a log of the test's own, in its start-up state
  BoolZuruecksetzer logfile{g_tLogfile};
  BoolZuruecksetzer debug{g_tDebug};
};

TEST_F(LogVerteilung, StarteSchreibtLogStartInDateiUndAnzeige) {
  Mitschnitt anzeige(&log);
  log.Starte(ordner.Pfad(), "spiel.log");
  g_Zaehler += 65'500'000'000;
  log.Schreibe("Zeile %d", 1);
  ASSERT_TRUE(log.HatDatei());
  ASSERT_NE(log.Pfad(), nullptr);
  EXPECT_EQ(*log.Pfad(), LogPfad());

  const std::string kennung = [] {
    char text[8];
    snprintf(text, sizeof text, "%04x", unsigned(Zarvo_Log::FadenKennung(win32::GetCurrentThreadId())));
    return std::string(text);
  }();
  const std::string inhalt = LiesDatei(LogPfad());
  EXPECT_EQ(inhalt, "0000:000000 (t" + kennung + "): Log-Start\n0065:500000 (t" + kennung + "): Zeile 1\n");
  EXPECT_EQ(anzeige.zeilen, (std::vector<std::string>{"0000:000000 (t" + kennung + "): Log-Start\n",
                                                      "0065:500000 (t" + kennung + "): Zeile 1\n"}));
}

TEST_F(LogVerteilung, StarteErsetztAltenLog) {
  testhilfe::SchreibeDatei(LogPfad(), "alter Inhalt\nmehr\n");
  log.Starte(ordner.Pfad(), "spiel.log");
  EXPECT_EQ(DateiNachrichten(), (std::vector<std::string>{"Log-Start"}));
}

TEST_F(LogVerteilung, StarteInOrdnerMitUmlautUndKanji) {
  const auto unterordner = ordner.Pfad() / "Prüfung 漢字";
  std::filesystem::create_directory(unterordner);
  log.Starte(unterordner, "spiel.log");
  log.Schreibe("Grüße");
  log.Schliesse();
  EXPECT_EQ(LiesDatei(unterordner / "spiel.log").find("Log-Start\n"), 21u);
  EXPECT_NE(LiesDatei(unterordner / "spiel.log").find("Grüße\n"), std::string::npos);
}

TEST_F(LogVerteilung, UnoeffnbareDateiLaesstLogOhneDateiLaufen) {
  Mitschnitt anzeige(&log);
  log.Starte(ordner.Pfad() / "gibt es nicht", "spiel.log");
  log.Schreibe("trotzdem");
  EXPECT_TRUE(log.IstAktiv());
  EXPECT_FALSE(log.HatDatei());
  EXPECT_EQ(anzeige.Nachrichten(), (std::vector<std::string>{"Log-Start", "trotzdem"}));
}

TEST_F(LogVerteilung, OhneLogfileKeineDatei_AnzeigeBekommtAlles) {
  testhilfe::SchreibeDatei(LogPfad(), "alter Log\n");
  g_tLogfile.SetzeBool(false);
  Mitschnitt anzeige(&log);
  log.Starte(ordner.Pfad(), "spiel.log");
  log.Schreibe("eins");
  log.Schreibe("!zwei");
  EXPECT_FALSE(log.HatDatei());
  EXPECT_EQ(anzeige.Nachrichten(), (std::vector<std::string>{"Log-Start", "eins", "!zwei"}));
  log.Schliesse();
  EXPECT_EQ(LiesDatei(LogPfad()), "alter Log\n");

  std::filesystem::remove(LogPfad());
  log.Starte(ordner.Pfad(), "spiel.log");
  EXPECT_FALSE(std::filesystem::exists(LogPfad()));
}

// A second Starte without Schliesse: the earlier file is closed, not written on.
TEST_F(LogVerteilung, NeuerStartOhneLogfileSchliesstDieAlteDatei) {
  log.Starte(ordner.Pfad(), "spiel.log");
  ASSERT_TRUE(log.HatDatei());
  g_tLogfile.SetzeBool(false);
  log.Starte(ordner.Pfad(), "spiel.log");
  EXPECT_FALSE(log.HatDatei());
  EXPECT_EQ(log.Pfad(), nullptr);
  g_tLogfile.SetzeBool(true);
  log.Schreibe("nicht in die alte Datei");
  EXPECT_EQ(DateiNachrichten(), (std::vector<std::string>{"Log-Start"}));
}

// Crash mode writes by descriptor: after a restart without a file it must not write to the
// descriptor the closed file had, which the next opened file reuses.
TEST_F(LogVerteilung, NeuerStartOhneLogfileLaesstDenAltenDeskriptorLos) {
  log.Starte(ordner.Pfad(), "spiel.log");
  g_tLogfile.SetzeBool(false);
  log.Starte(ordner.Pfad(), "spiel.log");
  const std::filesystem::path andere = ordner.Pfad() / "andere.txt";
  FILE* fremd = std::fopen(andere.c_str(), "wb");
  ASSERT_NE(fremd, nullptr);
  testing::internal::CaptureStderr();
  log.BeginneAbsturz();
  log.Schreibe("im Absturz");
  const std::string fehlerAusgabe = testing::internal::GetCapturedStderr();
  std::fclose(fremd);
  EXPECT_EQ(LiesDatei(andere), "");
  EXPECT_NE(fehlerAusgabe.find("): im Absturz\n"), std::string::npos) << fehlerAusgabe;
}

TEST_F(LogVerteilung, DebugAusgabeNurMitTDebug) {
  Mitschnitt anzeige(&log);
  log.Starte(ordner.Pfad(), "spiel.log");
  g_tDebug.SetzeBool(false);
  log.DebugAusgabe("still %d", 1);
  g_tDebug.SetzeBool(true);
  log.DebugAusgabe("laut %d", 2);
  EXPECT_EQ(anzeige.Nachrichten(), (std::vector<std::string>{"Log-Start", "laut 2"}));
}

TEST_F(LogVerteilung, ArbeiterZeilenErstNachDemLeeren_HinterDenZeilenDesHauptfadens) {
  Mitschnitt anzeige(&log);
  log.Starte(ordner.Pfad(), "spiel.log");
  log.Schreibe("haupt 1");
  std::thread arbeiter([this] {
    for (int i = 0; i < 45; ++i) log.Schreibe("arbeiter %d", i);
    log.LeereWarteschlange();  // not the main thread: does nothing
  });
  arbeiter.join();
  log.Schreibe("haupt 2");
  std::vector<std::string> erwartet = {"Log-Start", "haupt 1", "haupt 2"};
  EXPECT_EQ(anzeige.Nachrichten(), erwartet);
  EXPECT_EQ(DateiNachrichten(), erwartet);

  log.LeereWarteschlange();
  for (int i = 0; i < 45; ++i) erwartet.push_back("arbeiter " + std::to_string(i));
  EXPECT_EQ(anzeige.Nachrichten(), erwartet);
  EXPECT_EQ(DateiNachrichten(), erwartet);
}

TEST_F(LogVerteilung, SchliesseLeertDieWarteschlangeUndSchliesstDieDatei) {
  log.Starte(ordner.Pfad(), "spiel.log");
  std::thread([this] { log.Schreibe("spaet"); }).join();
  log.Schliesse();
  EXPECT_FALSE(log.IstAktiv());
  EXPECT_FALSE(log.HatDatei());
  EXPECT_EQ(log.Pfad(), nullptr);
  log.Schreibe("nach dem Schliessen");
  EXPECT_EQ(DateiNachrichten(), (std::vector<std::string>{"Log-Start", "spaet"}));
}

TEST_F(LogVerteilung, ZeilenVorDemStartFolgenLogStart) {
  Mitschnitt anzeige(&log);
  testing::internal::CaptureStderr();
  for (int i = 0; i < 150; ++i) log.Schreibe(i % 50 == 0 ? "!vorher %d" : "vorher %d", i);
  std::thread([this] { log.Schreibe("!fremder Faden"); }).join();
  const std::string fehlerAusgabe = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(anzeige.zeilen.empty());

  log.Starte(ordner.Pfad(), "spiel.log");
  std::vector<std::string> erwartet = {"Log-Start"};
  for (int i = 0; i < 100; ++i) erwartet.push_back((i % 50 == 0 ? "!vorher " : "vorher ") + std::to_string(i));
  EXPECT_EQ(anzeige.Nachrichten(), erwartet);
  EXPECT_EQ(DateiNachrichten(), erwartet);

  // Error lines went to stderr at once, the others did not.
  for (int i : {0, 50, 100}) EXPECT_NE(fehlerAusgabe.find("!vorher " + std::to_string(i) + "\n"), std::string::npos) << i;
  EXPECT_EQ(fehlerAusgabe.find("vorher 1\n"), std::string::npos);
}

TEST_F(LogVerteilung, ZweiteAnzeigeErsetztDieErste) {
  log.Starte(ordner.Pfad(), "spiel.log");
  Mitschnitt erste(&log);
  log.Schreibe("an die erste");
  {
    Mitschnitt zweite(&log);
    log.Schreibe("an die zweite");
    EXPECT_EQ(zweite.Nachrichten(), (std::vector<std::string>{"an die zweite"}));
  }
  log.Schreibe("an keine");
  EXPECT_EQ(erste.Nachrichten(), (std::vector<std::string>{"an die erste"}));

  // Destroying a display that is no longer the log's leaves the current one in place.
  auto dritte = std::make_unique<Mitschnitt>(&log);
  Mitschnitt vierte(&log);
  dritte.reset();
  log.Schreibe("an die vierte");
  EXPECT_EQ(vierte.Nachrichten(), (std::vector<std::string>{"an die vierte"}));
}

// FuehreZeileAus echoes the line to the display's log and runs it as a console command.
TEST(LogKonsole, FuehreZeileAusSchreibtEchoUndFuehrtAus) {
  testhilfe::GestarteterLog gestartet;
  gestartet.anzeige.Leere();
  gestartet.anzeige.FuehreZeileAus("set displaydepth");
  gestartet.anzeige.FuehreZeileAus("gibtsnicht 1");
  EXPECT_EQ(gestartet.anzeige.Nachrichten(),
            (std::vector<std::string>{">set displaydepth", "displaydepth = 32", ">gibtsnicht 1",
                                      "!Unbekannter Befehl \"gibtsnicht\""}));
}

TEST(LogKonsole, ErsteZeileDerDatei) {
  {
    testhilfe::GestarteterLog gestartet;
    const std::string inhalt = LiesDatei(gestartet.ordner.Pfad() / "spiel.log");
    const std::string ersteZeile = inhalt.substr(0, inhalt.find('\n'));
    EXPECT_TRUE(std::regex_match(ersteZeile, std::regex(R"(\d{4}:\d{6} \(t[0-9a-f]{4}\): Log-Start)"))) << ersteZeile;
  }
  EXPECT_FALSE(g_Log.IstAktiv());
}

}  // namespace
