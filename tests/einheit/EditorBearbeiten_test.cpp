// The editor's edits beyond the binding table: the box, picking ahead of the camera, drags and
// how often they push, undo as the scene file's bytes, deleting several objects, the faces and
// requests of SetzeBlock, the lines and texts of a frame, and objects of unknown types.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "Button.h"
#include "EditorTestBasis.h"

namespace {

class EditorBearbeiten : public EditorTest {
 public:
  // The target moved back 10 units (S held for a second), so cells near z = 2 come into view.
  void Zurueck() {
    Halte(GLFW_KEY_S, 64);
    Ruhig();
  }
  size_t Linien(const TAlphaFarbe& farbe, float dicke) const {
    return size_t(std::count_if(linien.begin(), linien.end(),
                                [&](const Zarvo_Linie& l) { return l.ifarbe == farbe && l.idicke == dicke; }));
  }
};

constexpr TAlphaFarbe ORANGE{1.0f, 170.0f / 255, 85.0f / 255, 1.0f};
constexpr TAlphaFarbe AUSSEN{102.0f / 255, 102.0f / 255, 102.0f / 255, 170.0f / 255};
constexpr TAlphaFarbe WEISS{1.0f, 1.0f, 1.0f, 128.0f / 255};
constexpr size_t GITTER = 840, MARKE = 90, RAHMEN = 28, CURSOR = 25;

// ---- the box ----

TEST_F(EditorBearbeiten, QuaderVonAnkerBisCursor) {
  OeffneFixture();
  Zurueck();
  const Karte vorher = K();
  Druecke(GLFW_KEY_LEFT_SHIFT);
  ZielePunkt(ZellMitte(5, 2));
  Bild();
  MausRunter();
  Bild();
  ASSERT_EQ(E().GibAnker(), (Zellpos{5, 1, 2}));
  ZielePunkt(ZellMitte(3, 4));
  Bild();
  ASSERT_EQ(E().GibCursorZelle(), (Zellpos{3, 1, 4}));
  EXPECT_EQ(Tiefe(), 0u) << "a press in box mode pushes nothing";
  const Editor::Text* text = TextBei(10, 50);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text, "NeuBlock Fels - (3, 1, 2) bis (5, 1, 4)");
  EXPECT_EQ(linien.size(), GITTER + MARKE * OBJEKTE + RAHMEN + 9 * RAHMEN);
  EXPECT_EQ(Linien(ORANGE, 2.0f), 10u * 16) << "nine box cells and the cursor frame";
  MausHoch();
  Bild();
  EXPECT_EQ(Tiefe(), 1u);
  for (int32_t z = 0; z < 16; ++z)
    for (int32_t x = 0; x < 16; ++x) {
      const bool drin = x >= 3 && x <= 5 && z >= 2 && z <= 4;
      EXPECT_EQ(K().ZelleBei(x, 1, z).typ, drin ? 1u : vorher.ZelleBei(x, 1, z).typ) << x << ", " << z;
    }
}

TEST_F(EditorBearbeiten, ShiftZuerstLosgelassenFuelltNichts) {
  OeffneFixture();
  Zurueck();
  const std::vector<uint8_t> vorher = Bytes(K());
  Druecke(GLFW_KEY_LEFT_SHIFT);
  ZielePunkt(ZellMitte(5, 2));
  Bild();
  MausRunter();
  Bild();
  ZielePunkt(ZellMitte(3, 4));
  Bild();
  Loese(GLFW_KEY_LEFT_SHIFT);
  Bild();
  MausHoch();
  Bild();
  EXPECT_EQ(Tiefe(), 0u);
  EXPECT_EQ(Bytes(K()), vorher);
}

// ---- picking ----

