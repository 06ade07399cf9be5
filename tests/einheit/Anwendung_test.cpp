// The application headless: a real Spiel::Anwendung on the recording device over the scripted
// window system, the scripted input back end, the fixed frame clock of 64 frames per second and
// OpenAL Soft's null output, with a temporary application folder whose "Daten" links the built
// files and holds its own copy of the shipped level.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <GLFW/glfw3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <sstream>
#include <thread>
#include <chrono>
#include <string>
#include <vector>

#include "Anwendung.h"
#include "ProgrammOrdner.h"
#include "Buttons.h"
#include "EigenerOrdner.h"
#include "Einstieg.h"
#include "Editor.h"
#include "FensterAttrappe.h"
#include "FilterEffekt.h"
#include "Hauptschleife.h"
#include "Kartenbeschreibung.h"
#include "ObjektArgMenu.h"
#include "Kamera.h"
#include "Raster.h"
#include "SzenenDatei.h"
#include "Oberflaeche.h"
#include "Oprix.h"
#include "PauseMenu.h"
#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/system/Zaehler.h"
#include "Zarvo_Timer.h"
#include "Ressourcen.h"
#include "SkriptQuelle.h"
#include "SpielAblauf.h"
#include "WeltRenderer.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_KonsoleStandardAnzeige.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"
#include "Zustandsbericht.h"

namespace {

namespace fs = std::filesystem;
using Modus = Spiel::Hauptschleife::Modus;

using programm_ordner::Inode;
using programm_ordner::LiesDatei;

// The recording device's copy of the atlas batch's instance buffer, or null before its first draw.
const d3d9::null::VertexPuffer* InstanzPuffer(const Zarvo_SpriteAtlas& atlas) {
  const Zarvo_VertexBuffer* puffer = atlas.Stapel().InstanzBuffer();
  return puffer && puffer->buffer ? static_cast<const d3d9::null::VertexPuffer*>(puffer->buffer) : nullptr;
}
// The first `anzahl` sprite instances the atlas's batch wrote to the recording device last.
std::vector<Zarvo_SpriteInstanz> GeschriebeneSprites(const Zarvo_SpriteAtlas& atlas, size_t anzahl) {
  const d3d9::null::VertexPuffer* puffer = InstanzPuffer(atlas);
  if (!puffer || puffer->bytes.size() < anzahl * sizeof(Zarvo_SpriteInstanz)) return {};
  std::vector<Zarvo_SpriteInstanz> sprites(anzahl);
  std::memcpy(sprites.data(), puffer->bytes.data(), anzahl * sizeof(Zarvo_SpriteInstanz));
  return sprites;
}
// How often the atlas's batch has written its instances.
int GeschriebeneSperren(const Zarvo_SpriteAtlas& atlas) {
  const d3d9::null::VertexPuffer* puffer = InstanzPuffer(atlas);
  return puffer ? puffer->sperren : 0;
}

class AnwendungRahmen : public ::testing::Test {
 protected:
  static constexpr int64_t BILD_TICKS = 15'625'000;  // 1/64 s
  static inline int64_t zeit = 0;

  void SetUp() override {
    vorher = {g_System.anwendungsVerzeichnis, g_System.benutzerDaten};
    g_System.anwendungsVerzeichnis = anwendungsOrdner.Pfad();
    g_System.benutzerDaten = benutzerOrdner.Pfad();
    g_System.beenden = false;
    g_DisplayBreite.intWert = 1280;
    g_DisplayHoehe.intWert = 720;
    g_Vollbild.boolWert = false;
    g_VSync.boolWert = false;
    const fs::path daten = anwendungsOrdner / "Daten";
    fs::create_directory(daten);
    for (const auto& eintrag : fs::directory_iterator(MORVELUNT_DATEN_ZIEL))
      if (eintrag.path().filename() != "szene.dat") fs::create_symlink(eintrag.path(), daten / eintrag.path().filename());
    fs::copy_file(fs::path(MORVELUNT_DATEN_ZIEL) / "szene.dat", SzenenPfad());
    d3d9::WaehleNullBackend({});
    Zarvo_Screen3D::SetzeFenstersystem(&fenster);
    // 1/64 s per present, from the real counter on and never below an earlier test's end, so
    // that the process-wide frame clock never steps backward.
    zeit = std::max(zeit, LiesZaehler());
    win32::SetzeZaehlerQuelle([] { return zeit; });
    d3d9::SetzePresentHaken([] { zeit += BILD_TICKS; });
    quelle.cursorX = 640;
    quelle.cursorY = 360;
  }

