#pragma once
// A 4 x 4 float matrix stored row by row, acting on column vectors: a point p becomes M · (p, 1),
// so the translation sits in the fourth column of the first three rows. This is the layout of the
// render instances' transforms and of the shader constants (register i = row i).
#include <cmath>
#include <cstddef>

#include "BVektor3.h"

struct BMatrix {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  static constexpr BMatrix Einheit() { return {}; }
  // From sixteen values row by row.
  static BMatrix AusZeilen(const float (&werte)[16]) {
    BMatrix ergebnis;
    for (size_t i = 0; i < 16; ++i) ergebnis.m[i] = werte[i];
    return ergebnis;
  }
  static BMatrix Verschiebung(const BVektor3<float>& t) {
    BMatrix ergebnis;
    ergebnis(0, 3) = t.x;
    ergebnis(1, 3) = t.y;
    ergebnis(2, 3) = t.z;
    return ergebnis;
  }

  float& operator()(size_t zeile, size_t spalte) { return m[zeile * 4 + spalte]; }
  float operator()(size_t zeile, size_t spalte) const { return m[zeile * 4 + spalte]; }

  BMatrix operator*(const BMatrix& b) const {
    BMatrix ergebnis;
    for (size_t i = 0; i < 4; ++i)
      for (size_t j = 0; j < 4; ++j) {
        float summe = 0;
        for (size_t k = 0; k < 4; ++k) summe += (*this)(i, k) * b(k, j);
        ergebnis(i, j) = summe;
      }
    return ergebnis;
  }

  // M · (p, 1), divided by the resulting w when that is neither 0 nor 1.
  BVektor3<float> TransformierePunkt(const BVektor3<float>& p) const {
    const float x = m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3];
    const float y = m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7];
    const float z = m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11];
    const float w = m[12] * p.x + m[13] * p.y + m[14] * p.z + m[15];
    if (w == 0.0f || w == 1.0f) return {x, y, z};
    return {x / w, y / w, z / w};
  }
  // M · (p, 1) with all four components, for projections that need w.
  void TransformiereHomogen(const BVektor3<float>& p, float (&aus)[4]) const {
    for (size_t i = 0; i < 4; ++i) aus[i] = m[i * 4] * p.x + m[i * 4 + 1] * p.y + m[i * 4 + 2] * p.z + m[i * 4 + 3];
  }
  // The upper 3 x 3 applied to a direction (no translation).
  BVektor3<float> TransformiereRichtung(const BVektor3<float>& d) const {
    return {m[0] * d.x + m[1] * d.y + m[2] * d.z, m[4] * d.x + m[5] * d.y + m[6] * d.z,
            m[8] * d.x + m[9] * d.y + m[10] * d.z};
  }
  BVektor3<float> Translation() const { return {m[3], m[7], m[11]}; }

  BMatrix Transponiert() const {
    BMatrix ergebnis;
    for (size_t i = 0; i < 4; ++i)
      for (size_t j = 0; j < 4; ++j) ergebnis(i, j) = (*this)(j, i);
    return ergebnis;
  }

  // The general inverse (cofactors over the determinant). A singular or non-finite matrix gives
  // false and leaves *aus alone.
  bool Invertiere(BMatrix& aus) const;
  // The inverse, or the identity when there is none.
  BMatrix Inverse() const {
    BMatrix ergebnis;
    if (!Invertiere(ergebnis)) return Einheit();
    return ergebnis;
  }
};

inline bool BMatrix::Invertiere(BMatrix& aus) const {
  const float* a = m;
  float inv[16];
  inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
           a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
  inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
           a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
  inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
           a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
  inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
            a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
  inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
           a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
  inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
           a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
  inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
           a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
  inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
            a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
  inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
           a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
  inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
           a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
  inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
            a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
  inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
            a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
  inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
           a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
  inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
           a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
  inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
            a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
  inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
            a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
  const float det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
  if (det == 0.0f || !std::isfinite(det)) return false;
  const float kehrwert = 1.0f / det;
  for (size_t i = 0; i < 16; ++i) {
    const float wert = inv[i] * kehrwert;
    if (!std::isfinite(wert)) return false;
    inv[i] = wert;
  }
  for (size_t i = 0; i < 16; ++i) aus.m[i] = inv[i];
  return true;
}
