// Event routing of the surface: key codes, focus chain and hover, hotkey lists, double clicks,
// modal pages, directional focus navigation and key repeat as the input bridge delivers it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Button.h"
#include "EingabeZeile.h"
#include "GuiHilfen.h"
#include "Hinweis.h"
#include "Renderer.h"
#include "Text.h"

using namespace guihilfen;
using Gui::Taste::ESCAPE;
using Gui::Taste::KLICK;
using Gui::TastenZustand::GEDRUECKT;
using Gui::TastenZustand::LOSGELASSEN;

namespace {

// A focusable container that records the events it receives ("name art detail") and handles
// them when asked to.
class Horcher : public Gui::VaterBasis {
 public:
  Horcher(std::string name_, std::vector<std::string>& protokoll_, bool behandelt_ = false)
      : name(std::move(name_)), protokoll(protokoll_), behandelt(behandelt_) {}
  bool IstFokussierbar() const override { return true; }
  void BeiTaste(Gui::BasisEreignis& e) override {
    auto& t = dynamic_cast<Gui::TasteEreignis&>(e);
    Nimm("taste " + std::to_string(t.code) + (t.IstDruck() ? "+" : "-") + (t.doppelKlick ? "d" : ""), e);
  }
  void BeiUnicode(Gui::BasisEreignis& e) override {
    Nimm("zeichen " + std::to_string(dynamic_cast<Gui::UnicodeEreignis&>(e).zeichen), e);
  }
  void BeiFokus(Gui::BasisEreignis& e) override {
    auto& f = dynamic_cast<Gui::FokusEreignis&>(e);
    if (f.komponente == this) Gui::Basis::BeiFokus(e);  // records the state, marks it handled
    e.behandelt = false;
    Nimm(std::string("fokus ") + (f.erhalten ? "+" : "-") + Gui::Basis::GetTyp(), e);
  }
  void BeiMausBewegung(Gui::BasisEreignis& e) override { Nimm("maus", e); }

 private:
  void Nimm(const std::string& text, Gui::BasisEreignis& e) {
    protokoll.push_back(name + " " + text);
    if (behandelt) e.SetzeBehandelt();
  }

  std::string name;
  std::vector<std::string>& protokoll;
  bool behandelt;
};

Gui::Button* NeuerButton(Gui::VaterBasis& vater, const char* name, BVektor3<float> position, int& klicks) {
  auto* b = new Gui::Button(name);
  b->SetPosition(position, false);
  b->SetGroesse({100, 40, 0}, false);
  b->beiKlick = [&klicks] { ++klicks; };
  vater.FuegeHinzu(b);
  return b;
}


// ---- Key codes ----------------------------------------------------------------------------------

// A page with a text line "abc" (cursor at its end), a button A with hotkey 266 to its right, a
// button B below and a button C whose hotkey the case sets.
struct TastenSzene {
  std::unique_ptr<Gui::Oberflaeche> o = NeueOberflaeche(800, 600);
  Gui::VaterBasis* seite = NeueSeite(*o, {0, 0, 0}, {800, 600, 0});
  Gui::EingabeZeile* zeile = nullptr;
  Gui::Button* a = nullptr;
  Gui::Button* b = nullptr;
  Gui::Button* c = nullptr;
  int klicksA = 0, klicksB = 0, klicksC = 0, bestaetigt = 0;

