// What a write that never finished (its process killed) leaves behind:
// nothing where the file system has unnamed files, otherwise a hidden file
// named after its target, which the next write to that target removes -
// but never the file of a writer still at work.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "common/whole_file.h"
#include "foundations/atomic_file.h"

namespace vh {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Run once with unnamed temporary files and once with files named from the
// start, as on file systems without unnamed ones.
class TemporaryFiles : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (Named()) ::setenv("VH_NAMED_TEMPORARY_FILES", "1", 1);
  }
  void TearDown() override { ::unsetenv("VH_NAMED_TEMPORARY_FILES"); }
  static bool Named() { return GetParam(); }
};

TEST_P(TemporaryFiles, AWriteAtWorkShowsAtMostAHiddenFileNamedAfterItsTarget) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.glb");
  test::WriteWholeFile(path, "old");
  AtomicFile file(path);
  file.Write(std::string(3 * AtomicFile::kBufferSize, 'x'));  // forces real writes
  std::vector<std::string> entries = Sorted(dir.Entries());
  if (Named()) {
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(std::regex_match(entries[0], std::regex(R"(\.tree\.glb\.[A-Za-z0-9]{6}\.partial)")))
        << entries[0];
  } else {
    EXPECT_EQ(entries, std::vector<std::string>{"tree.glb"});
  }
  file.Commit();
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tree.glb"});
  EXPECT_EQ(test::ReadWholeFile(path).size(), 3 * AtomicFile::kBufferSize);
}

TEST_P(TemporaryFiles, TheNextWriteRemovesWhatKilledWritesLeftAndNothingElse) {
  test::ScratchDir dir;
  const std::vector<std::string> abandoned = {".tree.glb.AbC123.partial", ".tree.glb.zzzzzz.partial"};
  const std::vector<std::string> others = {
      ".tree.glb.AbC12.partial",    // too few letters
      ".tree.glb.AbC1234.partial",  // too many
      ".tree.glb.Ab-123.partial",   // not a letter or digit
      "tree.glb.AbC123.partial",    // not hidden
      ".tree.glb.AbC123.partia",    // another ending
      ".other.glb.AbC123.partial",  // another target's
      ".tree.glb.HeLd00.partial",   // held by a writer at work (below)
  };
  for (const std::string& name : abandoned) test::WriteWholeFile(dir.File(name), "half");
  for (const std::string& name : others) test::WriteWholeFile(dir.File(name), "kept");
  const int held = ::open(dir.File(".tree.glb.HeLd00.partial").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);

  AtomicFile file(dir.File("tree.glb"));
  file.Write("new");
  file.Commit();
  ::close(held);
  std::vector<std::string> expected = others;
  expected.push_back("tree.glb");
  EXPECT_EQ(Sorted(dir.Entries()), Sorted(expected));
  for (const std::string& name : others) EXPECT_EQ(test::ReadWholeFile(dir.File(name)), "kept") << name;
}

TEST_P(TemporaryFiles, WritersOfTheSameTargetLeaveEachOthersFilesAlone) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.vhm");
  AtomicFile first(path);
  first.Write("first");
  {
    AtomicFile second(path);
    second.Write("second");
    second.Commit();
  }
  EXPECT_EQ(test::ReadWholeFile(path), "second");
  first.Commit();
  EXPECT_EQ(test::ReadWholeFile(path), "first");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tree.vhm"});
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, TemporaryFiles, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "NamedFromTheStart" : "UnnamedUntilComplete";
                         });

}  // namespace
}  // namespace vh
