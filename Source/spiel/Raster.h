#pragma once
// Snapping of object positions to the grid of their object type.
#include "BVektor3.h"
#include "Karte.h"

namespace Spiel::Raster {

// Per axis: float(int32(trunc((p - o) * (1/s) + 0.5))) * s + o, for steps s >= 1e-5; smaller
// steps leave the position as it is. The conversion saturates, NaN gives 0.
BVektor3<float> Einrasten(const Karte::ObjektTyp& typ, const BVektor3<float>& position);

// float -> int32 and int64 toward zero, saturating at the range ends; NaN gives 0.
int32_t AbschneidenInt32(float wert);
int64_t AbschneidenInt64(float wert);

}  // namespace Spiel::Raster