  void TearDown() override {
    Beende();
    d3d9::SetzePresentHaken(nullptr);
    win32::SetzeZaehlerQuelle(nullptr);
    Zarvo_Screen3D::SetzeFenstersystem(nullptr);
    d3d9::WaehleGl33Backend();
    Zarvo_ZeichenKontextImplDX9::warte = [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    g_System.anwendungsVerzeichnis = vorher.first;
    g_System.benutzerDaten = vorher.second;
    g_System.beenden = false;
    if (g_Log.IstAktiv()) g_Log.Schliesse();
  }

  // An open 8 x 4 x 8 room in place of the shipped level: few patches, built in a few frames.
  void SchreibeKleinenRaum() {
    Karte karte;
    ASSERT_FALSE(Kartenbeschreibung::Baue("groesse 8 4 8\nquader 0 0 0 7 0 7 Fels\nobjekt Startpunkt 2.5 1.0 2.5 | 2\n", karte));
    ASSERT_TRUE(Spiel::SzenenDatei::Speichere(SzenenPfad(), karte));
  }
  fs::path SzenenPfad() const { return anwendungsOrdner / "Daten" / "szene.dat"; }
  fs::path LogPfad() const { return benutzerOrdner / "spiel.log"; }

  // The application and its loop's set-up, with the log into the user folder.
  void Starte() {
    g_Log.Starte(benutzerOrdner.Pfad(), "spiel.log");
    app = std::make_unique<Spiel::Anwendung>();
    L().Aufbau();
  }
  // The loop's shutdown and the application's end, as Ausfuehren and the entry end them.
  void Beende() {
    if (!app) return;
    L().Abbau();
    app.reset();
  }
  Spiel::Hauptschleife& L() { return app->Schleife(); }
  Spiel::SpielAblauf& S() { return *L().GibSpiel(); }

  void Bild() { L().Bild(); }
  void Bilder(int n) {
    for (int i = 0; i < n; ++i) Bild();
  }
  template <class F>
  int BilderBis(F&& fertig, int grenze = 64 * 10) {
    for (int i = 1; i <= grenze; ++i) {
      Bild();
      if (fertig()) return i;
    }
    return -1;
  }
  void Druecke(int taste) {
    quelle.Im([taste] { eingabe::Taste(taste, 0, GLFW_PRESS); });
  }
  void Loese(int taste) {
    quelle.Im([taste] { eingabe::Taste(taste, 0, GLFW_RELEASE); });
  }
  // Down in one frame, up in the next.
  void Tippe(int taste) {
    Druecke(taste);
    Bild();
    Loese(taste);
    Bild();
  }

  std::vector<std::string> LogZeilen() const {
    std::vector<std::string> zeilen;
    std::istringstream ein(LiesDatei(LogPfad()));
    for (std::string zeile; std::getline(ein, zeile);) {
      const size_t praefix = zeile.find("): ");
      zeilen.push_back(praefix == std::string::npos ? zeile : zeile.substr(praefix + 3));
    }
    return zeilen;
  }
  size_t ZeilenMit(const std::string& teil) const {
    size_t n = 0;
    for (const std::string& z : LogZeilen()) n += z.find(teil) != std::string::npos;
    return n;
  }
  size_t FehlerZeilen() const {
    size_t n = 0;
    for (const std::string& z : LogZeilen()) n += !z.empty() && z[0] == '!';
    return n;
  }
  // The index of the first log line containing `teil`, or -1.
  int Stelle(const std::string& teil) const {
    const std::vector<std::string> zeilen = LogZeilen();
    for (size_t i = 0; i < zeilen.size(); ++i)
      if (zeilen[i].find(teil) != std::string::npos) return int(i);
    return -1;
  }

  const FilterSatz::Parameter* Parameter(const char* name) {
    for (const FilterSatz::Parameter& p : L().GibNachFilter()->parameter)
      if (p.name == name) return &p;
    return nullptr;
  }
  bool PauseFilterAktiv() {
    const auto& effekte = L().GibNachFilter()->effekte;
    const auto stelle = effekte.find(Spiel::Hauptschleife::PAUSE_ID);
    return stelle != effekte.end() && stelle->second && stelle->second->name == "pause";
  }
  Spiel::PauseMenu* Menu() {
    for (Gui::Basis* kind : L().GibBruecke()->GibOberflaeche()->Kinder())
      if (auto* menu = dynamic_cast<Spiel::PauseMenu*>(kind)) return menu;
    return nullptr;
  }

  EigenerOrdner anwendungsOrdner, benutzerOrdner;
  FensterAttrappe fenster;
  SkriptQuelle quelle;
  std::unique_ptr<Spiel::Anwendung> app;

 private:
  std::pair<fs::path, fs::path> vorher;
};

// ---- order ----

TEST_F(AnwendungRahmen, AufUndAbbauInDerReihenfolge) {
  Starte();
  Bilder(3);
  Beende();
  const int eingabe = Stelle("Creating Input"), oprix = Stelle("Input says: OPRIX instance created."),
            audio = Stelle("Audio wird initialisiert."), herunter = Stelle("Input says: OPRIX instance going down."),
            alloks = Stelle("Am Ende waren es ");
  ASSERT_GE(eingabe, 0);
  EXPECT_LT(eingabe, oprix);
  EXPECT_LT(oprix, audio);
  EXPECT_LT(audio, herunter);
  EXPECT_LT(herunter, alloks);
  EXPECT_EQ(alloks, int(LogZeilen().size()) - 1) << "the core's line comes last";
  EXPECT_EQ(ZeilenMit("noch belegt"), 0u);
  EXPECT_FALSE(Zarvo_Screen3D::IstInitialisiert());
  EXPECT_EQ(OPRIX::gInputSystem, nullptr);
  EXPECT_EQ(g_Parallel, nullptr);
  EXPECT_EQ(Spiel::Ressourcen::Atlas(), nullptr);
  EXPECT_EQ(Zarvo_Screen3D::fokusHaken, nullptr);
}

TEST_F(AnwendungRahmen, BildschirmFlags) {
  struct Fall {
    bool vollbild, vsync;
    uint64_t flags;
  };
  for (const Fall& fall : {Fall{false, false, 2}, Fall{true, false, 3}, Fall{false, true, 10}, Fall{true, true, 11}}) {
    g_Vollbild.boolWert = fall.vollbild;
    g_VSync.boolWert = fall.vsync;
    EXPECT_EQ(Spiel::Anwendung::BildschirmFlags(fall.vollbild, fall.vsync), fall.flags);
    app = std::make_unique<Spiel::Anwendung>();
    EXPECT_EQ(Zarvo_Screen3D::Zustand().flags, fall.flags) << fall.vollbild << fall.vsync;
    EXPECT_EQ(fenster.vollbild, fall.vollbild);
    app.reset();
  }
}

// ---- start failures through the program entry ----

TEST_F(AnwendungRahmen, StartFehlerBauenAllesAbUndEinZweiterStartGelingt) {
  struct Fall {
    const char* name;
    std::function<void()> stoere;
    std::function<void()> heile;
    const char* meldung;
  };
  const fs::path daten = anwendungsOrdner / "Daten";
  const auto entferne = [&](const char* datei) { return [&, datei] { fs::remove(daten / datei); }; };
  const auto verlinke = [&](const char* datei) {
    return [&, datei] { fs::create_symlink(fs::path(MORVELUNT_DATEN_ZIEL) / datei, daten / datei); };
  };
  const std::vector<Fall> faelle = {
      {"Fenster verweigert", [&] { fenster.erzeugungScheitert = true; }, [&] { fenster.erzeugungScheitert = false; },
       "Screen initialisation failed."},
      {"RegisterRawInputDevices", [&] { quelle.fehler.insert({eingabe::Aufruf::RegisterRawInputDevices, -1}); },
       [&] { quelle.fehler.clear(); }, "Failed to initialize input system"},
      {"grafik.png fehlt", entferne("grafik.png"), verlinke("grafik.png"), "grafik.png"},
      {"calibrib.ttf fehlt", entferne("calibrib.ttf"), verlinke("calibrib.ttf"), "calibrib.ttf"},
  };
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    fs::remove(benutzerOrdner / "spiel.cfg");
    fall.stoere();
    g_System.beenden = true;  // a start that succeeds ends at once
    EXPECT_EQ(Spiel::Einstieg(Spiel::LaufVon<Spiel::Anwendung>()), -1);
    EXPECT_EQ(ZeilenMit("Exception thrown: "), 1u);
    EXPECT_GE(ZeilenMit(fall.meldung), 1u) << LiesDatei(LogPfad());
    EXPECT_TRUE(fs::exists(benutzerOrdner / "spiel.cfg"));
    EXPECT_FALSE(Zarvo_Screen3D::IstInitialisiert());
    EXPECT_EQ(OPRIX::gInputSystem, nullptr);
    EXPECT_EQ(g_Parallel, nullptr);
    EXPECT_EQ(Spiel::Ressourcen::Atlas(), nullptr);
    EXPECT_EQ(Zarvo_Screen3D::fokusHaken, nullptr);
    fall.heile();
    EXPECT_EQ(Spiel::Einstieg(Spiel::LaufVon<Spiel::Anwendung>()), 0) << LiesDatei(LogPfad());
    EXPECT_EQ(ZeilenMit("Exception thrown: "), 0u);
  }
}

TEST_F(AnwendungRahmen, OhneBitmapSchriftLaeuftEs) {
  fs::remove(anwendungsOrdner / "Daten" / "calibrib.fnt");
  Starte();
  Bilder(3);
  EXPECT_EQ(L().GibModus(), Modus::SPIEL);
}

// ---- keys ----

TEST_F(AnwendungRahmen, F4ZweimalSpeichertEinmal) {
  Starte();
  Bilder(2);
  const std::string vorher = LiesDatei(SzenenPfad());
  const ino_t inode = Inode(SzenenPfad());
  Tippe(GLFW_KEY_F4);
  EXPECT_EQ(L().GibModus(), Modus::EDITOR);
  EXPECT_NE(L().GibEditor(), nullptr);
  EXPECT_EQ(Inode(SzenenPfad()), inode) << "leaving the game saves nothing";
  Tippe(GLFW_KEY_F4);
  EXPECT_EQ(L().GibModus(), Modus::SPIEL);
  EXPECT_EQ(L().GibEditor(), nullptr);
  EXPECT_NE(Inode(SzenenPfad()), inode) << "leaving the editor saves";
  EXPECT_EQ(LiesDatei(SzenenPfad()), vorher);
  const ino_t gespeichert = Inode(SzenenPfad());
  Bilder(3);
  EXPECT_EQ(Inode(SzenenPfad()), gespeichert);
}

TEST_F(AnwendungRahmen, EscPausiertF4WirdIgnoriertEscIstWeiter) {
  Starte();
  Bilder(2);
  Tippe(GLFW_KEY_ESCAPE);
  ASSERT_NE(Menu(), nullptr);
  EXPECT_TRUE(S().GibUhr().IstPausiert());
  Tippe(GLFW_KEY_F4);
  EXPECT_EQ(L().GibModus(), Modus::SPIEL);
  Tippe(GLFW_KEY_ESCAPE);  // the menu's "Weiter" hotkey
  ASSERT_NE(Menu(), nullptr) << "hidden, deleted 0.1 s later";
  EXPECT_FALSE(Menu()->IstSichtbar());
  const int bis = BilderBis([&] { return !S().GibUhr().IstPausiert(); });
  EXPECT_GE(bis, 4);
  EXPECT_LE(bis, 8);
  EXPECT_EQ(Menu(), nullptr);
}

TEST_F(AnwendungRahmen, EscUndF4ImSelbenBildBleibenImSpielMitMenu) {
  Starte();
  Bilder(2);
  Druecke(GLFW_KEY_ESCAPE);
  Druecke(GLFW_KEY_F4);
  Bild();
  Loese(GLFW_KEY_ESCAPE);
  Loese(GLFW_KEY_F4);
  Bild();
  EXPECT_EQ(L().GibModus(), Modus::SPIEL);
  ASSERT_NE(Menu(), nullptr);
  EXPECT_EQ(&Menu()->SpielUhr(), &S().GibUhr());
  EXPECT_TRUE(S().GibUhr().IstPausiert());
}

TEST_F(AnwendungRahmen, F6LaedtEinmalJeDruckF7NurGehalten) {
  Starte();
  Bilder(2);
  const Zarvo_Programm* vorher = L().GibWeltRenderer()->Programm(Spiel::WeltRenderer::START).programm;
  Druecke(GLFW_KEY_F6);
  Bild();
  const Zarvo_Programm* neu = L().GibWeltRenderer()->Programm(Spiel::WeltRenderer::START).programm;
  EXPECT_NE(neu, vorher);
  Bilder(3);  // held: no further reload
  EXPECT_EQ(L().GibWeltRenderer()->Programm(Spiel::WeltRenderer::START).programm, neu);
  Loese(GLFW_KEY_F6);
  Bild();

  EXPECT_EQ(L().GibWeltRenderer()->drahtgitter, 0);
  Druecke(GLFW_KEY_F7);
  Bilder(3);
  EXPECT_EQ(L().GibWeltRenderer()->drahtgitter, 1);
  Loese(GLFW_KEY_F7);
  Bild();
  EXPECT_EQ(L().GibWeltRenderer()->drahtgitter, 0);
}

TEST_F(AnwendungRahmen, F11GibtDieEingabeDerKonsoleUndZurueck) {
  Starte();
  Bilder(2);
  const Spiel::SpielAblauf::Zellposition zelle = S().GibZelle();
  Tippe(GLFW_KEY_F11);
  Zarvo_KonsoleStandardAnzeige* konsole = app->GibKonsole();
  EXPECT_TRUE(konsole->IstSichtbar());
  EXPECT_EQ(OPRIX::gInputSystem->handler, konsole);
  quelle.Im([] {
    eingabe::Taste(GLFW_KEY_W, 0, GLFW_PRESS);
    eingabe::Zeichen('w');
  });
  Bild();
  Loese(GLFW_KEY_W);
  Bilder(64);
  EXPECT_EQ(konsole->Eingabe(), "w");
  EXPECT_EQ(S().GibZelle(), zelle) << "W went to the console, not to the game";
  Tippe(GLFW_KEY_F11);
  EXPECT_FALSE(konsole->IstSichtbar());
  EXPECT_EQ(OPRIX::gInputSystem->handler, L().GibBruecke());
}

// ---- fade and filters ----

TEST_F(AnwendungRahmen, PausenBlendeUndFilter) {
  Starte();
  Bilder(2);
  EXPECT_FALSE(PauseFilterAktiv());
  Tippe(GLFW_KEY_ESCAPE);
  const int hin = BilderBis([&] { return L().GibBlende() >= 1.0f; });
  EXPECT_GE(hin, 28);
  EXPECT_LE(hin, 32);
  EXPECT_TRUE(PauseFilterAktiv());
  ASSERT_NE(Parameter("staerke"), nullptr);
  EXPECT_FLOAT_EQ(Parameter("staerke")->wert[0], 1.0f);
  Tippe(GLFW_KEY_ESCAPE);
  int zurueck = 0;
  for (; zurueck < 64 && L().GibBlende() > 0; ++zurueck) {
    EXPECT_TRUE(PauseFilterAktiv());
    if (Parameter("staerke")) EXPECT_FLOAT_EQ(Parameter("staerke")->wert[0], L().GibBlende());
    Bild();
  }
  EXPECT_GE(zurueck, 32);
  EXPECT_LE(zurueck, 40);
  EXPECT_FALSE(PauseFilterAktiv());
}

TEST_F(AnwendungRahmen, VignetteUndSegmentGrenzeJeModus) {
  Starte();
  Bilder(2);
  ASSERT_NE(Parameter("Vignette"), nullptr);
  const float(&spiel)[4] = S().GibVignette();
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(Parameter("Vignette")->wert[i], spiel[i]);
  EXPECT_FLOAT_EQ(L().GibWeltRenderer()->segmentGrenze, 1e8f);
  Tippe(GLFW_KEY_F4);
  Bild();
  const float editor[4] = {0, 0, 0, 5};
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(Parameter("Vignette")->wert[i], editor[i]);
  EXPECT_FLOAT_EQ(L().GibWeltRenderer()->segmentGrenze, L().GibEditor()->GibSchnittHoehe());
  EXPECT_EQ(L().GibCursor(), Spiel::Hauptschleife::KEIN_CURSOR) << "the editor has no cursor sprite";
}

// ---- output ----

// The shipped level's keypad has two rows of six buttons, two to a cell: the state line names
// each button once, by its index.
TEST_F(AnwendungRahmen, ZustandNenntJedenKnopfEinmal) {
  Starte();
  Bilder(2);
  TiXmlDocument zustand;
  zustand.Parse(Spiel::Zustandsbericht(L()).c_str());
  ASSERT_FALSE(zustand.Error()) << zustand.ErrorDesc();
  std::set<std::string> nummern;
  std::map<std::string, int> jeZelle;
  int knoepfe = 0;
  for (const TiXmlElement* k = zustand.RootElement()->FirstChildElement("knopf"); k; k = k->NextSiblingElement("knopf")) {
    ++knoepfe;
    if (const char* nr = k->Attribute("nr")) nummern.insert(nr);
    ++jeZelle[std::string(k->Attribute("x")) + "," + k->Attribute("y") + "," + k->Attribute("z")];
  }
  EXPECT_EQ(size_t(knoepfe), S().GibSzene().GibKnoepfe().size());
  EXPECT_EQ(knoepfe, 12);
  EXPECT_EQ(nummern.size(), 12u);
  EXPECT_EQ(jeZelle.size(), 6u);
}

// Every block spans 32 presents, the first one too: the value never shows a frame more or less.
TEST_F(AnwendungRahmen, BildrateUeber32Bilder) {
  SchreibeKleinenRaum();
  Starte();
  for (int bild = 1; bild < 32; ++bild) {
    Bild();
    EXPECT_EQ(L().GibFps(), 0.0f) << bild;
  }
  EXPECT_STREQ(Spiel::Ressourcen::Schrift()->FormatPuffer(), "0.00fps");
  for (int bild = 32; bild <= 100; ++bild) {
    Bild();
    if (L().GibFps() != 0.0f) EXPECT_FLOAT_EQ(L().GibFps(), 64.0f) << bild;
    if (bild >= 64) EXPECT_STREQ(Spiel::Ressourcen::Schrift()->FormatPuffer(), "64.00fps") << bild;
  }
}

// The cursor sprite, centred on the mouse, is the last the sprite atlas draws in a game frame.
TEST_F(AnwendungRahmen, CursorMittigAnDerMaus) {
  Starte();
  quelle.cursorX = 321;
  quelle.cursorY = 123;
  Bilder(2);
  ASSERT_NE(L().GibCursor(), Spiel::Hauptschleife::KEIN_CURSOR);
  const Zarvo_SpriteInstanz cursor = GeschriebeneSprites(*Spiel::Ressourcen::Atlas(), 1).at(0);
  EXPECT_EQ(cursor.x, 321.0f);
  EXPECT_EQ(cursor.y, 123.0f);
  EXPECT_EQ(cursor.drehpunkt, 0.5f) << "placed by its centre";
  EXPECT_GT(cursor.breite, 0.0f);
  EXPECT_EQ(Spiel::Ressourcen::Atlas()->Liste().zentriert, 0) << "the atlas's own setting is restored";

  Tippe(GLFW_KEY_F4);
  const int sperrenVorher = GeschriebeneSperren(*Spiel::Ressourcen::Atlas());
  Bilder(3);
  EXPECT_EQ(L().GibCursor(), Spiel::Hauptschleife::KEIN_CURSOR);
  EXPECT_EQ(GeschriebeneSperren(*Spiel::Ressourcen::Atlas()), sperrenVorher) << "the editor draws no cursor sprite";
}

TEST_F(AnwendungRahmen, ScreenshotNummern) {
  struct Fall {
    int vorhanden;
    const char* neu;  // nullptr: no file and no line
  };
  for (const Fall& fall : {Fall{5, "screenshot0005.png"}, Fall{10000, nullptr}}) {
    SCOPED_TRACE(fall.vorhanden);
    const fs::path ordner = benutzerOrdner / "screenshots";
    fs::remove_all(ordner);
    fs::create_directory(ordner);
    for (int i = 0; i < fall.vorhanden; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "screenshot%04d.png", i);
      std::ofstream(ordner / name) << "x";
    }
    Starte();
    Bilder(2);
    Tippe(GLFW_KEY_F1);
    const auto dateien = std::distance(fs::directory_iterator(ordner), fs::directory_iterator());
    if (fall.neu) {
      EXPECT_TRUE(fs::exists(ordner / fall.neu));
      EXPECT_EQ(ZeilenMit("Screenshot saved as \"" + (ordner / fall.neu).string() + "\"."), 1u);
    } else {
      EXPECT_EQ(ZeilenMit("Screenshot saved as"), 0u);
    }
    EXPECT_EQ(dateien, fall.vorhanden + (fall.neu ? 1 : 0));
    EXPECT_EQ(FehlerZeilen(), 0u) << LiesDatei(LogPfad());
    Beende();
    if (g_Log.IstAktiv()) g_Log.Schliesse();
    fs::remove(LogPfad());
  }
}