  TastenSzene() {
    zeile = new Gui::EingabeZeile(0, "abc");
    zeile->SetGroesse({200, 40, 0}, false);
    zeile->beiBestaetigung = [this](const std::string&) { ++bestaetigt; };
    seite->FuegeHinzu(zeile);
    a = NeuerButton(*seite, "A", {300, 0, 0}, klicksA);
    a->SetTaste(ESCAPE);
    b = NeuerButton(*seite, "B", {0, 100, 0}, klicksB);
    c = NeuerButton(*seite, "C", {600, 300, 0}, klicksC);
    EinTick();
  }
  ~TastenSzene() { EinTick(); }
  void Maus(BVektor3<float> p) { o->SetMausPosition(p); }
  // Focus on the line by a mouse press on it, which freezes the hover.
  void ZeileEingefroren() {
    Maus(Mitte(*zeile));
    o->VerarbeiteTaste(Gui::Taste::MAUS_1, GEDRUECKT);
    o->VerarbeiteTaste(Gui::Taste::MAUS_1, LOSGELASSEN);
  }
  void Druck(uint64_t code) {
    o->VerarbeiteTaste(code, GEDRUECKT);
    o->VerarbeiteTaste(code, LOSGELASSEN);
  }
};

struct Schritt_ {
  uint64_t code;
  uint32_t zustand;  // 0: a mouse move to `maus`
  BVektor3<float> maus{};
};
Schritt_ D(uint64_t code) { return {code, GEDRUECKT}; }
Schritt_ L(uint64_t code) { return {code, LOSGELASSEN}; }
Schritt_ M(float x, float y) { return {0, 0, {x, y, 0}}; }

enum class Wer { ZEILE, A, B, C, SEITE, OBERFLAECHE, KEINER };

struct TastenFall {
  const char* name;
  void (*aufbau)(TastenSzene&);
  std::vector<Schritt_> schritte;
  std::optional<Wer> fokus{};
  std::optional<Wer> hover{};
  std::optional<bool> eingefroren{};
  std::optional<std::string> text{};
  int klicksA = 0, klicksB = 0, klicksC = 0, bestaetigt = 0;
};

Gui::Basis* Zeiger(TastenSzene& s, Wer w) {
  switch (w) {
    case Wer::ZEILE: return s.zeile;
    case Wer::A: return s.a;
    case Wer::B: return s.b;
    case Wer::C: return s.c;
    case Wer::SEITE: return s.seite;
    case Wer::OBERFLAECHE: return s.o.get();
    case Wer::KEINER: return nullptr;
  }
  return nullptr;
}

void MausAufA(TastenSzene& s) { s.Maus(Mitte(*s.a)); }
void ZeileFokus(TastenSzene& s) { s.o->SetFokus(s.zeile); }
void ZeileEingefrorenMausAufA(TastenSzene& s) {
  s.ZeileEingefroren();
  s.Maus(Mitte(*s.a));  // frozen: the hover stays on the line
}
void Nichts(TastenSzene&) {}
void CMitTaste271(TastenSzene& s) {
  s.c->SetTaste(271);
  s.o->SetFokus(s.c);
}
void CMitTaste2hoch63(TastenSzene& s) {
  s.c->SetTaste(uint64_t(1) << 63);
  s.o->SetFokus(s.c);
}
void CMitTaste270(TastenSzene& s) {
  s.c->SetTaste(Gui::Taste::KEINE);
  s.o->SetFokus(s.c);
}

const uint64_t ZUSATZ = Gui::Taste::ZUSATZ, RUECK = Gui::Taste::RUECKSCHRITT, ENTF = Gui::Taste::ENTFERNEN;

const TastenFall TASTEN_FAELLE[] = {
    {"Maus1_gehalten_haelt_Hover", MausAufA, {D(256), M(700, 500)}, Wer::A, Wer::A, {}, {}, 1},
    {"Maus2_gehalten_haelt_Hover", MausAufA, {D(257), M(700, 500)}, Wer::A, Wer::A},
    {"Maus3_gehalten_haelt_Hover", MausAufA, {D(258), M(700, 500)}, Wer::A, Wer::A},
    {"Maus2_losgelassen_gibt_Hover_frei", MausAufA, {D(257), L(257), M(700, 500)}, Wer::KEINER, Wer::SEITE},
    {"Zeile_friert_Hover_ein", ZeileFokus, {M(50, 20), D(256), M(350, 20)}, Wer::ZEILE, Wer::ZEILE, true},
    {"Maus1_taut_auf_und_klickt_unter_der_Maus", ZeileEingefrorenMausAufA, {D(256)}, Wer::A, Wer::A, false, {}, 1},
    {"Maus2_taut_auf", ZeileEingefrorenMausAufA, {D(257)}, Wer::A, Wer::A, false},
    {"Maus3_taut_auf", ZeileEingefrorenMausAufA, {D(258)}, Wer::A, Wer::A, false},
    {"Hoch_taut_auf", ZeileEingefrorenMausAufA, {D(261)}, {}, {}, false},
    {"Runter_taut_auf", ZeileEingefrorenMausAufA, {D(262)}, {}, {}, false},
    {"Links_von_der_Zeile_behandelt_bleibt_eingefroren", ZeileEingefrorenMausAufA, {D(264)}, Wer::ZEILE, Wer::ZEILE, true},
    {"Rechts_am_Ende_taut_auf", ZeileEingefrorenMausAufA, {D(263)}, {}, {}, false},
    {"Pfeil_von_der_Zeile_behandelt_navigiert_nicht", ZeileFokus, {D(264), L(264), D(263)}, Wer::ZEILE, {}, {}, "abc"},
    {"Pfeil_unbehandelt_navigiert", ZeileFokus, {D(263)}, Wer::A},
    {"Pfeil_losgelassen_navigiert_nicht", ZeileFokus, {L(263)}, Wer::ZEILE},
    {"Klick_klickt_den_Button", MausAufA, {D(KLICK), L(KLICK)}, Wer::A, {}, {}, {}, 1},
    {"Klick_bestaetigt_die_Zeile", ZeileFokus, {D(KLICK), L(KLICK)}, Wer::ZEILE, {}, {}, {}, 0, 0, 0, 1},
    {"Klick_taut_die_Zeile_auf_und_bestaetigt", ZeileEingefrorenMausAufA, {D(KLICK)}, {}, {}, false, {}, 0, 0, 0, 1},
    {"Escape_feuert_den_Hotkey_266", Nichts, {D(ESCAPE), L(ESCAPE)}, Wer::KEINER, {}, {}, {}, 1},
    {"Escape_taut_auf_statt_des_Hotkeys", ZeileEingefrorenMausAufA, {D(ESCAPE)}, {}, {}, false, {}, 0},
    {"Rueckschritt_loescht_ein_Zeichen", ZeileFokus, {D(RUECK), L(RUECK)}, Wer::ZEILE, {}, {}, "ab"},
    {"Rueckschritt_mit_Zusatz_loescht_bis_zum_Anfang", ZeileFokus, {D(ZUSATZ), D(RUECK)}, Wer::ZEILE, {}, {}, ""},
    {"Zusatz_losgelassen_loescht_eines", ZeileFokus, {D(ZUSATZ), L(ZUSATZ), D(RUECK)}, Wer::ZEILE, {}, {}, "ab"},
    {"Entfernen_am_Ende_unbehandelt", ZeileFokus, {D(ENTF)}, Wer::ZEILE, {}, {}, "abc"},
    {"Entfernen_loescht_nach_dem_Cursor", ZeileFokus, {D(264), D(264), D(ENTF)}, Wer::ZEILE, {}, {}, "ac"},
    {"Entfernen_mit_Zusatz_loescht_bis_zum_Ende", ZeileFokus, {D(264), D(264), D(ZUSATZ), D(ENTF)}, Wer::ZEILE, {}, {}, "a"},
    {"Code_270_ignoriert", CMitTaste270, {D(270), L(270)}, Wer::C},
    {"Code_271_ignoriert", CMitTaste271, {D(271), L(271)}, Wer::C},
    {"Code_2hoch63_ignoriert", CMitTaste2hoch63, {D(uint64_t(1) << 63)}, Wer::C},
};

class Tastencodes : public GuiTest, public ::testing::WithParamInterface<TastenFall> {};

TEST_P(Tastencodes, Wirkung) {
  const TastenFall& fall = GetParam();
  TastenSzene s;
  fall.aufbau(s);
  for (const Schritt_& schritt : fall.schritte) {
    if (schritt.zustand == 0) s.Maus(schritt.maus);
    else s.o->VerarbeiteTaste(schritt.code, schritt.zustand);
  }
  if (fall.fokus) {
    EXPECT_EQ(s.o->Fokus(), Zeiger(s, *fall.fokus)) << "focus";
  }
  if (fall.hover) {
    EXPECT_EQ(s.o->Hover(), Zeiger(s, *fall.hover)) << "hover";
  }
  if (fall.eingefroren) {
    EXPECT_EQ(s.o->HoverEingefroren(), *fall.eingefroren);
  }
  if (fall.text) {
    EXPECT_EQ(s.zeile->GibText(), *fall.text);
  }
  EXPECT_EQ(s.klicksA, fall.klicksA);
  EXPECT_EQ(s.klicksB, fall.klicksB);
  EXPECT_EQ(s.klicksC, fall.klicksC);
  EXPECT_EQ(s.bestaetigt, fall.bestaetigt);
}

INSTANTIATE_TEST_SUITE_P(Faelle, Tastencodes, ::testing::ValuesIn(TASTEN_FAELLE),
                         [](const auto& info) { return std::string(info.param.name); });

// Codes from 270 on leave no state, register nothing and reach no list.
TEST_F(Tastencodes, AusserhalbDerTabelleKeinZustandUndKeineListe) {
  TastenSzene s;
  for (uint64_t code : {uint64_t(270), uint64_t(271), uint64_t(1) << 63}) {
    s.o->VerarbeiteTaste(code, GEDRUECKT);
    EXPECT_EQ(s.o->TastenZustandVon(code), 0u) << code;
    s.o->RegistriereTaste(code, s.b);
    EXPECT_TRUE(s.o->TastenListe(code).empty()) << code;
    s.o->EntferneTaste(code, s.b);
    s.c->SetTaste(code);
    EXPECT_EQ(s.c->GibTaste(), code) << "stored";
  }
  s.o->VerarbeiteTaste(Gui::Taste::ZUSATZ, GEDRUECKT);
  EXPECT_EQ(s.o->TastenZustandVon(Gui::Taste::ZUSATZ), 3u);
  s.o->VerarbeiteTaste(Gui::Taste::ZUSATZ, LOSGELASSEN);
  EXPECT_EQ(s.o->TastenZustandVon(Gui::Taste::ZUSATZ), 4u);
}

// ---- Focus chain and hover ----------------------------------------------------------------------

using FokusKette = GuiTest;

TEST_F(FokusKette, StopptBeimErstenBehandlerUndSendetVerlorenVorErhalten) {
  std::vector<std::string> p;
  auto o = NeueOberflaeche(800, 600);
  auto* oben = new Horcher("oben", p);
  auto* mitte = new Horcher("mitte", p, true);
  auto* blatt1 = new Horcher("blatt1", p);
  auto* blatt2 = new Horcher("blatt2", p);
  o->FuegeHinzu(oben);
  oben->FuegeHinzu(mitte);
  mitte->FuegeHinzu(blatt1);
  oben->FuegeHinzu(blatt2);
  EinTick();

  o->SetFokus(blatt1);
  EXPECT_EQ(p, (std::vector<std::string>{"blatt1 fokus +", "mitte fokus +"})) << "mitte handles it";
  EXPECT_TRUE(blatt1->IstFokussiert());
  EXPECT_FALSE(mitte->IstFokussiert()) << "only the widget the event names records the focus";
  p.clear();
  o->VerarbeiteTaste(30, GEDRUECKT);
  EXPECT_EQ(p, (std::vector<std::string>{"blatt1 taste 30+", "mitte taste 30+"}));
  p.clear();
  Gui::UnicodeEreignis zeichen('x');
  o->VerteileEreignis(zeichen);
  EXPECT_EQ(p, (std::vector<std::string>{"blatt1 zeichen 120", "mitte zeichen 120"}));
  p.clear();
  o->SetFokus(blatt2);
  EXPECT_EQ(p, (std::vector<std::string>{"blatt1 fokus -", "mitte fokus -", "blatt2 fokus +", "oben fokus +"}));
  EXPECT_FALSE(blatt1->IstFokussiert());
  EXPECT_TRUE(blatt2->IstFokussiert());
  p.clear();
  o->SetFokus(blatt2);
  EXPECT_TRUE(p.empty()) << "focusing the focused widget does nothing";
  o->SetFokus(o.get());
  EXPECT_EQ(o->Fokus(), nullptr) << "the surface is not focusable";
  EinTick();
}

TEST_F(FokusKette, OhneFokusNichtsUndEinAbgehaengtesZielBekommtIhnNicht) {
  std::vector<std::string> p;
  auto o = NeueOberflaeche(800, 600);
  Gui::UnicodeEreignis zeichen('x');
  o->VerteileEreignis(zeichen);
  EXPECT_FALSE(zeichen.behandelt);
  Horcher lose("lose", p);
  o->SetFokus(&lose);
  EXPECT_EQ(o->Fokus(), nullptr) << "a widget of no surface";
  EXPECT_TRUE(p.empty());
  EinTick();
}

// The hover rules: (hovered before, hit) -> (hovered, focus). G holds the focus (set directly)
// before the last move, so a rule that leaves the focus alone shows as G.
enum class Ziel { KEINER, F, F2, N, FLAECHE, AUSSEN, G };

struct HoverFall {
  const char* name;
  Ziel vorher;  // KEINER: a fresh surface
  Ziel treffer;
  Ziel hover;
  Ziel fokus;
};

const HoverFall HOVER_FAELLE[] = {
    {"keiner_auf_Fokussierbar", Ziel::KEINER, Ziel::F, Ziel::F, Ziel::F},
    {"keiner_auf_Nicht_Fokussierbar_Fokus_bleibt", Ziel::KEINER, Ziel::N, Ziel::N, Ziel::G},
    {"keiner_auf_Nichts_aendert_nichts", Ziel::KEINER, Ziel::AUSSEN, Ziel::KEINER, Ziel::G},
    {"Fokussierbar_auf_Nicht_Fokussierbar_nimmt_Fokus", Ziel::F, Ziel::N, Ziel::N, Ziel::KEINER},
    {"Fokussierbar_auf_Fokussierbar", Ziel::F, Ziel::F2, Ziel::F2, Ziel::F2},
    {"Fokussierbar_auf_leere_Flaeche_nimmt_Fokus", Ziel::F, Ziel::FLAECHE, Ziel::FLAECHE, Ziel::KEINER},
    {"Fokussierbar_auf_Nichts_nimmt_Fokus", Ziel::F, Ziel::AUSSEN, Ziel::KEINER, Ziel::KEINER},
    {"Fokussierbar_auf_sich_selbst_aendert_nichts", Ziel::F, Ziel::F, Ziel::F, Ziel::G},
    {"Nicht_Fokussierbar_auf_Fokussierbar", Ziel::N, Ziel::F, Ziel::F, Ziel::F},
    {"Nicht_Fokussierbar_auf_leere_Flaeche_nimmt_Fokus", Ziel::N, Ziel::FLAECHE, Ziel::FLAECHE, Ziel::KEINER},
    {"Nicht_Fokussierbar_auf_Nichts_Fokus_bleibt", Ziel::N, Ziel::AUSSEN, Ziel::KEINER, Ziel::G},
};

class Hover : public GuiTest, public ::testing::WithParamInterface<HoverFall> {};

TEST_P(Hover, RegelnDerFokusFolgtDerMaus) {
  const HoverFall& fall = GetParam();
  auto o = NeueOberflaeche(800, 600);
  int klicks = 0;
  Gui::Button* f = NeuerButton(*o, "F", {0, 0, 0}, klicks);
  Gui::Button* f2 = NeuerButton(*o, "F2", {0, 100, 0}, klicks);
  Gui::Button* g = NeuerButton(*o, "G", {0, 200, 0}, klicks);
  auto* n = new Gui::Text("N", 0);
  n->SetPosition({200, 0, 0}, false);
  n->SetGroesse({100, 40, 0}, false);
  o->FuegeHinzu(n);
  EinTick();
  auto ort = [&](Ziel z) -> BVektor3<float> {
    switch (z) {
      case Ziel::F: return Mitte(*f);
      case Ziel::F2: return Mitte(*f2);
      case Ziel::N: return Mitte(*n);
      case Ziel::FLAECHE: return {700, 500, 0};
      default: return {-50, -50, 0};
    }
  };
  auto zeiger = [&](Ziel z) -> Gui::Basis* {
    switch (z) {
      case Ziel::F: return f;
      case Ziel::F2: return f2;
      case Ziel::N: return n;
      case Ziel::G: return g;
      case Ziel::FLAECHE: return o.get();
      default: return nullptr;
    }
  };
  if (fall.vorher != Ziel::KEINER) o->SetMausPosition(ort(fall.vorher));
  ASSERT_EQ(o->Hover(), zeiger(fall.vorher));
  o->SetFokus(g);
  o->SetMausPosition(ort(fall.treffer));
  EXPECT_EQ(o->Hover(), zeiger(fall.hover));
  EXPECT_EQ(o->Fokus(), zeiger(fall.fokus));
  EinTick();
}

INSTANTIATE_TEST_SUITE_P(Faelle, Hover, ::testing::ValuesIn(HOVER_FAELLE),
                         [](const auto& info) { return std::string(info.param.name); });

// A mouse move reaches the focus chain; one that does not move and moves no focus does not.
TEST_F(FokusKette, MausBewegungGehtAnDieFokusKette) {
  std::vector<std::string> p;
  auto o = NeueOberflaeche(800, 600);
  auto* h = new Horcher("h", p);
  h->SetGroesse({100, 100, 0}, false);
  o->FuegeHinzu(h);
  EinTick();
  o->SetMausPosition({10, 10, 0});
  EXPECT_EQ(p, (std::vector<std::string>{"h fokus +", "h maus"}));
  EXPECT_EQ(o->MausDelta(), (BVektor3<float>{10, 10, 0}));
  p.clear();
  const TZeit eingabe = o->LetzteEingabe();
  Schritt(1);
  o->SetMausPosition({10, 10, 0});
  EXPECT_TRUE(p.empty());
  EXPECT_EQ(o->LetzteEingabe(), eingabe) << "no move is no input";
  o->SetMausPosition({12, 10, 0});
  EXPECT_EQ(p, (std::vector<std::string>{"h maus"}));
  EXPECT_EQ(o->LetzteEingabe(), g_Zeit.zeit);
  EinTick();
}

// ---- Hotkey lists -------------------------------------------------------------------------------

using TastenListe = GuiTest;

TEST_F(TastenListe, NeuesteZuerstNurDerErsteBerechtigteUndDerHotkeyFolgtDemVater) {
  auto o = NeueOberflaeche(800, 600);
  Gui::VaterBasis* seite = NeueSeite(*o, {0, 0, 0}, {800, 600, 0});
  int klicksX = 0, klicksY = 0;
  Gui::Button* x = NeuerButton(*seite, "X", {0, 0, 0}, klicksX);
  Gui::Button* y = NeuerButton(*seite, "Y", {0, 100, 0}, klicksY);
  x->SetTaste(16);
  y->SetTaste(16);
  o->RegistriereTaste(16, y);
  EXPECT_EQ(o->TastenListe(16), (std::vector<Gui::Basis*>{x, y})) << "a repeat registration is stored once";
  o->RegistriereTaste(16, x);
  o->RegistriereTaste(16, y);
  EXPECT_EQ(o->TastenListe(16), (std::vector<Gui::Basis*>{x, y, x, y}));
  o->EntferneTaste(16, y);
  o->EntferneTaste(16, x);
  x->SetTaste(16);
  y->SetTaste(16);
  EXPECT_EQ(o->TastenListe(16), (std::vector<Gui::Basis*>{x, y}));
  EinTick();

  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksY, 1) << "newest first";
  EXPECT_EQ(klicksX, 0);
  y->SetSichtbar(false);
  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksX, 1) << "a hidden widget is passed over";
  y->SetSichtbar(true);
  y->SetAktiv(false);
  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksY, 2) << "an inactive button still takes its hotkey";

  // The first eligible widget gets the key even when it does not handle it.
  auto* text = new Gui::Text("t", 0);
  seite->FuegeHinzu(text);
  o->RegistriereTaste(16, text);
  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksX + klicksY, 3);
  o->EntferneTaste(16, text);

  // A hidden parent hides the widget; a modal page above blocks it.
  seite->SetSichtbar(false);
  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksX + klicksY, 3);
  seite->SetSichtbar(true);
  auto* modal = new ModalSeite();
  o->FuegeHinzu(modal);
  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksX + klicksY, 3);
  delete modal;

  // Moved to another container, the hotkey follows and is the newest again.
  Gui::VaterBasis* andere = NeueSeite(*o, {0, 0, 0}, {10, 10, 0});
  andere->FuegeHinzu(x);
  EXPECT_EQ(o->TastenListe(16), (std::vector<Gui::Basis*>{y, x}));
  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksX, 2);
  x->SetTaste(17);
  EXPECT_EQ(o->TastenListe(16), (std::vector<Gui::Basis*>{y}));
  EXPECT_EQ(o->TastenListe(17), (std::vector<Gui::Basis*>{x}));
  EinTick();
}

