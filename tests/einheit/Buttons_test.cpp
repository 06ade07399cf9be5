// The input bridge: the key, mouse and text mapping through the real input update, key repeat,
// the Esc tap within one poll, the style file and its error path, and the global pointer and
// handler after destruction.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include <string>
#include <vector>

#include "BrueckenTest.h"
#include "Button.h"
#include "PauseMenu.h"
#include "SimpelRenderer.h"
#include "Stil.h"
#include "TBereich.h"
#include "TestFont.h"
#include "TEigenschaften_Serialisierung.h"
#include "VaterBasis.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_SpriteAtlas.h"

namespace {

using Liste = std::vector<std::string>;

// Forwards every slot to the bridge and records "slot=result".
class Mithoerer : public OPRIX::InputHandler {
 public:
  explicit Mithoerer(Spiel::Buttons& b) : bruecke(b) {}
  bool HandleButton(OPRIX::Device* d, int b, bool p) override { return Merke(1, bruecke.HandleButton(d, b, p)); }
  bool HandleMouseMove(OPRIX::Mouse* m, float x, float y) override { return Merke(2, bruecke.HandleMouseMove(m, x, y)); }
  bool HandleMouseButton(OPRIX::Mouse* m, int b, bool p) override { return Merke(3, bruecke.HandleMouseButton(m, b, p)); }
  bool HandleWheel(OPRIX::Mouse* m, float d) override { return Merke(4, bruecke.HandleWheel(m, d)); }
  bool HandleText(OPRIX::Device* d, unsigned c) override { return Merke(7, bruecke.HandleText(d, c)); }
  bool HandleUnusedButton(OPRIX::Device* d, int b, bool p) override { return Merke(8, bruecke.HandleUnusedButton(d, b, p)); }
  bool HandleUnusedAxis(OPRIX::Device* d, int a, float v) override { return Merke(9, bruecke.HandleUnusedAxis(d, a, v)); }

  Liste aufrufe;

