// Inputs that are not files (named pipes, devices, folders) given to the
// command-line tool: each is refused at once with a message naming it and
// what it is; a picture a document names is left out with a warning, as a
// missing one is. Every run has a time limit, so that a tool waiting on a
// pipe fails the test instead of hanging it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/named_pipe.h"
#include "common/run_tool.h"
#include "common/scratch_dir.h"
#include "fileio/document.h"

namespace vh {
namespace {

using test::Quoted;
using test::RunTool;

constexpr int kSeconds = 20;  // far more than any of these runs takes

struct Case {
  std::string arguments;
  std::string message;  // part of stderr
};

TEST(CliNotFiles, AreRefusedAtOnceNamingThePathAndWhatItIs) {
  test::ScratchDir dir;
  const test::NamedPipe picture(dir.File("leaf.bmp"), std::chrono::seconds(kSeconds + 5));
  const test::NamedPipe document(dir.File("tree.vhm"), std::chrono::seconds(kSeconds + 5));
  std::filesystem::create_directory(dir.File("photo.jpg"));
  const std::string out = " " + Quoted(dir.File("out.glb"));
  const Case cases[] = {
      {"export " + Quoted(document.path()) + " -o" + out, test::NotAFile(document.path(), "a named pipe")},
      {"info " + Quoted(document.path()), test::NotAFile(document.path(), "a named pipe")},
      {"forest " + Quoted(document.path()) + " -o" + out,
       "cannot read the forest description '" + document.path() + "': it is a named pipe, not a file"},
      {"bark-tile " + Quoted(picture.path()) + out, test::PictureNotAFile(picture.path(), "a named pipe")},
      {"bark-tile " + Quoted(dir.File("photo.jpg")) + out,
       test::PictureNotAFile(dir.File("photo.jpg"), "a folder")},
      {"bark-tile /dev/urandom" + out, test::PictureNotAFile("/dev/urandom", "a character device")},
  };
  for (const Case& c : cases) {
    const test::ToolRun run = RunTool(c.arguments, kSeconds);
    EXPECT_NE(run.status, 124) << c.arguments << ": still waiting after " << kSeconds << " s";
    EXPECT_NE(run.status, 0) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.glb"))) << c.arguments;
  }
  EXPECT_FALSE(picture.ReleasedAReader());
  EXPECT_FALSE(document.ReleasedAReader());
}

TEST(CliNotFiles, ADocumentsPicturesThatAreNotFilesAreLeftOutAtOnce) {
  test::ScratchDir dir;
  const test::NamedPipe picture(dir.File("leaf.bmp"), std::chrono::seconds(kSeconds + 5));
  TreeParameters params(2);
  params.leafTextureLoaded = true;
  params.leafTextureFile = picture.path();
  SaveDocument(params, dir.File("pipe-leaves.vhm"));
  params.leafTextureFile = "/dev/zero";
  SaveDocument(params, dir.File("device-leaves.vhm"));
  const std::string out = " -o " + Quoted(dir.File("out.glb"));
  const Case cases[] = {
      {"export " + Quoted(dir.File("pipe-leaves.vhm")) + out,
       "the leaf picture '" + picture.path() + "' is missing (it is a named pipe, not a file)"},
      {"export " + Quoted(dir.File("device-leaves.vhm")) + out,
       "the leaf picture '/dev/zero' is missing (it is a character device, not a file)"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(dir.File("out.glb"));
    const test::ToolRun run = RunTool(c.arguments, kSeconds);
    EXPECT_EQ(run.status, 0) << c.arguments << ": " << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("out.glb"))) << c.arguments;
  }
  EXPECT_FALSE(picture.ReleasedAReader());
}

}  // namespace
}  // namespace vh
