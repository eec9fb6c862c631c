// Posing a tree in the wind on the processor: at rest it is the tree as
// grown, in the wind it moves, and it bends where branches meet without
// tearing.
#include "wind/wind_skinning.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "wind/wind_test_support.h"

namespace vh {
namespace {

float Distance(const Vector3& a, const Vector3& b) { return std::sqrt(LengthSquared(a - b)); }

struct Posed {
  std::vector<Vector3> positions, normals;
};

Posed PoseAt(const WindSkin& skin, const MeshObject& mesh, const WindMotion& motion, double t) {
  WindPose pose;
  PoseJoints(motion, t, pose);
  Posed posed;
  skin.Pose(mesh, motion, pose, posed.positions, &posed.normals);
  return posed;
}

TEST(WindSkin, AtRestTheTreeIsAsGrownBitForBit) {
  const Tree tree = test::LeafyTree();
  const WindRig rig = BuildWindRig(tree);
  const WindSkin skin(rig, tree);
  ASSERT_EQ(skin.VertexCount(), tree.VertexCount());
  WindSettings off = test::Wind();
  off.enabled = false;
  const Posed posed = PoseAt(skin, tree, WindMotion(rig, off), 3.0);
  std::size_t i = 0;
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      ASSERT_EQ(posed.positions[i], v.position) << i;
      ASSERT_EQ(posed.normals[i++], v.normal);
    }
}

// Two frames a quarter of a loop apart differ everywhere but at the
// ground; the leaves move more than the trunk's base.
TEST(WindSkin, TheTreeSwaysAndItsLeavesFlutter) {
  const Tree tree = test::LeafyTree();
  const WindRig rig = BuildWindRig(tree);
  const WindSkin skin(rig, tree);
  const WindMotion motion(rig, test::Wind());
  const Posed first = PoseAt(skin, tree, motion, 0.0);
  const Posed later = PoseAt(skin, tree, motion, motion.LoopLength() / 4);
  float leafMotion = 0.0f, trunkBaseMotion = 0.0f;
  for (std::size_t s = 0; s < tree.submeshes.size(); ++s) {
    const Submesh& submesh = *tree.submeshes[s];
    for (std::size_t k = 0; k < submesh.vertices.size(); ++k) {
      const std::size_t i = skin.FirstVertexOf(s) + k;
      const float moved = Distance(first.positions[i], later.positions[i]);
      EXPECT_NEAR(LengthSquared(later.normals[i]), 1.0f, 1e-4f);
      if (submesh.texture == kLeafMaterial) leafMotion = std::max(leafMotion, moved);
      if (test::AsBranch(submesh) && test::AsBranch(submesh)->level == 0 && k < 7)
        trunkBaseMotion = std::max(trunkBaseMotion, moved);
    }
  }
  EXPECT_LT(trunkBaseMotion, 1e-3f);
  EXPECT_GT(leafMotion, 1.0f);
}

// Where a child is welded onto its parent, its base ring lies on its
// parent's vertices; posed, each pair must still meet (to rounding), and
// the posed tree must not grow or shrink anywhere by much.
TEST(WindSkin, BranchesBendWhereTheyMeetWithoutTearing) {
  const Tree tree = Generate(TreeParameters(3));
  const WindRig rig = BuildWindRig(tree);
  const WindSkin skin(rig, tree);
  WindSettings strong = test::Wind();
  strong.strength = 100;
  strong.turbulence = 100;
  const WindMotion motion(rig, strong);
  const Posed posed = PoseAt(skin, tree, motion, 1.3);
  std::map<std::tuple<float, float, float>, std::size_t> restIndex;
  int shared = 0;
  float widest = 0.0f;
  for (std::size_t s = 0; s < tree.submeshes.size(); ++s) {
    const Submesh& submesh = *tree.submeshes[s];
    for (std::size_t k = 0; k < submesh.vertices.size(); ++k) {
      const Vector3& p = submesh.vertices[k].position;
      const std::size_t i = skin.FirstVertexOf(s) + k;
      const auto [at, fresh] = restIndex.emplace(std::make_tuple(p.x, p.y, p.z), i);
      if (fresh) continue;
      ++shared;
      widest = std::max(widest, Distance(posed.positions[at->second], posed.positions[i]));
    }
  }
  EXPECT_GT(shared, 100) << "welded base rings share their parents' vertices";
  EXPECT_LT(widest, 0.05f) << "a gap opened where branches meet";
}

}  // namespace
}  // namespace vh
