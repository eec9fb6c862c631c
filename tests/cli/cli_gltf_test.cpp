// The command-line tool writing glTF end to end: "export" as .glb and
// .gltf (with --scale and --lod), "billboard" as glTF, each file judged by
// the validator, Assimp and tinygltf; bad input refused without writing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/engine_triangles.h"
#include "common/gltf_tools.h"
#include "common/run_tool.h"
#include "common/scratch_dir.h"
#include "fileio/document.h"
#include "fileio/gltf_export.h"
#include "imaging/bmp.h"
#include "tree/tree.h"

namespace vh {
namespace {

using test::ScratchDir;

using test::Quoted;

const std::string kLeafyDocument = VH_TEST_DATA_DIR "/billboard_tree.vhm";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The leafy document with both pictures named and both "loaded" flags set.
std::string TexturedDocument(const ScratchDir& dir, const std::string& bark, const std::string& leaf) {
  TreeParameters params = ReadDocumentFile(kLeafyDocument, TreeParameters());
  params.barkTextureFile = bark;
  params.leafTextureFile = leaf;
  params.barkTextureLoaded = params.leafTextureLoaded = true;
  const std::string path = dir.File("textured.vhm");
  std::ofstream(path) << FormatDocument(params);
  return path;
}

Image Picture(int width, int height) {
  Image picture(width, height);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i)
    picture.pixels[i] = static_cast<std::uint8_t>(i * 7);
  return picture;
}

TEST(CliGltf, ExportWritesWhatTheLibraryWrites) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.path() / "cli");
  const test::ToolRun run = test::RunTool("export " + Quoted(kLeafyDocument) + " -o " +
                                          Quoted(dir.File("cli/tree.glb")) + " --seed 9");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.empty()) << run.out;
  Tree tree;
  TreeParameters params = ReadDocumentFile(kLeafyDocument, TreeParameters());
  params.seed = 9;
  Generate(params, {}, {}, tree);
  ExportGLB(SingleMeshScene(tree), dir.File("tree.glb"));
  EXPECT_EQ(Slurp(dir.File("cli/tree.glb")), Slurp(dir.File("tree.glb")));
  EXPECT_EQ(test::AssimpInfoCount(dir.File("cli/tree.glb"), "Faces"), test::EngineTriangles(tree));
}

TEST(CliGltf, ScaleMultipliesTheCoordinates) {
  ScratchDir dir;
  ASSERT_EQ(test::RunTool("export -o " + Quoted(dir.File("one.glb"))).status, 0);
  ASSERT_EQ(test::RunTool("export -o " + Quoted(dir.File("two.glb")) + " --scale 2").status, 0);
  const tinygltf::Model one = test::LoadGltf(dir.File("one.glb"));
  const tinygltf::Model two = test::LoadGltf(dir.File("two.glb"));
  const int position = one.meshes.at(0).primitives.at(0).attributes.at("POSITION");
  const std::vector<float> a = test::AccessorValues<float>(one, position);
  const std::vector<float> b = test::AccessorValues<float>(two, position);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    EXPECT_NEAR(b[i], 2.0f * a[i], 1e-6f * std::max(1.0f, std::fabs(b[i])));
}

TEST(CliGltf, TexturedTreeAsTextGltfEmbedsNothingAndPassesTheValidator) {
  VH_REQUIRE_GLTF_VALIDATOR();
  ScratchDir dir;
  WriteBMP(dir.File("bark.bmp"), Picture(64, 64));
  WriteBMP(dir.File("leaf.bmp"), Picture(16, 32));
  const std::string document = TexturedDocument(dir, dir.File("bark.bmp"), dir.File("leaf.bmp"));
  std::filesystem::create_directory(dir.path() / "out");
  const test::ToolRun run =
      test::RunTool("export " + Quoted(document) + " -o " + Quoted(dir.File("out/oak.gltf")));
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "out"))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files,
            (std::vector<std::string>{"oak.bin", "oak.gltf", "oak_Material1.jpg", "oak_Material2.jpg"}));
  test::ExpectValidGltf(dir.File("out/oak.gltf"));
  const tinygltf::Model model = test::LoadGltf(dir.File("out/oak.gltf"));
  ASSERT_EQ(model.images.size(), 2u);
  // Named after the pictures they were made from, with the extension of
  // what they hold (JPEG here, not BMP).
  std::vector<std::string> names{model.images[0].name, model.images[1].name};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"bark.jpg", "leaf.jpg"}));
}