// A button (snap 0.125) placed on the ray's backward extension through the screen centre, and a
// visible one ahead on the same ray.
TEST_F(EditorBearbeiten, NurVorDerKameraWirdGewaehlt) {
  for (const bool sichtbar : {true, false}) {
    SCOPED_TRACE(sichtbar ? "a visible object ahead" : "only the hidden one");
    SchreibeSzene(FIXTURE);
    OeffneEditor();
    Ruhig();
    Tippe(GLFW_KEY_2);
    const V3 c = E().GibKameraPosition();
    const V3 r = Spiel::Kamera::StrahlDurchMaus(E().GibAnsicht(), BREITE / 2.0f, HOEHE / 2.0f, Schirm());
    const auto knopf = [](const V3& doppelt) {
      Karte::Objekt o;
      o.typ = 4;
      const V3 p = Spiel::Raster::Einrasten(Karte::ObjektTypen[4], doppelt * 0.5f);
      o.x = p.x, o.y = p.y, o.z = p.z;
      return o;
    };
    K().objekte.clear();
    K().objekte.push_back(knopf(c - r * 3.0f));  // behind
    if (sichtbar) K().objekte.push_back(knopf(c + r * 8.0f));
    Maus(BREITE / 2.0f, HOEHE / 2.0f);
    Bild();
    const Editor::Wahl w = E().WaehleObjekt(c, r);
    EXPECT_EQ(w.gefunden, sichtbar);
    if (sichtbar) {
      EXPECT_EQ(w.index, 1u);
      Tippe(GLFW_KEY_END);
      ASSERT_NE(E().GibDialog(), nullptr);
      EXPECT_EQ(E().GibDialog()->ObjektIndex(), 1u);
    } else {
      Tippe(GLFW_KEY_DELETE);
      EXPECT_EQ(K().objekte.size(), 1u) << "the hidden one stays";
      EXPECT_EQ(Tiefe(), 0u);
    }
    BeendeEditor();
  }
}

// ---- drags ----

TEST_F(EditorBearbeiten, ZiehenZaehltEinmal) {
  OeffneFixture();
  Tippe(GLFW_KEY_2);
  const V3 start = ObjektPunkt(5);
  ZielePunkt(start);
  MausRunter();
  Bild();
  ASSERT_EQ(E().GibAuswahl(), std::vector<uint64_t>{5});
  EXPECT_EQ(E().GibZiehPunkt().y, 0.0f) << "the first drag runs on y = 0";
  Bilder(30);
  EXPECT_EQ(Tiefe(), 0u) << "held without motion";
  const Karte::Objekt vorher = K().objekte[5];
  const V3 d0 = E().GibZiehPunkt();
  for (int i = 0; i < 10; ++i) {
    const V3 m = MausPosition();
    Maus(m.x + 6, m.y + 3);
    Bild();
  }
  EXPECT_EQ(Tiefe(), 1u) << "one push however long the drag";
  const V3 d1 = E().GibZiehPunkt();
  EXPECT_NEAR(K().objekte[5].x - vorher.x, (d1.x - d0.x) / 2, 1e-4f);
  EXPECT_NEAR(K().objekte[5].z - vorher.z, (d1.z - d0.z) / 2, 1e-4f);
  EXPECT_NEAR(K().objekte[5].y, vorher.y, 1e-5f) << "on the plane y = 0 whatever its height";
  MausHoch();
  Bild();

  // Vertical from the start: one push in the first frame; the next drag keeps the height.
  Druecke(GLFW_KEY_LEFT_SHIFT);
  MausRunter();
  Bild();
  EXPECT_EQ(Tiefe(), 2u);
  for (int i = 0; i < 5; ++i) {
    const V3 m = MausPosition();
    Maus(m.x, m.y - 8);
    Bild();
  }
  MausHoch();
  Loese(GLFW_KEY_LEFT_SHIFT);
  Bild();
  EXPECT_EQ(Tiefe(), 2u);
  const float hoehe = E().GibZiehPunkt().y;
  EXPECT_GT(hoehe, 0.5f);
  MausRunter();
  Bild();
  EXPECT_EQ(E().GibZiehPunkt().y, hoehe) << "the next drag runs at the height where the last ended";
  MausHoch();
  Bild();
}

TEST_F(EditorBearbeiten, NeuesObjektGezogenEinSchnappschuss) {
  OeffneFixture();
  Tippe(GLFW_KEY_2);
  ZielePunkt(ZellMitte(4, 8));
  MausRunter();
  Bild();
  for (int i = 0; i < 8; ++i) {
    const V3 m = MausPosition();
    Maus(m.x + 5, m.y);
    Bild();
  }
  MausHoch();
  Bild();
  EXPECT_EQ(K().objekte.size(), OBJEKTE + 1);
  EXPECT_EQ(Tiefe(), 1u);
}

