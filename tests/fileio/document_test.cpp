#include "fileio/document.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "test_support.h"
#include "tree/parameter_table.h"

namespace vh {
namespace {

TreeParameters Parse(const std::string& text, const TreeParameters& base = TreeParameters()) {
  std::istringstream in(text);
  return ParseDocument(in, "test.vhm", base);
}

// Random parameter set inside the control ranges, with outline values that
// six decimals hold exactly (multiples of 1/64).
TreeParameters RandomParameters(std::mt19937& random) {
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  TreeParameters params(between(-1, 8));
  params.seed = between(-100000, 100000);
  const int points = between(0, 12);
  for (int i = 0; i < points; ++i) {
    params.leafOutline.push_back({between(-6400, 6400) / 64.0f, between(-6400, 6400) / 64.0f});
    params.leafTexCoords.push_back({between(0, 64) / 64.0f, between(0, 64) / 64.0f});
  }
  params.leafBending = between(1, 100);
  params.barkTextureLoaded = between(0, 1) == 1;
  params.leafTextureLoaded = between(0, 1) == 1;
  params.noLeavesOnTrunk = between(0, 1) == 1;
  params.barkTextureFile = "C:\\bark\\oak " + std::to_string(between(0, 99)) + ".jpg";
  params.leafTextureFile = between(0, 1) ? "" : "/home/me/leaf.bmp";
  params.materialPrefix = between(0, 1) ? "Material" : "Oak";
  params.leafTexTranslateX = between(-300, 300);
  params.leafTexTranslateY = between(-300, 300);
  params.leafTexRotate = between(0, 360);
  params.leafTexScale = between(1, 1000);
  params.uScale = between(0, 100);
  params.vScale = between(0, 100);
  if (between(0, 1) == 1) {
    params.wind.enabled = true;
    for (const WindField& field : WindFields())
      params.wind.*field.integer = between(field.accepted.minimum, field.accepted.maximum);
  }
  // Hand edits with values no short decimal holds: they must read back exactly.
  const int edits = between(0, 1) * between(1, 5);
  for (int i = 0; i < edits; ++i) {
    HandEdit edit{static_cast<HandEditKind>(between(0, 2)),
                  BranchPath(static_cast<std::size_t>(between(1, 11)))};
    for (int& index : edit.branch) index = between(0, kMaxEditIndex);
    edit.around = std::uniform_real_distribution<double>(-kMaxAround, kMaxAround)(random);
    edit.away = std::uniform_real_distribution<double>(-kMaxAway, kMaxAway)(random);
    edit.factor = std::uniform_real_distribution<double>(kMinLengthFactor, kMaxLengthFactor)(random);
    if (edit.kind != HandEditKind::kTurn) edit.around = edit.away = 0;
    if (edit.kind != HandEditKind::kLength) edit.factor = 1;
    params.handEdits.push_back(edit);
  }
  for (LevelParameters& level : params.levels) {
    for (const LevelField& field : LevelFields()) {
      if (field.flag != nullptr)
        level.*field.flag = between(0, 1) == 1;
      else
        level.*field.integer =
            between(std::max(field.accepted.minimum, -200), std::min(field.accepted.maximum, 200));
    }
  }
  return params;
}

TEST(Document, SavesDefaultTreeByteForByte) {
  const std::string expected = test::ReadWholeFile(VH_TEST_DATA_DIR "/default_tree.vhm");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(FormatDocument(TreeParameters()), expected);
}

TEST(Document, CompleteDocumentHasOneLinePerValue) {
  TreeParameters params;
  params.leafOutline = {{1, 2}, {3, 4}, {5, 6}};
  params.leafTexCoords = {{0.25f, 0.5f}, {1, 0}, {0, 1}};
  const std::vector<std::string> lines = test::SplitLines(FormatDocument(params));
  ASSERT_EQ(lines.size(), 1u + 1 + 2 * 3 + 16 + 11 * 27);
  EXPECT_EQ(lines[1], "3");
  EXPECT_EQ(lines[2], "1.000000 2.000000");
  EXPECT_EQ(lines[3], "0.250000 0.500000");
}

// Wind adds its section after the last level block and nothing else;
// without wind the document ends there, whatever the other wind settings.
TEST(Document, WindSectionFollowsTheLevelBlocksOnlyWhileWindIsOn) {
  TreeParameters calm;
  calm.wind.strength = 90;
  const std::string withoutWind = FormatDocument(calm);
  EXPECT_EQ(withoutWind, FormatDocument(TreeParameters()));

  TreeParameters windy = calm;
  windy.wind.enabled = true;
  windy.wind.loopLength = 120;
  const std::string withWind = FormatDocument(windy);
  ASSERT_EQ(withWind.compare(0, withoutWind.size(), withoutWind), 0);
  EXPECT_EQ(withWind.substr(withoutWind.size()), "Wind\n90\n0\n25\n30\n50\n120\n668\n");
  EXPECT_EQ(Parse(withWind).wind, windy.wind);
}

TEST(Document, HandEditSectionComesLastAndOnlyWithEdits) {
  TreeParameters windy;
  windy.wind.enabled = true;
  const std::string without = FormatDocument(windy);
  TreeParameters edited = windy;
  edited.handEdits = {{HandEditKind::kRemove, {0, 3, 1}},
                      {HandEditKind::kTurn, {0, 2}, 15.5, -0.1},
                      {HandEditKind::kLength, {0}, 0, 0, 0.3333333333333333}};
  const std::string with = FormatDocument(edited);
  ASSERT_EQ(with.compare(0, without.size(), without), 0);
  EXPECT_EQ(with.substr(without.size()),
            "HandEdits\n3\nremove 0/3/1\nturn 0/2 15.5 -0.1\nlength 0 0.3333333333333333\n669\n");
  EXPECT_EQ(Parse(with).handEdits, edited.handEdits);
  // Without wind the section follows the last level block.
  edited.wind.enabled = false;
  EXPECT_EQ(Parse(FormatDocument(edited)).handEdits, edited.handEdits);
  EXPECT_EQ(Parse(without).handEdits, std::vector<HandEdit>());
}

// Documents from before wind, even with something after their last level
// block, load as they did: without wind, whatever the base had.
TEST(Document, ADocumentWithoutAWindSectionLoadsWithoutWind) {
  TreeParameters base;
  base.wind.enabled = true;
  base.wind.strength = 70;
  const std::string old = FormatDocument(TreeParameters());
  for (const std::string& tail :
       {std::string(), std::string("12 34\nnotes\n"), std::string("Windy 3\n"), std::string(300, 'x')}) {
    const TreeParameters loaded = Parse(old + tail, base);
    EXPECT_EQ(loaded.wind, WindSettings()) << tail;
    EXPECT_TRUE(test::SameParameters(loaded, TreeParameters())) << tail;
  }
}

TEST(Document, RoundTripKeepsEveryField) {
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    const TreeParameters params = RandomParameters(random);
    ASSERT_TRUE(test::SameParameters(Parse(FormatDocument(params)), test::AsLoaded(params)));
  }
}

TEST(Document, NamesKeepInnerSpacesButLoseOuterOnes) {
  TreeParameters params;
  params.barkTextureFile = "  C:\\My Pictures\\old oak bark.jpg \t";
  params.leafTextureFile = "/home/u/leaf pictures/maple.bmp";
  params.materialPrefix = "Oak Tree";
  const TreeParameters loaded = Parse(FormatDocument(params));
  EXPECT_EQ(loaded.barkTextureFile, "C:\\My Pictures\\old oak bark.jpg");
  EXPECT_EQ(loaded.leafTextureFile, params.leafTextureFile);
  EXPECT_EQ(loaded.materialPrefix, "Oak Tree");
}

TEST(Document, EmptyAndBlankNamesAreWrittenAsNullAndReadAsEmpty) {
  TreeParameters params;
  params.barkTextureFile = "";
  params.leafTextureFile = "   ";
  params.materialPrefix = "";
  const std::vector<std::string> lines = test::SplitLines(FormatDocument(params));
  EXPECT_EQ(lines[2], "(null)");
  EXPECT_EQ(lines[3], "(null)");
  EXPECT_EQ(lines[4], "(null)");
  const TreeParameters loaded = Parse(FormatDocument(params));
  EXPECT_EQ(loaded.barkTextureFile, "");
  EXPECT_EQ(loaded.leafTextureFile, "");
  EXPECT_EQ(loaded.materialPrefix, "");
  EXPECT_TRUE(loaded.levels == params.levels);
}

TEST(Document, LongNamesAreReadWhole) {
  TreeParameters params;
  params.barkTextureFile = "/" + std::string(600, 'b') + " bark.jpg";
  params.leafTextureFile = "/" + std::string(300, 'l') + ".jpg";
  const TreeParameters loaded = Parse(FormatDocument(params));
  EXPECT_EQ(loaded.barkTextureFile, params.barkTextureFile);
  EXPECT_EQ(loaded.leafTextureFile, params.leafTextureFile);
  EXPECT_EQ(loaded.materialPrefix, "Material");
}

TEST(Document, ZeroOutlinePointsEmptiesBothLists) {
  TreeParameters base;
  base.leafOutline = {{1, 1}, {2, 2}, {3, 3}};
  base.leafTexCoords = base.leafOutline;
  const TreeParameters loaded = Parse(FormatDocument(TreeParameters()), base);
  EXPECT_TRUE(loaded.leafOutline.empty());
  EXPECT_TRUE(loaded.leafTexCoords.empty());
}

TEST(Document, SentinelValuesInsideABlockAreValues) {
  TreeParameters params;
  params.levels[3].baseSize = 666;
  params.levels[3].qualityAngle = 667;
  params.leafTexScale = 666;
  const TreeParameters loaded = Parse(FormatDocument(params));
  EXPECT_EQ(loaded.levels[3].baseSize, 666);
  EXPECT_EQ(loaded.levels[3].qualityAngle, 667);
  EXPECT_EQ(loaded.leafTexScale, 666);
  EXPECT_TRUE(test::SameParameters(loaded, test::AsLoaded(params)));
}

TEST(Document, ExtraIntegersBeforeTheMarkersAreSkipped) {
  TreeParameters params;
  params.levels[2].leafScaling = 77;
  std::string text = FormatDocument(params);
  // Insert extra values before the global marker and before level 2's marker.
  text.replace(text.find("\n666\n"), 5, "\n1\n2 3\n666\n");
  std::size_t marker = 0;
  for (int i = 0; i < 3; ++i) marker = text.find("\n667\n", marker + 1);
  text.replace(marker, 5, "\n-5\n999\n667\n");
  EXPECT_TRUE(test::SameParameters(Parse(text), test::AsLoaded(params)));
}

TEST(Document, AnyWhiteSpaceSeparatesValues) {
  TreeParameters params;
  params.leafOutline = {{1.5f, -2}, {3, 4}, {5, 6}};
  params.leafTexCoords = {{0, 0}, {1, 0}, {0, 1}};
  std::string crlf;
  for (char c : FormatDocument(params)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(test::SameParameters(Parse(crlf), test::AsLoaded(params)));

  // Integers of the level blocks may share lines and be separated by tabs.
  std::string text = FormatDocument(params);
  const std::size_t levels = text.find("666\n") + 4;
  for (std::size_t i = levels; i < text.size() - 1; ++i)
    if (text[i] == '\n') text[i] = (i % 3 == 0) ? '\t' : ' ';
  EXPECT_TRUE(test::SameParameters(Parse(text), test::AsLoaded(params)));
}

TEST(Document, ZeroQualityHeightAndInflateDeflateAreReadAsTheGeneratorsGuards) {
  TreeParameters params;
  params.levels[4].qualityHeight = 0;
  params.levels[5].inflateDeflate = 0;
  const TreeParameters loaded = Parse(FormatDocument(params));
  EXPECT_EQ(loaded.levels[4].qualityHeight, 2);
  EXPECT_EQ(loaded.levels[5].inflateDeflate, 1);
  // ... and are saved back as such.
  const std::vector<std::string> lines = test::SplitLines(FormatDocument(loaded));
  const std::size_t levelStart = 18;  // header, N = 0, 16 global lines
  EXPECT_EQ(lines[levelStart + 4 * 27 + 12], "2");
  EXPECT_EQ(lines[levelStart + 5 * 27 + 7], "1");
}

TEST(Document, SaveWritesTheFileAndReplacesAnOldOne) {
  test::ScratchDir dir;
  const std::string path = dir.File("oak.vhm");
  test::WriteWholeFile(path, "old content that is longer than nothing\n");
  TreeParameters params;
  params.seed = 4242;
  SaveDocument(params, path);
  EXPECT_EQ(test::ReadWholeFile(path), FormatDocument(params));
  EXPECT_TRUE(test::SameParameters(ReadDocumentFile(path, TreeParameters()), test::AsLoaded(params)));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"oak.vhm"});
}

TEST(Document, SaveRefusesWhatCouldNotBeReadBack) {
  TreeParameters params;
  params.barkTextureFile = "two\nlines.jpg";
  EXPECT_THROW(FormatDocument(params), std::runtime_error);
  params = TreeParameters();
  params.leafOutline = {{std::nanf(""), 0}};
  params.leafTexCoords = {{0, 0}};
  EXPECT_THROW(FormatDocument(params), std::runtime_error);
  params.leafOutline = {{0, 0}};
  params.leafTexCoords = {};
  EXPECT_THROW(FormatDocument(params), std::runtime_error);
  params = TreeParameters();
  params.handEdits = {{HandEditKind::kTurn, {0, 1}, std::nan(""), 0}};
  EXPECT_THROW(FormatDocument(params), std::runtime_error);
}

}  // namespace
}  // namespace vh
