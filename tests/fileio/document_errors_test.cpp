// Bad documents: every failure is a DocumentError (or FileError) naming the
// file and the line, and a failed load changes nothing.
#include <gtest/gtest.h>

#include <sstream>

#include "common/kept_files.h"
#include "common/named_pipe.h"
#include "fileio/document.h"
#include "fileio/document_error.h"
#include "foundations/file_error.h"
#include "test_support.h"
#include "tree/parameter_table.h"

namespace vh {
namespace {

// Line numbers of the reference document below (1-based).
constexpr int kCountLine = 2;
constexpr int kFirstPointLine = 3;
constexpr int kLastParentLine = 15;
constexpr int kSeedLine = 16;
constexpr int kGlobalEndLine = 24;
constexpr int LevelLine(int level, int field) { return 25 + 27 * level + field; }  // field 0-based

std::string ReferenceDocument(bool wind = false, bool edits = false) {
  TreeParameters params;
  params.leafOutline = {{0, -20}, {10, 0}, {0, 30}};
  params.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}};
  params.wind.enabled = wind;
  if (edits)
    params.handEdits = {{HandEditKind::kRemove, {0, 1}},
                        {HandEditKind::kTurn, {0, 2, 1}, 20, -5},
                        {HandEditKind::kLength, {0, 3}, 0, 0, 0.5}};
  return FormatDocument(params);
}

// With wind on, the wind section follows the last level block.
constexpr int kWindHeaderLine = LevelLine(10, 26) + 1;
constexpr int WindLine(int field) { return kWindHeaderLine + 1 + field; }  // field 0-based

// With hand edits (and no wind), their section follows the last level block.
constexpr int kEditsHeaderLine = LevelLine(10, 26) + 1;
constexpr int EditLine(int edit) { return kEditsHeaderLine + 2 + edit; }  // edit 0-based; the count before
constexpr int kEditsEndLine = EditLine(3);

