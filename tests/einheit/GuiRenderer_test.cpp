// The simple widget renderer on the recording device: the fade curves, fade and glow from the
// widgets' stamps, every widget's rectangles and text, empty and negative sizes, missing atlas or
// font, clipping with its viewports and origin, and when the batches are drawn. Rectangles and
// glyphs are read from the sprite lists before a flush; draws and viewports from the context.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Abstand.h"
#include "Button.h"
#include "EingabeZeile.h"
#include "GuiHilfen.h"
#include "Hinweis.h"
#include "NullBildschirm.h"
#include "Seite.h"
#include "SimpelRenderer.h"
#include "Stil.h"
#include "TBereich.h"
#include "TestFont.h"
#include "Text.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

using namespace guihilfen;
using Gui::SimpelRenderer;

namespace {

constexpr float KEIN = std::numeric_limits<float>::quiet_NaN();  // property not set
constexpr uint32_t LINKS = Zarvo_Font3D::LINKS, MITTE = Zarvo_Font3D::MITTE, RECHTS = Zarvo_Font3D::RECHTS;
constexpr uint32_t OBEN = Zarvo_Font3D::OBEN, VMITTE = Zarvo_Font3D::VERTIKAL_MITTE, UNTEN = Zarvo_Font3D::UNTEN;

// A queued rectangle: position, size and colour.
struct R {
  float x, y, w, h, r, g, b, a;
};

std::string Text(const R& q) {
  std::ostringstream s;
  s << "(" << q.x << ", " << q.y << ", " << q.w << " x " << q.h << ", rgba " << q.r << " " << q.g << " " << q.b << " " << q.a << ")";
  return s.str();
}

::testing::AssertionResult GleicheRechtecke(const std::vector<R>& ist, const std::vector<R>& soll) {
  auto liste = [](const std::vector<R>& v) {
    std::string s;
    for (const R& q : v) s += "\n  " + Text(q);
    return s;
  };
  bool gleich = ist.size() == soll.size();
  for (size_t i = 0; gleich && i < ist.size(); ++i) {
    const float a[8] = {ist[i].x, ist[i].y, ist[i].w, ist[i].h, ist[i].r, ist[i].g, ist[i].b, ist[i].a};
    const float b[8] = {soll[i].x, soll[i].y, soll[i].w, soll[i].h, soll[i].r, soll[i].g, soll[i].b, soll[i].a};
    for (int k = 0; k < 8; ++k) gleich = gleich && std::fabs(a[k] - b[k]) < 1e-4f;
  }
  if (gleich) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "queued:" << liste(ist) << "\nexpected:" << liste(soll);
}

::testing::AssertionResult GleicheGlyphen(const std::vector<Zarvo_SpriteInstanz>& ist, const std::vector<Zarvo_SpriteInstanz>& soll) {
  if (ist.size() != soll.size())
    return ::testing::AssertionFailure() << ist.size() << " glyphs queued, " << soll.size() << " expected";
  for (size_t i = 0; i < ist.size(); ++i) {
    const float* a = &ist[i].x;
    const float* b = &soll[i].x;
    for (int k = 0; k < 15; ++k)
      if (std::fabs(a[k] - b[k]) > 1e-4f)
        return ::testing::AssertionFailure() << "glyph " << i << " field " << k << ": " << a[k] << " instead of " << b[k];
  }
  return ::testing::AssertionSuccess();
}

// What the font queues for ZeichneBlock(x, y, w, h, "%s", text) with these settings.
std::vector<Zarvo_SpriteInstanz> Block(float x, float y, float w, float h, const char* text, TAlphaFarbe farbe, uint32_t horizontal,
                                       uint32_t vertikal, float groesse = 10) {
  auto font = testfont::Baue();
  font->farbe = farbe;
  font->SetAusrichtung(horizontal, vertikal);
  font->SetGroesse(groesse);
  font->ZeichneBlock(x, y, w, h, "%s", text);
  return font->Glyphen().Liste().Instanzen();
}

void FuegeEin(Zarvo_SpriteAtlas& atlas, uint64_t index, uint64_t w, uint64_t h) {
  Zarvo_Bild quelle(w, h, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  quelle.LockBereich(bereich);
  bereich.Fuelle(0xFFFFFFFF);
  atlas.KopiereEintrag(index, bereich, 0, 0, w, h);
}

template <class W>
W* Setze(W* w, BVektor3<float> position, BVektor3<float> groesse) {
  w->SetPosition(position, false);
  w->SetGroesse(groesse, false);
  return w;
}

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    FuegeEin(*atlas, 0, 16, 16);
    FuegeEin(*atlas, 2, 64, 64);
    Schritt(10);  // well past stamps of 0
    oberflaeche = NeueOberflaeche(1280, 720);
    EinTick();
  }
  void TearDown() override { oberflaeche.reset(); }

