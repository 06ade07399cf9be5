#pragma once
// A drawing context on the recording device, with the log recorded and debug lines on.
#include <gtest/gtest.h>

#include <memory>

#include "LogMitschnitt.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Zarvo_BildschirmZustand.h"
#include "Zarvo_ZeichenKontext.h"

class NullKontextTest : public ::testing::Test {
 protected:
  void SetUp() override { Oeffne({}); }
  void TearDown() override {
    kontext.reset();
    d3d9::WaehleGl33Backend();
  }
  void Oeffne(const d3d9::NullKonfig& konfig) {
    kontext.reset();
    d3d9::WaehleNullBackend(konfig);
    log.Debug(true);
    bildschirm.breite = 800;
    bildschirm.hoehe = 600;
    kontext = std::make_unique<Zarvo_ZeichenKontext>(bildschirm);
    ASSERT_TRUE(kontext->HatGeraet());
    log.zeilen.clear();
  }
  d3d9::null::Welt& Welt() { return *d3d9::null::AktuelleWelt(); }
  d3d9::null::Geraet& Geraet() { return *Welt().geraet; }
  size_t Pruefzeilen() const { return log.Anzahl("!Ausnahme"); }

  LogMitschnitt log;
  Zarvo_BildschirmZustand bildschirm;
  std::unique_ptr<Zarvo_ZeichenKontext> kontext;
};
