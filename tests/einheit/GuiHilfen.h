#pragma once
// Helpers of the widget toolkit tests: a surface of a given size over a style tree built in code,
// steps of the frame clock, a stand-in for the game's modal pages, and a fixture that checks the
// frame clock holds no more timers at the end of a test than at its start.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "Oberflaeche.h"
#include "Stil.h"
#include "VaterBasis.h"
#include "Zarvo_Start.h"

namespace guihilfen {

inline std::unique_ptr<Gui::Oberflaeche> NeueOberflaeche(float breite, float hoehe, TEigenschaften stil = {}) {
  auto oberflaeche = std::make_unique<Gui::Oberflaeche>(std::filesystem::path(), BVektor3<float>{breite, hoehe, 0});
  oberflaeche->eigenschaften = std::move(stil);
  return oberflaeche;
}

// Advances the frame clock by the seconds; timers due strictly before the new time fire.
inline void Schritt(float sekunden) { g_Zeit.Fortschreiten(SekundenAlsTicks(sekunden)); }
// The smallest step that runs a task due now (the deferred layout).
inline void EinTick() { g_Zeit.Fortschreiten(1); }

// A container at a place and of a fixed size, added to `vater`.
inline Gui::VaterBasis* NeueSeite(Gui::VaterBasis& vater, BVektor3<float> position, BVektor3<float> groesse) {
  auto* seite = new Gui::VaterBasis();
  seite->SetPosition(position, false);
  seite->SetGroesse(groesse, false);
  vater.FuegeHinzu(seite);
  return seite;
}

// The centre of a widget in surface coordinates.
inline BVektor3<float> Mitte(const Gui::Basis& w) { return w.AbsolutePosition() + w.GespeicherteGroesse() * 0.5f; }

// A modal container, as the game's pause page and object dialog are.
class ModalSeite : public Gui::VaterBasis {
 public:
  bool IstModal() const override { return true; }
};

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override { timerVorher = g_Zeit.AnzahlTimer(); }
  void TearDown() override { EXPECT_EQ(g_Zeit.AnzahlTimer(), timerVorher) << "timers left on the frame clock"; }

 private:
  size_t timerVorher = 0;
};

}  // namespace guihilfen