// Without a focused widget keys still reach the lists, and an arrow focuses the first focusable
// widget in tree order.
TEST_F(TastenListe, OhneFokusFeuernHotkeysUndEinPfeilFokussiertDenErsten) {
  auto o = NeueOberflaeche(800, 600);
  Gui::VaterBasis* seite = NeueSeite(*o, {0, 0, 0}, {800, 600, 0});
  int klicks = 0;
  auto* text = new Gui::Text("t", 0);
  seite->FuegeHinzu(text);
  Gui::Button* inaktiv = NeuerButton(*seite, "inaktiv", {0, 0, 0}, klicks);
  inaktiv->SetAktiv(false);
  Gui::Button* erster = NeuerButton(*seite, "erster", {400, 400, 0}, klicks);
  NeuerButton(*seite, "zweiter", {0, 200, 0}, klicks);
  erster->SetTaste(30);
  EinTick();
  o->VerarbeiteTaste(30, GEDRUECKT);
  EXPECT_EQ(klicks, 1);
  EXPECT_EQ(o->Fokus(), nullptr);
  o->VerarbeiteTaste(Gui::Taste::LINKS, GEDRUECKT);
  EXPECT_EQ(o->Fokus(), erster);
  EinTick();
}

// ---- Double clicks ------------------------------------------------------------------------------

