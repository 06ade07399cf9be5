// Callbacks that destroy widgets while the surface is routing: every route with every victim.
// After the deletion the surface names only live widgets, and a round of further input, clock
// steps and a frame touch nothing freed (run under ASan).
#include <gtest/gtest.h>

#include <string>

#include "Button.h"
#include "EingabeZeile.h"
#include "GuiAufzeichner.h"
#include "GuiBaum.h"
#include "GuiHilfen.h"
#include "Seite.h"
#include "ZahlEingabe.h"

using namespace guihilfen;
using Gui::TastenZustand::GEDRUECKT;
using Gui::TastenZustand::LOSGELASSEN;

namespace {

enum class Weg {
  FOKUS_TASTE,     // the focused button's onClick, by code 265
  TASTEN_LISTE,    // a hotkey button's onClick
  ZEICHEN,         // the focused text line's onChange, by a character
  FOKUS_WECHSEL,   // the focused button's onFocus(false), when SetFokus moves on
  MAUS,            // a button's onFocus(true), when the mouse moves onto it
  HINWEIS_DAVOR,   // a delayed destruction due in the same step as the tooltip, before it
  HINWEIS_DANACH,  // the same, after it
  LAYOUT_DAVOR,    // a delayed destruction due in the same step as the layout, before it
  LAYOUT_DANACH,
};

enum class Opfer { LAUFEND, SEITE, FOKUS, NACHBAR };

struct LoeschFall {
  Weg weg;
  Opfer opfer;
};

std::string Name(Weg w) {
  const char* namen[] = {"FokusTaste", "TastenListe", "Zeichen", "FokusWechsel", "Maus",
                         "HinweisDavor", "HinweisDanach", "LayoutDavor", "LayoutDanach"};
  return namen[int(w)];
}
std::string Name(Opfer o) {
  const char* namen[] = {"Laufend", "Seite", "Fokus", "Nachbar"};
  return namen[int(o)];
}


class Loeschen : public GuiTest, public ::testing::WithParamInterface<LoeschFall> {};

TEST_P(Loeschen, WaehrendDerVerteilung) {
  const LoeschFall fall = GetParam();
  auto o = NeueOberflaeche(800, 600);
  auto* seite = new Gui::Seite(1, {});
  seite->SetGroesse({800, 400, 0}, false);
  o->FuegeHinzu(seite);
  auto* bleibt = new Gui::VaterBasis();
  bleibt->SetPosition({0, 400, 0}, false);
  bleibt->SetGroesse({800, 200, 0}, false);
  o->FuegeHinzu(bleibt);
  auto* andere = new Gui::Button("andere");
  andere->SetTaste(30);
  bleibt->FuegeHinzu(andere);

  Gui::Basis* opfer = nullptr;
  auto loesche = [&opfer] {
    Gui::Basis* w = opfer;
    opfer = nullptr;
    delete w;
  };

  Gui::Basis* laufend = nullptr;
  if (fall.weg == Weg::ZEICHEN) {
    auto* zeile = new Gui::EingabeZeile(0, "ab");
    zeile->beiAenderung = [&](const std::string&) { loesche(); };
    laufend = zeile;
  } else if (fall.weg == Weg::LAYOUT_DAVOR || fall.weg == Weg::LAYOUT_DANACH) {
    laufend = new Gui::ZahlEingabe(1, 0);
  } else {
    auto* b = new Gui::Button("laufend");
    b->hinweisText = "Tipp";
    if (fall.weg == Weg::TASTEN_LISTE) b->SetTaste(16);
    if (fall.weg == Weg::FOKUS_TASTE || fall.weg == Weg::TASTEN_LISTE) b->beiKlick = loesche;
    if (fall.weg == Weg::FOKUS_WECHSEL) b->beiFokusWechsel = [&](bool erhalten) { if (!erhalten) loesche(); };
    if (fall.weg == Weg::MAUS) b->beiFokusWechsel = [&](bool erhalten) { if (erhalten) loesche(); };
    laufend = b;
  }
  seite->FuegeHinzu(laufend);
  auto* fokus = new Gui::Button("fokus");
  seite->FuegeHinzu(fokus);
  auto* nachbar = new Gui::Button("nachbar");
  nachbar->SetTaste(30);
  seite->FuegeHinzu(nachbar);
  EinTick();
  const BVektor3<float> mitteLaufend = laufend->AbsolutePosition() + laufend->GespeicherteGroesse() * 0.5f;

  // The widget that holds or is about to take the focus when the victim goes.
  Gui::Basis* fokusOpfer = fokus;
  switch (fall.weg) {
    case Weg::FOKUS_TASTE:
    case Weg::ZEICHEN:
    case Weg::HINWEIS_DAVOR:
    case Weg::HINWEIS_DANACH: fokusOpfer = laufend; break;
    default: break;
  }
  switch (fall.opfer) {
    case Opfer::LAUFEND: opfer = laufend; break;
    case Opfer::SEITE: opfer = seite; break;
    case Opfer::FOKUS: opfer = fokusOpfer; break;
    case Opfer::NACHBAR: opfer = nachbar; break;
  }
  Gui::Basis* const ziel = opfer;

  switch (fall.weg) {
    case Weg::FOKUS_TASTE:
      o->SetFokus(laufend);
      o->VerarbeiteTaste(Gui::Taste::KLICK, GEDRUECKT);
      break;
    case Weg::TASTEN_LISTE:
      o->SetFokus(fokus);
      o->VerarbeiteTaste(16, GEDRUECKT);
      break;
    case Weg::ZEICHEN: {
      o->SetFokus(laufend);
      Gui::UnicodeEreignis e('x');
      o->VerteileEreignis(e);
      break;
    }
    case Weg::FOKUS_WECHSEL:
      o->SetFokus(laufend);
      o->SetFokus(fokus);
      break;
    case Weg::MAUS:
      o->SetFokus(fokus);
      o->SetMausPosition(mitteLaufend);
      break;
    case Weg::HINWEIS_DAVOR:
    case Weg::HINWEIS_DANACH:
    case Weg::LAYOUT_DAVOR:
    case Weg::LAYOUT_DANACH: {
      // The victim's delayed destruction falls due in the same clock step as the task, added
      // before or after it.
      const bool hinweis = fall.weg == Weg::HINWEIS_DAVOR || fall.weg == Weg::HINWEIS_DANACH;
      const bool davor = fall.weg == Weg::HINWEIS_DAVOR || fall.weg == Weg::LAYOUT_DAVOR;
      const float verzoegerung = hinweis ? 0.5f : 0;
      if (!hinweis) o->SetFokus(fokus);
      if (davor) o->VernichteKomponenteNachZeit(ziel, verzoegerung);
      if (hinweis) o->SetMausPosition(mitteLaufend);
      else o->OrdneNeu();
      if (!davor) o->VernichteKomponenteNachZeit(ziel, verzoegerung);
      opfer = nullptr;
      Schritt(verzoegerung + 0.01f);
      break;
    }
  }
  ASSERT_EQ(opfer, nullptr) << "the callback ran";
  EXPECT_FALSE(ImBaum(*o, ziel));

  // Only live widgets are named.
  auto lebt = [&](const Gui::Basis* w) { return w == nullptr || ImBaum(*o, w); };
  EXPECT_TRUE(lebt(o->Fokus()));
  EXPECT_TRUE(lebt(o->Hover()));
  EXPECT_TRUE(lebt(o->HinweisBesitzer()));
  for (uint64_t code : {uint64_t(16), uint64_t(30)})
    for (const Gui::Basis* w : o->TastenListe(code)) EXPECT_TRUE(lebt(w)) << code;

  // A round of input, clock steps and a frame.
  for (BVektor3<float> p : {mitteLaufend, BVektor3<float>{10, 450, 0}, BVektor3<float>{790, 590, 0}, mitteLaufend})
    o->SetMausPosition(p);
  for (uint64_t code : {uint64_t(16), uint64_t(30), uint64_t(265), uint64_t(261), uint64_t(262), uint64_t(263),
                        uint64_t(264), uint64_t(266), uint64_t(267)}) {
    o->VerarbeiteTaste(code, GEDRUECKT);
    o->VerarbeiteTaste(code, LOSGELASSEN);
  }
  Gui::UnicodeEreignis zeichen('y');
  o->VerteileEreignis(zeichen);
  Schritt(1);
  GuiAufzeichner aufzeichner;
  Gui::ZeichneOberflaeche(*o, aufzeichner);
  Schritt(1);
  EXPECT_TRUE(ImBaum(*o, andere)) << "the other page is untouched";
  o.reset();
}

std::vector<LoeschFall> AlleFaelle() {
  std::vector<LoeschFall> faelle;
  for (int w = 0; w <= int(Weg::LAYOUT_DANACH); ++w)
    for (int v = 0; v <= int(Opfer::NACHBAR); ++v) faelle.push_back({Weg(w), Opfer(v)});
  return faelle;
}

INSTANTIATE_TEST_SUITE_P(Faelle, Loeschen, ::testing::ValuesIn(AlleFaelle()),
                         [](const auto& info) { return Name(info.param.weg) + "_" + Name(info.param.opfer); });

}  // namespace
