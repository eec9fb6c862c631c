#include "billboard/billboard_geometry.h"

#include <algorithm>
#include <cmath>

namespace vh {

BillboardPlane MakePlane(const CandidatePlane& candidate) {
  return {candidate.p0, Normalized(Cross(candidate.p1 - candidate.p0, candidate.p2 - candidate.p0))};
}

float Length(const Vector3& v) {
  return static_cast<float>(
      std::sqrt(static_cast<Ext>(v.x) * v.x + static_cast<Ext>(v.y) * v.y + static_cast<Ext>(v.z) * v.z));
}

bool IsNear(float signedDistance, float threshold) { return std::fabs(signedDistance) < threshold; }

float DistanceThreshold(int billboardCount) { return static_cast<float>(100.0 / billboardCount); }

float ProjectedWeight(const BillboardPlane& plane, const Vector3 (&v)[3], const float (&d)[3],
                      bool favourVertical) {
  const Vector3 q0 = Project(plane, v[0], d[0]);
  const Vector3 q1 = Project(plane, v[1], d[1]);
  const Vector3 q2 = Project(plane, v[2], d[2]);
  const Vector3 doubleArea = Cross(q1 - q0, q2 - q0);
  float a = Length(doubleArea);
  if (favourVertical) {
    const float ny = Normalized(doubleArea).y;
    a = static_cast<float>(static_cast<Ext>(a) / (static_cast<Ext>(std::fabs(ny)) + 0.001));
  }
  return a;
}

bool NearWeight(const BillboardPlane& plane, const Vector3 (&v)[3], float threshold, bool favourVertical,
                float& weight) {
  float d[3];
  for (int k = 0; k < 3; ++k) {
    d[k] = SignedDistance(plane, v[k]);
    if (!IsNear(d[k], threshold)) return false;
  }
  weight = ProjectedWeight(plane, v, d, favourVertical);
  return true;
}

BillboardQuad QuadFromBox(const CandidatePlane& candidate, const Vector3& boxMin, const Vector3& boxMax) {
  const Vector3 centre = (boxMin + boxMax) / 2.0f;
  const Vector3 w = boxMin - centre;
  const float radius = Length(w);
  const Vector3 e = Normalized(Cross(Cross(candidate.p2 - candidate.p0, w), w));
  return {{boxMin, centre - radius * e, boxMax, centre + radius * e}};
}

int BillboardImageSide(const Vector3& v0, const Vector3& v1, const Vector3& v2, int quality) {
  const Ext a = std::trunc(static_cast<Ext>(Length(v1 - v0)) * quality * 0.17);
  const Ext b = std::trunc(static_cast<Ext>(Length(v2 - v1)) * quality * 0.17);
  const Ext m = std::max(b, a);
  if (!(m >= 1)) return 0;  // also a NaN length
  if (m > kMaxBillboardImageSide) return kMaxBillboardImageSide;
  int side = 1;
  while (side < m) side *= 2;
  return side;
}

}  // namespace vh
