// The game flow's frame on small fixture levels at 1/64 s per frame: the movement keys for every
// facing, quarter turns, the time a step and a turn take, key repeat, bumps, falls with the
// triggers on the way, the help timer, the vignette, a frame without time, the view matrix for
// every facing, and the pause menu holding everything still.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Objektregeln.h"
#include "PauseMenu.h"
#include "SpielRahmen.h"

namespace {

using Spiel::Bewegung::Kurs;
using Spiel::Bewegung::AugenPosition;

class SpielBewegung : public SpielRahmen {
 protected:
  // Frames until the player stands; fails after `grenze`.
  void BisSteht(int grenze = 80) { ASSERT_GT(BilderBis([this] { return Steht(); }, grenze), 0); }
  V3 Ziel() { return AugenPosition(Szene().karte, S().GibZelle()); }
  static bool Endlich(const BMatrix& m) {
    for (float w : m.m)
      if (!std::isfinite(w)) return false;
    return true;
  }
};

TEST_F(SpielBewegung, TastenJeBlickrichtung) {
  const struct Fall {
    uint32_t blick;
    int taste;
    Zelle zelle;
    uint32_t danach;
  } faelle[] = {
      {0, GLFW_KEY_W, {1, 1, 2}, 0}, {0, GLFW_KEY_S, {3, 1, 2}, 0}, {0, GLFW_KEY_A, {2, 1, 1}, 0},
      {0, GLFW_KEY_D, {2, 1, 3}, 0}, {0, GLFW_KEY_Q, {2, 1, 2}, 3}, {0, GLFW_KEY_E, {2, 1, 2}, 2},
      {1, GLFW_KEY_W, {3, 1, 2}, 1}, {1, GLFW_KEY_S, {1, 1, 2}, 1}, {1, GLFW_KEY_A, {2, 1, 3}, 1},
      {1, GLFW_KEY_D, {2, 1, 1}, 1}, {1, GLFW_KEY_Q, {2, 1, 2}, 2}, {1, GLFW_KEY_E, {2, 1, 2}, 3},
      {2, GLFW_KEY_W, {2, 1, 3}, 2}, {2, GLFW_KEY_S, {2, 1, 1}, 2}, {2, GLFW_KEY_A, {1, 1, 2}, 2},
      {2, GLFW_KEY_D, {3, 1, 2}, 2}, {2, GLFW_KEY_Q, {2, 1, 2}, 0}, {2, GLFW_KEY_E, {2, 1, 2}, 1},
      {3, GLFW_KEY_W, {2, 1, 1}, 3}, {3, GLFW_KEY_S, {2, 1, 3}, 3}, {3, GLFW_KEY_A, {3, 1, 2}, 3},
      {3, GLFW_KEY_D, {1, 1, 2}, 3}, {3, GLFW_KEY_Q, {2, 1, 2}, 1}, {3, GLFW_KEY_E, {2, 1, 2}, 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE("facing " + std::to_string(f.blick) + ", key " + std::string(1, char(f.taste)));
    StarteMit(Flur(f.blick));
    ASSERT_EQ(S().GibBlick(), f.blick);
    Tippe(f.taste);
    BisSteht();
    EXPECT_EQ(S().GibZelle(), f.zelle);
    EXPECT_EQ(S().GibBlick(), f.danach);
    EXPECT_EQ(S().GibGieren(), Kurs(f.danach));
    Beende();
  }
}

TEST_F(SpielBewegung, VierLinksdrehungenDenKurzenWeg) {
  StarteMit(Flur(1));
  const uint32_t folge[] = {2, 0, 3, 1};
  for (uint32_t erwartet : folge) {
    SCOPED_TRACE("to facing " + std::to_string(erwartet));
    Druecke(GLFW_KEY_Q);
    Bild();
    Loese(GLFW_KEY_Q);
    ASSERT_EQ(S().GibBlick(), erwartet);
    // Every frame turns left (the yaw grows) by at most 3 rad/s, a quarter in all.
    float gedreht = 0, vorher = S().GibGieren();
    for (int i = 0; i < 80 && !Steht(); ++i) {
      Bild();
      float d = S().GibGieren() - vorher;
      d -= 6.2831853f * std::floor(d / 6.2831853f + 0.5f);  // the landing on the heading may wrap
      EXPECT_GT(d, 0);
      EXPECT_LE(d, 3 * DT + 1e-6f);
      gedreht += d;
      vorher = S().GibGieren();
    }
    EXPECT_NEAR(gedreht, 1.5707963f, 1e-4f) << "a quarter turn, not three";
    EXPECT_EQ(S().GibGieren(), Kurs(erwartet)) << "ends exactly on the heading";
  }
}

TEST_F(SpielBewegung, DauerVonSchrittUndDrehung) {
  StarteMit(Flur(2));
  Druecke(GLFW_KEY_W);
  Bild();
  Loese(GLFW_KEY_W);
  ASSERT_EQ(S().GibZelle(), (Zelle{2, 1, 3})) << "the cell changes in the frame of the key";
  // Two units at 4 units/s; the last remainder equals 4 dt, so rounding decides on 32 or 33.
  const int schritt = BilderBis([this] { return S().GibAuge() == Ziel(); }, 64);
  EXPECT_GE(schritt, 32);
  EXPECT_LE(schritt, 33);

  Druecke(GLFW_KEY_E);
  Bild();
  Loese(GLFW_KEY_E);
  ASSERT_EQ(S().GibBlick(), 1u);
  // pi/2 at 3 rad/s: 33 full steps of 3/64 rad, the rest in the 34th frame.
  EXPECT_EQ(BilderBis([this] { return Steht(); }, 64), 34);
}

TEST_F(SpielBewegung, GehaltenesWReihtSchritteAneinander) {
  StarteMit(Flur(2));
  Druecke(GLFW_KEY_W);
  Bilder(128);  // 2 s held: the first press and the repeats from 0.7 s on
  EXPECT_GE(S().GibZelle().z, 5);
  Loese(GLFW_KEY_W);
  Bilder(80);  // a repeat that came before the release still walks its step
  const Zelle halt = S().GibZelle();
  Bilder(64);
  EXPECT_EQ(S().GibZelle(), halt) << "released: no more steps";
}

TEST_F(SpielBewegung, StossGegenWandGitterUndRand) {
  const struct Fall {
    const char* name;
    std::string level;
    int taste;
    V3 richtung;
  } faelle[] = {
      {"wall", Flur(2, "quader 2 1 3 2 2 3 Mauer\n"), GLFW_KEY_W, {0, 0, 1}},
      {"closed gate", Flur(2, "objekt Gitter 2.5 1.5 3.5 | 2 5\n"), GLFW_KEY_W, {0, 0, 1}},
      {"grid edge", "groesse 3 3 3\nquader 0 0 0 2 0 2 Fels\nobjekt Startpunkt 0.5 1.0 1.5 | 0\n", GLFW_KEY_W, {-1, 0, 0}},
      {"edge behind", "groesse 3 3 3\nquader 0 0 0 2 0 2 Fels\nobjekt Startpunkt 1.5 1.0 0.5 | 2\n", GLFW_KEY_S, {0, 0, -1}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    StarteMit(f.level);
    const Zelle zelle = S().GibZelle();
    const V3 ziel = Ziel();
    Druecke(f.taste);
    Bild();
    Loese(f.taste);
    const V3 stoss = S().GibAuge() - ziel;
    EXPECT_NEAR(stoss.x, 0.2f * f.richtung.x, 1e-6f);
    EXPECT_NEAR(stoss.y, 0, 1e-6f);
    EXPECT_NEAR(stoss.z, 0.2f * f.richtung.z, 1e-6f);
    const int zurueck = BilderBis([&] { return S().GibAuge() == ziel; }, 10);
    EXPECT_GE(zurueck, 1);
    EXPECT_LE(zurueck, 4);
    EXPECT_EQ(S().GibZelle(), zelle);
    Beende();
  }
}

TEST_F(SpielBewegung, HoheStufeHinabInEinemSchritt) {
  // Standing on a high stair step at (2, 1, 2), walking toward +Z onto empty over empty.
  StarteMit("groesse 6 4 6\nquader 0 0 0 5 0 5 Fels\nquader 2 1 2 2 1 2 FelsTreppe2V\n"
            "objekt Startpunkt 2.5 1.0 1.5 | 2\n",
            [](Karte& k) { k.objekte[0] = {0, 2.5f, 2.0f, 2.5f, {{2}}}; });
  ASSERT_EQ(S().GibZelle(), (Zelle{2, 2, 2}));
  Tippe(GLFW_KEY_W);
  EXPECT_EQ(S().GibZelle(), (Zelle{2, 1, 3})) << "one level down in the step itself";
  BisSteht();
  Bilder(40);
  EXPECT_EQ(S().GibZelle(), (Zelle{2, 1, 3})) << "on the floor: no fall";
}

TEST_F(SpielBewegung, FallVonDerKanteEineEbeneJeAnkunft) {
  // A pillar of two blocks; plates in every cell of the way down.
  StarteMit("groesse 6 5 6\nquader 0 0 0 5 0 5 Fels\nquader 2 1 2 2 2 2 Fels\n"
            "objekt Startpunkt 2.5 1.0 1.5 | 2\n"
            "objekt Druckplatte 2.5 3.0 3.5\nobjekt Druckplatte 2.5 2.0 3.5\nobjekt Druckplatte 2.5 1.0 3.5\n",
            [](Karte& k) { k.objekte[0] = {0, 2.5f, 3.0f, 2.5f, {{2}}}; });
  ASSERT_EQ(S().GibZelle(), (Zelle{2, 3, 2}));
  Tippe(GLFW_KEY_W);
  ASSERT_EQ(S().GibZelle(), (Zelle{2, 3, 3}));
  std::vector<int32_t> ebenen{3};
  for (int i = 0; i < 200; ++i) {
    Bild();
    for (const Spiel::Szene::Ausloeser& a : Szene().GibAusloeser()) ASSERT_GE(a.anzahl, 0) << "frame " << i;
    if (S().GibZelle().y != ebenen.back()) {
      // A level is left only after the eye has arrived at the one above.
      EXPECT_EQ(S().GibZelle().y, ebenen.back() - 1);
      ebenen.push_back(S().GibZelle().y);
      EXPECT_NEAR(S().GibAuge().y, 2.0f * float(ebenen.back() + 1) + 1.5f, 1e-6f) << "fell on arrival";
    }
  }
  EXPECT_EQ(ebenen, (std::vector<int32_t>{3, 2, 1}));
  EXPECT_EQ(Anzahl({2, 3, 3}), 0);
  EXPECT_EQ(Anzahl({2, 2, 3}), 0);
  EXPECT_EQ(Anzahl({2, 1, 3}), 1);
  EXPECT_TRUE(Steht());
}

TEST_F(SpielBewegung, HilfeDreiSekundenNachDerErstenBewegung) {
  StarteMit(Flur(2));
  Bilder(300);
  EXPECT_EQ(S().GibHilfeZustand(), Spiel::SpielAblauf::HILFE_AUS) << "no motion, no help";
  EXPECT_TRUE(S().GibHilfeText().empty());
  Druecke(GLFW_KEY_W);
  Bild();  // the step itself
  Loese(GLFW_KEY_W);
  EXPECT_EQ(S().GibHilfeZustand(), Spiel::SpielAblauf::HILFE_AUS) << "the step frame does not count";
  Bild();  // the eye moves: the first frame with motion
  EXPECT_EQ(S().GibHilfeZustand(), Spiel::SpielAblauf::HILFE_WARTET);
  const int bis = BilderBis([this] { return !S().GibHilfeText().empty(); }, 400);
  EXPECT_GE(bis, 192);
  EXPECT_LE(bis, 193);
  EXPECT_EQ(S().GibHilfeText(), "Space: Hoch/Springen\nStrg: Runter/Schleichen\nLinksklick: Aktion");
  EXPECT_EQ(S().GibHilfeZustand(), Spiel::SpielAblauf::HILFE_GEZEIGT);
}

TEST_F(SpielBewegung, VignetteUndPause) {
  SchreibeSzene(Flur(2, "objekt Hebel 2.5 1.5 3.5 | 3 5\n"));
  Starte(OhneErbauer());
  EXPECT_EQ(S().GibVignette()[3], 0.5f);
  Maus(100, 400);  // the left zone
  Bilder(64);
  EXPECT_NEAR(S().GibVignette()[3], 0.7f - 0.2f * std::pow(63.0f / 64, 64.0f), 1e-4f);
  EXPECT_EQ(S().GibVignette()[0], 0.0f);
  ASSERT_EQ(S().GibCursor(), Spiel::SpielAblauf::CURSOR_LINKS);

  auto* menu = new Spiel::PauseMenu(S().GibUhr());
  bruecke->GibOberflaeche()->FuegeHinzu(menu);
  const float staerke = S().GibVignette()[3];
  const Zelle zelle = S().GibZelle();
  const uint32_t blick = S().GibBlick();
  Tippe(GLFW_KEY_W);
  Maus(640, 50);  // the upper zone
  Klicke();
  Maus(100, 400);
  Klicke();
  KlickeAufWeltpunkt(Szene().GibHebel()[0].position);
  Bilder(30);
  EXPECT_EQ(S().GibVignette()[3], staerke) << "frozen while paused";
  EXPECT_EQ(S().GibZelle(), zelle);
  EXPECT_EQ(S().GibBlick(), blick);
  EXPECT_EQ(S().GibSchrittWunsch(), Zelle{}) << "neither W nor the zone reached the game";
  EXPECT_EQ(S().GibZielBlick(), blick);
  EXPECT_EQ(Szene().GibAnimationen().AnzahlLebend(), 0u) << "the lever was not pulled";
  EXPECT_EQ(S().GibCursor(), Spiel::SpielAblauf::CURSOR_LINKS) << "the cursor of the last running frame";

  Tippe(GLFW_KEY_ESCAPE);  // "Weiter"
  Bilder(8);               // deleted 0.1 s later
  EXPECT_FALSE(S().GibUhr().IstPausiert());
  Maus(640, 360);
  Tippe(GLFW_KEY_W);
  EXPECT_EQ(S().GibZelle(), (Zelle{zelle.x, zelle.y, zelle.z + 1}));
  EXPECT_GT(S().GibVignette()[3], staerke);
}

TEST_F(SpielBewegung, BildOhneZeitBleibtEndlich) {
  StarteMit(Flur(2));
  Tippe(GLFW_KEY_W);  // walking
  for (bool unterwegs : {true, false}) {
    SCOPED_TRACE(unterwegs ? "walking" : "standing");
    if (!unterwegs) BisSteht();
    S().GibUhr().SetGeschwindigkeit(0);
    Bilder(3);
    ASSERT_EQ(S().GibUhr().letzterSchritt, 0);
    EXPECT_TRUE(std::isfinite(S().GibAuge().x) && std::isfinite(S().GibAuge().y) && std::isfinite(S().GibAuge().z));
    EXPECT_TRUE(std::isfinite(S().GibGieren()));
    EXPECT_TRUE(Endlich(S().GibAnsicht()));
    S().GibUhr().SetGeschwindigkeit(1);
  }
}

TEST_F(SpielBewegung, AnsichtJeBlickrichtung) {
  for (uint32_t blick = 0; blick < 4; ++blick) {
    SCOPED_TRACE("facing " + std::to_string(blick));
    StarteMit(Flur(blick));
    const BMatrix& v = S().GibAnsicht();
    const Zelle d = Spiel::Objektregeln::RichtungsSchritt(blick);
    const V3 vorne{float(d.x), float(d.y), float(d.z)};
    EXPECT_NEAR(v(2, 0), vorne.x, 1e-6f);
    EXPECT_NEAR(v(2, 1), vorne.y, 1e-6f);
    EXPECT_NEAR(v(2, 2), vorne.z, 1e-6f);
    const V3 auge = S().GibAuge();
    const V3 kamera = Spiel::Kamera::Position(v);
    EXPECT_NEAR((kamera - (auge - vorne * 0.6f)).Laenge(), 0, 1e-5f) << "0.6 behind the eye";
    const V3 mitte = AufSchirm(auge + vorne);
    EXPECT_NEAR(mitte.x, 640, 1e-3f);
    EXPECT_NEAR(mitte.y, 360, 1e-3f);
    const Zelle r = Spiel::Objektregeln::RichtungsSchritt(Spiel::Bewegung::RechtsDrehung(blick));
    EXPECT_GT(AufSchirm(auge + vorne + V3{float(r.x), 0, float(r.z)}).x, 640) << "the right turn's side is right";
    EXPECT_LT(Spiel::Kamera::StrahlDurchMaus(v, 640, 600, Schirm()).y, 0) << "the lower half looks down";
    Beende();
  }
}

}  // namespace