TEST_F(AnwendungRahmen, ScreenshotOrdnerKaputt) {
  struct Fall {
    const char* name;
    std::function<void(const fs::path&)> lege;
  };
  const fs::path ordner = benutzerOrdner / "screenshots";
  const std::vector<Fall> faelle = {
      {"Verweis auf sich selbst", [](const fs::path& o) { fs::create_directory_symlink(o, o); }},
      {"eine Datei", [](const fs::path& o) { std::ofstream(o) << "keine Bilder"; }},
  };
  Starte();
  Bilder(2);
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    fall.lege(ordner);
    const size_t vorher = FehlerZeilen();
    Tippe(GLFW_KEY_F1);
    EXPECT_EQ(FehlerZeilen(), vorher + 1) << LiesDatei(LogPfad());
    EXPECT_EQ(ZeilenMit("Screenshot saved as"), 0u);
    Tippe(GLFW_KEY_W);  // play goes on
    EXPECT_EQ(L().GibModus(), Modus::SPIEL);
    fs::remove(ordner);
  }
}

// ---- shutdown with pages open ----

TEST_F(AnwendungRahmen, SchliessenMitOffenemMenu) {
  struct Fall {
    const char* name;
    std::function<void()> vorher;
  };
  const std::vector<Fall> faelle = {
      {"gleich nach Esc", [&] { Tippe(GLFW_KEY_ESCAPE); }},
      {"in den 0.1 s nach Weiter", [&] {
         Tippe(GLFW_KEY_ESCAPE);
         Druecke(GLFW_KEY_ESCAPE);
         Bild();
       }},
  };
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    Starte();
    Bilder(2);
    const ino_t inode = Inode(SzenenPfad());
    fall.vorher();
    ASSERT_NE(Menu(), nullptr);
    Beende();  // the loop's shutdown closes the menu before the game flow and its clock
    EXPECT_EQ(Inode(SzenenPfad()), inode);
    EXPECT_FALSE(g_System.beenden) << "the menu closed with its choice Weiter";
    g_System.beenden = false;
  }
}