struct DoppelFall {
  const char* name;
  float pause;            // seconds between the presses
  float versatz;          // mouse move in x between the presses
  uint64_t dazwischen;    // a code pressed in between (0: none)
  bool loslassen;         // the code released in between
  bool doppelt;
};

const DoppelFall DOPPEL_FAELLE[] = {
    {"schnell_und_still", 0.29f, 0, 0, true, true},
    {"ohne_Loslassen", 0.1f, 0, 0, false, true},
    {"zu_spaet", 0.3f, 0, 0, true, false},
    {"bewegt_unter_20", 0.1f, 19.9f, 0, true, true},
    {"bewegt_um_20", 0.1f, 20, 0, true, false},
    {"anderer_Code_dazwischen", 0.1f, 0, 31, true, false},
};

class DoppelKlick : public GuiTest, public ::testing::WithParamInterface<DoppelFall> {};

TEST_P(DoppelKlick, Flag) {
  const DoppelFall& fall = GetParam();
  std::vector<std::string> p;
  auto o = NeueOberflaeche(800, 600);
  auto* h = new Horcher("h", p, true);
  h->SetGroesse({800, 600, 0}, false);
  o->FuegeHinzu(h);
  EinTick();
  o->SetMausPosition({100, 100, 0});
  o->VerarbeiteTaste(30, GEDRUECKT);
  if (fall.loslassen) o->VerarbeiteTaste(30, LOSGELASSEN);
  if (fall.dazwischen) o->VerarbeiteTaste(fall.dazwischen, GEDRUECKT);
  o->SetMausPosition({100 + fall.versatz, 100, 0});
  Schritt(fall.pause);
  p.clear();
  o->VerarbeiteTaste(30, GEDRUECKT);
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0], fall.doppelt ? "h taste 30+d" : "h taste 30+");
  if (fall.doppelt) {
    // Repeated presses carry the flag.
    o->VerarbeiteTaste(30, GEDRUECKT);
    EXPECT_EQ(p.back(), "h taste 30+d");
  }
  EinTick();
}