#ifdef VH_CLI_BILLBOARD
TEST(CliGltf, LevelOfDetailChainReportsItsLevelsAndPassesTheReaders) {
  VH_REQUIRE_GLTF_VALIDATOR();
  ScratchDir dir;
  const test::ToolRun run =
      test::RunTool("export " + Quoted(kLeafyDocument) + " -o " + Quoted(dir.File("chain.glb")) +
                    " --lod --scale 0.5 --lod-ratios 0.3,0.1");
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::vector<std::string> levels;
  for (std::string line; std::getline(lines, line);) levels.push_back(line);
  ASSERT_EQ(levels.size(), 4u) << run.out;
  EXPECT_EQ(levels[0].rfind("LOD0 full tree: triangles ", 0), 0u) << levels[0];
  EXPECT_EQ(levels[3].rfind("LOD3 cards: triangles 516 submeshes 98 ", 0), 0u) << levels[3];
  std::vector<long> triangles;
  for (const std::string& level : levels)
    triangles.push_back(std::stol(level.substr(level.find("triangles ") + 10)));
  EXPECT_LE(triangles[1], triangles[0] * 30 / 100) << "--lod-ratios sets the reduced levels' shares";
  EXPECT_LE(triangles[2], triangles[0] * 10 / 100);
  EXPECT_LT(triangles[3], triangles[2]) << "the cards, with their trunk, are the lightest level";
  test::ExpectValidGltf(dir.File("chain.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("chain.glb"));
  ASSERT_EQ(model.nodes.size(), 4u);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(model.nodes.at(static_cast<std::size_t>(i)).name, "chain_LOD" + std::to_string(i));
  EXPECT_EQ(model.scenes.at(0).nodes, (std::vector<int>{0})) << "the scene holds LOD0 alone";
}

TEST(CliGltf, LevelOfDetailLayoutsWriteOneFileOrOnePerLevel) {
  VH_REQUIRE_GLTF_VALIDATOR();
  ScratchDir dir;
  ASSERT_EQ(test::RunTool("export " + Quoted(kLeafyDocument) + " -o " + Quoted(dir.File("grouped.glb")) +
                          " --lod --lod-layout grouped")
                .status,
            0);
  const tinygltf::Model grouped = test::LoadGltf(dir.File("grouped.glb"));
  ASSERT_EQ(grouped.scenes.at(0).nodes.size(), 1u);
  EXPECT_EQ(grouped.nodes.at(static_cast<std::size_t>(grouped.scenes[0].nodes[0])).children.size(), 4u);

  ASSERT_EQ(test::RunTool("export " + Quoted(kLeafyDocument) + " -o " + Quoted(dir.File("each.glb")) +
                          " --lod --lod-layout files")
                .status,
            0);
  for (int i = 0; i < 4; ++i) {
    const std::string name = dir.File("each_LOD" + std::to_string(i) + ".glb");
    test::ExpectValidGltf(name);
    const tinygltf::Model level = test::LoadGltf(name);
    ASSERT_EQ(level.nodes.size(), 1u) << name;
    EXPECT_EQ(level.nodes[0].name, "each_LOD" + std::to_string(i));
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("each.glb")));
}

// The bounds of the POSITION accessors of the primitives whose material is
// named `material`: low x, y, z then high x, y, z.
std::vector<double> MaterialBounds(const tinygltf::Model& model, const std::string& material) {
  std::vector<double> bounds{1e30, 1e30, 1e30, -1e30, -1e30, -1e30};
  for (const tinygltf::Mesh& mesh : model.meshes)
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      if (model.materials.at(static_cast<std::size_t>(primitive.material)).name != material) continue;
      const tinygltf::Accessor& positions =
          model.accessors.at(static_cast<std::size_t>(primitive.attributes.at("POSITION")));
      for (int k = 0; k < 3; ++k) {
        bounds[k] = std::min(bounds[k], positions.minValues[k]);
        bounds[k + 3] = std::max(bounds[k + 3], positions.maxValues[k]);
      }
    }
  return bounds;
}

TEST(CliGltf, BillboardFileStandsWhereTheTreeStands) {
  // The branches a cloud keeps are the tree's own: in both files they lie
  // at the same coordinates.
  ScratchDir dir;
  ASSERT_EQ(test::RunTool("export " + Quoted(kLeafyDocument) + " -o " + Quoted(dir.File("tree.glb"))).status,
            0);
  const test::ToolRun run = test::RunTool("billboard " + Quoted(kLeafyDocument) + " -o " +
                                          Quoted(dir.File("cloud.glb")) + " --resolution 6 --precision 5");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(MaterialBounds(test::LoadGltf(dir.File("cloud.glb")), "Material2"),
            MaterialBounds(test::LoadGltf(dir.File("tree.glb")), "Material2"));
}

