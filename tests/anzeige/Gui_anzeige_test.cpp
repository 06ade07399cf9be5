// The widget surface drawn by the input bridge's renderer on the OpenGL device, with the game's
// atlas and font and the shipped style: the pause page shown, hovered and fading, a click flash,
// an image button, a text line's cursor, clipping and an empty label, checked by pixels against
// the laid-out widgets' rectangles. The pause pages are saved as gui_pause_*.png in the temporary
// folder, to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "Buttons.h"
#include "Button.h"
#include "EingabeZeile.h"
#include "einheit/GuiHilfen.h"
#include "Oberflaeche.h"
#include "PauseMenu.h"
#include "Ressourcen.h"
#include "SchirmBild.h"
#include "Seite.h"
#include "SimpelRenderer.h"
#include "Stil.h"
#include "Text.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_SpriteAtlas.h"

namespace {

using guihilfen::Schritt;
using Spiel::PauseMenu;

constexpr float C = 128.0f / 255;  // the clear colour, mid-grey
constexpr int TOLERANZ = 2;

struct Farbe {
  float r, g, b;
};
Farbe Grau(float v) { return {v, v, v}; }

class GuiAnzeige : public anzeige::SchirmBild {
 protected:
  GuiAnzeige() : SchirmBild(1280, 720) {}
  void SetUp() override {
    SchirmBild::SetUp();
    vorher = g_System.anwendungsVerzeichnis;
    g_System.anwendungsVerzeichnis = MORVELUNT_BAUORDNER;
    Spiel::Ressourcen::Lade();
    Schritt(10);  // well past stamps of 0
    bruecke = std::make_unique<Spiel::Buttons>();
  }
  void TearDown() override {
    PauseMenu::SchliesseAlle(spielUhr);
    bruecke.reset();
    Spiel::Ressourcen::Freigeben();
    g_System.anwendungsVerzeichnis = vorher;
    SchirmBild::TearDown();
  }

  Gui::Oberflaeche& Oberflaeche() { return *bruecke->GibOberflaeche(); }
  // A frame of the surface on the clear colour, read back (and saved under the name).
  Zarvo_Bild Frame(const std::string& name) {
    Leere(C, C, C);
    bruecke->Zeichne();
    return Bildschirm(name);
  }
  PauseMenu* NeuesMenu() {
    auto* m = new PauseMenu(spielUhr);
    Oberflaeche().FuegeHinzu(m);
    guihilfen::EinTick();  // the deferred layout
    return m;
  }
  // A widget on the surface at a fixed place and size.
  template <class W>
  W* Setze(W* w, BVektor3<float> position, BVektor3<float> groesse) {
    w->SetPosition(position, false);
    w->SetGroesse(groesse, false);
    Oberflaeche().FuegeHinzu(w);
    return w;
  }

  static ::testing::AssertionResult IstFarbe(const Zarvo_Bild& bild, float x, float y, Farbe f) {
    const uint32_t p = Pixel(bild, int64_t(x), int64_t(y));
    const int soll[3] = {int(std::lround(f.r * 255)), int(std::lround(f.g * 255)), int(std::lround(f.b * 255))};
    const int ist[3] = {Kanal(p, 16), Kanal(p, 8), Kanal(p, 0)};
    for (int k = 0; k < 3; ++k)
      if (std::abs(ist[k] - soll[k]) > TOLERANZ)
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << ist[0] << " " << ist[1] << " " << ist[2]
                                             << ", expected " << soll[0] << " " << soll[1] << " " << soll[2];
    return ::testing::AssertionSuccess();
  }
  // Pixels in the rectangle whose every channel satisfies the test.
  static int Zaehle(const Zarvo_Bild& bild, float x, float y, float w, float h, bool (*test)(int, int, int)) {
    int n = 0;
    for (int64_t j = int64_t(y); j < int64_t(y + h); ++j)
      for (int64_t i = int64_t(x); i < int64_t(x + w); ++i) {
        const uint32_t p = Pixel(bild, i, j);
        n += test(Kanal(p, 16), Kanal(p, 8), Kanal(p, 0));
      }
    return n;
  }
  static bool IstWeiss(int r, int g, int b) { return r > 245 && g > 245 && b > 245; }
  static bool IstSchwarz(int r, int g, int b) { return r < 60 && g < 60 && b < 60; }

