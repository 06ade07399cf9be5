#pragma once
#include "BVektor3.h"

// Three floats x, y, z.
using TVektor = BVektor3<float>;