// With --wind every level of the chain takes the one skin; the levels of
// geometry bend branch by branch, the billboard levels sway as a whole
// with the trunk (the ground's and the trunk's joints only).
TEST(CliGltf, WindOnALeafyPresetAndOnEveryLevelOfAChainPassesTheValidator) {
  VH_REQUIRE_GLTF_VALIDATOR();
  ScratchDir dir;
  ASSERT_EQ(test::RunTool("export --preset broadleaf-oak --wind -o " + Quoted(dir.File("oak.glb"))).status,
            0);
  test::ExpectValidGltf(dir.File("oak.glb"));
  const test::ToolRun run =
      test::RunTool("export --preset broadleaf-oak --wind --lod -o " + Quoted(dir.File("chain.glb")));
  ASSERT_EQ(run.status, 0) << run.err;
  test::ExpectValidGltf(dir.File("chain.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("chain.glb"));
  ASSERT_EQ(model.skins.size(), 1u);
  ASSERT_EQ(model.animations.size(), 1u);
  // The tree, its two reductions and the cards.
  for (int level = 0; level < 4; ++level) {
    const tinygltf::Node& node = model.nodes.at(static_cast<std::size_t>(level));
    ASSERT_EQ(node.name, "chain_LOD" + std::to_string(level));
    EXPECT_EQ(node.skin, 0) << node.name;
    int highestJoint = 0;
    for (const tinygltf::Primitive& primitive :
         model.meshes.at(static_cast<std::size_t>(node.mesh)).primitives) {
      const std::vector<std::uint8_t> joints =
          test::AccessorValues<std::uint8_t>(model, primitive.attributes.at("JOINTS_0"));
      for (const std::uint8_t joint : joints) highestJoint = std::max<int>(highestJoint, joint);
    }
    if (level < 3)
      EXPECT_GT(highestJoint, 1) << node.name << " bends branch by branch";
    else
      EXPECT_EQ(highestJoint, 1) << node.name << " sways as a whole";
  }
}

// Every level sways whatever the layout: each file holds the skin, which
// every level's node takes, and the animation "Wind".
TEST(CliGltf, WindSwaysEveryLevelInEveryLayout) {
  const struct {
    const char* layout;
    std::vector<std::string> files;
  } cases[] = {
      {"extension", {"tree.glb"}},
      {"grouped", {"tree.glb"}},
      {"files", {"tree_LOD0.glb", "tree_LOD1.glb", "tree_LOD2.glb", "tree_LOD3.glb"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    ScratchDir dir;
    const test::ToolRun run = test::RunTool("export --wind --lod --lod-layout " + std::string(c.layout) +
                                            " -o " + Quoted(dir.File("tree.glb")));
    ASSERT_EQ(run.status, 0) << run.err;
    int swayingLevels = 0;
    for (const std::string& file : c.files) {
      const tinygltf::Model model = test::LoadGltf(dir.File(file));
      ASSERT_EQ(model.skins.size(), 1u) << file;
      ASSERT_EQ(model.animations.size(), 1u) << file;
      EXPECT_EQ(model.animations[0].name, "Wind") << file;
      for (const tinygltf::Node& node : model.nodes) {
        if (node.mesh < 0) continue;
        EXPECT_EQ(node.skin, 0) << file << ": " << node.name;
        ++swayingLevels;
      }
    }
    EXPECT_EQ(swayingLevels, 4);
  }
}

TEST(CliGltf, BillboardCloudAsGltfPassesTheReaders) {
  VH_REQUIRE_GLTF_VALIDATOR();
  ScratchDir dir;
  for (const char* name : {"cloud.glb", "cloud.gltf"}) {
    const test::ToolRun run = test::RunTool("billboard " + Quoted(kLeafyDocument) + " -o " +
                                            Quoted(dir.File(name)) + " --resolution 8");
    ASSERT_EQ(run.status, 0) << run.err;
    test::ExpectValidGltf(dir.File(name));
    // The cloud's counts as the program shows them; the file leaves out the
    // triangles without area of the branches it keeps.
    long polygons = -1;
    std::sscanf(run.out.c_str() + run.out.find("polygons "), "polygons %ld", &polygons);
    const tinygltf::Model model = test::LoadGltf(dir.File(name));
    long written = 0;
    for (const tinygltf::Primitive& primitive : model.meshes.at(0).primitives)
      written += static_cast<long>(model.accessors.at(static_cast<std::size_t>(primitive.indices)).count / 3);
    EXPECT_EQ(test::AssimpInfoCount(dir.File(name), "Faces"), written);
    EXPECT_LE(written, polygons);
    bool billboards = false;
    for (const tinygltf::Material& material : model.materials) {
      if (material.name != "BBdMat") continue;
      billboards = true;
      EXPECT_EQ(material.alphaMode, "MASK");
      EXPECT_TRUE(material.doubleSided);
      const tinygltf::Texture& texture =
          model.textures.at(static_cast<std::size_t>(material.pbrMetallicRoughness.baseColorTexture.index));
      const tinygltf::Image& atlas = model.images.at(static_cast<std::size_t>(texture.source));
      EXPECT_EQ(atlas.name, "cloud_billboards.png") << "named for what it is and holds";
    }
    EXPECT_TRUE(billboards);
  }
  // No BMP pictures beside glTF: the atlas is inside.
  std::vector<std::string> files = dir.Entries();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"cloud.bin", "cloud.glb", "cloud.gltf", "cloud_BBdMat.png"}));
}
#endif

TEST(CliGltf, WindTakesTheDocumentsWindSettings) {
  ScratchDir dir;
  TreeParameters params;
  params.wind.enabled = true;
  params.wind.loopLength = 30;
  const std::string document = dir.File("windy.vhm");
  std::ofstream(document) << FormatDocument(params);
  ASSERT_EQ(
      test::RunTool("export " + Quoted(document) + " --wind -o " + Quoted(dir.File("windy.glb"))).status, 0);
  const tinygltf::Model model = test::LoadGltf(dir.File("windy.glb"));
  ASSERT_EQ(model.animations.size(), 1u);
  const tinygltf::AnimationSampler& sampler = model.animations[0].samplers.at(0);
  EXPECT_EQ(test::AccessorValues<float>(model, sampler.input).back(), 3.0f);
  ASSERT_EQ(test::RunTool("export " + Quoted(document) + " -o " + Quoted(dir.File("still.glb"))).status, 0);
  EXPECT_TRUE(test::LoadGltf(dir.File("still.glb")).animations.empty()) << "wind goes out only with --wind";
}

TEST(CliGltf, BadInputFailsWithAMessageAndWritesNothing) {
  ScratchDir dir;
  std::ofstream(dir.File("kept.glb")) << "keep me";
  const struct {
    std::string arguments;
    const char* message;
  } cases[] = {
      {"export -o " + Quoted(dir.File("no/such/dir/tree.glb")), "cannot create"},
      {"export -o " + Quoted(dir.File("tree.obj")) + " --scale 2", "--scale needs a glTF output"},
      {"export -o " + Quoted(dir.File("tree.dxf")) + " --lod", "--lod needs a glTF output"},
      {"export -o " + Quoted(dir.File("tree.obj")) + " --wind", "--wind needs a glTF output"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --wind-engine-copies",
       "--wind-engine-copies needs --wind"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --scale 0",
       "--scale needs a number from 1e-06 to 1e+06"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --scale nan", "--scale needs a number"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --scale", "--scale needs a number"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --lod --lod-layout flat",
       "--lod-layout needs extension, grouped or files, not 'flat'"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --lod --lod-ratios 0.1,0.4",
       "may not exceed the first"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --lod --lod-ratios 40",
       "--lod-ratios needs two shares"},
      {"export -o " + Quoted(dir.File("tree.glb")) + " --lod-ratios 0.4,0.1", "--lod-ratios needs --lod"},
  };
  for (const auto& c : cases) {
    const test::ToolRun run = test::RunTool(c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
  }
  std::vector<std::string> files = dir.Entries();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"kept.glb"}));
  EXPECT_EQ(Slurp(dir.File("kept.glb")), "keep me");
}

TEST(CliGltf, HelpNamesTheNewOptions) {
  const test::ToolRun run = test::RunTool("--help");
  EXPECT_NE(run.out.find("export [DOC.vhm | --preset NAME] -o OUT [--seed N] [--scale S]\n"
                         "       [--lod [--lod-ratios F,S] [--lod-layout extension|grouped|files]]"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("[--wind [--wind-engine-copies]]"), std::string::npos) << run.out;
  // Viewers tint the tree with the engine copies: the help says so.
  EXPECT_NE(run.out.find("(COLOR_0 then carries wind data: for engines whose foliage shaders read vertex\n"
                         "      colours; viewers will show the data as colours)"),
            std::string::npos)
      << run.out;
}

}  // namespace
}  // namespace vh
