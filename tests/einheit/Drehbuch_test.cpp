// The input script: its line parser and line cutter, and the script as the input back end, read
// from a FIFO that the test feeds line by line and driven through the input library's Refresh.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "EingabeHilfen.h"
#include "Plattform/eingabe/Drehbuch.h"
#include "Plattform/eingabe/DrehbuchBefehl.h"
#include "Plattform/eingabe/Tastentabelle.h"

using eingabe::DrehbuchBefehl;
using eingabe::DrehbuchZeilen;
using Art = DrehbuchBefehl::Art;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

struct GuteZeile {
  const char* zeile;
  Art art;
  int wert = 0;
  bool ab = false;
  int x = 0, y = 0;
};

struct SchlechteZeile {
  std::string zeile;
  const char* grund;
};

DrehbuchBefehl Gelesen(std::string_view zeile) {
  DrehbuchBefehl befehl;
  std::string fehler;
  EXPECT_TRUE(eingabe::LiesDrehbuchZeile(zeile, 1, befehl, fehler)) << fehler;
  return befehl;
}

// The first scan code that no key has.
int ScancodeOhneTaste() {
  for (int dik = 1; dik < 256; ++dik)
    if (!eingabe::EintragFuerDik(dik)) return dik;
  return 0;
}

}  // namespace

TEST(DrehbuchZeile, GuteZeilen) {
  const GuteZeile faelle[] = {
      {"taste 17 ab", Art::Taste, GLFW_KEY_W, true},
      {"taste 0x11 auf", Art::Taste, GLFW_KEY_W, false},
      {"  taste\t0X1e   ab  ", Art::Taste, GLFW_KEY_A, true},
      {"taste 200 ab", Art::Taste, GLFW_KEY_UP, true},
      {"taste 1 auf\r", Art::Taste, GLFW_KEY_ESCAPE, false},
      {"text 119", Art::Text, 119},
      {"text 0x20AC", Art::Text, 0x20AC},
      {"text 0x10FFFF", Art::Text, 0x10FFFF},
      {"maus 100 -5", Art::Maus, 0, false, 100, -5},
      {"maus -1000000 1000000", Art::Maus, 0, false, -1000000, 1000000},
      {"knopf 0 ab", Art::Knopf, 0, true},
      {"knopf 4 auf", Art::Knopf, 4, false},
      {"rad -273", Art::Rad, -273},
      {"rad 1", Art::Rad, 1},
      {"zustand", Art::Zustand},
      {"schliessen", Art::Schliessen},
      {"bild", Art::Bild, 1},
      {"bild 1000000", Art::Bild, 1000000},
      {"", Art::Nichts},
      {" \t ", Art::Nichts},
      {"\r", Art::Nichts},
  };
  for (const GuteZeile& f : faelle) {
    SCOPED_TRACE(f.zeile);
    const DrehbuchBefehl b = Gelesen(f.zeile);
    EXPECT_EQ(b.art, f.art);
    EXPECT_EQ(b.wert, f.wert);
    EXPECT_EQ(b.ab, f.ab);
    EXPECT_EQ(b.x, f.x);
    EXPECT_EQ(b.y, f.y);
  }
}

