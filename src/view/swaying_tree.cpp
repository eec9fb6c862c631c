#include "view/swaying_tree.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <unordered_map>

#include "billboard/lod_reduction.h"
#include "view/interaction_levels.h"
#include "view/submesh_drawing.h"

namespace vh {
namespace {

std::uint8_t Byte(float value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// A back end of SendSubmesh that records what GL would be sent: each
// vertex with the colour and texture coordinate that are current when it
// is sent, and its source vertex; each Begin/End run becomes triangles (or
// line pairs) of the batch of its drawing state.
class StreamRecorder {
 public:
  StreamRecorder(std::vector<SwayingBatch>& batches, std::map<std::pair<int, bool>, std::size_t>& byState)
      : m_batches(batches), m_byState(byState) {}

  void Start(const Submesh& submesh, std::size_t firstSource) {
    m_submesh = &submesh;
    m_firstSource = firstSource;
  }

  void SetCulling(bool enabled) { m_cull = enabled; }
  void EnableTexture(int name) { m_texture = name; }
  void DisableTexture() { m_texture = 0; }
  void Begin(Primitive primitive) {
    m_primitive = primitive;
    m_run.clear();
  }
  void End() {
    const auto key = std::make_pair(m_texture, m_cull);
    auto found = m_byState.find(key);
    if (found == m_byState.end()) {
      found = m_byState.emplace(key, m_batches.size()).first;
      m_batches.push_back(SwayingBatch{BatchState{m_texture, m_cull}, {}, {}, {}});
    }
    Append(m_batches[found->second]);
  }
  void Color4(float r, float g, float b, float a) { m_colour = {Byte(r), Byte(g), Byte(b), Byte(a)}; }
  void Color3(float r, float g, float b) { m_colour = {Byte(r), Byte(g), Byte(b), 255}; }
  void TexCoord2(float u, float v) { m_texCoord = {u, v}; }
  void Normal3(float, float, float) {}
  void Source(const Vertex& v) { m_source = &v; }
  void Vertex3(float x, float y, float z) {
    const Vector3& n = m_source->normal;
    SwayingVertex vertex{{x, y, z},
                         {n.x, n.y, n.z},
                         {m_texCoord[0], m_texCoord[1]},
                         {m_colour[0], m_colour[1], m_colour[2], m_colour[3]}};
    const auto local = static_cast<std::size_t>(m_source - m_submesh->vertices.data());
    m_run.push_back({vertex, static_cast<std::uint32_t>(m_firstSource + local)});
  }

 private:
  struct Sent {
    SwayingVertex vertex;
    std::uint32_t source;
  };

  // The run as indexed primitives: a strip unrolled into triangles of the
  // strip's winding (its joins, which repeat a vertex, dropped), a line
  // strip into segments. A vertex sent again with the same colour and
  // texture coordinate (a triangle list's shared corners) is stored once,
  // so that a frame poses each about once.
  void Append(SwayingBatch& batch) {
    m_index.clear();
    std::vector<std::uint32_t> at(m_run.size());
    for (std::size_t i = 0; i < m_run.size(); ++i) {
      const Sent& sent = m_run[i];
      const auto [found, fresh] =
          m_index.try_emplace(sent.source, static_cast<std::uint32_t>(batch.vertices.size()));
      if (!fresh && SameLook(batch.vertices[found->second], sent.vertex)) {
        at[i] = found->second;
        continue;
      }
      at[i] = static_cast<std::uint32_t>(batch.vertices.size());
      batch.vertices.push_back(sent.vertex);
      batch.sources.push_back(sent.source);
    }
    const auto n = static_cast<std::uint32_t>(m_run.size());
    const auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
      if (m_run[a].source == m_run[b].source || m_run[b].source == m_run[c].source ||
          m_run[a].source == m_run[c].source)
        return;
      batch.indices.insert(batch.indices.end(), {at[a], at[b], at[c]});
    };
    switch (m_primitive) {
      case Primitive::kTriangles:
        for (std::uint32_t i = 0; i + 2 < n; i += 3) add(i, i + 1, i + 2);
        break;
      case Primitive::kTriangleStrip:
        for (std::uint32_t i = 0; i + 2 < n; ++i) {
          if (i % 2 == 0) {
            add(i, i + 1, i + 2);
          } else {
            add(i + 1, i, i + 2);
          }
        }
        break;
      case Primitive::kLineStrip:
        for (std::uint32_t i = 0; i + 1 < n; ++i)
          batch.indices.insert(batch.indices.end(), {at[i], at[i + 1]});
        break;
    }
  }

  static bool SameLook(const SwayingVertex& a, const SwayingVertex& b) {
    return std::equal(a.colour, a.colour + 4, b.colour) && a.texCoord[0] == b.texCoord[0] &&
           a.texCoord[1] == b.texCoord[1];
  }

  std::vector<SwayingBatch>& m_batches;
  std::map<std::pair<int, bool>, std::size_t>& m_byState;
  const Submesh* m_submesh = nullptr;
  std::size_t m_firstSource = 0;
  const Vertex* m_source = nullptr;
  Primitive m_primitive = Primitive::kTriangles;
  int m_texture = 0;
  bool m_cull = false;
  std::array<std::uint8_t, 4> m_colour{255, 255, 255, 255};
  std::array<float, 2> m_texCoord{0.0f, 0.0f};
  std::vector<Sent> m_run;
  std::unordered_map<std::uint32_t, std::uint32_t> m_index;  // source -> its first vertex of the run
};

// The reduced copy of a tree too large to pose at the preview's rate: the
// finest of the view's interaction levels (interaction_levels.h) whose
// share of the tree's vertices stays within `mostVertices`, so that the
// tree sways at the level the view draws it at while the camera moves.
std::unique_ptr<MeshObject> InteractionCopy(const MeshObject& tree, std::uint64_t mostVertices) {
  const double vertices = static_cast<double>(tree.VertexCount());
  if (vertices <= static_cast<double>(mostVertices)) return nullptr;
  const std::vector<LodReduction> levels = InteractionReductions(tree.PolygonCount());  // coarsest first
  LodReduction chosen;
  chosen.triangleShare = static_cast<double>(mostVertices) / vertices;
  chosen.thinnestBranch = std::min(0.02, 0.0006 / chosen.triangleShare);
  chosen.mostLeafGrowth = kInteractionLeafGrowth;
  for (const LodReduction& level : levels) {
    if (level.triangleShare * vertices <= static_cast<double>(mostVertices)) chosen = level;
  }
  return ReduceTree(tree, chosen);
}

}  // namespace

SwayingTree::SwayingTree(const MeshObject& tree, const WindSettings& wind, const SwayingOptions& options)
    : m_tree(tree),
      m_first(tree.submeshes.empty() ? std::weak_ptr<Submesh>() : tree.submeshes.front()),
      m_submeshCount(tree.submeshes.size()),
      m_wireframe(options.wireframe),
      m_reduced(InteractionCopy(tree, options.mostVertices)),
      m_posed(m_reduced != nullptr ? *m_reduced : tree),
      m_rig(BuildWindRig(tree)),
      m_skin(m_rig, m_posed),
      m_motion(m_rig, wind) {
  RecordStream(m_posed, options.wireframe);
  PoseAt(0.0);
}

void SwayingTree::RecordStream(const MeshObject& mesh, bool wireframe) {
  std::map<std::pair<int, bool>, std::size_t> byState;
  StreamRecorder recorder(m_batches, byState);
  DrawOptions options;
  options.wireframe = wireframe;
  for (std::size_t i = 0; i < mesh.submeshes.size(); ++i) {
    const Submesh& submesh = *mesh.submeshes[i];
    if (submesh.vertices.empty()) continue;
    recorder.Start(submesh, m_skin.FirstVertexOf(i));
    detail::SendSubmesh(recorder, submesh, options);
  }
}

void SwayingTree::SetWind(const WindSettings& wind) {
  m_motion = WindMotion(m_rig, wind);
  PoseAt(m_pose.time);
}

void SwayingTree::PoseAt(double t) {
  PoseJoints(m_motion, t, m_pose);
  m_skin.Pose(m_posed, m_motion, m_pose, m_positions, &m_normals);
  for (SwayingBatch& batch : m_batches) {
    for (std::size_t i = 0; i < batch.vertices.size(); ++i) {
      const Vector3& p = m_positions[batch.sources[i]];
      const Vector3& n = m_normals[batch.sources[i]];
      SwayingVertex& v = batch.vertices[i];
      v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
      v.normal[0] = n.x, v.normal[1] = n.y, v.normal[2] = n.z;
    }
  }
}

bool SwayingTree::Shows(const MeshObject& tree, bool wireframe) const {
  if (&tree != &m_tree || wireframe != m_wireframe || tree.submeshes.size() != m_submeshCount) return false;
  return tree.submeshes.empty() || (!m_first.expired() && m_first.lock() == tree.submeshes.front());
}

std::size_t SwayingTree::VertexCount() const {
  std::size_t count = 0;
  for (const SwayingBatch& batch : m_batches) count += batch.vertices.size();
  return count;
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