  std::vector<R> Rechtecke() const {
    std::vector<R> ergebnis;
    for (const Zarvo_SpriteInstanz& i : atlas->Liste().Instanzen()) ergebnis.push_back({i.x, i.y, i.breite, i.hoehe, i.r, i.g, i.b, i.a});
    return ergebnis;
  }
  const std::vector<Zarvo_SpriteInstanz>& Glyphen() const { return font->Glyphen().Liste().Instanzen(); }
  void Leere() {
    atlas->Liste().Leeren();
    font->ZeichneAlles();
  }
  uint64_t Zeichnungen() const { return bildschirm.Kontext()->zaehler[Zarvo_ZeichenKontext::INSTANZ_ZEICHNEN]; }
  Zarvo_ZeichenKontext::Bereich Viewport() const { return bildschirm.Kontext()->viewport; }

  // A widget attached to the surface at a fixed place and size, shown long ago.
  template <class W>
  W* Haenge(W* w, BVektor3<float> position, BVektor3<float> groesse) {
    oberflaeche->FuegeHinzu(Setze(w, position, groesse));
    Schritt(10);
    return w;
  }

  NullBildschirm bildschirm{1280, 720};
  std::unique_ptr<Zarvo_SpriteAtlas> atlas = std::make_unique<Zarvo_SpriteAtlas>(128, 16, 0);
  std::unique_ptr<Zarvo_Font3D> font = testfont::Baue();
  SimpelRenderer renderer{atlas.get(), font.get()};
  std::unique_ptr<Gui::Oberflaeche> oberflaeche;
};

// ---- curves -------------------------------------------------------------------------------------

TEST_F(RendererTest, UeberblendungAllerKurven) {
  const float w = 0.70710678f;  // sin(π/4) = √0.5
  const float erwartet[17][4] = {
      {0, 0.25f, 0.5f, 1},       {1, 0.75f, 0.5f, 0},         {0, 0.0625f, 0.25f, 1}, {1, 0.9375f, 0.75f, 0},
      {0, 0.5f, w, 1},           {1, 0.5f, 1 - w, 0},         {0, 0.5f - 0.5f * w, 0.5f, 1},
      {1, 0.5f + 0.5f * w, 0.5f, 0}, {0, 1.75f, 0.5f, 1},     {1, -0.75f, 0.5f, 0},   {0, 0.25f, 0.5f, 1},
      {1, 0.75f, 0.5f, 0},       {0, w, 1, 0},                {0, 0, 0, 1},           {1, 1, 1, 0},
      {0, 0.25f, 0.5f, 0},       {1, 0.75f, 0.5f, 1},
  };
  const float zeiten[4] = {0, 0.25f, 0.5f, 1};
  for (uint32_t kurve = 0; kurve < 17; ++kurve)
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(SimpelRenderer::Ueberblendung(g_Zeit.zeit - SekundenAlsTicks(2 * zeiten[i]), 2, kurve), erwartet[kurve][i], 1e-5)
          << "curve " << kurve << " at t = " << zeiten[i];
  const TZeit jetzt = g_Zeit.zeit;
  EXPECT_EQ(SimpelRenderer::Ueberblendung(jetzt - SekundenAlsTicks(0.25f), 1, 17), 1) << "unknown curve";
  EXPECT_EQ(SimpelRenderer::Ueberblendung(jetzt - SekundenAlsTicks(0.25f), 1, 1000), 1) << "unknown curve";
  EXPECT_EQ(SimpelRenderer::Ueberblendung(jetzt + SekundenAlsTicks(5), 1, 0), 0) << "a stamp in the future counts as t = 0";
  EXPECT_EQ(SimpelRenderer::Ueberblendung(jetzt + SekundenAlsTicks(5), 1, 13), 0);
  EXPECT_EQ(SimpelRenderer::Ueberblendung(jetzt - SekundenAlsTicks(1e6f), 1, 0), 1) << "the far past counts as t = 1";
  EXPECT_EQ(SimpelRenderer::Ueberblendung(std::numeric_limits<TZeit>::min() / 2, 1, 16), 1);
  EXPECT_EQ(SimpelRenderer::Ueberblendung(jetzt, 0, 0), 0) << "no time over no duration: t = 0, not NaN";
}

// ---- fade and glow ------------------------------------------------------------------------------

