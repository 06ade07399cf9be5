#include "Raster.h"

#include <cmath>
#include <limits>

namespace Spiel::Raster {

int32_t AbschneidenInt32(float wert) {
  if (std::isnan(wert)) return 0;
  if (wert >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  if (wert <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
  return int32_t(wert);
}

int64_t AbschneidenInt64(float wert) {
  if (std::isnan(wert)) return 0;
  if (wert >= 9223372036854775808.0f) return std::numeric_limits<int64_t>::max();
  if (wert <= -9223372036854775808.0f) return std::numeric_limits<int64_t>::min();
  return int64_t(wert);
}

namespace {
float EinrastenAchse(float p, float schritt, float versatz) {
  const float kehrwert = 1.0f / schritt;
  return float(AbschneidenInt32((p - versatz) * kehrwert + 0.5f)) * schritt + versatz;
}
}  // namespace

BVektor3<float> Einrasten(const Karte::ObjektTyp& typ, const BVektor3<float>& position) {
  const float schritt = typ.schritt;
  if (!(schritt >= 1e-5f)) return position;
  return {EinrastenAchse(position.x, schritt, typ.versatz[0]), EinrastenAchse(position.y, schritt, typ.versatz[1]),
          EinrastenAchse(position.z, schritt, typ.versatz[2])};
}

}  // namespace Spiel::Raster
