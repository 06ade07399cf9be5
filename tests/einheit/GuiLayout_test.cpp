// Layouts and style values of the widget toolkit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Abstand.h"
#include "Button.h"
#include "GuiHilfen.h"
#include "Renderer.h"
#include "Seite.h"
#include "Stil.h"
#include "Text.h"

using namespace guihilfen;

namespace {

// A leaf whose style size comes from its own properties ("klotz.groesse.x/y").
class Klotz : public Gui::Basis {
 public:
  Klotz(float breite, float hoehe) {
    Gui::SetzeStil(eigenschaften, "klotz.groesse.x", breite);
    Gui::SetzeStil(eigenschaften, "klotz.groesse.y", hoehe);
  }
  void Zeichne(Gui::Renderer& r) override { r.ZeichneHintergrund(*this); }
  std::string GetTyp() const override { return "klotz"; }
};

enum class Art { KLOTZ, FEST, ABSTAND, TEXT, BUTTON };

struct KindVorgabe {
  Art art;
  BVektor3<float> groesse;  // KLOTZ: style size, FEST: stored size set with automatisch false
  BVektor3<float> dehnung;  // KLOTZ only
  bool sichtbar = true;
  bool festePosition = false;  // placed at (1, 2) with automatisch false
};

struct Erwartet {
  BVektor3<float> position;
  BVektor3<float> groesse;
};

struct LayoutFall {
  const char* name;
  uint32_t art;
  float ausrichtungX, ausrichtungY;
  float abstandX, abstandY;
  BVektor3<float> container;
  std::vector<KindVorgabe> kinder;
  std::vector<Erwartet> erwartet;
};

Gui::Basis* BaueKind(const KindVorgabe& v) {
  Gui::Basis* kind = nullptr;
  switch (v.art) {
    case Art::KLOTZ: {
      kind = new Klotz(v.groesse.x, v.groesse.y);
      kind->dehnung = v.dehnung;
      break;
    }
    case Art::FEST:
      kind = new Klotz(1, 1);
      kind->SetGroesse(v.groesse, false);
      break;
    case Art::ABSTAND: kind = new Gui::Abstand(); break;
    case Art::TEXT: kind = new Gui::Text("Pause", 0); break;
    case Art::BUTTON: kind = new Gui::Button("Weiter"); break;
  }
  if (v.festePosition) kind->SetPosition({1, 2, 0}, false);
  return kind;
}

const float K = 188.0f / 3.0f;  // the anchor case's stretch share

const LayoutFall LAYOUT_FAELLE[] = {
    {"Anker_Spalte_mit_Abstaenden_Text_und_Buttons", 1, 0.5f, 0.5f, 8, 8, {640, 360, 0},
     {{Art::ABSTAND, {}, {}}, {Art::TEXT, {}, {}}, {Art::BUTTON, {}, {}}, {Art::BUTTON, {}, {}}, {Art::ABSTAND, {}, {}}},
     {{{320, 8, 0}, {0, K, 0}},
      {{8, 8 + K + 8, 0}, {624, 36 + K, 0}},
      {{210, 185.33333f, 0}, {220, 44, 0}},
      {{210, 237.33333f, 0}, {220, 44, 0}},
      {{320, 289.33333f, 0}, {0, K, 0}}}},
    {"Zeile_teilt_freie_Breite_nach_Dehnung_und_fuellt_die_Hoehe", 0, 0, 0.5f, 10, 5, {400, 200, 0},
     {{Art::KLOTZ, {60, 20, 0}, {1, 0, 0}}, {Art::KLOTZ, {40, 30, 0}, {3, 1, 0}}},
     {{{10, 90, 0}, {127.5f, 20, 0}}, {{147.5f, 5, 0}, {242.5f, 190, 0}}}},
    {"Zeile_rechts_mit_verstecktem_Index_0_endet_bei_Breite_minus_2ax", 0, 1, 0, 10, 5, {400, 200, 0},
     {{Art::KLOTZ, {50, 20, 0}, {}, false}, {Art::KLOTZ, {60, 20, 0}, {}}, {Art::KLOTZ, {40, 20, 0}, {}}},
     {{{0, 0, 0}, {100, 50, 0}}, {{270, 5, 0}, {60, 20, 0}}, {{340, 5, 0}, {40, 20, 0}}}},
    {"Spalte_mit_negativem_Platz_schrumpft_die_Kinder", 1, 0, 0, 0, 0, {100, 100, 0},
     {{Art::KLOTZ, {50, 80, 0}, {0, 1, 0}}, {Art::KLOTZ, {50, 60, 0}, {0, 1, 0}}},
     {{{0, 0, 0}, {50, 60, 0}}, {{0, 60, 0}, {50, 40, 0}}}},
    {"Spalte_unten_feste_Groesse_und_feste_Position_bleiben", 1, 0.5f, 1, 10, 5, {400, 200, 0},
     {{Art::FEST, {80, 30, 0}, {}}, {Art::KLOTZ, {60, 20, 0}, {}, true, true}},
     {{{160, 140, 0}, {80, 30, 0}}, {{1, 2, 0}, {60, 20, 0}}}},
    {"Zeile_mitte_feste_Position_zaehlt_beim_Vorruecken", 0, 0.5f, 0, 0, 0, {300, 100, 0},
     {{Art::KLOTZ, {50, 10, 0}, {}, true, true}, {Art::KLOTZ, {50, 10, 0}, {}}},
     {{{1, 2, 0}, {50, 10, 0}}, {{150, 0, 0}, {50, 10, 0}}}},
};

class Layout : public GuiTest, public ::testing::WithParamInterface<LayoutFall> {};

TEST_P(Layout, PositionenUndGespeicherteGroessen) {
  const LayoutFall& fall = GetParam();
  TEigenschaften stil;
  Gui::SetzeStil(stil, "text.groesse.x", 220);
  Gui::SetzeStil(stil, "text.groesse.y", 36);
  Gui::SetzeStil(stil, "button.groesse.x", 220);
  Gui::SetzeStil(stil, "button.groesse.y", 44);
  auto oberflaeche = NeueOberflaeche(1000, 1000, stil);
  auto* container = new Gui::VaterBasis();
  container->SetLayout(new Gui::Anordnung{fall.art, fall.ausrichtungX, fall.ausrichtungY});
  container->SetGroesse(fall.container, false);
  Gui::SetzeStil(container->eigenschaften, "elmAbstand.x", fall.abstandX);
  Gui::SetzeStil(container->eigenschaften, "elmAbstand.y", fall.abstandY);
  oberflaeche->FuegeHinzu(container);
  std::vector<Gui::Basis*> kinder;
  for (const KindVorgabe& v : fall.kinder) {
    kinder.push_back(BaueKind(v));
    container->FuegeHinzu(kinder.back());
    kinder.back()->SetSichtbar(v.sichtbar);
  }
  EinTick();
  ASSERT_EQ(kinder.size(), fall.erwartet.size());
  for (size_t i = 0; i < kinder.size(); ++i) {
    SCOPED_TRACE("Kind " + std::to_string(i));
    const Erwartet& e = fall.erwartet[i];
    EXPECT_NEAR(kinder[i]->Position().x, e.position.x, 1e-3);
    EXPECT_NEAR(kinder[i]->Position().y, e.position.y, 1e-3);
    EXPECT_NEAR(kinder[i]->GespeicherteGroesse().x, e.groesse.x, 1e-3);
    EXPECT_NEAR(kinder[i]->GespeicherteGroesse().y, e.groesse.y, 1e-3);
  }
}

INSTANTIATE_TEST_SUITE_P(Faelle, Layout, ::testing::ValuesIn(LAYOUT_FAELLE),
                         [](const auto& info) { return std::string(info.param.name); });

using LayoutGroesse = GuiTest;

// The layout size counts hidden children; other arts give (0, 0, 0); no layout gives 100 x 40.
TEST_F(LayoutGroesse, ZeileSpalteAndereArtUndOhneLayout) {
  auto oberflaeche = NeueOberflaeche(800, 600);
  oberflaeche->SetGuiSkalierung(2);
  auto* c = new Gui::VaterBasis();
  Gui::SetzeStil(c->eigenschaften, "elmAbstand.x", 3);
  Gui::SetzeStil(c->eigenschaften, "elmAbstand.y", 4);
  oberflaeche->FuegeHinzu(c);
  EXPECT_EQ(c->GetGroesse(), (BVektor3<float>{100, 40, 0})) << "no layout: unscaled default";
  auto* a = new Klotz(10, 20);
  auto* b = new Klotz(30, 5);
  c->FuegeHinzu(a);
  c->FuegeHinzu(b);
  b->SetSichtbar(false);

  struct Fall {
    uint32_t art;
    BVektor3<float> groesse;
  } faelle[] = {
      // Row: ax + sum(ax + w) = 6 + (6 + 20) + (6 + 60); height 2 ay + max h = 16 + 40.
      {0, {98, 56, 0}},
      // Column: width 2 ax + max w = 12 + 60; height ay + sum(ay + h) = 8 + (8 + 40) + (8 + 10).
      {1, {72, 74, 0}},
      {2, {0, 0, 0}},
  };
  for (const Fall& f : faelle) {
    c->SetLayout(new Gui::Anordnung{f.art, 0, 0});
    EXPECT_EQ(c->GetGroesse(), f.groesse) << "art " << f.art;
  }
  EinTick();
}

using Stil = GuiTest;

TEST_F(Stil, WertTabelle) {
  TEigenschaften stil;
  Gui::SetzeStil(stil, "klotz.groesse.x", 120);
  Gui::SetzeStil(stil, "global", 7);
  Gui::SetzeStil(stil, "beide", 1);
  stil.kinder["ganz"].Setze(int32_t(-3));
  stil.kinder["vorzeichenlos"].Setze(uint32_t(9));
  stil.kinder["wort"].Setze(std::string("12"));
  auto oberflaeche = NeueOberflaeche(800, 600, stil);
  auto* k = new Klotz(0, 0);
  k->eigenschaften = {};  // style sizes from the surface only
  Gui::SetzeStil(k->eigenschaften, "beide", 2);
  oberflaeche->FuegeHinzu(k);

  struct Fall {
    const char* schluessel;
    float erwartet;
  } faelle[] = {
      {"beide", 2},           // own properties beat the surface
      {"global", 7},          // the surface beats the default
      {"fehlt", -1},          // the default
      {"ganz", -3},           // an int node is read
      {"vorzeichenlos", 9},   // an unsigned int too
      {"wort", -1},           // a string node counts as absent
      {"klotz", -1},          // a node without a value too
      {"klotz.groesse.x.", 120},  // an empty rest is the node itself
  };
  for (const Fall& f : faelle) EXPECT_EQ(k->StilWert(f.schluessel, -1), f.erwartet) << f.schluessel;
  EXPECT_EQ(k->EigenerStilWert("global", -1), -1) << "own properties only";
  EXPECT_EQ(k->EigenerStilWert("beide", -1), 2);

  // 120 at scale 1.5 gives 180; no key gives 100 x 40 times the scale.
  oberflaeche->SetGuiSkalierung(1.5f);
  EXPECT_EQ(k->GetGroesse(), (BVektor3<float>{180, 60, 0}));
  auto* ohne = new Gui::Button("ohne");
  oberflaeche->FuegeHinzu(ohne);
  EXPECT_EQ(ohne->GetGroesse(), (BVektor3<float>{150, 60, 0}));
  EinTick();
}

// The path is strict: a vector stored on "elmAbstand" is not "elmAbstand.x".
TEST_F(Stil, VektorAufElmAbstandWirdNichtGelesen) {
  auto oberflaeche = NeueOberflaeche(800, 600);
  auto* c = new Gui::VaterBasis();
  c->eigenschaften.kinder["elmAbstand"].Setze(TVektor{5, 5, 5});
  c->SetLayout(new Gui::Anordnung{0, 0, 0});
  oberflaeche->FuegeHinzu(c);
  c->FuegeHinzu(new Klotz(10, 10));
  EXPECT_EQ(c->GetGroesse(), (BVektor3<float>{10, 10, 0}));
  Gui::SetzeStil(c->eigenschaften, "elmAbstand.x", 5);
  EXPECT_EQ(c->GetGroesse(), (BVektor3<float>{20, 10, 0}));
  EinTick();
}

TEST_F(Stil, SetzeStilLegtDieKnotenEntlangDesPfadsAn) {
  TEigenschaften wurzel;
  Gui::SetzeStil(wurzel, "a.b.c", 2.5f);
  Gui::SetzeStil(wurzel, "a.b", 1);
  const TEigenschaften* c = Gui::SucheStil(wurzel, "a.b.c");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->name, "c");
  EXPECT_EQ(Gui::LiesStilZahl(wurzel, "a.b.c"), 2.5f);
  EXPECT_EQ(Gui::LiesStilZahl(wurzel, "a.b"), 1.0f);
  EXPECT_EQ(Gui::LiesStilZahl(wurzel, "a"), std::nullopt);
  EXPECT_EQ(Gui::SucheStil(wurzel, "a.x"), nullptr);
  EXPECT_EQ(Gui::SucheStil(wurzel, ""), &wurzel);
}

