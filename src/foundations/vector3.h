// Vector3, Vector2, Quaternion and the direction constants on which all
// geometry is written.
//
// Components are stored as 32-bit floats; every formula evaluates its
// intermediate values in extended precision (long double) and rounds once
// when it stores a component. Operators on vectors therefore round after
// each operator, exactly like the stored vectors they return. These rules
// decide the generated geometry bit for bit, so they are part of the
// contract.
//
// Where a formula is a single operation on floats (a sum, a product), the
// extended result rounded to a float is the correctly rounded float, which
// float arithmetic gives directly and faster. Anything longer is evaluated
// in extended precision: Dot, the lengths, and Cross too. Its products are
// exact even in double, but a double would round their difference to 53
// bits before the rounding to 24, and for operands of very different
// magnitude that first rounding can land exactly between two floats where
// extended precision still holds the deciding bits.
#pragma once

#include <cmath>

#include <cassert>

namespace vh {

using Ext = long double;  // the precision of intermediate expressions

struct Vector3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;

  constexpr Vector3() = default;
  constexpr Vector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

  Vector3& operator+=(const Vector3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  Vector3& operator-=(const Vector3& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
  }
  Vector3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  bool operator==(const Vector3&) const = default;
};

inline Vector3 operator+(Vector3 a, const Vector3& b) { return a += b; }
inline Vector3 operator-(Vector3 a, const Vector3& b) { return a -= b; }
inline Vector3 operator-(const Vector3& a) { return {-a.x, -a.y, -a.z}; }
inline Vector3 operator*(Vector3 v, float s) { return v *= s; }
inline Vector3 operator*(float s, Vector3 v) { return v *= s; }

// Division multiplies by the float reciprocal, as the original formula does.
inline Vector3 operator/(const Vector3& v, float s) {
  assert(s != 0.0f && "fScalar != 0.0");
  const float inverse = static_cast<float>(1.0L / s);
  return v * inverse;
}

inline float Dot(const Vector3& a, const Vector3& b) {
  return static_cast<float>(static_cast<Ext>(a.x) * b.x + static_cast<Ext>(a.y) * b.y +
                            static_cast<Ext>(a.z) * b.z);
}

inline Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {static_cast<float>(static_cast<Ext>(a.y) * b.z - static_cast<Ext>(a.z) * b.y),
          static_cast<float>(static_cast<Ext>(a.z) * b.x - static_cast<Ext>(a.x) * b.z),
          static_cast<float>(static_cast<Ext>(a.x) * b.y - static_cast<Ext>(a.y) * b.x)};
}

inline float LengthSquared(const Vector3& v) {
  return static_cast<float>(static_cast<Ext>(v.x) * v.x + static_cast<Ext>(v.y) * v.y +
                            static_cast<Ext>(v.z) * v.z);
}

// Normalises v in place and returns its length. Vectors of length 1e-6 or
// less are left unchanged (the caller gets the tiny length back).
inline float Normalize(Vector3& v) {
  const float length = static_cast<float>(
      std::sqrt(static_cast<Ext>(v.x) * v.x + static_cast<Ext>(v.y) * v.y + static_cast<Ext>(v.z) * v.z));
  if (static_cast<double>(length) > 1e-6) {
    const float inverse = static_cast<float>(1.0L / length);
    v *= inverse;
  }
  return length;
}

// A normalised copy, by the rule of Normalize.
inline Vector3 Normalized(Vector3 v) {
  Normalize(v);
  return v;
}

// v × UnitX, or v × UnitY when v is (nearly) parallel to x. Not normalised.
Vector3 Perpendicular(const Vector3& v);

struct Vector2 {
  float x = 0.0f, y = 0.0f;  // u and v for texture coordinates
  constexpr Vector2() = default;
  constexpr Vector2(float ax, float ay) : x(ax), y(ay) {}
  bool operator==(const Vector2&) const = default;
};

// Rotation quaternion, scalar part first.
struct Quaternion {
  float w = 1.0f, x = 0.0f, y = 0.0f, z = 0.0f;
  constexpr Quaternion() = default;
  constexpr Quaternion(float aw, float ax, float ay, float az) : w(aw), x(ax), y(ay), z(az) {}
};

// (cos θ/2, sin θ/2 · n). The axis is used as given, not normalised.
Quaternion FromAxisAngle(Ext theta, const Vector3& axis);

// Hamilton product: (p ⊗ q) applies q first, then p.
Quaternion operator*(const Quaternion& p, const Quaternion& q);

// v rotated by q: v + 2w (r × v) + 2 r × (r × v) with r = (x, y, z).
Vector3 Rotate(const Quaternion& q, const Vector3& v);

inline constexpr Vector3 Zero{0.0f, 0.0f, 0.0f};
inline constexpr Vector3 UnitX{1.0f, 0.0f, 0.0f};
inline constexpr Vector3 UnitY{0.0f, 1.0f, 0.0f};
inline constexpr Vector3 UnitZ{0.0f, 0.0f, 1.0f};
inline constexpr Vector3 One{1.0f, 1.0f, 1.0f};

}  // namespace vh