// A press the editor did not take (on a dialog's button) never drags; a press with the ray
// pointing up keeps the drag point finite.
TEST_F(EditorBearbeiten, KlickAufSpeichernZiehtNicht) {
  OeffneFixture();
  OeffneDialogFuer(5);
  Tippe(GLFW_KEY_PERIOD);  // nothing while the dialog is open
  Spiel::ObjektArgMenu* dialog = E().GibDialog();
  const Gui::Basis* speichern = nullptr;
  for (const Gui::Basis* kind : dialog->Kinder())
    if (auto* b = dynamic_cast<const Gui::Button*>(kind); b && b->GibTaste() == Gui::Taste::ESCAPE) speichern = b;
  ASSERT_NE(speichern, nullptr);
  Bild();  // the layout
  const V3 mitte = speichern->AbsolutePosition() + speichern->GespeicherteGroesse() * 0.5f;
  const std::vector<uint8_t> vorher = Bytes(K());
  Maus(mitte.x, mitte.y);
  Bild();
  MausRunter();
  Bild();
  for (int i = 0; i < 20; ++i) {
    const V3 m = MausPosition();
    Maus(m.x + 4, m.y + 2);
    Bild();
  }
  EXPECT_EQ(E().GibDialog(), nullptr) << "deleted 0.1 s after the click";
  MausHoch();
  Bild();
  EXPECT_EQ(Bytes(K()), vorher);
  EXPECT_EQ(Tiefe(), 0u);
}

TEST_F(EditorBearbeiten, DruckMitStrahlNachObenBehaeltDenZiehpunkt) {
  OeffneFixture();
  Tippe(GLFW_KEY_2);
  KnopfRunter(GLFW_MOUSE_BUTTON_MIDDLE);
  Bild();
  Bewege(0, -200);  // pitch 0.3: the top of the screen looks up
  Bild();
  KnopfHoch(GLFW_MOUSE_BUTTON_MIDDLE);
  Bild();
  Maus(640, 0);
  Bild();
  ASSERT_GT(Spiel::Kamera::StrahlDurchMaus(E().GibAnsicht(), 640, 0, Schirm()).y, 0.0f);
  Druecke(GLFW_KEY_LEFT_CONTROL);  // no new object
  MausRunter();
  Bild();
  const V3 d = E().GibZiehPunkt();
  EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z));
  EXPECT_EQ(d, (V3{0, 0, 0}));
  MausHoch();
  Loese(GLFW_KEY_LEFT_CONTROL);
  Bild();
}

// Space while the ray misses the plane toggles the flag but keeps the height.
TEST_F(EditorBearbeiten, SchnittHoeheBleibtOhneTreffer) {
  OeffneFixture();
  KnopfRunter(GLFW_MOUSE_BUTTON_MIDDLE);
  Bild();
  Bewege(0, -200);
  Bild();
  KnopfHoch(GLFW_MOUSE_BUTTON_MIDDLE);
  Maus(640, 0);
  Bild();
  Tippe(GLFW_KEY_SPACE);
  EXPECT_EQ(E().GibSchnittAn(), 0);
  EXPECT_EQ(E().GibSchnittHoehe(), 4.5f);
  Maus(640, 500);
  Bild();
  EXPECT_EQ(E().GibSchnittHoehe(), Editor::KEIN_SCHNITT);
}

// ---- undo ----

TEST_F(EditorBearbeiten, NaNUndMinusNullUeberlebenSchnappschussUndUndo) {
  SchreibeSzene(FIXTURE, [](Karte& k) {
    uint32_t muster = 0x7FC01234;
    std::memcpy(&k.objekte[3].args[0][2], &muster, 4);
    muster = 0xFF800001;
    std::memcpy(&k.objekte[3].args[3][3], &muster, 4);
    k.objekte[3].args[1][1] = -0.0f;
  });
  OeffneEditor();
  Ruhig();
  const Karte vorher = K();
  KlickeAuf(ZellMitte(4, 9));
  ASSERT_EQ(Tiefe(), 1u);
  Druecke(GLFW_KEY_LEFT_CONTROL);
  Tippe(GLFW_KEY_Y);
  Loese(GLFW_KEY_LEFT_CONTROL);
  Bild();
  EXPECT_EQ(Tiefe(), 0u);
  EXPECT_TRUE(KartenBitgleich(K(), vorher));
  // An empty stack does nothing.
  kern->MachSofort([&] { E().Rueckgaengig(); });
  EXPECT_TRUE(KartenBitgleich(K(), vorher));
}

