// The pause menu on the bridge's surface, driven as the main loop drives it: its page, the Esc
// rule, "Weiter" by Esc and by mouse, "Ende", the modal block, held Esc, a second click, and its
// lifetime against the game clock, the frame clock and the surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Abstand.h"
#include "BrueckenTest.h"
#include "Button.h"
#include "PauseMenu.h"
#include "Text.h"

using guihilfen::Mitte;
using Spiel::PauseMenu;

namespace {

class PauseMenuTest : public BrueckenTest {
 protected:
  void SetUp() override {
    BrueckenTest::SetUp();
    // The game clock on the fake counter; its first two ticks settle its step.
    spielUhr = std::make_unique<Zarvo_Timer>();
    spielUhr->Aktualisiere();
    spielUhr->Aktualisiere();
    // The main loop after the frame clock: the game flow ticks its clock, then the Esc rule.
    danach = [this] {
      spielUhr->Aktualisiere();
      if (PauseMenu* m = PauseMenu::OeffneBeiEsc(*spielUhr, escTastatur ? Tastatur() : nullptr, Oberflaeche())) geoeffnet.push_back(m);
    };
  }
  void TearDown() override {
    PauseMenu::SchliesseAlle(*spielUhr);
    BrueckenTest::TearDown();
  }

  bool AufDerOberflaeche(const Gui::Basis* w) {
    const std::vector<Gui::Basis*>& k = Oberflaeche().Kinder();
    return std::find(k.begin(), k.end(), w) != k.end();
  }
  // A menu as the main loop makes it, laid out.
  PauseMenu* NeuesMenu() {
    auto* m = new PauseMenu(*spielUhr);
    Oberflaeche().FuegeHinzu(m);
    Frame();
    return m;
  }
  // Starts the bridge and opens a menu by Esc held over one poll.
  PauseMenu* OeffneMitEsc() {
    Starte();
    Im([] { Druecke(GLFW_KEY_ESCAPE); });
    Frame();
    EXPECT_EQ(geoeffnet.size(), 1u);
    return geoeffnet.empty() ? nullptr : geoeffnet[0];
  }
  static Gui::Button& Knopf(PauseMenu& m, size_t i) { return dynamic_cast<Gui::Button&>(*m.Kinder()[i]); }
  void BewegeZu(const Gui::Basis& w) {
    const BVektor3<float> p = Mitte(w);
    quelle.cursorX = p.x;
    quelle.cursorY = p.y;
  }
  void Klicke() {
    Im([] { eingabe::Knopf(0, GLFW_PRESS); });
    Frame();
    Im([] { eingabe::Knopf(0, GLFW_RELEASE); });
  }

