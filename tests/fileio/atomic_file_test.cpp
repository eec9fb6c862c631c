#include "fileio/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <memory>

#include "fileio/dxf_export.h"
#include "fileio/file_error.h"
#include "fileio/obj_export.h"
#include "test_support.h"

namespace vh {
namespace {

// Limits the size of files this process writes, so that a write fails
// part-way the way a full disk makes it fail.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);  // get EFBIG instead of a signal
    rlimit limit = m_saved;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_handler);
  }

 private:
  rlimit m_saved{};
  void (*m_handler)(int) = nullptr;
};

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
  test::ScratchDir dir;
  const std::string path = dir.File("out.txt");
  test::WriteWholeFile(path, "old");
  {
    AtomicFile file(path);
    file.Write(std::string(3 * AtomicFile::kBufferSize, 'x'));  // forces real writes
  }
  EXPECT_EQ(test::ReadWholeFile(path), "old");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFile, WriteFailurePartWayKeepsTheOldFile) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.dxf");
  test::WriteWholeFile(path, "old dxf");
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(20000));  // several megabytes of DXF
  {
    FileSizeLimit limit(64 * 1024);
    try {
      ExportDXF(mesh, path);
      FAIL() << "the export did not notice the failed write";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(test::ReadWholeFile(path), "old dxf");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tree.dxf"});
}

TEST(AtomicFile, FailedObjWriteKeepsBothOldFiles) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.obj");
  test::WriteWholeFile(path, "old obj");
  test::WriteWholeFile(path + ".mtl", "old mtl");
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(40000));
  {
    FileSizeLimit limit(256 * 1024);
    EXPECT_THROW(ExportOBJ(mesh, path), FileError);
  }
  EXPECT_EQ(test::ReadWholeFile(path), "old obj");
  EXPECT_EQ(test::ReadWholeFile(path + ".mtl"), "old mtl");
  EXPECT_EQ(dir.Entries().size(), 2u);
}

// Bytes that differ from page to page and within one, for spotting a page
// written twice, late or not at all.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
  return bytes;
}

TEST(AtomicFile, LargeBlocksArriveWholeWhereverTheyLieInMemory) {
  // Large blocks whose pages line up with the file's skip the page cache;
  // the others go through it. Either way every byte arrives, the ones
  // before the first and after the last whole page too.
  const std::string content = Pattern(12 * 1024 * 1024 + 123);
  const std::size_t kPage = 4096;
  std::unique_ptr<char, decltype(&std::free)> memory(
      static_cast<char*>(std::aligned_alloc(kPage, (content.size() / kPage + 2) * kPage)), &std::free);
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

TEST(AtomicFile, FailedLargeWriteKeepsTheOldFile) {
  test::ScratchDir dir;
  const std::string path = dir.File("large.glb");
  test::WriteWholeFile(path, "old");
  const std::string content = Pattern(16 * 1024 * 1024);
  std::unique_ptr<char, decltype(&std::free)> block(static_cast<char*>(std::aligned_alloc(4096, content.size())),
                                                    &std::free);
  std::copy(content.begin(), content.end(), block.get());
  {
    FileSizeLimit limit(10 * 1024 * 1024);
    AtomicFile file(path);
    EXPECT_THROW(file.Write(std::string_view(block.get(), content.size())), FileError);
  }
  EXPECT_EQ(test::ReadWholeFile(path), "old");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"large.glb"});
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
