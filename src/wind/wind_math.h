// The little geometry the wind needs, in plain double and float arithmetic:
// unlike the generator's vectors it need not round like anything else, and
// posing runs every frame.
#pragma once

#include <cmath>

#include "foundations/vector3.h"

namespace vh {

// A rotation as a unit quaternion, scalar part first.
struct WindRotation {
  double w = 1.0, x = 0.0, y = 0.0, z = 0.0;
};

// The rotation by |v| radians about v (the identity for v = 0).
inline WindRotation RotationFromVector(double vx, double vy, double vz) {
  const double angle = std::sqrt(vx * vx + vy * vy + vz * vz);
  if (angle < 1e-12) return {};
  const double s = std::sin(0.5 * angle) / angle;
  return {std::cos(0.5 * angle), vx * s, vy * s, vz * s};
}

// a applied after b.
inline WindRotation operator*(const WindRotation& a, const WindRotation& b) {
  return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

// A 3 x 3 matrix, rows first, in floats: what skinning multiplies by.
struct WindMatrix {
  float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

inline WindMatrix MatrixOf(const WindRotation& q) {
  const double xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  const double xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  const double wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  WindMatrix r;
  r.m[0][0] = static_cast<float>(1 - 2 * (yy + zz));
  r.m[0][1] = static_cast<float>(2 * (xy - wz));
  r.m[0][2] = static_cast<float>(2 * (xz + wy));
  r.m[1][0] = static_cast<float>(2 * (xy + wz));
  r.m[1][1] = static_cast<float>(1 - 2 * (xx + zz));
  r.m[1][2] = static_cast<float>(2 * (yz - wx));
  r.m[2][0] = static_cast<float>(2 * (xz - wy));
  r.m[2][1] = static_cast<float>(2 * (yz + wx));
  r.m[2][2] = static_cast<float>(1 - 2 * (xx + yy));
  return r;
}

inline Vector3 Times(const WindMatrix& r, const Vector3& v) {
  return {r.m[0][0] * v.x + r.m[0][1] * v.y + r.m[0][2] * v.z,
          r.m[1][0] * v.x + r.m[1][1] * v.y + r.m[1][2] * v.z,
          r.m[2][0] * v.x + r.m[2][1] * v.y + r.m[2][2] * v.z};
}

// v rotated by q, in double precision.
inline void RotateInPlace(const WindRotation& q, double& x, double& y, double& z) {
  // v + 2w (r x v) + 2 r x (r x v)
  const double cx = q.y * z - q.z * y, cy = q.z * x - q.x * z, cz = q.x * y - q.y * x;
  const double dx = q.y * cz - q.z * cy, dy = q.z * cx - q.x * cz, dz = q.x * cy - q.y * cx;
  x += 2 * (q.w * cx + dx);
  y += 2 * (q.w * cy + dy);
  z += 2 * (q.w * cz + dz);
}

inline float DotF(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vector3 CrossF(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// v / |v|, or `fallback` for a vector too short to have a direction.
inline Vector3 UnitOr(const Vector3& v, const Vector3& fallback) {
  const float length = std::sqrt(DotF(v, v));
  return length > 1e-12f ? v * (1.0f / length) : fallback;
}

}  // namespace vh