  std::unique_ptr<Zarvo_Timer> spielUhr;
  bool escTastatur = true;
  std::vector<PauseMenu*> geoeffnet;
};

TEST_F(PauseMenuTest, AufbauUndLayout) {
  struct Fall {
    uint32_t breite, hoehe;
    const char* stil;  // null: the shipped file
  } faelle[] = {{1280, 720, nullptr}, {640, 480, nullptr}, {1280, 720, "<gui/>"}, {640, 480, "<gui/>"}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(std::to_string(f.breite) + "x" + std::to_string(f.hoehe) + (f.stil ? f.stil : " shipped"));
    bruecke.reset();
    bildschirm.reset();
    bildschirm = std::make_unique<NullBildschirm>(f.breite, f.hoehe);
    if (f.stil) SchreibeStil(f.stil);
    Starte();
    const float w = float(f.breite), h = float(f.hoehe);

    auto* m = new PauseMenu(*spielUhr);
    EXPECT_TRUE(spielUhr->IstPausiert());
    EXPECT_EQ(m->GespeicherteGroesse(), (BVektor3<float>{w / 2, h / 2, 0}));
    EXPECT_EQ(m->Position(), (BVektor3<float>{w / 4, h / 4, 0}));
    EXPECT_TRUE(m->IstAutoGroesse() && m->IstAutoPosition());
    EXPECT_TRUE(m->IstModal());
    EXPECT_EQ(m->Wahl(), PauseMenu::WAHL_WEITER);
    ASSERT_EQ(m->Kinder().size(), 5u);
    EXPECT_NE(dynamic_cast<Gui::Abstand*>(m->Kinder()[0]), nullptr);
    auto* titel = dynamic_cast<Gui::Text*>(m->Kinder()[1]);
    ASSERT_NE(titel, nullptr);
    EXPECT_EQ(titel->text, "Pause");
    EXPECT_EQ(titel->Flag(), 0u);
    EXPECT_EQ(Knopf(*m, 2).beschriftung, "Weiter");
    EXPECT_EQ(Knopf(*m, 2).GibTaste(), Gui::Taste::ESCAPE);
    EXPECT_EQ(Knopf(*m, 3).beschriftung, "Ende");
    EXPECT_EQ(Knopf(*m, 3).GibTaste(), Gui::Taste::KEINE);
    EXPECT_EQ(Knopf(*m, 2).Bild().Atlas(), nullptr);
    EXPECT_NE(dynamic_cast<Gui::Abstand*>(m->Kinder()[4]), nullptr);

    Oberflaeche().FuegeHinzu(m);
    EXPECT_EQ(Oberflaeche().Kinder().back(), m);
    Frame();  // the deferred layout
    float obenVorher = -1;
    for (size_t i : {2u, 3u}) {
      const Gui::Basis& b = *m->Kinder()[i];
      const BVektor3<float> p = b.AbsolutePosition();
      const BVektor3<float>& g = b.GespeicherteGroesse();
      EXPECT_NEAR(p.x + g.x / 2, w / 2, 1e-3) << "button " << i << " centred";
      EXPECT_GT(p.y, obenVorher) << "in order";
      obenVorher = p.y;
      EXPECT_GE(p.x, w / 4);
      EXPECT_GE(p.y, h / 4);
      EXPECT_LE(p.x + g.x, w * 3 / 4);
      EXPECT_LE(p.y + g.y, h * 3 / 4);
    }
    PauseMenu::SchliesseAlle(*spielUhr);
    EXPECT_FALSE(spielUhr->IstPausiert());
  }
}

TEST_F(PauseMenuTest, EscRegel) {
  Starte();
  struct Fall {
    const char* name;
    bool pausiert;
    bool tastatur;
    std::vector<std::function<void()>> frames;  // the events of each frame's poll
    size_t menus;
  } faelle[] = {
      {"running, Esc held over a poll", false, true, {[] { Druecke(GLFW_KEY_ESCAPE); }}, 1},
      {"held into the next frame: still one", false, true, {[] { Druecke(GLFW_KEY_ESCAPE); }, [] {}, [] {}}, 1},
      {"clock paused", true, true, {[] { Druecke(GLFW_KEY_ESCAPE); }}, 0},
      {"no keyboard", false, false, {[] { Druecke(GLFW_KEY_ESCAPE); }}, 0},
      {"a tap within one poll", false, true, {[] {
                                                Druecke(GLFW_KEY_ESCAPE);
                                                Loese(GLFW_KEY_ESCAPE);
                                              }},
       0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    geoeffnet.clear();
    escTastatur = f.tastatur;
    if (f.pausiert) spielUhr->Pausiere();
    for (const auto& ereignisse : f.frames) {
      Im(ereignisse);
      Frame();
    }
    ASSERT_EQ(geoeffnet.size(), f.menus);
    if (f.menus) {
      EXPECT_EQ(Oberflaeche().Kinder().back(), geoeffnet[0]) << "the surface's last child";
    }
    PauseMenu::SchliesseAlle(*spielUhr);
    spielUhr->Fortsetzen();
    Im([] { Loese(GLFW_KEY_ESCAPE); });
    Frame();
  }
}

TEST_F(PauseMenuTest, WeiterDurchEsc) {
  PauseMenu* m = OeffneMitEsc();
  ASSERT_NE(m, nullptr);
  Im([] { Loese(GLFW_KEY_ESCAPE); });
  Frame();
  const TZeit uhrZeit = spielUhr->zeit;

  Im([] { Druecke(GLFW_KEY_ESCAPE); });
  Frame();  // the frame clock's first tick after the click
  EXPECT_FALSE(m->IstSichtbar()) << "hidden at once";
  EXPECT_EQ(geoeffnet.size(), 1u) << "Esc in that frame opens nothing";
  Im([] { Loese(GLFW_KEY_ESCAPE); });
  for (int tick = 2; tick <= 6; ++tick) {
    Frame();
    ASSERT_TRUE(AufDerOberflaeche(m)) << "gone before 0.1 s, at tick " << tick;
    EXPECT_TRUE(spielUhr->IstPausiert());
    EXPECT_EQ(spielUhr->zeit, uhrZeit) << "the game clock stands while the menu exists";
  }
  Frame();  // tick 7: 0.109 s
  EXPECT_FALSE(AufDerOberflaeche(m));
  EXPECT_FALSE(spielUhr->IstPausiert());
  Frame();
  EXPECT_GT(spielUhr->zeit, uhrZeit);
  EXPECT_EQ(geoeffnet.size(), 1u);
  EXPECT_FALSE(g_System.beenden);
}

TEST_F(PauseMenuTest, WeiterUndEndeMitDerMaus) {
  Starte();
  struct Fall {
    const char* name;
    bool ende;         // aim at "Ende", else at "Weiter"
    bool imSelbenPoll;  // move and press in one poll, from "Weiter"
    uint32_t wahl;
  } faelle[] = {
      {"Weiter: move in one frame, press in a later one", false, false, PauseMenu::WAHL_WEITER},
      {"Ende: move in one frame, press in a later one", true, false, PauseMenu::WAHL_ENDE},
      {"over Weiter, a move onto Ende and a press in one poll choose Weiter", true, true, PauseMenu::WAHL_WEITER},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    g_System.beenden = false;
    PauseMenu* m = NeuesMenu();
    Gui::Button& ziel = Knopf(*m, f.ende ? 3 : 2);
    if (f.imSelbenPoll) {
      BewegeZu(Knopf(*m, 2));
      Frame();
      ASSERT_EQ(Oberflaeche().Fokus(), &Knopf(*m, 2));
      BewegeZu(ziel);
      Klicke();
    } else {
      BewegeZu(ziel);
      Frame();
      ASSERT_EQ(Oberflaeche().Fokus(), &ziel);
      Klicke();
    }
    EXPECT_FALSE(m->IstSichtbar());
    EXPECT_EQ(m->Wahl(), f.wahl);
    Frames(5);
    ASSERT_TRUE(AufDerOberflaeche(m));
    EXPECT_FALSE(g_System.beenden) << "the quit flag waits for the deletion";
    Frame();
    EXPECT_FALSE(AufDerOberflaeche(m));
    EXPECT_EQ(g_System.beenden, f.wahl == PauseMenu::WAHL_ENDE);
    EXPECT_EQ(spielUhr->IstPausiert(), f.wahl == PauseMenu::WAHL_ENDE) << "Ende leaves the game clock paused";
    spielUhr->Fortsetzen();
    quelle.cursorX = quelle.cursorY = 5;
    Frame();
  }
}

TEST_F(PauseMenuTest, ModalBisZumLoeschen) {
  Starte();
  int vorwaerts = 0;
  auto* w = new Gui::Button("W");
  w->SetPosition({10, 10, 0}, false);
  w->SetGroesse({100, 30, 0}, false);
  w->SetTaste(17);
  w->beiKlick = [&] { ++vorwaerts; };
  Oberflaeche().FuegeHinzu(w);
  auto tippeW = [&] {
    Im([] { Druecke(GLFW_KEY_W); });
    Frame();
    Im([] { Loese(GLFW_KEY_W); });
    Frame();
  };
  tippeW();
  ASSERT_EQ(vorwaerts, 1);

  PauseMenu* m = NeuesMenu();
  tippeW();
  EXPECT_EQ(vorwaerts, 1) << "the menu blocks hotkeys below it";
  EXPECT_EQ(Oberflaeche().TrefferTest(Mitte(*w)), nullptr);
  m->WeiterGeklickt();
  tippeW();
  EXPECT_EQ(vorwaerts, 2) << "the hidden menu no longer blocks hotkeys";
  EXPECT_EQ(Oberflaeche().TrefferTest(Mitte(*w)), nullptr) << "hits outside stay blocked until the deletion";
  Frames(5);
  ASSERT_FALSE(AufDerOberflaeche(m));
  EXPECT_EQ(Oberflaeche().TrefferTest(Mitte(*w)), w);
}

TEST_F(PauseMenuTest, GehaltenesEscUndZweiterKlick) {
  PauseMenu* m = OeffneMitEsc();
  ASSERT_NE(m, nullptr);
  float versteckt = -1, geloescht = -1;
  for (int frame = 1; frame <= 63; ++frame) {
    Frame();
    const float t = float(frame) * FRAME_SEKUNDEN;
    if (versteckt < 0 && !m->IstSichtbar()) versteckt = t;
    if (geloescht < 0 && !AufDerOberflaeche(m)) geloescht = t;
    if (geloescht >= 0) break;
  }
  EXPECT_GE(versteckt, 0.7f) << "the first repeat chooses Weiter";
  EXPECT_LT(versteckt, 0.7f + FRAME_SEKUNDEN);
  EXPECT_NEAR(geloescht - versteckt, 0.1f, FRAME_SEKUNDEN);
  Frames(10);
  EXPECT_EQ(geoeffnet.size(), 1u) << "still held: nothing opens again";
  EXPECT_FALSE(spielUhr->IstPausiert());
  Im([] { Loese(GLFW_KEY_ESCAPE); });
  Frame();

  // A second click while the deletion is pending does nothing.
  m = NeuesMenu();
  m->WeiterGeklickt();
  const size_t timer = g_Zeit.AnzahlTimer();
  m->WeiterGeklickt();
  EXPECT_EQ(g_Zeit.AnzahlTimer(), timer);
  m->EndeGeklickt();
  EXPECT_EQ(g_Zeit.AnzahlTimer(), timer);
  EXPECT_EQ(m->Wahl(), PauseMenu::WAHL_WEITER);
  Frames(7);
  EXPECT_FALSE(AufDerOberflaeche(m));
  EXPECT_FALSE(g_System.beenden);
  EXPECT_FALSE(spielUhr->IstPausiert());
}

// Every menu dies once, and never after its game clock: the cases run under ASan.
TEST_F(PauseMenuTest, LebensdauerGegenUhrUndOberflaeche) {
  struct Fall {
    const char* name;
    std::function<void()> ablauf;
  } faelle[] = {
      {"SchliesseAlle with the menu shown", [this] {
         PauseMenu* m = NeuesMenu();
         PauseMenu::SchliesseAlle(*spielUhr);
         EXPECT_FALSE(AufDerOberflaeche(m));
         EXPECT_FALSE(spielUhr->IstPausiert());
       }},
      {"SchliesseAlle with Ende pending", [this] {
         NeuesMenu()->EndeGeklickt();
         PauseMenu::SchliesseAlle(*spielUhr);
         EXPECT_TRUE(g_System.beenden);
         guihilfen::Schritt(1);
       }},
      {"a menu on another clock stays", [this] {
         Zarvo_Timer andere;
         auto* fremd = new PauseMenu(andere);
         Oberflaeche().FuegeHinzu(fremd);
         PauseMenu* eigen = NeuesMenu();
         PauseMenu::SchliesseAlle(*spielUhr);
         EXPECT_FALSE(AufDerOberflaeche(eigen));
         EXPECT_TRUE(AufDerOberflaeche(fremd));
         EXPECT_TRUE(andere.IstPausiert());
         PauseMenu::SchliesseAlle(andere);
         EXPECT_FALSE(AufDerOberflaeche(fremd));
         EXPECT_FALSE(andere.IstPausiert());
       }},
      {"the shutdown order: menus, clock, bridge", [this] {
         auto uhr = std::make_unique<Zarvo_Timer>();
         Oberflaeche().FuegeHinzu(new PauseMenu(*uhr));
         auto* wartend = new PauseMenu(*uhr);
         Oberflaeche().FuegeHinzu(wartend);
         wartend->WeiterGeklickt();
         PauseMenu::SchliesseAlle(*uhr);
         uhr.reset();
         bruecke.reset();
         guihilfen::Schritt(1);
       }},
      {"the bridge deleted with a Weiter task pending", [this] {
         NeuesMenu()->WeiterGeklickt();
         bruecke.reset();
         EXPECT_FALSE(spielUhr->IstPausiert());
         guihilfen::Schritt(1);
       }},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    g_System.beenden = false;
    Starte();
    const size_t timer = g_Zeit.AnzahlTimer();
    f.ablauf();
    if (bruecke) guihilfen::EinTick();  // the surface's re-layout after the removal
    EXPECT_EQ(g_Zeit.AnzahlTimer(), timer) << "the frame clock back to its earlier timers";
    bruecke.reset();
    spielUhr->Fortsetzen();
  }
}

}  // namespace