std::string ReplaceLine(const std::string& text, int line, const std::string& content) {
  std::vector<std::string> lines = test::SplitLines(text);
  lines.at(static_cast<std::size_t>(line - 1)) = content;
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::string KeepLines(const std::string& text, int count) {
  std::vector<std::string> lines = test::SplitLines(text);
  std::string out;
  for (int i = 0; i < count; ++i) out += lines.at(static_cast<std::size_t>(i)) + "\n";
  return out;
}

struct BadDocument {
  const char* what;
  std::string text;
  int line;            // line the message must name
  const char* reason;  // part of the message
  // The first line is not the header: the message says the file does not
  // look like a document.
  bool notADocument = false;
};

std::vector<BadDocument> BadDocuments() {
  const std::string good = ReferenceDocument();
  const std::string windy = ReferenceDocument(true);
  const std::string edited = ReferenceDocument(false, true);
  return {
      {"empty file", "", 1, "ends where the header"},
      {"ends inside the global block", KeepLines(good, 20), 21, "ends where"},
      {"ends before 666", KeepLines(good, kGlobalEndLine - 1), kGlobalEndLine, "marker 666"},
      {"ends inside level 5", KeepLines(good, LevelLine(5, 10)), LevelLine(5, 10) + 1, "of level 5"},
      {"ends before the last 667", KeepLines(good, LevelLine(10, 26) - 1), LevelLine(10, 26), "marker 667"},
      {"word for the seed", ReplaceLine(good, kSeedLine, "abc"), kSeedLine, "found \"abc\""},
      {"number with trailing junk", ReplaceLine(good, kSeedLine, "12abc"), kSeedLine, "12abc"},
      {"word in a point", ReplaceLine(good, kFirstPointLine + 1, "0.5 x"), kFirstPointLine + 1,
       "found \"x\""},
      {"word before 666", ReplaceLine(good, kGlobalEndLine, "end"), kGlobalEndLine, "marker 666"},
      {"negative point count", ReplaceLine(good, kCountLine, "-1"), kCountLine, "outside 0..100000"},
      {"absurd point count", ReplaceLine(good, kCountLine, "2000000000"), kCountLine, "outside 0..100000"},
      {"point count beyond int", ReplaceLine(good, kCountLine, "99999999999"), kCountLine, "out of range"},
      {"NaN outline point", ReplaceLine(good, kFirstPointLine, "nan 0"), kFirstPointLine,
       "not a finite number"},
      {"infinite texture coordinate", ReplaceLine(good, kFirstPointLine + 1, "0 inf"), kFirstPointLine + 1,
       "not a finite number"},
      {"float overflow", ReplaceLine(good, kFirstPointLine, "1e50 0"), kFirstPointLine,
       "not a finite number"},
      {"absurd outline point", ReplaceLine(good, kFirstPointLine, "1e9 0"), kFirstPointLine, "outside"},
      {"lastParentLevel 10", ReplaceLine(good, kLastParentLine, "10"), kLastParentLine,
       "lastParentLevel is outside -1..8"},
      {"lastParentLevel -2", ReplaceLine(good, kLastParentLine, "-2"), kLastParentLine, "outside -1..8"},
      {"qualityAngle 0", ReplaceLine(good, LevelLine(3, 11), "0"), LevelLine(3, 11),
       "qualityAngle of level 3 is outside 1..1000"},
      {"huge qualityAngle", ReplaceLine(good, LevelLine(0, 11), "1000000000"), LevelLine(0, 11),
       "qualityAngle of level 0"},
      {"negative qualityHeight", ReplaceLine(good, LevelLine(1, 12), "-3"), LevelLine(1, 12),
       "qualityHeight of level 1"},
      {"negative inflateDeflate", ReplaceLine(good, LevelLine(2, 7), "-1"), LevelLine(2, 7),
       "inflateDeflate of level 2"},
      {"negative heightMin", ReplaceLine(good, LevelLine(0, 15), "-50"), LevelLine(0, 15),
       "heightMin of level 0"},
      {"huge nbChildrenMax", ReplaceLine(good, LevelLine(1, 14), "2000000000"), LevelLine(1, 14),
       "nbChildrenMax of level 1"},
      {"zero-length constant branch", ReplaceLine(good, LevelLine(2, 1), "-5"), LevelLine(2, 1),
       "baseLength of level 2"},
      {"binary garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 3, "number of leaf outline", true},
      {"shopping list", "Shopping list: Saturday\nbutter\nmilk\n", 2,
       "expected the number of leaf outline points (an integer), found \"butter\"", true},
      {"another header", ReplaceLine(ReplaceLine(good, 1, "Verdanthollow v3.0 File"), kSeedLine, "abc"),
       kSeedLine, "found \"abc\"", true},
      {"wind section cut short", KeepLines(windy, WindLine(2)), WindLine(3),
       "ends where the wind turbulence in the wind section is due"},
      {"wind section without its end", KeepLines(windy, WindLine(5)), WindLine(6), "marker 668"},
      {"wind strength 101", ReplaceLine(windy, WindLine(0), "101"), WindLine(0),
       "the wind strength in the wind section is outside 0..100"},
      {"word for the loop length", ReplaceLine(windy, WindLine(5), "long"), WindLine(5), "found \"long\""},
      {"no hand edit count", ReplaceLine(edited, kEditsHeaderLine + 1, "many"), kEditsHeaderLine + 1,
       "expected the number of hand edits (an integer), found \"many\""},
      {"zero hand edits", ReplaceLine(edited, kEditsHeaderLine + 1, "0"), kEditsHeaderLine + 1,
       "the number of hand edits, 0, is outside 1..100000"},
      {"more edits counted than there are", ReplaceLine(edited, kEditsHeaderLine + 1, "4"), kEditsEndLine,
       "expected hand edit 4 (remove, turn or length), found \"669\""},
      {"fewer edits counted than there are", ReplaceLine(edited, kEditsHeaderLine + 1, "2"), EditLine(2),
       "expected the end marker 669 after 2 hand edits, found \"length\""},
      {"hand edits cut short", KeepLines(edited, EditLine(1)), EditLine(2), "ends where hand edit 3 is due"},
      {"hand edits without their end", KeepLines(edited, EditLine(2)), kEditsEndLine,
       "ends where the end marker 669 of the hand edits is due"},
      {"unknown kind", ReplaceLine(edited, EditLine(0), "cut 0/1"), EditLine(0),
       "expected hand edit 1 (remove, turn or length), found \"cut\""},
      {"malformed place", ReplaceLine(edited, EditLine(0), "remove 0/x"), EditLine(0),
       "the branch of hand edit 1, \"0/x\", is not a place like 0/4/1"},
      {"place too deep", ReplaceLine(edited, EditLine(0), "remove 0/0/0/0/0/0/0/0/0/0/0/0"), EditLine(0),
       "is not a place like 0/4/1 (at most 11 indices 0..999 joined by slashes)"},
      {"turn without its second angle", ReplaceLine(edited, EditLine(1), "turn 0/2/1 20"), EditLine(2),
       "expected the angle away of hand edit 2 (a number), found \"length\""},
      {"word for an angle", ReplaceLine(edited, EditLine(1), "turn 0/2/1 left 5"), EditLine(1),
       "expected the angle around of hand edit 2 (a number), found \"left\""},
      {"infinite angle", ReplaceLine(edited, EditLine(1), "turn 0/2/1 inf 5"), EditLine(1),
       "the value \"inf\" of the angle around of hand edit 2 is not a finite number"},
      {"angle beyond a turn", ReplaceLine(edited, EditLine(1), "turn 0/2/1 20 -181"), EditLine(1),
       "hand edit 2, the turn of 0/2/1: the angle away -181 lies outside -180..180"},
      {"zero length factor", ReplaceLine(edited, EditLine(2), "length 0/3 0"), EditLine(2),
       "hand edit 3, the length of 0/3: the factor 0 lies outside 0.01..100"},
  };
}

TEST(DocumentErrors, NameTheFileAndTheLine) {
  for (const BadDocument& bad : BadDocuments()) {
    std::istringstream in(bad.text);
    try {
      ParseDocument(in, "bad.vhm", TreeParameters());
      ADD_FAILURE() << bad.what << ": no error";
    } catch (const DocumentError& error) {
      const std::string message = error.what();
      EXPECT_EQ(error.line(), bad.line) << bad.what << ": " << message;
      EXPECT_NE(message.find("bad.vhm, line " + std::to_string(bad.line) + ": "), std::string::npos)
          << bad.what << ": " << message;
      EXPECT_NE(message.find(bad.reason), std::string::npos) << bad.what << ": " << message;
      EXPECT_EQ(message.find("; this does not look like a Verdanthollow document (its first line is not "
                             "\"Verdanthollow v2.0 File\")") != std::string::npos,
                bad.notADocument)
          << bad.what << ": " << message;
    }
  }
}

// The reader and CheckGrowable share the parameter table: whatever a level
// line may hold is grown, and one past either end is refused at that line.
TEST(DocumentErrors, WhatTheReaderAcceptsCanBeGrown) {
  const std::string good = ReferenceDocument();
  for (int index = 0; index < kLevelFieldCount; ++index) {
    const LevelField& field = LevelFields()[static_cast<std::size_t>(index)];
    if (field.kind != FieldKind::kInteger) continue;
    const int line = LevelLine(4, index);
    const IntRange range = field.accepted;
    for (const int value : {range.minimum, range.maximum, 0}) {
      if (!range.Contains(Guarded(field, value))) continue;
      std::istringstream in(ReplaceLine(good, line, std::to_string(value)));
      const TreeParameters read = ParseDocument(in, "edge.vhm", TreeParameters());
      EXPECT_EQ(read.levels[4].*field.integer, Guarded(field, value)) << field.name;
      EXPECT_EQ(CheckGrowable(read), "") << field.name << " " << value;
    }
    for (long long beyond : {range.minimum - 1LL, range.maximum + 1LL}) {
      if (beyond == 0 && field.zeroMeans != 0) beyond = -1;  // a guarded 0 is read
      std::istringstream in(ReplaceLine(good, line, std::to_string(beyond)));
      try {
        ParseDocument(in, "edge.vhm", TreeParameters());
        ADD_FAILURE() << field.name << " " << beyond << " was read";
      } catch (const DocumentError& error) {
        EXPECT_EQ(error.line(), line) << field.name << ": " << error.what();
      }
    }
  }
}

TEST(DocumentErrors, MissingFileIsAFileErrorNamingIt) {
  test::ScratchDir dir;
  const std::string path = dir.File("missing.vhm");
  try {
    ReadDocumentFile(path, TreeParameters());
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

TEST(DocumentErrors, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
  test::ScratchDir dir;
  const test::NamedPipe pipe(dir.File("tree.vhm"));
  try {
    ReadDocumentFile(pipe.path(), TreeParameters());
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_EQ(std::string(error.what()), test::NotAFile(pipe.path(), "a named pipe"));
  }
  EXPECT_FALSE(pipe.ReleasedAReader());
}

TEST(DocumentErrors, FailedLoadLeavesTheParametersUntouched) {
  test::ScratchDir dir;
  TreeParameters params(0);
  params.seed = 99;
  const TreeParameters before = params;

  for (const BadDocument& bad : BadDocuments()) {
    const std::string path = dir.File("bad.vhm");
    test::WriteWholeFile(path, bad.text);
    EXPECT_THROW(params = ReadDocumentFile(path, params), DocumentError) << bad.what;
    EXPECT_TRUE(params == before) << bad.what;
  }
  EXPECT_THROW(params = ReadDocumentFile(dir.File("missing.vhm"), params), FileError);
  EXPECT_TRUE(params == before);
}

TEST(DocumentErrors, FailedSaveKeepsTheOldFile) {
  test::KeptFiles kept;
  const std::string path = kept.Put("keep.vhm", "precious\n");
  TreeParameters params;
  params.materialPrefix = "bad\nprefix";
  EXPECT_THROW(SaveDocument(params, path), std::runtime_error);
  EXPECT_THROW(SaveDocument(TreeParameters(), kept.dir.File("no/such/dir/tree.vhm")), FileError);
  kept.ExpectUntouched();
}

}  // namespace
}  // namespace vh
