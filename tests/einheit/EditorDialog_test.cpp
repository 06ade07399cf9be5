// The object-parameter dialog: its rows per type, live changes, "Speichern" and "Abbruch" with
// the undo stack, the bridge's Esc, values that are not numbers, and the dialog outliving its
// editor. Also the undo stack on the shipped level: each snapshot is the map before its edit.
#include <gtest/gtest.h>

#include "Button.h"
#include "EingabeZeile.h"
#include "EditorTestBasis.h"
#include "Seite.h"
#include "Text.h"
#include "ZahlEingabe.h"

namespace {

class EditorDialog : public EditorTest {
 public:
  Spiel::ObjektArgMenu& D() { return *E().GibDialog(); }
  // The dialog's rows: the number of fields in each.
  std::vector<size_t> Zeilen() {
    std::vector<size_t> zeilen;
    for (const Gui::Basis* kind : D().Kinder())
      if (auto* reihe = dynamic_cast<const Gui::Seite*>(kind)) zeilen.push_back(Felder(*reihe).size());
    return zeilen;
  }
  static std::vector<Gui::ZahlEingabe*> Felder(const Gui::VaterBasis& vater) {
    std::vector<Gui::ZahlEingabe*> felder;
    for (Gui::Basis* kind : vater.Kinder())
      if (auto* f = dynamic_cast<Gui::ZahlEingabe*>(kind)) felder.push_back(f);
      else if (auto* v = dynamic_cast<Gui::VaterBasis*>(kind))
        for (Gui::ZahlEingabe* g : Felder(*v)) felder.push_back(g);
    return felder;
  }
  Gui::Button* Knopf(const std::string& text) {
    for (Gui::Basis* kind : D().Kinder())
      if (auto* b = dynamic_cast<Gui::Button*>(kind); b && b->beschriftung == text) return b;
    return nullptr;
  }
  void Setze(size_t feld, float wert) {
    Gui::ZahlEingabe* f = Felder(D())[feld];
    kern->MachSofort([&] { f->SetzeWert(wert, true); });
  }
  void Klicke(Gui::Button& knopf) {
    kern->MachSofort([&] { knopf.beiKlick(); });
  }
  // Frames until the dialog is gone; their number (-1 after a second).
  int BisWeg() {
    for (int i = 1; i <= 64; ++i) {
      Bild();
      if (!E().GibDialog()) return i;
    }
    return -1;
  }
};

TEST_F(EditorDialog, ZeilenJeTyp) {
  const struct Fall {
    size_t objekt;
    const char* name;
    std::vector<size_t> zeilen;
  } faelle[] = {
      {0, "Startpunkt", {1}}, {1, "Druckplatte", {}},    {4, "Knopf", {1, 1}},      {5, "Baum", {2, 1, 2}},
      {6, "Mosaik", {2, 2, 1}}, {7, "Licht", {3, 4, 4}}, {9, "type 9", {}},
  };
  OeffneFixture();
  Tippe(GLFW_KEY_2);
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    OeffneDialogFuer(f.objekt);
    EXPECT_EQ(D().ObjektIndex(), f.objekt);
    EXPECT_EQ(Zeilen(), f.zeilen);
    EXPECT_TRUE(D().IstModal());
    ASSERT_NE(Knopf("Speichern"), nullptr);
    EXPECT_EQ(Knopf("Speichern")->GibTaste(), Gui::Taste::ESCAPE);
    ASSERT_NE(Knopf("Abbruch"), nullptr);
    Klicke(*Knopf("Abbruch"));
    ASSERT_GT(BisWeg(), 0);
  }
  EXPECT_EQ(Tiefe(), 0u) << "opening and cancelling without a change pushes nothing";
}

TEST_F(EditorDialog, AbbruchStelltDreiAenderungenHerUndSpeichernBehaeltSie) {
  OeffneFixture();
  KlickeAuf(ZellMitte(4, 9));  // one snapshot before the dialog
  ASSERT_EQ(Tiefe(), 1u);
  const Karte vorher = K();
  OeffneDialogFuer(7);
  Setze(0, 0.125f);
  EXPECT_EQ(Tiefe(), 2u) << "the first change pushes";
  EXPECT_EQ(E().GibSzene().GibLichter()[0].farbe[0], 0.125f) << "the scene shows it at once";
  Setze(4, -3.0f);
  Setze(10, 7.0f);
  EXPECT_EQ(Tiefe(), 2u) << "one snapshot per opening";
  Klicke(*Knopf("Abbruch"));
  EXPECT_EQ(Tiefe(), 1u);
  EXPECT_TRUE(KartenBitgleich(K(), vorher));
  EXPECT_EQ(E().GibSzene().GibLichter()[0].farbe[0], 1.0f);
  ASSERT_GT(BisWeg(), 0);

  OeffneDialogFuer(7);
  Setze(1, 0.75f);
  Klicke(*Knopf("Speichern"));
  EXPECT_EQ(Tiefe(), 2u);
  EXPECT_EQ(K().objekte[7].args[0][1], 0.75f);
  ASSERT_GT(BisWeg(), 0);
  Druecke(GLFW_KEY_LEFT_CONTROL);
  Tippe(GLFW_KEY_Y);
  Loese(GLFW_KEY_LEFT_CONTROL);
  Bild();
  EXPECT_TRUE(KartenBitgleich(K(), vorher)) << "Ctrl+Z restores the state before the dialog";
}

