// libFuzzer target for the wind section of documents on its own: the input
// follows a fixed document's level blocks, where the wind section goes.
// What reads must save and read as the same settings; its motion, on a
// small tree grown once, must stay finite and small at any time, loop
// exactly with its loop length, and export as a .glb whose skin and
// animation pass the read-back checks of glb_checks.h. Any crash,
// sanitizer report, exception or failed check is a finding.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fileio/document.h"
#include "fileio/document_error.h"
#include "fileio/export_scene.h"
#include "fileio/gltf_export.h"
#include "fuzzed_document.h"
#include "glb_checks.h"
#include "tree/tree.h"
#include "wind/wind_motion.h"
#include "wind/wind_rig.h"
#include "wind/wind_skinning.h"

namespace {

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

// The tree every input sways: trunk, two levels of branches and their
// leaves, coarsely meshed (a few hundred vertices: the motion is the same
// for any number, and fewer make more inputs a second).
struct SmallTree {
  SmallTree() : params(1) {
    params.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
    params.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
    for (vh::LevelParameters& level : params.levels) {
      level.qualityAngle = 3;
      level.qualityHeight = 2;
      level.nbChildrenMin = level.nbChildrenMax = 4;
      level.leafDensity = 3;
    }
    tree = vh::Generate(params);
    rig = vh::BuildWindRig(tree);
    skin = std::make_unique<vh::WindSkin>(rig, tree, true);
    prefix = vh::FormatDocument(params);
    for (const auto& submesh : tree.submeshes)
      for (const auto& vertex : submesh->vertices)
        height = std::max(height, static_cast<double>(vertex.position.y));
  }
  vh::TreeParameters params;
  vh::Tree tree;
  vh::WindRig rig;
  std::unique_ptr<vh::WindSkin> skin;
  std::string prefix;  // the document without a wind section
  double height = 0.0;
};

const SmallTree& Small() {
  static const SmallTree small;
  return small;
}

bool Finite(const vh::Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The tree posed at `t`: finite, and no point further from its place at
// rest than the tree is high (the angles stay a few degrees).
std::vector<vh::Vector3> Posed(const vh::WindMotion& motion, double t) {
  const SmallTree& small = Small();
  vh::WindPose pose;
  vh::PoseJoints(motion, t, pose);
  std::vector<vh::Vector3> positions;
  small.skin->Pose(small.tree, motion, pose, positions);
  std::size_t i = 0;
  for (const auto& submesh : small.tree.submeshes) {
    for (const auto& vertex : submesh->vertices) {
      const vh::Vector3& p = positions[i++];
      if (!Finite(p)) Finding("a vertex posed at t = " + std::to_string(t) + " is not finite");
      const double dx = p.x - vertex.position.x, dy = p.y - vertex.position.y, dz = p.z - vertex.position.z;
      if (std::sqrt(dx * dx + dy * dy + dz * dz) > small.height)
        Finding("a vertex posed at t = " + std::to_string(t) + " moved further than the tree is high");
    }
  }
  return positions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const SmallTree& small = Small();
  const std::optional<vh::TreeParameters> read = ReadFuzzedDocument(data, size, small.prefix);
  if (!read) return 0;
  const vh::TreeParameters& params = *read;
  std::istringstream again(vh::FormatDocument(params));
  if (!(vh::ParseDocument(again, "again.vhm", vh::TreeParameters()).wind == params.wind))
    Finding("the wind settings read differ after saving and reading again");

  const vh::WindMotion motion(small.rig, params.wind);
  const double loop = motion.LoopLength();
  if (!(loop > 0.0 && std::isfinite(loop))) Finding("the loop length is " + std::to_string(loop));
  for (const double phase : {0.0, 0.3, 0.9})
    for (const double t : {0.0, 0.37 * loop, -2.5}) {
      const vh::WindMotion::Flutter flutter = motion.LeafFlutter(phase, 1.0 - phase, t);
      if (!std::isfinite(flutter.twist) || !std::isfinite(flutter.flap))
        Finding("a leaf's flutter is not finite");
    }
  // The motion repeats after its loop length; floating-point error in the
  // phases grows with t, hence a tolerance of a few micrometres per metre.
  const std::vector<vh::Vector3> early = Posed(motion, 0.37 * loop);
  const std::vector<vh::Vector3> late = Posed(motion, 1.37 * loop);
  for (std::size_t i = 0; i < early.size(); ++i) {
    const double tolerance = 1e-5 * small.height;
    if (std::abs(early[i].x - late[i].x) > tolerance || std::abs(early[i].y - late[i].y) > tolerance ||
        std::abs(early[i].z - late[i].z) > tolerance)
      Finding("the motion does not repeat after its loop length");
  }
  Posed(motion, -1e4 * loop);

  vh::ExportScene scene = vh::SingleMeshScene(small.tree);
  scene.wind = vh::SwayingExport(params.wind, size % 2 != 0);
  vh::GlbFile glb(scene, "wind.glb");
  const std::string fault = vh::fuzz::GlbFault(glb.Bytes());
  if (!fault.empty()) Finding("the swaying .glb: " + fault);
  return 0;
}