TEST(DrehbuchZeile, SchlechteZeilenNennenNummerUndGrund) {
  const std::string ohneTaste = "taste " + std::to_string(ScancodeOhneTaste()) + " ab";
  const SchlechteZeile faelle[] = {
      {"tast 17 ab", "unbekannter Befehl"},
      {"Taste 17 ab", "unbekannter Befehl"},
      {"bild;", "unbekannter Befehl"},
      {std::string("taste\0 17 ab", 12), "unbekannter Befehl"},
      {"taste 17", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste 17 ab 1", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste 0 ab", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste 256 ab", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste -17 ab", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste 0x-11 ab", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste 0x ab", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste 17 unten", "erwartet: taste <Scancode 1..255> ab|auf"},
      {"taste 17 AB", "erwartet: taste <Scancode 1..255> ab|auf"},
      {ohneTaste, "keine Taste hat diesen Scancode"},
      {"text 0", "erwartet: text <Codepunkt 1..0x10FFFF, kein Ersatzzeichen>"},
      {"text 0xD800", "erwartet: text <Codepunkt 1..0x10FFFF, kein Ersatzzeichen>"},
      {"text 0x110000", "erwartet: text <Codepunkt 1..0x10FFFF, kein Ersatzzeichen>"},
      {"text 99999999999999999999", "erwartet: text <Codepunkt 1..0x10FFFF, kein Ersatzzeichen>"},
      {"text", "erwartet: text <Codepunkt 1..0x10FFFF, kein Ersatzzeichen>"},
      {"maus 1", "erwartet: maus <x> <y> (ganze Pixel)"},
      {"maus 1.5 2", "erwartet: maus <x> <y> (ganze Pixel)"},
      {"maus 0x10 2", "erwartet: maus <x> <y> (ganze Pixel)"},
      {"maus 1000001 0", "erwartet: maus <x> <y> (ganze Pixel)"},
      {"knopf 5 ab", "erwartet: knopf <0..4> ab|auf"},
      {"knopf 0", "erwartet: knopf <0..4> ab|auf"},
      {"rad 274", "erwartet: rad <-273..273>"},
      {"rad", "erwartet: rad <-273..273>"},
      {"zustand 1", "erwartet: zustand ohne Argument"},
      {"schliessen jetzt", "erwartet: schliessen ohne Argument"},
      {"bild 0", "erwartet: bild [1..1000000]"},
      {"bild 1000001", "erwartet: bild [1..1000000]"},
      {"bild -1", "erwartet: bild [1..1000000]"},
      {"bild 2 3", "erwartet: bild [1..1000000]"},
  };
  for (const SchlechteZeile& f : faelle) {
    SCOPED_TRACE(f.zeile);
    DrehbuchBefehl befehl;
    befehl.art = Art::Bild;
    std::string fehler;
    EXPECT_FALSE(eingabe::LiesDrehbuchZeile(f.zeile, 42, befehl, fehler));
    EXPECT_EQ(befehl.art, Art::Nichts);
    EXPECT_EQ(fehler.rfind(std::string("!Drehbuch Zeile 42: ") + f.grund + ": \"", 0), 0u) << fehler;
  }
}

TEST(DrehbuchZeile, FehlerzeileZeigtDieZeileSicher) {
  EXPECT_EQ(eingabe::DrehbuchFehler(3, "unbekannter Befehl", "a\"b\\c\x01\xFF"),
            "!Drehbuch Zeile 3: unbekannter Befehl: \"a\\x22b\\x5Cc\\x01\\xFF\"");
  const std::string lang(100, 'x');
  EXPECT_EQ(eingabe::DrehbuchFehler(7, "g", lang), "!Drehbuch Zeile 7: g: \"" + std::string(60, 'x') + "...\"");
}

namespace {

// The cutter's next line as "Zeile 3: text", "ZuLang 3: text" or "Keine"; with `amEnde` the end
// of input, where an unfinished last line comes as "Rest 3: text".
std::string Naechste(DrehbuchZeilen& zeilen, bool amEnde = false) {
  std::string zeile;
  size_t nummer = 0;
  switch (zeilen.Naechste(zeile, nummer)) {
    case DrehbuchZeilen::Ergebnis::Zeile: return "Zeile " + std::to_string(nummer) + ": " + zeile;
    case DrehbuchZeilen::Ergebnis::ZuLang: return "ZuLang " + std::to_string(nummer) + ": " + zeile;
    case DrehbuchZeilen::Ergebnis::Keine: break;
  }
  if (amEnde && zeilen.Rest(zeile, nummer)) return "Rest " + std::to_string(nummer) + ": " + zeile;
  return "Keine";
}

}  // namespace

TEST(DrehbuchZeilen, ZeilenUeberBlockgrenzenMitNummern) {
  DrehbuchZeilen zeilen;
  zeilen.Fuettere("tas");
  EXPECT_EQ(Naechste(zeilen), "Keine");
  zeilen.Fuettere("te 17 ab\n\nbi");
  EXPECT_EQ(Naechste(zeilen), "Zeile 1: taste 17 ab");
  EXPECT_EQ(Naechste(zeilen), "Zeile 2: ");
  EXPECT_EQ(Naechste(zeilen), "Keine");
  zeilen.Fuettere("ld");
  EXPECT_EQ(Naechste(zeilen, true), "Rest 3: bild");
  EXPECT_EQ(Naechste(zeilen, true), "Keine");
}

// A line beyond the limit is refused once with its number while its bytes still arrive, and
// none of its rest is kept; the next line keeps its own number.
TEST(DrehbuchZeilen, ZuLangeZeileWirdEinmalAbgewiesen) {
  DrehbuchZeilen zeilen;
  const std::string grenze(DrehbuchZeilen::MAX_LAENGE, 'a');
  zeilen.Fuettere("bild\n" + grenze);
  EXPECT_EQ(Naechste(zeilen), "Zeile 1: bild");
  EXPECT_EQ(Naechste(zeilen), "Keine");  // at the limit the line may still end
  zeilen.Fuettere("b");
  EXPECT_EQ(Naechste(zeilen), "ZuLang 2: " + grenze);
  for (int i = 0; i < 100; ++i) {
    zeilen.Fuettere(std::string(1000, 'c'));
    EXPECT_EQ(Naechste(zeilen), "Keine");
  }
  zeilen.Fuettere("ccc\nzustand\n");
  EXPECT_EQ(Naechste(zeilen), "Zeile 3: zustand");
  // With its newline already there, the long line goes in one piece.
  zeilen.Fuettere(std::string(300, 'd') + "\nbild 2\n");
  EXPECT_EQ(Naechste(zeilen), "ZuLang 4: " + std::string(DrehbuchZeilen::MAX_LAENGE, 'd'));
  EXPECT_EQ(Naechste(zeilen), "Zeile 5: bild 2");
  EXPECT_EQ(Naechste(zeilen, true), "Keine");
}

// The script as the back end: window queries answered by the scripted window (standing in for
// the real one), its lines written by the test into a FIFO, each frame one Refresh.
class DrehbuchTest : public EingabeTest {
 protected:
  void SetUp() override {
    EingabeTest::SetUp();
    std::string muster = (fs::temp_directory_path() / "morvelunt-drehbuch-XXXXXX").string();
    ASSERT_NE(mkdtemp(muster.data()), nullptr);
    ordner = muster;
    fifo = ordner / "eingabe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Oeffne(std::chrono::milliseconds(10'000));
    OPRIX::SetEventPump([] { eingabe::AktiveQuelle().Bildbeginn(); });
  }
  void TearDown() override {
    SchliesseSchreiber();
    EingabeTest::TearDown();
    drehbuch.reset();
    std::error_code fehler;
    fs::remove_all(ordner, fehler);
  }

  void Oeffne(std::chrono::milliseconds warteGrenze) {
    eingabe::Drehbuch::Anschluesse a;
    a.meldung = [this](const std::string& zeile) { meldungen.push_back(zeile); };
    a.zustand = [this] { ++zustaende; };
    a.schliessen = [this](void* f) { geschlossen.push_back(f); };
    a.fenster = &quelle;
    a.warteGrenze = warteGrenze;
    std::string fehler;
    drehbuch = eingabe::Drehbuch::Oeffne(fifo.string(), std::move(a), fehler);
    ASSERT_NE(drehbuch, nullptr) << fehler;
    eingabe::SetzeQuelle(drehbuch.get());
  }
  void OeffneSchreiber() {
    schreiber = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(schreiber, 0);
  }
  void Schreibe(const std::string& text) {
    if (schreiber < 0) OeffneSchreiber();
    ASSERT_EQ(write(schreiber, text.data(), text.size()), ssize_t(text.size()));
  }
  void SchliesseSchreiber() {
    if (schreiber >= 0) close(schreiber);
    schreiber = -1;
  }
  // Starts the input system; its muted first frame reads one "bild".
  void StarteMitBild() {
    Schreibe("bild\n");
    ASSERT_NE(Starte(), nullptr);
    handler.aufrufe.clear();
  }

  fs::path ordner, fifo;
  int schreiber = -1;
  std::unique_ptr<eingabe::Drehbuch> drehbuch;
  std::vector<std::string> meldungen;
  int zustaende = 0;
  std::vector<void*> geschlossen;
};

TEST_F(DrehbuchTest, BefehleErreichenDenHandlerWieMitGlfw) {
  StarteMitBild();
  Schreibe("taste 17 ab\ntext 119\nmaus 100 50\nknopf 0 ab\nrad -2\nbild\n");
  Frame();
  EXPECT_EQ(handler.Von(1), V({"17 down"}));
  EXPECT_EQ(handler.Von(7), V({"U+0077"}));
  EXPECT_EQ(handler.Von(2), V({"100,50"}));
  EXPECT_EQ(handler.Von(3), V({"0 down"}));
  EXPECT_EQ(handler.Von(4), V({"-240"}));
  handler.aufrufe.clear();
  Schreibe("knopf 0 auf\ntaste 0x11 auf\nmaus 90 50\nbild\n");
  Frame();
  EXPECT_EQ(handler.Von(3), V({"0 up"}));
  EXPECT_EQ(handler.Von(1), V({"17 up"}));
  EXPECT_EQ(handler.Von(2), V({"90,50"}));
  OPRIX::Mouse* maus = OPRIX::gInputSystem->PrimaryMouse();
  EXPECT_EQ(maus->AbsoluteX(), 90.0f);
  EXPECT_EQ(maus->RelativeX(), -10.0f);
  EXPECT_TRUE(meldungen.empty());
  EXPECT_TRUE(geschlossen.empty());
}

// Every key of the key table: its scan code reaches the handler as that key.
TEST_F(DrehbuchTest, JederScancodeDerTabelleKommtAlsSeineTasteAn) {
  StarteMitBild();
  V erwartet;
  std::string ab, auf;
  for (int dik = 1; dik < 256; ++dik) {
    if (!eingabe::EintragFuerDik(dik)) continue;
    ab += "taste " + std::to_string(dik) + " ab\n";
    auf += "taste " + std::to_string(dik) + " auf\n";
    erwartet.push_back(std::to_string(dik) + " down");
  }
  ASSERT_GT(erwartet.size(), 90u);
  Schreibe(ab + "bild\n");
  Frame();
  EXPECT_EQ(handler.Von(1), erwartet);
  Schreibe(auf + "bild\n");
  Frame();
  EXPECT_EQ(handler.Von(1).size(), 2 * erwartet.size());
}

// No input callback is installed on the window, so the display's input never reaches the intake.
TEST_F(DrehbuchTest, FensterfragenGehenAnsFensterOhneRueckrufeUndOhneJoysticks) {
  quelle.pads.push_back({});
  StarteMitBild();
  EXPECT_FALSE(quelle.rueckrufeAn);
  EXPECT_EQ(OPRIX::gInputSystem->JoystickCount(), 0);
  int b = 0, h = 0, x = 0, y = 0;
  drehbuch->FensterGroesse(&fenster, b, h);
  drehbuch->FensterPosition(&fenster, x, y);
  EXPECT_EQ(std::vector<int>({b, h, x, y}), std::vector<int>({640, 480, 100, 50}));
  EXPECT_EQ(drehbuch->TastenName(GLFW_KEY_W), "w");
  EXPECT_TRUE(drehbuch->FensterGueltig(&fenster));
  EXPECT_FALSE(drehbuch->FensterGueltig(nullptr));
  EXPECT_FALSE(drehbuch->FokusZaehlt());
  EXPECT_TRUE(quelle.FokusZaehlt());
}

// "bild n" runs n frames; the frames after the first read nothing and do not wait.
TEST_F(DrehbuchTest, BildMitAnzahlLaesstFrameOhneLesenLaufen) {
  StarteMitBild();
  Schreibe("bild 3\ntaste 30 ab\nzustand\nbild\n");
  for (int i = 0; i < 3; ++i) {
    Frame();
    EXPECT_TRUE(handler.aufrufe.empty()) << i;
    EXPECT_EQ(drehbuch->Zeilen(), 2u) << i;  // the start's "bild" and "bild 3"
  }
  EXPECT_EQ(zustaende, 0);
  Frame();
  EXPECT_EQ(handler.Von(1), V({"30 down"}));
  EXPECT_EQ(zustaende, 1);
}

// Refresh waits for the frame's lines: what a second thread writes later is in that frame.
TEST_F(DrehbuchTest, BildWartetAufSeineZeilen) {
  StarteMitBild();
  std::atomic<bool> geschrieben{false};
  std::thread steuerung([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    geschrieben = true;
    const std::string text = "taste 31 ab\n";
    EXPECT_EQ(write(schreiber, text.data(), text.size()), ssize_t(text.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(write(schreiber, "bild\n", 5), 5);
  });
  Frame();
  EXPECT_TRUE(geschrieben);
  steuerung.join();
  EXPECT_EQ(handler.Von(1), V({"31 down"}));
}

// The end of input closes the window once; later frames neither read nor wait.
TEST_F(DrehbuchTest, EndeDerEingabeSchliesstEinmal) {
  StarteMitBild();
  Schreibe("taste 32 ab");  // the last line may lack its newline
  SchliesseSchreiber();
  Frame();
  EXPECT_EQ(handler.Von(1), V({"32 down"}));
  EXPECT_EQ(meldungen, V({"Drehbuch: Ende der Eingabe nach 2 Zeilen"}));
  EXPECT_EQ(geschlossen, std::vector<void*>({&fenster}));
  EXPECT_TRUE(drehbuch->Geschlossen());
  const auto vorher = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) Frame();
  EXPECT_LT(std::chrono::steady_clock::now() - vorher, std::chrono::seconds(2));
  EXPECT_EQ(geschlossen.size(), 1u);
}

// A bad line: the lines before it in its frame still count, then one "!" line with its number
// and the window is closed; nothing after it is read.
TEST_F(DrehbuchTest, SchlechteZeileSchliesstMitIhrerNummer) {
  StarteMitBild();
  Schreibe("taste 33 ab\ntaste 33 hoch\ntaste 34 ab\nbild\n");
  Frame();
  EXPECT_EQ(handler.Von(1), V({"33 down"}));
  EXPECT_EQ(meldungen, V({"!Drehbuch Zeile 3: erwartet: taste <Scancode 1..255> ab|auf: \"taste 33 hoch\""}));
  EXPECT_EQ(geschlossen.size(), 1u);
  Frame();
  EXPECT_EQ(handler.Von(1), V({"33 down"}));
  EXPECT_EQ(drehbuch->Zeilen(), 3u);
}

TEST_F(DrehbuchTest, SchliessenBeendetDasBildUndDasLesen) {
  StarteMitBild();
  Schreibe("schliessen\ntaste 35 ab\nbild\n");
  Frame();
  EXPECT_EQ(geschlossen, std::vector<void*>({&fenster}));
  EXPECT_TRUE(meldungen.empty());
  Frame();
  EXPECT_TRUE(handler.aufrufe.empty());
}

// A FIFO whose writer never comes, or stays silent: the frame waits at most the limit, then
// says so and closes.
TEST_F(DrehbuchTest, WartenHatEineGrenze) {
  drehbuch.reset();
  Oeffne(std::chrono::milliseconds(300));
  const auto vorher = std::chrono::steady_clock::now();
  ASSERT_NE(Starte(), nullptr);
  const auto dauer = std::chrono::steady_clock::now() - vorher;
  EXPECT_GE(dauer, std::chrono::milliseconds(300));
  EXPECT_LT(dauer, std::chrono::seconds(5));
  EXPECT_EQ(meldungen, V({"!Drehbuch: keine Zeile nach Zeile 0 innerhalb von 300 ms"}));
  EXPECT_EQ(geschlossen.size(), 1u);
}

TEST_F(DrehbuchTest, SchweigenderSchreiberNachEinemBild) {
  drehbuch.reset();
  Oeffne(std::chrono::milliseconds(300));
  StarteMitBild();
  Frame();
  EXPECT_EQ(meldungen, V({"!Drehbuch: keine Zeile nach Zeile 1 innerhalb von 300 ms"}));
  EXPECT_EQ(geschlossen.size(), 1u);
}

TEST_F(DrehbuchTest, OrdnerUndFehlendeDateiSindNichtZuOeffnen) {
  std::string fehler;
  EXPECT_EQ(eingabe::Drehbuch::Oeffne(ordner.string(), {}, fehler), nullptr);
  EXPECT_EQ(fehler, "ein Ordner, keine Datei");
  EXPECT_EQ(eingabe::Drehbuch::Oeffne((ordner / "fehlt").string(), {}, fehler), nullptr);
  EXPECT_EQ(fehler, "No such file or directory");
}

// A regular file is read to its end as well; its script runs as from a FIFO.
TEST_F(DrehbuchTest, GewoehnlicheDatei) {
  const fs::path datei = ordner / "skript.txt";
  {
    std::ofstream aus(datei);
    aus << "bild\r\ntaste 36 ab\nbild 2\ntaste 36 auf\n";
  }
  eingabe::Drehbuch::Anschluesse a;
  a.fenster = &quelle;
  a.schliessen = [this](void* f) { geschlossen.push_back(f); };
  a.meldung = [this](const std::string& zeile) { meldungen.push_back(zeile); };
  std::string fehler;
  drehbuch = eingabe::Drehbuch::Oeffne(datei.string(), std::move(a), fehler);
  ASSERT_NE(drehbuch, nullptr) << fehler;
  eingabe::SetzeQuelle(drehbuch.get());
  ASSERT_NE(Starte(), nullptr);
  for (int i = 0; i < 3; ++i) Frame();
  EXPECT_EQ(handler.Von(1), V({"36 down", "36 up"}));
  EXPECT_EQ(meldungen, V({"Drehbuch: Ende der Eingabe nach 4 Zeilen"}));
  EXPECT_EQ(geschlossen.size(), 1u);
}
