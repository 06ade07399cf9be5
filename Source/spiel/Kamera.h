#pragma once
// The first-person camera, shared by the game and the level editor: the game's view matrix, and
// its two screen operations, the world ray through a mouse position and the projection of a world
// point onto the screen, both for a view matrix (a BMatrix acting on column vectors, rows 0..2 the camera's right, up and
// forward axes in world space).
//
// The horizontal field of view is 1.5 rad (tan 0.75 = 0.93159646); the vertical one follows from
// the screen's height over its width. Screen pixels run x to the right, y down.
//
// Each operation comes in two forms: one with the mouse and screen size given, which the tests
// table, and one that reads the input system's primary mouse and Zarvo_Screen3D's display size.
#include "BMatrix.h"
#include "BVektor3.h"

namespace Spiel::Kamera {

// The primary mouse in window pixels and whether its button 0 went down this frame; (0, 0) and
// no click when there is no input system or no mouse.
struct Maus {
  float x = 0, y = 0;
  bool klick = false;
};
Maus LiesMaus();

// Width and height of the display in pixels, as f32.
struct Schirm {
  float breite = 0, hoehe = 0;
};
Schirm LiesSchirm();

// The unit world direction of the ray through (mx, my).
BVektor3<float> StrahlDurchMaus(const BMatrix& ansicht, float mx, float my, const Schirm& schirm);
BVektor3<float> StrahlDurchMaus(const BMatrix& ansicht);

// A point at least 0.1 in front of the camera is visible: x and y become its screen position and
// `tiefe` (when given) its depth along the camera's forward axis. Otherwise nothing is written
// and the answer is false.
bool ProjiziereAufBildschirm(const BVektor3<float>& punkt, const BMatrix& ansicht, const Schirm& schirm, float& x,
                             float& y, float* tiefe = nullptr);
bool ProjiziereAufBildschirm(const BVektor3<float>& punkt, const BMatrix& ansicht, float& x, float& y);

// The game's view of an eye (world units) looking along the facing `vorne` (a unit step of the
// grid) with the yaw `gieren` (the facing's heading and the mouse's yaw, radians) and the pitch
// `neigung`: Rx(pitch) · S · Ry(pi/2 - yaw) · T(-(eye + lean)), S setting the camera 0.6 units
// behind the eye, the lean 0.6 units along the facing per radian of pitch.
BMatrix Ansicht(const BVektor3<float>& auge, const BVektor3<float>& vorne, float gieren, float neigung);

// The camera in world space: the translation of the inverse view.
BVektor3<float> Position(const BMatrix& ansicht);

}  // namespace Spiel::Kamera
