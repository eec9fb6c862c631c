// The wind's skeleton of a grown tree: a joint for the ground, the trunk
// and each branch down to a chosen level, and for every branch where it
// hangs on them. It is read from the tree's submesh list, which generation
// leaves in depth-first order (the trunk's leaves, the trunk, then each
// branch followed by its leaves and its subtree), so generation makes
// nothing for it and grows the same tree as without wind.
//
// A point of the tree follows up to four joints. Along a branch with a
// joint the weight moves linearly from its parent's weights (at its base)
// to its own joint (at its tip), so the branch bends rather than turning
// as a stick. The weights of a point depend on the point and on the
// nearest branch with a joint that carries it, not on which of that
// branch's descendants it lies on: where a child meets its parent both
// give the same weights, and nothing tears. Branches below the chosen
// level follow their nearest branch with a joint point by point; a leaf
// follows it rigidly, as its centre does.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundations/vector3.h"
#include "tree/mesh.h"

namespace vh {

struct WindRigOptions {
  // Branches of this level and above get joints: 0 the trunk alone, 2 the
  // trunk and the first two levels below it.
  int deepestLevel = 2;
  // The most joints, the ground's included: a glTF skin indexes its joints
  // with unsigned bytes. When a level does not fit whole, its longest
  // branches get the joints that are left and the deeper levels none.
  int maxJoints = 255;
};

// Up to four joints and their weights (0..1, summing to 1), heaviest first.
struct JointWeights {
  static constexpr int kMost = 4;
  std::array<std::uint8_t, kMost> joints{};
  std::array<float, kMost> weights{};
  int count = 0;

  static JointWeights One(int joint);
  // The heaviest four of `count` joints and their weights (>= 0, summing
  // to 1), heaviest first; weights of 0 are dropped, and when a positive
  // one is left out the rest are scaled back to a sum of 1.
  static JointWeights Heaviest(const std::uint8_t* joints, const float* weights, int count);
  // The weights rounded to multiples of 1/65536, the heaviest taking what
  // the rounding left, so that they sum to exactly 1 in float arithmetic
  // whatever the order; a weight that rounds to 0 is dropped and its slot
  // names joint 0, as glTF wants of unused slots.
  JointWeights Quantised() const;
  float WeightOf(int joint) const;
};

struct WindJoint {
  Vector3 base;          // where it turns, scene units
  int parent = -1;       // joint index; -1 for the ground joint (joint 0) only
  int level = -1;        // branch level (0 the trunk); -1 the ground
  int branch = -1;       // index into WindRig::branches; -1 the ground
  double phase = 0.0;    // 0..1, from the branch's place in the tree
  double variety = 0.0;  // 0..1, a second value from the same place
  // How far it sways next to others of its level: larger for long, thin
  // branches (0.5..2.5).
  double sway = 1.0;
  std::string name;  // "Ground", "Trunk", "Branch 3.1" (child numbers from 1)
};

struct WindBranch {
  Vector3 base;     // centre of the base, scene units
  Vector3 tip;      // centre of the last ring (along its direction when it has none)
  int parent = -1;  // branch index; -1 for a trunk
  int level = 0;
  int joint = -1;  // its own joint, or -1 when it follows its anchor
  // Its own joint, or that of its nearest ancestor with one (the ground's,
  // 0, when none has).
  int anchorJoint = 0;
  std::uint64_t place = 0;  // hash of its place in the tree
  float length = 0.0f;      // |tip - base|
  // (tip - base) / length², what Along projects on (zero for a branch
  // without length).
  Vector3 alongScale;

  // Where the point `p` lies along the branch: 0 at the base, 1 at the tip
  // (projected on the line from base to tip, clamped).
  float Along(const Vector3& p) const {
    const Vector3 d = p - base;
    const float s = d.x * alongScale.x + d.y * alongScale.y + d.z * alongScale.z;
    return s < 0.0f ? 0.0f : (s > 1.0f ? 1.0f : s);
  }
};

// What a submesh is to the rig, found by its object number: a branch, or a
// leaf carried by one (its number among the branch's leaves, from 0).
struct WindOwner {
  std::uint32_t branch = 0;
  std::int32_t leaf = -1;  // -1: the branch itself
};

class WindRig {
 public:
  std::vector<WindJoint> joints;     // the ground first; parents before children
  std::vector<WindBranch> branches;  // in the tree's order

  // The owner of the submesh numbered `objectNumber` in the tree the rig
  // was built from, or null. Copies of a tree's submeshes that keep its
  // number (the levels of detail) are found too.
  const WindOwner* OwnerOf(unsigned objectNumber) const;
  // The weights of point `p` of branch `b`: by the branch of its anchor
  // joint, (1 - s) of that branch's parent's weights at p and s of the
  // joint, s being where p lies along the branch.
  JointWeights WeightsOn(const WindBranch& b, const Vector3& p) const;
  // The branch of `b`'s anchor joint, or null when that is the ground.
  const WindBranch* AnchorOf(const WindBranch& b) const;
  // The trunk (the first one), or null for a mesh without branches.
  const WindBranch* Trunk() const { return branches.empty() ? nullptr : &branches.front(); }

 private:
  friend WindRig BuildWindRig(const MeshObject&, const WindRigOptions&);
  std::unordered_map<unsigned, WindOwner> m_owners;
};

// The place of the `ordinal`th child (from 0) of the branch at `parent`.
std::uint64_t ChildPlace(std::uint64_t parent, int ordinal);
// The place of the `ordinal`th leaf (from 0) of the branch at `branch`.
std::uint64_t LeafPlace(std::uint64_t branch, int ordinal);
// A value in [0, 1) drawn from a place; each salt draws another.
double PlaceFraction(std::uint64_t place, std::uint64_t salt);
inline constexpr std::uint64_t kPhaseSalt = 0x7068617365ull;  // "phase"
inline constexpr std::uint64_t kVarietySalt = 0x76617269ull;  // "vari"

// The rig of `tree`, a grown tree or a mesh object listing its submeshes in
// the same order (the first level of a level-of-detail chain). Branches are
// its `Branch` submeshes; leaves are the leaf-material submeshes between
// them. A mesh without branches gives a rig with the ground joint alone.
WindRig BuildWindRig(const MeshObject& tree, const WindRigOptions& options = {});

}  // namespace vh
