// The command-line tool's "export" and "info" commands, run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "common/run_tool.h"
#include "fileio/document.h"
#include "fileio/dxf_export.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"
#include "imaging/bmp.h"
#include "tree/tree.h"

namespace vh {
namespace {

const std::string kLeafyDocument = VH_TEST_DATA_DIR "/small_leafy_tree.vhm";

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliExport : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vh-cli-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string File(const std::string& name) const { return (m_dir / name).string(); }

  Outcome Run(const std::string& arguments) const {
    const test::ToolRun run = test::RunTool(arguments);
    return {run.status, run.out, run.err};
  }

  // The tree the tool should grow for these inputs, grown in-process.
  static Tree Grow(const std::string& document, std::optional<int> seed) {
    TreeParameters params;
    if (!document.empty()) params = ReadDocumentFile(document, params);
    if (seed) params.seed = *seed;
    return Generate(params);
  }

  static std::string Counts(const Tree& tree) {
    return "submeshes " + std::to_string(tree.submeshes.size()) + " vertices " +
           std::to_string(tree.VertexCount()) + " polygons " + std::to_string(tree.PolygonCount()) +
           " leaves " + std::to_string(tree.leafCount) + "\n";
  }

  std::filesystem::path m_dir;
};

TEST_F(CliExport, InfoPrintsTheCountsOfTheGrownTree) {
  struct Case {
    std::string arguments, document;
    std::optional<int> seed;
  };
  const Case cases[] = {{"info", "", std::nullopt},
                        {"info --seed 7", "", 7},
                        {"info '" + kLeafyDocument + "'", kLeafyDocument, std::nullopt},
                        {"info '" + kLeafyDocument + "' --seed -5", kLeafyDocument, -5}};
  for (const Case& c : cases) {
    const Tree tree = Grow(c.document, c.seed);
    const Outcome outcome = Run(c.arguments);
    EXPECT_EQ(outcome.status, 0) << c.arguments << ": " << outcome.err;
    EXPECT_EQ(outcome.out, Counts(tree)) << c.arguments;
  }
}

TEST_F(CliExport, ChoosesTheFormatByExtensionIgnoringCase) {
  const Tree tree = Grow(kLeafyDocument, 42);
  ASSERT_GT(tree.leafCount, 0);
  struct Case {
    const char* name;
    void (*exporter)(const MeshObject&, const std::string&);
  };
  const Case cases[] = {{"tree.obj", ExportOBJ}, {"TREE.OBJ", ExportOBJ}, {"tree.dxf", ExportDXF},
                        {"tree.Dxf", ExportDXF}, {"tree.3ds", Export3DS}, {"tree.3DS", Export3DS}};
  std::filesystem::create_directory(m_dir / "expected");
  for (const Case& c : cases) {
    const std::string expected = (m_dir / "expected" / c.name).string();
    c.exporter(tree, expected);
    const Outcome outcome = Run("export '" + kLeafyDocument + "' -o '" + File(c.name) + "' --seed 42");
    ASSERT_EQ(outcome.status, 0) << c.name << ": " << outcome.err;
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_EQ(Slurp(File(c.name)), Slurp(expected)) << c.name;
    if (c.exporter == ExportOBJ) {
      EXPECT_EQ(Slurp(File(c.name) + ".mtl"), Slurp(expected + ".mtl"));
    }
  }
}

TEST_F(CliExport, BadInputFailsWithAMessageAndWritesNothing) {
  std::ofstream(File("bad.vhm")) << "Verdanthollow v2.0 File\nmany\n";
  std::ofstream(File("existing.obj")) << "keep me";
  struct Case {
    std::string arguments;
    const char* message;  // part of stderr
  };
  const Case cases[] = {
      {"export", "no output file"},
      {"export -o '" + File("tree.stl") + "'", "extension must be .3ds, .dxf, .obj, .glb or .gltf"},
      {"export -o '" + File("tree") + "'", "extension must be"},
      {"export '" + File("missing.vhm") + "' -o '" + File("tree.obj") + "'", "cannot open"},
      {"export '" + File("bad.vhm") + "' -o '" + File("tree.obj") + "'", "bad.vhm, line 2"},
      {"export '" + File("bad.vhm") + "' -o '" + File("existing.obj") + "'", "line 2"},
      {"export -o '" + File("no/such/dir/tree.obj") + "'", "cannot create"},
      {"export -o '" + File("tree.obj") + "' --seed abc", "--seed needs an integer"},
      {"export -o '" + File("tree.obj") + "' --seed 99999999999", "--seed needs an integer"},
      {"export -o '" + File("tree.obj") + "' --seed", "--seed needs a number"},
      {"export -o '" + File("tree.obj") + "' --colour red", "unknown option"},
      {"export a.vhm b.vhm -o '" + File("tree.obj") + "'", "more than one document"},
      {"info -o '" + File("tree.obj") + "'", "unknown option"},
      {"info '" + File("bad.vhm") + "'", "bad.vhm, line 2"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Run(c.arguments);
    EXPECT_NE(outcome.status, 0) << c.arguments;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << c.arguments << ": " << outcome.err;
    EXPECT_TRUE(outcome.out.empty()) << c.arguments;
  }
  EXPECT_FALSE(std::filesystem::exists(File("tree.obj")));
  EXPECT_FALSE(std::filesystem::exists(File("tree.stl")));
  EXPECT_EQ(Slurp(File("existing.obj")), "keep me");
  // Only the files made above: no temporary file was left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator()),
            2);
}

// A document whose pictures are missing is exported, in every format,
// exactly as the same document with those materials untextured (their
// material colours, no picture named in the files), and each export says
// once on stderr which picture was missing.
TEST_F(CliExport, MissingPicturesAreLeftOutInEveryFormatAndSaidOnce) {
  vh::Image leaf(4, 8);
  for (std::size_t i = 0; i < leaf.pixels.size(); ++i) leaf.pixels[i] = static_cast<std::uint8_t>(i * 5);
  WriteBMP(File("leaf.bmp"), leaf);
  const struct {
    const char* what;
    bool leafMissing;
  } cases[] = {{"bark missing", false}, {"bark and leaves missing", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TreeParameters params = ReadDocumentFile(kLeafyDocument, TreeParameters());
    params.barkTextureFile = File("missing-bark.jpg");
    params.leafTextureFile = File(c.leafMissing ? "missing-leaf.bmp" : "leaf.bmp");
    params.barkTextureLoaded = params.leafTextureLoaded = true;
    std::ofstream(File("missing.vhm")) << FormatDocument(params);
    params.barkTextureLoaded = false;
    params.leafTextureLoaded = !c.leafMissing;
    std::ofstream(File("untextured.vhm")) << FormatDocument(params);
    for (const std::string extension : {"obj", "dxf", "3ds", "glb", "gltf"}) {
      SCOPED_TRACE(extension);
      for (const char* folder : {"missing", "untextured"}) {
        std::filesystem::remove_all(File(folder));
        std::filesystem::create_directory(File(folder));
      }
      const Outcome missing = Run("export " + test::Quoted(File("missing.vhm")) + " -o " +
                                  test::Quoted(File("missing/tree." + extension)));
      ASSERT_EQ(missing.status, 0) << missing.err;
      const std::string said =
          "warning: the bark picture '" + File("missing-bark.jpg") + "' is missing (cannot open the file";
      EXPECT_EQ(missing.err.find(said), 0u) << missing.err;
      EXPECT_EQ(missing.err.find(said, 1), std::string::npos) << "said once: " << missing.err;
      EXPECT_NE(missing.err.find("the bark is exported untextured, in the material colours\n"),
                std::string::npos);
      EXPECT_EQ(missing.err.find("missing-leaf.bmp") != std::string::npos, c.leafMissing) << missing.err;
      EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), c.leafMissing ? 2 : 1);
      const Outcome untextured = Run("export " + test::Quoted(File("untextured.vhm")) + " -o " +
                                     test::Quoted(File("untextured/tree." + extension)));
      ASSERT_EQ(untextured.status, 0) << untextured.err;
      EXPECT_EQ(untextured.err, missing.err) << "a missing picture is named either way";
      std::vector<std::string> files;
      for (const auto& entry : std::filesystem::directory_iterator(File("untextured"))) {
        const std::string name = entry.path().filename().string();
        files.push_back(name);
        EXPECT_EQ(Slurp(File("missing/" + name)), Slurp(entry.path().string())) << name;
        EXPECT_EQ(Slurp(entry.path().string()).find("missing-"), std::string::npos) << name;
      }
      EXPECT_EQ(static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(File("missing")),
                                                       std::filesystem::directory_iterator())),
                files.size());
    }
  }
}

