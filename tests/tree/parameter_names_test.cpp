// Parameters by name: the names scripts use, lookups that forgive case and
// separators, and writes checked against the parameter table.
#include "tree/parameter_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vh {
namespace {

TEST(ParameterNames, AreTheMembersInWordsInDocumentOrder) {
  const std::vector<std::string> globals = GlobalParameterNames();
  ASSERT_EQ(globals.size(), static_cast<std::size_t>(kGlobalFieldCount));
  EXPECT_EQ(globals.front(), "bark texture file");
  EXPECT_EQ(globals[5], "no leaves on trunk");
  EXPECT_EQ(globals[6], "last parent level");
  EXPECT_EQ(globals.back(), "leaf tex scale");
  const std::vector<std::string> levels = LevelParameterNames();
  ASSERT_EQ(levels.size(), static_cast<std::size_t>(kLevelFieldCount));
  EXPECT_EQ(levels[1], "base length");
  EXPECT_EQ(levels[14], "nb children max");
}

TEST(ParameterNames, EveryNameReadsBackWhatItWrote) {
  TreeParameters params;
  for (const std::string& name : GlobalParameterNames()) {
    const ParameterValue before = GetParameter(params, name);
    SetParameter(params, name, before);
    EXPECT_EQ(GetParameter(params, name), before) << name;
  }
  for (const std::string& name : LevelParameterNames()) {
    const ParameterValue before = GetLevelParameter(params.levels[3], name);
    SetLevelParameter(params.levels[3], name, before);
    EXPECT_EQ(GetLevelParameter(params.levels[3], name), before) << name;
  }
  EXPECT_EQ(params, TreeParameters());
}

TEST(ParameterNames, LookupsIgnoreCaseAndSeparators) {
  TreeParameters params;
  for (const char* name : {"nb children max", "nbChildrenMax", "NB_CHILDREN-MAX"}) {
    SetLevelParameter(params.levels[1], name, 7LL);
    EXPECT_EQ(params.levels[1].nbChildrenMax, 7) << name;
    params.levels[1].nbChildrenMax = 0;
  }
  SetParameter(params, "material prefix", std::string("Bark"));
  SetParameter(params, "noLeavesOnTrunk", false);
  EXPECT_EQ(params.materialPrefix, "Bark");
  EXPECT_FALSE(params.noLeavesOnTrunk);
  EXPECT_EQ(GetParameter(params, "Seed"), ParameterValue(160LL));
}

TEST(ParameterNames, RefusalsLeaveTheSetAndSayWhy) {
  struct Case {
    const char* name;
    ParameterValue value;
    const char* message;  // a part of the message
  };
  const Case cases[] = {
      {"nb children max", 1001LL, "level 3: nb children max 1001 must lie between 0 and 1000"},
      {"nb children max", 1LL << 40, "must lie between 0 and 1000"},
      {"quality angle", 0LL, "quality angle 0 must lie between 1 and 1000"},
      {"height relative", 1LL, "height relative takes a flag"},
      {"base size", true, "base size takes an integer"},
  };
  TreeParameters params;
  for (const Case& c : cases) {
    try {
      SetLevelParameter(params.levels[2], c.name, c.value);
      ADD_FAILURE() << c.name << " was accepted";
    } catch (const std::invalid_argument& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
  EXPECT_THROW(SetParameter(params, "material prefix", std::string("a\nb")), std::invalid_argument);
  EXPECT_THROW(SetParameter(params, "seed", std::string("7")), ParameterKindError);
  EXPECT_EQ(params, TreeParameters());

  try {
    GetParameter(params, "trunk lenght");
    ADD_FAILURE() << "an unknown name was found";
  } catch (const UnknownParameter& error) {
    EXPECT_NE(std::string(error.what()).find("'trunk lenght'; the tree's parameters are: bark texture file"),
              std::string::npos)
        << error.what();
  }
  EXPECT_THROW(GetLevelParameter(params.levels[0], "seed"), UnknownParameter);
  EXPECT_THROW(GetParameter(params, ""), UnknownParameter);
}

TEST(ParameterNames, AZeroIsStoredAsItsGuardAndRangesComeFromTheTable) {
  TreeParameters params;
  SetLevelParameter(params.levels[0], "quality height", 0LL);
  EXPECT_EQ(params.levels[0].qualityHeight, 2);
  EXPECT_EQ(LevelParameterRange("nb children min").maximum, 1000);
  EXPECT_EQ(GlobalParameterRange("last parent level").minimum, -1);
  EXPECT_THROW(GlobalParameterRange("material prefix"), UnknownParameter);
}

}  // namespace
}  // namespace vh
