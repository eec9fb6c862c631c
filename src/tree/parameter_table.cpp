#include "tree/parameter_table.h"

#include <stdexcept>

namespace vh {
namespace {

// Loose bound for values that are safe at any size but whose products in
// the generator must stay far from integer overflow.
constexpr int kLarge = 1000000;
constexpr IntRange kAny{};
constexpr IntRange kBounded{-kLarge, kLarge};

template <class Record>
constexpr ParameterField<Record> Int(const char* name, int Record::*member, IntRange accepted,
                                     ControlRange control = {}, int zeroMeans = 0) {
  ParameterField<Record> field;
  field.name = name;
  field.integer = member;
  field.accepted = accepted;
  field.zeroMeans = zeroMeans;
  field.control = control;
  return field;
}

template <class Record>
constexpr ParameterField<Record> Flag(const char* name, bool Record::*member) {
  ParameterField<Record> field;
  field.name = name;
  field.kind = FieldKind::kFlag;
  field.flag = member;
  return field;
}

constexpr GlobalField Name(const char* name, std::string TreeParameters::*member) {
  GlobalField field;
  field.name = name;
  field.kind = FieldKind::kName;
  field.text = member;
  return field;
}

using T = TreeParameters;
using L = LevelParameters;

// lastParentLevel -1..8: the deepest level, lastParentLevel + 1, must have a
// record, and its children's records must exist too. Its slider counts the
// levels, 1..10.
const std::array<GlobalField, kGlobalFieldCount> kGlobalFields = {{
    Name("the bark texture file name", &T::barkTextureFile),
    Name("the leaf texture file name", &T::leafTextureFile),
    Name("the material name prefix", &T::materialPrefix),
    Flag("the bark-texture-loaded flag", &T::barkTextureLoaded),
    Flag("the leaf-texture-loaded flag", &T::leafTextureLoaded),
    Flag("the no-leaves-on-trunk flag", &T::noLeavesOnTrunk),
    Int("lastParentLevel", &T::lastParentLevel, {-1, 8}, {0, 9, 3, -1}),
    Int("seed", &T::seed, kAny),
    Int("leafBending", &T::leafBending, kAny, {1, 100, 50}),
    Int("uScale", &T::uScale, kAny, {0, 100, 10}),
    Int("vScale", &T::vScale, kAny, {0, 100, 10}),
    Int("leafTexTranslateX", &T::leafTexTranslateX, kAny, {-300, 300, 0}),
    Int("leafTexTranslateY", &T::leafTexTranslateY, kAny, {-300, 300, 0}),
    Int("leafTexRotate", &T::leafTexRotate, kAny, {0, 360, 0}),
    Int("leafTexScale", &T::leafTexScale, kAny, {1, 1000, 150}),
}};

// Why the tighter limits:
// - baseLength >= 0: a constant length of -5 gives a zero-length branch, and
//   its children's relative heights become 0/0;
// - bendingUp: the bend weight is (0.3 + |0.03 bendingUp|)^x with x up to
//   about 11; beyond 10000 the bent axis overflows a float;
// - inflateDeflate >= 1 (a document's 0 means 1): the taper exponent divides
//   by it, and a negative one raises 0 to a negative power at the branch base;
// - qualityAngle >= 1: the angle step divides by it; qualityHeight >= 1 (a
//   document's 0 means 2): the ring step divides by it; both <= 1000 bound
//   one branch to a million vertices;
// - children counts 0..1000: a cancelled or budget-stopped generation still
//   creates every remaining sibling as an empty submesh;
// - heights 0..10000: a negative position along a branch makes the taper
//   power of a negative base NaN.
// Density's slider shows the density less one.
const std::array<LevelField, kLevelFieldCount> kLevelFields = {{
    Int("baseSize", &L::baseSize, kBounded, {0, 200, 90}),
    Int("baseLength", &L::baseLength, {0, kLarge}, {0, 200, 60}),
    Int("sizeDecrease", &L::sizeDecrease, kBounded, {0, 50, 40}),
    Int("twistingFreq", &L::twistingFreq, kBounded, {0, 20, 4}),
    Int("twistingRad", &L::twistingRad, kBounded, {0, 100, 30}),
    Int("bendingUp", &L::bendingUp, {-10000, 10000}, {0, 100, 40}),
    Int("noise", &L::noise, kBounded, {0, 100, 30}),
    Int("inflateDeflate", &L::inflateDeflate, {1, kLarge}, {1, 20, 3}, 1),
    Flag("baseSizeInherited", &L::baseSizeInherited),
    Flag("baseLengthInherited", &L::baseLengthInherited),
    Flag("attachToParent", &L::attachToParent),
    Int("qualityAngle", &L::qualityAngle, {1, 1000}, {3, 50, 10}),
    Int("qualityHeight", &L::qualityHeight, {1, 1000}, {2, 50, 10}, 2),
    Int("nbChildrenMin", &L::nbChildrenMin, {0, 1000}, {0, 10, 3}),
    Int("nbChildrenMax", &L::nbChildrenMax, {0, 1000}, {0, 10, 5}),
    Int("heightMin", &L::heightMin, {0, 10000}, {1, 100, 3}),
    Int("heightMax", &L::heightMax, {0, 10000}, {1, 100, 5}),
    Int("angleMin", &L::angleMin, kBounded, {0, 360, 120}),
    Int("angleMax", &L::angleMax, kBounded, {0, 360, 120}),
    Int("inclinationMin", &L::inclinationMin, kBounded, {-180, 180, 60}),
    Int("inclinationMax", &L::inclinationMax, kBounded, {-180, 180, 70}),
    Flag("heightRelative", &L::heightRelative),
    Flag("angleRelative", &L::angleRelative),
    Flag("inclinationRelative", &L::inclinationRelative),
    Int("leafDensity", &L::leafDensity, kBounded, {0, 100, 3, 1}),
    Int("leafScaling", &L::leafScaling, kBounded, {1, 150, 50}),
}};

// The wind's accepted ranges are what its controls offer: every value in
// them sways the tree sensibly, and a loop of at least a second keeps the
// sampled animation of an export small and smooth.
using W = WindSettings;
const std::array<WindField, kWindFieldCount> kWindFields = {{
    Int("the wind strength", &W::strength, {0, 100}, {0, 100, 40}),
    Int("the wind direction", &W::direction, {0, 360}, {0, 360, 0}),
    Int("the gust frequency", &W::gustFrequency, {0, 500}, {0, 500, 25}),
    Int("the wind turbulence", &W::turbulence, {0, 100}, {0, 100, 30}),
    Int("the leaf flutter", &W::leafFlutter, {0, 100}, {0, 100, 50}),
    Int("the wind loop length", &W::loopLength, {10, 600}, {10, 600, 80}),
}};

template <class Field, std::size_t N, class Member>
const Field& Find(const std::array<Field, N>& fields, Member member, Member Field::*slot) {
  for (const Field& field : fields) {
    if (field.*slot == member) return field;
  }
  throw std::logic_error("a parameter without an entry in the parameter table");
}

template <class Field>
int GuardedValue(const Field& field, int value) {
  return value == 0 && field.zeroMeans != 0 ? field.zeroMeans : value;
}

template <class Record, std::size_t N>
std::string OutOfRange(const std::array<ParameterField<Record>, N>& fields, const Record& record) {
  for (const ParameterField<Record>& field : fields) {
    if (field.kind != FieldKind::kInteger) continue;
    const int value = record.*field.integer;
    if (!field.accepted.Contains(GuardedValue(field, value))) {
      return std::string(field.name) + " " + std::to_string(value) + " must lie between " +
             std::to_string(field.accepted.minimum) + " and " + std::to_string(field.accepted.maximum);
    }
  }
  return {};
}

}  // namespace

const std::array<GlobalField, kGlobalFieldCount>& GlobalFields() { return kGlobalFields; }
const std::array<LevelField, kLevelFieldCount>& LevelFields() { return kLevelFields; }
const std::array<WindField, kWindFieldCount>& WindFields() { return kWindFields; }

const GlobalField& FieldOf(int TreeParameters::*member) {
  return Find(kGlobalFields, member, &GlobalField::integer);
}
const LevelField& FieldOf(int LevelParameters::*member) {
  return Find(kLevelFields, member, &LevelField::integer);
}
const LevelField& FieldOf(bool LevelParameters::*member) {
  return Find(kLevelFields, member, &LevelField::flag);
}

int Guarded(const GlobalField& field, int value) { return GuardedValue(field, value); }
int Guarded(const LevelField& field, int value) { return GuardedValue(field, value); }
int Guarded(const WindField& field, int value) { return GuardedValue(field, value); }

LevelParameters Guarded(const LevelParameters& level) {
  LevelParameters guarded = level;
  for (const LevelField& field : kLevelFields) {
    if (field.kind == FieldKind::kInteger) guarded.*field.integer = GuardedValue(field, level.*field.integer);
  }
  return guarded;
}

std::string CheckGrowable(const TreeParameters& params) {
  std::string problem = OutOfRange(kGlobalFields, params);
  if (!problem.empty()) return problem;
  for (int i = 0; i < kLevelCount; ++i) {
    problem = OutOfRange(kLevelFields, params.levels[i]);
    if (!problem.empty()) return "level " + std::to_string(i + 1) + ": " + problem;
  }
  return CheckHandEdits(params.handEdits);
}

}  // namespace vh
