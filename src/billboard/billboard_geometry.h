// Plane geometry of the billboard-cloud builder: candidate planes, distances,
// projections, the area weight a triangle adds to a plane's score, the square
// quad of a cluster and the side of its picture.
//
// Everything is written with the Vector3 operations, which round every stored
// component to single precision after an extended-precision evaluation. The
// scores decide which planes win, so these formulas must not be rewritten in
// another precision or order.
#pragma once

#include <cstddef>

#include "foundations/vector3.h"

namespace vh {

// Three points spanning a candidate plane, and the triangle of the tree they
// were drawn around (tree submesh index, triangle index within it).
struct CandidatePlane {
  Vector3 p0, p1, p2;
  std::size_t submesh = 0;
  std::size_t triangle = 0;
};

// A plane through `origin` with normal `normal` = Normalized(Cross(P1 - P0,
// P2 - P0)). For a degenerate candidate (cross product of length <= 1e-6) the
// normal keeps its tiny length, so every point then lies "near" the plane.
struct BillboardPlane {
  Vector3 origin;
  Vector3 normal;
};

BillboardPlane MakePlane(const CandidatePlane& candidate);

// |v| as a float: the square root of the extended-precision sum of squares,
// the length that Normalize computes.
float Length(const Vector3& v);

// (v - P0) . n; its absolute value is the distance from the plane.
inline float SignedDistance(const BillboardPlane& plane, const Vector3& v) {
  return Dot(v - plane.origin, plane.normal);
}

// A vertex is near when its distance is strictly below the threshold (a NaN
// distance is never near).
bool IsNear(float signedDistance, float threshold);

// v - n d: the projection of v onto the plane, given d = SignedDistance(v).
inline Vector3 Project(const BillboardPlane& plane, const Vector3& v, float signedDistance) {
  return v - plane.normal * signedDistance;
}

// The cluster distance threshold, 100 / billboardCount in single precision.
float DistanceThreshold(int billboardCount);

// What a near triangle (vertices v, signed distances d) adds to the score of
// the plane: a = |(q1 - q0) x (q2 - q0)| for the projections q, twice the
// projected area; with favourVertical, a / (|ny| + 0.001) where ny is the y
// component of that cross product normalised.
float ProjectedWeight(const BillboardPlane& plane, const Vector3 (&v)[3], const float (&d)[3],
                      bool favourVertical);

// The exact test of one triangle against the plane: false as soon as a
// vertex (in order v[0], v[1], v[2]) is not near; otherwise `weight` receives
// ProjectedWeight and the result is true.
bool NearWeight(const BillboardPlane& plane, const Vector3 (&v)[3], float threshold, bool favourVertical,
                float& weight);

// The billboard square of a cluster. `boxMin` and `boxMax` are the bounds of
// the projected cluster vertices, started at the origin. With
// c = (min + max) / 2, w = min - c, R = |w| and
// e = Normalized(((P2 - P0) x w) x w): V0 = min, V1 = c - R e, V2 = max,
// V3 = c + R e, a square whose diagonals both have length 2R.
struct BillboardQuad {
  Vector3 corner[4];
};
BillboardQuad QuadFromBox(const CandidatePlane& candidate, const Vector3& boxMin, const Vector3& boxMax);

// The largest billboard picture side; larger sides are clamped to it. Output
// textures are at most this size too, so nothing visible is lost, and a
// cluster far from the origin cannot ask the renderer for gigabytes.
inline constexpr int kMaxBillboardImageSide = 4096;

// Side S of a billboard picture for corners V0, V1, V2 and texture quality q:
// a = trunc(|V1 - V0| q 0.17), b = trunc(|V2 - V1| q 0.17), m = max(a, b),
// S = the smallest power of two not below m; 0 when m is 0 (or the lengths
// are not finite), at most kMaxBillboardImageSide.
int BillboardImageSide(const Vector3& v0, const Vector3& v1, const Vector3& v2, int quality);

}  // namespace vh
