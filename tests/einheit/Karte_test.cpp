#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "Karte.h"
#include "KartenVergleich.h"
#include "LogMitschnitt.h"
#include "Plattform/system/Zufall.h"
#include "Raster.h"
#include "Szene.h"

TEST(Karte, FormUndSichtbarkeit) {
  EXPECT_EQ(Karte::Form(0), 0u);
  EXPECT_EQ(Karte::Form(1), 1u);
  EXPECT_EQ(Karte::Form(2), 1u);
  for (uint32_t typ = 3; typ <= 10; ++typ) {
    EXPECT_EQ(Karte::Form(typ), typ - 1);
    EXPECT_EQ(Karte::Form(typ + 8), typ - 1);
    for (uint32_t flaeche = 0; flaeche < 6; ++flaeche)
      for (uint32_t nachbar = 0; nachbar < 19; ++nachbar)
        EXPECT_EQ(Karte::FlaecheSichtbar(typ, flaeche, nachbar), Karte::FlaecheSichtbar(typ + 8, flaeche, nachbar));
  }
  for (uint32_t typ : {19u, 20u, 0xFFFFFFFFu}) {
    EXPECT_EQ(Karte::Form(typ), 0u);
    EXPECT_STREQ(Karte::BlockTypName(typ), "Unbekannt");
    EXPECT_TRUE(Karte::FlaecheSichtbar(Karte::Fels, Karte::PlusY, typ));
  }
  // A full block beside "FelsTreppe2L," hides only its +X face (byte 1d).
  EXPECT_FALSE(Karte::FlaecheSichtbar(Karte::Fels, Karte::PlusX, Karte::FelsTreppe2L));
  EXPECT_TRUE(Karte::FlaecheSichtbar(Karte::Fels, Karte::MinusX, Karte::FelsTreppe2L));
  // A stair hides every face toward a full block but its top (byte 20).
  for (uint32_t flaeche = 0; flaeche < 6; ++flaeche)
    EXPECT_EQ(Karte::FlaecheSichtbar(Karte::FelsTreppe1V, flaeche, Karte::Mauer), flaeche == Karte::PlusY) << flaeche;
  EXPECT_FALSE(Karte::FlaecheSichtbar(Karte::Fels, Karte::PlusX, Karte::Mauer));
  EXPECT_STREQ(Karte::BlockTypName(3), "FelsTreppe1L,");
  EXPECT_STREQ(Karte::BlockTypName(18), "MauerTreppe2H,");
}

class DreierKarte : public ::testing::Test {
 protected:
  void SetUp() override { karte.SetzeGroesse(3, 3, 3); }
  void Fuelle(uint32_t typ) {
    for (auto& schicht : karte.schichten)
      for (auto& zelle : schicht.zellen) zelle.typ = typ;
  }
  const uint32_t* Flaechen(uint32_t x, uint32_t y, uint32_t z) { return karte.ZelleBei(x, y, z).flaechen; }
  Karte karte;
};

TEST_F(DreierKarte, EinzelnerBlockAufDemBoden) {
  for (auto& zelle : karte.schichten[0].zellen) zelle.typ = Karte::Fels;
  karte.ZelleBei(1, 1, 1).typ = Karte::Mauer;
  karte.BaueBlockGeometrie();
  const uint32_t erwartet[6] = {2, 2, 2, 2, 0, 2};
  EXPECT_TRUE(std::equal(erwartet, erwartet + 6, Flaechen(1, 1, 1)));
  EXPECT_EQ(Flaechen(1, 0, 1)[Karte::PlusY], 0u);
  EXPECT_EQ(Flaechen(0, 0, 1)[Karte::PlusY], 1u);
}

TEST_F(DreierKarte, EingebetteterBlockUndRand) {
  Fuelle(Karte::Fels);
  karte.ZelleBei(0, 1, 1).flaechen[Karte::MinusX] = 77;
  karte.ZelleBei(1, 1, 1).flaechen[Karte::PlusY] = 5;
  karte.BaueBlockGeometrie();
  for (int f = 0; f < 6; ++f) EXPECT_EQ(Flaechen(1, 1, 1)[f], 0u) << f;
  EXPECT_EQ(Flaechen(0, 1, 1)[Karte::MinusX], 77u);  // the border face keeps what it held
  EXPECT_EQ(Flaechen(0, 1, 1)[Karte::PlusX], 0u);
  karte.ZelleBei(1, 1, 1).typ = Karte::Leer;
  karte.ZelleBei(1, 1, 1).flaechen[Karte::PlusY] = 5;
  karte.BerechneFlaechen(1, 1, 1);
  for (int f = 0; f < 6; ++f) EXPECT_EQ(Flaechen(1, 1, 1)[f], 0u) << f;
  karte.BerechneFlaechen(0, 1, 1);
  EXPECT_EQ(Flaechen(0, 1, 1)[Karte::PlusX], 1u);
}