TEST_F(EditorBearbeiten, LoeschenVonZweiUndFuenfUndZurueck) {
  SchreibeSzene(FIXTURE, [](Karte& k) { k.objekte.resize(7); });
  OeffneEditor(Spiel::Generator::StandardErbauer());
  Ruhig();
  Tippe(GLFW_KEY_2);
  const Karte vorher = K();
  for (size_t i : {5u, 2u}) {
    ZielePunkt(ObjektPunkt(i));
    Bild();
    Klicke();
  }
  ASSERT_EQ(E().GibAuswahl(), (std::vector<uint64_t>{5, 2}));
  Tippe(GLFW_KEY_DELETE);
  ASSERT_EQ(K().objekte.size(), 5u);
  const size_t bleiben[] = {0, 1, 3, 4, 6};
  for (size_t i = 0; i < 5; ++i) EXPECT_TRUE(ObjekteBitgleich(K().objekte[i], vorher.objekte[bleiben[i]])) << i;
  EXPECT_TRUE(E().GibAuswahl().empty());
  EXPECT_FALSE(E().GibSzene().generator.HatAnforderung(Spiel::Szene::ObjektKey(5)));
  Druecke(GLFW_KEY_LEFT_CONTROL);
  Tippe(GLFW_KEY_Y);
  Loese(GLFW_KEY_LEFT_CONTROL);
  Bild();
  EXPECT_TRUE(KartenBitgleich(K(), vorher));
  // Objects 1..5 of the fixture are plate, lever, gate, button and tree: each has its patch again.
  for (uint64_t i = 1; i <= 5; ++i) EXPECT_TRUE(E().GibSzene().generator.HatAnforderung(Spiel::Szene::ObjektKey(i))) << i;
}

TEST_F(EditorBearbeiten, SetzeBlockFlaechenUndAnforderungen) {
  OeffneFixture();
  for (const Zellpos zelle : {Zellpos{0, 1, 5}, Zellpos{7, 2, 7}, Zellpos{15, 3, 15}}) {
    SCOPED_TRACE(std::to_string(zelle.x) + ", " + std::to_string(zelle.y) + ", " + std::to_string(zelle.z));
    kern->MachSofort([&] { E().SetzeBlock(zelle, Karte::Fels); });
    Karte voll = K();
    voll.BaueBlockGeometrie();
    EXPECT_TRUE(voll.schichten == K().schichten) << "faces as a full rebuild";
    const Spiel::Generator& g = E().GibSzene().generator;
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t z = 0; z < 16; ++z)
        for (int32_t x = 0; x < 16; ++x) {
          const bool imQuader = std::abs(x - zelle.x) <= 1 && std::abs(y - zelle.y) <= 1 && std::abs(z - zelle.z) <= 1;
          for (uint32_t f = 0; f < 6; ++f) {
            const uint32_t key = Spiel::Szene::FlaechenKey(f, uint32_t(x), uint32_t(y), uint32_t(z));
            const bool sichtbar = K().ZelleBei(x, y, z).flaechen[f] != 0;
            // The fixture's own faces are not requested by this editor (no file rebuild here
            // differs); inside the box every request follows the face.
            if (imQuader) EXPECT_EQ(g.HatAnforderung(key), sichtbar) << x << " " << y << " " << z << " face " << f;
          }
        }
  }
  // Rock to wall under a visible face: its request gets a newer generation.
  const uint32_t key = Spiel::Szene::FlaechenKey(Karte::PlusY, 7, 2, 7);
  uint32_t vorher = 0, nachher = 0;
  kern->MachSofort([&] { vorher = E().GibSzene().generator.LiesAnforderung(key)->generation; });
  kern->MachSofort([&] { E().SetzeBlock({7, 2, 7}, Karte::Mauer); });
  kern->MachSofort([&] { nachher = E().GibSzene().generator.LiesAnforderung(key)->generation; });
  EXPECT_GT(nachher, vorher);
}

// ---- the frame's lines and texts ----

TEST_F(EditorBearbeiten, LinienJeBild) {
  OeffneFixture();
  ZielePunkt(ZellMitte(4, 9));
  Bild();
  const size_t grau = GITTER + MARKE * OBJEKTE;
  EXPECT_EQ(linien.size(), grau + RAHMEN) << "block mode inside";
  EXPECT_EQ(Linien(ORANGE, 2.0f), 16u) << "edges and square of the cursor frame";
  ZielePunkt({-5.0f, 2.1f, 15.0f});
  Bild();
  ASSERT_FALSE(E().CursorInKarte());
  EXPECT_EQ(linien.size(), grau + RAHMEN);
  EXPECT_EQ(Linien(AUSSEN, 1.0f), 16u) << "outside: thin and grey";
  Tippe(GLFW_KEY_2);
  ZielePunkt(ZellMitte(4, 9));
  Bild();
  EXPECT_EQ(linien.size(), grau + CURSOR + MARKE) << "object mode: cursor and preview";
  Klicke();
  ZielePunkt(ObjektPunkt(5));
  Bild();
  Klicke();
  ASSERT_EQ(E().GibAuswahl().size(), 2u);
  Maus(10, 700);
  Bild();
  EXPECT_EQ(linien.size(), grau + MARKE + CURSOR + 2 * MARKE) << "one more object, two selected";
}