using Groesse = GuiTest;

// Within 0.001 (squared) nothing changes, not even the flag; outside it the flag is taken and
// a fixed size clears the stretch. The style size stays what an auto-sized widget reports.
TEST_F(Groesse, TotzoneUndStilgroesseNachDehnung) {
  auto oberflaeche = NeueOberflaeche(400, 100);
  oberflaeche->SetLayout(new Gui::Anordnung{0, 0, 0});
  auto* k = new Klotz(50, 20);
  k->dehnung = {1, 1, 0};
  oberflaeche->FuegeHinzu(k);
  EinTick();
  EXPECT_EQ(k->GespeicherteGroesse(), (BVektor3<float>{400, 100, 0})) << "stretched by the layout";
  EXPECT_EQ(k->GetGroesse(), (BVektor3<float>{50, 20, 0})) << "still the style size";
  EXPECT_TRUE(k->IstAutoGroesse());

  k->SetGroesse({400.02f, 100.02f, 0}, false);
  EXPECT_TRUE(k->IstAutoGroesse()) << "inside the dead band";
  EXPECT_EQ(k->dehnung, (BVektor3<float>{1, 1, 0}));
  EXPECT_FALSE(oberflaeche->HatLayoutAusstehend());

  k->SetGroesse({30, 30, 0}, false);
  EXPECT_FALSE(k->IstAutoGroesse());
  EXPECT_EQ(k->dehnung, (BVektor3<float>{0, 0, 0}));
  EXPECT_EQ(k->GetGroesse(), (BVektor3<float>{30, 30, 0}));
  EXPECT_TRUE(oberflaeche->HatLayoutAusstehend()) << "a fixed size asks for a layout";
  EinTick();
}