  // The button drawn unfocused and fully shown: a (0.36, 0.36, 0.72) ring of 2 px and a white
  // inner panel with its label's black ink about the centre.
  void PruefeButton(const Zarvo_Bild& bild, const Gui::Basis& b) {
    const BVektor3<float> p = b.AbsolutePosition();
    const BVektor3<float>& g = b.GespeicherteGroesse();
    SCOPED_TRACE(GuiAufzeichnerName(b));
    EXPECT_TRUE(IstFarbe(bild, p.x + 1, p.y + g.y / 2, {0.36f, 0.36f, 0.72f})) << "ring, left";
    EXPECT_TRUE(IstFarbe(bild, p.x + g.x / 2, p.y + 1, {0.36f, 0.36f, 0.72f})) << "ring, top";
    EXPECT_TRUE(IstFarbe(bild, p.x + 3, p.y + 3, {1, 1, 1})) << "inner panel";
    EXPECT_TRUE(IstFarbe(bild, p.x - 1, p.y + g.y / 2, Grau(C))) << "nothing outside";
    EXPECT_GT(Zaehle(bild, p.x + g.x / 2 - 40, p.y + 4, 80, g.y - 8, IstSchwarz), 30) << "black ink in the middle";
    EXPECT_EQ(Zaehle(bild, p.x + 2, p.y + 2, 20, g.y - 4, IstSchwarz), 0) << "no ink at the edge: centred";
  }
  static std::string GuiAufzeichnerName(const Gui::Basis& b) {
    auto* k = dynamic_cast<const Gui::Button*>(&b);
    return k ? k->beschriftung : "widget";
  }

