// Branch: one branch of the skeleton, itself a submesh that meshing fills,
// and BranchPoint, the evaluation of a point on a branch surface that
// meshing, child placement and leaf placement all share.
#pragma once

#include <cmath>
#include <limits>

#include "foundations/vector3.h"
#include "tree/mesh.h"
#include "tree/tree.h"

namespace vh {

class Branch : public Submesh {
 public:
  // direction is kept as given; the side vectors come from its normalised
  // copy (children replace them after construction). `record` is the
  // parameter set's record of `level`, as grown (see Generate).
  Branch(const Vector3& origin, const Vector3& direction, double length, double width,
         const LevelParameters& record, int level, unsigned objectNumber);

  Vector3 origin;     // centre of the branch base
  Vector3 direction;  // growth direction, unnormalised
  Vector3 sideA, sideB;
  double length;      // base to tip along the axis
  double width;       // base radius before taper and jitter
  LevelParameters record;  // its level's shape, tessellation and leaf fields
  int level;          // 0 = trunk
};

// (0.3 + |0.03 bendingUp|)^|x| * 0.9999: how far the axis turns from the
// branch direction towards the bend target at relative position x.
double BendWeight(const LevelParameters& level, double x);

// The part of a branch's frame at relative position t that depends only on
// the level record: every branch of a level shares it, so a generation
// computes it once per level and ring.
struct RingShape {
  float centreX = 0.0f;   // the twisting helix's offset
  float centreZ = 0.0f;
  float tangentX = 0.0f;  // the helix's slope; the tangent's length component
  float tangentZ = 0.0f;  // scales with the branch and is added per branch
  Ext noise = 0;        // noise percentage as a fraction
  Ext taper = 0;        // the taper factor applied to r0
};

// The local frame of a branch at one relative position t and bend weight g.
// Everything in it depends on (t, g) only, so a ring of vertices shares one.
struct RingFrame {
  Vector3 axis, sideA, sideB;  // the bent frame returned with a point
  Vector3 centre;              // C: twisted centre in branch coordinates
  Vector3 p1, p2;              // directions across the tangent
  Ext keep = 1;                // 1 - noise, the radius share the jitter leaves alone
  Ext halfNoise = 0;           // noise / 2
  Ext taper = 0;
  Ext width = 0;
  Vector3 origin;
};

// The angle-dependent part of a surface point.
struct ColumnAngle {
  Ext sine = 0, cosine = 0;
  Ext sineCosine = 0;  // their product, the first factor of the jitter
  ColumnAngle() = default;
  explicit ColumnAngle(double b);
};

// The level-dependent part of the frame at t. The record must hold a
// qualityHeight and an inflateDeflate above 0.
RingShape PrepareRingShape(const LevelParameters& level, double t);

// Completes a shape into the frame of one branch at (t, g).
RingFrame PrepareRing(const Branch& branch, const RingShape& shape, double t, double g);

// Prepares the frame at (t, g) from scratch.
RingFrame PrepareRing(const Branch& branch, double t, double g);

// x mod m by the x87 partial remainder, exactly (a remainder needs no
// rounding).
Ext PartialRemainder(Ext x, Ext m);

// fmod(x, 1000) for x >= 0, exactly as the library computes it, and several
// times cheaper: the surface jitter takes it five times per vertex. Below
// 2^62 every integer lies on x's grid, so x - n 1000 is exact for any
// integer n near x / 1000; the estimate of n may be one off either way,
// which one correction step mends.
inline Ext RemainderOfThousand(Ext x) {
  if (std::numeric_limits<Ext>::digits != 64 || !(x < 0x1p62L)) return PartialRemainder(x, 1000.0L);
  constexpr Ext kRound = 0x1.8p63L;  // adding and taking it away rounds to an integer
  const Ext n = ((x * 0.001L - 0.5L) + kRound) - kRound;
  Ext r = x - n * 1000.0L;
  if (r < 0) {
    r += 1000.0L;
  } else if (r >= 1000.0L) {
    r -= 1000.0L;
  }
  return r;
}

// The surface point at the frame's position and the given angle; r receives
// the radius there. Inline: meshing evaluates five per vertex, and their
// long chains of extended-precision steps overlap once they sit side by side.
inline Vector3 PointOnRing(const RingFrame& frame, const ColumnAngle& angle, double* radius = nullptr) {
  // Deterministic surface jitter in [-0.25, 0.25): it depends only on the
  // angle and the height along the branch, never on a random draw.
  // The jitter is (remainder 0.001 - 0.5) 0.5 and the radius takes
  // noise * jitter; halving is exact, so the half goes with the noise.
  const Ext spread = std::fabs(angle.sineCosine * frame.centre.y * 3000000000.0L);
  const Ext twiceJitter = RemainderOfThousand(spread) * 0.001L - 0.5L;
  const Ext r0 = (frame.keep + frame.halfNoise * twiceJitter) * frame.width;
  const Ext r = frame.taper * r0;
  if (radius) *radius = static_cast<double>(r);

  const Vector3 q = frame.centre + static_cast<float>(r * angle.sine) * frame.p1 +
                    static_cast<float>(r * angle.cosine) * frame.p2;
  return frame.origin + q.x * frame.sideA + q.z * frame.sideB + q.y * frame.axis;
}

// The surface point of branch B at relative position t (0 base, 1 tip),
// angle b (radians) and bend weight g, with its frame and radius.
Vector3 BranchPoint(const Branch& branch, double t, double b, double g, Vector3* axis = nullptr,
                    Vector3* sideA = nullptr, Vector3* sideB = nullptr, double* radius = nullptr);

}  // namespace vh