using SeiteDehnung = GuiTest;

TEST_F(SeiteDehnung, FolgtDenKindern) {
  auto oberflaeche = NeueOberflaeche(400, 300);
  auto* seite = new Gui::Seite(1, {0.2f, 0.3f, 0.4f});
  oberflaeche->FuegeHinzu(seite);
  EXPECT_EQ(seite->dehnung, (BVektor3<float>{0.2f, 0.3f, 0.4f})) << "the constructor's value until a child arrives";
  ASSERT_NE(seite->GibAnordnung(), nullptr);
  EXPECT_EQ(seite->GibAnordnung()->art, 1u);
  EXPECT_EQ(seite->GibAnordnung()->ausrichtungX, 0.5f);
  auto* a = new Klotz(1, 1);
  a->dehnung = {0.5f, 0, 0};
  auto* b = new Klotz(1, 1);
  b->dehnung = {0, 1, 0};
  seite->FuegeHinzu(a);
  seite->FuegeHinzu(b);
  EXPECT_EQ(seite->dehnung, (BVektor3<float>{0.5f, 1, 0}));
  seite->Entferne(b);
  EXPECT_EQ(seite->dehnung, (BVektor3<float>{0.5f, 0, 0}));
  delete b;
  Klotz fremd(1, 1);
  seite->dehnung = {9, 9, 9};
  seite->Entferne(&fremd);
  EXPECT_EQ(seite->dehnung, (BVektor3<float>{0.5f, 0, 0})) << "recomputed after a stranger's removal too";
  EinTick();
}

}  // namespace
