// The level editor on the harness: the key and mouse bindings of both modes as one table, the
// camera, the undo stack as the scene file's bytes, picking and drags, the parameter dialog, the
// lines and texts of a frame, and the scene file on opening and leaving.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "EditorTestBasis.h"

namespace {

using Spiel::Editor;

TEST_F(EditorTest, OeffnetMitStandardwertenUndKamera) {
  OeffneFixture();
  ASSERT_EQ(K().objekte.size(), OBJEKTE);
  EXPECT_EQ(E().GibModus(), Editor::BLOCKMODUS);
  EXPECT_EQ(E().GibSchicht(), 1);
  EXPECT_EQ(E().GibNeuerBlockTyp(), 1u);
  EXPECT_EQ(E().GibRueckgaengigTiefe(), 0u);
  EXPECT_EQ(E().GibSchnittHoehe(), 4.5f) << "the ray meets the plane: the cut over layer 1";
  EXPECT_NEAR(E().GibZiel().y, 2.0f, 1e-5f);
  const V3 c = E().GibKameraPosition(), z = E().GibZiel();
  EXPECT_NEAR(c.x - z.x, -5.344f, 1e-3f);
  EXPECT_NEAR(c.y - z.y, 11.478f, 1e-3f);
  EXPECT_NEAR(c.z - z.z, -9.783f, 1e-3f);
  EXPECT_EQ(Editor::Global(), editor.get());
  BeendeEditor();
  EXPECT_EQ(Editor::Global(), nullptr);
}

TEST_F(EditorTest, Projektion) {
  const BMatrix p = Editor::Projektion(1280, 720);
  const float erwartet[16] = {1.0734261f, 0, 0, 0, 0, 1.0734261f * 1280 / 720, 0, 0, 0, 0, 1.001565f, -0.1001565f,
                              0, 0, 1, 0};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p.m[i], erwartet[i]) << i;
  // Depth 0.1 maps to 0, 64 to 1.
  float a[4];
  p.TransformiereHomogen({0, 0, 0.1f}, a);
  EXPECT_NEAR(a[2] / a[3], 0.0f, 1e-6f);
  p.TransformiereHomogen({0, 0, 64}, a);
  EXPECT_NEAR(a[2] / a[3], 1.0f, 1e-5f);
}

TEST_F(EditorTest, KlickInZelleSetztBlock) {
  OeffneFixture();
  const std::vector<uint8_t> vorher = Bytes(K());
  ZielePunkt(ZellMitte(4, 9));
  Bild();
  ASSERT_TRUE(E().CursorInKarte());
  ASSERT_EQ(E().GibCursorZelle(), (Zellpos{4, 1, 9}));
  Klicke();
  EXPECT_EQ(K().ZelleBei(4, 1, 9).typ, 1u);
  EXPECT_EQ(E().GibAnker(), (Zellpos{4, 1, 9}));
  ASSERT_EQ(Tiefe(), 1u);
  EXPECT_EQ(Bytes(E().GibRueckgaengigStapel().back()), vorher);
}

// ---- bindings ----

// The fields a binding may change, with the map's bytes and the undo depth.
struct Felder {
  float gieren, neigung, abstand, zielX, zielZ;
  int32_t schicht;
  uint32_t modus, blockTyp, objektTyp;
  Zellpos anker;
  std::vector<uint64_t> auswahl;
  size_t tiefe;
  uint8_t schnittAn;
  bool dialog;
  std::vector<uint8_t> karte;

  static Felder Von(EditorTest& t);
};

struct Bindung {
  const char* name;
  uint32_t modus;
  std::function<void(EditorTest&)> eingabe;
  // The expected change of the fields (the map's through a copy of it).
  std::function<void(Felder&, EditorTest&)> erwartet;
  std::function<void(Karte&, EditorTest&)> karte;
};

bool Nahe(float a, float b) { return std::fabs(a - b) <= 1e-4f * std::max(1.0f, std::fabs(b)); }

void Vergleiche(const Felder& ist, const Felder& soll) {
  EXPECT_TRUE(Nahe(ist.gieren, soll.gieren)) << ist.gieren << " vs " << soll.gieren;
  EXPECT_TRUE(Nahe(ist.neigung, soll.neigung)) << ist.neigung << " vs " << soll.neigung;
  EXPECT_TRUE(Nahe(ist.abstand, soll.abstand)) << ist.abstand << " vs " << soll.abstand;
  EXPECT_TRUE(Nahe(ist.zielX, soll.zielX)) << ist.zielX << " vs " << soll.zielX;
  EXPECT_TRUE(Nahe(ist.zielZ, soll.zielZ)) << ist.zielZ << " vs " << soll.zielZ;
  EXPECT_EQ(ist.schicht, soll.schicht);
  EXPECT_EQ(ist.modus, soll.modus);
  EXPECT_EQ(ist.blockTyp, soll.blockTyp);
  EXPECT_EQ(ist.objektTyp, soll.objektTyp);
  EXPECT_EQ(ist.anker, soll.anker);
  EXPECT_EQ(ist.auswahl, soll.auswahl);
  EXPECT_EQ(ist.tiefe, soll.tiefe);
  EXPECT_EQ(ist.schnittAn, soll.schnittAn);
  EXPECT_EQ(ist.dialog, soll.dialog);
  EXPECT_TRUE(ist.karte == soll.karte) << "map bytes";
}

