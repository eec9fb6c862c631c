// The species presets from the command line: "presets" lists them and
// --preset grows one wherever a document is taken, from the build tree and
// from an installed copy.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/run_tool.h"
#include "common/scratch_dir.h"
#include "fileio/obj_export.h"
#include "fileio/presets.h"
#include "tree/tree.h"

namespace vh {
namespace {

// Where the build puts the presets for the programs it built.
const PresetLibrary& BuiltPresets() {
  static const PresetLibrary library(VH_BINARY_DIR "/share/verdanthollow/presets");
  return library;
}

std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += name + "\n";
  return list;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CliPresets, ListsTheInstalledNames) {
  const test::ToolRun run = test::RunTool("presets");
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_GE(BuiltPresets().Names().size(), 8u);
  EXPECT_EQ(run.out, NameList(BuiltPresets().Names()));
}

TEST(CliPresets, InfoGrowsThePresetAsTheLibraryReadsIt) {
  for (const char* name : {"palm", "young-sapling"}) {
    const Tree tree = Generate(BuiltPresets().Read(name, TreeParameters()));
    const test::ToolRun run = test::RunTool(std::string("info --preset ") + name);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "submeshes " + std::to_string(tree.submeshes.size()) + " vertices " +
                           std::to_string(tree.VertexCount()) + " polygons " +
                           std::to_string(tree.PolygonCount()) + " leaves " + std::to_string(tree.leafCount) +
                           "\n");
  }
}

TEST(CliPresets, ExportWritesThePresetsTreeWithItsPictures) {
  test::ScratchDir scratch;
  TreeParameters params = BuiltPresets().Read("white-birch", TreeParameters());
  params.seed = 5;
  const Tree tree = Generate(params);
  ExportOBJ(tree, scratch.File("expected.obj"));
  const test::ToolRun run =
      test::RunTool("export --preset white-birch --seed 5 -o '" + scratch.File("birch.obj") + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string obj = Slurp(scratch.File("birch.obj"));
  const std::string expected = Slurp(scratch.File("expected.obj"));
  // Only the name of the material file differs.
  EXPECT_EQ(obj.substr(obj.find('\n', obj.find("mtllib"))),
            expected.substr(expected.find('\n', expected.find("mtllib"))));
  EXPECT_EQ(Slurp(scratch.File("birch.obj.mtl")), Slurp(scratch.File("expected.obj.mtl")));
  std::string mtl = Slurp(scratch.File("birch.obj.mtl"));
  for (char& c : mtl) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(mtl.find("map_kd white-birch-bark.jpg"), std::string::npos) << mtl;
}

TEST(CliPresets, WrongUseSaysWhatIsWrong) {
  test::ScratchDir scratch;
  struct Case {
    std::string arguments;
    const char* message;
  };
  const Case cases[] = {
      {"info --preset maple", "there is no preset 'maple'; the presets are broadleaf-oak, "},
      {"info '" VH_TEST_DATA_DIR "/default_tree.vhm' --preset palm", "give a document or --preset, not both"},
      {"info --preset", "--preset needs a name"},
      {"export --preset maple -o '" + scratch.File("tree.obj") + "'", "there is no preset 'maple'"},
      {"presets palm", "presets takes no arguments"},
  };
  for (const Case& c : cases) {
    const test::ToolRun run = test::RunTool(c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << c.arguments;
  }
  EXPECT_FALSE(std::filesystem::exists(scratch.File("tree.obj")));
}

TEST(CliPresets, HelpNamesTheCommandAndTheOption) {
  const test::ToolRun run = test::RunTool("--help");
  EXPECT_NE(run.out.find("  presets\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("info [DOC.vhm | --preset NAME]"), std::string::npos) << run.out;
}

TEST(CliPresets, AnInstalledToolFindsTheInstalledPresets) {
  test::ScratchDir prefix;
  for (const char* part : {"/src/cli/cmake_install.cmake", "/presets/cmake_install.cmake"}) {
    const std::string command = "cmake -DCMAKE_INSTALL_PREFIX='" + prefix.path().string() + "' -P '" +
                                VH_BINARY_DIR + part + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  const std::filesystem::path installed = prefix.path() / "share" / "verdanthollow" / "presets";
  EXPECT_EQ(PresetLibrary(installed.string()).Names(), BuiltPresets().Names());
  const std::string tool = (prefix.path() / "bin" / "verdanthollow-cli").string();
  FILE* pipe = ::popen(("'" + tool + "' info --preset conifer").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[256] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  EXPECT_EQ(::pclose(pipe), 0);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::string(line).rfind("submeshes ", 0), 0u) << line;
}

}  // namespace
}  // namespace vh