TEST_F(AnwendungRahmen, EndeBeendetOhneSpeichern) {
  Starte();
  Bilder(2);
  const ino_t inode = Inode(SzenenPfad());
  Tippe(GLFW_KEY_ESCAPE);
  ASSERT_NE(Menu(), nullptr);
  Menu()->EndeGeklickt();
  const int bis = BilderBis([] { return g_System.beenden; });
  EXPECT_GE(bis, 4);
  EXPECT_LE(bis, 8);
  Beende();
  EXPECT_EQ(Inode(SzenenPfad()), inode);
}

TEST_F(AnwendungRahmen, SchliessenImEditorSpeichertEinmal) {
  Starte();
  Bilder(2);
  Tippe(GLFW_KEY_F4);
  ASSERT_EQ(L().GibModus(), Modus::EDITOR);
  const ino_t inode = Inode(SzenenPfad());
  Beende();
  EXPECT_NE(Inode(SzenenPfad()), inode);
}

// ---- device loss and resize ----

TEST_F(AnwendungRahmen, GeraeteverlustMitWarten) {
  std::vector<uint32_t> wartezeiten;
  Zarvo_ZeichenKontextImplDX9::warte = [&](uint32_t ms) { wartezeiten.push_back(ms); };
  SchreibeKleinenRaum();
  Starte();
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  // Until the generator has built the small room, so that the registry changes only by the loss.
  const auto belegte = [&] {
    int n = 0;
    kontext->registerListe.FuerAlle([&](Zarvo_BasisObjekt*) { ++n; });
    return n;
  };
  int ruhig = 0, zuletzt = -1;
  ASSERT_GT(BilderBis(
                [&] {
                  const int n = belegte();
                  ruhig = n == zuletzt && S().GibSzene().generator.Offen() == 0 ? ruhig + 1 : 0;
                  zuletzt = n;
                  return ruhig >= 64;
                },
                64 * 60),
            0);
  const int belegt = belegte();
  const size_t seiten = S().GibSzene().generator.Seiten().size();
  kontext->impl.geraet->SimulateDeviceLost(3);
  Bilder(6);
  EXPECT_EQ(S().GibSzene().generator.Seiten().size(), seiten) << "the rebuilt patches take their old room";
  size_t verloren = 0;
  for (uint32_t ms : wartezeiten) verloren += ms == Zarvo_ZeichenKontextImplDX9::WARTE_VERLOREN_MS;
  EXPECT_EQ(verloren, 4u) << "three lost answers, then the one that asks for the reset";
  EXPECT_FALSE(kontext->impl.geraetVerloren);
  EXPECT_EQ(belegte(), belegt);

  // Input, clocks and the game run in the lost frames: Esc still pauses.
  kontext->impl.geraet->SimulateDeviceLost(3);
  Tippe(GLFW_KEY_ESCAPE);
  EXPECT_TRUE(kontext->impl.geraetVerloren);
  EXPECT_NE(Menu(), nullptr);
  EXPECT_TRUE(S().GibUhr().IstPausiert());
  Bilder(4);
  EXPECT_FALSE(kontext->impl.geraetVerloren);
}