TEST_F(EditorDialog, KeineZahlAendertNichts) {
  OeffneFixture();
  OeffneDialogFuer(5);
  const Karte vorher = K();
  Setze(0, std::numeric_limits<float>::quiet_NaN());
  Setze(1, -std::numeric_limits<float>::quiet_NaN());
  kern->MachSofort([&] { D().FeldGeaendert(0, 0, std::numeric_limits<float>::quiet_NaN()); });
  EXPECT_EQ(Tiefe(), 0u);
  EXPECT_TRUE(KartenBitgleich(K(), vorher));
}

TEST_F(EditorDialog, UeberDieBrueckePlusUndEsc) {
  OeffneFixture();
  OeffneDialogFuer(4);  // "Knopf": direction, size
  Bild();               // the layout
  Gui::ZahlEingabe* feld = Felder(D())[0];
  const float vorher = feld->Wert();
  Gui::Button& plus = feld->Plus();
  const V3 mitte = plus.AbsolutePosition() + plus.GespeicherteGroesse() * 0.5f;
  Maus(mitte.x, mitte.y);
  Bild();
  SpielRahmen::Klicke();
  EXPECT_EQ(feld->Wert(), vorher + 1);
  EXPECT_EQ(K().objekte[4].args[0][0], vorher + 1);
  EXPECT_EQ(Tiefe(), 1u);
  // Esc acts as "Speichern": hidden at once, deleted 0.1 s (7 frames of 1/64 s) later.
  // The mouse on the field's text line gives it the focus; with the hover frozen there, the first
  // Esc only thaws it.
  Gui::EingabeZeile& zeile = feld->Zeile();
  const V3 inZeile = zeile.AbsolutePosition() + zeile.GespeicherteGroesse() * 0.5f;
  Maus(inZeile.x, inZeile.y);
  Bild();
  ASSERT_EQ(Oberflaeche()->Fokus(), &zeile);
  Oberflaeche()->SetHoverEingefroren(true);
  Tippe(GLFW_KEY_ESCAPE);
  ASSERT_NE(E().GibDialog(), nullptr);
  EXPECT_TRUE(D().IstSichtbar()) << "the first Esc only thaws the hover";
  EXPECT_FALSE(Oberflaeche()->HoverEingefroren());
  const TZeit vorEsc = g_Zeit.zeit;  // the press is handled before this frame's clock tick
  Druecke(GLFW_KEY_ESCAPE);
  Bild();
  Loese(GLFW_KEY_ESCAPE);
  ASSERT_NE(E().GibDialog(), nullptr);
  EXPECT_FALSE(D().IstSichtbar());
  EXPECT_TRUE(Editor::ModaleSeiteOffen()) << "hidden, it still holds the editor's input";
  while (E().GibDialog() && g_Zeit.zeit - vorEsc < SekundenAlsTicks(0.2f)) {
    EXPECT_LE(g_Zeit.zeit - vorEsc, SekundenAlsTicks(0.1f)) << "not deleted once 0.1 s have passed";
    Bild();
  }
  ASSERT_EQ(E().GibDialog(), nullptr);
  EXPECT_GT(g_Zeit.zeit - vorEsc, SekundenAlsTicks(0.1f)) << "not deleted before 0.1 s";
  EXPECT_EQ(Tiefe(), 1u);
  EXPECT_FALSE(Editor::ModaleSeiteOffen());
}

// ---- the dialog outliving its editor ----

TEST_F(EditorDialog, EditorEndeMitOffenemDialog) {
  OeffneFixture();
  OeffneDialogFuer(7);
  Setze(0, 0.5f);
  const size_t timer = g_Zeit.AnzahlTimer();
  BeendeEditor();
  EXPECT_TRUE(Oberflaeche()->Kinder().empty() || !dynamic_cast<Spiel::ObjektArgMenu*>(Oberflaeche()->Kinder().back()));
  EXPECT_FALSE(Editor::ModaleSeiteOffen());
  EXPECT_LE(g_Zeit.AnzahlTimer(), timer);
  Bilder(13);  // 0.2 s of frame clock: nothing more is deleted (ASan watches)
  Karte gelesen;
  ASSERT_EQ(Spiel::SzenenDatei::Lade(SzenenPfad(), gelesen), Spiel::SzenenDatei::Ergebnis::Geladen);
  EXPECT_EQ(gelesen.objekte[7].args[0][0], 0.5f) << "the change is saved";
}

