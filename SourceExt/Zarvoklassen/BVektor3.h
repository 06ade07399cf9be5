#pragma once
// A three-component vector for positions, sizes and directions.
#include <cmath>

template <typename T>
struct BVektor3 {
  T x{}, y{}, z{};

  constexpr BVektor3() = default;
  constexpr BVektor3(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}

  constexpr BVektor3 operator+(const BVektor3& b) const { return {x + b.x, y + b.y, z + b.z}; }
  constexpr BVektor3 operator-(const BVektor3& b) const { return {x - b.x, y - b.y, z - b.z}; }
  constexpr BVektor3 operator*(T s) const { return {x * s, y * s, z * s}; }
  constexpr BVektor3& operator+=(const BVektor3& b) { x += b.x; y += b.y; z += b.z; return *this; }
  constexpr BVektor3& operator-=(const BVektor3& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
  constexpr bool operator==(const BVektor3&) const = default;
  constexpr T Punkt(const BVektor3& b) const { return x * b.x + y * b.y + z * b.z; }
  constexpr BVektor3 Kreuz(const BVektor3& b) const { return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x}; }
  T Laenge() const { return std::sqrt(Punkt(*this)); }
  // The unit vector of the same direction, each component divided by the length; the zero vector
  // stays zero.
  BVektor3 Normalisiert() const {
    const T laenge = Laenge();
    if (laenge == T(0)) return {};
    return {x / laenge, y / laenge, z / laenge};
  }
};
