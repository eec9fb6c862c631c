#include "fileio/document_fields.h"

#include <climits>

namespace vh {
namespace {

// Loose bound for values that are safe at any size but whose products in
// the generator must stay far from integer overflow.
constexpr int kLarge = 1000000;

constexpr LevelField Int(const char* name, int LevelParameters::*member, int minimum, int maximum) {
  return LevelField{name, member, nullptr, minimum, maximum};
}
constexpr LevelField Flag(const char* name, bool LevelParameters::*member) {
  return LevelField{name, nullptr, member, INT_MIN, INT_MAX};
}

using L = LevelParameters;

// Why the tighter limits:
// - baseLength >= 0: a constant length of -5 gives a zero-length branch, and
//   its children's relative heights become 0/0;
// - bendingUp: the bend weight is (0.3 + |0.03 bendingUp|)^x with x up to
//   about 11; beyond 10000 the bent axis overflows a float;
// - inflateDeflate >= 0 (0 is read as 1): a negative taper exponent raises
//   0 to a negative power at the branch base;
// - qualityAngle >= 1: the angle step divides by it; qualityHeight >= 0
//   (0 is read as 2); both <= 1000 bound one branch to a million vertices;
// - children counts 0..1000: a cancelled or budget-stopped generation still
//   creates every remaining sibling as an empty submesh;
// - heights >= 0: a negative position along a branch makes the taper power
//   of a negative base NaN.
const std::array<LevelField, kLevelFieldCount> kFields = {{
    Int("baseSize", &L::baseSize, -kLarge, kLarge),
    Int("baseLength", &L::baseLength, 0, kLarge),
    Int("sizeDecrease", &L::sizeDecrease, -kLarge, kLarge),
    Int("twistingFreq", &L::twistingFreq, -kLarge, kLarge),
    Int("twistingRad", &L::twistingRad, -kLarge, kLarge),
    Int("bendingUp", &L::bendingUp, -10000, 10000),
    Int("noise", &L::noise, -kLarge, kLarge),
    Int("inflateDeflate", &L::inflateDeflate, 0, kLarge),
    Flag("baseSizeInherited", &L::baseSizeInherited),
    Flag("baseLengthInherited", &L::baseLengthInherited),
    Flag("attachToParent", &L::attachToParent),
    Int("qualityAngle", &L::qualityAngle, 1, 1000),
    Int("qualityHeight", &L::qualityHeight, 0, 1000),
    Int("nbChildrenMin", &L::nbChildrenMin, 0, 1000),
    Int("nbChildrenMax", &L::nbChildrenMax, 0, 1000),
    Int("heightMin", &L::heightMin, 0, 10000),
    Int("heightMax", &L::heightMax, 0, 10000),
    Int("angleMin", &L::angleMin, -kLarge, kLarge),
    Int("angleMax", &L::angleMax, -kLarge, kLarge),
    Int("inclinationMin", &L::inclinationMin, -kLarge, kLarge),
    Int("inclinationMax", &L::inclinationMax, -kLarge, kLarge),
    Flag("heightRelative", &L::heightRelative),
    Flag("angleRelative", &L::angleRelative),
    Flag("inclinationRelative", &L::inclinationRelative),
    Int("leafDensity", &L::leafDensity, -kLarge, kLarge),
    Int("leafScaling", &L::leafScaling, -kLarge, kLarge),
}};

}  // namespace

const std::array<LevelField, kLevelFieldCount>& LevelFields() { return kFields; }

}  // namespace vh
