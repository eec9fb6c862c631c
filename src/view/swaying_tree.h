// The tree in the wind as the view draws it: the same buffers the view
// fills for the tree (mesh_buffers.h), whose positions and normals are
// posed in the wind on the processor for every frame (WindSkin) and then
// written over the uploaded ones (GpuMeshBuffers::UpdateVertices). Plain
// data, no GL.
//
// A tree too large to pose whole at the preview's rate is posed at one of
// the view's interaction levels (interaction_levels.h): the level the view
// draws it at while the camera moves (BufferedScene::MovingLevel), whose
// submeshes keep the tree's object numbers and so find their joints in the
// tree's rig. A still frame (the preview paused, a screenshot) poses the
// whole tree.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "billboard/lod_reduction.h"
#include "tree/mesh.h"
#include "tree/wind_settings.h"
#include "view/mesh_buffers.h"
#include "wind/wind_motion.h"
#include "wind/wind_rig.h"
#include "wind/wind_skinning.h"

namespace vh {

struct SwayingOptions {
  bool wireframe = false;  // posed as the outlines the wireframe buffers draw
  // The reduction posed in the tree's place; none: the whole tree.
  std::optional<LodReduction> level;
};

class SwayingTree {
 public:
  // Binds `tree` (a grown tree, which must outlive this and keep its
  // vertices) in `wind` and poses it at time 0.
  SwayingTree(const MeshObject& tree, const WindSettings& wind, const SwayingOptions& options = {});

  // New wind settings for the same tree: the binding stays.
  void SetWind(const WindSettings& wind);
  // Poses the tree at time `t` (seconds; the motion loops after
  // LoopLength()) into the buffers' positions and normals.
  void PoseAt(double t);

  // The posed tree as the view draws it: exactly the buffers FillMeshBuffers
  // makes of the posed mesh, with each vertex's position and normal posed.
  const MeshBuffers& Buffers() const { return m_buffers; }
  // Tells one swaying tree from another and one pose from the next: the
  // view uploads the vertices again only when the pose changed.
  std::uint64_t Id() const { return m_id; }
  std::uint64_t PoseNumber() const { return m_poseNumber; }

  // Whether this draws the tree in its own name: the same submeshes, in
  // the same wireframe mode.
  bool Shows(const MeshObject& tree, bool wireframe) const;
  bool Reduced() const { return m_reduced != nullptr; }
  bool Wireframe() const { return m_wireframe; }
  double LoopLength() const { return m_motion.LoopLength(); }
  double PosedAt() const { return m_pose.time; }
  std::uint64_t VertexCount() const { return m_buffers.VertexCount(); }
  std::uint64_t Primitives() const { return m_buffers.primitives; }

 private:
  const MeshObject& m_tree;
  std::weak_ptr<Submesh> m_first;  // the tree's first submesh, to know it again
  std::size_t m_submeshCount = 0;
  bool m_wireframe = false;
  std::unique_ptr<MeshObject> m_reduced;  // the level posed instead of a large tree
  const MeshObject& m_posed;              // the tree or m_reduced
  WindRig m_rig;
  WindSkin m_skin;
  WindMotion m_motion;
  WindPose m_pose;
  std::vector<Vector3> m_positions, m_normals;
  MeshBuffers m_buffers;
  std::uint64_t m_id;
  std::uint64_t m_poseNumber = 0;
};

// The time of the preview: runs while playing, stands while paused.
class WindClock {
 public:
  using Clock = std::chrono::steady_clock;
  // Seconds of wind shown at `now`.
  double SecondsAt(Clock::time_point now) const;
  bool Playing() const { return m_playing; }
  void Play(Clock::time_point now);
  void Pause(Clock::time_point now);
  // Paused at `seconds`.
  void StopAt(double seconds);

 private:
  bool m_playing = false;
  double m_stopped = 0.0;       // seconds shown while paused
  Clock::time_point m_started;  // when it was last played, less the seconds before
};

}  // namespace vh
