#pragma once
// The scene's test set-up: the screen on the recording device, the scripted FMOD system under a
// real Zarvo_Audio with one channel group, a fake clock stepped by hand before each frame, and a
// scene whose generator stays idle (no parallel core, the viewer far from every patch), so that
// the tests read its real request table. The combination set is reset for every test.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Kartenbeschreibung.h"
#include "LogMitschnitt.h"
#include "NullBildschirm.h"
#include "Szene.h"
#include "SzenenDatei.h"
#include "Zarvo_Audio.h"
#include "Zarvo_Timer.h"
#include "fmod_attrappe/FmodAttrappe.h"

namespace szenentest {

using Spiel::Generator;
using Spiel::Szene;
using V3 = BVektor3<float>;
using Zelle = Szene::Zellposition;

constexpr int64_t TICKS_PRO_SEKUNDE = 1000000000;
constexpr int64_t BILD = TICKS_PRO_SEKUNDE / 64;  // one frame of 1/64 s
const V3 FERN{1e5f, 1e5f, 1e5f};

// A room of 10 x 6 x 30 on a rock floor with the start at (1, 1, 1); `rest` adds statements.
inline std::string Raum(const std::string& rest = "") {
  return "groesse 10 6 30\nquader 0 0 0 9 0 29 Fels\nobjekt Startpunkt 1.5 1.0 1.5 | 1\n" + rest;
}

class SzenenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    Szene::SetzeKombinationZurueck();
    Neu();
  }
  void TearDown() override {
    szene.reset();
    audio.reset();
    FmodAttrappe::Entferne();
  }
  // A new scene on a new audio system (the record starts empty; the combination set stays).
  // Without `mitTon` the scene gets no audio system.
  void Neu(bool mitTon = true) {
    szene.reset();
    audio.reset();
    FmodAttrappe::Setze(FmodSkript());
    audio = std::make_unique<Zarvo_Audio>();
    ASSERT_TRUE(audio->Init());
    kanal = audio->ErzeugeKanal();
    ASSERT_NE(kanal, nullptr);
    // Groups are named g0, g1 ... in the order they are made: the scene's is the last one.
    gruppe = "g" + std::to_string(FmodAttrappe::Aufrufe("getMasterChannelGroup").size() +
                                  FmodAttrappe::Aufrufe("createChannelGroup").size() - 1);
    szene = std::make_unique<Szene>(uhr, mitTon ? audio.get() : nullptr, kanal);
    FmodAttrappe::LeereAufrufe();
  }

  Szene& s() { return *szene; }

  // The shipped level, as the owners build it.
  void LadeMitgeliefert() {
    ASSERT_EQ(Spiel::SzenenDatei::Lade(SZENE_DAT, s().karte), Spiel::SzenenDatei::Ergebnis::Geladen);
    s().AktualisiereAlleBlockPatches();
    s().BaueAusObjekten();
  }
  // A fixture map from its description, built the same way.
  void Baue(const std::string& text) {
    const auto fehler = Kartenbeschreibung::Baue(text, s().karte);
    ASSERT_FALSE(fehler) << "line " << fehler->zeile << ": " << fehler->grund;
    s().AktualisiereAlleBlockPatches();
    s().BaueAusObjekten();
  }

  // One frame of `ticks` on the fake clock.
  void Bild(int64_t ticks = BILD) {
    uhr.Fortschreiten(ticks);
    s().Aktualisiere(FERN);
  }
  void Bilder(int n, int64_t ticks = BILD) {
    for (int i = 0; i < n; ++i) Bild(ticks);
  }
  // Frames of 1/64 s until `fertig` holds; the number of frames, or -1 after `grenze`.
  template <class F>
  int BilderBis(F&& fertig, int grenze = 64 * 30) {
    for (int i = 1; i <= grenze; ++i) {
      Bild();
      if (fertig()) return i;
    }
    return -1;
  }

  // Gate and trigger at a cell.
  const Szene::Gitter& GitterBei(Zelle zelle) {
    for (const Szene::Gitter& g : s().GibGitter())
      if (g.zelle == zelle) return g;
    ADD_FAILURE() << "no gate at " << zelle.x << " " << zelle.y << " " << zelle.z;
    static const Szene::Gitter keins{};
    return keins;
  }
  float Zustand(Zelle zelle) { return GitterBei(zelle).zustand; }
  int32_t Anzahl(Zelle zelle) {
    for (const Szene::Ausloeser& a : s().GibAusloeser())
      if (int32_t(a.x) == zelle.x && int32_t(a.y) == zelle.y && int32_t(a.z) == zelle.z) return a.anzahl;
    ADD_FAILURE() << "no trigger at " << zelle.x << " " << zelle.y << " " << zelle.z;
    return 0;
  }
  void An(Zelle z) { s().AusloeserAn(uint32_t(z.x), uint32_t(z.y), uint32_t(z.z)); }
  void Aus(Zelle z) { s().AusloeserAus(uint32_t(z.x), uint32_t(z.y), uint32_t(z.z)); }

  // How often the effect file `datei` was played, and on which channel groups.
  size_t Gespielt(const std::string& datei) const { return Spiele(datei).size(); }
  // The sound names (s0, s1 ...) follow the order of the createSound calls since the set-up.
  std::vector<std::string> Spiele(const std::string& datei) const {
    const std::vector<std::string> erzeugt = FmodAttrappe::Aufrufe("createSound(");
    std::vector<std::string> gespielt;
    for (size_t k = 0; k < erzeugt.size(); ++k) {
      if (erzeugt[k].find("/Daten/" + datei + ",") == std::string::npos) continue;
      for (const std::string& aufruf : FmodAttrappe::Aufrufe("playSound("))
        if (aufruf.find(", s" + std::to_string(k) + ",") != std::string::npos) gespielt.push_back(aufruf);
    }
    return gespielt;
  }
  size_t Erzeugt(const std::string& datei) const {
    size_t n = 0;
    for (const std::string& aufruf : FmodAttrappe::Aufrufe("createSound("))
      n += aufruf.find("/Daten/" + datei + ",") != std::string::npos;
    return n;
  }

  LogMitschnitt log;
  NullBildschirm bildschirm;
  Zarvo_Timer uhr;
  std::unique_ptr<Zarvo_Audio> audio;
  Zarvo_AudioKanal* kanal = nullptr;
  std::string gruppe;  // the scripted name of the scene's channel group
  std::unique_ptr<Szene> szene;
};

}  // namespace szenentest