Felder Felder::Von(EditorTest& t) {
  const Editor& e = *t.editor;
  return {e.GibGieren(),       e.GibNeigung(),        e.GibAbstand(),    e.GibZiel().x,
          e.GibZiel().z,       e.GibSchicht(),        e.GibModus(),      e.GibNeuerBlockTyp(),
          e.GibNeuerObjektTyp(), e.GibAnker(),        e.GibAuswahl(),    e.GibRueckgaengigTiefe(),
          e.GibSchnittAn(),    e.GibDialog() != nullptr, EditorRahmen::Bytes(e.GibSzene().karte)};
}

constexpr uint32_t B = Editor::BLOCKMODUS, O = Editor::OBJEKTMODUS;

// A key held for 64 frames (one second) moves the target by 10 along (x, z) = d.
Bindung Fahrt(const char* name, std::vector<int> tasten, float vor, float seit) {
  return {name, B,
          [tasten](EditorTest& t) {
            for (int taste : tasten) t.Druecke(taste);
            t.Bilder(64);
            for (int taste : tasten) t.Loese(taste);
            t.Bild();
          },
          [vor, seit](Felder& f, EditorTest&) {
            const float sn = std::sin(0.5f), cs = std::cos(0.5f);
            f.zielX += vor * sn + seit * cs;
            f.zielZ += -seit * sn + vor * cs;
          },
          {}};
}

Bindung Mehrmals(const char* name, uint32_t modus, std::function<void(EditorTest&)> einmal, int mal,
                 std::function<void(Felder&, EditorTest&)> erwartet) {
  return {name, modus,
          [einmal, mal](EditorTest& t) {
            for (int i = 0; i < mal; ++i) einmal(t);
          },
          erwartet, {}};
}

void TippeTaste(EditorTest& t, int taste) { t.Tippe(taste); }

// A block click at cell (4, 1, 9), then `undo` with the keys held.
Bindung Rueckgaengig(const char* name, std::vector<int> tasten, bool nimmtZurueck) {
  return {name, B,
          [tasten](EditorTest& t) {
            t.KlickeAuf(t.ZellMitte(4, 9));
            for (int taste : tasten) t.Druecke(taste);
            t.Bild();
            for (int taste : tasten) t.Loese(taste);
            t.Bild();
          },
          [nimmtZurueck](Felder& f, EditorTest&) {
            f.anker = {4, 1, 9};
            if (!nimmtZurueck) f.tiefe = 1;
          },
          [nimmtZurueck](Karte& k, EditorTest&) {
            if (nimmtZurueck) return;
            k.ZelleBei(4, 1, 9).typ = Karte::Fels;
            k.BaueBlockGeometrie();
          }};
}