TEST_F(RendererTest, DeckungUndGlanzAusDenStempeln) {
  struct Fall {
    const char* name;
    std::function<Gui::Basis*()> baue;  // returns the label whose panel alpha is 0.7·a
    float a;                           // negative: nothing queued
  } faelle[] = {
      {"0.1 s after showing", [&] {
         auto* t = Setze(new Gui::Text("t", 0), {10, 10, 0}, {100, 30, 0});
         oberflaeche->FuegeHinzu(t);
         Schritt(0.1f);
         return t;
       },
       std::sqrt(0.2f)},
      {"hidden 0.25 s after a long visible time", [&] {
         auto* t = Haenge(new Gui::Text("t", 0), {10, 10, 0}, {100, 30, 0});
         t->SetSichtbar(false);
         Schritt(0.25f);
         return t;
       },
       1 - std::sqrt(0.5f)},
      {"hidden 0.5 s ago", [&] {
         auto* t = Haenge(new Gui::Text("t", 0), {10, 10, 0}, {100, 30, 0});
         t->SetSichtbar(false);
         Schritt(0.5f);
         return t;
       },
       -1},
      {"shown and hidden in one tick: the fade-out starts from full", [&] {
         auto* t = Haenge(new Gui::Text("t", 0), {10, 10, 0}, {100, 30, 0});
         t->SetSichtbar(false);
         Schritt(10);
         t->SetSichtbar(true);
         t->SetSichtbar(false);
         return t;
       },
       1},
      {"hidden and shown in one tick after a long visible time: fades in again", [&] {
         auto* t = Haenge(new Gui::Text("t", 0), {10, 10, 0}, {100, 30, 0});
         t->SetSichtbar(false);
         t->SetSichtbar(true);
         Schritt(0.125f);
         return t;
       },
       0.5f},
      {"a child of a page hidden 0.25 s ago fades with it", [&] {
         auto* seite = Haenge(new Gui::VaterBasis(), {0, 0, 0}, {400, 300, 0});
         auto* t = Setze(new Gui::Text("t", 0), {10, 10, 0}, {100, 30, 0});
         seite->FuegeHinzu(t);
         Schritt(10);
         seite->SetSichtbar(false);
         Schritt(0.25f);
         return t;
       },
       1 - std::sqrt(0.5f)},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    Gui::Basis* w = f.baue();
    Leere();
    w->Zeichne(renderer);
    const std::vector<R> r = Rechtecke();
    if (f.a < 0) {
      EXPECT_TRUE(r.empty());
      EXPECT_TRUE(Glyphen().empty());
    } else {
      ASSERT_FALSE(r.empty());
      EXPECT_NEAR(r[0].a, 0.7f * f.a, 1e-5);
    }
    Leere();
    delete w;
  }

  // Glow, read from a button's frame: it grows by 4·f a side and its red is 0.2 + 0.2·f.
  struct Glanz {
    const char* name;
    bool gewinnen;
    float f;
  } glanz[] = {{"focus gained 0.1 s ago", true, 0.5f}, {"focus lost 0.1 s ago", false, 0.5f}};
  for (const Glanz& g : glanz) {
    SCOPED_TRACE(g.name);
    auto* b = Haenge(new Gui::Button("b"), {100, 50, 0}, {200, 36, 0});
    oberflaeche->SetFokus(b);
    if (!g.gewinnen) {
      Schritt(10);
      oberflaeche->SetFokus(nullptr);
    }
    Schritt(0.1f);
    Leere();
    b->Zeichne(renderer);
    const std::vector<R> r = Rechtecke();
    ASSERT_FALSE(r.empty());
    EXPECT_NEAR(r[0].x, 100 - 4 * g.f, 1e-4);
    EXPECT_NEAR(r[0].r, 0.2f + 0.2f * g.f, 1e-5);
    Leere();
    delete b;
  }
}

// ---- each widget --------------------------------------------------------------------------------

