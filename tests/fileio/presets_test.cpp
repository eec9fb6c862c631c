// The preset library: where it is found, what it lists, and how a preset's
// picture names are anchored to its folder.
#include <filesystem>

#include "fileio/presets.h"
#include "foundations/file_error.h"
#include "test_support.h"

namespace vh {
namespace {

// A folder with two presets, a stray file and a folder named like a preset.
class PresetFolder : public testing::Test {
 protected:
  void SetUp() override {
    TreeParameters withPictures;
    withPictures.barkTextureFile = "oak-bark.jpg";
    withPictures.leafTextureFile = "/pictures/oak-leaf.jpg";
    withPictures.barkTextureLoaded = withPictures.leafTextureLoaded = true;
    withPictures.seed = 31;
    SaveDocument(withPictures, scratch.File("oak.vhm"));
    SaveDocument(TreeParameters(), scratch.File("birch.vhm"));
    test::WriteWholeFile(scratch.File("notes.txt"), "not a preset\n");
    std::filesystem::create_directory(scratch.File("folder.vhm"));
  }
  test::ScratchDir scratch;
};

TEST_F(PresetFolder, ListsTheDocumentsSortedByName) {
  const PresetLibrary library(scratch.path().string());
  EXPECT_EQ(library.Names(), (std::vector<std::string>{"birch", "oak"}));
  EXPECT_EQ(library.PathOf("oak"), scratch.File("oak.vhm"));
}

TEST_F(PresetFolder, AnchorsRelativePictureNamesToTheFolder) {
  const TreeParameters oak = PresetLibrary(scratch.path().string()).Read("oak", TreeParameters());
  EXPECT_EQ(oak.seed, 31);
  EXPECT_EQ(oak.barkTextureFile, (std::filesystem::absolute(scratch.path()) / "oak-bark.jpg").string());
  EXPECT_EQ(oak.leafTextureFile, "/pictures/oak-leaf.jpg") << "an absolute name stays";
  const TreeParameters birch = PresetLibrary(scratch.path().string()).Read("birch", TreeParameters());
  EXPECT_EQ(birch.barkTextureFile, "") << "no picture stays no picture";
}

TEST_F(PresetFolder, AnUnknownNameListsTheKnownOnes) {
  const PresetLibrary library(scratch.path().string());
  try {
    library.Read("maple", TreeParameters());
    FAIL() << "an unknown preset was read";
  } catch (const FileError& error) {
    EXPECT_STREQ(error.what(), "there is no preset 'maple'; the presets are birch, oak");
  }
  EXPECT_THROW(library.PathOf("notes"), FileError);
  EXPECT_THROW(library.PathOf("folder"), FileError) << "a folder is not a preset";
}

TEST(PresetLibrary, AMissingFolderHoldsNothing) {
  const PresetLibrary library("/no/such/folder");
  EXPECT_TRUE(library.Names().empty());
  try {
    library.PathOf("oak");
    FAIL();
  } catch (const FileError& error) {
    EXPECT_STREQ(error.what(), "there is no preset 'oak' (no presets in '/no/such/folder')");
  }
}

TEST(PresetLibrary, IsLookedForBesideTheProgramAndAtTheTopOfTheBuildFolder) {
  EXPECT_EQ(PresetLibrary::Candidates("/usr/local/bin"),
            (std::vector<std::string>{"/usr/local/share/verdanthollow/presets",
                                      "/usr/share/verdanthollow/presets"}));
  test::ScratchDir scratch;
  const std::filesystem::path share = scratch.path() / "share" / "verdanthollow" / "presets";
  EXPECT_THROW(PresetLibrary::Find((scratch.path() / "bin").string()), FileError);
  std::filesystem::create_directories(share);
  EXPECT_EQ(PresetLibrary::Find((scratch.path() / "bin").string()).Folder(), share.string());
  EXPECT_EQ(PresetLibrary::Find((scratch.path() / "src" / "cli").string()).Folder(), share.string());
}

TEST(PresetLibrary, NotFoundSaysWhereItLooked) {
  try {
    PresetLibrary::Find("/no/such/bin");
    FAIL();
  } catch (const FileError& error) {
    EXPECT_STREQ(error.what(),
                 "the species presets are not installed; looked in '/no/such/share/verdanthollow/presets' "
                 "'/no/share/verdanthollow/presets'");
  }
}

TEST(PresetLibrary, TitlesReadAsWords) {
  EXPECT_EQ(PresetTitle("broadleaf-oak"), "Broadleaf oak");
  EXPECT_EQ(PresetTitle("palm"), "Palm");
  EXPECT_EQ(PresetTitle(""), "");
}

TEST(PresetLibrary, TheRunningProgramIsFound) {
  const std::string folder = RunningProgramDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace vh