std::vector<Bindung> Bindungen() {
  const auto mitte = [](float dx, float dy) {
    return [dx, dy](EditorTest& t) {
      t.KnopfRunter(GLFW_MOUSE_BUTTON_MIDDLE);
      t.Bild();
      t.Bewege(dx, dy);
      t.Bild();
      t.KnopfHoch(GLFW_MOUSE_BUTTON_MIDDLE);
      t.Bild();
    };
  };
  return {
      // camera and layer
      {"middle button turns", B, mitte(30, 40), [](Felder& f, EditorTest&) { f.gieren = 0.2f; f.neigung = 1.0f; }, {}},
      {"yaw wraps at 2 pi, pitch stops at 1.4", B, mitte(-600, 200),
       [](Felder& f, EditorTest&) { f.gieren = std::fmod(6.5f, 6.2831855f); f.neigung = 1.4f; }, {}},
      {"pitch stops at 0.3", B, mitte(0, -200), [](Felder& f, EditorTest&) { f.neigung = 0.3f; }, {}},
      {"motion without the button", B,
       [](EditorTest& t) {
         t.Bewege(30, 40);
         t.Bilder(2);
       },
       [](Felder&, EditorTest&) {}, {}},
      {"Page Down 64 frames doubles", B, [](EditorTest& t) { t.Halte(GLFW_KEY_PAGE_DOWN, 64); },
       [](Felder& f, EditorTest&) { f.abstand = 32; }, {}},
      {"Page Up 64 frames halves", B, [](EditorTest& t) { t.Halte(GLFW_KEY_PAGE_UP, 64); },
       [](Felder& f, EditorTest&) { f.abstand = 8; }, {}},
      Fahrt("W", {GLFW_KEY_W}, 10, 0),
      Fahrt("Up", {GLFW_KEY_UP}, 10, 0),
      Fahrt("S", {GLFW_KEY_S}, -10, 0),
      Fahrt("Down", {GLFW_KEY_DOWN}, -10, 0),
      Fahrt("D", {GLFW_KEY_D}, 0, 10),
      Fahrt("Right", {GLFW_KEY_RIGHT}, 0, 10),
      Fahrt("A", {GLFW_KEY_A}, 0, -10),
      Fahrt("Left", {GLFW_KEY_LEFT}, 0, -10),
      Fahrt("W and Up count once", {GLFW_KEY_W, GLFW_KEY_UP}, 10, 0),
      Fahrt("W and S cancel", {GLFW_KEY_W, GLFW_KEY_S}, 0, 0),
      Mehrmals("keypad + ten times stops at Y - 1", B, [](EditorTest& t) { t.Tippe(GLFW_KEY_KP_ADD); }, 10,
               [](Felder& f, EditorTest&) { f.schicht = 3; }),
      Mehrmals("keypad - ten times stops at 0", B, [](EditorTest& t) { t.Tippe(GLFW_KEY_KP_SUBTRACT); }, 10,
               [](Felder& f, EditorTest&) { f.schicht = 0; }),
      Mehrmals("wheel up ten notches", B, [](EditorTest& t) { t.Rolle(1); t.Bilder(2); }, 10,
               [](Felder& f, EditorTest&) { f.schicht = 3; }),
      Mehrmals("wheel down ten notches", B, [](EditorTest& t) { t.Rolle(-1); t.Bilder(2); }, 10,
               [](Felder& f, EditorTest&) { f.schicht = 0; }),
      {"keypad + with a notch in one frame counts once", B,
       [](EditorTest& t) {
         t.Rolle(1);
         t.Tippe(GLFW_KEY_KP_ADD);
       },
       [](Felder& f, EditorTest&) { f.schicht = 2; }, {}},
      {"Space toggles the cut", B, [](EditorTest& t) { t.Tippe(GLFW_KEY_SPACE); },
       [](Felder& f, EditorTest&) { f.schnittAn = 0; }, {}},
      Rueckgaengig("left Ctrl with Y undoes", {GLFW_KEY_LEFT_CONTROL, GLFW_KEY_Y}, true),
      Rueckgaengig("right Ctrl with Y undoes", {GLFW_KEY_RIGHT_CONTROL, GLFW_KEY_Y}, true),
      Rueckgaengig("Y alone does nothing", {GLFW_KEY_Y}, false),
      {"key 2 picks object mode", B, [](EditorTest& t) { t.Tippe(GLFW_KEY_2); },
       [](Felder& f, EditorTest&) { f.modus = O; }, {}},
      {"key 1 picks block mode", O, [](EditorTest& t) { t.Tippe(GLFW_KEY_1); },
       [](Felder& f, EditorTest&) { f.modus = B; }, {}},
      // block mode
      {"right button: next block type", B, [](EditorTest& t) { t.KlickeKnopf(GLFW_MOUSE_BUTTON_RIGHT); },
       [](Felder& f, EditorTest&) { f.blockTyp = 2; }, {}},
      {"keypad comma (179): next block type", B, [](EditorTest& t) { t.TippeKeypadKomma(); },
       [](Felder& f, EditorTest&) { f.blockTyp = 2; }, {}},
      Mehrmals("keypad 0 twice: from Fels past Leer", B, [](EditorTest& t) { t.Tippe(GLFW_KEY_KP_0); }, 2,
               [](Felder& f, EditorTest&) { f.blockTyp = 18; }),
      {"a click inside sets the cell", B, [](EditorTest& t) { t.KlickeAuf(t.ZellMitte(4, 9)); },
       [](Felder& f, EditorTest&) { f.anker = {4, 1, 9}; f.tiefe = 1; },
       [](Karte& k, EditorTest&) {
         k.ZelleBei(4, 1, 9).typ = Karte::Fels;
         k.BaueBlockGeometrie();
       }},
      {"a click just beyond -X changes nothing", B,
       [](EditorTest& t) { t.KlickeAuf({-0.5f, 2.1f, 15.0f}); }, [](Felder&, EditorTest&) {}, {}},
      // object mode
      Mehrmals("period nine times: the same type", O, [](EditorTest& t) { t.Tippe(GLFW_KEY_PERIOD); }, 9,
               [](Felder&, EditorTest&) {}),
      {"comma steps back", O, [](EditorTest& t) { t.Tippe(GLFW_KEY_COMMA); },
       [](Felder& f, EditorTest&) { f.objektTyp = 8; }, {}},
      {"a press on the floor places a new object", O,
       [](EditorTest& t) {
         t.Ziele(t.ZellMitte(4, 9));
         t.Bild();
         t.MausRunter();
         t.Bild();
         t.gemerkt = t.editor->GibMausPunkt();
         t.MausHoch();
         t.Bild();
       },
       [](Felder& f, EditorTest&) { f.auswahl = {OBJEKTE}; f.tiefe = 1; },
       [](Karte& k, EditorTest& t) {
         Karte::Objekt o;
         const V3 p = t.gemerkt * 0.5f;
         o.x = p.x, o.y = p.y, o.z = p.z;
         k.objekte.push_back(o);
       }},
      {"with left Ctrl a press on the floor does nothing", O,
       [](EditorTest& t) {
         t.Druecke(GLFW_KEY_LEFT_CONTROL);
         t.KlickeAuf(t.ZellMitte(4, 9));
         t.Loese(GLFW_KEY_LEFT_CONTROL);
         t.Bild();
       },
       [](Felder&, EditorTest&) {}, {}},
      {"a press on an object selects it once", O,
       [](EditorTest& t) {
         t.KlickeAuf(t.ObjektPunkt(4));
         t.Klicke();
       },
       [](Felder& f, EditorTest&) { f.auswahl = {4}; }, {}},
      {"the right button clears the selection", O,
       [](EditorTest& t) {
         t.KlickeAuf(t.ObjektPunkt(4));
         t.KlickeKnopf(GLFW_MOUSE_BUTTON_RIGHT);
       },
       [](Felder&, EditorTest&) {}, {}},
      {"Delete with a selection", O,
       [](EditorTest& t) {
         t.KlickeAuf(t.ObjektPunkt(4));
         t.Ziele(t.ZellMitte(1, 8));
         t.Bild();
         t.Tippe(GLFW_KEY_DELETE);
       },
       [](Felder& f, EditorTest&) { f.tiefe = 1; },
       [](Karte& k, EditorTest&) { k.objekte.erase(k.objekte.begin() + 4); }},
      {"Delete under the mouse", O,
       [](EditorTest& t) {
         t.Ziele(t.ObjektPunkt(2));
         t.Bild();
         t.Tippe(GLFW_KEY_DELETE);
       },
       [](Felder& f, EditorTest&) { f.tiefe = 1; },
       [](Karte& k, EditorTest&) { k.objekte.erase(k.objekte.begin() + 2); }},
      {"End opens the dialog", O,
       [](EditorTest& t) {
         t.Ziele(t.ObjektPunkt(3));
         t.Bild();
         t.Tippe(GLFW_KEY_END);
       },
       [](Felder& f, EditorTest&) { f.dialog = true; }, {}},
  };
}

