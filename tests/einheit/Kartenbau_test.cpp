#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Bewegung.h"
#include "Karte.h"
#include "KartenVergleich.h"
#include "Kartenbeschreibung.h"
#include "EigenerOrdner.h"
#include "LogMitschnitt.h"
#include "Objektregeln.h"
#include "Raster.h"
#include "Szene.h"
#include "SzenenDatei.h"
#include "TDateiSystem.h"
#include "TSpeicher.h"

using Spiel::Objektregeln::Zellposition;
namespace Regeln = Spiel::Objektregeln;
namespace Bewegung = Spiel::Bewegung;

namespace {

constexpr uint32_t STARTPUNKT = 0, DRUCKPLATTE = 1, HEBEL = 2, GITTER = 3, KNOPF = 4, LICHT = 7, GEGENSTAND = 8;

const char* const KOPF = "groesse 4 3 3\nzeichen . Leer\nzeichen f Fels\nquader 0 0 0 3 0 2 Fels\n";
const char* const START = "objekt Startpunkt 1.5 1 1.5 | 1\n";

std::string Lies(const std::filesystem::path& pfad) {
  std::string inhalt;
  EXPECT_TRUE(TDateiSystem::LiesInhalt(pfad, inhalt)) << pfad;
  return inhalt;
}

void Schreibe(const std::filesystem::path& pfad, const std::string& text) { std::ofstream(pfad, std::ios::binary) << text; }

int Kartenbau(const std::filesystem::path& ein, const std::filesystem::path& aus, const std::filesystem::path& fehler) {
  const std::string befehl = std::string("'") + KARTENBAU + "' '" + ein.string() + "' '" + aus.string() + "' 2> '" +
                             fehler.string() + "'";
  return std::system(befehl.c_str());
}

}  // namespace

TEST(Kartenbeschreibung, FehlerNennenIhreZeile) {
  struct Fall {
    const char* name;
    std::string text;
    size_t zeile;
  };
  const Fall faelle[] = {
      {"unbekannter Typ", std::string(KOPF) + "quader 0 1 0 0 1 0 Granit\n", 5},
      {"Typ 19", std::string(KOPF) + "zeichen x 19\n", 5},
      {"unbekanntes Zeichen", std::string(KOPF) + "schicht 1\n....\n..x.\n....\n", 7},
      {"kurze Reihe", std::string(KOPF) + "schicht 2\n....\n...\n....\n", 7},
      {"fehlende Reihen", std::string(KOPF) + START + "schicht 2\n....\n", 7},
      {"falsche Zahl", std::string(KOPF) + "objekt Hebel 1.5 1,5 1\n", 5},
      {"fuenf Zahlen", std::string(KOPF) + "objekt Licht 1 1 1 | 1 2 3 4 5\n", 5},
      {"fuenf Vektoren", std::string(KOPF) + "objekt Licht 1 1 1 | 1 | 2 | 3 | 4 | 5\n", 5},
      {"unbekanntes Objekt", std::string(KOPF) + "objekt Drache 1 1 1\n", 5},
      {"zwei Startpunkte", std::string(KOPF) + START + "\n; noch einer\n" + START, 8},
      {"Richtung 4", std::string(KOPF) + "objekt Startpunkt 1.5 1 1.5 | 4\n", 5},
      {"Start in der Luft", std::string(KOPF) + "objekt Startpunkt 1.5 2 1.5 | 0\n", 5},
      {"Start spaeter zugebaut", std::string(KOPF) + START + "quader 1 1 1 1 1 1 Fels\n", 5},
      {"Boden unter dem Start spaeter entfernt", std::string(KOPF) + START + "quader 1 0 1 1 0 1 Leer\n", 5},
      {"Objekt ausserhalb", std::string(KOPF) + START + "objekt Baum 4.0 1 1\n", 6},
      {"ohne Startpunkt", std::string(KOPF), 4},
      {"Quader ausserhalb", std::string(KOPF) + "quader 0 0 0 4 0 0 Fels\n", 5},
      {"groesse zuerst", "zeichen . Leer\n", 1},
  };
  for (const Fall& f : faelle) {
    Karte karte;
    const auto fehler = Kartenbeschreibung::Baue(f.text, karte);
    ASSERT_TRUE(fehler.has_value()) << f.name;
    EXPECT_EQ(fehler->zeile, f.zeile) << f.name << ": " << fehler->grund;
  }
}

