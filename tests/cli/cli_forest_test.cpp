// The "forest" command as a user runs it: the example it prints grows as it
// is into a valid file, bad descriptions are refused naming their line
// with nothing written, and Ctrl+C leaves no file behind.
#include <gtest/gtest.h>

#include "common/gltf_tools.h"
#include "common/run_tool.h"
#include "common/scratch_dir.h"
#include "common/whole_file.h"

namespace vh {
namespace {

using test::Quoted;

TEST(CliForest, TheExampleGrowsAsItIsIntoAValidFile) {
  test::ScratchDir dir;
  const test::ToolRun example = test::RunTool("forest --example");
  ASSERT_EQ(example.status, 0) << example.err;
  test::WriteWholeFile(dir.File("forest.txt"), example.out);
  const test::ToolRun run = test::RunTool("forest " + Quoted(dir.File("forest.txt")) + " -o " +
                                          Quoted(dir.File("forest.glb")) + " --threads 2");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "forest: 240 instances of 5 variants written to " + dir.File("forest.glb") + "\n");
  EXPECT_EQ(run.err, "");  // no progress line where the output is not a terminal
  test::ExpectValidGltf(dir.File("forest.glb"));
  EXPECT_EQ(dir.Entries().size(), 2u);
}

TEST(CliForest, BadDescriptionsAndArgumentsWriteNothing) {
  test::ScratchDir dir;
  test::WriteWholeFile(dir.File("broken.vhm"), "Verdanthollow v2.0 File\nbroken\n");
  const std::string ground = "area = 10 x 10\ncount = 30\n";
  const struct {
    std::string description;
    std::string arguments;
    std::string message;
  } cases[] = {
      {ground + "species = birch-of-dreams\n", "", "f.txt, line 3: unknown species 'birch-of-dreams'"},
      {"area = 10 x 10\ncount = -30\nspecies = conifer\n", "", "f.txt, line 2: count needs a whole number"},
      {ground + "spacing = 4\nspecies = conifer\n", "", "f.txt, line 3: a spacing of 4 cannot fit 30 trees"},
      {ground + "species = conifer\nspecies = broken.vhm\n", "", "f.txt, line 4: species 'broken.vhm': "},
      {ground + "species = conifer\n", "--instancing many", "--instancing needs gpu or nodes, not 'many'"},
      {ground + "species = conifer\n", "--threads -1", "--threads needs an integer from 0 to 1024"},
  };
  for (const auto& c : cases) {
    test::WriteWholeFile(dir.File("f.txt"), c.description);
    const test::ToolRun run = test::RunTool("forest " + Quoted(dir.File("f.txt")) + " -o " +
                                            Quoted(dir.File("forest.glb")) + " " + c.arguments);
    EXPECT_EQ(run.status, 1) << c.description;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(dir.Entries().size(), 2u) << "a file was left by:\n" << c.description;
  }
  const test::ToolRun obj =
      test::RunTool("forest " + Quoted(dir.File("f.txt")) + " -o " + Quoted(dir.File("forest.obj")));
  EXPECT_NE(obj.err.find("a forest is written as one .glb file"), std::string::npos) << obj.err;
}

TEST(CliForest, InterruptedLeavesNoFile) {
  test::ScratchDir dir;
  test::WriteWholeFile(dir.File("f.txt"),
                       "area = 30 x 30\ncount = 200\nlod = yes\nspecies = conifer\nvariants = 12\n");
  const test::CommandOutput run = test::RunShell(
      "{ '" + test::kCommandLineTool + "' forest " + Quoted(dir.File("f.txt")) + " -o " +
      Quoted(dir.File("forest.glb")) + " & pid=$!; sleep 3; kill -INT $pid; wait $pid; echo exit $?; }");
  EXPECT_NE(run.text.find("interrupted; '" + dir.File("forest.glb") + "' was not written"), std::string::npos)
      << run.text;
  EXPECT_NE(run.text.find("exit 130"), std::string::npos) << run.text;
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f.txt"});
}

}  // namespace
}  // namespace vh
