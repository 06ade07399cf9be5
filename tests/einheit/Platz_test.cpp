// The rectangle packer: placement, splitting, merging, release and its stored block.
#include <gtest/gtest.h>

#include <random>

#include "AtlasSchreiber.h"
#include "LogMitschnitt.h"
#include "PlatzModell.h"
#include "TPlatz.h"
#include "TSpeicher.h"

namespace {

using Liste = std::vector<TRechteck>;

TEST(Platz, ErsteAnfrageTeiltDenFreienBereich) {
  TPlatz platz(512, 512);
  uint64_t x = 9, y = 9;
  ASSERT_TRUE(platz.HolePlatz(100, 50, x, y));
  EXPECT_EQ(x, 0u);
  EXPECT_EQ(y, 0u);
  EXPECT_EQ(platz.Frei(), (Liste{{100, 0, 412, 50}, {0, 50, 512, 462}}));
  ASSERT_TRUE(platz.HolePlatz(100, 50, x, y));
  EXPECT_EQ(x, 100u);
  EXPECT_EQ(y, 0u);
}

// A packer with these lists, read from a stored block.
TPlatz Geladen(uint64_t breite, uint64_t hoehe, const Liste& belegt, const Liste& frei) {
  TSpeicher s;
  SchreibePlatzBlock(s, {false, 258, uint32_t(breite), uint32_t(hoehe), belegt, frei});
  s.Zurueckspulen();
  TPlatz platz;
  EXPECT_TRUE(platz.Lade(s));
  return platz;
}

struct Fall {
  const char* name;
  uint64_t breite, hoehe;
  Liste frei;  // seeded free list (empty: a fresh packer)
  uint64_t w, h;
  bool erwartet;
  uint64_t x, y;
};

TEST(Platz, Anfragen) {
  const Fall faelle[] = {
      {"gleiches y: erster in der Liste", 100, 100, {{50, 0, 50, 100}, {0, 0, 50, 100}}, 10, 10, true, 50, 0},
      {"genau die Fläche", 64, 32, {}, 64, 32, true, 0, 0},
      {"zu breit", 64, 32, {}, 65, 1, false, 0, 0},
      {"zu hoch", 64, 32, {}, 1, 33, false, 0, 0},
      {"Fläche 0 x 0", 0, 0, {}, 1, 1, false, 0, 0},
      {"0 x 0 auf 0 x 0", 0, 0, {}, 0, 0, false, 0, 0},
      {"Anfrage 0 x 0", 8, 8, {}, 0, 0, true, 0, 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    // A placed dummy outside keeps the seeding rule from replacing a given free list.
    TPlatz platz = f.frei.empty() ? TPlatz(f.breite, f.hoehe)
                                  : Geladen(f.breite, f.hoehe, {{f.breite, f.hoehe, 0, 0}}, f.frei);
    uint64_t x = 77, y = 77;
    EXPECT_EQ(platz.HolePlatz(f.w, f.h, x, y), f.erwartet);
    if (f.erwartet) {
      EXPECT_EQ(x, f.x);
      EXPECT_EQ(y, f.y);
    }
  }
}

// A zero-width request whose line runs through a free rectangle it does not start in: splitting
// that rectangle left and right of the line gave two pieces that merged back into it, over and
// over. Such a request takes no room: it is placed, and the free list stays as it was.
TEST(Platz, NullbreiteAnfrageTeiltNichtsUndEndet) {
  const Liste frei{{10, 0, 5, 5}, {0, 5, 100, 50}};
  TPlatz platz = Geladen(100, 100, {{0, 0, 10, 5}, {15, 0, 85, 5}}, frei);
  uint64_t x = 0, y = 0;
  ASSERT_TRUE(platz.HolePlatz(0, 24, x, y));
  EXPECT_EQ(x, 10u);
  EXPECT_EQ(y, 0u);
  EXPECT_EQ(platz.Frei(), frei);
  EXPECT_EQ(platz.Belegt().back(), (TRechteck{10, 0, 0, 24}));
  // The line still keeps out a request that would straddle it, as any placed rectangle does.
  EXPECT_FALSE(platz.HolePlatz(20, 5, x, y));
  ASSERT_TRUE(platz.HolePlatz(8, 5, x, y));
  EXPECT_EQ(x, 0u);
  EXPECT_EQ(y, 5u);
}

TEST(Platz, VolleFlaecheLehntAllesAb) {
  TPlatz platz(64, 32);
  uint64_t x, y;
  ASSERT_TRUE(platz.HolePlatz(64, 32, x, y));
  EXPECT_TRUE(platz.Frei().empty());
  EXPECT_FALSE(platz.HolePlatz(1, 1, x, y));
  EXPECT_FALSE(platz.HolePlatz(0, 0, x, y));
}

TEST(Platz, FreigabeVerschmilztMitErstemTreffer) {
  TPlatz platz(10, 10);
  uint64_t x, y;
  ASSERT_TRUE(platz.HolePlatz(10, 4, x, y));  // free: {0,4,10,6}
  ASSERT_TRUE(platz.HolePlatz(10, 3, x, y));  // at (0,4); free: {0,7,10,3}
  EXPECT_EQ(platz.Frei(), (Liste{{0, 7, 10, 3}}));
  platz.GibPlatzFrei(0, 4);  // directly above the free strip: merges into it
  EXPECT_EQ(platz.Frei(), (Liste{{0, 4, 10, 6}}));
  platz.GibPlatzFrei(0, 0);  // touches it from above again
  EXPECT_EQ(platz.Frei(), (Liste{{0, 0, 10, 10}}));
  EXPECT_TRUE(platz.Belegt().empty());
}

// The released rectangle p joins the first free rectangle it continues with the same width (above,
// below) or height (left, right); that one is not merged further; otherwise p is appended.
TEST(Platz, FreigabeVerschmelzungsregel) {
  struct Fall {
    const char* name;
    TRechteck p;
    Liste frei;
    Liste danach;
  } faelle[] = {
      {"frei darunter", {0, 0, 10, 10}, {{0, 10, 10, 5}}, {{0, 0, 10, 15}}},
      {"frei darueber", {0, 10, 10, 10}, {{0, 0, 10, 10}}, {{0, 0, 10, 20}}},
      {"frei rechts", {0, 0, 10, 10}, {{10, 0, 5, 10}}, {{0, 0, 15, 10}}},
      {"frei links", {10, 0, 10, 10}, {{0, 0, 10, 10}}, {{0, 0, 20, 10}}},
      {"nur der erste Treffer", {10, 10, 10, 10},
       {{10, 0, 10, 10}, {20, 10, 10, 10}}, {{10, 0, 10, 20}, {20, 10, 10, 10}}},
      {"Listenordnung vor Richtung", {10, 10, 10, 10},
       {{20, 10, 5, 10}, {10, 0, 10, 10}}, {{10, 10, 15, 10}, {10, 0, 10, 10}}},
      {"andere Breite: angehaengt", {0, 0, 10, 10}, {{0, 10, 12, 5}}, {{0, 10, 12, 5}, {0, 0, 10, 10}}},
      {"nur an der Ecke: angehaengt", {0, 0, 10, 10}, {{10, 10, 10, 10}}, {{10, 10, 10, 10}, {0, 0, 10, 10}}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    TPlatz platz = Geladen(30, 30, {{25, 25, 5, 5}, f.p}, f.frei);
    platz.GibPlatzFrei(f.p.x, f.p.y);
    EXPECT_EQ(platz.Frei(), f.danach);
    EXPECT_EQ(platz.Belegt(), (Liste{{25, 25, 5, 5}}));
  }
}

TEST(Platz, UnbekannteFreigabeAendertNichts) {
  LogMitschnitt log;
  TPlatz platz(10, 10);
  uint64_t x, y;
  ASSERT_TRUE(platz.HolePlatz(3, 3, x, y));
  const Liste belegt = platz.Belegt(), frei = platz.Frei();
  platz.GibPlatzFrei(1, 0);
  EXPECT_EQ(platz.Belegt(), belegt);
  EXPECT_EQ(platz.Frei(), frei);
  EXPECT_EQ(log.Anzahl("!Ausnahme \"Segment nicht in Platzverwaltung gefunden\" aufgetreten in Funktion "
                       "TPlatz::GibPlatzFrei (SourceExt\\Zarvoklassen\\TPlatz:94)."),
            1u);
}

TEST(Platz, LadeBlockformen) {
  const Liste belegt{{0, 0, 4, 4}}, frei{{4, 0, 4, 4}, {0, 4, 8, 4}};
  struct Form {
    bool alt;
    uint32_t version;
    uint64_t breite, hoehe;
    Liste belegt;
  } formen[] = {{false, 257, 99, 98, belegt}, {false, 258, 8, 8, belegt}, {false, 259, 8, 8, belegt},
                {true, 0, 99, 98, {}}};
  for (const Form& f : formen) {
    SCOPED_TRACE(f.version);
    LogMitschnitt log;
    TSpeicher s;
    SchreibePlatzBlock(s, {f.alt, f.version, 8, 8, belegt, frei});
    s.SchreibeU32(0xABCD0123);
    s.Zurueckspulen();
    TPlatz platz(99, 98);
    ASSERT_TRUE(platz.Lade(s));
    EXPECT_EQ(platz.Belegt(), f.belegt);
    EXPECT_EQ(platz.Frei(), frei);
    EXPECT_EQ(platz.Breite(), f.breite);
    EXPECT_EQ(platz.Hoehe(), f.hoehe);
    EXPECT_EQ(s.LiesU32BE(), 0xABCD0123u);
    EXPECT_EQ(log.EnthaeltTeil("ungueltige Version"), f.version == 259);
  }
}

TEST(Platz, AbgeschnittenerBlockAendertNichts) {
  TSpeicher voll;
  SchreibePlatzBlock(voll, {false, 258, 8, 8, {{0, 0, 4, 4}}, {{4, 0, 4, 4}}});
  TSpeicher alt;
  SchreibePlatzBlock(alt, {true, 0, 0, 0, {}, {{4, 0, 4, 4}, {0, 4, 8, 4}}});
  for (const TSpeicher* quelle : {&voll, &alt}) {
    for (uint64_t laenge = 0; laenge < quelle->Groesse(); ++laenge) {
      SCOPED_TRACE(laenge);
      TSpeicher s;
      s.SchreibeMem(quelle->Daten(), laenge);
      s.Zurueckspulen();
      TPlatz platz(5, 5);
      uint64_t x, y;
      ASSERT_TRUE(platz.HolePlatz(1, 1, x, y));
      const Liste belegt = platz.Belegt(), frei = platz.Frei();
      EXPECT_FALSE(platz.Lade(s));
      EXPECT_EQ(platz.Belegt(), belegt);
      EXPECT_EQ(platz.Frei(), frei);
      EXPECT_EQ(platz.Breite(), 5u);
    }
  }
}

// Free rectangles stay disjoint from each other and from placed ones; from empty, placed and free
// together tile the area.
TEST(Platz, ZufallsfolgeHaeltDieInvariante) {
  std::mt19937 zufall(4711);
  TPlatz platz(96, 64);
  for (int schritt = 0; schritt < 600; ++schritt) {
    uint64_t x, y;
    if (zufall() % 3 != 0 || platz.Belegt().empty()) {
      platz.HolePlatz(1 + zufall() % 20, 1 + zufall() % 20, x, y);
    } else {
      const TRechteck r = platz.Belegt()[zufall() % platz.Belegt().size()];
      platz.GibPlatzFrei(r.x, r.y);
    }
    const Liste& frei = platz.Frei();
    const Liste& belegt = platz.Belegt();
    uint64_t flaeche = 0;
    for (size_t i = 0; i < frei.size(); ++i) {
      flaeche += frei[i].w * frei[i].h;
      for (size_t j = i + 1; j < frei.size(); ++j) ASSERT_FALSE(Ueberlappen(frei[i], frei[j])) << schritt;
      for (const TRechteck& b : belegt) ASSERT_FALSE(Ueberlappen(frei[i], b)) << schritt;
    }
    // Disjoint rectangles inside the area whose areas add up to it tile it.
    for (size_t i = 0; i < belegt.size(); ++i) {
      flaeche += belegt[i].w * belegt[i].h;
      for (size_t j = i + 1; j < belegt.size(); ++j) ASSERT_FALSE(Ueberlappen(belegt[i], belegt[j])) << schritt;
    }
    for (const Liste* liste : {&frei, &belegt})
      for (const TRechteck& r : *liste) ASSERT_TRUE(r.x + r.w <= 96 && r.y + r.h <= 64) << schritt;
    ASSERT_EQ(flaeche, 96u * 64u) << schritt;
  }
}

// --- the indexed packer against the model -----------------------------------------------------

struct FolgenFall {
  const char* name;
  uint64_t breite, hoehe;
  uint32_t saat;
  int schritte;
  uint32_t freigabeProzent;  // share of steps that release a random placed rectangle
  bool ausBlock;             // start from a stored block that the model run left
};

// One step on both: a release of a random placed rectangle, or a request of 4 to 24 px a side.
// Both must answer alike.
void GleicherSchritt(std::mt19937& zufall, uint32_t freigabeProzent, TPlatz& platz, PlatzModell& modell) {
  if (!modell.belegt.empty() && zufall() % 100 < freigabeProzent) {
    const TRechteck r = modell.belegt[zufall() % modell.belegt.size()];
    ASSERT_TRUE(modell.GibPlatzFrei(r.x, r.y));
    platz.GibPlatzFrei(r.x, r.y);
    return;
  }
  const uint64_t w = 4 + zufall() % 21, h = 4 + zufall() % 21;
  uint64_t xa = 0, ya = 0, xb = 0, yb = 0;
  const bool neu = platz.HolePlatz(w, h, xa, ya);
  ASSERT_EQ(neu, modell.HolePlatz(w, h, xb, yb)) << w << " x " << h;
  if (!neu) return;
  ASSERT_EQ(xa, xb) << w << " x " << h;
  ASSERT_EQ(ya, yb) << w << " x " << h;
}

void PruefeGleicheListen(const TPlatz& platz, const PlatzModell& modell) {
  ASSERT_EQ(platz.Belegt(), modell.belegt);
  ASSERT_EQ(platz.Frei(), modell.frei);
}

TEST(PlatzModell, SeedFolgenGebenDieselbenPlaetzeUndListen) {
  const FolgenFall faelle[] = {
      {"256², bis die Fläche voll ist", 256, 256, 1, 1500, 0, false},
      {"512², ein Drittel Freigaben", 512, 512, 2, 4000, 33, false},
      {"1024², ein Zehntel Freigaben", 1024, 1024, 3, 3000, 10, false},
      {"300 x 200, nicht auf Zweierpotenzen", 300, 200, 4, 2500, 20, false},
      {"schmal und lang: 4096 x 40", 4096, 40, 5, 2000, 15, false},
      {"riesige Fläche, grobe Zellen", uint64_t(1) << 40, 96, 6, 1500, 25, false},
      {"nach Lade eines gespeicherten Blocks", 400, 400, 7, 2500, 20, true},
  };
  for (const FolgenFall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    std::mt19937 zufall(fall.saat);
    PlatzModell modell{fall.breite, fall.hoehe, {}, {}};
    TPlatz platz(fall.breite, fall.hoehe);
    if (fall.ausBlock) {
      // The model's lists after a first run, stored as a block and loaded into a packer of
      // another size (the block's area replaces it).
      for (int i = 0; i < 600; ++i) {
        uint64_t x, y;
        if (!modell.belegt.empty() && zufall() % 4 == 0) {
          const TRechteck r = modell.belegt[zufall() % modell.belegt.size()];
          modell.GibPlatzFrei(r.x, r.y);
        } else {
          modell.HolePlatz(4 + zufall() % 21, 4 + zufall() % 21, x, y);
        }
      }
      TSpeicher s;
      SchreibePlatzBlock(s, {false, 258, uint32_t(fall.breite), uint32_t(fall.hoehe), modell.belegt, modell.frei});
      s.Zurueckspulen();
      platz = TPlatz(17, 9);
      ASSERT_TRUE(platz.Lade(s));
      ASSERT_EQ(platz.Breite(), fall.breite);
    }
    for (int schritt = 0; schritt < fall.schritte; ++schritt) {
      SCOPED_TRACE(schritt);
      ASSERT_NO_FATAL_FAILURE(GleicherSchritt(zufall, fall.freigabeProzent, platz, modell));
      if (schritt % 97 == 0) ASSERT_NO_FATAL_FAILURE(PruefeGleicheListen(platz, modell));
    }
    PruefeGleicheListen(platz, modell);
  }
}

// Placed rectangles the packer did not place itself (an atlas re-adding its entries, a block with
// placed rectangles outside the area) and an area changed while rectangles are placed.
TEST(PlatzModell, FremdeBelegungUndNeueFlaeche) {
  std::mt19937 zufall(11);
  PlatzModell modell{128, 128, {}, {}};
  TPlatz platz(128, 128);
  for (int i = 0; i < 200; ++i) ASSERT_NO_FATAL_FAILURE(GleicherSchritt(zufall, 20, platz, modell));
  for (const TRechteck& r : {TRechteck{10, 10, 30, 5}, TRechteck{128, 0, 5, 5}, TRechteck{500, 500, 1, 1}}) {
    platz.FuegeBelegtHinzu(r);
    modell.belegt.push_back(r);
  }
  for (int i = 0; i < 200; ++i) ASSERT_NO_FATAL_FAILURE(GleicherSchritt(zufall, 20, platz, modell));
  platz.SetGroesse(640, 640, 0);
  modell.breite = modell.hoehe = 640;
  for (int i = 0; i < 400; ++i) ASSERT_NO_FATAL_FAILURE(GleicherSchritt(zufall, 20, platz, modell));
  PruefeGleicheListen(platz, modell);
  platz.Leeren();
  modell.belegt.clear();
  modell.frei.clear();
  for (int i = 0; i < 300; ++i) ASSERT_NO_FATAL_FAILURE(GleicherSchritt(zufall, 20, platz, modell));
  PruefeGleicheListen(platz, modell);
}

}  // namespace