TEST(Kartenbeschreibung, SchichtenQuaderUndObjekte) {
  const std::string text = std::string(KOPF) + "zeichen # Mauer   ; walls\nzeichen / 9\nschicht 1\n#...\n.#/.\n....\n" +
                           "objekt Startpunkt 1.5 1 2.5 | 1\n" + "objekt Licht 0.5 1.5 2.5 | 1 0.5 | -2 ; kommentar\n";
  Karte karte;
  ASSERT_FALSE(Kartenbeschreibung::Baue(text, karte).has_value());
  EXPECT_EQ(karte.ZelleBei(0, 1, 0).typ, Karte::Mauer);
  EXPECT_EQ(karte.ZelleBei(1, 1, 1).typ, Karte::Mauer);
  EXPECT_EQ(karte.ZelleBei(2, 1, 1).typ, Karte::FelsTreppe2V);
  EXPECT_EQ(karte.ZelleBei(3, 0, 2).typ, Karte::Fels);
  EXPECT_EQ(karte.ZelleBei(0, 1, 0).flaechen[Karte::PlusY], Karte::Mauer);  // faces are built
  ASSERT_EQ(karte.objekte.size(), 2u);
  EXPECT_EQ(karte.objekte[1].typ, LICHT);
  EXPECT_EQ(karte.objekte[1].args[0][1], 0.5f);
  EXPECT_EQ(karte.objekte[1].args[0][2], 0.0f);
  EXPECT_EQ(karte.objekte[1].args[1][0], -2.0f);
}

TEST(Kartenbau, FehlerGehtNachStderrOhneAusgabe) {
  EigenerOrdner ordner;
  Schreibe(ordner.Pfad() / "kaputt.txt", std::string(KOPF) + START + "quader 0 1 0 0 1 0 Granit\n");
  const int ergebnis = Kartenbau(ordner.Pfad() / "kaputt.txt", ordner.Pfad() / "szene.dat", ordner.Pfad() / "fehler");
  EXPECT_NE(ergebnis, 0);
  EXPECT_EQ(Lies(ordner.Pfad() / "fehler").rfind("line 6: ", 0), 0u) << Lies(ordner.Pfad() / "fehler");
  EXPECT_FALSE(std::filesystem::exists(ordner.Pfad() / "szene.dat"));
  EXPECT_FALSE(std::filesystem::exists(ordner.Pfad() / "szene.dat.neu"));
}

TEST(Kartenbau, ZweiLaeufeGebenGleicheBytes) {
  EigenerOrdner ordner;
  ASSERT_EQ(Kartenbau(SZENE_TXT, ordner.Pfad() / "a.dat", ordner.Pfad() / "fehler"), 0);
  ASSERT_EQ(Kartenbau(SZENE_TXT, ordner.Pfad() / "b.dat", ordner.Pfad() / "fehler"), 0);
  const std::string a = Lies(ordner.Pfad() / "a.dat");
  EXPECT_EQ(a, Lies(ordner.Pfad() / "b.dat"));
  EXPECT_EQ(a, Lies(SZENE_DAT));
}