TEST_F(RendererTest, TextFeldUndAusrichtung) {
  struct Fall {
    const char* name;
    float rh, rv;
    BVektor3<float> groesse;
    float skalierung;
    bool text;
    uint32_t horizontal, vertikal;
  } faelle[] = {
      {"no properties: centred", KEIN, KEIN, {200, 32, 0}, 1, true, MITTE, VMITTE},
      {"richt_horiz 0.3 is centred", 0.3f, KEIN, {200, 32, 0}, 1, true, MITTE, VMITTE},
      {"richt_horiz 0.7 is centred", 0.7f, KEIN, {200, 32, 0}, 1, true, MITTE, VMITTE},
      {"richt_horiz 0.71 is right-aligned", 0.71f, KEIN, {200, 32, 0}, 1, true, RECHTS, VMITTE},
      {"richt_horiz 0.29 is left-aligned", 0.29f, KEIN, {200, 32, 0}, 1, true, LINKS, VMITTE},
      {"richt_vert 0.29 is top", KEIN, 0.29f, {200, 32, 0}, 1, true, MITTE, OBEN},
      {"richt_vert 0.71 is bottom", KEIN, 0.71f, {200, 32, 0}, 1, true, MITTE, UNTEN},
      {"GUI scale 2 doubles the font size", KEIN, KEIN, {200, 32, 0}, 2, true, MITTE, VMITTE},
      {"3 px high: only the panel", KEIN, KEIN, {200, 3, 0}, 1, false, 0, 0},
      {"3 px wide: only the panel", KEIN, KEIN, {3, 32, 0}, 1, false, 0, 0},
  };
  // The surface's own properties are the style file: a label never reads its alignment there.
  Gui::SetzeStil(oberflaeche->eigenschaften, "richt_horiz", 0.9f);
  Gui::SetzeStil(oberflaeche->eigenschaften, "richt_vert", 0.9f);
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    oberflaeche->SetGuiSkalierung(f.skalierung);
    auto* t = Haenge(new Gui::Text("Hallo", 0), {100, 50, 0}, f.groesse);
    if (!std::isnan(f.rh)) Gui::SetzeStil(t->eigenschaften, "richt_horiz", f.rh);
    if (!std::isnan(f.rv)) Gui::SetzeStil(t->eigenschaften, "richt_vert", f.rv);
    t->Zeichne(renderer);
    EXPECT_TRUE(GleicheRechtecke(Rechtecke(), {{100, 50, f.groesse.x, f.groesse.y, 0.2f, 0.2f, 0.2f, 0.7f}}));
    if (f.text)
      EXPECT_TRUE(GleicheGlyphen(Glyphen(), Block(102, 52, f.groesse.x - 4, 28, "Hallo", {1, 1, 1, 1}, f.horizontal, f.vertikal,
                                                   10 * f.skalierung)));
    else
      EXPECT_TRUE(Glyphen().empty());
    Leere();
    delete t;
  }
  oberflaeche->SetGuiSkalierung(1);
}

