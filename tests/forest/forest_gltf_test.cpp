// Forest files read back: every instance where the plan put it, in either
// instancing, the variants of a species sharing their pictures, the same
// bytes on any number of threads, and nothing written when cancelled.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "common/whole_file.h"
#include "forest/forest_export.h"

namespace vh {
namespace {

const PresetLibrary& Presets() {
  static const PresetLibrary library(VH_SOURCE_DIR "/presets");
  return library;
}

// Two small textured presets, two variants each, 40 trees.
ForestPlan SmallForest(const std::string& engine = "") {
  return PlanForest(ParseForestDescription("seed = 11\narea = 16 x 12\ncount = 40\nspacing = 1\n"
                                           "scale = 0.5 2\nturn = 360\n" +
                                               engine +
                                               "species = young-sapling\nvariants = 2\nweight = 3\n"
                                               "species = dead-tree\nvariants = 2\n",
                                           "small.txt", ""),
                    Presets());
}

// The instances of each variant, in the plan's order.
std::map<std::string, std::vector<ForestInstance>> InstancesByVariant(const ForestPlan& plan) {
  std::map<std::string, std::vector<ForestInstance>> byName;
  for (const ForestInstance& instance : plan.instances)
    byName[plan.variants[instance.variant].name].push_back(instance);
  return byName;
}

std::vector<float> Expected(const std::vector<ForestInstance>& instances, const char* attribute) {
  std::vector<float> values;
  for (const ForestInstance& i : instances) {
    const std::string a = attribute;
    if (a == "TRANSLATION") values.insert(values.end(), {i.x, 0.0f, i.z});
    if (a == "ROTATION")
      values.insert(values.end(), {0.0f, static_cast<float>(std::sin(i.turn / 2.0)), 0.0f,
                                   static_cast<float>(std::cos(i.turn / 2.0))});
    if (a == "SCALE") values.insert(values.end(), {i.scale, i.scale, i.scale});
  }
  return values;
}

TEST(ForestGltf, EveryLevelOfEveryVariantCarriesItsInstances) {
  const ForestPlan plan = SmallForest("lod = yes\n");
  test::ScratchDir dir;
  ExportForest(plan, dir.File("forest.glb"));
  test::ExpectValidGltf(dir.File("forest.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("forest.glb"));
  EXPECT_EQ(model.extensionsUsed, (std::vector<std::string>{"EXT_mesh_gpu_instancing", "MSFT_lod"}));

  const auto byVariant = InstancesByVariant(plan);
  std::size_t placed = 0, levels = 0;
  for (const tinygltf::Node& node : model.nodes) {
    ASSERT_GE(node.mesh, 0) << node.name;
    const std::string variant = node.name.substr(0, node.name.rfind("_LOD"));
    ASSERT_EQ(byVariant.count(variant), 1u) << node.name;
    const tinygltf::Value& attributes = node.extensions.at("EXT_mesh_gpu_instancing").Get("attributes");
    for (const char* attribute : {"TRANSLATION", "ROTATION", "SCALE"})
      EXPECT_EQ(test::AccessorValues<float>(model, attributes.Get(attribute).GetNumberAsInt()),
                Expected(byVariant.at(variant), attribute))
          << node.name << " " << attribute;
    ++levels;
    if (node.name.ends_with("_LOD0")) placed += byVariant.at(variant).size();
  }
  EXPECT_EQ(placed, 40u);
  EXPECT_EQ(levels, 4 * byVariant.size());  // the tree, two reductions and the cards
  // Each species' bark and leaf pictures once, and the cards' atlas, which
  // without a renderer is the key colour alone for every variant: once.
  EXPECT_EQ(model.images.size(), 2 * 2 + 1u);
  // The scene holds each variant's finest level; MSFT_lod reaches the others.
  EXPECT_EQ(model.scenes.at(0).nodes.size(), byVariant.size());
}

TEST(ForestGltf, PlainNodesPlaceEachInstanceAndItsWindJoints) {
  for (const bool wind : {false, true}) {
    const ForestPlan plan = SmallForest(wind ? "wind = yes\n" : "");
    test::ScratchDir dir;
    ForestExportOptions options;
    options.instancing = ForestInstancing::kNodes;
    ExportForest(plan, dir.File("forest.glb"), options);
    test::ExpectValidGltf(dir.File("forest.glb"));
    const tinygltf::Model model = test::LoadGltf(dir.File("forest.glb"));
    EXPECT_EQ(model.skins.size(), wind ? 40u : 0u);
    EXPECT_EQ(model.animations.size(), wind ? 1u : 0u);
    // The placed node of each instance: the tree's without wind, the
    // ground joint's (the root without a mesh) with it.
    std::vector<const tinygltf::Node*> placed;
    for (const int root : model.scenes.at(0).nodes) {
      const tinygltf::Node& node = model.nodes.at(static_cast<std::size_t>(root));
      if ((node.mesh < 0) == wind) placed.push_back(&node);
    }
    ASSERT_EQ(placed.size(), plan.instances.size());
    std::map<std::string, std::size_t> seen;
    const auto byVariant = InstancesByVariant(plan);
    for (const auto& [variant, instances] : byVariant)
      for (std::size_t k = 0; k < instances.size(); ++k) {
        const ForestInstance& instance = instances[k];
        const auto found = std::find_if(placed.begin(), placed.end(), [&](const tinygltf::Node* node) {
          return !node->translation.empty() && node->translation[0] == static_cast<double>(instance.x) &&
                 node->translation[2] == static_cast<double>(instance.z);
        });
        ASSERT_NE(found, placed.end()) << variant << " " << k;
        const tinygltf::Node& node = **found;
        EXPECT_NEAR(node.rotation[1], std::sin(instance.turn / 2.0), 1e-12);
        EXPECT_NEAR(node.rotation[3], std::cos(instance.turn / 2.0), 1e-12);
        EXPECT_NEAR(node.scale[0], instance.scale, 1e-6);
        if (!wind) {
          EXPECT_EQ(node.name, variant + "_" + std::to_string(k + 1));
        }
      }
  }
}

TEST(ForestGltf, SameBytesOnEveryThreadCount) {
  const ForestPlan plan = SmallForest("lod = yes\nwind = yes\n");
  test::ScratchDir dir;
  std::string first;
  for (const int threads : {1, 2, 3}) {
    ForestExportOptions options;
    options.threads = threads;
    std::vector<std::size_t> progress;
    options.progress = [&progress](std::size_t done, std::size_t total) {
      progress.push_back(done);
      EXPECT_EQ(total, 4u);
    };
    const std::string path = dir.File("forest" + std::to_string(threads) + ".glb");
    ExportForest(plan, path, options);
    EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3, 4}));
    const std::string bytes = test::ReadWholeFile(path);
    if (first.empty())
      first = bytes;
    else
      EXPECT_TRUE(bytes == first) << threads << " threads wrote other bytes";
  }
  test::ExpectValidGltf(dir.File("forest1.glb"));
}

TEST(ForestGltf, CancelledOrFailedWritesLeaveWhatWasThere) {
  const ForestPlan plan = SmallForest();
  test::ScratchDir dir;
  test::WriteWholeFile(dir.File("forest.glb"), "previous");
  std::atomic<bool> cancel{true};
  ForestExportOptions options;
  options.cancel = &cancel;
  EXPECT_THROW(ExportForest(plan, dir.File("forest.glb"), options), ForestCancelled);

  {
    ForestFileWriter writer(plan, dir.File("forest.glb"), ForestInstancing::kGpu);
    try {
      writer.Add(0, "glTF and nothing else");
      ADD_FAILURE() << "a broken pack was taken";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()),
                "the pack of variant young-sapling_01 is not a .glb of this program: no glTF 2.0 header");
    }
  }
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"forest.glb"});
  EXPECT_EQ(test::ReadWholeFile(dir.File("forest.glb")), "previous");
}

}  // namespace
}  // namespace vh
