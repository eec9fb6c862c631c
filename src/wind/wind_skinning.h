// Posing a mesh in the wind on the processor: the joints and weights of
// every vertex, found once, then for each pose every vertex moved by the
// weighted transforms of its joints (linear blend skinning), leaves
// fluttering about their stalks first. This is what a view draws, and what
// a glTF viewer computes from the exported skin, less the flutter.
#pragma once

#include <cstddef>
#include <vector>

#include "tree/mesh.h"
#include "wind/wind_binding.h"
#include "wind/wind_motion.h"
#include "wind/wind_rig.h"

namespace vh {

class WindSkin {
 public:
  // Binds every vertex of `mesh` to `rig` (see SubmeshWind; `wholeTree` as
  // there). The mesh is only read, here and when posing; it must keep its
  // vertices as they are between the two.
  WindSkin(const WindRig& rig, const MeshObject& mesh, bool wholeTree = false);

  std::size_t VertexCount() const { return m_weights.size(); }
  // Every vertex's joints and weights, submesh after submesh in the mesh's
  // order; submesh i's begin at FirstVertexOf(i).
  const std::vector<JointWeights>& Weights() const { return m_weights; }
  std::size_t FirstVertexOf(std::size_t submesh) const { return m_first[submesh]; }

  // Every vertex of `mesh` (the mesh bound) in `pose`, in the order of
  // Weights(): positions and, when asked, unit normals. A pose at rest
  // gives the mesh's own positions and normals, bit for bit. Throws
  // std::invalid_argument for a mesh with other submeshes or vertex counts.
  void Pose(const MeshObject& mesh, const WindMotion& motion, const WindPose& pose,
            std::vector<Vector3>& positions, std::vector<Vector3>* normals = nullptr) const;

 private:
  struct Leaf {
    std::size_t submesh = 0;
    LeafFlutterShape shape;
  };
  std::vector<JointWeights> m_weights;
  std::vector<std::size_t> m_first;  // one more than the submeshes
  std::vector<Leaf> m_leaves;        // in the mesh's order
};

}  // namespace vh