TEST_F(RendererTest, ButtonZustaende) {
  const R rahmen0{100, 50, 200, 36, 0.2f, 0.2f, 0.4f, 1.8f};
  const R innen0{102, 52, 196, 32, 0.6f, 0.6f, 0.8f, 2};
  const R rahmen1{96, 46, 208, 44, 0.4f, 0.4f, 0.6f, 1.8f};
  const R innen1{102, 52, 196, 32, 0.8f, 0.8f, 1.0f, 2};
  const R rahmenInaktiv{100, 50, 200, 36, 0.7f, 0.7f, 0.7f, 0.8f};
  const R rahmenInaktiv1{96, 46, 208, 44, 0.7f, 0.7f, 0.7f, 0.8f};
  const R innenInaktiv{102, 52, 196, 32, 0.8f, 0.8f, 0.8f, 0.8f};
  const R blitz{102 - 22, 52 - 22, 196 + 44, 32 + 44, 1, 1, 1, 0.5f};
  constexpr float NIE = -1;
  struct Fall {
    const char* name;
    bool aktiv;
    bool fokus;
    float druckVor;  // seconds since the click, NIE for none
    std::vector<R> rechtecke;
  } faelle[] = {
      {"active, f = 0", true, false, NIE, {rahmen0, innen0}},
      {"active, f = 1: the frame 4 px larger a side", true, true, NIE, {rahmen1, innen1}},
      {"inactive, f = 0", false, false, NIE, {rahmenInaktiv, innenInaktiv}},
      {"inactive, f = 1", false, true, NIE, {rahmenInaktiv1, innenInaktiv}},
      {"flash at p = 0.5: e = 22", true, false, 0.1f, {rahmen0, innen0, blitz}},
      {"no flash at p = 0", true, false, 0, {rahmen0, innen0}},
      {"no flash once p reaches 1", true, false, 0.21f, {rahmen0, innen0}},
      {"no flash long after", true, false, 0.5f, {rahmen0, innen0}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    auto* b = Haenge(new Gui::Button("Weiter"), {100, 50, 0}, {200, 36, 0});
    if (f.fokus) {
      oberflaeche->SetFokus(b);
      Schritt(10);
    }
    b->SetAktiv(f.aktiv);
    if (f.druckVor >= 0) {
      Gui::TasteEreignis klick(Gui::Taste::KLICK, Gui::TastenZustand::GEDRUECKT, false);
      b->BeiTaste(klick);
      Schritt(f.druckVor);
    }
    b->Zeichne(renderer);
    EXPECT_TRUE(GleicheRechtecke(Rechtecke(), f.rechtecke));
    const TAlphaFarbe schrift = f.aktiv ? TAlphaFarbe{0, 0, 0, 1} : TAlphaFarbe{0.25f, 0.25f, 0.25f, 1};
    EXPECT_TRUE(GleicheGlyphen(Glyphen(), Block(102, 52, 196, 32, "Weiter", schrift, MITTE, VMITTE)));
    Leere();
    delete b;
  }
}

TEST_F(RendererTest, BildButtons) {
  Zarvo_SpriteAtlas fremd(64, 4, 0);
  FuegeEin(fremd, 1, 16, 16);
  ASSERT_TRUE(atlas->PlatziereEintrag(5, 0, 0));
  ASSERT_TRUE(atlas->IstLebendig(5));
  struct Fall {
    const char* name;
    Zarvo_SpriteAtlas* bildAtlas;
    uint64_t index;
    bool aktiv;
    float hoehe;
    std::vector<R> bild;  // the image sprite left in its list (the own atlas: after the panels' flush)
    float textX;          // where the label's box starts
    uint64_t zeichnungen;
  };
  const Fall faelle[] = {
      {"own atlas: k = 32/64, centred, the label 10 px right of it", atlas.get(), 2, true, 36, {{118, 68, 32, 32, 1, 1, 1, 1}}, 144, 1},
      {"inactive: grey at half alpha", atlas.get(), 2, false, 36, {{118, 68, 32, 32, 0.5f, 0.5f, 0.5f, 0.5f}}, 144, 1},
      {"tall button: k stays 1", atlas.get(), 2, true, 104, {{134, 102, 64, 64, 1, 1, 1, 1}}, 176, 1},
      {"an entry the atlas does not hold: no image, no offset", atlas.get(), 7, true, 36, {}, 102, 1},
      {"an entry of 0 x 0: no image, no offset", atlas.get(), 5, true, 36, {}, 102, 1},
      {"another atlas is drawn right after queuing", &fremd, 1, true, 36, {}, 128, 2},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    auto* b = Haenge(new Gui::Button("Bild", Gui::ButtonBild(f.bildAtlas, f.index, false)), {100, 50, 0}, {200, f.hoehe, 0});
    b->SetAktiv(f.aktiv);
    const uint64_t vorher = Zeichnungen();
    b->Zeichne(renderer);
    EXPECT_EQ(Zeichnungen() - vorher, f.zeichnungen) << "the panels are drawn before the image";
    EXPECT_TRUE(GleicheRechtecke(Rechtecke(), f.bild));
    for (const Zarvo_SpriteInstanz& i : atlas->Liste().Instanzen()) EXPECT_EQ(i.drehpunkt, 0.5f) << "the image is placed by its centre";
    EXPECT_EQ(atlas->Liste().zentriert, 0) << "the panels stay top-left";
    EXPECT_TRUE(fremd.Liste().IstLeer());
    const TAlphaFarbe schrift = f.aktiv ? TAlphaFarbe{0, 0, 0, 1} : TAlphaFarbe{0.25f, 0.25f, 0.25f, 1};
    EXPECT_TRUE(GleicheGlyphen(Glyphen(), Block(f.textX, 52, 298 - f.textX, f.hoehe - 4, "Bild", schrift, MITTE, VMITTE)));
    Leere();
    delete b;
  }
}

TEST_F(RendererTest, EingabeZeile) {
  const char* text = "a\xC3\xA9" "b";  // "aéb", the cursor put after "é"
  struct Fall {
    const char* name;
    bool fokus;
    bool aendern;  // Delete removes the "b" 0.05 s before the drawing
    std::vector<R> rechtecke;
    const char* gezeigt;
  };
  const R rand[4] = {{100, 50, 160, 2, 0, 0, 0, 0}, {100, 52, 2, 28, 0, 0, 0, 0}, {258, 52, 2, 28, 0, 0, 0, 0}, {100, 80, 160, 2, 0, 0, 0, 0}};
  auto mitRand = [&](std::vector<R> vorne, float v, std::vector<R> hinten) {
    for (R q : rand) {
      q.r = q.g = q.b = v;
      q.a = 1;
      vorne.push_back(q);
    }
    vorne.insert(vorne.end(), hinten.begin(), hinten.end());
    return vorne;
  };
  // "a" advances 6 at size 10, "é" (no glyph) 3: the cursor stands at x + 9.
  const R fokusFeld{98, 48, 164, 36, 0.25f, 0.25f, 0.4f, 1};
  const R cursor{109, 61, 4, 10, 1, 1, 0, 1};
  const Fall faelle[] = {
      {"focused: panel, borders, text and the cursor", true, false, mitRand({fokusFeld}, 0.45f, {cursor}), text},
      {"0.05 s after a change: the borders flash", true, true, mitRand({fokusFeld}, 0.55f, {cursor}), "a\xC3\xA9"},
      {"f = 0: a transparent panel, no cursor", false, false, mitRand({{102, 52, 156, 28, 0.25f, 0.25f, 0.4f, 0}}, 0.25f, {}), text},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    auto* zeile = Haenge(new Gui::EingabeZeile(0, text), {100, 50, 0}, {160, 32, 0});
    if (f.fokus) {
      oberflaeche->SetFokus(zeile);
      Schritt(10);
    }
    Gui::TasteEreignis links(Gui::Taste::LINKS, Gui::TastenZustand::GEDRUECKT, false);
    zeile->BeiTaste(links);
    if (f.aendern) {
      Gui::TasteEreignis entfernen(Gui::Taste::ENTFERNEN, Gui::TastenZustand::GEDRUECKT, false);
      zeile->BeiTaste(entfernen);
      Schritt(0.05f);
    }
    ASSERT_EQ(zeile->Cursor(), 2u);
    zeile->Zeichne(renderer);
    EXPECT_TRUE(GleicheRechtecke(Rechtecke(), f.rechtecke));
    EXPECT_TRUE(GleicheGlyphen(Glyphen(), Block(102, 52, 156, 28, f.gezeigt, {1, 1, 1, 1}, LINKS, VMITTE)));
    Leere();
    delete zeile;
  }
}

TEST_F(RendererTest, HinweisMitSchweif) {
  auto* besitzer = Haenge(new Gui::Button("b"), {100, 50, 0}, {200, 36, 0});
  // 4 bytes: 210 x 98, right of and below the owner at (320, 89.6).
  auto* hinweis = new Gui::Hinweis("Tipp", besitzer);
  oberflaeche->FuegeHinzu(hinweis);
  Schritt(10);
  ASSERT_NEAR(hinweis->Position().x, 320, 1e-4);
  ASSERT_NEAR(hinweis->Position().y, 89.6f, 1e-4);
  hinweis->Zeichne(renderer);
  std::vector<R> r = Rechtecke();
  ASSERT_EQ(r.size(), 21u);
  // The anchor lies 0.35 of the owner's size from its centre towards the tooltip: (270, 80.6).
  const float tx = 425, ty = 138.6f, ax = 270, ay = 80.6f;
  for (int i : {1, 20}) {
    const float k = float(i * i) / 441;
    const R box{ax + k * (tx - ax) - k * 105, ay + k * (ty - ay) - k * 49, 210 * k, 98 * k, 0.8f, 0.8f, 0.8f, 0.105f};
    EXPECT_TRUE(GleicheRechtecke({r[size_t(i - 1)]}, {box})) << "box " << i;
  }
  EXPECT_TRUE(GleicheRechtecke({r[20]}, {{320, 89.6f, 210, 98, 0.8f, 0.8f, 0.8f, 0.7f}}));
  EXPECT_TRUE(GleicheGlyphen(Glyphen(), Block(325, 94.6f, 200, 88, "Tipp", {0, 0, 0, 1}, MITTE, VMITTE)));
  Leere();

  // Centres one above the other: a sign of 0 keeps the anchor on the owner's centre line.
  hinweis->SetPosition({200 - 105, 300, 0}, false);
  hinweis->Zeichne(renderer);
  r = Rechtecke();
  ASSERT_EQ(r.size(), 21u);
  for (size_t i = 0; i < 20; ++i) EXPECT_NEAR(r[i].x + r[i].w / 2, 200, 1e-3) << "box " << i + 1;
  Leere();

  hinweis->VergissBesitzer();
  hinweis->Zeichne(renderer);
  EXPECT_EQ(Rechtecke().size(), 1u) << "without an owner only the panel";
  Leere();
  delete hinweis;
}

TEST_F(RendererTest, HintergrundSchleier) {
  struct Fall {
    const char* name;
    float eigen;
    bool versteckt;
    std::vector<R> rechtecke;
  } faelle[] = {
      {"0.3: a black veil", 0.3f, false, {{50, 60, 400, 300, 0, 0, 0, 0.3f}}},
      {"0: none", 0, false, {}},
      {"below 0: none", -1, false, {}},
      {"not set: none, though the surface holds a value", KEIN, false, {}},
      {"a = 0 (hidden long ago): none", 0.3f, true, {}},
  };
  Gui::SetzeStil(oberflaeche->eigenschaften, "hintergrund", 0.5f);
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    auto* seite = Haenge(new Gui::Seite(0, {0, 0, 0}), {50, 60, 0}, {400, 300, 0});
    if (!std::isnan(f.eigen)) Gui::SetzeStil(seite->eigenschaften, "hintergrund", f.eigen);
    if (f.versteckt) {
      seite->SetSichtbar(false);
      Schritt(10);
    }
    seite->Zeichne(renderer);  // a page draws its background through slot 16
    EXPECT_TRUE(GleicheRechtecke(Rechtecke(), f.rechtecke));
    Leere();
    delete seite;
  }
  // Slot 5 draws nothing; the slots of the other widget kinds without a class keep the default,
  // the background.
  auto* seite = Haenge(new Gui::Seite(0, {0, 0, 0}), {50, 60, 0}, {400, 300, 0});
  Gui::SetzeStil(seite->eigenschaften, "hintergrund", 0.3f);
  renderer.Slot5(*seite);
  EXPECT_TRUE(Rechtecke().empty());
  for (auto slot : {&SimpelRenderer::Slot6, &SimpelRenderer::Slot7, &SimpelRenderer::Slot9, &SimpelRenderer::Slot10,
                    &SimpelRenderer::Slot14}) {
    (renderer.*slot)(*seite);
    EXPECT_TRUE(GleicheRechtecke(Rechtecke(), {{50, 60, 400, 300, 0, 0, 0, 0.3f}}));
    Leere();
  }
  delete seite;

  // The surface's own properties are the style file: a value there veils the whole screen.
  oberflaeche->Zeichne(renderer);
  EXPECT_TRUE(GleicheRechtecke(Rechtecke(), {{0, 0, 1280, 720, 0, 0, 0, 0.5f}}));
  Leere();
}

