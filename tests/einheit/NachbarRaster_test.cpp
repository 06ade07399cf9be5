// The grid over request boxes against a scan of every box: after a seeded run of entries, moves
// and removals, the candidates that pass the distance test are exactly the boxes the scan finds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>

#include "NachbarRaster.h"

namespace {

using Spiel::NachbarRaster;
using V3 = BVektor3<float>;

struct Box {
  V3 mitte, halbe;
};

bool Nah(const Box& a, const Box& b, float abstand) {
  const auto achse = [&](float ma, float ha, float mb, float hb) { return std::fabs(ma - mb) < ha + hb + abstand; };
  return achse(a.mitte.x, a.halbe.x, b.mitte.x, b.halbe.x) && achse(a.mitte.y, a.halbe.y, b.mitte.y, b.halbe.y) &&
         achse(a.mitte.z, a.halbe.z, b.mitte.z, b.halbe.z);
}

Box ZufallsBox(std::mt19937& zufall) {
  std::uniform_real_distribution<float> ort(-40, 40);
  std::uniform_int_distribution<int> art(0, 19);
  const V3 mitte{std::round(ort(zufall)) * 0.5f, std::round(ort(zufall)) * 0.5f, std::round(ort(zufall)) * 0.5f};
  switch (art(zufall)) {
    case 0: return {mitte, {30, 30, 30}};                                              // larger than the grid takes
    case 1: return {{std::numeric_limits<float>::quiet_NaN(), 0, 0}, {1, 1, 1}};       // not finite
    case 2: return {mitte, {0, 0, 0}};                                                  // a point
    case 3: return {{1e30f, 0, 0}, {1, 1, 1}};                                          // far outside
    case 4: return {{3.9999999f, 0, 0}, {0.0f, 1, 1}};                                  // on a cell border
    default: return {mitte, {1, art(zufall) % 2 ? 0.0f : 1.0f, 1}};                     // face-like
  }
}

TEST(NachbarRaster, FindetGenauWasDerVollstaendigeDurchlaufFindet) {
  std::mt19937 zufall(11);
  NachbarRaster raster;
  std::map<uint32_t, Box> boxen;
  std::uniform_int_distribution<uint32_t> key(1, 300);
  std::uniform_int_distribution<int> schritt(0, 9);
  const float abstaende[] = {0.0f, 0.1f, 0.2f, 3.0f};
  for (int runde = 0; runde < 4000; ++runde) {
    const uint32_t k = key(zufall);
    const auto alt = boxen.find(k);
    if (schritt(zufall) < 3 && alt != boxen.end()) {
      raster.Entferne(k, alt->second.mitte, alt->second.halbe);
      boxen.erase(alt);
    } else {
      const Box neu = ZufallsBox(zufall);
      if (alt != boxen.end()) raster.Entferne(k, alt->second.mitte, alt->second.halbe);
      raster.Fuege(k, neu.mitte, neu.halbe);
      boxen[k] = neu;
    }
    if (runde % 10 != 0) continue;
    const Box frage = ZufallsBox(zufall);
    for (float abstand : abstaende) {
      std::vector<uint32_t> erwartet, gefunden, kandidaten;
      for (const auto& [anderer, box] : boxen)
        if (Nah(box, frage, abstand)) erwartet.push_back(anderer);
      raster.SammleKandidaten(kandidaten, frage.mitte, frage.halbe, abstand);
      for (size_t i = 1; i < kandidaten.size(); ++i) ASSERT_LT(kandidaten[i - 1], kandidaten[i]) << "sorted, once each";
      for (uint32_t anderer : kandidaten) {
        const auto box = boxen.find(anderer);
        ASSERT_NE(box, boxen.end()) << "a removed key is no candidate";
        if (Nah(box->second, frage, abstand)) gefunden.push_back(anderer);
      }
      ASSERT_EQ(gefunden, erwartet) << "round " << runde << ", distance " << abstand;
    }
  }
  EXPECT_GT(raster.AnzahlGrosse(), 0u);
}

TEST(NachbarRaster, EntfernenLeertDieZellen) {
  NachbarRaster raster;
  raster.Fuege(1, {0, 0, 0}, {1, 1, 1});
  raster.Fuege(2, {0, 0, 0}, {100, 100, 100});
  raster.Entferne(1, {0, 0, 0}, {1, 1, 1});
  raster.Entferne(2, {0, 0, 0}, {100, 100, 100});
  std::vector<uint32_t> kandidaten;
  raster.SammleKandidaten(kandidaten, {0, 0, 0}, {1000, 1000, 1000}, 1);
  EXPECT_TRUE(kandidaten.empty());
  EXPECT_EQ(raster.AnzahlGrosse(), 0u);
}

}  // namespace