enum class Sperre { Keine, Dialog, Konsole };

void PruefeBindungen(EditorTest& t, Sperre sperre) {
  for (const Bindung& b : Bindungen()) {
    SCOPED_TRACE(b.name);
    t.OeffneFixture();
    if (b.modus == O) t.Objektmodus();
    if (sperre == Sperre::Dialog) {
      t.OeffneDialogFuer(6);
      t.unterDialog = true;
      t.Maus(640, 680);
      t.Bild();
    }
    t.log.konsoleOffen = sperre == Sperre::Konsole;
    const Karte vorherKarte = t.K();
    Felder soll = Felder::Von(t);
    b.eingabe(t);
    if (sperre == Sperre::Keine) {
      b.erwartet(soll, t);
      if (b.karte) {
        Karte k = vorherKarte;
        b.karte(k, t);
        soll.karte = EditorRahmen::Bytes(k);
      }
    }
    Vergleiche(Felder::Von(t), soll);
    t.log.konsoleOffen = false;
    t.unterDialog = false;
    t.BeendeEditor();
  }
}

TEST_F(EditorTest, Bindungen) { PruefeBindungen(*this, Sperre::Keine); }
TEST_F(EditorTest, OffenerDialogSperrtDieBindungen) { PruefeBindungen(*this, Sperre::Dialog); }
TEST_F(EditorTest, OffeneKonsoleSperrtDieBindungen) { PruefeBindungen(*this, Sperre::Konsole); }

}  // namespace
