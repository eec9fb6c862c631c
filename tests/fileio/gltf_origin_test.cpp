// Engine files stand a tree on the centre of its trunk's base: an engine
// turning an instance about its origin turns the tree about its own trunk.
// The centre is measured in the written file, from the trunk's lowest ring.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "fileio/export_common.h"
#include "fileio/gltf_export.h"
#include "fileio/presets.h"

namespace vh {
namespace {

// The centre (x, z) of the trunk's base ring as written: the bark's first
// vertices (the trunk comes first and keeps its order), up to the first
// one off the ring's height, each distinct position counted once (the
// ring's seam repeats its first vertex).
std::pair<double, double> BaseRingCentre(const std::string& path) {
  const tinygltf::Model model = test::LoadGltf(path);
  std::vector<float> positions;
  for (const tinygltf::Primitive& primitive : model.meshes.at(0).primitives)
    if (model.materials.at(static_cast<std::size_t>(primitive.material)).name.ends_with('2'))
      positions = test::AccessorValues<float>(model, primitive.attributes.at("POSITION"));
  std::set<std::pair<float, float>> ring;
  for (std::size_t i = 0; i + 2 < positions.size() && std::fabs(positions[i + 1] - positions[1]) < 0.02f;
       i += 3)
    ring.insert({positions[i], positions[i + 2]});
  EXPECT_GE(ring.size(), 3u) << path;
  double x = 0, z = 0;
  for (const auto& [px, pz] : ring) x += px, z += pz;
  return {x / static_cast<double>(ring.size()), z / static_cast<double>(ring.size())};
}

TEST(GltfOrigin, TreesStandOnTheCentreOfTheirTrunkWithAndWithoutWind) {
  const PresetLibrary library(VH_SOURCE_DIR "/presets");
  test::ScratchDir dir;
  for (const char* name : {"", "broadleaf-oak", "conifer", "palm"}) {
    TreeParameters params = *name ? library.Read(name, TreeParameters()) : TreeParameters();
    params.barkTextureLoaded = params.leafTextureLoaded = false;  // the geometry is what counts here
    const Tree tree = Generate(params);
    // The first vertex, where OBJ puts the origin, lies on the ring, well
    // away from its centre.
    const Vector3 offset = (ExportOrigin(tree) - EngineOrigin(tree)) * 0.01f;
    EXPECT_GT(std::hypot(offset.x, offset.z), 0.04) << name;
    for (const bool wind : {false, true}) {
      ExportScene scene = SingleMeshScene(tree);
      if (wind) scene.wind = SwayingExport(params.wind);
      const std::string path = dir.File(std::string("tree") + name + (wind ? "_wind" : "") + ".glb");
      ExportGLB(scene, path);
      const auto [x, z] = BaseRingCentre(path);
      EXPECT_LT(std::hypot(x, z), 0.005) << name << (wind ? " with wind" : "") << ": " << x << ", " << z;
    }
  }
}

}  // namespace
}  // namespace vh
