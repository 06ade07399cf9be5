// The screen over a scripted window system and the recording device: the choice of mode and
// window at Init, display changes, the window callbacks and the shutdown order.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FensterAttrappe.h"
#include "LogMitschnitt.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

namespace {

std::vector<bool> g_fokusMeldungen;

class Screen3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Debug(true);
    WaehleNullBackend({});
    Zarvo_Screen3D::SetzeFenstersystem(&fenster);
    g_fokusMeldungen.clear();
  }
  void TearDown() override {
    Zarvo_Screen3D::Schliessen();
    Zarvo_Screen3D::SetzeFenstersystem(nullptr);
    Zarvo_Screen3D::SetzeEigenesFenster(true);
    Zarvo_Screen3D::fokusHaken = nullptr;
    Zarvo_Screen3D::aenderungsHoerer = nullptr;
    g_System.flagA = g_System.flagB = true;
    g_System.zustand = 0;
    g_System.beenden = false;
    WaehleGl33Backend();
  }
  bool Oeffne(uint32_t w, uint32_t h, uint64_t flags, uint32_t tiefe = 0, uint32_t rate = 0) {
    return Zarvo_Screen3D::Init(0, 0, {w, h, tiefe, rate}, flags);
  }
  int Resets() { return null::AktuelleWelt()->Anzahl("Reset"); }
  const Zarvo_BildschirmZustand& Zustand() { return Zarvo_Screen3D::Zustand(); }

  LogMitschnitt log;
  FensterAttrappe fenster;
};

TEST_F(Screen3DTest, InitWaehltModusUndFenster) {
  struct Fall {
    const char* name;
    bool monitor;
    std::vector<Zarvo_Fenstersystem::Modus> modi;
    Zarvo_Fenstersystem::Modus aktuell;
    uint32_t w, h, rate;
    uint64_t flags;
    uint32_t erwartetW, erwartetH, erwarteteRate;
    bool vollbild;
    const char* zeile;
  } faelle[] = {
      {"ohne Monitor", false, {}, {}, 0, 0, 0, 3, 1600, 900, 0, false, "!No monitor found. What the heck is going on here? Starting up windowed."},
      {"Gleichstand: der spaetere Modus", true, {{1280, 720, 8, 8, 8, 60}, {1920, 1080, 8, 8, 8, 60}}, {1920, 1080, 8, 8, 8, 60},
       1600, 900, 0, 3, 1920, 1080, 0, true, nullptr},
      {"Wunsch unter dem kleinsten Modus", true, {{640, 480, 8, 8, 8, 60}}, {640, 480, 8, 8, 8, 60}, 320, 200, 0, 3, 640, 480, 0, true,
       nullptr},
      {"Bildrate gewichtet", true, {{800, 600, 8, 8, 8, 60}, {800, 600, 8, 8, 8, 75}, {800, 600, 8, 8, 8, 120}},
       {800, 600, 8, 8, 8, 60}, 800, 600, 70, 3, 800, 600, 75, true, nullptr},
      {"Bildrate 0 bleibt 0", true, {{800, 600, 8, 8, 8, 60}}, {800, 600, 8, 8, 8, 60}, 800, 600, 0, 3, 800, 600, 0, true, nullptr},
      {"Vollbild ohne passende Modi", true, {{800, 600, 5, 6, 5, 60}}, {800, 600, 8, 8, 8, 60}, 1024, 768, 0, 3, 1024, 768, 0, false,
       nullptr},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    fenster.monitor = f.monitor;
    fenster.modi = f.modi;
    fenster.aktuell = f.aktuell;
    log.zeilen.clear();
    ASSERT_TRUE(Oeffne(f.w, f.h, f.flags, 0, f.rate));
    EXPECT_EQ(Zustand().breite, f.erwartetW);
    EXPECT_EQ(Zustand().hoehe, f.erwartetH);
    EXPECT_EQ(Zustand().bildWiederholrate, f.erwarteteRate);
    EXPECT_EQ(Zustand().vollbild, f.vollbild);
    EXPECT_EQ(fenster.vollbild, f.vollbild);
    EXPECT_EQ(g_Vollbild.boolWert, f.vollbild);
    EXPECT_EQ(fenster.breite, f.erwartetW);
    if (f.vollbild) {
      EXPECT_EQ(fenster.hinweise.rate, f.erwarteteRate);
    }
    if (f.zeile) {
      EXPECT_TRUE(log.Enthaelt(f.zeile));
    }
    Zarvo_Screen3D::Schliessen();
  }
}