// The shipped level, loaded once.
class Level : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    karte = new Karte();
    ASSERT_EQ(Spiel::SzenenDatei::Lade(SZENE_DAT, *karte), Spiel::SzenenDatei::Ergebnis::Geladen);
  }
  static void TearDownTestSuite() { delete karte; }

  static std::vector<const Karte::Objekt*> VomTyp(uint32_t typ) {
    std::vector<const Karte::Objekt*> liste;
    for (const Karte::Objekt& objekt : karte->objekte)
      if (objekt.typ == typ) liste.push_back(&objekt);
    return liste;
  }
  static std::set<Zellposition, bool (*)(const Zellposition&, const Zellposition&)> Zellen(
      uint32_t typ, Zellposition (*regel)(const Karte::Objekt&)) {
    std::set<Zellposition, bool (*)(const Zellposition&, const Zellposition&)> zellen(&Kleiner);
    for (const Karte::Objekt* objekt : VomTyp(typ)) zellen.insert(regel(*objekt));
    return zellen;
  }
  static bool Kleiner(const Zellposition& a, const Zellposition& b) {
    return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z);
  }
  static uint32_t Typ(const Zellposition& z) { return Bewegung::TypBei(*karte, z); }
  static bool Voll(const Zellposition& z) { return Typ(z) == Karte::Fels || Typ(z) == Karte::Mauer; }
  static Zellposition Unten(const Zellposition& z) { return {z.x, z.y - 1, z.z}; }

  struct Gang {
    std::set<Zellposition, bool (*)(const Zellposition&, const Zellposition&)> erreicht{&Kleiner};
    std::vector<std::string> stuerze;
  };
  // Every cell the player can reach from the start with the given gates open.
  static Gang Laufe(const std::vector<Zellposition>& offen) {
    std::set<Zellposition, bool (*)(const Zellposition&, const Zellposition&)> offeneGitter(offen.begin(), offen.end(), &Kleiner);
    const auto gitterZellen = Zellen(GITTER, &Regeln::GitterZelle);
    const Bewegung::GitterZu gitterZu = [&](const Zellposition& z) {
      return gitterZellen.count(z) > 0 && offeneGitter.count(z) == 0;
    };
    Gang gang;
    std::queue<Zellposition> offenSchlange;
    const Zellposition start = Regeln::StartZelle(*VomTyp(STARTPUNKT)[0]);
    gang.erreicht.insert(start);
    offenSchlange.push(start);
    auto name = [](const Zellposition& z) {
      return "(" + std::to_string(z.x) + "," + std::to_string(z.y) + "," + std::to_string(z.z) + ")";
    };
    while (!offenSchlange.empty()) {
      const Zellposition c = offenSchlange.front();
      offenSchlange.pop();
      std::vector<Zellposition> weiter;
      if (Bewegung::Faellt(*karte, c)) {
        gang.stuerze.push_back("falls at " + name(c));
        weiter.push_back(Unten(c));
      } else {
        for (uint32_t r = 0; r < 4; ++r) {
          const Bewegung::Schritt s = Bewegung::SchrittTest(*karte, c, Regeln::RichtungsSchritt(r), gitterZu);
          if (!s.erlaubt) continue;
          if (s.ziel.y < c.y && Karte::Form(Typ(s.ziel)) < 2) gang.stuerze.push_back("drops " + name(c) + " -> " + name(s.ziel));
          weiter.push_back(s.ziel);
        }
      }
      for (const Zellposition& z : weiter)
        if (gang.erreicht.insert(z).second) offenSchlange.push(z);
    }
    return gang;
  }
  static float Abstand2(const BVektor3<float>& a, const BVektor3<float>& b) { return (a - b).Punkt(a - b); }
  // Whether a point (doubled units) is within pick reach of a reached cell.
  static bool InReichweite(const Gang& gang, const BVektor3<float>& punkt) {
    for (const Zellposition& z : gang.erreicht)
      if (Abstand2(Bewegung::AugenPosition(*karte, z), punkt) <= 9.0f) return true;
    return false;
  }
  static BVektor3<float> Doppelt(const Karte::Objekt& objekt) {
    const BVektor3<float> s = Spiel::Raster::Einrasten(Karte::ObjektTypen[objekt.typ], {objekt.x, objekt.y, objekt.z});
    return s * 2.0f;
  }
  // A stone lies at its snapped position, lowered to rest: (s.x, s.y - 0.25 + size / 2, s.z).
  static BVektor3<float> SteinPosition(const Karte::Objekt& stein) {
    BVektor3<float> s = Spiel::Raster::Einrasten(Karte::ObjektTypen[GEGENSTAND], {stein.x, stein.y, stein.z});
    s.y = s.y - 0.25f + Spiel::Szene::Gegenstaende[0].groesse / 2;
    return s;
  }
  static Zellposition Zelle(const BVektor3<float>& p) {
    return {int32_t(std::trunc(p.x)), int32_t(std::trunc(p.y)), int32_t(std::trunc(p.z))};
  }

  static Karte* karte;
};
Karte* Level::karte = nullptr;

