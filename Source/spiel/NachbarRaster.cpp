#include "NachbarRaster.h"

#include <algorithm>
#include <cmath>

namespace Spiel {

namespace {

// Cell coordinates beyond this are treated as a large box: their keys would not fit 21 bits.
constexpr double GRENZE = double(1 << 20) - 2;

void EntferneAus(std::vector<uint32_t>& liste, uint32_t key) {
  const auto stelle = std::find(liste.begin(), liste.end(), key);
  if (stelle == liste.end()) return;
  *stelle = liste.back();
  liste.pop_back();
}

}  // namespace

NachbarRaster::Bereich NachbarRaster::Zellen(BVektor3<float> mitte, BVektor3<float> halbeGroesse, float rand, bool suche) {
  Bereich b{};
  const float m[3] = {mitte.x, mitte.y, mitte.z};
  const float h[3] = {halbeGroesse.x, halbeGroesse.y, halbeGroesse.z};
  double anzahl = 1;
  for (int i = 0; i < 3; ++i) {
    // A search reaches a little further, so that rounding in the caller's float test cannot
    // accept a box just outside the cells visited.
    const double spiel = suche ? 1e-3 + 1e-6 * (std::fabs(double(m[i])) + std::fabs(double(h[i]))) : 0.0;
    const double lo = std::floor((double(m[i]) - double(h[i]) - double(rand) - spiel) / ZELLE);
    const double hi = std::floor((double(m[i]) + double(h[i]) + double(rand) + spiel) / ZELLE);
    if (!std::isfinite(lo) || !std::isfinite(hi) || std::fabs(lo) > GRENZE || std::fabs(hi) > GRENZE || hi < lo) {
      b.gross = true;
      return b;
    }
    b.lo[i] = int64_t(lo);
    b.hi[i] = int64_t(hi);
    anzahl *= double(b.hi[i] - b.lo[i] + 1);
  }
  b.gross = anzahl > double(GROSS);
  return b;
}

uint64_t NachbarRaster::ZellKey(int64_t x, int64_t y, int64_t z) {
  const auto teil = [](int64_t v) { return uint64_t(v + (int64_t(1) << 20)) & 0x1FFFFFu; };
  return teil(x) << 42 | teil(y) << 21 | teil(z);
}

void NachbarRaster::Fuege(uint32_t key, BVektor3<float> mitte, BVektor3<float> halbeGroesse) {
  const Bereich b = Zellen(mitte, halbeGroesse, 0.0f, false);
  if (b.gross) {
    grosse.push_back(key);
    return;
  }
  for (int64_t x = b.lo[0]; x <= b.hi[0]; ++x)
    for (int64_t y = b.lo[1]; y <= b.hi[1]; ++y)
      for (int64_t z = b.lo[2]; z <= b.hi[2]; ++z) zellen[ZellKey(x, y, z)].push_back(key);
}

void NachbarRaster::Entferne(uint32_t key, BVektor3<float> mitte, BVektor3<float> halbeGroesse) {
  const Bereich b = Zellen(mitte, halbeGroesse, 0.0f, false);
  if (b.gross) {
    EntferneAus(grosse, key);
    return;
  }
  for (int64_t x = b.lo[0]; x <= b.hi[0]; ++x)
    for (int64_t y = b.lo[1]; y <= b.hi[1]; ++y)
      for (int64_t z = b.lo[2]; z <= b.hi[2]; ++z) {
        const auto zelle = zellen.find(ZellKey(x, y, z));
        if (zelle == zellen.end()) continue;
        EntferneAus(zelle->second, key);
        if (zelle->second.empty()) zellen.erase(zelle);
      }
}

void NachbarRaster::SammleKandidaten(std::vector<uint32_t>& kandidaten, BVektor3<float> mitte,
                                     BVektor3<float> halbeGroesse, float abstand) const {
  kandidaten.assign(grosse.begin(), grosse.end());
  const Bereich b = Zellen(mitte, halbeGroesse, abstand, true);
  if (b.gross) {
    // A search box too large for the grid: every entered key is a candidate.
    for (const auto& [zelle, keys] : zellen) kandidaten.insert(kandidaten.end(), keys.begin(), keys.end());
  } else {
    for (int64_t x = b.lo[0]; x <= b.hi[0]; ++x)
      for (int64_t y = b.lo[1]; y <= b.hi[1]; ++y)
        for (int64_t z = b.lo[2]; z <= b.hi[2]; ++z) {
          const auto zelle = zellen.find(ZellKey(x, y, z));
          if (zelle != zellen.end()) kandidaten.insert(kandidaten.end(), zelle->second.begin(), zelle->second.end());
        }
  }
  std::sort(kandidaten.begin(), kandidaten.end());
  kandidaten.erase(std::unique(kandidaten.begin(), kandidaten.end()), kandidaten.end());
}

}  // namespace Spiel
