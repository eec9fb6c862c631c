#include "view/swaying_tree.h"

#include <atomic>

namespace vh {
namespace {

std::unique_ptr<MeshObject> Reduction(const MeshObject& tree, const std::optional<LodReduction>& level) {
  return level ? ReduceTree(tree, *level) : nullptr;
}

std::uint64_t NextId() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

}  // namespace

SwayingTree::SwayingTree(const MeshObject& tree, const WindSettings& wind, const SwayingOptions& options)
    : m_tree(tree),
      m_first(tree.submeshes.empty() ? std::weak_ptr<Submesh>() : tree.submeshes.front()),
      m_submeshCount(tree.submeshes.size()),
      m_wireframe(options.wireframe),
      m_reduced(Reduction(tree, options.level)),
      m_posed(m_reduced != nullptr ? *m_reduced : tree),
      m_rig(BuildWindRig(tree)),
      m_skin(m_rig, m_posed),
      m_motion(m_rig, wind),
      m_id(NextId()) {
  FillOptions fill;
  fill.wireframe = options.wireframe;
  fill.recordSources = true;
  m_buffers = FillMeshBuffers(m_posed, fill);
  PoseAt(0.0);
}

void SwayingTree::SetWind(const WindSettings& wind) {
  m_motion = WindMotion(m_rig, wind);
  PoseAt(m_pose.time);
}

void SwayingTree::PoseAt(double t) {
  PoseJoints(m_motion, t, m_pose);
  m_skin.Pose(m_posed, m_motion, m_pose, m_positions, &m_normals);
  for (BufferBatch& batch : m_buffers.batches) {
    for (BufferBlock& block : batch.blocks) {
      for (std::size_t i = 0; i < block.vertices.size(); ++i) {
        const Vector3& p = m_positions[block.sources[i]];
        const Vector3& n = m_normals[block.sources[i]];
        BufferVertex& v = block.vertices[i];
        v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
        v.normal[0] = n.x, v.normal[1] = n.y, v.normal[2] = n.z;
      }
    }
  }
  ++m_poseNumber;
}

bool SwayingTree::Shows(const MeshObject& tree, bool wireframe) const {
  if (&tree != &m_tree || wireframe != m_wireframe || tree.submeshes.size() != m_submeshCount) return false;
  return tree.submeshes.empty() || (!m_first.expired() && m_first.lock() == tree.submeshes.front());
}

double WindClock::SecondsAt(Clock::time_point now) const {
  if (!m_playing) return m_stopped;
  return std::chrono::duration<double>(now - m_started).count();
}

void WindClock::Play(Clock::time_point now) {
  if (m_playing) return;
  m_started = now - std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_stopped));
  m_playing = true;
}

void WindClock::StopAt(double seconds) {
  m_playing = false;
  m_stopped = seconds;
}

void WindClock::Pause(Clock::time_point now) {
  if (!m_playing) return;
  m_stopped = SecondsAt(now);
  m_playing = false;
}

}  // namespace vh
