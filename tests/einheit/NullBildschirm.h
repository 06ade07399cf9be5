#pragma once
// The screen opened on the recording device with a scripted window system, so that engine classes
// reach its drawing context through Zarvo_Screen3D; the log recorded.
#include <gtest/gtest.h>

#include "FensterAttrappe.h"
#include "LogMitschnitt.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_ZeichenKontext.h"

class NullBildschirmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9::WaehleNullBackend({});
    Zarvo_Screen3D::SetzeFenstersystem(&fenster);
    ASSERT_TRUE(Zarvo_Screen3D::Init(0, 0, {320, 240, 0, 0}, 2));
    kontext = Zarvo_Screen3D::GibZeichenKontext();
  }
  void TearDown() override {
    Zarvo_Screen3D::Schliessen();
    Zarvo_Screen3D::SetzeFenstersystem(nullptr);
    d3d9::WaehleGl33Backend();
  }
  // Resources in the context's registry.
  int Belegt() const {
    int n = 0;
    kontext->registerListe.FuerAlle([&](Zarvo_BasisObjekt*) { ++n; });
    return n;
  }

  LogMitschnitt log;
  FensterAttrappe fenster;
  Zarvo_ZeichenKontext* kontext = nullptr;
};
