// The level editor on the OpenGL device under the virtual display, with the game's resources and
// the shipped level: once the generator rests, each frame draws the editor's scene with
// ZeichnePassagen (its view, Projektion, an empty filter set, the cut height as the segment
// limit, as the frame step hands them over), the line batch in the main pass, then the font's
// glyphs. Checked: the cursor frame in orange, the grid over the floor with the floor between its
// lines, a selected marker brighter than the same marker unselected, a label's glyphs, and the
// layer cut showing more of the clear colour. The pictures are saved as editor_*.png in the
// temporary folder, to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "AnzeigeSperre.h"
#include "FilterSatz.h"
#include "SchirmBild.h"
#include "WeltRenderer.h"
#include "Zarvo_Font3D.h"
#include "Raster.h"
#include "einheit/EditorRahmen.h"

namespace {

using anzeige::Kanal;
using anzeige::Pixel;
using Spiel::Editor;
using Zellpos = Editor::Zellposition;

class EditorAnzeige : public EditorRahmen {
 protected:
  bool OeffneSchirm() override { return anzeige::OeffneGlSchirm(log, BREITE, HOEHE); }
  void SchliesseSchirm() override {
    renderer.reset();
    anzeige::SchliesseGlSchirm(log);
  }
  void TearDown() override {
    BeendeEditor();
    renderer.reset();
    EditorRahmen::TearDown();
  }

  // The frame step's editor branch, with the glyphs drawn first and covered when `ohneText`.
  void Schritt() override {
    if (editor) editor->Aktualisiere();
    linien = stapel->linien;
    if (ohneLinien || !zeichnen) stapel->linien.clear();
    if (zeichnen && renderer) {
      if (ohneText) Spiel::Ressourcen::Schrift()->ZeichneAlles();
      renderer->segmentGrenze = editor->GibSchnittHoehe();
      renderer->ZeichnePassagen(editor->GibSzene(), editor->GibAnsicht(), Editor::Projektion(BREITE, HOEHE), leer);
    }
    stapel->linien.clear();
  }

  // Frames until the generator took over nothing for eight frames in a row (jobs awaited).
  bool BisRuhe() {
    int ruhig = 0;
    for (int i = 0; i < 3000 && ruhig < 8; ++i) {
      kern->MachSofort([&] { editor->GibSzene().generator.WarteAufOffene(); });
      Bild();
      ruhig = editor->GibSzene().generator.LetzteUebernahme().datensaetze == 0 ? ruhig + 1 : 0;
    }
    return ruhig >= 8;
  }

  // One drawn frame, read back (saved as editor_<name>.png when named).
  Zarvo_Bild Gezeichnet(const std::string& name = "", bool mitLinien = true, bool mitText = true) {
    zeichnen = true;
    ohneLinien = !mitLinien;
    ohneText = !mitText;
    Bild();
    zeichnen = false;
    ohneLinien = false;
    ohneText = false;
    return anzeige::LiesSchirm(BREITE, HOEHE, name.empty() ? name : "editor_" + name);
  }

  static int Helligkeit(uint32_t p) { return Kanal(p, 16) + Kanal(p, 8) + Kanal(p, 0); }
  static bool Orange(uint32_t p) { return Kanal(p, 16) > 180 && Kanal(p, 8) > 100 && Kanal(p, 8) < 200 && Kanal(p, 0) < 120; }
  static bool Klarfarbe(uint32_t p) {
    return std::abs(Kanal(p, 16) - 77) <= 2 && std::abs(Kanal(p, 8) - 89) <= 2 && std::abs(Kanal(p, 0) - 102) <= 2;
  }
  static bool Innen(const V3& s) { return s.x >= 3 && s.y >= 3 && s.x < BREITE - 3 && s.y < HOEHE - 3; }
  // Whether a pixel within two of the point passes the test.
  template <class F>
  static bool Nahe(const Zarvo_Bild& bild, const V3& s, F&& test) {
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx)
        if (test(Pixel(bild, int64_t(s.x) + dx, int64_t(s.y) + dy))) return true;
    return false;
  }
  bool Projiziert(const V3& p, V3& s) {
    float x = 0, y = 0;
    if (!Spiel::Kamera::ProjiziereAufBildschirm(p, editor->GibAnsicht(), Schirm(), x, y)) return false;
    s = {x, y, 0};
    return Innen(s);
  }