TEST_F(AnwendungRahmen, VerlustWaehrendIkonisiertWartetBisZurueck) {
  std::vector<uint32_t> wartezeiten;
  Zarvo_ZeichenKontextImplDX9::warte = [&](uint32_t ms) { wartezeiten.push_back(ms); };
  Starte();
  Bilder(2);
  fenster.rueckrufe.ikonisiert(true);
  Zarvo_Screen3D::GibZeichenKontext()->impl.geraet->SimulateDeviceLost(2);
  Bilder(5);
  EXPECT_TRUE(wartezeiten.empty());
  fenster.rueckrufe.ikonisiert(false);
  Bilder(5);
  EXPECT_FALSE(wartezeiten.empty());
  EXPECT_FALSE(Zarvo_Screen3D::GibZeichenKontext()->impl.geraetVerloren);
}

TEST_F(AnwendungRahmen, GroessenAenderungNachDerNaechstenAbfrage) {
  Starte();
  Bilder(2);
  const int resetsVorher = d3d9::null::AktuelleWelt()->Anzahl("Reset");
  fenster.wartendeGroessen.emplace_back(800, 600);
  EXPECT_EQ(Zarvo_Screen3D::Zustand().breite, 1280u);
  Bild();
  Bilder(2);
  EXPECT_EQ(d3d9::null::AktuelleWelt()->Anzahl("Reset"), resetsVorher + 1) << "one ReInit";
  // The fps text ends at the right edge of the new width.
  const Zarvo_Font3D& schrift = *Spiel::Ressourcen::Schrift();
  float rechts = 0;
  for (const Zarvo_SpriteInstanz& g : GeschriebeneSprites(schrift.Glyphen(), std::strlen(schrift.FormatPuffer())))
    rechts = std::max(rechts, g.x + g.breite);
  EXPECT_NEAR(rechts, 800.0f, 3.0f) << schrift.FormatPuffer();
  EXPECT_EQ(Zarvo_Screen3D::Zustand().breite, 800u);
  EXPECT_EQ(Zarvo_Screen3D::Zustand().hoehe, 600u);
  const BVektor3<float> groesse = L().GibBruecke()->GibOberflaeche()->GespeicherteGroesse();
  EXPECT_EQ(groesse.x, 800.0f);
  EXPECT_EQ(groesse.y, 600.0f);
  Tippe(GLFW_KEY_F1);
  std::vector<fs::path> bilder;
  for (const auto& eintrag : fs::directory_iterator(benutzerOrdner / "screenshots")) bilder.push_back(eintrag.path());
  ASSERT_EQ(bilder.size(), 1u);
  Zarvo_Bild bild;
  ASSERT_TRUE(bild.LadeBildAusDatei(bilder[0]));
  EXPECT_EQ(bild.Breite(), 800u);
  EXPECT_EQ(bild.Hoehe(), 600u);
}

}  // namespace

