// Branch: one branch of the skeleton, itself a submesh that meshing fills,
// and BranchPoint, the evaluation of a point on a branch surface that
// meshing, child placement and leaf placement all share.
#pragma once

#include <cmath>
#include <limits>

#include "foundations/vector3.h"
#include "tree/mesh.h"
#include "tree/split_ext.h"
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
  double length;           // base to tip along the axis
  double width;            // base radius before taper and jitter
  LevelParameters record;  // its level's shape, tessellation and leaf fields
  int level;               // 0 = trunk
  // Its index among its parent's children in placement order (for a
  // trunk, which trunk): with the level and the list order it gives the
  // branch's place (see tree/branch_places.h).
  int childIndex = 0;
};

// (0.3 + |0.03 bendingUp|)^|x| * 0.9999: how far the axis turns from the
// branch direction towards the bend target at relative position x.
double BendWeight(const LevelParameters& level, double x);

// The part of a branch's frame at relative position t that depends only on
// the level record: every branch of a level shares it, so a generation
// computes it once per level and ring.
struct RingShape {
  float centreX = 0.0f;  // the twisting helix's offset
  float centreZ = 0.0f;
  float tangentX = 0.0f;  // the helix's slope; the tangent's length component
  float tangentZ = 0.0f;  // scales with the branch and is added per branch
  Ext noise = 0;          // noise percentage as a fraction
  Ext taper = 0;          // the taper factor applied to r0
};

// The local frame of a branch at one relative position t and bend weight g.
// Everything in it depends on (t, g) only, so a ring of vertices shares one.
struct RingFrame {
  Vector3 axis, sideA, sideB;  // the bent frame returned with a point
  Vector3 centre;              // C: twisted centre in branch coordinates
  Vector3 p1, p2;              // directions across the tangent
  SplitExt keep = 1;           // 1 - noise, the radius share the jitter leaves alone
  SplitExt halfNoise = 0;      // noise / 2
  SplitExt taper = 0;
  double width = 0;
  Vector3 origin;
};

// The angle-dependent part of a surface point.
struct ColumnAngle {
  SplitExt sine = 0, cosine = 0;
  SplitExt sineCosine = 0;  // their product, the first factor of the jitter
  ColumnAngle() = default;
  explicit ColumnAngle(double b);

 private:
  ColumnAngle(Ext sine, Ext cosine);
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

// fmod(x, 1000) for 0 <= x < 2^62, exactly as the library computes it, and
// several times cheaper: the surface jitter takes it five times per vertex.
// Below 2^62 every integer lies on x's grid, so x - n 1000 is exact for any
// integer n near x / 1000; the estimate of n may be one off either way,
// which one correction step mends.
inline Ext SmallRemainderOfThousand(Ext x) {
  static_assert(std::numeric_limits<Ext>::digits == 64,
                "the rounding constant assumes x87 extended precision");
  constexpr Ext kRound = 0x1.8p63L;  // adding and taking it away rounds to an integer
  const Ext n = ((x * 0.001L - 0.5L) + kRound) - kRound;
  const Ext r = x - n * 1000.0L;
  if (r < 0) return r + 1000.0L;
  if (r >= 1000.0L) return r - 1000.0L;
  return r;
}

// fmod(x, 1000) for any x >= 0.
inline Ext RemainderOfThousand(Ext x) {
  return x < 0x1p62L ? SmallRemainderOfThousand(x) : PartialRemainder(x, 1000.0L);
}

// How far a surface point lies from the frame's centre along p1 and p2
// (r sin b and r cos b); r receives the radius there.
struct RingOffset {
  float alongP1 = 0.0f, alongP2 = 0.0f;
};

// Whether a point's spread may exceed 2^62, where the cheap remainder stops.
enum class SpreadRange { kAny, kSmall };

// Whether every spread at this frame stays below 2^62: |sine cosine| <= 1,
// so the spread is at most 3e9 |height| and a few roundings more.
inline bool SpreadsAreSmall(const RingFrame& frame) { return std::fabs(frame.centre.y) < 1e9f; }

// Meshing checks the range once per ring: a check per point, with the call
// of the slow remainder behind it, keeps the x87 from overlapping points.
template <SpreadRange kRange = SpreadRange::kAny>
inline RingOffset OffsetOnRing(const RingFrame& frame, const ColumnAngle& angle, double* radius = nullptr) {
  // Deterministic surface jitter in [-0.25, 0.25): it depends only on the
  // angle and the height along the branch, never on a random draw.
  // The jitter is (remainder 0.001 - 0.5) 0.5 and the radius takes
  // noise * jitter; halving is exact, so the half goes with the noise.
  const Ext spread = std::fabs(static_cast<Ext>(angle.sineCosine) * frame.centre.y * 3000000000.0L);
  const Ext remainder =
      kRange == SpreadRange::kSmall ? SmallRemainderOfThousand(spread) : RemainderOfThousand(spread);
  const Ext twiceJitter = remainder * 0.001L - 0.5L;
  const Ext r0 =
      (static_cast<Ext>(frame.keep) + static_cast<Ext>(frame.halfNoise) * twiceJitter) * frame.width;
  const Ext r = static_cast<Ext>(frame.taper) * r0;
  if (radius) *radius = static_cast<double>(r);
  return {static_cast<float>(r * static_cast<Ext>(angle.sine)),
          static_cast<float>(r * static_cast<Ext>(angle.cosine))};
}

// The surface point at an offset from the frame's centre.
inline Vector3 PointAtOffset(const RingFrame& frame, const RingOffset& offset) {
  const Vector3 q = frame.centre + offset.alongP1 * frame.p1 + offset.alongP2 * frame.p2;
  return frame.origin + q.x * frame.sideA + q.z * frame.sideB + q.y * frame.axis;
}

// The surface point at the frame's position and the given angle; r receives
// the radius there.
inline Vector3 PointOnRing(const RingFrame& frame, const ColumnAngle& angle, double* radius = nullptr) {
  return PointAtOffset(frame, OffsetOnRing(frame, angle, radius));
}

// The surface point of branch B at relative position t (0 base, 1 tip),
// angle b (radians) and bend weight g, with its frame and radius.
Vector3 BranchPoint(const Branch& branch, double t, double b, double g, Vector3* axis = nullptr,
                    Vector3* sideA = nullptr, Vector3* sideB = nullptr, double* radius = nullptr);

}  // namespace vh
