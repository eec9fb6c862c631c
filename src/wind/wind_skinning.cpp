#include "wind/wind_skinning.h"

#include <cmath>
#include <stdexcept>

#include "wind/wind_math.h"

namespace vh {
namespace {

// The weighted sum of a vertex's joint transforms applied to p (with the
// offsets) or to a direction (without).
Vector3 Blend(const JointWeights& w, const WindPose& pose, const Vector3& p, bool withOffset) {
  Vector3 sum;
  for (int i = 0; i < w.count; ++i) {
    const std::size_t joint = w.joints[static_cast<std::size_t>(i)];
    Vector3 moved = Times(pose.rotation[joint], p);
    if (withOffset) moved += pose.offset[joint];
    sum += moved * w.weights[static_cast<std::size_t>(i)];
  }
  return sum;
}

// The leaf's flutter as one rotation about its stalk.
WindMatrix FlutterOf(const LeafFlutterShape& leaf, const WindMotion& motion, double t) {
  const WindMotion::Flutter f = motion.LeafFlutter(leaf.phase, leaf.variety, t);
  return MatrixOf(RotationFromVector(f.twist * leaf.midrib.x + f.flap * leaf.across.x,
                                     f.twist * leaf.midrib.y + f.flap * leaf.across.y,
                                     f.twist * leaf.midrib.z + f.flap * leaf.across.z));
}

}  // namespace

WindSkin::WindSkin(const WindRig& rig, const MeshObject& mesh, bool wholeTree) {
  m_first.reserve(mesh.submeshes.size() + 1);
  m_weights.reserve(mesh.VertexCount());
  for (std::size_t i = 0; i < mesh.submeshes.size(); ++i) {
    const Submesh& submesh = *mesh.submeshes[i];
    m_first.push_back(m_weights.size());
    const SubmeshWind binding(rig, submesh, wholeTree);
    for (const Vertex& v : submesh.vertices) m_weights.push_back(binding.WeightsAt(v.position));
    if (const LeafFlutterShape* leaf = binding.Leaf()) m_leaves.push_back({i, *leaf});
  }
  m_first.push_back(m_weights.size());
}

void WindSkin::Pose(const MeshObject& mesh, const WindMotion& motion, const WindPose& pose,
                    std::vector<Vector3>& positions, std::vector<Vector3>* normals) const {
  const auto mismatch = [] {
    throw std::invalid_argument("the mesh to pose is not the mesh the wind was bound to");
  };
  if (mesh.submeshes.size() + 1 != m_first.size()) mismatch();
  positions.resize(m_weights.size());
  if (normals) normals->resize(m_weights.size());
  std::size_t nextLeaf = 0;
  for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
    const auto& vertices = mesh.submeshes[s]->vertices;
    const std::size_t first = m_first[s];
    if (first + vertices.size() != m_first[s + 1]) mismatch();
    if (pose.atRest) {
      for (std::size_t k = 0; k < vertices.size(); ++k) {
        positions[first + k] = vertices[k].position;
        if (normals) (*normals)[first + k] = vertices[k].normal;
      }
      continue;
    }
    const Leaf* leaf =
        nextLeaf < m_leaves.size() && m_leaves[nextLeaf].submesh == s ? &m_leaves[nextLeaf++] : nullptr;
    const WindMatrix flutter = leaf ? FlutterOf(leaf->shape, motion, pose.time) : WindMatrix();
    for (std::size_t k = 0; k < vertices.size(); ++k) {
      const JointWeights& w = m_weights[first + k];
      Vector3 p = vertices[k].position;
      Vector3 n = vertices[k].normal;
      if (leaf) {
        p = leaf->shape.pivot + Times(flutter, p - leaf->shape.pivot);
        n = Times(flutter, n);
      }
      positions[first + k] = Blend(w, pose, p, true);
      if (normals) (*normals)[first + k] = UnitOr(Blend(w, pose, n, false), n);
    }
  }
}

}  // namespace vh