INSTANTIATE_TEST_SUITE_P(Faelle, DoppelKlick, ::testing::ValuesIn(DOPPEL_FAELLE),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Modal pages --------------------------------------------------------------------------------

// A page S with button X (hotkey 16) and a modal page M with button Y; (visible, hidden,
// nested in a container with X's page, or with a tooltip above) against five ways of reaching X.
enum class ModalArt { SICHTBAR, VERSTECKT, VERSCHACHTELT, HINWEIS_DARUEBER };

struct ModalFall {
  const char* name;
  ModalArt art;
  Wer trefferInnen;  // A stands for Y here, B for X, SEITE for X's page
  Wer trefferAussen;
  bool hotkey;
  Wer ersterKandidat;
  bool fokusBleibt;
};

const ModalFall MODAL_FAELLE[] = {
    {"sichtbar", ModalArt::SICHTBAR, Wer::A, Wer::KEINER, false, Wer::A, false},
    {"versteckt", ModalArt::VERSTECKT, Wer::SEITE, Wer::KEINER, true, Wer::B, true},
    // The block ends the test inside the nesting container, which then is no hit; the test goes on
    // with the surface's other children and ends at the surface itself.
    {"verschachtelt", ModalArt::VERSCHACHTELT, Wer::A, Wer::OBERFLAECHE, false, Wer::A, false},
    {"mit_Hinweis_darueber", ModalArt::HINWEIS_DARUEBER, Wer::A, Wer::KEINER, false, Wer::A, false},
};

class Modal : public GuiTest, public ::testing::WithParamInterface<ModalFall> {};

TEST_P(Modal, BlockiertTrefferHotkeysKandidatenUndFokus) {
  const ModalFall& fall = GetParam();
  auto o = NeueOberflaeche(800, 600);
  Gui::VaterBasis* wurzel = o.get();
  if (fall.art == ModalArt::VERSCHACHTELT) wurzel = NeueSeite(*o, {0, 0, 0}, {800, 600, 0});
  Gui::VaterBasis* s = NeueSeite(*wurzel, {0, 0, 0}, {800, 600, 0});
  int klicksX = 0, klicksY = 0;
  Gui::Button* x = NeuerButton(*s, "X", {10, 10, 0}, klicksX);
  x->SetTaste(16);
  auto* m = new ModalSeite();
  m->SetPosition({300, 200, 0}, false);
  m->SetGroesse({200, 200, 0}, false);
  wurzel->FuegeHinzu(m);
  Gui::Button* y = NeuerButton(*m, "Y", {10, 10, 0}, klicksY);
  if (fall.art == ModalArt::VERSTECKT) m->SetSichtbar(false);
  if (fall.art == ModalArt::HINWEIS_DARUEBER) o->FuegeHinzu(new Gui::Hinweis("tip", y));
  EinTick();
  auto name = [&](Gui::Basis* w) -> Wer {
    if (w == y) return Wer::A;
    if (w == x) return Wer::B;
    if (w == s) return Wer::SEITE;
    if (w == o.get()) return Wer::OBERFLAECHE;
    return w ? Wer::C : Wer::KEINER;
  };

  EXPECT_EQ(name(o->TrefferTest(Mitte(*y))), fall.trefferInnen) << "hit inside";
  EXPECT_EQ(name(o->TrefferTest(Mitte(*x))), fall.trefferAussen) << "hit outside";
  o->VerarbeiteTaste(16, GEDRUECKT);
  EXPECT_EQ(klicksX, fall.hotkey ? 1 : 0) << "sibling's hotkey";
  o->VerarbeiteTaste(Gui::Taste::RUNTER, GEDRUECKT);
  EXPECT_EQ(name(o->Fokus()), fall.ersterKandidat) << "first navigation candidate";
  o->SetFokus(x);
  ASSERT_EQ(o->Fokus(), x);
  o->VerarbeiteTaste(50, GEDRUECKT);
  EXPECT_EQ(o->Fokus(), fall.fokusBleibt ? x : nullptr) << "focus check before a key";
  EXPECT_EQ(x->IstFokussiert(), fall.fokusBleibt) << "a dropped focus is told";
  EXPECT_EQ(klicksY, 0);
  EinTick();
}

INSTANTIATE_TEST_SUITE_P(Faelle, Modal, ::testing::ValuesIn(MODAL_FAELLE),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Directional navigation ---------------------------------------------------------------------

using Navigation = GuiTest;

// A 3 x 3 grid: every direction from every cell lands on the neighbour, wrapping at the edges.
TEST_F(Navigation, GitterAlleZellenAlleRichtungen) {
  auto o = NeueOberflaeche(500, 350);
  int klicks = 0;
  Gui::Button* zelle[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      zelle[r][c] = NeuerButton(*o, "z", {50.0f + 150 * c, 50.0f + 100 * r, 0}, klicks);
  EinTick();
  struct Richtung {
    uint64_t code;
    int dr, dc;
  } richtungen[] = {{261, -1, 0}, {262, 1, 0}, {263, 0, 1}, {264, 0, -1}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (const Richtung& d : richtungen) {
        o->SetFokus(zelle[r][c]);
        o->BewegeFokus(d.code);
        const int er = (r + d.dr + 3) % 3, ec = (c + d.dc + 3) % 3;
        EXPECT_EQ(o->Fokus(), zelle[er][ec]) << "from (" << r << "," << c << ") code " << d.code;
      }
  EinTick();
}

TEST_F(Navigation, UnerreichbareUndDeckungsgleicheEntscheidenNichts) {
  auto o = NeueOberflaeche(800, 600);
  int klicks = 0;
  Gui::VaterBasis* s = NeueSeite(*o, {0, 0, 0}, {800, 600, 0});
  NeuerButton(*s, "nah_aber_blockiert", {150, 100, 0}, klicks);
  auto* m = new ModalSeite();
  m->SetGroesse({800, 200, 0}, false);
  o->FuegeHinzu(m);
  Gui::Button* links = NeuerButton(*m, "links", {0, 100, 0}, klicks);
  Gui::Button* gleich = NeuerButton(*m, "gleich", {0, 100, 0}, klicks);
  Gui::Button* rechts = NeuerButton(*m, "rechts", {600, 100, 0}, klicks);
  EinTick();
  o->SetFokus(links);
  o->BewegeFokus(Gui::Taste::RECHTS);
  EXPECT_EQ(o->Fokus(), rechts) << "the blocked and the coincident candidate are passed over";
  o->BewegeFokus(Gui::Taste::RECHTS);
  EXPECT_EQ(o->Fokus(), links) << "wraps around to the first of the two at the left";
  (void)gleich;
  EinTick();
}

// ---- Key repeat as the input library delivers it: release + press pairs --------------------------

using Wiederholung = GuiTest;

TEST_F(Wiederholung, RueckschrittBisCursorNullDannUnbehandelt) {
  std::vector<std::string> p;
  auto o = NeueOberflaeche(800, 600);
  auto* h = new Horcher("vater", p);
  o->FuegeHinzu(h);
  auto* zeile = new Gui::EingabeZeile(0, "a\xC3\xA9");
  h->FuegeHinzu(zeile);
  EinTick();
  o->SetFokus(zeile);
  p.clear();
  o->VerarbeiteTaste(Gui::Taste::RUECKSCHRITT, GEDRUECKT);
  for (int i = 0; i < 3; ++i) {
    o->VerarbeiteTaste(Gui::Taste::RUECKSCHRITT, LOSGELASSEN);
    o->VerarbeiteTaste(Gui::Taste::RUECKSCHRITT, GEDRUECKT);
  }
  EXPECT_EQ(zeile->GibText(), "");
  // Repeated presses within 0.3 s carry the double-click flag.
  EXPECT_EQ(p, (std::vector<std::string>{"vater taste 267-", "vater taste 267+d", "vater taste 267-", "vater taste 267+d"}))
      << "at cursor 0 the key goes on to the parent";
  EinTick();
}

TEST_F(Wiederholung, HotkeyEinmalProDruckUndTextBisZumMaximum) {
  auto o = NeueOberflaeche(800, 600);
  int klicks = 0;
  Gui::Button* b = NeuerButton(*o, "b", {0, 0, 0}, klicks);
  b->SetTaste(30);
  auto* zeile = new Gui::EingabeZeile(0, "");
  o->FuegeHinzu(zeile);
  EinTick();
  o->VerarbeiteTaste(30, GEDRUECKT);
  for (int i = 0; i < 4; ++i) {
    o->VerarbeiteTaste(30, LOSGELASSEN);
    o->VerarbeiteTaste(30, GEDRUECKT);
  }
  EXPECT_EQ(klicks, 5);
  o->SetFokus(zeile);
  int aenderungen = 0;
  zeile->beiAenderung = [&](const std::string&) { ++aenderungen; };
  for (int i = 0; i < 15; ++i) {
    Gui::UnicodeEreignis e('x');
    o->VerteileEreignis(e);
  }
  EXPECT_EQ(zeile->GibText(), std::string(10, 'x'));
  EXPECT_EQ(aenderungen, 10);
  EinTick();
}

}  // namespace
