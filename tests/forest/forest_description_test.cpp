// Forest descriptions: what a good one says, and every bad one refused with
// a message naming its line (or the file, for what is missing).
#include <gtest/gtest.h>

#include "common/named_pipe.h"
#include "common/scratch_dir.h"
#include "common/whole_file.h"
#include "forest/forest_description.h"
#include "forest/forest_plan.h"
#include "foundations/file_error.h"

namespace vh {
namespace {

const PresetLibrary& Presets() {
  static const PresetLibrary library(VH_SOURCE_DIR "/presets");
  return library;
}

TEST(ForestDescription, AFileThatIsNotAFileIsRefusedNamingIt) {
  test::ScratchDir dir;
  const test::NamedPipe pipe(dir.File("forest.txt"));
  try {
    ReadForestDescription(pipe.path());
    FAIL() << "no error";
  } catch (const FileError& error) {
    std::string expected = "cannot read the forest description '";
    expected.append(pipe.path()).append("': it is a named pipe, not a file");
    EXPECT_EQ(std::string(error.what()), expected);
  }
  EXPECT_FALSE(pipe.ReleasedAReader());
}

TEST(ForestDescription, ReadsEveryKey) {
  const ForestDescription forest = ParseForestDescription(
      "# a comment\n"
      "seed = -12\n"
      "area = 30x20   # trailing comment\n"
      "density = 0.5\n"
      "spacing = 1.25\n"
      "turn = 90\n"
      "scale = 0.5, 2\n"
      "lod = yes\n"
      "lod-ratios = 0.5 0.2\n"
      "wind = on\n"
      "species = conifer\n"
      "  weight = 3\n"
      "  variants = 4\n"
      "species = trees/my oak.vhm\n",
      "f.txt", "/data/");
  EXPECT_EQ(forest.seed, -12);
  EXPECT_EQ(forest.width, 30.0);
  EXPECT_EQ(forest.depth, 20.0);
  EXPECT_EQ(forest.count, 300);  // 0.5 x 30 x 20
  EXPECT_EQ(forest.countLine, 4);
  EXPECT_EQ(forest.spacing, 1.25);
  EXPECT_EQ(forest.turnDegrees, 90.0);
  EXPECT_EQ(forest.scaleLow, 0.5);
  EXPECT_EQ(forest.scaleHigh, 2.0);
  EXPECT_TRUE(forest.lod);
  EXPECT_EQ(forest.chain.firstShare, 0.5);
  EXPECT_EQ(forest.chain.secondShare, 0.2);
  EXPECT_TRUE(forest.wind);
  ASSERT_EQ(forest.species.size(), 2u);
  EXPECT_EQ(forest.species[0].source, "conifer");
  EXPECT_EQ(forest.species[0].weight, 3.0);
  EXPECT_EQ(forest.species[0].variants, 4);
  EXPECT_EQ(forest.species[1].source, "trees/my oak.vhm");
  EXPECT_EQ(forest.species[1].variants, 1);
  EXPECT_EQ(forest.species[1].line, 14);
  EXPECT_EQ(forest.folder, "/data/");
}

TEST(ForestDescription, TheExampleIsAcceptedAsItIs) {
  const ForestDescription forest = ParseForestDescription(kForestExample, "example", "");
  const ForestPlan plan = PlanForest(forest, Presets());
  EXPECT_EQ(plan.instances.size(), 240u);
  EXPECT_EQ(plan.variants.size(), 5u);
  EXPECT_TRUE(forest.lod && forest.wind);
}

TEST(ForestDescription, BadDescriptionsNameTheirLine) {
  const std::string species = "species = conifer\n";
  const std::string ground = "area = 10 x 10\ncount = 5\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {ground + species + "count = -3\n", "f.txt, line 4: count is given twice"},
      {"area = 10 x 10\ncount = -3\n" + species, "f.txt, line 2: count needs a whole number from 1 to"},
      {"area = 10 x 10\ncount = 0\n" + species, "f.txt, line 2: count needs a whole number from 1"},
      {ground + "variants = 2\n" + species, "f.txt, line 3: variants belongs to a species"},
      {ground + species + "variants = -1\n",
       "f.txt, line 4: variants needs a whole number from 1 to 10000, not '-1'"},
      {ground + species + "weight = 0\n", "f.txt, line 4: weight needs a number from"},
      {ground + species + "weight = 1\nweight = 2\n", "f.txt, line 5: weight is given twice for one species"},
      {ground + species + "height = 3\n", "f.txt, line 4: unknown key 'height'"},
      {ground + species + "just words\n", "f.txt, line 4: expected 'key = value'"},
      {"area = 10 by 10\ncount = 5\n" + species, "f.txt, line 1: area needs a width and a depth"},
      {"area = -10 x 10\ncount = 5\n" + species, "f.txt, line 1: the area's width needs a number"},
      {ground + "density = 1\n" + species, "f.txt, line 3: give a count or a density, not both"},
      {"area = 10 x 10\ndensity = 0.0001\n" + species, "f.txt, line 2: a density of"},
      {ground + species + "spacing = -1\n", "f.txt, line 4: spacing needs a number from 0"},
      {ground + species + "turn = 400\n", "f.txt, line 4: turn needs a number from 0 to 360"},
      {ground + species + "scale = 2 1\n", "f.txt, line 4: scale's range runs from the smaller"},
      {ground + species + "lod = maybe\n", "f.txt, line 4: lod needs yes or no, not 'maybe'"},
      {ground + species + "lod = yes\nlod-ratios = 0.1, 0.4\n",
       "f.txt, line 5: lod-ratios: the second share"},
      {ground + species + "lod-ratios = 0.4, 0.1\n", "f.txt, line 4: lod-ratios needs 'lod = yes'"},
      {ground + species + "seed = 1.5\n", "f.txt, line 4: seed needs a whole number"},
      {ground + species + "wind =\n", "f.txt, line 4: wind has no value"},
      {ground, "f.txt: no species"},
      {"count = 5\n" + species, "f.txt: no area"},
      {"area = 10 x 10\n" + species, "f.txt: no count"},
  };
  for (const auto& c : cases) {
    try {
      ParseForestDescription(c.text, "f.txt", "");
      ADD_FAILURE() << "accepted:\n" << c.text;
    } catch (const ForestError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what() << "\nfor:\n" << c.text;
    }
  }
}

TEST(ForestDescription, SpeciesAndSpacingThatCannotBeUsedAreRefusedWhenPlannedMissingPicturesOnlyWarned) {
  test::ScratchDir dir;
  test::WriteWholeFile(dir.File("broken.vhm"), "not a tree document\n");
  test::WriteWholeFile(
      dir.File("nopicture.vhm"),
      test::ReadWholeFile(VH_SOURCE_DIR "/presets/conifer.vhm"));  // its pictures stay behind
  const std::string ground = "area = 10 x 10\ncount = 20\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {ground + "species = oak-of-dreams\n",
       "f.txt, line 3: unknown species 'oak-of-dreams': neither a preset"},
      {ground + "species = conifer\nspecies = missing.vhm\n", "f.txt, line 4: species 'missing.vhm': "},
      {ground + "species = broken.vhm\n", "f.txt, line 3: species 'broken.vhm': "},
      // 20 trees 3 apart need about 20 x 7.8 square units; 10 x 10 grown by
      // 1.5 on each side holds 169: at most 21 fit even when packed, but
      // dart throwing fills up well before.
      {ground + "spacing = 3\nspecies = conifer\n", "f.txt, line 3: only "},
      {ground + "spacing = 5\nspecies = conifer\n",
       "f.txt, line 3: a spacing of 5 cannot fit 20 trees on 10 x 10"},
  };
  for (const auto& c : cases) {
    try {
      PlanForest(ParseForestDescription(c.text, "f.txt", dir.path().string() + "/"), Presets());
      ADD_FAILURE() << "accepted:\n" << c.text;
    } catch (const ForestError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what() << "\nfor:\n" << c.text;
    }
  }

  // A picture that cannot be read leaves its material untextured, as every
  // export does, and the plan says so.
  const ForestPlan plan = PlanForest(
      ParseForestDescription(ground + "species = nopicture.vhm\n", "f.txt", dir.path().string() + "/"),
      Presets());
  ASSERT_EQ(plan.warnings.size(), 2u);
  EXPECT_EQ(plan.warnings[0].rfind("f.txt, line 3: species 'nopicture.vhm': the bark picture", 0), 0u)
      << plan.warnings[0];
  EXPECT_FALSE(plan.species[0].params.barkTextureLoaded || plan.species[0].params.leafTextureLoaded);
}

}  // namespace
}  // namespace vh