// A document with hand edits exports the edited tree, as the core grows it
// from the document read back, and says which edits do not apply.
TEST_F(CliExport, ExportsTheHandEditedTreeOfADocument) {
  TreeParameters params(2);
  params.leafOutline = {{0, -20}, {10, 0}, {0, 30}};
  params.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}};
  const std::string plainDocument = File("plain.vhm");
  SaveDocument(params, plainDocument);
  params.handEdits = {{HandEditKind::kRemove, {0, 1}},
                      {HandEditKind::kTurn, {0, 0}, 33.3, -12.5},
                      {HandEditKind::kLength, {0, 2, 0}, 0, 0, 1.4},
                      {HandEditKind::kRemove, {0, 20}}};
  const std::string document = File("edited.vhm");
  SaveDocument(params, document);
  const Tree edited = Grow(document, std::nullopt);
  // The same name in folders of their own: the file names its material file.
  for (const char* folder : {"expected", "plain"}) std::filesystem::create_directory(m_dir / folder);
  ExportOBJ(edited, File("expected/tree.obj"));
  ExportOBJ(Grow(plainDocument, std::nullopt), File("plain/tree.obj"));

  const Outcome outcome = Run("export '" + document + "' -o '" + File("tree.obj") + "'");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "warning: 1 hand edit does not apply to this tree\n");
  EXPECT_TRUE(Slurp(File("tree.obj")) == Slurp(File("expected/tree.obj")));
  EXPECT_TRUE(Slurp(File("tree.obj")) != Slurp(File("plain/tree.obj")));
  EXPECT_EQ(Run("info '" + document + "'").out, Counts(edited));
}

TEST_F(CliExport, HelpNamesBothCommands) {
  const Outcome outcome = Run("--help");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("export [DOC.vhm | --preset NAME] -o OUT [--seed N]"), std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("info [DOC.vhm | --preset NAME] [--seed N]"), std::string::npos) << outcome.out;
}

}  // namespace
}  // namespace vh
