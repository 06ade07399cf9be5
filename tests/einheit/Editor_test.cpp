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

#include "EditorRahmen.h"
#include "KartenVergleich.h"
#include "Raster.h"

namespace {

using Spiel::Editor;
using Zellpos = Editor::Zellposition;

// A 16 x 4 x 16 level: a rock floor, a wall along z = 0 and one object of each type away from
// the middle, plus one of the unknown type 9.
const std::string FIXTURE =
    "groesse 16 4 16\n"
    "quader 0 0 0 15 0 15 Fels\n"
    "quader 0 1 0 15 2 0 Mauer\n"
    "objekt Startpunkt 1.5 1.0 1.5 | 1\n"
    "objekt Druckplatte 9.5 1.0 12.5\n"
    "objekt Hebel 10.25 1.5 13.0 | 0 2\n"
    "objekt Gitter 11.5 1.5 12.5 | 0 3\n"
    "objekt Knopf 12.125 1.5 13.0 | 1 | 0.2\n"
    "objekt Baum 13.5 1.0 14.5 | 0.1 0.2 | 7 | 1 2\n"
    "objekt Mosaik 8.125 1.5 14.0 | 3 5 | 1 1 | 2\n"
    "objekt Licht 7.125 2.125 13.125 | 1 0.5 0.25 | 4 1 1 1 | 0 0 0 0\n"
    "objekt SzeneGegenstand 6.75 1.25 14.25 | 0\n";
constexpr size_t OBJEKTE = 10;

void MitTyp9(Karte& karte) {
  Karte::Objekt o;
  o.typ = 9;
  o.x = 14.3f;
  o.y = 1.2f;
  o.z = 11.7f;
  karte.objekte.push_back(o);
}

class EditorTest : public EditorRahmen {
 protected:
  void OeffneFixture() { OeffneMit(FIXTURE, MitTyp9); }
  bool TextDa(const std::string& text) const {
    for (const Editor::Text& t : editor->GibTexte())
      if (t.text == text) return true;
    return false;
  }
  const Editor::Text* TextBei(float x, float y) const {
    for (const Editor::Text& t : editor->GibTexte())
      if (t.x == x && t.y == y) return &t;
    return nullptr;
  }
};

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

}  // namespace
