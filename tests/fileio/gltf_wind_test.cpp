// glTF export with wind, read back with tinygltf: a skin whose weights sum
// to 1, a looping animation sampled from the wind's motion, a rest pose
// that is the export without wind, and the shader values beside them.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "common/whole_file.h"
#include "fileio/gltf_export.h"
#include "gltf_test_support.h"
#include "test_support.h"
#include "wind/wind_motion.h"
#include "wind/wind_rig.h"

namespace vh {
namespace {

using test::ScratchDir;

ExportScene WindyScene(const MeshObject& mesh, const MaterialPictures& pictures = {},
                       bool engineCopies = false) {
  ExportScene scene = SingleMeshScene(mesh, pictures);
  scene.wind.enabled = true;
  scene.wind.settings.loopLength = 25;  // 2.5 s: 38 samples, 37.5 of them a second apart
  scene.wind.settings.strength = 70;
  scene.wind.engineCopies = engineCopies;
  return scene;
}

template <typename T>
std::vector<T> Attribute(const tinygltf::Model& model, const tinygltf::Primitive& primitive,
                         const std::string& name) {
  const auto found = primitive.attributes.find(name);
  if (found == primitive.attributes.end()) return {};
  return test::AccessorValues<T>(model, found->second);
}

// Each joint node's translation from the root, by following the children.
std::vector<std::array<double, 3>> JointPlaces(const tinygltf::Model& model, const tinygltf::Skin& skin) {
  std::map<int, int> parentOf;
  for (std::size_t n = 0; n < model.nodes.size(); ++n)
    for (const int child : model.nodes[n].children) parentOf[child] = static_cast<int>(n);
  std::vector<std::array<double, 3>> places;
  for (const int joint : skin.joints) {
    std::array<double, 3> place{};
    for (int node = joint;;) {
      const std::vector<double>& t = model.nodes.at(static_cast<std::size_t>(node)).translation;
      for (std::size_t k = 0; k < t.size(); ++k) place[k] += t[k];
      const auto parent = parentOf.find(node);
      if (parent == parentOf.end()) break;
      node = parent->second;
    }
    places.push_back(place);
  }
  return places;
}

// The default tree, and a textured leafy one with the engines' copies.
TEST(GltfWind, PassesTheValidator) {
  VH_REQUIRE_GLTF_VALIDATOR();
  ScratchDir dir;
  const Tree tree = Generate(TreeParameters());
  ExportGLB(WindyScene(tree), dir.File("wind.glb"));
  test::ExpectValidGltf(dir.File("wind.glb"));
  const test::TexturedLeafyTree leafy(test::GradientPicture(32, 32), test::GradientPicture(16, 16, true));
  ExportGLTF(WindyScene(leafy.tree, leafy.Pictures(), true), dir.File("leafy.gltf"));
  test::ExpectValidGltf(dir.File("leafy.gltf"));
}

// Read back: every vertex's weights sum to exactly 1 over joints the skin
// has; the skin at rest (no animation applied) puts every vertex where the
// export without wind has it; the geometry is that export's, byte for byte.
TEST(GltfWind, RestPoseIsTheExportWithoutWind) {
  ScratchDir dir;
  Tree tree;
  test::GrowLeafyTree(tree, false);
  ExportGLB(SingleMeshScene(tree), dir.File("still.glb"));
  ExportGLB(WindyScene(tree), dir.File("wind.glb"));
  const tinygltf::Model still = test::LoadGltf(dir.File("still.glb"));
  const tinygltf::Model wind = test::LoadGltf(dir.File("wind.glb"));
  ASSERT_EQ(wind.skins.size(), 1u);
  const tinygltf::Skin& skin = wind.skins[0];
  ASSERT_LE(skin.joints.size(), 255u);
  const std::vector<std::array<double, 3>> places = JointPlaces(wind, skin);
  const std::vector<float> inverseBinds = test::AccessorValues<float>(wind, skin.inverseBindMatrices);
  ASSERT_EQ(inverseBinds.size(), 16 * skin.joints.size());
  const tinygltf::Node& treeNode = wind.nodes.at(static_cast<std::size_t>(wind.scenes[0].nodes.at(0)));
  EXPECT_EQ(treeNode.skin, 0);
  ASSERT_EQ(wind.meshes[0].primitives.size(), still.meshes[0].primitives.size());
  for (std::size_t p = 0; p < still.meshes[0].primitives.size(); ++p) {
    const tinygltf::Primitive& plain = still.meshes[0].primitives[p];
    const tinygltf::Primitive& skinned = wind.meshes[0].primitives[p];
    for (const char* name : {"POSITION", "NORMAL", "COLOR_0"})
      EXPECT_EQ(Attribute<float>(still, plain, name), Attribute<float>(wind, skinned, name)) << name;
    EXPECT_EQ(test::IndexValues(still, plain.indices), test::IndexValues(wind, skinned.indices));
    const std::vector<float> positions = Attribute<float>(wind, skinned, "POSITION");
    const std::vector<std::uint8_t> joints = Attribute<std::uint8_t>(wind, skinned, "JOINTS_0");
    const std::vector<float> weights = Attribute<float>(wind, skinned, "WEIGHTS_0");
    ASSERT_EQ(joints.size(), positions.size() / 3 * 4);
    ASSERT_EQ(weights.size(), joints.size());
    for (std::size_t v = 0; v < positions.size() / 3; ++v) {
      float sum = 0.0f;
      std::array<double, 3> rest{};
      for (std::size_t k = 0; k < 4; ++k) {
        const float w = weights[4 * v + k];
        const std::size_t j = joints[4 * v + k];
        ASSERT_LT(j, skin.joints.size());
        EXPECT_GE(w, 0.0f);
        if (w == 0.0f) {
          EXPECT_EQ(j, 0u) << "unused slots name joint 0";
        }
        sum += w;
        for (std::size_t c = 0; c < 3; ++c)
          rest[c] += w * (positions[3 * v + c] + places[j][c] + inverseBinds[16 * j + 12 + c]);
      }
      ASSERT_EQ(sum, 1.0f) << "vertex " << v;
      for (std::size_t c = 0; c < 3; ++c) ASSERT_NEAR(rest[c], positions[3 * v + c], 1e-5) << "vertex " << v;
    }
  }
}

// The animation "Wind" samples the wind's motion about 15 times a second
// over the loop; its first and last samples agree, so it loops without a
// seam, and every sample is the motion's rotation at its time.
TEST(GltfWind, AnimationLoopsAndIsSampledFromTheWindsMotion) {
  ScratchDir dir;
  const Tree tree = Generate(TreeParameters());
  const ExportScene scene = WindyScene(tree);
  ExportGLB(scene, dir.File("wind.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("wind.glb"));
  ASSERT_EQ(model.animations.size(), 1u);
  const tinygltf::Animation& animation = model.animations[0];
  EXPECT_EQ(animation.name, "Wind");
  const WindRig rig = BuildWindRig(tree);
  WindSettings settings = scene.wind.settings;
  settings.enabled = true;
  const WindMotion motion(rig, settings);
  const tinygltf::Skin& skin = model.skins.at(0);
  ASSERT_EQ(skin.joints.size(), rig.joints.size());
  EXPECT_EQ(animation.channels.size(), rig.joints.size() - 1) << "every joint but the ground turns";
  for (const tinygltf::AnimationChannel& channel : animation.channels) {
    const tinygltf::AnimationSampler& sampler =
        animation.samplers.at(static_cast<std::size_t>(channel.sampler));
    EXPECT_EQ(channel.target_path, "rotation");
    EXPECT_EQ(sampler.interpolation, "LINEAR");
    const std::vector<float> times = test::AccessorValues<float>(model, sampler.input);
    const std::vector<float> rotations = test::AccessorValues<float>(model, sampler.output);
    ASSERT_EQ(times.size(), 39u);
    EXPECT_EQ(times.front(), 0.0f);
    EXPECT_EQ(times.back(), 2.5f);
    ASSERT_EQ(rotations.size(), 4 * times.size());
    for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(rotations[c], rotations[rotations.size() - 4 + c]);
    const std::size_t joint = static_cast<std::size_t>(
        std::find(skin.joints.begin(), skin.joints.end(), channel.target_node) - skin.joints.begin());
    ASSERT_LT(joint, rig.joints.size());
    EXPECT_EQ(model.nodes.at(static_cast<std::size_t>(channel.target_node)).name, rig.joints[joint].name);
    for (std::size_t i = 0; i < times.size(); i += 7) {
      const WindRotation q = motion.LocalRotation(joint, times[i]);
      EXPECT_NEAR(rotations[4 * i + 0], q.x, 1e-6) << rig.joints[joint].name << " at " << times[i];
      EXPECT_NEAR(rotations[4 * i + 1], q.y, 1e-6);
      EXPECT_NEAR(rotations[4 * i + 2], q.z, 1e-6);
      EXPECT_NEAR(rotations[4 * i + 3], q.w, 1e-6);
    }
  }
}

// _WIND holds (trunk bend, phase, branch bend, flutter), _PIVOT the base of
// the swaying branch; the engines' copies exist only when asked for, and
// never replace a primitive's own colours.
TEST(GltfWind, ShaderValuesAndTheirEngineCopies) {
  ScratchDir dir;
  const test::TexturedLeafyTree textured(test::GradientPicture(8, 8), test::GradientPicture(8, 8));
  Tree shaded;
  test::GrowLeafyTree(shaded, false);
  ExportGLB(WindyScene(textured.tree, textured.Pictures(), true), dir.File("textured.glb"));
  ExportGLB(WindyScene(shaded, {}, true), dir.File("shaded.glb"));
  ExportGLB(WindyScene(shaded), dir.File("plain.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("textured.glb"));
  for (const tinygltf::Primitive& primitive : model.meshes[0].primitives) {
    const std::vector<std::uint16_t> wind = Attribute<std::uint16_t>(model, primitive, "_WIND");
    const std::vector<float> weights = Attribute<float>(model, primitive, "WEIGHTS_0");
    const std::vector<std::uint8_t> joints = Attribute<std::uint8_t>(model, primitive, "JOINTS_0");
    const std::vector<std::uint16_t> colours = Attribute<std::uint16_t>(model, primitive, "COLOR_0");
    const std::vector<float> second = Attribute<float>(model, primitive, "TEXCOORD_1");
    ASSERT_EQ(Attribute<float>(model, primitive, "_PIVOT").size(), wind.size() / 4 * 3);
    ASSERT_EQ(colours.size(), wind.size());
    ASSERT_EQ(second.size(), wind.size() / 2);
    const bool leaves = model.materials.at(static_cast<std::size_t>(primitive.material)).name == "Material1";
    float flutter = 0.0f;
    for (std::size_t v = 0; v < wind.size() / 4; ++v) {
      float ground = 0.0f;
      for (std::size_t k = 0; k < 4; ++k) ground += joints[4 * v + k] == 0 ? weights[4 * v + k] : 0.0f;
      EXPECT_NEAR(wind[4 * v] / 65535.0f, 1.0f - ground, 1e-4f);
      EXPECT_EQ(colours[4 * v], wind[4 * v + 1]);
      EXPECT_EQ(colours[4 * v + 1], wind[4 * v + 3]);
      EXPECT_EQ(colours[4 * v + 2], wind[4 * v + 2]);
      EXPECT_EQ(colours[4 * v + 3], 65535);
      EXPECT_NEAR(second[2 * v], wind[4 * v] / 65535.0f, 1e-4f);
      flutter = std::max(flutter, wind[4 * v + 3] / 65535.0f);
    }
    EXPECT_EQ(flutter, leaves ? 1.0f : 0.0f);
  }
  const tinygltf::Model shadedModel = test::LoadGltf(dir.File("shaded.glb"));
  const tinygltf::Model plainModel = test::LoadGltf(dir.File("plain.glb"));
  for (const tinygltf::Primitive& primitive : shadedModel.meshes[0].primitives) {
    EXPECT_EQ(primitive.attributes.count("TEXCOORD_1"), 0u) << "no second set without a first";
    EXPECT_EQ(primitive.attributes.count("COLOR_0"), 1u);
  }
  for (std::size_t p = 0; p < plainModel.meshes[0].primitives.size(); ++p) {
    const auto& withCopies = shadedModel.meshes[0].primitives[p];
    const auto& without = plainModel.meshes[0].primitives[p];
    EXPECT_EQ(without.attributes.size(),
              withCopies.attributes.size() - (without.attributes.count("COLOR_0") ? 0 : 1));
    if (without.attributes.count("COLOR_0")) {
      EXPECT_EQ(Attribute<float>(plainModel, without, "COLOR_0"),
                Attribute<float>(shadedModel, withCopies, "COLOR_0"));
    }
  }
}

// Wind settings without wind leave the file exactly as it always was.
TEST(GltfWind, WithoutWindTheFileIsTheSameWhateverTheWindSettings) {
  ScratchDir dir;
  const Tree tree = Generate(TreeParameters());
  ExportScene scene = SingleMeshScene(tree);
  scene.name = "tree";
  ExportGLB(scene, dir.File("plain.glb"));
  scene.wind.settings.strength = 100;
  scene.wind.settings.enabled = true;
  scene.wind.engineCopies = true;
  ExportGLB(scene, dir.File("settings.glb"));
  EXPECT_TRUE(test::ReadWholeFile(dir.File("plain.glb")) == test::ReadWholeFile(dir.File("settings.glb")));
}

TEST(GltfWind, AMeshWithoutATrunkCannotSway) {
  ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(3));
  try {
    ExportGLB(WindyScene(mesh), dir.File("strip.glb"));
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("has no trunk"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(dir.Entries().empty());
}

}  // namespace
}  // namespace vh
