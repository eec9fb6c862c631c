#include "foundations/vector3.h"

#include <cmath>

namespace vh {

Vector3 Perpendicular(const Vector3& v) {
  Vector3 c = Cross(v, UnitX);
  if (LengthSquared(c) < 9.99999996e-13f) c = Cross(v, UnitY);
  return c;
}

Quaternion FromAxisAngle(Ext theta, const Vector3& axis) {
  const Ext half = theta / 2;
  const Ext s = std::sin(half);
  return {static_cast<float>(std::cos(half)), static_cast<float>(s * axis.x), static_cast<float>(s * axis.y),
          static_cast<float>(s * axis.z)};
}

Quaternion operator*(const Quaternion& p, const Quaternion& q) {
  const Ext pw = p.w, px = p.x, py = p.y, pz = p.z;
  return {static_cast<float>(pw * q.w - px * q.x - py * q.y - pz * q.z),
          static_cast<float>(pw * q.x + q.w * px + py * q.z - q.y * pz),
          static_cast<float>(pw * q.y + q.w * py + q.x * pz - px * q.z),
          static_cast<float>(pw * q.z + q.w * pz + px * q.y - q.x * py)};
}

Vector3 Rotate(const Quaternion& q, const Vector3& v) {
  const Vector3 r{q.x, q.y, q.z};
  const Vector3 a = Cross(r, v);
  const Vector3 b = Cross(r, a);
  return v + (2.0f * q.w) * a + 2.0f * b;
}

}  // namespace vh