TEST_F(EditorBearbeiten, Texte) {
  OeffneFixture();
  ZielePunkt(ZellMitte(4, 9));
  Bild();
  const Editor::Text* kopf = TextBei(10, 10);
  ASSERT_NE(kopf, nullptr);
  char erwartet[128];
  std::snprintf(erwartet, sizeof erwartet, "Cursor auf (%.1f, %.1f), Hoehe %.3f", E().GibMausPunkt().x, E().GibMausPunkt().z,
                E().GibMausPunkt().y);
  EXPECT_EQ(kopf->text, erwartet);
  EXPECT_EQ(kopf->horizontal, 0u);
  ASSERT_NE(TextBei(10, 30), nullptr);
  EXPECT_EQ(TextBei(10, 30)->text, "Blockmodus: NeuBlock Fels - MausPos 4, 1, 9");
  EXPECT_TRUE(TextDa("Hebel #2"));
  EXPECT_TRUE(TextDa("Unbekannt #9")) << "type 9";
  Tippe(GLFW_KEY_2);
  Tippe(GLFW_KEY_COMMA);
  Tippe(GLFW_KEY_COMMA);
  Tippe(GLFW_KEY_COMMA);
  Tippe(GLFW_KEY_COMMA);
  Tippe(GLFW_KEY_COMMA);
  Tippe(GLFW_KEY_COMMA);
  Tippe(GLFW_KEY_COMMA);  // type 2: "Hebel"
  ZielePunkt(ZellMitte(4, 9));
  Bild();
  EXPECT_TRUE(TextDa("Hebel")) << "the preview marker without a number";
  ASSERT_NE(TextBei(10, 30), nullptr);
  EXPECT_EQ(TextBei(10, 30)->text.rfind("0 Objekte ausgewählt, NeuObjekt \"Hebel\", MausPos ", 0), 0u);
  EXPECT_EQ(TextBei(10, 30)->horizontal, 0u);
}

// Types 9 and 0xFFFFFFFF: drawn, picked at their raw position, deleted, undone, saved as they are.
TEST_F(EditorBearbeiten, UnbekannteTypen) {
  SchreibeSzene(FIXTURE, [](Karte& k) {
    MitTyp9(k);
    Karte::Objekt o;
    o.typ = 0xFFFFFFFF;
    o.x = 2.3f, o.y = 1.4f, o.z = 13.6f;
    k.objekte.push_back(o);
  });
  OeffneEditor();
  Ruhig();
  EXPECT_TRUE(TextDa("Unbekannt #10"));
  Tippe(GLFW_KEY_2);
  const Karte vorher = K();
  for (size_t i : {size_t(9), size_t(10)}) {
    const Karte::Objekt& o = K().objekte[i];
    EXPECT_EQ(ObjektPunkt(i), (V3{o.x * 2, o.y * 2, o.z * 2})) << "not snapped";
    ZielePunkt(ObjektPunkt(i));
    Bild();
    EXPECT_TRUE(Unter(MausPosition()).gefunden);
  }
  ZielePunkt(ObjektPunkt(10));
  Bild();
  Tippe(GLFW_KEY_DELETE);
  EXPECT_EQ(K().objekte.size(), OBJEKTE);
  Druecke(GLFW_KEY_RIGHT_CONTROL);
  Tippe(GLFW_KEY_Y);
  Loese(GLFW_KEY_RIGHT_CONTROL);
  Bild();
  EXPECT_TRUE(KartenBitgleich(K(), vorher));
  BeendeEditor();
  Karte gelesen;
  ASSERT_EQ(Spiel::SzenenDatei::Lade(SzenenPfad(), gelesen), Spiel::SzenenDatei::Ergebnis::Geladen);
  EXPECT_EQ(gelesen.objekte[9].typ, 9u);
  EXPECT_EQ(gelesen.objekte[10].typ, 0xFFFFFFFFu);
}

}  // namespace
