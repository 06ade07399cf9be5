// Player control: the screen zones and their clicks, carrying a stone, a widget in front of the
// world, picking (ties, reach, moving levers, sliding and falling stones, behind the camera), the
// label, the clicks on levers, buttons and stones, and the put-down and throw rules as tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "Button.h"
#include "SpielRahmen.h"

namespace {

using Spiel::SpielAblauf;
using Animation = Spiel::Szene::Animation;

constexpr TAlphaFarbe KASTEN{0, 0, 0, 0.50196081f};
const BVektor3<float> MITTE{640, 360, 0};

class Spielersteuerung : public SpielRahmen {
 protected:
  // A frame looking from `blick`, then one with the mouse on the point (as that view shows it).
  void ZeigeAuf(const V3& punkt, const V3& blick = MITTE) {
    Maus(blick.x, blick.y);
    Bild();
    a = AufSchirm(punkt);
    Maus(a.x, a.y);
    Bild();
  }
  // The label box the last frame queued, or null.
  const Zarvo_SpriteInstanz* Kasten() const {
    for (const Zarvo_SpriteInstanz& s : sprites)
      if (s.r == KASTEN.r && s.g == KASTEN.g && s.b == KASTEN.b && s.a == KASTEN.a) return &s;
    return nullptr;
  }
  size_t Symbole() const {
    return size_t(std::count_if(sprites.begin(), sprites.end(), [](const Zarvo_SpriteInstanz& s) { return s.quellBreite == 64; }));
  }
  // The live animations of an owner.
  std::vector<Animation> AnimationenVon(uint64_t besitzer) {
    std::vector<Animation> liste;
    Szene().GibAnimationen().FuerLebende([&](uint64_t, const Animation& an) {
      if (an.besitzer == besitzer) liste.push_back(an);
    });
    return liste;
  }
  // A stone created at rest (block units).
  uint64_t Stein(const V3& ort, const V3& geschwindigkeit = {}, bool bewegt = false) {
    return Szene().ErzeugeInstanz(0, ort, geschwindigkeit, bewegt);
  }