TEST(Raster, Einrasten) {
  struct Fall {
    uint32_t typ;
    BVektor3<float> ein, aus;
  };
  const Fall faelle[] = {
      {2, {3.37f, 0, 0}, {3.25f, 0, 0}},
      {1, {4.2f, 1.3f, 7.9f}, {4.5f, 1.0f, 7.5f}},
      {5, {2.9f, 0.0f, 5.2f}, {2.5f, 0.1f, 5.5f}},
      {1, {-0.7f, 0.2f, 0.1f}, {0.5f, 0.0f, 0.5f}},  // below the offset: toward the offset
      {0, {3.5f, 1.0f, 3.5f}, {3.5f, 1.1f, 3.5f}},
  };
  for (const Fall& f : faelle) {
    const BVektor3<float> aus = Spiel::Raster::Einrasten(Karte::ObjektTypen[f.typ], f.ein);
    EXPECT_EQ(aus, f.aus) << f.typ << " " << f.ein.x;
  }
  Karte::ObjektTyp fein = Karte::ObjektTypen[0];
  fein.schritt = 0.000009f;
  EXPECT_EQ(Spiel::Raster::Einrasten(fein, {1.23f, 4.56f, 7.89f}), (BVektor3<float>{1.23f, 4.56f, 7.89f}));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const BVektor3<float> gerastet = Spiel::Raster::Einrasten(Karte::ObjektTypen[1], {nan, 1e30f, -1e30f});
  EXPECT_EQ(gerastet.x, 0.5f);
  EXPECT_EQ(gerastet.y, float(std::numeric_limits<int32_t>::max()));
  EXPECT_EQ(gerastet.z, float(std::numeric_limits<int32_t>::min()) + 0.5f);
}

TEST(Karte, ObjektTypenUndGegenstaende) {
  EXPECT_STREQ(Karte::ObjektTypen[8].name, "SzeneGegenstand");
  EXPECT_EQ(Karte::ObjektTypen[7].argumente[1].komponenten, 4u);
  EXPECT_EQ(Karte::ObjektTypen[1].argumente[0].name, nullptr);
  EXPECT_EQ(Karte::ObjektTypen[0].versatz[1], 0.1f);
  EXPECT_STREQ(Spiel::Szene::Gegenstaende[0].name, "Stein");
  EXPECT_EQ(Spiel::Szene::Gegenstaende[0].groesse, 0.1f);
}

TEST(Karte, StandardKarteNachSrandEins) {
  win32::srand(1);
  Karte karte;
  karte.BaueStandardKarte();
  ASSERT_EQ(karte.X, 64u);
  ASSERT_EQ(karte.Y, 16u);
  ASSERT_EQ(karte.Z, 32u);
  EXPECT_TRUE(karte.objekte.empty());
  // The same draws as the runtime: 60 pairs (x, z).
  win32::srand(1);
  std::set<std::pair<int, int>> bloecke;
  for (int i = 0; i < 60; ++i) {
    const int x = int(std::trunc(float(win32::rand()) * 3.0518509e-05f * 63.0f));
    const int z = int(std::trunc(float(win32::rand()) * 3.0518509e-05f * 31.0f));
    bloecke.insert({x, z});
  }
  size_t gezaehlt = 0;
  for (uint32_t z = 0; z < 32; ++z)
    for (uint32_t x = 0; x < 64; ++x) {
      EXPECT_EQ(karte.ZelleBei(x, 0, z).typ, 1u);
      const bool block = bloecke.count({int(x), int(z)}) > 0;
      EXPECT_EQ(karte.ZelleBei(x, 1, z).typ, block ? 1u : 0u);
      if (block) {
        ++gezaehlt;
        EXPECT_EQ(karte.ZelleBei(x, 1, z).flaechen[Karte::PlusY], 1u);
        EXPECT_EQ(karte.ZelleBei(x, 1, z).flaechen[Karte::MinusY], 0u);
      }
    }
  EXPECT_EQ(gezaehlt, bloecke.size());
  EXPECT_GT(gezaehlt, 50u);
  EXPECT_EQ(karte.ZelleBei(5, 2, 5).typ, 0u);
}
