// Attaching, detaching and destroying widgets; the deferred tasks on the frame clock; the
// surface's own lifetime and its style file.
#include <gtest/gtest.h>

#include <string>

#include "Abstand.h"
#include "Button.h"
#include "EigenerOrdner.h"
#include "EingabeZeile.h"
#include "GuiHilfen.h"
#include "Hinweis.h"
#include "LogMitschnitt.h"
#include "Renderer.h"
#include "Seite.h"
#include "Text.h"
#include "ZahlEingabe.h"
#include "Zarvo_Ausnahme.h"

using namespace guihilfen;

namespace {

// Counts its destructions.
class Zaehler : public Gui::Basis {
 public:
  explicit Zaehler(int& zerstoert_) : zerstoert(zerstoert_) {}
  ~Zaehler() override { ++zerstoert; }
  void Zeichne(Gui::Renderer& r) override { r.ZeichneHintergrund(*this); }

 private:
  int& zerstoert;
};

// How many direct children of the container are tooltips.
size_t Hinweise(const Gui::VaterBasis& c) {
  size_t n = 0;
  for (const Gui::Basis* k : c.Kinder()) n += dynamic_cast<const Gui::Hinweis*>(k) != nullptr;
  return n;
}

// A 100 x 40 button at (x, 0) with a tooltip text and a hotkey.
Gui::Button* HinweisButton(Gui::VaterBasis& vater, const char* name, float x, const char* hinweis, uint64_t taste) {
  auto* b = new Gui::Button(name);
  b->SetGroesse({100, 40, 0}, false);
  b->SetPosition({x, 0, 0}, false);
  b->hinweisText = hinweis;
  b->SetTaste(taste);
  vater.FuegeHinzu(b);
  return b;
}

using Lebenszyklus = GuiTest;

TEST_F(Lebenszyklus, KindWechseltZwischenContainernUndEntfernenGibtEsZurueck) {
  auto o = NeueOberflaeche(400, 300);
  auto* a = new Gui::VaterBasis();
  auto* b = new Gui::VaterBasis();
  o->FuegeHinzu(a);
  o->FuegeHinzu(b);
  auto* kind = new Gui::Button("k");
  a->FuegeHinzu(kind);
  EXPECT_EQ(kind->GibVater(), a);
  EXPECT_EQ(kind->GibOberflaeche(), o.get());

  b->FuegeHinzu(kind);
  EXPECT_TRUE(a->Kinder().empty());
  ASSERT_EQ(b->Kinder().size(), 1u);
  EXPECT_EQ(kind->GibVater(), b);

  // A stranger is ignored and keeps its parent.
  Gui::Text fremd("fremd", 0);
  a->FuegeHinzu(new Gui::Abstand());
  a->Entferne(kind);
  EXPECT_EQ(kind->GibVater(), b);
  a->Entferne(&fremd);
  EXPECT_EQ(a->Kinder().size(), 1u);

  // Removing detaches the child without destroying it.
  b->Entferne(kind);
  EXPECT_EQ(kind->GibVater(), nullptr);
  EXPECT_EQ(kind->GibOberflaeche(), nullptr);
  EXPECT_TRUE(b->Kinder().empty());
  delete kind;

  // A destroyed child leaves its parent's list; a destroyed container takes its children.
  int zerstoert = 0;
  auto* c = new Gui::VaterBasis();
  c->FuegeHinzu(new Zaehler(zerstoert));
  auto* geht = new Zaehler(zerstoert);
  c->FuegeHinzu(geht);
  delete geht;
  EXPECT_EQ(c->Kinder().size(), 1u);
  delete c;
  EXPECT_EQ(zerstoert, 2);
  EinTick();
}

TEST_F(Lebenszyklus, VerstecktUndGezeigtImSelbenTick) {
  const TZeit tausend = 1000 * g_ZeitFrequenz;
  auto o = NeueOberflaeche(400, 300);
  auto* w = new Gui::Text("t", 0);
  o->FuegeHinzu(w);
  Schritt(1);
  const TZeit jetzt = g_Zeit.zeit;
  w->SetSichtbar(false);
  EXPECT_EQ(w->VerstecktSeit(), jetzt);
  w->SetSichtbar(true);
  EXPECT_EQ(w->SichtbarSeit(), jetzt);
  EXPECT_EQ(w->VerstecktSeit(), jetzt - tausend) << "the hide must not look like a fade in progress";
  w->SetSichtbar(false);
  EXPECT_EQ(w->SichtbarSeit(), jetzt - tausend);
  EXPECT_EQ(w->VerstecktSeit(), jetzt);
  const TZeit vorher = w->VerstecktSeit();
  w->SetSichtbar(false);
  EXPECT_EQ(w->VerstecktSeit(), vorher) << "no change, no stamp";

  // The container form passes the value on, changed or not: showing it shows all its children.
  auto* seite = new Gui::Seite(1, {});
  o->FuegeHinzu(seite);
  auto* kind = new Gui::Text("k", 0);
  seite->FuegeHinzu(kind);
  kind->SetSichtbar(false);
  seite->SetSichtbar(true);
  EXPECT_TRUE(kind->IstSichtbar());
  EinTick();
}

// Detaching makes the surface forget the widget: focus and hover (no focus event), every key
// list and the tooltip, shown (destroyed at once) or pending (its timer removed).
TEST_F(Lebenszyklus, AbhaengenVergisstFokusHoverTastenUndHinweis) {
  for (bool gezeigt : {false, true}) {
    SCOPED_TRACE(gezeigt ? "shown tooltip" : "pending tooltip");
    auto o = NeueOberflaeche(400, 300);
    Gui::VaterBasis* seite = NeueSeite(*o, {0, 0, 0}, {400, 300, 0});
    Gui::Button* b = HinweisButton(*seite, "b", 0, "Tipp", 16);
    int fokusAufrufe = 0;
    b->beiFokusWechsel = [&](bool) { ++fokusAufrufe; };
    b->SetTaste(17);
    o->RegistriereTaste(30, b);
    EinTick();
    o->SetMausPosition({10, 10, 0});
    ASSERT_EQ(o->Fokus(), b);
    ASSERT_EQ(o->Hover(), b);
    ASSERT_EQ(o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_WARTET);
    if (gezeigt) {
      Schritt(0.51f);
      ASSERT_EQ(o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_GEZEIGT);
      ASSERT_EQ(Hinweise(*o), 1u);
      EinTick();  // the layout the tooltip asked for
    }
    const size_t timerVorher = g_Zeit.AnzahlTimer();
    fokusAufrufe = 0;

    seite->Entferne(b);
    EXPECT_EQ(o->Fokus(), nullptr);
    EXPECT_EQ(o->Hover(), nullptr);
    EXPECT_EQ(fokusAufrufe, 0) << "no focus event on detaching";
    for (uint64_t code : {16u, 17u, 30u}) EXPECT_TRUE(o->TastenListe(code).empty()) << code;
    EXPECT_EQ(o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_KEINER);
    EXPECT_EQ(o->HinweisBesitzer(), nullptr);
    EXPECT_EQ(Hinweise(*o), 0u) << "a shown tooltip is destroyed at once";
    const size_t timerEntfernt = gezeigt ? 0 : 1;
    EXPECT_EQ(g_Zeit.AnzahlTimer(), timerVorher + 1 - timerEntfernt) << "one layout requested, the tooltip timer gone";

    // Attached again, the hotkey follows; the other list entries do not.
    seite->FuegeHinzu(b);
    EXPECT_EQ(o->TastenListe(17), (std::vector<Gui::Basis*>{b}));
    EXPECT_TRUE(o->TastenListe(30).empty());
    EinTick();
  }
}

TEST_F(Lebenszyklus, ZyklenWerdenAbgewiesen) {
  LogMitschnitt log;
  auto o = NeueOberflaeche(400, 300);
  auto* aussen = new Gui::VaterBasis();
  auto* innen = new Gui::VaterBasis();
  o->FuegeHinzu(aussen);
  aussen->FuegeHinzu(innen);
  innen->FuegeHinzu(nullptr);
  innen->FuegeHinzu(innen);
  innen->FuegeHinzu(aussen);
  innen->FuegeHinzu(o.get());
  EXPECT_TRUE(innen->Kinder().empty());
  EXPECT_EQ(aussen->Kinder(), (std::vector<Gui::Basis*>{innen}));
  EXPECT_EQ(aussen->GibVater(), o.get());
  EXPECT_EQ(log.Anzahl("Komponente kann nicht in sich selbst eingefuegt werden"), 3u);
  EXPECT_EQ(log.Anzahl("Keine Komponente zum Einfuegen"), 1u);
  EXPECT_TRUE(log.EnthaeltTeil("Gui::VaterBasis::FuegeHinzu"));
  EinTick();
}

using Aufgaben = GuiTest;

TEST_F(Aufgaben, VieleLayoutAnfragenEinTimer) {
  auto o = NeueOberflaeche(400, 300);
  EXPECT_TRUE(o->HatLayoutAusstehend()) << "the constructor's size asks for the first layout";
  EinTick();
  EXPECT_FALSE(o->HatLayoutAusstehend());
  const size_t vorher = g_Zeit.AnzahlTimer();
  for (int i = 0; i < 50; ++i) o->OrdneNeu();
  EXPECT_EQ(g_Zeit.AnzahlTimer(), vorher + 1);
  g_Zeit.Fortschreiten(0);
  EXPECT_TRUE(o->HatLayoutAusstehend()) << "a task due now needs a step of one tick";
  EinTick();
  EXPECT_EQ(g_Zeit.AnzahlTimer(), vorher);
}

// An inner row container stretched by an outer column: the inner children can only be centred
// in the stretched size when the outer layout ran first.
TEST_F(Aufgaben, EinTickOrdnetElternVorKindern) {
  auto o = NeueOberflaeche(400, 300);
  auto* aussen = new Gui::VaterBasis();
  aussen->SetLayout(new Gui::Anordnung{1, 0, 0});
  aussen->SetGroesse({200, 100, 0}, false);
  auto* innen = new Gui::VaterBasis();
  innen->SetLayout(new Gui::Anordnung{0, 0.5f, 0.5f});
  innen->dehnung = {1, 1, 0};
  auto* klotz = new Gui::Abstand();
  klotz->mindestGroesse = {50, 10, 0};
  klotz->dehnung = {0, 0, 0};
  o->FuegeHinzu(aussen);
  aussen->FuegeHinzu(innen);
  innen->FuegeHinzu(klotz);
  EXPECT_EQ(klotz->Position(), (BVektor3<float>{0, 0, 0})) << "nothing moves before a step";
  EinTick();
  EXPECT_EQ(innen->GespeicherteGroesse(), (BVektor3<float>{200, 100, 0}));
  EXPECT_EQ(klotz->Position(), (BVektor3<float>{75, 45, 0}));
  EXPECT_FALSE(o->HatLayoutAusstehend());
}

TEST_F(Aufgaben, ZahlEingabeKommtInZweiBildernZurRuhe) {
  auto o = NeueOberflaeche(400, 300);
  auto* seite = new Gui::Seite(1, {});
  seite->SetGroesse({300, 200, 0}, false);
  o->FuegeHinzu(seite);
  auto* zahl = new Gui::ZahlEingabe(3.5f, 0);
  seite->FuegeHinzu(zahl);
  EinTick();
  EXPECT_TRUE(o->HatLayoutAusstehend()) << "the field's parts asked for a second pass";
  EXPECT_EQ(zahl->GespeicherteGroesse(), (BVektor3<float>{300, 40, 0}));
  EXPECT_EQ(zahl->Minus().Position(), (BVektor3<float>{0, 0, 0}));
  EXPECT_EQ(zahl->Plus().Position(), (BVektor3<float>{40, 0, 0}));
  EXPECT_EQ(zahl->Zeile().Position(), (BVektor3<float>{80, 0, 0}));
  EXPECT_EQ(zahl->Zeile().GespeicherteGroesse(), (BVektor3<float>{220, 40, 0}));
  EinTick();
  EXPECT_FALSE(o->HatLayoutAusstehend()) << "settled";
}

TEST_F(Aufgaben, VerzoegerteVernichtung) {
  auto o = NeueOberflaeche(400, 300);
  EinTick();
  int zerstoert = 0;
  const size_t vorher = g_Zeit.AnzahlTimer();

  auto* a = new Zaehler(zerstoert);
  o->FuegeHinzu(a);
  o->VernichteKomponenteNachZeit(a, 1);
  o->VernichteKomponenteNachZeit(a, 5);  // the earlier due time stays
  EXPECT_EQ(g_Zeit.AnzahlTimer(), vorher + 2) << "one destruction and one layout";
  Schritt(0.99f);
  EXPECT_EQ(zerstoert, 0);
  Schritt(0.02f);
  EXPECT_EQ(zerstoert, 1);
  EXPECT_TRUE(o->Kinder().empty()) << "the destructor removed it from its parent";

  auto* b = new Zaehler(zerstoert);
  o->FuegeHinzu(b);
  o->VernichteKomponenteNachZeit(b, 5);
  o->VernichteKomponenteNachZeit(b, 1);  // an earlier one replaces the later
  Schritt(1.01f);
  EXPECT_EQ(zerstoert, 2);

  // Destroyed before its time, the widget takes its timer along: nothing is destroyed twice.
  auto* c = new Zaehler(zerstoert);
  o->FuegeHinzu(c);
  EinTick();
  o->VernichteKomponenteNachZeit(c, 1);
  EXPECT_TRUE(c->HatVernichtungAusstehend());
  delete c;
  EXPECT_EQ(zerstoert, 3);
  EinTick();
  EXPECT_EQ(g_Zeit.AnzahlTimer(), vorher);
  Schritt(2);
  EXPECT_EQ(zerstoert, 3);
}

// The surface is destroyed with focus, hover, hotkeys, a fading tooltip, a pending or a shown
// one, a pending delayed destruction and a pending layout: every timer it and its widgets held
// goes with it, and later clock steps touch nothing.
TEST_F(Aufgaben, OberflaecheNimmtAlleTimerMit) {
  for (bool gezeigt : {false, true}) {
    SCOPED_TRACE(gezeigt ? "fading and shown tooltip" : "fading and pending tooltip");
    const size_t vorher = g_Zeit.AnzahlTimer();
    int zerstoert = 0;
    {
      auto o = NeueOberflaeche(400, 300);
      Gui::VaterBasis* seite = NeueSeite(*o, {0, 0, 0}, {400, 300, 0});
      Gui::Button* a = HinweisButton(*seite, "a", 0, "A", 16);
      Gui::Button* b = HinweisButton(*seite, "b", 200, "B", 16);
      EinTick();
      o->SetMausPosition({10, 10, 0});
      Schritt(0.51f);
      o->SetMausPosition({210, 10, 0});  // a's tooltip fades, b's is pending
      if (gezeigt) {
        // A slower fade, so that it outlasts b's wait.
        auto* langsam = new Gui::Hinweis("langsam", a);
        o->FuegeHinzu(langsam);
        langsam->SetSichtbar(false);
        o->VernichteKomponenteNachZeit(langsam, 2);
        Schritt(0.51f);
        ASSERT_EQ(o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_GEZEIGT);
      } else {
        ASSERT_EQ(o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_WARTET);
      }
      ASSERT_EQ(Hinweise(*o), gezeigt ? 2u : 1u);
      ASSERT_EQ(o->Fokus(), b);
      ASSERT_EQ(o->Hover(), b);
      auto* spaeter = new Zaehler(zerstoert);
      seite->FuegeHinzu(spaeter);
      o->VernichteKomponenteNachZeit(spaeter, 1);
      ASSERT_TRUE(o->HatLayoutAusstehend());
    }
    EXPECT_EQ(zerstoert, 1);
    EXPECT_EQ(g_Zeit.AnzahlTimer(), vorher);
    for (int i = 0; i < 4; ++i) Schritt(0.5f);
    EXPECT_EQ(zerstoert, 1);
  }
}

using StilDatei = GuiTest;

TEST_F(StilDatei, VerschachtelteSchluesselWerdenGeladen) {
  EigenerOrdner ordner;
  SchreibeDatei(ordner / "GuiKonfig.xml",
                "<gui><button><groesse><x>120</x><y typ=\"int\">44</y></groesse></button>"
                "<elmAbstand><x>8</x><y>6</y></elmAbstand><name typ=\"string\">x</name></gui>");
  Gui::Oberflaeche o(ordner / "GuiKonfig.xml", {640, 360, 0});
  auto* b = new Gui::Button("b");
  o.FuegeHinzu(b);
  EXPECT_EQ(b->GetGroesse(), (BVektor3<float>{120, 44, 0}));
  EXPECT_EQ(b->StilWert("elmAbstand.y", 0), 6);
  EXPECT_EQ(b->StilWert("name", -1), -1);
  EXPECT_EQ(o.GespeicherteGroesse(), (BVektor3<float>{640, 360, 0}));
  EinTick();
}

TEST_F(StilDatei, FehlendeUndKaputteDateiWerfenOhneTimer) {
  EigenerOrdner ordner;
  SchreibeDatei(ordner / "kaputt.xml", "<gui><button>");
  for (const char* name : {"fehlt.xml", "kaputt.xml"}) {
    try {
      Gui::Oberflaeche o(ordner / name, {640, 360, 0});
      ADD_FAILURE() << name << " loaded";
    } catch (const Zarvo_Ausnahme& a) {
      EXPECT_EQ(a.meldung, "Datei nicht geladen") << name;
    }
  }
}

// Without a screen the surface is 0 x 0, and still asks for its first layout.
TEST_F(StilDatei, OhnePfadUndOhneBildschirm) {
  Gui::Oberflaeche o{std::filesystem::path()};
  EXPECT_EQ(o.GespeicherteGroesse(), (BVektor3<float>{0, 0, 0}));
  EXPECT_EQ(o.GibOberflaeche(), &o);
  EXPECT_TRUE(o.HatLayoutAusstehend());
  EXPECT_TRUE(o.eigenschaften.kinder.empty());
  EinTick();
}

}  // namespace
