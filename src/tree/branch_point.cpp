#include "tree/branch.h"

#include <cmath>

namespace vh {

namespace {

constexpr Ext kPi = 3.141592653589793L;

// x^e with the conventions the taper profile was tuned with: exponent 0
// gives 1, base 0 gives 0, an integral exponent multiplies repeatedly
// (binary powering), anything else goes through exp and ln.
Ext Power(Ext base, Ext exponent) {
  if (exponent == 0) return 1;
  if (base == 0 && exponent > 0) return 0;
  if (std::floor(exponent) == exponent && std::fabs(exponent) <= 1e9L) {
    long long n = static_cast<long long>(std::fabs(exponent));
    Ext result = 1, x = base;
    while (n != 0) {
      if (n & 1) result *= x;
      n >>= 1;
      if (n != 0) x *= x;
    }
    return exponent < 0 ? 1 / result : result;
  }
  return std::exp(exponent * std::log(base));
}

}  // namespace

// The library's fmod is a loop around fprem behind an error-handling
// wrapper; the loop alone is several times cheaper.
Ext PartialRemainder(Ext x, Ext m) {
#if defined(__x86_64__) || defined(__i386__)
  Ext result;
  __asm__(
      "1: fprem\n\t"
      "fnstsw %%ax\n\t"
      "testb $4, %%ah\n\t"
      "jnz 1b"
      : "=t"(result)
      : "0"(x), "u"(m)
      : "ax", "cc");
  return result;
#else
  return std::fmod(x, m);
#endif
}

Branch::Branch(const Vector3& anOrigin, const Vector3& aDirection, double aLength, double aWidth,
               const LevelParameters& aRecord, int aLevel, unsigned objectNumber)
    : Submesh(objectNumber),
      origin(anOrigin),
      direction(aDirection),
      length(aLength),
      width(aWidth),
      record(aRecord),
      level(aLevel) {
  const Vector3 d = Normalized(direction);
  sideA = Perpendicular(d);
  sideB = Cross(d, sideA);
}

double BendWeight(const LevelParameters& level, double x) {
  return std::pow(0.3 + std::fabs(0.03 * level.bendingUp), std::fabs(x)) * 0.9999;
}

ColumnAngle::ColumnAngle(double b)
    : ColumnAngle(std::sin(static_cast<Ext>(b)), std::cos(static_cast<Ext>(b))) {}

ColumnAngle::ColumnAngle(Ext aSine, Ext aCosine)
    : sine(aSine), cosine(aCosine), sineCosine(aSine * aCosine) {}

RingShape PrepareRingShape(const LevelParameters& level, double t) {
  RingShape shape;
  // Twisting helix around the centre line.
  const Ext s = 2 * kPi * t;
  const Ext helixRadius = level.twistingRad * 0.03L;
  const Ext tx = std::sin(s * level.twistingFreq) * helixRadius;
  const Ext tz = std::cos(s * level.twistingFreq) * helixRadius;
  shape.centreX = static_cast<float>(tx);
  shape.centreZ = static_cast<float>(tz);

  const Ext h = static_cast<Ext>(level.qualityHeight) * t;
  const int q = level.qualityHeight;
  shape.tangentX = static_cast<float>(tz * 2 * kPi * level.twistingFreq / q);
  shape.tangentZ = static_cast<float>(-tx * 2 * kPi * level.twistingFreq / q);

  shape.noise = level.noise * 0.01L;
  const Ext profile = Power(h / (q + 2), 2 / (level.inflateDeflate * 0.5L));
  shape.taper = 1 - profile * (level.sizeDecrease * 0.1L - 0.8L) * 0.3L;
  return shape;
}

RingFrame PrepareRing(const Branch& branch, const RingShape& shape, double t, double g) {
  RingFrame frame;
  const int q = branch.record.qualityHeight;

  // Bend: turn the axis from the branch direction towards U.
  if (t > 10) g = 0.999;
  const Vector3& bendTarget = branch.level == 0 ? UnitX : UnitY;
  frame.axis =
      bendTarget * static_cast<float>(1 - static_cast<Ext>(g)) + branch.direction * static_cast<float>(g);
  Normalize(frame.axis);
  frame.sideA = branch.sideA;
  frame.sideB = Cross(frame.axis, frame.sideA);

  frame.centre =
      Vector3(shape.centreX, static_cast<float>(t * static_cast<Ext>(branch.length)), shape.centreZ);

  Vector3 tangent(shape.tangentX, static_cast<float>(static_cast<Ext>(branch.length) / q), shape.tangentZ);
  Normalize(tangent);
  frame.p1 = Perpendicular(tangent);
  frame.p2 = Cross(tangent, frame.p1);

  frame.keep = 1 - shape.noise;
  frame.halfNoise = shape.noise * 0.5L;
  frame.taper = shape.taper;
  frame.width = branch.width;
  frame.origin = branch.origin;
  return frame;
}

RingFrame PrepareRing(const Branch& branch, double t, double g) {
  return PrepareRing(branch, PrepareRingShape(branch.record, t), t, g);
}

Vector3 BranchPoint(const Branch& branch, double t, double b, double g, Vector3* axis, Vector3* sideA,
                    Vector3* sideB, double* radius) {
  const RingFrame frame = PrepareRing(branch, t, g);
  if (axis) *axis = frame.axis;
  if (sideA) *sideA = frame.sideA;
  if (sideB) *sideB = frame.sideB;
  return PointOnRing(frame, ColumnAngle(b), radius);
}

}  // namespace vh