// ---- empty sizes, missing atlas or font ---------------------------------------------------------

TEST_F(RendererTest, LeereUndNegativeGroessenZeichnenNichts) {
  struct Fall {
    const char* name;
    std::function<Gui::Basis*()> baue;
    size_t rechtecke;
  } faelle[] = {
      {"a label 0 px wide", [&] { return Haenge(new Gui::Text("x", 0), {10, 10, 0}, {0, 32, 0}); }, 0},
      {"a label of negative size", [&] { return Haenge(new Gui::Text("x", 0), {10, 10, 0}, {-50, -20, 0}); }, 0},
      {"a text line 3 px high: top and bottom only", [&] { return Haenge(new Gui::EingabeZeile(0, "x"), {10, 10, 0}, {160, 3, 0}); }, 2},
      {"a 0 x 0 image button", [&] {
         auto* b = new Gui::Button("", Gui::ButtonBild(atlas.get(), 7, false));
         oberflaeche->FuegeHinzu(b);
         Schritt(10);
         return b;
       },
       0},
      {"an image button 4 px high: its frame is drawn before the image, and no image at k = 0", [&] {
         return Haenge(new Gui::Button("", Gui::ButtonBild(atlas.get(), 2, false)), {10, 10, 0}, {64, 4, 0});
       },
       0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    Gui::Basis* w = f.baue();
    w->Zeichne(renderer);
    const std::vector<R> r = Rechtecke();
    EXPECT_EQ(r.size(), f.rechtecke);
    for (const R& q : r) {
      EXPECT_GT(q.w, 0) << Text(q);
      EXPECT_GT(q.h, 0) << Text(q);
      EXPECT_FALSE(q.w == 16 && q.h == 16) << "an empty side read as the entry's own size: " << Text(q);
      EXPECT_FALSE(q.w == 64 || q.h == 64) << "an image at its own size: " << Text(q);
    }
    Leere();
    delete w;
  }
}

TEST_F(RendererTest, OhneAtlasOderSchrift) {
  auto* seite = Haenge(new Gui::Seite(1, {0, 0, 0}), {0, 0, 0}, {640, 480, 0});
  Gui::SetzeStil(seite->eigenschaften, "hintergrund", 0.3f);
  seite->FuegeHinzu(new Gui::Text("Pause", 0));
  seite->FuegeHinzu(new Gui::Button("Weiter"));
  seite->FuegeHinzu(new Gui::Button("Bild", Gui::ButtonBild(atlas.get(), 2, false)));
  seite->FuegeHinzu(new Gui::EingabeZeile(0, "abc"));
  seite->FuegeHinzu(new Gui::Abstand());
  auto* hinweis = new Gui::Hinweis("Tipp", seite->Kinder()[1]);
  oberflaeche->FuegeHinzu(hinweis);
  Schritt(10);
  oberflaeche->SetFokus(seite->Kinder()[3]);
  Schritt(10);
  struct Fall {
    const char* name;
    Zarvo_SpriteAtlas* atlas;
    Zarvo_Font3D* font;
  } faelle[] = {{"no atlas", nullptr, font.get()}, {"no font", atlas.get(), nullptr}, {"neither", nullptr, nullptr}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    SimpelRenderer r(f.atlas, f.font);
    r.BeginneZeichnen();
    oberflaeche->Zeichne(r);
    for (Gui::Basis* kind : oberflaeche->Kinder()) kind->Zeichne(r);
    // Looked at before the end of the frame: what each renderer queued.
    EXPECT_EQ(atlas->Liste().IstLeer(), f.atlas == nullptr) << "panels queued without an atlas, or none with one";
    EXPECT_EQ(Glyphen().empty(), f.font == nullptr) << "text queued without a font, or none with one";
    r.BeendeZeichnen();
    EXPECT_TRUE(atlas->Liste().IstLeer());
    Leere();
  }
}

// ---- clipping and flushes -----------------------------------------------------------------------

TEST_F(RendererTest, ClippingSetztViewportUndUrsprung) {
  using B = Zarvo_ZeichenKontext::Bereich;
  Gui::VaterBasis& w = *oberflaeche;
  auto* t = Haenge(new Gui::Text("", 0), {150, 80, 0}, {20, 10, 0});

  renderer.SetzeClipping(w, {100, 50, 0}, {400, 300, 0});
  EXPECT_EQ(Viewport(), (B{100, 50, 400, 300}));
  EXPECT_EQ(renderer.Ursprung(), (BVektor3<float>{100, 50, 0}));
  t->Zeichne(renderer);
  EXPECT_TRUE(GleicheRechtecke(Rechtecke(), {{50, 30, 20, 10, 0.2f, 0.2f, 0.2f, 0.7f}})) << "drawn relative to the origin";

  renderer.SetzeClipping(w, {200, 100, 0}, {50, 60, 0});
  EXPECT_TRUE(atlas->Liste().IstLeer()) << "flushed at the clip change";
  EXPECT_EQ(Viewport(), (B{200, 100, 50, 60}));
  EXPECT_EQ(renderer.ClipTiefe(), 2u);
  t->Zeichne(renderer);
  EXPECT_TRUE(GleicheRechtecke(Rechtecke(), {{-50, -20, 20, 10, 0.2f, 0.2f, 0.2f, 0.7f}}));

  renderer.EntferneClipping(w);
  EXPECT_TRUE(atlas->Liste().IstLeer());
  EXPECT_EQ(Viewport(), (B{100, 50, 400, 300})) << "the pop restores the one before";
  EXPECT_EQ(renderer.Ursprung(), (BVektor3<float>{100, 50, 0}));
  renderer.EntferneClipping(w);
  EXPECT_EQ(Viewport(), (B{0, 0, 1280, 720})) << "the last pop restores the whole target";
  EXPECT_EQ(renderer.Ursprung(), (BVektor3<float>{0, 0, 0}));
  EXPECT_EQ(renderer.ClipTiefe(), 0u);

  bildschirm.Kontext()->SetRenderBereich(5, 5, 10, 10);
  renderer.EntferneClipping(w);
  EXPECT_EQ(Viewport(), (B{0, 0, 1280, 720})) << "a pop on an empty stack restores the whole target";

  // Negative, huge and NaN rectangles are clamped to the target before the conversion.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  renderer.SetzeClipping(w, {-20, -30, 0}, {1e38f, 5000, 0});
  EXPECT_EQ(Viewport(), (B{0, 0, 1280, 720}));
  renderer.SetzeClipping(w, {nan, 700, 0}, {300, 10, 0});
  EXPECT_EQ(Viewport(), (B{0, 700, 300, 10}));
  renderer.EntferneClipping(w);
  renderer.EntferneClipping(w);
  delete t;
}

TEST_F(RendererTest, ZeichnetNurBeiClipWechselnVorBildernUndAmEnde) {
  auto* eins = Haenge(new Gui::Seite(0, {0, 0, 0}), {0, 0, 0}, {640, 100, 0});
  Gui::SetzeStil(eins->eigenschaften, "hintergrund", 0.3f);
  eins->FuegeHinzu(new Gui::Text("Eins", 0));
  auto* zwei = Haenge(new Gui::Seite(0, {0, 0, 0}), {0, 200, 0}, {640, 100, 0});
  for (int i = 0; i < 3; ++i) zwei->FuegeHinzu(new Gui::Button("", Gui::ButtonBild(atlas.get(), 2, false)));
  Schritt(10);

  // Records the draw count after each unclip.
  struct Zaehler : SimpelRenderer {
    using SimpelRenderer::SimpelRenderer;
    std::function<void()> beimEntfernen;
    void EntferneClipping(Gui::Basis& k) override {
      SimpelRenderer::EntferneClipping(k);
      beimEntfernen();
    }
  };
  std::vector<uint64_t> stand;
  Zaehler r(atlas.get(), font.get());
  r.beimEntfernen = [&] { stand.push_back(Zeichnungen()); };
  const uint64_t vorher = Zeichnungen();
  Gui::ZeichneOberflaeche(*oberflaeche, r);
  // Page one: its panels and glyphs at its unclip (2). Page two: before each of the three images
  // (3), then the last image at its unclip (1); no glyphs. Nothing is left for the end.
  ASSERT_EQ(stand.size(), 2u);
  EXPECT_EQ(stand[0] - vorher, 2u);
  EXPECT_EQ(stand[1] - vorher, 6u);
  EXPECT_EQ(Zeichnungen() - vorher, 6u);
  EXPECT_TRUE(atlas->Liste().IstLeer());
  EXPECT_TRUE(Glyphen().empty());

  // Without clip changes in between, a frame's remainder is drawn by the end.
  renderer.BeginneZeichnen();
  eins->Zeichne(renderer);
  EXPECT_EQ(Zeichnungen() - vorher, 6u) << "queuing draws nothing";
  renderer.BeendeZeichnen();
  EXPECT_EQ(Zeichnungen() - vorher, 8u);
}

}  // namespace
