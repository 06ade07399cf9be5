#pragma once
// A three-component vector for positions, sizes and directions.
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
};
