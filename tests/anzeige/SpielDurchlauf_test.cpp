// The real program played end to end on the virtual display: a 960 x 540 window without vsync,
// the fixed clock of 64 frames per second, commands through a FIFO and the state line read back
// after each "zustand". Start, screenshot, console, the lever and its gates, the pause menu, the
// editor and back, and the close.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "DurchlaufBefehle.h"
#include "ProgrammOrdner.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Uhr = std::chrono::steady_clock;

using programm_ordner::Inode;
using programm_ordner::LiesDatei;

namespace befehl = durchlauf_befehle;
using befehl::ENTER;
using befehl::ESC;
using befehl::F1;
using befehl::F11;
using befehl::F4;
using befehl::W;

// A state line, parsed.
struct Zustand {
  std::shared_ptr<TiXmlDocument> dok;
  const TiXmlElement* wurzel = nullptr;

  std::string Attr(const char* name) const {
    const char* wert = wurzel->Attribute(name);
    return wert ? wert : "";
  }
  double Zahl(const char* name) const { return std::atof(Attr(name).c_str()); }
  const TiXmlElement* Erstes(const char* name) const { return wurzel->FirstChildElement(name); }
  // The first child of that name whose cell is (x, y, z).
  const TiXmlElement* Bei(const char* name, int x, int y, int z) const {
    for (const TiXmlElement* e = Erstes(name); e; e = e->NextSiblingElement(name))
      if (std::atoi(e->Attribute("x")) == x && std::atoi(e->Attribute("y")) == y && std::atoi(e->Attribute("z")) == z) return e;
    return nullptr;
  }
  std::vector<int> Zelle() const {
    const TiXmlElement* s = Erstes("spieler");
    if (!s) return {};
    return {std::atoi(s->Attribute("x")), std::atoi(s->Attribute("y")), std::atoi(s->Attribute("z")), std::atoi(s->Attribute("blick"))};
  }
  const TiXmlElement* ModaleSeite() const {
    for (const TiXmlElement* e = Erstes("seite"); e; e = e->NextSiblingElement("seite"))
      if (std::string(e->Attribute("modal")) == "1") return e;
    return nullptr;
  }
  const TiXmlElement* Filter(const char* effekt) const {
    for (const TiXmlElement* e = Erstes("filter"); e; e = e->NextSiblingElement("filter"))
      if (std::string(e->Attribute("effekt")) == effekt) return e;
    return nullptr;
  }
};

double Attr(const TiXmlElement* e, const char* name) { return e && e->Attribute(name) ? std::atof(e->Attribute(name)) : -1; }

class SpielDurchlauf : public ::testing::Test {
 protected:
  // A hang guard only, below the test's timeout: every step waits for frames, not for time.
  static constexpr int FRIST_SEKUNDEN = 840;

  void SetUp() override {
    std::string muster = (fs::temp_directory_path() / "morvelunt-durchlauf-XXXXXX").string();
    ASSERT_NE(mkdtemp(muster.data()), nullptr);
    ordner = muster;
    benutzer = ordner / "daten" / "MORVELUNT";
    anwendung = ordner / "spiel";
    fs::create_directories(benutzer);
    programm_ordner::BaueAnwendung(anwendung, MORVELUNT_PROGRAMM, MORVELUNT_BAUVERZEICHNIS);
    std::ofstream(benutzer / "spiel.cfg")
        << "<config><var name=\"displaywidth\" wert=\"960\" /><var name=\"displayheight\" wert=\"540\" />"
           "<var name=\"fullscreen\" wert=\"nein\" /><var name=\"vsync\" wert=\"nein\" /></config>\n";
    fifo = ordner / "eingabe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    zustandsDatei = ordner / "zustand.txt";
    frist = Uhr::now() + std::chrono::seconds(FRIST_SEKUNDEN);
  }

  void TearDown() override {
    if (schreiber >= 0) close(schreiber);
    programm_ordner::BeendeKind(kind);
    std::error_code fehler;
    fs::remove_all(ordner, fehler);
  }

  fs::path SzenenPfad() const { return anwendung / "Daten" / "szene.dat"; }

