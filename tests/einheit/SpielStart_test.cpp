// The game flow's stored values and life cycle: the start table (directions, missing and outside
// starts, a start on a pressure plate) with a stretch of rough play after each row, "szene.dat"
// missing and damaged, the music, the pages and the system cursor, two game flows one after the
// other, and the inventory slots.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>
#include <sstream>
#include <string>

#include "Button.h"
#include "ButtonBild.h"
#include "SpielRahmen.h"
#include "Zarvo_AudioSample.h"

namespace {

class SpielStart : public SpielRahmen {
 protected:
  // Lines of the log that begin with a level character for warnings or errors.
  size_t Meldungen() const {
    size_t n = 0;
    for (const std::string& z : log.zeilen) n += !z.empty() && (z[0] == '!' || z[0] == '?');
    return n;
  }
  static V3 Mitte(const Gui::Basis& w) { return w.AbsolutePosition() + w.GespeicherteGroesse() * 0.5f; }
};

// Stones around the explicit start (2, 1, 2) and around the fallback start (0, 1, 0).
const char* const STEINE =
    "objekt SzeneGegenstand 2.25 1.0 3.25 | 0\nobjekt SzeneGegenstand 3.25 1.0 2.75 | 0\n"
    "objekt SzeneGegenstand 1.75 1.0 2.25 | 0\nobjekt SzeneGegenstand 2.75 1.0 1.25 | 0\n"
    "objekt SzeneGegenstand 0.75 1.0 1.25 | 0\nobjekt SzeneGegenstand 1.25 1.0 0.75 | 0\n";

TEST_F(SpielStart, StarttabelleUndRauesSpiel) {
  const auto richtung = [](float r) { return [r](Karte& k) { k.objekte[0].args[0][0] = r; }; };
  const auto ort = [](float x, float y, float z) {
    return [=](Karte& k) {
      k.objekte[0].x = x;
      k.objekte[0].y = y;
      k.objekte[0].z = z;
    };
  };
  const struct Fall {
    const char* name;
    std::function<void(Karte&)> aendere;
    Zelle zelle;
    uint32_t blick;
  } faelle[] = {
      {"direction 0", richtung(0), {2, 1, 2}, 0},
      {"direction 1", richtung(1), {2, 1, 2}, 1},
      {"direction 2", richtung(2), {2, 1, 2}, 2},
      {"direction 3", richtung(3), {2, 1, 2}, 3},
      {"direction 4 (down) leaves +X", richtung(4), {2, 1, 2}, 1},
      {"direction 5 (up) leaves +X", richtung(5), {2, 1, 2}, 1},
      {"direction -1", richtung(-1), {2, 1, 2}, 3},
      {"no start", [](Karte& k) { k.objekte.erase(k.objekte.begin()); }, {0, 1, 0}, 1},
      {"start at y = Y", ort(2.5f, 4.0f, 2.5f), {0, 1, 0}, 1},
      {"start at x = -5", ort(-5.0f, 1.0f, 2.5f), {0, 1, 0}, 1},
  };
  // The rough play: clicks every fifth frame, cycling through the screen's zones and the floor.
  const V3 klicks[] = {{640, 640, 0}, {640, 120, 0}, {640, 600, 0}, {100, 450, 0}, {640, 680, 0}, {1180, 450, 0}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    StarteMit(Flur(2, STEINE), f.aendere);
    EXPECT_EQ(S().GibZelle(), f.zelle);
    EXPECT_EQ(S().GibBlick(), f.blick);
    EXPECT_EQ(S().GibZielBlick(), f.blick);
    EXPECT_EQ(S().GibGieren(), Spiel::Bewegung::Kurs(f.blick));
    EXPECT_TRUE(Steht());
    bool getragen = false;
    for (int i = 0; i < 200; ++i) {
      if (i % 5 == 0) {
        const V3& m = klicks[(i / 5) % std::size(klicks)];
        Maus(m.x, m.y);
        MausRunter();
      } else if (i % 5 == 1) {
        MausHoch();
      }
      Bild();
      const Zelle& z = S().GibZelle();
      ASSERT_TRUE(Szene().karte.Enthaelt(z.x, z.y, z.z)) << "frame " << i;
      ASSERT_LT(S().GibBlick(), 4u);
      ASSERT_TRUE(std::isfinite(S().GibAuge().x + S().GibAuge().y + S().GibAuge().z + S().GibGieren()));
      getragen = getragen || S().GibGetragen().da;
    }
    EXPECT_TRUE(getragen) << "the play took a stone";
    Beende();
  }
}

TEST_F(SpielStart, StartAufDerDruckplatte) {
  // The shipped level's plate link: plate (4, 1, 20) opens gate (4, 1, 19).
  StarteMit("groesse 8 3 24\nquader 0 0 0 7 0 23 Fels\nobjekt Gitter 4.5 1.5 19.5 | 2 5\n"
            "objekt Druckplatte 4.5 1.0 20.5\nobjekt Startpunkt 4.5 1.0 20.5 | 2\n");
  const Zelle platte{4, 1, 20}, gitter{4, 1, 19};
  EXPECT_EQ(Anzahl(platte), 1) << "the player stands on it";
  Tippe(GLFW_KEY_W);
  ASSERT_EQ(S().GibZelle(), (Zelle{4, 1, 21}));
  EXPECT_EQ(Anzahl(platte), 0);
  // Open in 2 s, held 5 s after the opening, closed in 2 s.
  Bilder(64 * 10);
  EXPECT_EQ(GitterZustand(gitter), 0.0f);
  Tippe(GLFW_KEY_S);
  ASSERT_EQ(S().GibZelle(), platte);
  EXPECT_EQ(Anzahl(platte), 1);
  EXPECT_GT(BilderBis([&] { return GitterZustand(gitter) == 1.0f; }, 64 * 3), 0) << "stepping back on opens the gate";
}

TEST_F(SpielStart, SzenendateiFehltOderIstBeschaedigt) {
  // Missing: the default map, silently; nothing is written.
  Starte(OhneErbauer());
  EXPECT_EQ(Szene().karte.X, 64u);
  EXPECT_EQ(Szene().karte.Y, 16u);
  EXPECT_EQ(Szene().karte.Z, 32u);
  EXPECT_EQ(Meldungen(), 0u);
  Bilder(10);
  Beende();
  EXPECT_FALSE(std::filesystem::exists(SzenenPfad()));

  // Damaged (a saved level cut short): the default map and the one error line; the file stays.
  SchreibeSzene(Flur(2));
  std::filesystem::resize_file(SzenenPfad(), std::filesystem::file_size(SzenenPfad()) - 9);
  const std::string kaputt = LiesDatei(SzenenPfad());
  log.zeilen.clear();
  Starte(OhneErbauer());
  EXPECT_EQ(Szene().karte.X, 64u);
  EXPECT_EQ(Szene().karte.Z, 32u);
  EXPECT_EQ(log.Anzahl("Szenendaten beschädigt"), 1u);
  Bilder(10);
  Beende();
  EXPECT_EQ(LiesDatei(SzenenPfad()), kaputt);
}

TEST_F(SpielStart, Musik) {
  const std::string datei = (ordner / "Daten" / "usaganie.ogg").string();
  const struct Fall {
    const char* name;
    bool init;
    std::map<std::string, std::deque<FMOD_RESULT>> ergebnisse;
    bool spielt;
    std::vector<std::string> zeilen;
  } faelle[] = {
      {"audio not initialised", false, {}, false, {"?Unable to load music."}},
      {"file missing", true, {{"createSound", {FMOD_ERR_FILE_NOTFOUND}}}, false,
       {"!Zarvo_AudioSample::Zarvo_AudioSample(): Erstellen des Samples aus Datei " + datei + " fehlgeschlagen",
        "!  Fehler 23: File not found.", "?Unable to load music."}},
      {"streamed in a loop", true, {}, true, {}},
      {"the loop refused", true, {{"Sound::setMode", {FMOD_ERR_INVALID_HANDLE}}}, true,
       {"!Zarvo_AudioSample::SetWiederholen(): Loop-Einstellung setzen eines Sounds gescheitert.",
        "!  Fehler 36: An invalid object handle was used."}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    FmodSkript skript;
    skript.ergebnisse = f.ergebnisse;
    StarteTon(skript, f.init);
    SchreibeSzene(Flur(2));
    log.zeilen.clear();
    Starte(OhneErbauer());
    std::vector<std::string> meldungen;
    for (const std::string& z : log.zeilen)
      if (!z.empty() && (z[0] == '!' || z[0] == '?')) meldungen.push_back(z);
    EXPECT_EQ(meldungen, f.zeilen);
    if (f.spielt) {
      EXPECT_EQ(FmodAttrappe::Aufrufe("createSound("),
                (std::vector<std::string>{"createSound(" + datei + ", 0x" +
                                          (std::ostringstream() << std::hex << (Zarvo_AudioSample::GRUNDMODUS | FMOD_CREATESTREAM)).str() +
                                          ", null)"}));
      EXPECT_EQ(FmodAttrappe::Aufrufe("Sound::setMode("), (std::vector<std::string>{"Sound::setMode(s0, 2)"}));
      EXPECT_EQ(FmodAttrappe::Aufrufe("playSound("), (std::vector<std::string>{"playSound(-1, s0, true)"}));
      EXPECT_EQ(FmodAttrappe::Aufrufe("Channel::"),
                (std::vector<std::string>{"Channel::setChannelGroup(c0, g0)", "Channel::setVolume(c0, 0.50)",
                                          "Channel::setPaused(c0, false)"}))
          << "on the master group, unpaused";
      EXPECT_EQ(S().GibMusikId(), 0u);
    } else {
      EXPECT_TRUE(FmodAttrappe::Aufrufe("playSound(").empty());
      EXPECT_EQ(S().GibMusikId(), Spiel::SpielAblauf::KEINE_MUSIK);
    }
    FmodAttrappe::LeereAufrufe();
    Beende();
    EXPECT_EQ(FmodAttrappe::Aufrufe("Channel::stop(").size(), f.spielt ? 1u : 0u);
  }

  // Silent: no audio system at all; nothing is played, stopped or reported.
  audio.reset();
  FmodAttrappe::LeereAufrufe();
  log.zeilen.clear();
  Starte(OhneErbauer());
  Bilder(5);
  Beende();
  EXPECT_TRUE(FmodAttrappe::Aufrufe().empty());
  EXPECT_EQ(Meldungen(), 0u);
}

TEST_F(SpielStart, SeitenCursorUndZweiSpieleNacheinander) {
  Gui::Oberflaeche& oberflaeche = *bruecke->GibOberflaeche();
  const size_t kinderVorher = oberflaeche.Kinder().size();
  SchreibeSzene(Flur(2));
  for (int durchgang = 0; durchgang < 2; ++durchgang) {
    SCOPED_TRACE("game " + std::to_string(durchgang + 1));
    Starte(OhneErbauer());
    EXPECT_FALSE(bildschirm->fenster.mausSichtbar) << "the game draws its own cursor";
    Bilder(3);  // the deferred layout
    const Gui::Seite& bewegung = *S().GibBewegungsSeite();
    const Gui::Seite& inventar = *S().GibInventarSeite();
    EXPECT_EQ(oberflaeche.Kinder().size(), kinderVorher + 2);
    EXPECT_EQ(bewegung.AbsolutePosition().x + bewegung.GespeicherteGroesse().x, float(BREITE) - 20);
    EXPECT_EQ(bewegung.AbsolutePosition().y, 20);
    EXPECT_EQ(inventar.AbsolutePosition(), (V3{20, 20, 0}));
    // Two rows of three 64-pixel buttons, four rows of four, with gaps of 5.
    EXPECT_EQ(bewegung.GespeicherteGroesse(), (V3{222, 163, 0}));
    EXPECT_EQ(inventar.GespeicherteGroesse(), (V3{291, 321, 0}));
    for (uint64_t code : {16u, 17u, 18u, 30u, 31u, 32u}) EXPECT_EQ(oberflaeche.TastenListe(code).size(), 1u) << code;
    Tippe(GLFW_KEY_W);
    EXPECT_EQ(S().GibZelle(), (Zelle{2, 1, 3}));
    Beende();
    EXPECT_TRUE(bildschirm->fenster.mausSichtbar);
    EXPECT_EQ(oberflaeche.Kinder().size(), kinderVorher);
    for (uint64_t code : {16u, 17u, 18u, 30u, 31u, 32u}) EXPECT_TRUE(oberflaeche.TastenListe(code).empty()) << code;
  }
  Tippe(GLFW_KEY_W);  // no button of a gone game flow is left to call
  Bilder(3);
}

TEST_F(SpielStart, InventarFaecher) {
  StarteMit(Flur(2, "objekt SzeneGegenstand 2.25 1.0 3.25 | 0\n"));
  Bilder(2);
  const std::vector<Gui::Button*>& knoepfe = S().GibInventarKnoepfe();
  ASSERT_EQ(knoepfe.size(), 16u);
  ASSERT_EQ(S().GibInventar().size(), 16u);
  for (const Gui::Button* k : knoepfe) EXPECT_EQ(k->Bild().Index(), 50u);
  const auto klickeFach = [&](size_t fach) {
    const V3 m = Mitte(*knoepfe[fach]);
    Maus(m.x, m.y);
    Bild();

    Klicke();
  };

  klickeFach(1);
  EXPECT_EQ(S().GibInventar()[1], Spiel::SpielAblauf::Gegenstand{}) << "empty slot, empty hand: nothing changes";
  EXPECT_FALSE(S().GibGetragen().da);
  EXPECT_EQ(knoepfe[1]->Bild().Index(), 50u);

  ASSERT_EQ(Szene().GibGegenstaende().AnzahlLebend(), 1u);
  KlickeAufWeltpunkt(Szene().GibGegenstaende()[0].position * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da) << "the stone was taken";
  EXPECT_EQ(Szene().GibGegenstaende().AnzahlLebend(), 0u);

  klickeFach(0);
  EXPECT_EQ(S().GibInventar()[0], (Spiel::SpielAblauf::Gegenstand{0, 1}));
  EXPECT_EQ(knoepfe[0]->Bild().Index(), 51u);
  EXPECT_FALSE(S().GibGetragen().da);
  EXPECT_EQ(Szene().GibGegenstaende().AnzahlLebend(), 0u) << "the click reached only the slot";

  klickeFach(0);
  EXPECT_EQ(S().GibInventar()[0], Spiel::SpielAblauf::Gegenstand{});
  EXPECT_EQ(knoepfe[0]->Bild().Index(), 50u);
  EXPECT_EQ(S().GibGetragen(), (Spiel::SpielAblauf::Gegenstand{0, 1}));
}

}  // namespace