const Zellposition NISCHE{7, 1, 7}, KAMMER{6, 4, 11}, RAUM_B{3, 1, 15}, RAUM_C{4, 1, 19}, RAUM_D{4, 1, 28};

TEST_F(Level, FlaechenUndBytesSindStabil) {
  Karte neu = *karte;
  neu.BaueBlockGeometrie();
  EXPECT_TRUE(KartenBitgleich(neu, *karte));
  TSpeicher s;
  Spiel::SzenenDatei::Schreibe(s, *karte);
  const std::string datei = Lies(SZENE_DAT);
  EXPECT_EQ(std::string(s.Daten(), s.Daten() + s.Groesse()), datei);
  EXPECT_EQ(karte->X, 10u);
  EXPECT_EQ(karte->Y, 6u);
  EXPECT_EQ(karte->Z, 36u);
}

TEST_F(Level, VerknuepfteZellenKommenAusObjekten) {
  const auto gitter = Zellen(GITTER, &Regeln::GitterZelle);
  const auto platten = Zellen(DRUCKPLATTE, &Regeln::PlattenZelle);
  const auto hebel = Zellen(HEBEL, &Regeln::HebelZelle);
  for (const Zellposition& z : {Zellposition{4, 1, 19}, {6, 4, 11}, {4, 1, 28}, {3, 1, 15}, {7, 1, 7}}) {
    EXPECT_EQ(gitter.count(z), 1u) << z.x << "," << z.y << "," << z.z;
    EXPECT_EQ(Typ(z), Karte::Leer);
  }
  for (const Zellposition& z : {Zellposition{4, 1, 20}, {1, 4, 12}, {5, 3, 25}}) {
    EXPECT_EQ(platten.count(z), 1u) << z.x << "," << z.y << "," << z.z;
    EXPECT_EQ(Typ(z), Karte::Leer);
    EXPECT_TRUE(Voll(Unten(z)));
  }
  EXPECT_EQ(hebel.count({2, 1, 14}), 1u);
  for (const Karte::Objekt& objekt : karte->objekte) {
    EXPECT_LE(objekt.typ, 8u);
    EXPECT_TRUE(karte->Enthaelt(int64_t(objekt.x), int64_t(objekt.y), int64_t(objekt.z)));
  }
  ASSERT_EQ(VomTyp(STARTPUNKT).size(), 1u);
  const Karte::Objekt& start = *VomTyp(STARTPUNKT)[0];
  EXPECT_LT(Regeln::StartRichtung(start), 4u);
  EXPECT_EQ(Typ(Regeln::StartZelle(start)), Karte::Leer);
  EXPECT_TRUE(Voll(Unten(Regeln::StartZelle(start))));
}

TEST_F(Level, ZwoelfKnoepfeInReiheMitHinweisAufDieOeffnenden) {
  std::vector<size_t> knopfObjekte;
  for (size_t i = 0; i < karte->objekte.size(); ++i)
    if (Regeln::KnopfIndex(*karte, i)) knopfObjekte.push_back(i);
  ASSERT_EQ(knopfObjekte.size(), 12u);
  const std::set<uint32_t> oeffnen = {3, 4, 5, 7, 8};
  for (uint32_t index = 0; index < 12; ++index) {
    const Karte::Objekt& knopf = karte->objekte[knopfObjekte[index]];
    EXPECT_EQ(*Regeln::KnopfIndex(*karte, knopfObjekte[index]), index);
    EXPECT_EQ(knopf.x, 2.5f + float(index % 6)) << index;
    EXPECT_EQ(knopf.y, index < 6 ? 1.75f : 1.25f) << index;
    bool licht = false;
    for (const Karte::Objekt* l : VomTyp(LICHT))
      licht |= Abstand2({l->x, l->y, l->z}, {knopf.x, knopf.y, knopf.z}) < 0.3f * 0.3f;
    EXPECT_EQ(licht, oeffnen.count(index) > 0) << index;
  }
}

TEST_F(Level, SteineLiegenAufVollenBloeckenUndNichtAufPlatten) {
  const auto platten = Zellen(DRUCKPLATTE, &Regeln::PlattenZelle);
  ASSERT_EQ(VomTyp(GEGENSTAND).size(), 2u);
  for (const Karte::Objekt* stein : VomTyp(GEGENSTAND)) {
    const Zellposition zelle = Zelle(SteinPosition(*stein));
    EXPECT_EQ(platten.count(zelle), 0u);
    EXPECT_EQ(Typ(zelle), Karte::Leer);
    EXPECT_TRUE(Voll(Unten(zelle)));
  }
}

