#include "foundations/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/file_size_limit.h"
#include "common/kept_files.h"
#include "common/scratch_dir.h"
#include "common/whole_file.h"

namespace vh {
namespace {

TEST(AtomicFile, CommitReplacesTheTarget) {
  test::ScratchDir dir;
  const std::string path = dir.File("out.txt");
  test::WriteWholeFile(path, "old");
  AtomicFile file(path);
  file.Write("new content");
  EXPECT_EQ(test::ReadWholeFile(path), "old");  // nothing visible before the commit
  file.Commit();
  EXPECT_EQ(test::ReadWholeFile(path), "new content");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFile, AbandonedFileLeavesNothingBehind) {
  test::KeptFiles kept;
  const std::string path = kept.Put("out.txt", "old");
  {
    AtomicFile file(path);
    file.Write(std::string(3 * AtomicFile::kBufferSize, 'x'));  // forces real writes
  }
  kept.ExpectUntouched();
}

TEST(AtomicFile, WriteFailureThrowsAndKeepsTheOldFile) {
  test::KeptFiles kept;
  const std::string path = kept.Put("out.txt", "old");
  test::ExpectFailedWriteNaming(path, 64 * 1024, [&] {
    AtomicFile file(path);
    file.Write(std::string(3 * AtomicFile::kBufferSize, 'x'));
    file.Commit();
  });
  kept.ExpectUntouched();
}

TEST(AtomicFile, ReplacedFileKeepsItsPermissions) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.vhm");
  test::WriteWholeFile(path, "old");
  ::chmod(path.c_str(), 0640);
  AtomicFile file(path);
  file.Write("new");
  file.Commit();
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  const mode_t mask = ::umask(022);
  AtomicFile fresh(dir.File("fresh.vhm"));
  fresh.Commit();
  ::umask(mask);
  ASSERT_EQ(::stat(dir.File("fresh.vhm").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace vh
