#include "foundations/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

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

// Bytes that differ from page to page and within one, for spotting a page
// written twice, late or not at all.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
  return bytes;
}

// Page-aligned memory of at least `bytes`, as aligned_alloc wants it asked:
// a whole number of pages.
std::unique_ptr<char, decltype(&std::free)> PageAligned(std::size_t bytes) {
  constexpr std::size_t kPage = 4096;
  return {static_cast<char*>(std::aligned_alloc(kPage, (bytes / kPage + 1) * kPage)), &std::free};
}

TEST(AtomicFile, LargeBlocksArriveWholeWhereverTheyLieInMemory) {
  // Large blocks whose pages line up with the file's skip the page cache;
  // the others go through it. Either way every byte arrives, the ones
  // before the first and after the last whole page too.
  const std::string content = Pattern(12 * 1024 * 1024 + 123);
  const auto memory = PageAligned(content.size() + 8);
  for (const std::size_t shift : {std::size_t{3}, std::size_t{5}}) {
    // After 3 bytes in the file, a block at 3 bytes past a page lines up.
    char* block = memory.get() + shift;
    std::copy(content.begin() + 3, content.end(), block);
    test::ScratchDir dir;
    const std::string path = dir.File("large.glb");
    AtomicFile file(path);
    file.Write(std::string_view(content.data(), 3));
    file.Write(std::string_view(block, content.size() - 3));
    file.Write("end");
    file.Commit();
    EXPECT_TRUE(test::ReadWholeFile(path) == content + "end") << "block " << shift << " bytes past a page";
  }
}

TEST(AtomicFile, WritesOutOfOrderLandWhereTheySay) {
  // A file built in memory and written in pieces in any order, large ones
  // that skip the page cache and small ones that do not, and a hole never
  // written, which reads as zeros.
  const std::string content = Pattern(9 * 1024 * 1024 + 321);
  const auto memory = PageAligned(content.size());
  std::copy(content.begin(), content.end(), memory.get());
  const std::size_t hole = 5 * 4096 + 17, holeEnd = 5 * 4096 + 4000;
  const std::vector<std::pair<std::size_t, std::size_t>> pieces = {
      {4 * 1024 * 1024, content.size()}, {holeEnd, 4 * 1024 * 1024}, {100, hole}, {0, 100}};
  test::ScratchDir dir;
  const std::string path = dir.File("pieces.glb");
  AtomicFile file(path);
  file.Write("ignored");  // overwritten by the later piece at 0
  for (const auto& [begin, end] : pieces)
    file.WriteAt(begin, std::string_view(memory.get() + begin, end - begin));
  file.Commit();
  std::string expected = content;
  std::fill(expected.begin() + hole, expected.begin() + holeEnd, '\0');
  EXPECT_TRUE(test::ReadWholeFile(path) == expected);
}

TEST(AtomicFile, FailedLargeWriteKeepsTheOldFile) {
  test::KeptFiles kept;
  const std::string path = kept.Put("large.glb", "old");
  const std::string content = Pattern(16 * 1024 * 1024);
  const auto block = PageAligned(content.size());
  std::copy(content.begin(), content.end(), block.get());
  test::ExpectFailedWriteNaming(path, 10 * 1024 * 1024, [&] {
    AtomicFile file(path);
    file.Write(std::string_view(block.get(), content.size()));
    file.Commit();
  });
  kept.ExpectUntouched();
}

// How many of this process's open files are `path` after it was deleted
// or replaced.
int OpenDeletedFiles(const std::string& path) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (!error && target == path + " (deleted)") ++count;
  }
  return count;
}

TEST(AtomicFile, ReplacedLargeFileIsFreedSoonAfter) {
  // The replaced file is closed on a thread of its own; it must not stay
  // open (its blocks would never be freed).
  test::ScratchDir dir;
  const std::string path = dir.File("large.glb");
  test::WriteWholeFile(path, Pattern(AtomicFile::kLargeFile));
  AtomicFile file(path);
  file.Write("new");
  file.Commit();
  EXPECT_EQ(test::ReadWholeFile(path), "new");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"large.glb"});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (OpenDeletedFiles(path) > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(OpenDeletedFiles(path), 0);
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
