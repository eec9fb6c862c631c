// How the vertices of one submesh follow a rig: each vertex's joints and
// weights, the values that engines' own foliage shaders read instead of a
// skin, and, for a leaf, how it flutters.
//
// A submesh is found in the rig by its object number. A branch's vertices
// take the weights of their own positions (see WindRig::WeightsOn); a
// leaf's all take those of its centre, so it keeps its shape and only
// flutters. What the rig does not know (billboards, or any mesh in the
// whole-tree mode) sways as a whole with the trunk, by height along it.
#pragma once

#include "foundations/vector3.h"
#include "tree/mesh.h"
#include "wind/wind_rig.h"

namespace vh {

// What one vertex carries for shaders, each value in 0..1.
struct WindShaderValues {
  float trunkBend = 0.0f;   // how far it moves with the trunk (1 - the ground's weight)
  float phase = 0.0f;       // its branch's phase, a fraction of a cycle
  float branchBend = 0.0f;  // along its branch, 0 at the base, 1 at the tip
  float flutter = 0.0f;     // leaves: 0 at the stalk, 1 at the farthest point
  Vector3 pivot;            // its branch's base (the trunk's for the trunk), scene units
};

// How a leaf turns about its stalk.
struct LeafFlutterShape {
  Vector3 pivot;   // the vertex nearest the branch's axis
  Vector3 midrib;  // unit, from the pivot to the leaf's centre
  Vector3 across;  // unit, across the leaf
  double phase = 0.0, variety = 0.0;
  float reach = 0.0f;  // the farthest vertex from the pivot
};

class SubmeshWind {
 public:
  // The binding of `submesh` in `rig`. With `wholeTree` every vertex
  // follows the trunk alone, as billboard levels do.
  SubmeshWind(const WindRig& rig, const Submesh& submesh, bool wholeTree);

  // The weights of a vertex at `p` (rounded: see JointWeights::Quantised).
  JointWeights WeightsAt(const Vector3& p) const;
  WindShaderValues ShaderValuesAt(const Vector3& p, const JointWeights& weights) const;
  // The leaf's flutter, or null for anything but a leaf.
  const LeafFlutterShape* Leaf() const { return m_isLeaf ? &m_leaf : nullptr; }

 private:
  enum class Kind { kOnBranch, kLeaf, kWithTrunk };
  Kind m_kind = Kind::kWithTrunk;
  const WindRig& m_rig;
  const WindBranch* m_branch = nullptr;   // kOnBranch: the branch; kWithTrunk: the trunk
  const WindBranch* m_swaying = nullptr;  // the branch of its anchor joint below the trunk, if any
  JointWeights m_leafWeights;             // kLeaf
  float m_leafAlong = 0.0f;               // kLeaf: its centre along m_swaying
  float m_phase = 0.0f;
  Vector3 m_pivot;
  bool m_isLeaf = false;
  LeafFlutterShape m_leaf;
};

}  // namespace vh
