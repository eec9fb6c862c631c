// The tree in the wind as the view draws it: the vertex stream that the
// tree's display lists hold (the same triangles, winding, colours and
// texture coordinates, strips unrolled into triangles), kept as a few
// interleaved vertex arrays, one per drawing state, whose positions and
// normals are posed in the wind on the processor for every frame
// (WindSkin). Plain data, no GL: swaying_drawing.h draws it.
//
// A tree too large to pose at the preview's rate is posed as a reduced
// copy (the finest of the view's interaction levels that fits,
// interaction_levels.h), whose submeshes keep the tree's object numbers and
// so find their joints in the tree's rig.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tree/mesh.h"
#include "tree/wind_settings.h"
#include "view/mesh_buffers.h"
#include "wind/wind_motion.h"
#include "wind/wind_rig.h"
#include "wind/wind_skinning.h"

namespace vh {

// One vertex as GL reads it from the interleaved arrays: 36 bytes, colour
// as red, green, blue, alpha on 0..255.
struct SwayingVertex {
  float position[3];
  float normal[3];
  float texCoord[2];
  std::uint8_t colour[4];
};
static_assert(sizeof(SwayingVertex) == 36,
              "SwayingVertex must stay tightly packed for the interleaved arrays");

// The vertices of one drawing state: texture (0: untextured) and culling.
struct SwayingBatch {
  BatchState state;
  std::vector<SwayingVertex> vertices;
  std::vector<std::uint32_t> indices;  // triangles, or line pairs in wireframe
  std::vector<std::uint32_t> sources;  // per vertex: its vertex in the skin's order
};

struct SwayingOptions {
  bool wireframe = false;  // the outlines the wireframe lists draw, as line pairs
  // A tree of more vertices is posed as a reduced copy (a share of its
  // triangles of this over its vertices): on a software renderer a frame of
  // pose and draw then stays well under the preview's 33 ms.
  std::uint64_t mostVertices = 30'000;
};

class SwayingTree {
 public:
  // Binds `tree` (a grown tree, which must outlive this and keep its
  // vertices) in `wind` and poses it at rest.
  SwayingTree(const MeshObject& tree, const WindSettings& wind, const SwayingOptions& options = {});

  // New wind settings for the same tree: the binding stays.
  void SetWind(const WindSettings& wind);
  // Poses the tree at time `t` (seconds; the motion loops after
  // LoopLength()) into the batches' positions and normals.
  void PoseAt(double t);

  const std::vector<SwayingBatch>& Batches() const { return m_batches; }
  // Whether this draws the tree in its own name: the same submeshes, in
  // the same wireframe mode.
  bool Shows(const MeshObject& tree, bool wireframe) const;
  bool Reduced() const { return m_reduced != nullptr; }
  bool Wireframe() const { return m_wireframe; }
  double LoopLength() const { return m_motion.LoopLength(); }
  double PosedAt() const { return m_pose.time; }
  std::size_t VertexCount() const;

 private:
  void RecordStream(const MeshObject& mesh, bool wireframe);

  const MeshObject& m_tree;
  std::weak_ptr<Submesh> m_first;  // the tree's first submesh, to know it again
  std::size_t m_submeshCount = 0;
  bool m_wireframe = false;
  std::unique_ptr<MeshObject> m_reduced;  // the copy posed instead of a large tree
  const MeshObject& m_posed;              // the tree or m_reduced
  WindRig m_rig;
  WindSkin m_skin;
  WindMotion m_motion;
  WindPose m_pose;
  std::vector<Vector3> m_positions, m_normals;
  std::vector<SwayingBatch> m_batches;
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