  std::filesystem::path vorher;
  std::unique_ptr<Spiel::Buttons> bruecke;
  Zarvo_Timer spielUhr;
};

TEST_F(GuiAnzeige, PauseSeiteGezeigtUndHover) {
  ASSERT_NE(Spiel::Ressourcen::Atlas(), nullptr);
  PauseMenu* m = NeuesMenu();
  Schritt(10);
  const Zarvo_Bild gezeigt = Frame("gui_pause_gezeigt");

  // Outside the page the clear colour is untouched.
  for (float x : {5.0f, 319.0f, 961.0f, 1275.0f})
    for (float y : {5.0f, 179.0f, 360.0f, 541.0f, 715.0f}) EXPECT_TRUE(IstFarbe(gezeigt, x, y, Grau(C)));
  for (float x : {320.0f, 640.0f, 959.0f})
    for (float y : {179.0f, 540.0f}) EXPECT_TRUE(IstFarbe(gezeigt, x, y, Grau(C)));
  const Gui::Basis& titel = *m->Kinder()[1];
  const BVektor3<float> tp = titel.AbsolutePosition();
  const BVektor3<float>& tg = titel.GespeicherteGroesse();
  EXPECT_TRUE(IstFarbe(gezeigt, tp.x + 2, tp.y + 2, Grau(0.14f + 0.3f * C))) << "the label's panel";
  EXPECT_GT(Zaehle(gezeigt, tp.x, tp.y, tg.x, tg.y, IstWeiss), 50) << "white glyphs of \"Pause\"";
  PruefeButton(gezeigt, *m->Kinder()[2]);
  PruefeButton(gezeigt, *m->Kinder()[3]);

  // Hover over "Ende": 0.2 s later its frame is 4 px larger a side, in (0.72, 0.72, 1).
  const Gui::Basis& ende = *m->Kinder()[3];
  Oberflaeche().SetMausPosition(guihilfen::Mitte(ende));
  ASSERT_EQ(Oberflaeche().Fokus(), &ende);
  Schritt(0.2f);
  const Zarvo_Bild hover = Frame("gui_pause_hover");
  const BVektor3<float> ep = ende.AbsolutePosition();
  const BVektor3<float>& eg = ende.GespeicherteGroesse();
  EXPECT_TRUE(IstFarbe(hover, ep.x - 3, ep.y + eg.y / 2, {0.72f, 0.72f, 1}));
  EXPECT_TRUE(IstFarbe(hover, ep.x + eg.x / 2, ep.y - 3, {0.72f, 0.72f, 1}));
  EXPECT_TRUE(IstFarbe(hover, ep.x + eg.x + 3, ep.y + eg.y + 3, {0.72f, 0.72f, 1}));
  EXPECT_TRUE(IstFarbe(hover, ep.x - 5, ep.y + eg.y / 2, Grau(C))) << "no more than 4 px";
  PruefeButton(hover, *m->Kinder()[2]);
}

TEST_F(GuiAnzeige, UeberblendungUndKlickBlitz) {
  PauseMenu* m = NeuesMenu();
  const Gui::Basis& titel = *m->Kinder()[1];
  const BVektor3<float> tp = titel.AbsolutePosition();
  auto panel = [&](float a) { return Grau(0.14f * a + C * (1 - 0.7f * a)); };

  Schritt(0.25f);
  EXPECT_TRUE(IstFarbe(Frame("gui_pause_einblenden"), tp.x + 2, tp.y + 2, panel(std::sqrt(0.5f)))) << "0.25 s after creation";
  Schritt(10);
  m->WeiterGeklickt();
  Schritt(0.05f);
  EXPECT_TRUE(IstFarbe(Frame("gui_pause_verblassen"), tp.x + 2, tp.y + 2, panel(1 - std::sqrt(0.1f)))) << "0.05 s after Weiter";
  Schritt(0.1f);
  ASSERT_FALSE(spielUhr.IstPausiert()) << "the menu is gone";

  // A click flash 0.1 s after the click: 0.5 + 0.5·C, 22 px beyond the inner panel.
  auto* test = Setze(new Gui::Button("Test"), {100, 100, 0}, {200, 36, 0});
  Schritt(10);
  Gui::TasteEreignis klick(Gui::Taste::KLICK, Gui::TastenZustand::GEDRUECKT, false);
  test->BeiTaste(klick);
  Schritt(0.1f);
  const Zarvo_Bild blitz = Frame("gui_blitz");
  const Farbe hell = Grau(0.5f + 0.5f * C);
  EXPECT_TRUE(IstFarbe(blitz, 80, 118, hell)) << "22 px left of the inner panel";
  EXPECT_TRUE(IstFarbe(blitz, 79, 118, Grau(C)));
  EXPECT_TRUE(IstFarbe(blitz, 200, 80, hell)) << "22 px above";
  EXPECT_TRUE(IstFarbe(blitz, 200, 79, Grau(C)));
  EXPECT_TRUE(IstFarbe(blitz, 319, 155, hell)) << "22 px right and below";
  EXPECT_TRUE(IstFarbe(blitz, 320, 156, Grau(C)));
}

TEST_F(GuiAnzeige, BildCursorClippingUndLeeresFeld) {
  Zarvo_SpriteAtlas* atlas = Spiel::Ressourcen::Atlas();
  ASSERT_NE(atlas, nullptr);
  ASSERT_NE(atlas->GibEintrag(2), nullptr);
  // The image button's panels, then its icon over them.
  auto* bild = new Gui::Button("", Gui::ButtonBild(atlas, 2, false));
  bild->SetPosition({900, 60, 0}, false);
  Oberflaeche().FuegeHinzu(bild);
  auto* zeile = Setze(new Gui::EingabeZeile(0, "abc"), {100, 600, 0}, {160, 32, 0});
  auto* leer = Setze(new Gui::Text("nichts", 0), {600, 600, 0}, {0, 32, 0});
  Oberflaeche().SetFokus(zeile);
  Schritt(10);
  const Zarvo_Bild schirm = Frame("gui_bild_cursor");

  const BVektor3<float>& bg = bild->GespeicherteGroesse();
  EXPECT_TRUE(IstFarbe(schirm, 900 + 1, 60 + bg.y / 2, {0.36f, 0.36f, 0.72f})) << "the frame";
  const int farbig = Zaehle(schirm, 902, 62, bg.x - 4, bg.y - 4, [](int r, int g, int b) { return !(r > 245 && g > 245 && b > 245); });
  EXPECT_GT(farbig, 100) << "the icon lies over the white inner panel";

  const float cx = Spiel::Ressourcen::Schrift()->GibTextBreite("abc");
  EXPECT_TRUE(IstFarbe(schirm, 100 + cx + 2, 616, {1, 1, 0})) << "the yellow cursor";
  EXPECT_EQ(Zaehle(schirm, 596, 596, 12, 40, [](int r, int g, int b) { return !(r == 128 && g == 128 && b == 128); }), 0)
      << "a label 0 px wide draws nothing";
  delete leer;

  // A smaller clip leaves the outside alone; after the pop a full-screen veil reaches every corner.
  auto* schleier = new Gui::Seite(0, {0, 0, 0});
  schleier->SetGroesse({1280, 720, 0}, false);
  Gui::SetzeStil(schleier->eigenschaften, "hintergrund", 0.5f);
  Schritt(10);  // fully faded in
  auto renderer = bruecke->GibRenderer();
  Leere(C, C, C);
  renderer->BeginneZeichnen();
  renderer->SetzeClipping(*schleier, {100, 100, 0}, {200, 100, 0});
  schleier->Zeichne(*renderer);
  renderer->EntferneClipping(*schleier);
  const Zarvo_Bild geclippt = Bildschirm("gui_clip");
  EXPECT_TRUE(IstFarbe(geclippt, 150, 150, Grau(C / 2))) << "inside the clip";
  for (auto [x, y] : {std::pair{99.0f, 150.0f}, {300.0f, 150.0f}, {150.0f, 99.0f}, {150.0f, 200.0f}, {5.0f, 5.0f}})
    EXPECT_TRUE(IstFarbe(geclippt, x, y, Grau(C))) << "outside the clip";
  Leere(C, C, C);
  schleier->Zeichne(*renderer);
  renderer->BeendeZeichnen();
  const Zarvo_Bild ganz = Bildschirm("gui_schleier");
  for (auto [x, y] : {std::pair{0.0f, 0.0f}, {1279.0f, 0.0f}, {0.0f, 719.0f}, {1279.0f, 719.0f}})
    EXPECT_TRUE(IstFarbe(ganz, x, y, Grau(C / 2))) << "corner";
  delete schleier;
}

}  // namespace