  void Starte() {
    start = Uhr::now();
    kind = programm_ordner::Starte(anwendung / "bin64" / "morvelunt",
                                   {"XDG_DATA_HOME=" + (ordner / "daten").string(), "MORVELUNT_TAKT=64",
                                    "MORVELUNT_EINGABE=" + fifo.string(), "MORVELUNT_ZUSTAND=" + zustandsDatei.string()},
                                   ordner);
    ASSERT_GT(kind, 0);
    // The game opens the FIFO for reading without waiting; open for writing once it has.
    while (schreiber < 0 && Uhr::now() < frist) {
      schreiber = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (schreiber < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(schreiber, 0) << LogEnde();
    fcntl(schreiber, F_SETFL, 0);
  }

  void Sende(const std::string& text) {
    size_t geschrieben = 0;
    while (geschrieben < text.size()) {
      const ssize_t n = write(schreiber, text.data() + geschrieben, text.size() - geschrieben);
      ASSERT_GT(n, 0) << "the game stopped reading\n" << LogEnde();
      geschrieben += size_t(n);
    }
    befehle += text;
  }
  // n frames without input.
  void Bilder(int n) {
    Sende(befehl::Bilder(n));
    bilder += std::max(n, 0);
  }
  // A key down in one frame and up in the next.
  void Tippe(int taste) {
    Sende(befehl::Tippe(taste));
    bilder += 2;
  }
  // Held for `dauer` frames.
  void Halte(int taste, int dauer) {
    Sende(befehl::Halte(taste, dauer));
    bilder += dauer + 1;
  }
  void Schreibe(const std::string& text, const std::map<char, int>& tasten) {
    for (char c : text) {
      Sende(befehl::Zeichen(tasten.at(c), c));
      bilder += 2;
    }
  }
  // A state line after the next frame.
  Zustand Lies() {
    Sende(befehl::Zustand());
    ++bilder;
    ++gelesen;
    std::string zeile;
    while (Uhr::now() < frist) {
      std::ifstream ein(zustandsDatei);
      std::vector<std::string> zeilen;
      for (std::string z; std::getline(ein, z);) zeilen.push_back(z);
      if (zeilen.size() >= gelesen) {
        zeile = zeilen[gelesen - 1];
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Zustand z;
    z.dok = std::make_shared<TiXmlDocument>();
    z.dok->Parse(zeile.c_str());
    z.wurzel = z.dok->RootElement();
    if (!z.wurzel) {
      ADD_FAILURE() << "no state line " << gelesen << "\n" << LogEnde();
      static TiXmlElement leer("zustand");
      z.wurzel = &leer;
    }
    for (const TiXmlElement* k = z.Erstes("klang"); k; k = k->NextSiblingElement("klang"))
      klaenge[k->Attribute("datei")] += std::atoi(k->Attribute("anzahl"));
    return z;
  }
  // State lines every `schritt` frames until `bedingung` holds; false after `grenze` frames.
  bool WarteBis(const std::function<bool(const Zustand&)>& bedingung, int grenze, int schritt = 4) {
    for (int n = 0; n < grenze; n += schritt) {
      if (bedingung(Lies())) return true;
      Bilder(schritt - 1);
    }
    return false;
  }
  // Pressed, then frames until the player stands in another cell or facing.
  void Gehe(int taste) {
    const std::vector<int> vorher = Lies().Zelle();
    Tippe(taste);
    ASSERT_TRUE(WarteBis([&](const Zustand& z) { return z.Zelle() != vorher; }, 160)) << taste;
    Bilder(40);  // the step's animation
  }
  void Klicke(const TiXmlElement* punkt) {
    ASSERT_NE(punkt, nullptr);
    ASSERT_EQ(std::string(punkt->Attribute("sichtbar")), "1");
    Sende(befehl::Klick(int(std::lround(Attr(punkt, "sx"))), int(std::lround(Attr(punkt, "sy")))));
    bilder += 2;
  }
  int WarteAufEnde(int& status) {
    while (Uhr::now() < frist) {
      const pid_t ergebnis = waitpid(kind, &status, WNOHANG);
      if (ergebnis == kind) {
        kind = 0;
        return 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  std::string LogEnde() const { return programm_ordner::LogEnde(benutzer); }

  fs::path ordner, benutzer, anwendung, fifo, zustandsDatei;
  pid_t kind = 0;
  int schreiber = -1;
  size_t gelesen = 0;
  int bilder = 0;
  std::string befehle;
  std::map<std::string, int> klaenge;
  Uhr::time_point start, frist;
};

struct Png {
  uint32_t breite = 0, hoehe = 0;
  int tiefe = 0, farbTyp = -1;
  std::vector<uint8_t> rgb;
};

Png LiesPng(const fs::path& datei) {
  Png bild;
  FILE* f = std::fopen(datei.c_str(), "rb");
  if (!f) return bild;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return {};
  }
  png_init_io(png, f);
  png_read_info(png, info);
  bild.breite = png_get_image_width(png, info);
  bild.hoehe = png_get_image_height(png, info);
  bild.tiefe = png_get_bit_depth(png, info);
  bild.farbTyp = png_get_color_type(png, info);
  if (bild.tiefe == 8 && bild.farbTyp == PNG_COLOR_TYPE_RGB) {
    bild.rgb.resize(size_t(bild.breite) * bild.hoehe * 3);
    std::vector<png_bytep> zeilen(bild.hoehe);
    for (uint32_t y = 0; y < bild.hoehe; ++y) zeilen[y] = bild.rgb.data() + size_t(y) * bild.breite * 3;
    png_read_image(png, zeilen.data());
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return bild;
}

TEST_F(SpielDurchlauf, VomStartBisZumSchliessen) {
  const ino_t szeneInode = Inode(SzenenPfad());
  const std::string szeneVorher = LiesDatei(SzenenPfad());
  Starte();
  Sende("maus 480 270\n");

  // 1. Start: the game at (3, 1, 3) facing +Z, the music on; then until the generator is idle.
  Zustand z = Lies();
  EXPECT_EQ(z.Attr("modus"), "spiel");
  EXPECT_EQ(z.Zelle(), (std::vector<int>{3, 1, 3, 2}));
  int ruhig = 0;
  ASSERT_TRUE(WarteBis(
      [&](const Zustand& s) {
        ruhig = Attr(s.Erstes("generator"), "offen") == 0 ? ruhig + 1 : 0;
        return ruhig >= 3;
      },
      64 * 120, 16))
      << LogEnde();
  EXPECT_EQ(klaenge["usaganie.ogg"], 1);

  // 2. Screenshot.
  Tippe(F1);
  Bilder(2);
  Lies();
  const fs::path bildDatei = benutzer / "screenshots" / "screenshot0000.png";
  ASSERT_TRUE(fs::exists(bildDatei)) << LogEnde();
  fs::copy_file(bildDatei, fs::temp_directory_path() / "morvelunt_durchlauf_start.png", fs::copy_options::overwrite_existing);
  const Png png = LiesPng(bildDatei);
  EXPECT_EQ(png.breite, 960u);
  EXPECT_EQ(png.hoehe, 540u);
  EXPECT_EQ(png.tiefe, 8);
  EXPECT_EQ(png.farbTyp, PNG_COLOR_TYPE_RGB);
  ASSERT_FALSE(png.rgb.empty());
  bool verschieden = false, himmel = false;
  for (size_t i = 3; i < png.rgb.size(); i += 3)
    verschieden = verschieden || png.rgb[i] != png.rgb[0] || png.rgb[i + 1] != png.rgb[1] || png.rgb[i + 2] != png.rgb[2];
  for (size_t i = 0; i < png.rgb.size() / 2; i += 3)
    himmel = himmel || (std::abs(png.rgb[i] - 77) <= 4 && std::abs(png.rgb[i + 1] - 89) <= 4 && std::abs(png.rgb[i + 2] - 102) <= 4);
  EXPECT_TRUE(verschieden);
  EXPECT_TRUE(himmel) << "no sky colour in the upper half";
  EXPECT_NE(LiesDatei(benutzer / "spiel.log").find("Screenshot saved as"), std::string::npos);

  // 3. Console: "set vsync ja".
  Tippe(F11);
  Schreibe(befehl::KONSOLEN_TEXT, befehl::KonsolenTasten());
  z = Lies();
  EXPECT_EQ(z.Attr("konsole"), "1");
  EXPECT_EQ(z.Attr("konsoleEingabe"), befehl::KONSOLEN_TEXT);
  Tippe(ENTER);
  Tippe(F11);
  z = Lies();
  EXPECT_EQ(z.Attr("konsole"), "0");

  // 4. To the lever (2, 1, 14) facing -X, and pulled.
  for (int taste : befehl::WEG_ZUM_HEBEL) {
    Gehe(taste);
    if (HasFatalFailure()) return;
  }
  z = Lies();
  ASSERT_EQ(z.Zelle(), (std::vector<int>{2, 1, 14, 0})) << LogEnde();
  Klicke(z.Bei("hebel", 2, 1, 14));
  EXPECT_TRUE(WarteBis(
      [](const Zustand& s) {
        return Attr(s.Bei("hebel", 2, 1, 14), "zustand") == 1 && Attr(s.Bei("gitter", 3, 1, 15), "zustand") == 1 &&
               Attr(s.Bei("gitter", 4, 1, 19), "zustand") == 1;
      },
      64 * 4));
  EXPECT_GE(klaenge["gitter_auf.ogg"], 1);

  // 5. Pause.
  Tippe(ESC);
  z = Lies();
  const TiXmlElement* seite = z.ModaleSeite();
  ASSERT_NE(seite, nullptr);
  std::vector<std::string> knoepfe;
  for (const TiXmlElement* b = seite->FirstChildElement("button"); b; b = b->NextSiblingElement("button"))
    knoepfe.push_back(b->Attribute("text"));
  EXPECT_EQ(knoepfe, (std::vector<std::string>{"Weiter", "Ende"}));
  EXPECT_EQ(z.Attr("pausiert"), "1");
  Bilder(32);
  const std::vector<int> zelle = z.Zelle();
  Halte(W, 4);
  z = Lies();
  EXPECT_EQ(z.Zahl("blende"), 1.0);
  EXPECT_EQ(Attr(z.Filter("pause"), "staerke"), 1.0);
  EXPECT_EQ(z.Zelle(), zelle);
  Tippe(ESC);
  EXPECT_TRUE(WarteBis([](const Zustand& s) { return s.ModaleSeite() == nullptr; }, 16, 1));
  EXPECT_TRUE(WarteBis([](const Zustand& s) { return s.Zahl("blende") == 0 && s.Filter("pause") == nullptr; }, 64));

  // 6. Editor and back.
  Tippe(F4);
  z = Lies();
  EXPECT_EQ(z.Attr("modus"), "editor");
  EXPECT_EQ(Inode(SzenenPfad()), szeneInode);
  Tippe(F4);
  z = Lies();
  EXPECT_EQ(z.Attr("modus"), "spiel");
  EXPECT_EQ(z.Zelle(), (std::vector<int>{3, 1, 3, 2}));
  EXPECT_EQ(Attr(z.Bei("gitter", 3, 1, 15), "zustand"), 0);
  EXPECT_EQ(Attr(z.Bei("gitter", 4, 1, 19), "zustand"), 0);
  EXPECT_NE(Inode(SzenenPfad()), szeneInode);
  EXPECT_EQ(LiesDatei(SzenenPfad()), szeneVorher);

  // 7. Close.
  const int stapel = int(z.Zahl("stapel"));
  Sende("schliessen\n");
  Bilder(10);
  int status = 0;
  ASSERT_EQ(WarteAufEnde(status), 0) << LogEnde();
  const double sekunden = std::chrono::duration<double>(Uhr::now() - start).count();
  ASSERT_TRUE(WIFEXITED(status)) << LogEnde();
  EXPECT_EQ(WEXITSTATUS(status), 0) << LogEnde();
  const std::string konfig = LiesDatei(benutzer / "spiel.cfg");
  EXPECT_NE(konfig.find("<var name=\"vsync\" wert=\"ja\" />"), std::string::npos) << konfig;
  size_t variablen = 0;
  for (size_t p = konfig.find("<var "); p != std::string::npos; p = konfig.find("<var ", p + 1)) ++variablen;
  EXPECT_EQ(variablen, 9u);
  EXPECT_FALSE(fs::exists(benutzer / "MiniDump.dmp"));
  // Error lines: none but those of data the test does not ship.
  std::istringstream log(LiesDatei(benutzer / "spiel.log"));
  for (std::string zeile; std::getline(log, zeile);) {
    const size_t praefix = zeile.find("): ");
    if (praefix != std::string::npos && zeile.compare(praefix + 3, 1, "!") == 0) ADD_FAILURE() << zeile;
  }
  RecordProperty("bilder", bilder);
  RecordProperty("sekunden", int(sekunden));
  RecordProperty("stapel", stapel);
  std::printf("Durchlauf: %d Bilder in %.1f s, Stapelspitze %d Bytes\n", bilder, sekunden, stapel);
}

}  // namespace
