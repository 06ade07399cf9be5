#pragma once
// The shipped level as the game shows it at the start, for the world renderer's display test and
// benchmark: the scene loaded from a "szene.dat" with the standard builders, its patches built by
// the parallel core until the generator rests, and the game flow's view of the start cell. Needs
// the screen open and the game's resources loaded.
#include <filesystem>
#include <memory>

#include "BMatrix.h"
#include "Bewegung.h"
#include "GeneratorSchritte.h"
#include "Kamera.h"
#include "Objektregeln.h"
#include "Szene.h"
#include "SzenenDatei.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Timer.h"

namespace startansicht {

constexpr TZeit BILD = 1000000000 / 64;

// The game's view of the start cell with the mouse at the screen's centre: the eye of the cell,
// facing the start direction (up and down leave +X), no mouse yaw and no pitch.
inline BMatrix SichtVon(const Karte& karte, const Spiel::Objektregeln::Zellposition& zelle, uint32_t richtung) {
  const uint32_t blick = richtung < 4 ? richtung : 1;
  const Spiel::Objektregeln::Zellposition s = Spiel::Objektregeln::RichtungsSchritt(blick);
  return Spiel::Kamera::Ansicht(Spiel::Bewegung::AugenPosition(karte, zelle), {float(s.x), float(s.y), float(s.z)},
                                Spiel::Bewegung::Kurs(blick), 0);
}

class Level {
 public:
  explicit Level(uint32_t arbeiter) : kern(arbeiter) {}
  ~Level() {
    if (szene) kern.MachSofort([&] { szene.reset(); });
  }

  // Loads the level, requests every face and object and takes the start view.
  bool Lade(const std::filesystem::path& szeneDat) {
    bool geladen = false;
    kern.MachSofort([&] {
      szene = std::make_unique<Spiel::Szene>(uhr, nullptr, nullptr);
      geladen = Spiel::SzenenDatei::Lade(szeneDat, szene->karte) == Spiel::SzenenDatei::Ergebnis::Geladen;
      szene->AktualisiereAlleBlockPatches();
      szene->BaueAusObjekten();
    });
    sicht = SichtVon(szene->karte, szene->GibStartZelle(), szene->GibStartRichtung());
    kamera = Spiel::Kamera::Position(sicht);
    return geladen;
  }
  // One frame of 1/64 s at the camera, after the jobs of the last one ended; true when it took
  // over no patch and started no job.
  bool Bild() {
    bool ruhig = false;
    kern.MachSofort([&] {
      Spiel::Generator& g = szene->generator;
      g.WarteAufOffene();
      const size_t vorher = generatorschritte::MitAuftrag(g);
      uhr.Fortschreiten(BILD);
      szene->Aktualisiere(kamera);
      ruhig = g.LetzteUebernahme().datensaetze == 0 && generatorschritte::MitAuftrag(g) == vorher;
    });
    return ruhig;
  }
  // Frames until the generator rests; the number of frames, or -1 after `grenze`.
  int BisRuhe(int grenze = 400) {
    for (int i = 1; i <= grenze; ++i)
      if (Bild()) return i;
    return -1;
  }
  uint64_t Instanzen() const { return szene->instanzen.AnzahlLebend(); }

  Zarvo_Parallel kern;
  Zarvo_Timer uhr;
  std::unique_ptr<Spiel::Szene> szene;
  BMatrix sicht;
  BVektor3<float> kamera;
};

}  // namespace startansicht