TEST_F(EditorDialog, EditorEndeKurzNachSpeichern) {
  OeffneFixture();
  OeffneDialogFuer(7);
  Setze(0, 0.5f);
  Klicke(*Knopf("Speichern"));
  Bilder(2);
  ASSERT_NE(E().GibDialog(), nullptr);
  EXPECT_TRUE(D().HatVernichtungAusstehend());
  BeendeEditor();
  EXPECT_FALSE(Editor::ModaleSeiteOffen());
  Bilder(13);  // the pending deletion went with the dialog: no second delete
}

// ---- undo is the file's bytes ----

class EditorUndoBytes : public EditorDialog {
 public:
  // One edit; its newest snapshot equals the map's bytes before it.
  template <class F>
  void Bearbeite(const char* name, F&& bearbeite) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> vorher = Bytes(K());
    const size_t tiefe = Tiefe();
    bearbeite();
    ASSERT_EQ(Tiefe(), tiefe + 1);
    EXPECT_TRUE(Bytes(E().GibRueckgaengigStapel().back()) == vorher);
  }
};

TEST_F(EditorUndoBytes, MitgelieferteSzene) {
  NimmMitgelieferteSzene();
  OeffneEditor();
  Ruhig();
  const std::vector<uint8_t> anfang = Bytes(K());
  const auto gitter = E().GibSzene().GibGitter().size(), hebel = E().GibSzene().GibHebel().size(),
             knoepfe = E().GibSzene().GibKnoepfe().size(), ausloeser = E().GibSzene().GibAusloeser().size();
  const Zellpos start = E().GibSzene().GibStartZelle();
  V3 boden;
  ASSERT_TRUE(FreierBoden(boden));

  Bearbeite("block", [&] {
    Maus(boden.x, boden.y);
    Bild();
    SpielRahmen::Klicke();
  });
  Bearbeite("box", [&] {
    Druecke(GLFW_KEY_LEFT_SHIFT);
    Maus(boden.x, boden.y);
    Bild();
    MausRunter();
    Bild();
    Maus(boden.x + 60, boden.y + 30);
    Bild();
    MausHoch();
    Bild();
    Loese(GLFW_KEY_LEFT_SHIFT);
    Bild();
  });
  Tippe(GLFW_KEY_2);
  Bearbeite("new object", [&] {
    ASSERT_TRUE(FreierBoden(boden));
    SpielRahmen::Klicke();
  });
  KlickeKnopf(GLFW_MOUSE_BUTTON_RIGHT);
  size_t i = 0;
  V3 s;
  ASSERT_TRUE(SichtbaresObjekt(i, s));
  Bearbeite("horizontal drag", [&] {
    Maus(s.x, s.y);
    Bild();
    MausRunter();
    Bild();
    Maus(s.x + 20, s.y + 10);
    Bild();
    MausHoch();
    Bild();
  });
  Bearbeite("vertical drag", [&] {
    Druecke(GLFW_KEY_LEFT_SHIFT);
    MausRunter();
    Bild();
    Maus(s.x + 20, s.y - 10);
    Bild();
    MausHoch();
    Loese(GLFW_KEY_LEFT_SHIFT);
    Bild();
  });
  Bearbeite("delete with a selection", [&] { Tippe(GLFW_KEY_DELETE); });
  ASSERT_TRUE(SichtbaresObjekt(i, s));
  Bearbeite("delete under the mouse", [&] {
    Maus(s.x, s.y);
    Bild();
    Tippe(GLFW_KEY_DELETE);
  });
  ASSERT_TRUE(SichtbaresObjekt(i, s));
  Bearbeite("a dialog change kept", [&] {
    Maus(s.x, s.y);
    Bild();
    Tippe(GLFW_KEY_END);
    ASSERT_NE(E().GibDialog(), nullptr);
    if (Felder(D()).empty()) GTEST_SKIP() << "the object has no arguments";
    Setze(0, 42.0f);
    Klicke(*Knopf("Speichern"));
    ASSERT_GT(BisWeg(), 0);
  });

  Druecke(GLFW_KEY_LEFT_CONTROL);
  while (Tiefe() > 0) Tippe(GLFW_KEY_Y);
  Loese(GLFW_KEY_LEFT_CONTROL);
  Bild();
  EXPECT_TRUE(Bytes(K()) == anfang);
  EXPECT_EQ(E().GibSzene().GibGitter().size(), gitter);
  EXPECT_EQ(E().GibSzene().GibHebel().size(), hebel);
  EXPECT_EQ(E().GibSzene().GibKnoepfe().size(), knoepfe);
  EXPECT_EQ(E().GibSzene().GibAusloeser().size(), ausloeser);
  EXPECT_EQ(E().GibSzene().GibStartZelle(), start);
}

}  // namespace