  V3 a;  // where ZeigeAuf found the point
};

TEST_F(Spielersteuerung, ZonenTabelle) {
  const Spiel::Kamera::Schirm schirm{1280, 720};
  const float anteile[] = {0.1f, 0.25f, 0.4f, 0.5f, 0.75f, 0.9f};
  // Rows: x share; columns: y share. Left and right win over up and down; the bounds are strict.
  const uint32_t erwartet[6][6] = {
      {8, 8, 8, 8, 8, 8},        {9, 9, 14, 14, 14, 12},    {9, 9, 14, 14, 14, 12},
      {9, 9, 14, 14, 14, 12},    {9, 9, 14, 14, 14, 12},    {10, 10, 10, 10, 10, 10},
  };
  for (size_t i = 0; i < 6; ++i)
    for (size_t j = 0; j < 6; ++j)
      EXPECT_EQ(SpielAblauf::ZonenCursor(anteile[i] * 1280, anteile[j] * 720, schirm), erwartet[i][j])
          << anteile[i] << " x " << anteile[j];
}

TEST_F(Spielersteuerung, ZonenKlicks) {
  StarteMit(Flur(2));
  const struct Fall {
    const char* name;
    V3 maus;
    uint32_t cursor;
    uint32_t zielBlick;
    Zelle wunsch;
  } faelle[] = {
      {"left: turn left", {128, 450, 0}, 8, 0, {0, 0, 0}},
      {"right: turn right", {1152, 450, 0}, 10, 1, {0, 0, 0}},
      {"upper: forward", {640, 72, 0}, 9, 2, {0, 0, 1}},
      {"lower: back", {640, 690, 0}, 12, 2, {0, 0, -1}},
      {"middle: nothing", {640, 450, 0}, 14, 2, {0, 0, 0}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    Maus(f.maus.x, f.maus.y);
    Bild();
    EXPECT_EQ(S().GibCursor(), f.cursor);
    MausRunter();
    Bild();
    EXPECT_EQ(S().GibZielBlick(), f.zielBlick);
    EXPECT_EQ(S().GibSchrittWunsch(), f.wunsch);
    MausHoch();
    Maus(640, 450);
    Bilder(80);  // the step or turn done, and back again below
    if (f.zielBlick != 2) Tippe(f.zielBlick == 0 ? GLFW_KEY_E : GLFW_KEY_Q);
    if (f.wunsch.z != 0) Tippe(f.wunsch.z > 0 ? GLFW_KEY_S : GLFW_KEY_W);
    Bilder(80);
    ASSERT_EQ(S().GibZelle(), (Zelle{2, 1, 2}));
    ASSERT_EQ(S().GibBlick(), 2u);
  }
}

TEST_F(Spielersteuerung, TragenOhneZonen) {
  StarteMit(Flur(2, "objekt SzeneGegenstand 2.25 1.0 3.25 | 0\n"));
  KlickeAufWeltpunkt(Szene().GibGegenstaende()[0].position * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);

  // Looking up: the icon at the mouse and six copies along the ray; looking down: the icon only.
  Maus(640, 72);
  Bilder(2);
  EXPECT_EQ(S().GibCursor(), SpielAblauf::KEIN_CURSOR);
  EXPECT_GT(Spiel::Kamera::StrahlDurchMaus(S().GibAnsicht(), 640, 72, Schirm()).y, 0);
  EXPECT_EQ(Symbole(), 7u);
  ASSERT_FALSE(sprites.empty());
  EXPECT_EQ(sprites[0].x, 640);
  EXPECT_EQ(sprites[0].y, 72);
  Maus(640, 690);
  Bilder(2);
  EXPECT_EQ(Symbole(), 1u);
  EXPECT_EQ(S().GibCursor(), SpielAblauf::KEIN_CURSOR);

  // A click in the left zone neither turns nor steps: it puts the stone down.
  Maus(128, 450);
  Bild();
  MausRunter();
  Bild();
  EXPECT_EQ(S().GibZielBlick(), 2u);
  EXPECT_EQ(S().GibSchrittWunsch(), Zelle{});
  EXPECT_FALSE(S().GibGetragen().da);
  EXPECT_EQ(Szene().GibGegenstaende().AnzahlLebend(), 1u);
  MausHoch();
  Bild();
}

TEST_F(Spielersteuerung, WaagerechterStrahlWirft) {
  StarteMit(Flur(2, "objekt SzeneGegenstand 2.25 1.0 3.25 | 0\n"));
  KlickeAufWeltpunkt(Szene().GibGegenstaende()[0].position * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);
  Maus(640, 360);  // no pitch: the ray through the centre is level
  Bilder(2);
  ASSERT_EQ(Spiel::Kamera::StrahlDurchMaus(S().GibAnsicht(), 640, 360, Schirm()).y, 0.0f);
  MausRunter();
  Bild();
  MausHoch();
  EXPECT_FALSE(S().GibGetragen().da);
  bool geworfen = false;
  Szene().GibGegenstaende().FuerLebende([&](uint64_t, const Spiel::Szene::Gegenstand& g) {
    geworfen = g.bewegt && g.geschwindigkeit.z == 2.0f;
  });
  EXPECT_TRUE(geworfen) << "r.y = 0 throws";
}

TEST_F(Spielersteuerung, WidgetVorDerWelt) {
  // A lever up and to the right, where the W button lies on screen.
  StarteMit(Flur(2, "objekt Hebel 3.0 2.25 2.5 | 1 5\n"));
  Maus(1000, 124);  // beside the movement page: it sets the look
  Bilder(2);
  const float gieren = S().GibMausGieren(), neigung = S().GibNeigung();
  const Gui::Button& w = *dynamic_cast<const Gui::Button*>(
      dynamic_cast<const Gui::VaterBasis*>(S().GibBewegungsSeite()->Kinder()[0])->Kinder()[1]);
  ASSERT_EQ(w.GibTaste(), 17u);
  const V3 knopf = w.AbsolutePosition() + w.GespeicherteGroesse() * 0.5f;
  // Without the button in front, the lever would be picked there.
  const V3 hebel = Szene().GibHebel()[0].position;
  const V3 aufSchirm = AufSchirm(hebel);
  EXPECT_LT(std::hypot(aufSchirm.x - knopf.x, aufSchirm.y - knopf.y), 0.1f * std::hypot(1280.0f, 720.0f));
  EXPECT_LE((hebel - S().GibAuge()).Punkt(hebel - S().GibAuge()), 9.0f);

  Maus(knopf.x, knopf.y);
  Bild();
  EXPECT_EQ(S().GibCursor(), SpielAblauf::CURSOR_ZEIGER);
  EXPECT_EQ(Kasten(), nullptr) << "no label";
  EXPECT_TRUE(glyphen.empty());
  EXPECT_EQ(S().GibMausGieren(), gieren) << "the look stays";
  EXPECT_EQ(S().GibNeigung(), neigung);

  MausRunter();
  Bild();
  MausHoch();
  EXPECT_EQ(S().GibZelle(), (Zelle{2, 1, 3})) << "the button stepped";
  EXPECT_EQ(S().GibZielBlick(), 2u) << "the right zone under it did not turn";
  EXPECT_EQ(Szene().GibAnimationen().AnzahlLebend(), 0u) << "the lever was not pulled";
  Maus(640, 450);
  Bilder(80);
  EXPECT_EQ(S().GibZelle(), (Zelle{2, 1, 3})) << "one step only";
}

TEST_F(Spielersteuerung, GleichstandAnEinemOrt) {
  // Every candidate at block (2.5, 1.5, 3.5), world (5, 3, 7), two units ahead of the eye.
  const V3 ort{5, 3, 7};
  const char* const HEBEL = "objekt Hebel 2.5 1.5 3.5 | 3 5\n";
  const char* const KNOPF = "objekt Knopf 2.5 1.5 3.5 | 3 | 0.25\n";
  const struct Fall {
    const char* name;
    std::string objekte;
    bool stein;
    uint32_t art;  // what the click reached
  } faelle[] = {
      {"the earlier of two levers", std::string(HEBEL) + HEBEL, false, 2},
      {"a lever over a button listed first", std::string(KNOPF) + HEBEL, false, 2},
      {"a button over a stone", KNOPF, true, 4},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    StarteMit(Flur(2, f.objekte));
    if (f.stein) Stein(ort * 0.5f);
    ASSERT_EQ(Szene().GibHebel().empty() ? Szene().GibKnoepfe()[0].position : Szene().GibHebel()[0].position, ort);
    KlickeAufWeltpunkt(ort);
    if (f.art == 2) {
      EXPECT_EQ(AnimationenVon(Spiel::Szene::HebelBesitzer(0)).size(), 1u) << "lever 0 pulled";
      EXPECT_TRUE(AnimationenVon(Spiel::Szene::HebelBesitzer(1)).empty());
      EXPECT_EQ(Gespielt("schalter.ogg"), 0u);
    } else {
      EXPECT_EQ(Gespielt("schalter.ogg"), 1u) << "the button pressed";
      EXPECT_FALSE(S().GibGetragen().da) << "the stone stays";
    }
    Beende();
  }
}

TEST_F(Spielersteuerung, ReichweiteUndUnsichtbares) {
  // Buttons at squared distances 9 and 9.25 from the eye (5, 3.5, 5).
  const struct Fall {
    const char* name;
    const char* objekt;
    V3 ort;
    bool gewaehlt;
  } faelle[] = {
      {"9 qualifies", "objekt Knopf 2.5 1.75 4.0 | 3 | 0.25\n", {5, 3.5f, 8}, true},
      {"9.25 does not", "objekt Knopf 2.5 1.5 4.0 | 3 | 0.25\n", {5, 3, 8}, false},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    StarteMit(Flur(2, f.objekt));
    ASSERT_EQ(Szene().GibKnoepfe()[0].position, f.ort);
    ZeigeAuf(f.ort);
    EXPECT_EQ(Kasten() != nullptr, f.gewaehlt);
    Beende();
  }

  // A stone just behind the camera on its axis would project onto the centre.
  StarteMit(Flur(2));
  Stein({2.5f, 1.75f, 2.15f});
  Bild();
  EXPECT_EQ(Kasten(), nullptr);
  Klicke();
  EXPECT_FALSE(S().GibGetragen().da);
}

TEST_F(Spielersteuerung, BewegteHebelUndSteine) {
  // At the screen's centre, so that the mouse on it does not turn the look.
  StarteMit(Flur(2, "objekt Hebel 2.5 1.75 3.5 | 3 5\n"));
  const V3 hebel = Szene().GibHebel()[0].position;
  ASSERT_EQ(AufSchirm(hebel), MITTE);
  KlickeAufWeltpunkt(hebel);
  ASSERT_FALSE(AnimationenVon(Spiel::Szene::HebelBesitzer(0)).empty());
  // The mouse stays on the lever; it swings 0 -> 1 at 2.0 per second.
  int gewaehlt = -1;
  for (int i = 0; i < 64 && gewaehlt < 0; ++i) {
    const float vorher = Szene().GibHebel()[0].zustand;
    Bild();
    if (Kasten()) gewaehlt = i;
    else EXPECT_TRUE(vorher > 0 && vorher < 1) << "at state " << vorher;
  }
  EXPECT_EQ(Szene().GibHebel()[0].zustand, 1.0f);
  EXPECT_GE(gewaehlt, 29);
  EXPECT_LE(gewaehlt, 33);

  // Stones at the same place: sliding is not picked, falling is.
  Beende();
  StarteMit(Flur(2));
  const V3 ort = hebel * 0.5f;
  for (const auto& [geschwindigkeit, gewaehlt] : {std::pair{V3{0.5f, 0, 0}, false}, std::pair{V3{0, -0.1f, 0}, true}}) {
    SCOPED_TRACE(gewaehlt ? "falling" : "sliding");
    Szene().GibGegenstaende().FuerLebende([&](uint64_t slot, const Spiel::Szene::Gegenstand&) { Szene().EntferneGegenstand(slot); });
    Stein(ort, geschwindigkeit, true);
    // The mouse rests where the stone is: the view stays.
    Bild();
    EXPECT_EQ(Kasten() != nullptr, gewaehlt);
  }
}

TEST_F(Spielersteuerung, Beschriftung) {
  StarteMit(Flur(2, "objekt Hebel 2.0 2.0 3.5 | 3 5\nobjekt Knopf 3.0 1.25 3.5 | 3 | 0.25\n"
                    "objekt SzeneGegenstand 2.75 1.0 3.75 | 0\n"));
  Zarvo_Font3D& schrift = *Spiel::Ressourcen::Schrift();
  const struct Fall {
    const char* name;
    V3 ort;
    float sx, sy;  // toward the centre
  } faelle[] = {
      {"Hebel", Szene().GibHebel()[0].position, 1, 1},
      {"Knopf", Szene().GibKnoepfe()[0].position, -1, -1},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    const float w = schrift.GibTextBreite(f.name) + 10, h = schrift.Groesse() + 10;
    ZeigeAuf(f.ort);
    const Zarvo_SpriteInstanz* k = Kasten();
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(S().GibCursor(), SpielAblauf::CURSOR_ZEIGER);
    EXPECT_EQ(k->drehpunkt, 0.5f) << "placed by its centre";
    EXPECT_EQ(k->breite, w);
    EXPECT_EQ(k->hoehe, h);
    EXPECT_EQ(k->quellBreite, 16.0f) << "the plain patch";
    EXPECT_NEAR(k->x, a.x + w * f.sx, 1e-3f);
    EXPECT_NEAR(k->y, a.y + h * f.sy, 1e-3f);
    // The name's glyphs, white, centred on the box.
    ASSERT_EQ(glyphen.size(), std::strlen(f.name));
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    for (const Zarvo_SpriteInstanz& g : glyphen) {
      EXPECT_EQ(g.r + g.g + g.b + g.a, 4.0f);
      const float links = g.x - g.breite * g.drehpunkt, oben = g.y - g.hoehe * g.drehpunkt;
      x0 = std::min(x0, links), x1 = std::max(x1, links + g.breite);
      y0 = std::min(y0, oben), y1 = std::max(y1, oben + g.hoehe);
    }
    EXPECT_NEAR((x0 + x1) / 2, k->x, 3);
    EXPECT_NEAR((y0 + y1) / 2, k->y, 5);
  }
  // Carrying: the label and the plain pointer all the same.
  KlickeAufWeltpunkt(Szene().GibGegenstaende()[0].position * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);
  ZeigeAuf(Szene().GibHebel()[0].position);
  EXPECT_NE(Kasten(), nullptr);
  EXPECT_EQ(S().GibCursor(), SpielAblauf::CURSOR_ZEIGER);
}

TEST_F(Spielersteuerung, HebelMitSeinenGittern) {
  StarteMit("groesse 8 3 22\nquader 0 0 0 7 0 21 Fels\nquader 1 1 14 1 2 14 Mauer\n"
            "objekt Hebel 2.0 1.5 14.5 | 1 5\nobjekt Gitter 3.5 1.5 15.5 | 2 5\nobjekt Gitter 4.5 1.5 19.5 | 2 5\n"
            "objekt Startpunkt 2.5 1.0 14.5 | 0\n");
  const uint64_t besitzer = uint64_t(1) << 49 | 0;
  for (float ziel : {1.0f, 0.0f}) {
    SCOPED_TRACE("to " + std::to_string(ziel));
    KlickeAufWeltpunkt(Szene().GibHebel()[0].position);
    std::vector<Animation> liste = AnimationenVon(besitzer);
    ASSERT_EQ(liste.size(), 3u);
    const auto* h = std::get_if<Animation::HebelZiel>(&liste[0].nutzlast);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->ziel, ziel);
    EXPECT_EQ(h->geschwindigkeit, 2.0f);
    const uint32_t gitter[2][3] = {{3, 1, 15}, {4, 1, 19}};
    for (int i = 0; i < 2; ++i) {
      const auto* g = std::get_if<Animation::GitterZiel>(&liste[size_t(i) + 1].nutzlast);
      ASSERT_NE(g, nullptr);
      EXPECT_EQ((std::vector<uint32_t>{g->x, g->y, g->z}), (std::vector<uint32_t>{gitter[i][0], gitter[i][1], gitter[i][2]}));
      EXPECT_EQ(g->ziel, ziel);
      EXPECT_EQ(g->geschwindigkeit, 1.0f);
    }
    Bilder(70);
    EXPECT_EQ(Szene().GibHebel()[0].zustand, ziel);
    EXPECT_EQ(GitterZustand({3, 1, 15}), ziel);
    EXPECT_EQ(GitterZustand({4, 1, 19}), ziel);
  }
}

TEST_F(Spielersteuerung, KnopfUndSteine) {
  // A button ahead; a plate in the cell ahead with a stone at rest on it.
  StarteMit(Flur(2, "objekt Knopf 3.0 1.25 3.5 | 3 | 0.25\nobjekt Druckplatte 2.5 1.0 3.5\n"
                    "objekt SzeneGegenstand 2.25 1.0 3.25 | 0\n"));
  KlickeAufWeltpunkt(Szene().GibKnoepfe()[0].position);
  EXPECT_EQ(Gespielt("schalter.ogg"), 1u);
  const std::vector<Animation> druck = AnimationenVon(Spiel::Szene::KnopfBesitzer(0));
  ASSERT_EQ(druck.size(), 1u);
  EXPECT_EQ(druck[0].art, Animation::Art::Knopf);

  const Zelle platte{2, 1, 3};
  ASSERT_EQ(Anzahl(platte), 1) << "the map's stone presses the plate";
  const V3 ruhend = Szene().GibGegenstaende()[0].position;
  // A falling stone in the plate's cell is taken without releasing the plate.
  Stein({2.75f, 1.6f, 3.75f}, {0, -0.1f, 0}, true);
  KlickeAufWeltpunkt(V3{2.75f, 1.6f, 3.75f} * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);
  EXPECT_EQ(Anzahl(platte), 1);
  EXPECT_EQ(Szene().GibGegenstaende().AnzahlLebend(), 1u);

  // The one at rest, swapped: released as taken, and the carried one set down at rest in its place.
  KlickeAufWeltpunkt(ruhend * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);
  ASSERT_EQ(Szene().GibGegenstaende().AnzahlLebend(), 1u);
  Szene().GibGegenstaende().FuerLebende([&](uint64_t, const Spiel::Szene::Gegenstand& g) {
    EXPECT_EQ(g.position, ruhend);
    EXPECT_FALSE(g.bewegt);
    EXPECT_EQ(g.def, 0u);
  });
  EXPECT_EQ(Anzahl(platte), 1) << "released and pressed again";

  // Into a slot, then the resting one taken with an empty hand: the plate is released.
  const Gui::Button& fach = *S().GibInventarKnoepfe()[0];
  const V3 f = fach.AbsolutePosition() + fach.GespeicherteGroesse() * 0.5f;
  Maus(f.x, f.y);
  Bild();
  Klicke();
  ASSERT_FALSE(S().GibGetragen().da);
  KlickeAufWeltpunkt(ruhend * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);
  EXPECT_EQ(Anzahl(platte), 0);
  EXPECT_EQ(Szene().GibGegenstaende().AnzahlLebend(), 0u);
}

TEST_F(Spielersteuerung, AblageTabelle) {
  // Player cell (2, 1, 2) on a 6 x 3 x 6 floor: a wall at +X, a stair at +Z, a hole below -X.
  Karte karte;
  ASSERT_FALSE(Kartenbeschreibung::Baue("groesse 6 3 6\nquader 0 0 0 5 0 5 Fels\nquader 3 1 2 3 1 2 Mauer\n"
                                        "quader 2 1 3 2 1 3 FelsTreppe1V\nquader 1 0 2 1 0 2 Leer\n"
                                        "objekt Startpunkt 2.5 1.0 2.5 | 2\n",
                                        karte));
  const V3 kamera{5, 3.5f, 5};
  const struct Fall {
    const char* name;
    Zelle zelle;
    V3 kamera, strahl;
    V3 ort;
    bool faellt;
  } faelle[] = {
      {"straight down at the centre", {2, 1, 2}, kamera, {0, -1, 0}, {2.75f, 1.1f, 2.75f}, false},
      {"far toward the free -Z neighbour", {2, 1, 2}, kamera, {0, -0.1f, -1}, {2.75f, 1.1f, 1.75f}, false},
      {"toward the wall at +X", {2, 1, 2}, kamera, {1, -0.1f, 0}, {2.75f, 1.1f, 2.75f}, false},
      {"toward the stair at +Z", {2, 1, 2}, kamera, {0, -0.1f, 1}, {2.75f, 1.1f, 2.75f}, false},
      {"over the hole at -X", {2, 1, 2}, kamera, {-1, -0.1f, 0}, {1.75f, 1.1f, 2.75f}, true},
      {"beyond the +X edge", {5, 1, 2}, {11, 3.5f, 5}, {1, -0.1f, 0}, {5.75f, 1.1f, 2.75f}, false},
      {"beyond the -X edge at x = 0", {0, 1, 2}, {1, 3.5f, 5}, {-1, -0.1f, 0}, {0.25f, 1.1f, 2.75f}, false},
      {"beyond the -Z edge", {2, 1, 0}, {5, 3.5f, 1}, {0, -0.1f, -1}, {2.75f, 1.1f, 0.25f}, false},
      {"beyond the +Z edge", {2, 1, 5}, {5, 3.5f, 11}, {0, -0.1f, 1}, {2.75f, 1.1f, 5.75f}, false},
      {"a little ahead-left", {2, 1, 2}, kamera, {-0.3f, -1, 0.3f}, {2.25f, 1.1f, 2.75f}, false},
      // No game flow stands outside the grid; the rule still reads no cell there.
      {"from a cell above the grid", {2, 3, 2}, {5, 7.5f, 5}, {0, -1, 0}, {2.75f, 3.1f, 2.75f}, true},
  };
  for (const Fall& f : faelle) {
    const SpielAblauf::Ablage ablage = SpielAblauf::AblageOrt(karte, f.zelle, f.kamera, f.strahl.Normalisiert(), 0.1f);
    EXPECT_NEAR(ablage.position.x, f.ort.x, 1e-6f) << f.name;
    EXPECT_NEAR(ablage.position.y, f.ort.y, 1e-6f) << f.name;
    EXPECT_NEAR(ablage.position.z, f.ort.z, 1e-6f) << f.name;
    EXPECT_EQ(ablage.faellt, f.faellt) << f.name;
  }
}

TEST_F(Spielersteuerung, WurfTabelle) {
  const struct Fall {
    uint32_t blick;
    V3 strahl;
    V3 ort, geschwindigkeit;
  } faelle[] = {
      {2, {0.3f, 0, 1}, {2.75f, 1.75f, 2.75f}, {0, 0, 2}},
      {2, {-0.3f, 0.2f, 1}, {2.25f, 1.75f, 2.75f}, {0, 0, 2}},
      {2, {0, 0.5f, 1}, {2.75f, 1.75f, 2.75f}, {0, 0, 2}},  // r . R = 0 counts as right
      {0, {-1, 0, 0.2f}, {2.25f, 1.75f, 2.75f}, {-2, 0, 0}},
      {1, {1, 0, 0.2f}, {2.75f, 1.75f, 2.75f}, {2, 0, 0}},
      {3, {0.5f, 0, -1}, {2.75f, 1.75f, 2.25f}, {0, 0, -2}},
  };
  for (const Fall& f : faelle) {
    const SpielAblauf::Wurf wurf = SpielAblauf::WurfStart({2, 1, 2}, f.blick, f.strahl.Normalisiert());
    EXPECT_EQ(wurf.position, f.ort) << f.blick << " " << f.strahl.x;
    EXPECT_EQ(wurf.geschwindigkeit, f.geschwindigkeit) << f.blick;
  }
}

}  // namespace
