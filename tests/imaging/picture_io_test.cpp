#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/named_pipe.h"
#include "imaging/bmp.h"
#include "imaging/jpeg.h"
#include "imaging/picture_file.h"
#include "imaging/picture_io.h"
#include "picture_test_support.h"

namespace vh {
namespace {

TEST(PictureIo, ChoosesBmpByTheLowerCasedExtensionOnly) {
  const struct {
    const char* name;
    bool bmp;
  } cases[] = {
      {"bark.bmp", true},           {"BARK.BMP", true},   {"dir/x.Bmp", true},     {"bark.jpg", false},
      {"bark.JPG", false},          {"bark.jpeg", false}, {"bark.bmp.jpg", false}, {"bark", false},
      {"pictures.bmp/bark", false}, {"bark.bmpx", false}, {".bmp", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsBmpFileName(c.name), c.bmp) << c.name;
}

TEST(PictureIo, SavesAndLoadsByExtension) {
  test::PictureScratchDir dir;
  const Image image = test::PatternImage(20, 10);
  for (const char* name : {"a.bmp", "b.BMP", "c.jpg", "d.JPEG", "e.png"}) {
    const std::string path = dir.File(name);
    SavePicture(path, image);
    const auto bytes = test::ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u) << name;
    const bool bmp = IsBmpFileName(path);
    EXPECT_EQ(bytes[0], bmp ? 'B' : 0xFF) << name;  // "BM" or the JPEG start marker
    const Image back = LoadPicture(path);
    EXPECT_EQ(back.width, 20);
    EXPECT_EQ(back.height, 10);
    if (bmp) {
      EXPECT_EQ(back.pixels, image.pixels) << name;
    }
  }
}

TEST(PictureIo, ReadsByNameNotByContent) {
  test::PictureScratchDir dir;
  const std::string path = dir.File("really-a-bmp.jpg");
  test::WriteBytes(path, EncodeBMP(test::PatternImage(4, 4)));
  try {
    LoadPicture(path);
    FAIL() << "a BMP named .jpg was read";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

TEST(PictureIo, FailedSaveLeavesThePreviousFileAndNoLeftovers) {
  test::PictureScratchDir dir;
  const std::string path = dir.File("tile.bmp");
  SavePicture(path, test::PatternImage(6, 6));
  const auto before = test::ReadBytes(path);
  EXPECT_THROW(SavePicture(path, Image()), PictureError);
  EXPECT_EQ(test::ReadBytes(path), before);
  EXPECT_THROW(SavePicture(dir.File("no/such/dir/tile.jpg"), test::PatternImage(6, 6)), PictureError);
  // Only the one good file is left: no temporary files.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.File(""))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

// The message LoadPicture throws for `path`, or "read" when it reads it.
std::string LoadingMessage(const std::string& path) {
  try {
    LoadPicture(path);
    return "read";
  } catch (const PictureError& error) {
    return error.what();
  }
}

TEST(PictureIo, NamedPipesAreRefusedWithoutWaitingForAWriter) {
  test::PictureScratchDir dir;
  for (const char* name : {"leaf.bmp", "bark.jpg"}) {
    const test::NamedPipe pipe(dir.File(name));
    EXPECT_EQ(LoadingMessage(pipe.path()), test::PictureNotAFile(pipe.path(), "a named pipe"));
    EXPECT_FALSE(pipe.ReleasedAReader()) << name;
  }
}

TEST(PictureIo, FilesLargerThanTheLargestPictureAreRefusedUnread) {
  // Sparse files: their size costs no disk, but reading them would cost
  // their size in memory.
  test::PictureScratchDir dir;
  const struct {
    const char* name;
    std::uint64_t size;
    std::string message;
  } cases[] = {
      {"huge.bmp", kMaxBmpFileBytes + 1,
       "the file is too large for a BMP picture (1073807361 bytes; the largest BMP picture this program "
       "reads takes at most 1073807360)"},
      {"huge.jpg", kMaxJpegFileBytes + 1,
       "the file is too large for a JPEG picture (17196646401 bytes; the largest JPEG picture this program "
       "reads takes at most 17196646400)"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File(c.name);
    test::WriteBytes(path, {});
    std::filesystem::resize_file(path, c.size);
    EXPECT_EQ(LoadingMessage(path), path + ": " + c.message);
  }
}

TEST(PictureIo, PictureSizeLimits) {
  EXPECT_NO_THROW(CheckPictureSize(1, 1, "x"));
  EXPECT_NO_THROW(CheckPictureSize(kMaxPictureSide, 4096, "x"));
  EXPECT_THROW(CheckPictureSize(0, 5, "x"), PictureError);
  EXPECT_THROW(CheckPictureSize(5, -1, "x"), PictureError);
  EXPECT_THROW(CheckPictureSize(kMaxPictureSide + 1, 1, "x"), PictureError);
  EXPECT_THROW(CheckPictureSize(kMaxPictureSide, kMaxPictureSide, "x"), PictureError);
}

}  // namespace
}  // namespace vh