namespace {

// The editor's object dialog: End over an object the editor's pick finds.
class AnwendungDialog : public AnwendungRahmen {
 protected:
  void OeffneDialog() {
    Tippe(GLFW_KEY_F4);
    ASSERT_EQ(L().GibModus(), Modus::EDITOR);
    Tippe(GLFW_KEY_2);  // object mode
    Spiel::Editor& e = *L().GibEditor();
    const Spiel::Kamera::Schirm schirm{1280, 720};
    for (size_t i = 0; i < e.GibSzene().karte.objekte.size(); ++i) {
      const Karte::Objekt& o = e.GibSzene().karte.objekte[i];
      const BVektor3<float> punkt = Spiel::Raster::Einrasten(Karte::ObjektTypVon(o.typ), {o.x, o.y, o.z}) * 2.0f;
      float x = 0, y = 0;
      if (!Spiel::Kamera::ProjiziereAufBildschirm(punkt, e.GibAnsicht(), schirm, x, y)) continue;
      if (x < 100 || y < 100 || x > 1180 || y > 620) continue;
      const Spiel::Editor::Wahl w =
          e.WaehleObjekt(e.GibKameraPosition(), Spiel::Kamera::StrahlDurchMaus(e.GibAnsicht(), x, y, schirm));
      if (!w.gefunden || w.index != i) continue;
      quelle.cursorX = x;
      quelle.cursorY = y;
      Bild();
      Tippe(GLFW_KEY_END);
      if (e.GibDialog()) return;
    }
    FAIL() << "no object to open the dialog on";
  }
};

TEST_F(AnwendungDialog, F4WartetBisDerDialogFortIst) {
  Starte();
  Bilder(2);
  OeffneDialog();
  if (HasFatalFailure()) return;
  Tippe(GLFW_KEY_F4);
  EXPECT_EQ(L().GibModus(), Modus::EDITOR) << "the dialog is open";
  L().GibEditor()->GibDialog()->SpeichernGeklickt();
  Tippe(GLFW_KEY_F4);
  EXPECT_EQ(L().GibModus(), Modus::EDITOR) << "the dialog is closing";
  ASSERT_GT(BilderBis([&] { return L().GibEditor()->GibDialog() == nullptr; }, 16), 0);
  Tippe(GLFW_KEY_F4);
  EXPECT_EQ(L().GibModus(), Modus::SPIEL);
  EXPECT_EQ(L().GibEditor(), nullptr);
}

TEST_F(AnwendungDialog, SchliessenMitOffenemDialogSpeichertEinmal) {
  Starte();
  Bilder(2);
  OeffneDialog();
  if (HasFatalFailure()) return;
  const ino_t inode = Inode(SzenenPfad());
  Beende();
  EXPECT_NE(Inode(SzenenPfad()), inode);
}

}  // namespace
