// Picture names in documents: relative to the document for pictures beside
// or below it (the round trip through a moved folder is in the app's file
// flow tests), and copies of pictures from elsewhere.
#include <filesystem>

#include "fileio/document_pictures.h"
#include "test_support.h"

namespace vh {
namespace {

namespace fs = std::filesystem;

struct NameCase {
  const char* picture;
  const char* stored;
};

TEST(DocumentPictures, PicturesWithinTheFolderAreNamedRelativeToIt) {
  const NameCase cases[] = {
      {"/data/A/bark.jpg", "bark.jpg"},           {"/data/A/textures/leaf.jpg", "textures/leaf.jpg"},
      {"/data/A/../A/sub/./x.bmp", "sub/x.bmp"},  {"/data/B/bark.jpg", "/data/B/bark.jpg"},
      {"/data/AB/bark.jpg", "/data/AB/bark.jpg"},  // a longer folder name is another folder
      {"/data/bark.jpg", "/data/bark.jpg"},       {"", ""},
  };
  for (const NameCase& c : cases) {
    TreeParameters params;
    params.barkTextureFile = c.picture;
    EXPECT_EQ(WithPicturesRelativeTo(params, "/data/A").barkTextureFile, c.stored) << c.picture;
  }
}

// Pictures outside the folder are copied into it under their own names; a
// file of that name with the same bytes is the copy already, one with other
// bytes is kept and the copy numbered.
TEST(DocumentPictures, CopiesPicturesFromElsewhereBesideTheDocument) {
  test::ScratchDir scratch;
  fs::create_directories(scratch.path() / "doc");
  test::WriteWholeFile(scratch.File("bark.jpg"), "bark bytes");
  test::WriteWholeFile(scratch.File("leaf.jpg"), "leaf bytes");
  test::WriteWholeFile(scratch.File("doc/bark.jpg"), "another bark");
  test::WriteWholeFile(scratch.File("doc/leaf.jpg"), "leaf bytes");
  TreeParameters params;
  params.barkTextureFile = scratch.File("bark.jpg");
  params.leafTextureFile = scratch.File("leaf.jpg");
  CopyPicturesInto(params, scratch.File("doc"));
  EXPECT_EQ(params.barkTextureFile, scratch.File("doc/bark-2.jpg"));
  EXPECT_EQ(test::ReadWholeFile(scratch.File("doc/bark-2.jpg")), "bark bytes");
  EXPECT_EQ(test::ReadWholeFile(scratch.File("doc/bark.jpg")), "another bark") << "kept";
  EXPECT_EQ(params.leafTextureFile, scratch.File("doc/leaf.jpg")) << "the same bytes are used";
  EXPECT_TRUE(PicturesOutside(params, scratch.File("doc")).empty());
}

}  // namespace
}  // namespace vh