  Karte& Karte_() { return editor->GibSzene().karte; }

  AnzeigeSperre sperre;
  std::unique_ptr<Spiel::WeltRenderer> renderer;
  FilterSatz leer;
  bool zeichnen = false, ohneText = false, ohneLinien = false;
};

TEST_F(EditorAnzeige, RahmenGitterMarkenTexteUndSchnitt) {
  NimmMitgelieferteSzene();
  OeffneEditor(Spiel::Generator::StandardErbauer());
  renderer = std::make_unique<Spiel::WeltRenderer>();
  ASSERT_TRUE(BisRuhe()) << "the generator did not come to rest";
  Ruhig();

  // ---- block mode: the cursor frame and the grid ----
  ASSERT_TRUE(E().CursorInKarte());
  const Zellpos zelle = E().GibCursorZelle();
  const Zarvo_Bild mit = Gezeichnet("block");
  const Zarvo_Bild ohne = Gezeichnet("", false);
  // The frame's top square at 2y + 2.2 stays under the cut: its edges' middles are orange.
  const float X = 2.0f * float(zelle.x), Y = 2.0f * float(zelle.y), Z = 2.0f * float(zelle.z);
  int orange = 0, kanten = 0;
  for (const V3& p : {V3{X + 1, Y + 2.2f, Z + 0.2f}, V3{X + 1, Y + 2.2f, Z + 1.8f}, V3{X + 0.2f, Y + 2.2f, Z + 1},
                      V3{X + 1.8f, Y + 2.2f, Z + 1}}) {
    V3 s;
    if (!Projiziert(p, s)) continue;
    ++kanten;
    orange += Nahe(mit, s, Orange);
  }
  EXPECT_EQ(kanten, 4);
  EXPECT_EQ(orange, kanten) << "the cursor frame's top square";
  // Grid points (line middles) on open floor turn grey; the floor between the lines stays.
  const int32_t schicht = E().GibSchicht();
  const float h = 2.0f * float(schicht) + 0.1f;
  const float gx = 2.0f * std::floor(E().GibZiel().x / 2), gz = 2.0f * std::floor(E().GibZiel().z / 2);
  int aufLinie = 0, grau = 0, zwischen = 0, gleich = 0;
  for (int j = -6; j <= 6; ++j)
    for (int i = -6; i <= 6; ++i) {
      const int32_t cx = int32_t(gx / 2) + i, cz = int32_t(gz / 2) + j;
      if (!Karte_().Enthaelt(cx, schicht, cz) || Karte_().ZelleBei(cx, schicht, cz).typ != 0) continue;
      if (!Karte_().Enthaelt(cx, schicht - 1, cz) || Karte_().ZelleBei(cx, schicht - 1, cz).typ != Karte::Fels) continue;
      if (std::abs(cx - zelle.x) <= 1 && std::abs(cz - zelle.z) <= 1) continue;  // the cursor frame
      V3 linie, mitte;
      if (Projiziert({2.0f * float(cx) + 1, h, 2.0f * float(cz)}, linie)) {
        ++aufLinie;
        const uint32_t a = Pixel(mit, int64_t(linie.x), int64_t(linie.y)), b = Pixel(ohne, int64_t(linie.x), int64_t(linie.y));
        grau += std::abs(Kanal(a, 16) - 128) < std::abs(Kanal(b, 16) - 128) || std::abs(Kanal(a, 16) - Kanal(b, 16)) > 8;
      }
      if (Projiziert({2.0f * float(cx) + 1, h, 2.0f * float(cz) + 1}, mitte)) {
        ++zwischen;
        gleich += Pixel(mit, int64_t(mitte.x), int64_t(mitte.y)) == Pixel(ohne, int64_t(mitte.x), int64_t(mitte.y));
      }
    }
  ASSERT_GT(aufLinie, 10);
  EXPECT_GT(grau * 10, aufLinie * 8) << grau << " of " << aufLinie << " line points turn grey";
  ASSERT_GT(zwischen, 10);
  EXPECT_GT(gleich * 10, zwischen * 8) << gleich << " of " << zwischen << " cell middles keep the floor";

  // ---- the cut: off shows the upper walls again ----
  Tippe(GLFW_KEY_SPACE);
  ASSERT_EQ(E().GibSchnittHoehe(), Editor::KEIN_SCHNITT);
  const Zarvo_Bild ungeschnitten = Gezeichnet("ohne_schnitt");
  Tippe(GLFW_KEY_SPACE);
  ASSERT_EQ(E().GibSchnittHoehe(), 4.5f);
  int klarMit = 0, klarOhne = 0;
  for (uint32_t y = 0; y < HOEHE; ++y)
    for (uint32_t x = 0; x < BREITE; ++x) {
      klarMit += Klarfarbe(Pixel(mit, x, y));
      klarOhne += Klarfarbe(Pixel(ungeschnitten, x, y));
    }
  EXPECT_GT(klarMit, klarOhne + int(BREITE * HOEHE / 100)) << klarMit << " vs " << klarOhne;

  // ---- object mode: a selected marker, a label ----
  Tippe(GLFW_KEY_2);
  size_t index = 0;
  V3 schirm;
  bool gefunden = false;
  for (size_t i = 0; i < Karte_().objekte.size() && !gefunden; ++i) {
    const Karte::Objekt& o = Karte_().objekte[i];
    const V3 p = Spiel::Raster::Einrasten(Karte::ObjektTypVon(o.typ), {o.x, o.y, o.z}) * 2.0f;
    if (p.y > E().GibSchnittHoehe() || !Projiziert(p, schirm)) continue;
    if (schirm.x < 200 || schirm.x > BREITE - 200 || schirm.y < 150 || schirm.y > HOEHE - 150) continue;
    const Editor::Wahl w = E().WaehleObjekt(E().GibKameraPosition(),
                                           Spiel::Kamera::StrahlDurchMaus(E().GibAnsicht(), schirm.x, schirm.y, Schirm()));
    gefunden = w.gefunden && w.index == i;
    index = i;
  }
  ASSERT_TRUE(gefunden) << "no object to select in view";
  Maus(10, HOEHE - 10);  // away from the object
  Bild();
  const Zarvo_Bild unausgewaehlt = Gezeichnet("objekt");
  Maus(schirm.x, schirm.y);
  Bild();
  Klicke();
  ASSERT_EQ(E().GibAuswahl(), std::vector<uint64_t>{index});
  Maus(10, HOEHE - 10);
  Bild();
  const Zarvo_Bild ausgewaehlt = Gezeichnet("ausgewaehlt");
  const Karte::Objekt& o = Karte_().objekte[index];
  const V3 p = Spiel::Raster::Einrasten(Karte::ObjektTypVon(o.typ), {o.x, o.y, o.z}) * 2.0f;
  // Along the marker's post, from 0.2 to 1.0 above P, the white copy lies over the grey one.
  long vorher = 0, nachher = 0;
  for (float d = 0.2f; d <= 1.0f; d += 0.1f) {
    V3 s;
    if (!Projiziert({p.x + 0.1f, p.y + d, p.z}, s)) continue;
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        vorher += Helligkeit(Pixel(unausgewaehlt, int64_t(s.x) + dx, int64_t(s.y) + dy));
        nachher += Helligkeit(Pixel(ausgewaehlt, int64_t(s.x) + dx, int64_t(s.y) + dy));
      }
  }
  EXPECT_GT(nachher, vorher + 200) << "selected " << nachher << ", unselected " << vorher;
  // The label "<name> #<index>" centred over P: white glyph pixels there, none without texts.
  V3 etikett;
  ASSERT_TRUE(Projiziert({p.x, p.y + 0.1f, p.z}, etikett));
  const Zarvo_Bild ohneTexte = Gezeichnet("", true, false);
  int weissMit = 0, weissOhne = 0;
  for (int dy = -10; dy <= 10; ++dy)
    for (int dx = -30; dx <= 30; ++dx) {
      const auto weiss = [](uint32_t q) { return Kanal(q, 16) > 235 && Kanal(q, 8) > 235 && Kanal(q, 0) > 235; };
      weissMit += weiss(Pixel(ausgewaehlt, int64_t(etikett.x) + dx, int64_t(etikett.y) + dy));
      weissOhne += weiss(Pixel(ohneTexte, int64_t(etikett.x) + dx, int64_t(etikett.y) + dy));
    }
  EXPECT_GT(weissMit, weissOhne + 20) << "glyphs " << weissMit << " vs " << weissOhne;
}

}  // namespace
