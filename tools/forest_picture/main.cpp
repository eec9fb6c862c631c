// forest_picture: docs/forest.md's picture of a small forest, drawn by the
// program's own viewer in an OpenGL context without a display. The forest
// of a description is planned as the forest command plans it; each variant
// is grown once and every instance adds a copy of it, turned, scaled and
// moved as its instance says, to one mesh seen from above the ground's
// front edge.
//
//   forest_picture FOREST.txt OUT.png [--size WxH]
//
// The viewer draws one leaf and one bark picture at a time: the first
// species' pictures dress every tree, so a picture of one species shows
// the forest as engines do.

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include "common/drawn_picture.h"
#include "fileio/export_common.h"
#include "fileio/presets.h"
#include "forest/forest_plan.h"
#include "view/draw_list_cache.h"
#include "view/headless_gl.h"
#include "view/texture_upload.h"
#include "view/viewer.h"

namespace {

// glTF units (the forest's) are 100 scene units.
constexpr float kSceneUnits = 100.0f;

// A copy of `tree` standing where `instance` puts it, in scene units.
void AddInstance(const vh::Tree& tree, const vh::ForestInstance& instance, vh::MeshObject& forest) {
  const vh::Vector3 origin = vh::EngineOrigin(tree);
  const float c = std::cos(instance.turn), s = std::sin(instance.turn);
  const auto turn = [c, s](const vh::Vector3& v) {
    return vh::Vector3{v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
  };
  const vh::Vector3 foot{instance.x * kSceneUnits, 0.0f, instance.z * kSceneUnits};
  for (const auto& source : tree.submeshes) {
    auto copy = std::make_shared<vh::Submesh>(source->displayList);
    copy->texture = source->texture;
    copy->textureFile = source->textureFile;
    copy->materialName = source->materialName;
    copy->triangles = source->triangles;
    copy->vertices = source->vertices;
    for (vh::Vertex& v : copy->vertices) {
      v.position = turn((v.position - origin) * instance.scale) + foot;
      v.normal = turn(v.normal);
    }
    forest.submeshes.push_back(std::move(copy));
  }
}

// From the middle of the ground's front edge, raised, looking down at the
// ground's middle; far enough for the whole width to fit.
vh::Camera FrameForest(const vh::ForestDescription& forest, int width, int height) {
  const float halfWidth = static_cast<float>(forest.width) * kSceneUnits / 2;
  const float halfDepth = static_cast<float>(forest.depth) * kSceneUnits / 2;
  vh::Camera camera;
  camera.viewportWidth = width;
  camera.viewportHeight = height;
  camera.fieldOfView = 40.0f;
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  const float distance = halfWidth / (std::tan(20.0f * 3.14159265f / 180.0f) * aspect) + halfDepth;
  camera.position = {0.0f, distance * 0.45f, distance};
  const vh::Vector3 target{0.0f, 0.0f, -halfDepth * 0.15f};
  vh::Vector3 forward = target - camera.position;
  const float length = std::sqrt(forward.x * forward.x + forward.y * forward.y + forward.z * forward.z);
  camera.forward = forward * (1.0f / length);
  camera.focusDistance = length;
  return camera;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  try {
    if (argc != 3 && argc != 5)
      throw std::invalid_argument("usage: forest_picture FOREST.txt OUT.png [--size WxH]");
    int width = 1200, height = 600;
    if (argc == 5) {
      if (std::string(argv[3]) != "--size" || std::sscanf(argv[4], "%dx%d", &width, &height) != 2)
        throw std::invalid_argument("--size needs WxH");
    }
    const vh::ForestPlan plan = vh::PlanForest(vh::ReadForestDescription(argv[1]),
                                               vh::PresetLibrary::Find(vh::RunningProgramDirectory()));
    std::map<std::size_t, vh::Tree> grown;
    vh::MeshObject forest;
    for (const vh::ForestInstance& instance : plan.instances) {
      auto [tree, fresh] = grown.try_emplace(instance.variant);
      if (fresh) {
        const vh::ForestVariant& variant = plan.variants[instance.variant];
        vh::TreeParameters params = plan.species[variant.species].params;
        params.seed = variant.seed;
        tree->second = vh::Generate(params);
      }
      AddInstance(tree->second, instance, forest);
    }

    vh::HeadlessGl gl;
    vh::DrawListCache lists;
    vh::InitViewState();
    gl.BindFramebuffer(width, height);
    const vh::ForestSpeciesSource& dress = plan.species.front();
    if (!dress.pictures.leaf.Empty())
      vh::UploadTexture(vh::kLeafTextureObject, dress.pictures.leaf, vh::MinFilter::kLinearMipmapLinear);
    if (!dress.pictures.bark.Empty())
      vh::UploadTexture(vh::kBarkTextureObject, dress.pictures.bark, vh::MinFilter::kNearestMipmapNearest);
    vh::Camera camera = FrameForest(plan.description, width, height);
    if (!vh::tools::DrawnPicture(forest, camera, lists).save(argv[2]))
      throw std::runtime_error(std::string("cannot write '") + argv[2] + "'");
    std::fprintf(stderr, "%zu trees of %zu variants, %llu vertices\n", plan.instances.size(), grown.size(),
                 static_cast<unsigned long long>(forest.VertexCount()));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "forest_picture: %s\n", error.what());
    return 1;
  }
}
