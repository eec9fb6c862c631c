#include "wind/wind_binding.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "wind/wind_math.h"

namespace vh {
namespace {

Vector3 Centroid(const Submesh& submesh) {
  double x = 0, y = 0, z = 0;
  for (const Vertex& v : submesh.vertices) {
    x += v.position.x;
    y += v.position.y;
    z += v.position.z;
  }
  const double n = static_cast<double>(std::max<std::size_t>(1, submesh.vertices.size()));
  return {static_cast<float>(x / n), static_cast<float>(y / n), static_cast<float>(z / n)};
}

// A leaf turns about its stalk: the vertex nearest the axis of the branch
// it grows on.
LeafFlutterShape FlutterShapeOf(const Submesh& leaf, const WindBranch& branch, int ordinal) {
  LeafFlutterShape shape;
  const Vector3 axis = UnitOr(branch.tip - branch.base, UnitY);
  float nearest = std::numeric_limits<float>::infinity();
  for (const Vertex& v : leaf.vertices) {
    const Vector3 offset = v.position - branch.base;
    const Vector3 across = offset - axis * DotF(offset, axis);
    const float distance = DotF(across, across);
    if (distance < nearest) {
      nearest = distance;
      shape.pivot = v.position;
    }
  }
  for (const Vertex& v : leaf.vertices) {
    const Vector3 offset = v.position - shape.pivot;
    shape.reach = std::max(shape.reach, std::sqrt(DotF(offset, offset)));
  }
  shape.midrib = UnitOr(Centroid(leaf) - shape.pivot, UnitY);
  const Vector3 normal = leaf.vertices.empty() ? UnitY : leaf.vertices.front().normal;
  shape.across = UnitOr(CrossF(shape.midrib, normal), UnitOr(CrossF(shape.midrib, UnitX), UnitZ));
  const std::uint64_t place = LeafPlace(branch.place, ordinal);
  shape.phase = PlaceFraction(place, kPhaseSalt);
  shape.variety = PlaceFraction(place, kVarietySalt);
  return shape;
}

}  // namespace

SubmeshWind::SubmeshWind(const WindRig& rig, const Submesh& submesh, bool wholeTree) : m_rig(rig) {
  m_branch = rig.Trunk();
  if (m_branch) m_pivot = m_branch->base;
  const bool known = submesh.texture == kBarkMaterial || submesh.texture == kLeafMaterial;
  const WindOwner* owner = wholeTree || !known ? nullptr : rig.OwnerOf(submesh.displayList);
  if (owner == nullptr) return;  // sways with the trunk

  const WindBranch& branch = rig.branches[owner->branch];
  const WindBranch* anchor = rig.AnchorOf(branch);
  if (anchor != nullptr && anchor->level >= 1) {
    m_swaying = anchor;
    const WindJoint& joint = rig.joints[static_cast<std::size_t>(anchor->joint)];
    m_phase = static_cast<float>(joint.phase);
    m_pivot = joint.base;
  }
  m_branch = &branch;
  if (owner->leaf < 0) {
    m_kind = Kind::kOnBranch;
    return;
  }
  m_kind = Kind::kLeaf;
  const Vector3 centre = Centroid(submesh);
  m_leafWeights = rig.WeightsOn(branch, centre).Quantised();
  if (m_swaying) m_leafAlong = m_swaying->Along(centre);
  m_isLeaf = !submesh.vertices.empty();
  if (m_isLeaf) m_leaf = FlutterShapeOf(submesh, branch, owner->leaf);
}

JointWeights SubmeshWind::WeightsAt(const Vector3& p) const {
  if (m_kind == Kind::kLeaf) return m_leafWeights;
  if (m_branch == nullptr) return JointWeights::One(0);
  return m_rig.WeightsOn(*m_branch, p).Quantised();
}

WindShaderValues SubmeshWind::ShaderValuesAt(const Vector3& p, const JointWeights& weights) const {
  WindShaderValues values;
  values.trunkBend = 1.0f - weights.WeightOf(0);
  values.phase = m_phase;
  values.pivot = m_pivot;
  if (m_kind == Kind::kOnBranch && m_swaying) values.branchBend = m_swaying->Along(p);
  if (m_kind == Kind::kLeaf) values.branchBend = m_leafAlong;
  if (m_isLeaf && m_leaf.reach > 0.0f) {
    const Vector3 offset = p - m_leaf.pivot;
    values.flutter = std::min(1.0f, std::sqrt(DotF(offset, offset)) / m_leaf.reach);
  }
  return values;
}

}  // namespace vh
