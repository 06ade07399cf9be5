#pragma once
// The world renderer's arithmetic, without a device: the sun's light transform and direction,
// the ambient view looking down ahead of the camera, the game projection, the size of the shared
// depth buffer and the light registers of one instance. Matrices act on column vectors (BMatrix);
// positions are in doubled units.
//
// The sun looks along (-0.5200625, -0.5620834, 0.6431152) onto an 80 x 80 square around a point
// 38.4 units ahead of the camera; its light-space x and y translation snaps to 1/80 so the
// shadow map does not shimmer while the camera turns. The ambient view covers 64 x 64 units
// around a point 24 units ahead, snapped to 1/8, depth 0 at 32 units above it.
#include <array>
#include <cstdint>
#include <span>

#include "BMatrix.h"
#include "BVektor3.h"
#include "Szene.h"

namespace Spiel::WeltRendererMathe {

// The largest f32 below 38.4: how far ahead of the camera the shadow square is centred.
constexpr float SCHATTEN_ABSTAND = 38.3999977f;
constexpr float UMGEBUNG_ABSTAND = 24.0f;
constexpr uint64_t SCHATTEN_KANTE = 4096;
constexpr uint64_t UMGEBUNG_KANTE = 512;
constexpr uint32_t LICHTER_JE_INSTANZ = 8;
constexpr uint32_t LICHT_REGISTER = 3 * LICHTER_JE_INSTANZ;  // float4 registers

// v rounded to the nearest multiple of 1/80, halves upward.
float RasteAchtzigstel(float v);

// The camera of a view matrix: position (fourth column of the inverse) and viewing axis (its
// third column).
struct Kamera {
  BVektor3<float> position, blick;
};
Kamera KameraAus(const BMatrix& sicht);

// The sun's view of centre s before the snap: T(0, 0, 50) · Rx(0.19 pi) · Ry(0.68) · T(-s).
BMatrix LichtAnsicht(const BVektor3<float>& s);
// diag(0.025, 0.025, 0.01, 1): 80 x 80 units to -1..1, 100 units of depth to 0..1.
BMatrix LichtSkalierung();

struct Licht {
  BMatrix transform;       // diag · the snapped view
  BVektor3<float> richtung;  // the view's third row: the direction in which depth grows
};
Licht BerechneLicht(const BMatrix& sicht);

struct Umgebung {
  float zentrum[4];  // (c, 1/64)
  BMatrix sicht, projektion;
};
Umgebung BerechneUmgebung(const BMatrix& sicht);

struct Groesse {
  uint64_t breite, hoehe;
};
// At least 4096 in each direction, so one depth buffer serves every target.
Groesse TiefenpufferGroesse(uint64_t breite, uint64_t hoehe);

// Horizontal field of view 1.5 rad, near plane 0.1, far plane 100, depth in w.
BMatrix SpielProjektion(uint64_t breite, uint64_t hoehe);

// Per reaching light (scene order, at most eight): (position, 0), (brightness x colour, 0),
// (reach l, x, y, z); the rest zero. A light reaches the instance when the distance from its
// base to the bounds (centre, half extents) is below l.
using LichtRegister = std::array<float, 4 * LICHT_REGISTER>;
LichtRegister LichtArray(std::span<const Szene::Licht> lichter, const float (&mitte)[3], const float (&halbeGroesse)[3]);

}  // namespace Spiel::WeltRendererMathe