// Each area cell against the gates open: reachable exactly when its own gates are.
TEST_F(Level, BereicheSindErstHinterIhrenGitternErreichbar) {
  struct Fall {
    const char* name;
    std::vector<Zellposition> offen;
    std::map<std::string, bool> erreichbar;
  };
  const Zellposition halle{3, 1, 10}, galerie{6, 4, 12}, nische{8, 1, 7}, kammer{6, 4, 10}, b{5, 1, 17}, c{2, 1, 24},
      plattform{6, 3, 26}, d{3, 1, 32};
  const std::map<std::string, Zellposition> bereiche = {{"Halle", halle}, {"Galerie", galerie}, {"Nische", nische},
                                                        {"Kammer", kammer}, {"B", b},            {"C", c},
                                                        {"Plattform", plattform}, {"D", d}};
  auto nur = [&](std::set<std::string> ja) {
    std::map<std::string, bool> m;
    for (const auto& [name, zelle] : bereiche) m[name] = ja.count(name) > 0;
    return m;
  };
  const Fall faelle[] = {
      {"alle zu", {}, nur({"Halle", "Galerie"})},
      {"Nische", {NISCHE}, nur({"Halle", "Galerie", "Nische"})},
      {"Kammer", {KAMMER}, nur({"Halle", "Galerie", "Kammer"})},
      {"Hebel", {RAUM_B, RAUM_C}, nur({"Halle", "Galerie", "B", "C", "Plattform"})},
      {"nur B", {RAUM_B}, nur({"Halle", "Galerie", "B"})},
      {"D ohne Hebel", {RAUM_D}, nur({"Halle", "Galerie"})},
      {"alle offen", {NISCHE, KAMMER, RAUM_B, RAUM_C, RAUM_D},
       nur({"Halle", "Galerie", "Nische", "Kammer", "B", "C", "Plattform", "D"})},
  };
  for (const Fall& f : faelle) {
    const Gang gang = Laufe(f.offen);
    for (const auto& [name, zelle] : bereiche)
      EXPECT_EQ(gang.erreicht.count(zelle) > 0, f.erreichbar.at(name)) << f.name << ": " << name;
  }
}

TEST_F(Level, NiemandStuerztUndAllesIstGreifbar) {
  const Gang zu = Laufe({});
  const Gang offen = Laufe({NISCHE, KAMMER, RAUM_B, RAUM_C, RAUM_D});
  for (const Gang* gang : {&zu, &offen})
    for (const std::string& sturz : gang->stuerze) ADD_FAILURE() << sturz;
  for (const Karte::Objekt* objekt : VomTyp(HEBEL)) EXPECT_TRUE(InReichweite(zu, Doppelt(*objekt)));
  for (const Karte::Objekt* objekt : VomTyp(KNOPF)) EXPECT_TRUE(InReichweite(zu, Doppelt(*objekt)));
  const Gang nische = Laufe({NISCHE});
  const Gang b = Laufe({RAUM_B});
  const std::vector<const Karte::Objekt*> steine = VomTyp(GEGENSTAND);
  EXPECT_FALSE(InReichweite(zu, SteinPosition(*steine[0]) * 2.0f));
  EXPECT_TRUE(InReichweite(nische, SteinPosition(*steine[0]) * 2.0f));
  EXPECT_FALSE(InReichweite(zu, SteinPosition(*steine[1]) * 2.0f));
  EXPECT_TRUE(InReichweite(b, SteinPosition(*steine[1]) * 2.0f));
  // The plates that stones must press lie on reached cells.
  EXPECT_EQ(offen.erreicht.count({5, 3, 25}), 1u);
  EXPECT_EQ(zu.erreicht.count({1, 4, 12}), 1u);
  EXPECT_EQ(Laufe({RAUM_B}).erreicht.count({4, 1, 20}), 0u);
  EXPECT_EQ(Laufe({RAUM_B, RAUM_C}).erreicht.count({4, 1, 20}), 1u);
}