 private:
  bool Merke(int slot, bool ergebnis) {
    aufrufe.push_back(std::to_string(slot) + "=" + (ergebnis ? "1" : "0"));
    return ergebnis;
  }
  Spiel::Buttons& bruecke;
};

class ButtonsTest : public BrueckenTest {};

// ---- the mapping --------------------------------------------------------------------------------

TEST_F(ButtonsTest, TastenMausUndText) {
  Starte();
  Sonde* sonde = NeueSonde();
  Mithoerer mithoerer(*bruecke);
  OPRIX::gInputSystem->handler = &mithoerer;
  const Liste taste = {"1=0", "8=0"};
  const Liste zweimal = {"1=0", "8=0", "1=0", "8=0"};
  struct Fall {
    const char* name;
    std::function<void()> druecken, loesen;
    Liste sonde, slots;
  } faelle[] = {
      {"W", [] { Druecke(GLFW_KEY_W); }, [] { Loese(GLFW_KEY_W); }, {"17,1", "17,4"}, zweimal},
      {"W with its text", [] {
         Druecke(GLFW_KEY_W);
         eingabe::Zeichen('w');
       }, [] { Loese(GLFW_KEY_W); },
       {"17,1", "U+0077", "17,4"}, {"1=0", "7=0", "8=0", "1=0", "8=0"}},
      {"Esc", [] { Druecke(GLFW_KEY_ESCAPE); }, [] { Loese(GLFW_KEY_ESCAPE); }, {"266,1", "1,1", "266,4", "1,4"}, zweimal},
      {"Backspace", [] { Druecke(GLFW_KEY_BACKSPACE); }, [] { Loese(GLFW_KEY_BACKSPACE); }, {"267,1", "14,1", "267,4", "14,4"}, zweimal},
      {"Up", [] { Druecke(GLFW_KEY_UP); }, [] { Loese(GLFW_KEY_UP); }, {"261,1", "200,1", "261,4", "200,4"}, zweimal},
      {"Down", [] { Druecke(GLFW_KEY_DOWN); }, [] { Loese(GLFW_KEY_DOWN); }, {"262,1", "208,1", "262,4", "208,4"}, zweimal},
      {"Left", [] { Druecke(GLFW_KEY_LEFT); }, [] { Loese(GLFW_KEY_LEFT); }, {"264,1", "203,1", "264,4", "203,4"}, zweimal},
      {"Right", [] { Druecke(GLFW_KEY_RIGHT); }, [] { Loese(GLFW_KEY_RIGHT); }, {"263,1", "205,1", "263,4", "205,4"}, zweimal},
      {"keypad 8: its scan code only", [] { Druecke(GLFW_KEY_KP_8); }, [] { Loese(GLFW_KEY_KP_8); }, {"72,1", "72,4"}, zweimal},
      {"Delete: its scan code only, never 268", [] { Druecke(GLFW_KEY_DELETE); }, [] { Loese(GLFW_KEY_DELETE); }, {"211,1", "211,4"},
       zweimal},
      {"left mouse: 265, consumed", [] { eingabe::Knopf(0, GLFW_PRESS); }, [] { eingabe::Knopf(0, GLFW_RELEASE); },
       {"265,1", "265,4"}, {"3=1", "3=1"}},
      {"right mouse: nothing, consumed", [] { eingabe::Knopf(1, GLFW_PRESS); }, [] { eingabe::Knopf(1, GLFW_RELEASE); }, {},
       {"3=1", "3=1"}},
      {"middle mouse: nothing, consumed", [] { eingabe::Knopf(2, GLFW_PRESS); }, [] { eingabe::Knopf(2, GLFW_RELEASE); }, {},
       {"3=1", "3=1"}},
      {"wheel: nothing, consumed (also its zero-delta follow-up)", [] { eingabe::Rollen(0, 1); }, [] {}, {}, {"4=1", "4=1"}},
      {"mouse move: consumed", [this] { quelle.cursorX = 400; }, [] {}, {}, {"2=1"}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    sonde->eintraege.clear();
    mithoerer.aufrufe.clear();
    Im(f.druecken);
    Frame();
    Im(f.loesen);
    Frame();
    EXPECT_EQ(sonde->eintraege, f.sonde);
    EXPECT_EQ(mithoerer.aufrufe, f.slots);
  }

  // A move hands over the primary mouse's position, not the event's arguments.
  EXPECT_EQ(Oberflaeche().MausPosition(), (BVektor3<float>{400, 240, 0}));
  EXPECT_TRUE(bruecke->HandleMouseMove(nullptr, 999, 999));
  EXPECT_EQ(Oberflaeche().MausPosition(), (BVektor3<float>{400, 240, 0}));

  // Text stamps the last input; without a focused widget nobody receives it.
  sonde->eintraege.clear();
  Oberflaeche().SetLetzteEingabe(0);
  EXPECT_FALSE(bruecke->HandleText(nullptr, 'w'));
  EXPECT_EQ(Oberflaeche().LetzteEingabe(), g_Zeit.zeit);
  EXPECT_EQ(sonde->eintraege, (Liste{"U+0077"}));
  Oberflaeche().SetFokus(nullptr);
  Oberflaeche().SetLetzteEingabe(0);
  EXPECT_FALSE(bruecke->HandleText(nullptr, 'x'));
  EXPECT_EQ(Oberflaeche().LetzteEingabe(), g_Zeit.zeit);
  EXPECT_EQ(sonde->eintraege, (Liste{"U+0077"}));
  OPRIX::gInputSystem->handler = bruecke.get();
}

TEST_F(ButtonsTest, GehaltenesBackspaceWiederholtAlsPaare) {
  Starte();
  Sonde* sonde = NeueSonde();
  Im([] { Druecke(GLFW_KEY_BACKSPACE); });
  Frame();
  EXPECT_EQ(sonde->eintraege, (Liste{"267,1", "14,1"}));
  // Held for 62 more frames (0.97 s): a release-and-press pair at 0.7 s, then every 0.1 s.
  std::vector<float> paare;
  for (int frame = 1; frame <= 62; ++frame) {
    sonde->eintraege.clear();
    Frame();
    if (sonde->eintraege.empty()) continue;
    EXPECT_EQ(sonde->eintraege, (Liste{"267,4", "14,4", "267,1", "14,1"})) << "frame " << frame;
    paare.push_back(float(frame) * FRAME_SEKUNDEN);
  }
  ASSERT_EQ(paare.size(), 3u);
  EXPECT_GE(paare[0], 0.7f);
  EXPECT_LT(paare[0], 0.7f + FRAME_SEKUNDEN);
  for (size_t i = 1; i < paare.size(); ++i) EXPECT_NEAR(paare[i] - paare[i - 1], 0.1f, FRAME_SEKUNDEN);
}

TEST_F(ButtonsTest, EscAntippenInEinemPollOeffnetNichts) {
  Starte();
  Sonde* sonde = NeueSonde();
  Zarvo_Timer spielUhr;
  Im([] {
    Druecke(GLFW_KEY_ESCAPE);
    Loese(GLFW_KEY_ESCAPE);
  });
  Frame();
  // The widgets see the whole tap; the device state never shows the key went down.
  EXPECT_EQ(sonde->eintraege, (Liste{"266,1", "1,1", "266,4", "1,4"}));
  EXPECT_FALSE(Tastatur()->KeyWentDown(1));
  EXPECT_EQ(Spiel::PauseMenu::OeffneBeiEsc(spielUhr, Tastatur(), Oberflaeche()), nullptr);
  EXPECT_FALSE(spielUhr.IstPausiert());
}

// ---- the style file -----------------------------------------------------------------------------

TEST_F(ButtonsTest, StildateiFehler) {
  ASSERT_TRUE(OPRIX::OpenWindowInput(&fenster));
  OPRIX::InputHandler konsole;
  OPRIX::gInputSystem->handler = &konsole;
  const std::filesystem::path datei = Stildatei(ordner);
  std::string tief;
  for (int i = 0; i < 4097; ++i) tief += "<a>";
  for (int i = 0; i < 4097; ++i) tief += "</a>";
  struct Fall {
    const char* name;
    std::function<void()> bereite;
  } faelle[] = {
      {"missing", [&] { std::filesystem::remove(datei); }},
      {"empty", [&] { SchreibeStil(""); }},
      {"not well-formed", [&] { SchreibeStil("<gui><button><groesse></button>"); }},
      {"4097 nested elements", [&] { SchreibeStil(tief); }},
      {"a folder of that name", [&] {
         std::filesystem::remove(datei);
         std::filesystem::create_directory(datei);
       }},
  };
  const size_t timer = g_Zeit.AnzahlTimer();
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    std::filesystem::remove_all(datei);
    f.bereite();
    try {
      Spiel::Buttons b;
      ADD_FAILURE() << "no exception";
    } catch (const Zarvo_Ausnahme& a) {
      EXPECT_EQ(a.meldung, "Datei nicht geladen");
    }
    EXPECT_EQ(Spiel::Buttons::Global(), nullptr);
    EXPECT_EQ(OPRIX::gInputSystem->handler, &konsole);
    EXPECT_EQ(g_Zeit.AnzahlTimer(), timer);
  }
  // A failed bridge leaves the pointer of a live one alone.
  std::filesystem::remove_all(datei);
  SchreibeStil("<gui/>");
  Spiel::Buttons lebend;
  std::filesystem::remove(datei);
  EXPECT_THROW(Spiel::Buttons(), Zarvo_Ausnahme);
  EXPECT_EQ(Spiel::Buttons::Global(), &lebend);
}

TEST_F(ButtonsTest, StildateiWerte) {
  auto spalte = [&] {
    auto* seite = new Gui::VaterBasis();
    seite->SetPosition({0, 0, 0}, false);
    seite->SetGroesse({600, 400, 0}, false);
    seite->SetLayout(new Gui::Anordnung{Gui::Anordnung::SPALTE, 0, 0});
    seite->FuegeHinzu(new Gui::Button("a"));
    seite->FuegeHinzu(new Gui::Button("b"));
    Oberflaeche().FuegeHinzu(seite);
    Frame();
    return seite;
  };
  {
    SchreibeStil("<gui/>");
    Starte();
    Gui::VaterBasis* seite = spalte();
    const Gui::Basis& a = *seite->Kinder()[0];
    const Gui::Basis& b = *seite->Kinder()[1];
    EXPECT_EQ(a.GespeicherteGroesse(), (BVektor3<float>{100, 40, 0})) << "the toolkit's default size";
    EXPECT_EQ(a.Position(), (BVektor3<float>{0, 0, 0})) << "no gap";
    EXPECT_EQ(b.Position().y, 40) << "no gap";
    bruecke.reset();
  }
  {
    SchreibeStil("<gui><button><groesse><x typ=\"string\">300</x><y>50</y></groesse></button></gui>");
    Starte();
    EXPECT_EQ(spalte()->Kinder()[0]->GespeicherteGroesse(), (BVektor3<float>{100, 50, 0})) << "a text is no size: the default";
    bruecke.reset();
  }
}

TEST_F(ButtonsTest, ExtremeGroessenLegenAusUndZeichnen) {
  auto atlas = std::make_unique<Zarvo_SpriteAtlas>(64, 16, 0);
  {
    Zarvo_Bild weiss(16, 16, PXFMT_A8R8G8B8, 1);
    TBereich bereich;
    weiss.LockBereich(bereich);
    bereich.Fuelle(0xFFFFFFFF);
    atlas->KopiereEintrag(0, bereich, 0, 0, 16, 16);
  }
  auto font = testfont::Baue();
  for (const char* wert : {"1e38", "-50"}) {
    SCOPED_TRACE(wert);
    const std::string w = wert;
    const std::string paar = "<groesse><x>" + w + "</x><y>" + w + "</y></groesse>";
    SchreibeStil("<gui><button>" + paar + "</button><text>" + paar + "</text><eingabe>" + paar + "</eingabe><elmAbstand><x>" + w +
                 "</x><y>" + w + "</y></elmAbstand></gui>");
    Starte();
    Zarvo_Timer spielUhr;
    Oberflaeche().FuegeHinzu(new Spiel::PauseMenu(spielUhr));
    Frames(2);
    EXPECT_FALSE(Oberflaeche().HatLayoutAusstehend());
    Gui::SimpelRenderer renderer(atlas.get(), font.get());
    Gui::ZeichneOberflaeche(Oberflaeche(), renderer);
    EXPECT_TRUE(atlas->Liste().IstLeer());
    bruecke->Zeichne();
    Spiel::PauseMenu::SchliesseAlle(spielUhr);
    bruecke.reset();
    OPRIX::CloseInput();
  }
}

TEST_F(ButtonsTest, MitgelieferteStildatei) {
  const std::string text = LiesDatei(MITGELIEFERTER_STIL);
  TiXmlDocument dokument;
  ASSERT_TRUE(TEigenschaften_Serialisierung::LiesDokument(text, dokument));
  ASSERT_NE(dokument.RootElement(), nullptr);
  EXPECT_STREQ(dokument.RootElement()->Value(), "gui");
  TEigenschaften stil;
  TEigenschaften_Serialisierung::LadeEigenschaftenAusXml(stil, MITGELIEFERTER_STIL, false);
  const std::pair<const char*, float> werte[] = {
      {"button.groesse.x", 200}, {"button.groesse.y", 36},  {"text.groesse.x", 200}, {"text.groesse.y", 32},
      {"eingabe.groesse.x", 160}, {"eingabe.groesse.y", 32}, {"elmAbstand.x", 5},     {"elmAbstand.y", 5},
  };
  for (const auto& [schluessel, wert] : werte) EXPECT_EQ(Gui::LiesStilZahl(stil, schluessel), wert) << schluessel;
  // Own properties of the surface: they would veil or align every frame's widgets.
  for (const char* eigen : {"hintergrund", "richt_horiz", "richt_vert"}) EXPECT_EQ(Gui::SucheStil(stil, eigen), nullptr) << eigen;
  std::vector<std::string> oben;
  for (const auto& [name, kind] : stil.kinder) oben.push_back(name);
  EXPECT_EQ(oben, (std::vector<std::string>{"button", "eingabe", "elmAbstand", "text"}));
}

// ---- pointer and handler after destruction ------------------------------------------------------

TEST_F(ButtonsTest, ZeigerUndHandlerNachDemAbbau) {
  ASSERT_TRUE(OPRIX::OpenWindowInput(&fenster));
  for (int runde = 0; runde < 2; ++runde) {
    SCOPED_TRACE(runde);
    auto b = std::make_unique<Spiel::Buttons>();
    EXPECT_EQ(Spiel::Buttons::Global(), b.get());
    OPRIX::gInputSystem->handler = b.get();
    Frame();
    b.reset();
    EXPECT_EQ(Spiel::Buttons::Global(), nullptr);
    EXPECT_EQ(OPRIX::gInputSystem->handler, nullptr);
    // Events after the bridge is gone reach nobody.
    Im([] {
      Druecke(GLFW_KEY_W);
      eingabe::Zeichen('w');
      eingabe::Knopf(0, GLFW_PRESS);
    });
    quelle.cursorX += 5;
    Frame();
    Im([] {
      Loese(GLFW_KEY_W);
      eingabe::Knopf(0, GLFW_RELEASE);
    });
    Frame();
  }
  // Another handler (the console) is left in place.
  OPRIX::InputHandler konsole;
  auto b = std::make_unique<Spiel::Buttons>();
  OPRIX::gInputSystem->handler = &konsole;
  b.reset();
  EXPECT_EQ(OPRIX::gInputSystem->handler, &konsole);
}

}  // namespace
