#pragma once
// The editor tests' fixture level and helpers on EditorRahmen.
#include <cmath>
#include <string>
#include <vector>

#include "EditorRahmen.h"
#include "KartenVergleich.h"
#include "Raster.h"

using Spiel::Editor;
using Zellpos = Editor::Zellposition;
using V3 = BVektor3<float>;

// A 16 x 4 x 16 level: a rock floor, a wall along z = 0 and one object of each type away from
// the middle in a row at z = 12, plus one of the unknown type 9.
inline const std::string FIXTURE =
    "groesse 16 4 16\n"
    "quader 0 0 0 15 0 15 Fels\n"
    "quader 0 1 0 15 2 0 Mauer\n"
    "objekt Startpunkt 1.5 1.0 10.5 | 1\n"
    "objekt Druckplatte 3.5 1.0 12.5\n"
    "objekt Hebel 5.25 1.5 12.0 | 0 2\n"
    "objekt Gitter 6.5 1.5 12.5 | 0 3\n"
    "objekt Knopf 8.125 1.5 12.0 | 1 | 0.2\n"
    "objekt Baum 9.5 1.0 12.5 | 0.1 0.2 | 7 | 1 2\n"
    "objekt Mosaik 11.125 1.5 12.0 | 3 5 | 1 1 | 2\n"
    "objekt Licht 12.125 1.625 12.125 | 1 0.5 0.25 | 4 1 1 1 | 0 0 0 0\n"
    "objekt SzeneGegenstand 13.75 1.25 12.25 | 0\n";
constexpr size_t OBJEKTE = 10;

inline void MitTyp9(Karte& karte) {
  Karte::Objekt o;
  o.typ = 9;
  o.x = 4.3f;
  o.y = 1.2f;
  o.z = 14.7f;
  karte.objekte.push_back(o);
}

class EditorTest : public EditorRahmen {
 public:
  void OeffneFixture() { OeffneMit(FIXTURE, MitTyp9); }
  bool TextDa(const std::string& text) const {
    for (const Editor::Text& t : editor->GibTexte())
      if (t.text == text) return true;
    return false;
  }

  // ---- aiming, also past an open dialog ----
  // With `unterDialog` the mouse stays below the dialog, where the modal page blocks the world.
  void Ziele(const V3& punkt) {
    if (unterDialog) Maus(640, 680);
    else ZielePunkt(punkt);
  }
  void KlickeAuf(const V3& punkt) {
    Ziele(punkt);
    Bild();
    Klicke();
  }
  void Bewege(float dx, float dy) {
    const V3 m = MausPosition();
    Maus(m.x + dx, m.y + dy);
  }
  // Where object i's marker stands (doubled units).
  V3 ObjektPunkt(size_t i) {
    const Karte::Objekt& o = K().objekte[i];
    return Spiel::Raster::Einrasten(Karte::ObjektTypVon(o.typ), {o.x, o.y, o.z}) * 2.0f;
  }
  void Objektmodus() { Tippe(GLFW_KEY_2); }
  // End over object i: the dialog opens.
  void OeffneDialogFuer(size_t i) {
    if (E().GibModus() != Editor::OBJEKTMODUS) Objektmodus();
    ZielePunkt(ObjektPunkt(i));
    Bild();
    Tippe(GLFW_KEY_END);
    ASSERT_NE(E().GibDialog(), nullptr);
  }
  // The pick through a screen point with the last frame's view.
  Editor::Wahl Unter(const V3& schirm) {
    return E().WaehleObjekt(E().GibKameraPosition(), Spiel::Kamera::StrahlDurchMaus(E().GibAnsicht(), schirm.x, schirm.y, Schirm()));
  }
  // The first object whose marker lies well inside the screen and is what a pick there finds.
  bool SichtbaresObjekt(size_t& index, V3& schirm, size_t ab = 0) {
    for (size_t i = ab; i < K().objekte.size(); ++i) {
      float x = 0, y = 0;
      if (!Spiel::Kamera::ProjiziereAufBildschirm(ObjektPunkt(i), E().GibAnsicht(), Schirm(), x, y)) continue;
      if (x < 100 || y < 100 || x > BREITE - 100 || y > HOEHE - 100) continue;
      const Editor::Wahl w = Unter({x, y, 0});
      if (w.gefunden && w.index == i) {
        index = i;
        schirm = {x, y, 0};
        return true;
      }
    }
    return false;
  }
  // A screen point over the working plane inside the map where no object is picked.
  bool FreierBoden(V3& schirm) {
    for (float y = 400; y < 680; y += 20)
      for (float x = 200; x < 1100; x += 40) {
        Maus(x, y);
        Bild();
        if (E().CursorInKarte() && !Unter({x, y, 0}).gefunden) {
          schirm = {x, y, 0};
          return true;
        }
      }
    return false;
  }
  Gui::Oberflaeche* Oberflaeche() { return bruecke->GibOberflaeche(); }
  bool unterDialog = false;
  V3 gemerkt{0, 0, 0};  // the mouse point of a press frame
  const Editor::Text* TextBei(float x, float y) const {
    for (const Editor::Text& t : editor->GibTexte())
      if (t.x == x && t.y == y) return &t;
    return nullptr;
  }
};
