// The patch generator's image pages on the OpenGL device under a virtual display: tiles drawn from
// the staging atlases into 4096² render targets, read back through GetRenderTargetData and compared
// byte for byte with the test builder's images (alpha 0x10 and 0x20 pixels included, which the
// premultiplying sprite program would darken). The used area of each page is written as PNG into
// the build folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "AnzeigeSperre.h"
#include "Generator.h"
#include "GeneratorSchritte.h"
#include "Plattform/d3d9/d3d9.h"
#include "SeitenPruefung.h"
#include "Szene.h"
#include "TestErbauer.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"
#include "einheit/LogMitschnitt.h"
#include "BildschirmOeffnen.h"

namespace {

using Generator = Spiel::Generator;
using V3 = BVektor3<float>;

Generator::FlaechenPatch Flaeche(V3 p) { return {p, {2, 0, 0}, {0, 0, 2}, {2, 0, 0}, 0}; }

class GeneratorAnzeige : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Debug(true);
    d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    ASSERT_TRUE(anzeige::OeffneBildschirm(160, 120));
    kontext = Zarvo_Screen3D::GibZeichenKontext();
    generator = std::make_unique<Generator>(pool, erbauer.Tabelle());
  }
  void TearDown() override {
    if (generator) kern.MachSofort([&] { generator.reset(); });
    Zarvo_Screen3D::Schliessen();
    g_Vollbild.SetzeBool(true);
    for (const std::string& z : log.zeilen) {
      EXPECT_EQ(z.find("GL error"), std::string::npos) << z;
      EXPECT_EQ(z.find("!Ausnahme"), std::string::npos) << z;
    }
  }
  Generator& g() { return *generator; }
  void Seiten(std::function<uint32_t(uint32_t key)> seite) {
    TestErbauer::Einstellung e;
    e.seite = [seite](const TestErbauer::Aufruf& a) { return seite(a.key); };
    erbauer.Setze(e);
  }
  // Every job started now is taken over in one call.
  void EinAufruf(V3 betrachter) {
    kern.MachSofort([&] {
      g().AktualisierePatches(betrachter);
      g().WarteAufOffene();
      g().AktualisierePatches(betrachter);
      g().WarteAufOffene();
      g().UebernimmFertigePatches();
    });
  }
  bool BisRuhe(V3 betrachter) { return generatorschritte::BisRuhe(kern, g(), betrachter); }
  // The page checked against the builder's images; its used area saved as <name>_farbe.png and
  // <name>_normale.png in the build folder.
  ::testing::AssertionResult SeiteStimmt(uint32_t s, const std::string& name) {
    const seitenpruefung::Seitenbilder bilder = seitenpruefung::LiesSeitenbilder(*kontext, g(), s);
    const std::filesystem::path ordner = MORVELUNT_BAU_ORDNER;
    seitenpruefung::SpeichereBenutztenBereich(bilder.farbe, g().Seiten()[s].platz, ordner / (name + "_farbe.png"));
    seitenpruefung::SpeichereBenutztenBereich(bilder.normale, g().Seiten()[s].platz, ordner / (name + "_normale.png"));
    return seitenpruefung::PatchesStimmen(g(), bilder, s);
  }

  AnzeigeSperre sperre;
  LogMitschnitt log;
  Zarvo_ZeichenKontext* kontext = nullptr;
  Zarvo_Parallel kern{1};
  Spiel::Szene::InstanzPool pool;
  TestErbauer erbauer;
  std::unique_ptr<Generator> generator;
};

const V3 FERN{0, 0, 50};  // every face at level 1

TEST_F(GeneratorAnzeige, HundertachtundzwanzigUndTausendvierundzwanzigDannZweiunddreissig) {
  Seiten([](uint32_t key) { return key == 1 ? 128u : key == 2 ? 1024u : 32u; });
  kern.MachSofort([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().FordereAn(2, Flaeche({10, 0, 0}));
  });
  EinAufruf(FERN);
  EXPECT_EQ(g().LetzteUebernahme().kacheln, 65u);
  EXPECT_EQ(g().LetzteUebernahme().paare, 1u);
  EXPECT_TRUE(SeiteStimmt(0, "generator_seite_128_1024"));
  kern.MachSofort([&] { g().FordereAn(3, Flaeche({0, 0, 10})); });
  EinAufruf(FERN);
  EXPECT_EQ(g().LetzteUebernahme().kacheln, 1u);
  EXPECT_TRUE(SeiteStimmt(0, "generator_seite_128_1024_32"));
}

