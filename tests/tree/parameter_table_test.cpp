// The parameter table: the document order it fixes, its accepted ranges and
// guards, the controls' ranges inside them, and CheckGrowable built on it.
#include "tree/parameter_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace vh {
namespace {

template <class Fields>
std::vector<std::string> Names(const Fields& fields) {
  std::vector<std::string> names;
  for (const auto& field : fields) names.emplace_back(field.name);
  return names;
}

TEST(ParameterTable, DocumentOrderIsTheFileFormat) {
  EXPECT_EQ(Names(GlobalFields()),
            (std::vector<std::string>{
                "the bark texture file name", "the leaf texture file name", "the material name prefix",
                "the bark-texture-loaded flag", "the leaf-texture-loaded flag", "the no-leaves-on-trunk flag",
                "lastParentLevel", "seed", "leafBending", "uScale", "vScale", "leafTexTranslateX",
                "leafTexTranslateY", "leafTexRotate", "leafTexScale"}));
  EXPECT_EQ(Names(LevelFields()), (std::vector<std::string>{"baseSize",
                                                            "baseLength",
                                                            "sizeDecrease",
                                                            "twistingFreq",
                                                            "twistingRad",
                                                            "bendingUp",
                                                            "noise",
                                                            "inflateDeflate",
                                                            "baseSizeInherited",
                                                            "baseLengthInherited",
                                                            "attachToParent",
                                                            "qualityAngle",
                                                            "qualityHeight",
                                                            "nbChildrenMin",
                                                            "nbChildrenMax",
                                                            "heightMin",
                                                            "heightMax",
                                                            "angleMin",
                                                            "angleMax",
                                                            "inclinationMin",
                                                            "inclinationMax",
                                                            "heightRelative",
                                                            "angleRelative",
                                                            "inclinationRelative",
                                                            "leafDensity",
                                                            "leafScaling"}));
}

TEST(ParameterTable, EveryEntryHoldsOneMemberOfItsKindAndNoMemberTwice) {
  // Member pointers compare for equality only.
  std::vector<int LevelParameters::*> integers;
  std::vector<bool LevelParameters::*> flags;
  for (const LevelField& field : LevelFields()) {
    EXPECT_EQ(field.text, nullptr) << field.name;
    if (field.kind == FieldKind::kInteger) {
      EXPECT_TRUE(field.integer != nullptr && field.flag == nullptr) << field.name;
      EXPECT_EQ(std::find(integers.begin(), integers.end(), field.integer), integers.end()) << field.name;
      integers.push_back(field.integer);
    } else {
      ASSERT_EQ(field.kind, FieldKind::kFlag) << field.name;
      EXPECT_TRUE(field.flag != nullptr && field.integer == nullptr) << field.name;
      EXPECT_EQ(std::find(flags.begin(), flags.end(), field.flag), flags.end()) << field.name;
      flags.push_back(field.flag);
    }
  }
  EXPECT_EQ(integers.size() + flags.size(), static_cast<std::size_t>(kLevelFieldCount));
  int names = 0;
  for (const GlobalField& field : GlobalFields()) {
    const int set = (field.integer != nullptr) + (field.flag != nullptr) + (field.text != nullptr);
    EXPECT_EQ(set, 1) << field.name;
    names += field.kind == FieldKind::kName;
  }
  EXPECT_EQ(names, 3);
}

// Every slider position stands for a value documents may hold and the
// generator grows.
template <class Field>
void ExpectControlInsideAccepted(const Field& field) {
  const ControlRange& control = field.control;
  if (control.minimum == control.maximum) return;  // no slider
  EXPECT_LE(control.minimum, control.initial) << field.name;
  EXPECT_LE(control.initial, control.maximum) << field.name;
  EXPECT_TRUE(field.accepted.Contains(control.minimum + control.offset)) << field.name;
  EXPECT_TRUE(field.accepted.Contains(control.maximum + control.offset)) << field.name;
}

TEST(ParameterTable, SlidersOfferOnlyAcceptedValues) {
  int sliders = 0;
  for (const LevelField& field : LevelFields()) {
    if (field.kind != FieldKind::kInteger) continue;
    ExpectControlInsideAccepted(field);
    sliders += field.control.minimum != field.control.maximum;
  }
  EXPECT_EQ(sliders, 20) << "every integer of a level has its slider";
  for (const GlobalField& field : GlobalFields()) {
    if (field.kind == FieldKind::kInteger) ExpectControlInsideAccepted(field);
  }
  const ControlRange& levels = FieldOf(&TreeParameters::lastParentLevel).control;
  EXPECT_EQ(levels.minimum + levels.offset, -1) << "one level: a bare trunk";
  EXPECT_EQ(levels.maximum + levels.offset, 8) << "ten levels";
  EXPECT_EQ(FieldOf(&LevelParameters::leafDensity).control.offset, 1);
}

TEST(ParameterTable, GuardsTurnOnlyAZeroQualityHeightOrInflateDeflate) {
  const LevelField& height = FieldOf(&LevelParameters::qualityHeight);
  const LevelField& inflate = FieldOf(&LevelParameters::inflateDeflate);
  EXPECT_EQ(Guarded(height, 0), 2);
  EXPECT_EQ(Guarded(inflate, 0), 1);
  EXPECT_EQ(Guarded(height, 7), 7);
  EXPECT_EQ(Guarded(inflate, -1), -1) << "a negative value is refused, not guarded";
  for (const LevelField& field : LevelFields()) {
    if (field.integer == height.integer || field.integer == inflate.integer) continue;
    EXPECT_EQ(Guarded(field, 0), 0) << field.name;
  }
  for (const GlobalField& field : GlobalFields()) EXPECT_EQ(Guarded(field, 0), 0) << field.name;
}

TEST(ParameterTable, AGuardedLevelRecordChangesOnlyItsGuardedZeros) {
  LevelParameters zeros;  // every integer 0
  for (const LevelField& field : LevelFields())
    if (field.kind == FieldKind::kInteger) zeros.*field.integer = 0;
  LevelParameters expected = zeros;
  expected.qualityHeight = 2;
  expected.inflateDeflate = 1;
  EXPECT_EQ(Guarded(zeros), expected);
  EXPECT_EQ(Guarded(expected), expected) << "guarding twice changes nothing more";
}

TEST(ParameterTable, FieldOfFindsTheEntryOfAMember) {
  EXPECT_STREQ(FieldOf(&LevelParameters::noise).name, "noise");
  EXPECT_STREQ(FieldOf(&LevelParameters::attachToParent).name, "attachToParent");
  EXPECT_STREQ(FieldOf(&TreeParameters::seed).name, "seed");
  EXPECT_THROW(FieldOf(&LevelParameters::levelIndex), std::logic_error) << "never saved";
}

TEST(CheckGrowable, AcceptsTheDefaultsAndEveryBoundAndNamesTheFirstValueBeyond) {
  EXPECT_EQ(CheckGrowable(TreeParameters()), "");
  TreeParameters zeros;  // a zero quality grows as its guard
  zeros.levels[1].qualityHeight = 0;
  zeros.levels[1].inflateDeflate = 0;
  EXPECT_EQ(CheckGrowable(zeros), "");
  for (const LevelField& field : LevelFields()) {
    if (field.kind != FieldKind::kInteger) continue;
    for (const int bound : {field.accepted.minimum, field.accepted.maximum}) {
      TreeParameters params;
      params.levels[2].*field.integer = bound;
      EXPECT_EQ(CheckGrowable(params), "") << field.name << " " << bound;
    }
    const int beyond = field.accepted.maximum + 1;
    TreeParameters params;
    params.levels[2].*field.integer = beyond;
    EXPECT_EQ(CheckGrowable(params), "level 3: " + std::string(field.name) + " " + std::to_string(beyond) +
                                         " must lie between " + std::to_string(field.accepted.minimum) +
                                         " and " + std::to_string(field.accepted.maximum));
  }
  TreeParameters params;
  params.lastParentLevel = 9;
  EXPECT_EQ(CheckGrowable(params), "lastParentLevel 9 must lie between -1 and 8");
  params.lastParentLevel = -1;
  params.levels[10].heightMin = -1;  // levels past the last are checked too
  EXPECT_EQ(CheckGrowable(params), "level 11: heightMin -1 must lie between 0 and 10000");
}

}  // namespace
}  // namespace vh