TEST_F(Screen3DTest, FarbtiefeUndRahmen) {
  fenster.aktuell = {1280, 720, 5, 6, 5, 60};
  ASSERT_TRUE(Oeffne(0, 0, 2));
  EXPECT_EQ(Zustand().farbTiefe, 1u);
  EXPECT_EQ(fenster.hinweise.rot + fenster.hinweise.gruen + fenster.hinweise.blau, 16u);
  EXPECT_EQ(fenster.hinweise.gruen, 6u);
  EXPECT_TRUE(fenster.hinweise.rahmen);
  Zarvo_Screen3D::Schliessen();

  fenster.aktuell = {1280, 720, 8, 8, 8, 60};
  ASSERT_TRUE(Oeffne(640, 480, 2 | Zarvo_Screen3D::FLAG_RAHMENLOS));
  EXPECT_FALSE(fenster.hinweise.rahmen);
  EXPECT_EQ(fenster.hinweise.rot, 8u);
  Zarvo_Screen3D::Schliessen();
  // Borderless applies to a window only.
  ASSERT_TRUE(Oeffne(1280, 720, 3 | Zarvo_Screen3D::FLAG_RAHMENLOS));
  EXPECT_TRUE(fenster.hinweise.rahmen);
}

TEST_F(Screen3DTest, FehlschlaegeGebenFalse) {
  fenster.erzeugungScheitert = true;
  EXPECT_FALSE(Oeffne(800, 600, 2));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Screen3D::Init(...): Couldn't create window."));
  EXPECT_TRUE(log.EnthaeltTeil("\"Failed to create window\""));
  EXPECT_FALSE(Zarvo_Screen3D::IstInitialisiert());

  // Without a device the window goes again and Init fails.
  fenster.erzeugungScheitert = false;
  NullKonfig konfig;
  konfig.fehler.push_back({"CreateDevice", 1, D3DERR_NOTAVAILABLE});
  WaehleNullBackend(konfig);
  EXPECT_FALSE(Oeffne(800, 600, 2));
  EXPECT_FALSE(fenster.offen);
  EXPECT_EQ(Zarvo_Screen3D::GibZeichenKontext(), nullptr);
  EXPECT_FALSE(Zarvo_Screen3D::IstInitialisiert());
}