// The held first job of patch 1 comes back after the patch was released far away, bumped and
// rebuilt: the stale record changes no pixel.
TEST_F(GeneratorAnzeige, VeralteterDatensatzLaesstRechteck) {
  Zarvo_Parallel::WarteZaehler tor;
  tor.anzahl = 1;
  TestErbauer::Einstellung e;
  e.tor = &tor;
  e.amTor = [](const TestErbauer::Aufruf& a) { return a.nummer == 0; };
  e.seite = [](const TestErbauer::Aufruf&) { return 256u; };
  erbauer.Setze(e);
  kern.MachSofort([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().AktualisierePatches(FERN);
  });
  while (erbauer.AnzahlAufrufe() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  kern.MachSofort([&] {
    g().AktualisierePatches({0, 0, 500});  // released
    g().FordereAn(2, Flaeche({2, 0, 0}));  // bumps patch 1
  });
  const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!(g().GibPatch(1) && g().GibPatch(1)->breite != 0) && std::chrono::steady_clock::now() < ende)
    kern.MachSofort([&] {
      g().UebernimmFertigePatches();
      g().AktualisierePatches(FERN);
    });
  ASSERT_NE(g().GibPatch(1), nullptr);
  ASSERT_TRUE(SeiteStimmt(0, "generator_seite_aktuell"));
  const uint32_t generation = g().GibPatch(1)->generation;
  tor.Vermindere();
  kern.MachSofort([&] {
    g().WarteAufOffene();
    g().UebernimmFertigePatches();
  });
  EXPECT_EQ(g().GibPatch(1)->generation, generation);
  EXPECT_LT(erbauer.Aufrufe()[0].generation, generation);
  EXPECT_TRUE(SeiteStimmt(0, "generator_seite_nach_veraltetem"));
}

TEST_F(GeneratorAnzeige, SiebzehnMalTausendvierundzwanzigFuellenZweiSeiten) {
  Seiten([](uint32_t) { return 1024u; });
  kern.MachSofort([&] {
    for (uint32_t i = 0; i < 17; ++i) g().FordereAn(i + 1, Flaeche({2.0f * float(i % 5), 0, 2.0f * float(i / 5)}));
  });
  EinAufruf(FERN);
  EXPECT_EQ(g().LetzteUebernahme().platziert, 17u);
  EXPECT_EQ(g().LetzteUebernahme().paare, 2u);
  ASSERT_EQ(g().Seiten().size(), 2u);
  EXPECT_TRUE(SeiteStimmt(0, "generator_seite_siebzehn_0"));
  EXPECT_TRUE(SeiteStimmt(1, "generator_seite_siebzehn_1"));
}

// A window resize resets the device: the pages' contents are gone, and right again once their
// patches are rebuilt.
TEST_F(GeneratorAnzeige, NachReInitNeuGebaut) {
  Seiten([](uint32_t key) { return key == 1 ? 512u : 64u; });
  kern.MachSofort([&] {
    g().FordereAn(1, Flaeche({0, 0, 0}));
    g().FordereAn(2, Flaeche({4, 0, 0}));
  });
  ASSERT_TRUE(BisRuhe(FERN));
  ASSERT_TRUE(SeiteStimmt(0, "generator_seite_vor_reinit"));
  const size_t aufrufe = erbauer.AnzahlAufrufe();
  ASSERT_TRUE(kontext->ReInit());
  ASSERT_TRUE(BisRuhe(FERN));
  EXPECT_EQ(erbauer.AnzahlAufrufe(), aufrufe + 2);
  EXPECT_TRUE(SeiteStimmt(0, "generator_seite_nach_reinit"));
}

}  // namespace