// A failed Init names its step and the message behind it, in the log, on stderr and to the caller;
// nothing of the screen stays open.
TEST_F(Screen3DTest, GescheiterterSchrittWirdGenannt) {
  struct Fall {
    const char* name;
    std::function<void(FensterAttrappe&)> stoere;
    Zarvo_Screen3D::Schritt schritt;
    const char* zeile;
  };
  const Fall faelle[] = {
      {"Anzeige",
       [](FensterAttrappe& f) {
         f.initScheitert = true;
         f.fehler = "65544: X11: Failed to open display :99";
       },
       Zarvo_Screen3D::Schritt::Anzeige, "Schritt Anzeige gescheitert: 65544: X11: Failed to open display :99"},
      {"Fenster",
       [](FensterAttrappe& f) {
         f.erzeugungScheitert = true;
         f.fehler = "65543: GLX: Failed to create context";
       },
       Zarvo_Screen3D::Schritt::Fenster, "Schritt Fenster gescheitert: 65543: GLX: Failed to create context"},
      {"Kontext", [](FensterAttrappe& f) { f.kontextFehlt = true; }, Zarvo_Screen3D::Schritt::Kontext,
       "Schritt Kontext gescheitert: (keine Meldung)"},
  };
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    FensterAttrappe gestoert;
    fall.stoere(gestoert);
    Zarvo_Screen3D::SetzeFenstersystem(&gestoert);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Oeffne(800, 600, 2));
    const std::string fehlerAusgabe = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Zarvo_Screen3D::LetzterInitFehler().schritt, fall.schritt);
    EXPECT_TRUE(log.EnthaeltTeil(std::string("!Zarvo_Screen3D::Init(...): ") + fall.zeile));
    EXPECT_NE(fehlerAusgabe.find(fall.zeile), std::string::npos) << fehlerAusgabe;
    EXPECT_FALSE(Zarvo_Screen3D::IstInitialisiert());
    EXPECT_FALSE(gestoert.offen);
    Zarvo_Screen3D::Schliessen();
    Zarvo_Screen3D::SetzeFenstersystem(&fenster);
  }
  // The device step: the recording device refuses to be made.
  NullKonfig konfig;
  konfig.fehler.push_back({"CreateDevice", 1, D3DERR_NOTAVAILABLE});
  WaehleNullBackend(konfig);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Oeffne(800, 600, 2));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Schritt Lader gescheitert"), std::string::npos);
  EXPECT_EQ(Zarvo_Screen3D::LetzterInitFehler().schritt, Zarvo_Screen3D::Schritt::Lader);
  // A successful Init clears the record.
  WaehleNullBackend({});
  ASSERT_TRUE(Oeffne(800, 600, 2));
  EXPECT_EQ(Zarvo_Screen3D::LetzterInitFehler().schritt, Zarvo_Screen3D::Schritt::Keiner);
}

TEST_F(Screen3DTest, DarstellungWechselnMitEinemReInit) {
  fenster.modi = {{1280, 720, 8, 8, 8, 60}};
  ASSERT_TRUE(Oeffne(800, 600, 2));
  int hoererAufrufe = 0;
  Zarvo_Screen3D::aenderungsHoerer = [&] { ++hoererAufrufe; };
  const int vorher = Resets();

  // Window to full screen through "reinitvideo".
  g_Vollbild.SetzeBool(true);
  std::string befehl = "reinitvideo";
  Zarvo_Konsolenbefehl::Ausfuehren(befehl);
  EXPECT_TRUE(Zustand().vollbild);
  EXPECT_EQ(Zustand().breite, 1280u);
  EXPECT_EQ(g_DisplayBreite.intWert, 1280);
  EXPECT_EQ(fenster.aufrufe.back(), "SetzeMonitor(Vollbild)");
  Zarvo_Screen3D::VerarbeiteEreignisse();  // the late size event changes nothing
  EXPECT_EQ(Resets(), vorher + 1);

  // Back to a window of 1024 x 768.
  g_Vollbild.SetzeBool(false);
  g_DisplayBreite.SetzeInt(1024);
  g_DisplayHoehe.SetzeInt(768);
  Zarvo_Konsolenbefehl::Ausfuehren(befehl);
  Zarvo_Screen3D::VerarbeiteEreignisse();
  EXPECT_FALSE(Zustand().vollbild);
  EXPECT_EQ(fenster.breite, 1024u);
  EXPECT_EQ(Resets(), vorher + 2);
  // Same size again: no resize of the window, one ReInit.
  const size_t aufrufe = fenster.aufrufe.size();
  Zarvo_Konsolenbefehl::Ausfuehren(befehl);
  EXPECT_EQ(fenster.aufrufe.size(), aufrufe);
  EXPECT_EQ(Resets(), vorher + 3);
  EXPECT_EQ(hoererAufrufe, 3);
  EXPECT_TRUE(log.Enthaelt("Darstellung wird geändert auf 1024x768, Fenster."));
}

TEST_F(Screen3DTest, GroessenEreignisse) {
  ASSERT_TRUE(Oeffne(800, 600, 2));
  const int vorher = Resets();
  auto groesse = fenster.rueckrufe.groesse;
  groesse(0, 0);      // minimised
  groesse(800, 600);  // late and equal to the settings
  EXPECT_EQ(Resets(), vorher);
  groesse(640, 400);  // a user's resize
  EXPECT_EQ(Resets(), vorher + 1);
  EXPECT_EQ(Zustand().breite, 640u);
  EXPECT_EQ(g_DisplayHoehe.intWert, 400);
  Zarvo_Screen3D::Schliessen();
  fenster.modi = {{1280, 720, 8, 8, 8, 60}};
  ASSERT_TRUE(Oeffne(1280, 720, 3));
  const int imVollbild = Resets();
  fenster.rueckrufe.groesse(300, 300);
  EXPECT_EQ(Resets(), imVollbild);
}

TEST_F(Screen3DTest, FokusIkonisiertUndSchliessen) {
  fenster.startFokus = false;
  ASSERT_TRUE(Oeffne(800, 600, 2));
  // Seeded from the window: restored, not focused.
  EXPECT_TRUE(g_System.flagA);
  EXPECT_FALSE(g_System.flagB);
  EXPECT_EQ(g_System.zustand, 1u);
  fenster.rueckrufe.fokus(true);  // without a hook nothing is called
  EXPECT_TRUE(g_fokusMeldungen.empty());
  Zarvo_Screen3D::fokusHaken = [](bool f) { g_fokusMeldungen.push_back(f); };
  struct Schritt {
    bool ikonisiert;  // else focus
    bool wert;
    uint32_t zustand;
  } schritte[] = {{false, true, 0}, {true, true, 2}, {false, false, 2}, {true, false, 1}, {false, true, 0}};
  std::vector<bool> erwartet;
  for (const Schritt& s : schritte) {
    if (s.ikonisiert) fenster.rueckrufe.ikonisiert(s.wert);
    else fenster.rueckrufe.fokus(s.wert);
    erwartet.push_back(s.ikonisiert ? !s.wert : s.wert);
    EXPECT_EQ(g_System.zustand, s.zustand);
  }
  EXPECT_EQ(g_fokusMeldungen, erwartet);
  fenster.rueckrufe.schliessen();
  EXPECT_TRUE(g_System.beenden);
}

TEST_F(Screen3DTest, FremdesFensterVerweigertWechsel) {
  ASSERT_TRUE(Oeffne(800, 600, 2));
  Zarvo_Screen3D::SetzeEigenesFenster(false);
  const int vorher = Resets();
  std::string befehl = "reinitvideo";
  Zarvo_Konsolenbefehl::Ausfuehren(befehl);
  EXPECT_TRUE(log.Enthaelt("Geht nicht, ist kein selbsterstelltes Fenster."));
  EXPECT_EQ(Resets(), vorher);
}

TEST_F(Screen3DTest, SchliessenInReihenfolge) {
  ASSERT_TRUE(Oeffne(800, 600, 2));
  Zarvo_ZeichenKontext* k = Zarvo_Screen3D::GibZeichenKontext();
  k->ErzeugeZBuffer(16, 16);  // left alive on purpose
  log.zeilen.clear();
  std::string befehl = "videoram";
  Zarvo_Konsolenbefehl::Ausfuehren(befehl);
  EXPECT_TRUE(log.EnthaeltTeil("Insgesamt 3 Resourcen"));
  fenster.aufrufe.clear();
  Zarvo_Screen3D::Schliessen();
  // The leak report (the context) comes before the window goes, GLFW ends last.
  EXPECT_TRUE(log.EnthaeltTeil("class Zarvo_ZBuffer mit AllocID"));
  EXPECT_EQ(fenster.aufrufe, (std::vector<std::string>{"ZerstoereFenster", "Beende"}));
  EXPECT_EQ(null::AktuelleWelt()->geraet, nullptr);
  Zarvo_Screen3D::Schliessen();
  EXPECT_EQ(fenster.aufrufe.size(), 2u);
}

}  // namespace
