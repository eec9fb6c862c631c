#include "view/mesh_buffers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "view/submesh_drawing.h"

namespace vh {
namespace {

constexpr std::uint32_t kUnset = std::numeric_limits<std::uint32_t>::max();

std::uint8_t ColourByte(float value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// GL's current colour and texture coordinate while a submesh is sent, and
// the vertices it has sent so far. Each send changes the state exactly as
// the immediate-mode sends of submesh_drawing.h do, then takes a snapshot.
class Emitter {
 public:
  // With `sources`, the vertex each new block vertex was sent from, the
  // submesh's first numbered `firstSource`, goes there.
  Emitter(const Submesh& submesh, BufferBlock& block, std::vector<std::uint32_t>& firstVariant,
          std::vector<std::uint32_t>* sources, std::uint32_t firstSource)
      : m_vertices(submesh.vertices),
        m_textured(submesh.vertices.front().hasTexCoord),
        m_block(block),
        m_firstVariant(firstVariant),
        m_sources(sources),
        m_firstSource(firstSource) {
    m_firstVariant.assign(m_vertices.size(), kUnset);
  }

  // Returns the block index of the vertex sent.
  std::uint32_t Full(std::uint32_t source) {
    const Vertex& v = m_vertices[source];
    SetColour(v.colour, v.alpha);
    if (m_textured) m_texCoord = v.texCoord;
    return Snapshot(source);
  }
  std::uint32_t Short(std::uint32_t source) {
    const Vertex& v = m_vertices[source];
    if (v.hasTexCoord) m_texCoord = v.texCoord;
    SetColour(v.colour, 1.0f);
    return Snapshot(source);
  }
  std::uint32_t Closing(std::uint32_t source) {
    const Vertex& v = m_vertices[source];
    if (v.hasTexCoord) m_texCoord = v.texCoord;
    if (v.hasColour) SetColour(v.colour, 1.0f);
    return Snapshot(source);
  }

 private:
  void SetColour(const Vector3& rgb, float alpha) {
    m_colour[0] = ColourByte(rgb.x);
    m_colour[1] = ColourByte(rgb.y);
    m_colour[2] = ColourByte(rgb.z);
    m_colour[3] = ColourByte(alpha);
  }

  // The vertex as GL sees it now; a source vertex sent twice with the same
  // state is stored once, with another state once per state.
  std::uint32_t Snapshot(std::uint32_t source) {
    const Vertex& v = m_vertices[source];
    BufferVertex out{};
    out.position[0] = v.position.x;
    out.position[1] = v.position.y;
    out.position[2] = v.position.z;
    out.normal[0] = v.normal.x;
    out.normal[1] = v.normal.y;
    out.normal[2] = v.normal.z;
    if (m_textured) {  // untextured drawing ignores the coordinate: keep it out of the comparison
      out.texCoord[0] = m_texCoord.x;
      out.texCoord[1] = m_texCoord.y;
    }
    std::memcpy(out.colour, m_colour, sizeof m_colour);

    std::uint32_t& first = m_firstVariant[source];
    if (first != kUnset && Same(m_block.vertices[first], out)) return first;
    for (const auto& [other, index] : m_otherVariants)
      if (other == source && Same(m_block.vertices[index], out)) return index;
    const auto index = static_cast<std::uint32_t>(m_block.vertices.size());
    m_block.vertices.push_back(out);
    if (m_sources != nullptr) m_sources->push_back(m_firstSource + source);
    if (first == kUnset) {
      first = index;
    } else {
      m_otherVariants.emplace_back(source, index);
    }
    return index;
  }

  static bool Same(const BufferVertex& a, const BufferVertex& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
  }

  const std::pmr::vector<Vertex>& m_vertices;
  const bool m_textured;
  BufferBlock& m_block;
  std::vector<std::uint32_t>& m_firstVariant;  // per source vertex: its first block index
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_otherVariants;  // (source, block index)
  std::vector<std::uint32_t>* m_sources;
  std::uint32_t m_firstSource;
  std::uint8_t m_colour[4] = {255, 255, 255, 255};
  Vector2 m_texCoord;
};

// Turns the vertices sent into GL_TRIANGLES or GL_LINES indices as GL
// would assemble the primitive they were sent for. Primitives whose
// corners are the same source vertex have no area or length and are left
// out (a strip's joins).
class Assembler {
 public:
  Assembler(Primitive primitive, std::vector<std::uint32_t>& indices)
      : m_primitive(primitive), m_indices(indices) {}

  void Add(std::uint32_t index, std::uint32_t source) {
    m_window[m_count % 3] = {index, source};
    ++m_count;
    switch (m_primitive) {
      case Primitive::kTriangles:
        if (m_count % 3 == 0) Triangle(m_window[0], m_window[1], m_window[2]);
        break;
      case Primitive::kTriangleStrip:
        if (m_count >= 3) {
          const Sent& a = m_window[(m_count - 3) % 3];
          const Sent& b = m_window[(m_count - 2) % 3];
          const Sent& c = m_window[(m_count - 1) % 3];
          // Every second triangle of a strip is wound the other way round.
          if ((m_count - 3) % 2 == 0) {
            Triangle(a, b, c);
          } else {
            Triangle(b, a, c);
          }
        }
        break;
      case Primitive::kLineStrip:
        if (m_count >= 2) {
          const Sent& a = m_window[(m_count - 2) % 3];
          const Sent& b = m_window[(m_count - 1) % 3];
          if (a.source != b.source) {
            m_indices.push_back(a.index);
            m_indices.push_back(b.index);
            ++m_primitives;
          }
        }
        break;
    }
  }
  std::uint64_t Primitives() const { return m_primitives; }

 private:
  struct Sent {
    std::uint32_t index;
    std::uint32_t source;
  };
  void Triangle(const Sent& a, const Sent& b, const Sent& c) {
    if (a.source == b.source || b.source == c.source || a.source == c.source) return;
    m_indices.push_back(a.index);
    m_indices.push_back(b.index);
    m_indices.push_back(c.index);
    ++m_primitives;
  }

  Primitive m_primitive;
  std::vector<std::uint32_t>& m_indices;
  Sent m_window[3] = {};
  std::uint64_t m_count = 0;
  std::uint64_t m_primitives = 0;
};

// The vertices and primitives of a submesh as SendSubmeshPrimitive sends
// them: the same walk, each vertex with the state its send leaves. Returns
// the primitives added.
std::uint64_t AppendSubmesh(const Submesh& submesh, bool wireframe, BufferBlock& block,
                            std::vector<std::uint32_t>& scratch, std::vector<std::uint32_t>* sources,
                            std::uint32_t firstSource) {
  Emitter emit(submesh, block, scratch, sources, firstSource);
  Assembler assemble(PrimitiveOf(submesh, wireframe), block.indices);
  WalkSubmesh(submesh, wireframe, [&](VertexSend how, std::uint32_t source) {
    switch (how) {
      case VertexSend::kFull:
        assemble.Add(emit.Full(source), source);
        break;
      case VertexSend::kShort:
        assemble.Add(emit.Short(source), source);
        break;
      case VertexSend::kClosing:
        assemble.Add(emit.Closing(source), source);
        break;
    }
  });
  return assemble.Primitives();
}

BatchState StateOf(const Submesh& submesh) {
  BatchState state;
  state.texture = submesh.vertices.front().hasTexCoord ? submesh.texture : 0;
  state.cullBackFaces = CullsBackFaces(submesh);
  return state;
}

}  // namespace

std::size_t MeshBuffers::Bytes() const {
  std::size_t bytes = 0;
  for (const BufferBatch& batch : batches)
    for (const BufferBlock& block : batch.blocks) bytes += block.Bytes();
  return bytes;
}

std::uint64_t MeshBuffers::VertexCount() const {
  std::uint64_t count = 0;
  for (const BufferBatch& batch : batches)
    for (const BufferBlock& block : batch.blocks) count += block.vertices.size();
  return count;
}

MeshBuffers FillMeshBuffers(const MeshObject& mesh, const FillOptions& options,
                            const std::atomic<bool>* cancel) {
  MeshBuffers buffers;
  buffers.lines = options.wireframe;

  // The vertices each batch will hold at most, to size its blocks once
  // instead of letting them double (twice the memory at the worst moment).
  struct Bound {
    std::size_t vertices = 0;
    std::size_t indices = 0;
  };
  std::vector<Bound> remaining;
  const auto batchOf = [&buffers](const BatchState& state) {
    for (std::size_t b = 0; b < buffers.batches.size(); ++b)
      if (buffers.batches[b].state == state) return b;
    buffers.batches.push_back({state, {}});
    return buffers.batches.size() - 1;
  };
  std::vector<std::size_t> batchOfSubmesh(mesh.submeshes.size(), 0);
  for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
    const Submesh& submesh = *mesh.submeshes[s];
    if (submesh.vertices.empty()) continue;
    const std::size_t b = batchOf(StateOf(submesh));
    batchOfSubmesh[s] = b;
    if (remaining.size() <= b) remaining.resize(b + 1);
    remaining[b].vertices += submesh.vertices.size();
    // At most three indices per triangle, or four outline segments of two.
    remaining[b].indices += submesh.triangles.size() * (options.wireframe ? 8 : 3);
  }

  std::vector<std::uint32_t> scratch;
  std::uint32_t firstSource = 0;
  for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) break;
    const Submesh& submesh = *mesh.submeshes[s];
    const auto first =
        std::exchange(firstSource, firstSource + static_cast<std::uint32_t>(submesh.vertices.size()));
    if (submesh.vertices.empty()) continue;
    const std::size_t b = batchOfSubmesh[s];
    BufferBatch& batch = buffers.batches[b];
    const std::size_t needed = submesh.vertices.size();
    if (batch.blocks.empty() || (!batch.blocks.back().vertices.empty() &&
                                 batch.blocks.back().vertices.size() + needed > options.blockVertices)) {
      BufferBlock& block = batch.blocks.emplace_back();
      const Bound& left = remaining[b];
      const std::size_t expected = std::max(needed, std::min(left.vertices, options.blockVertices));
      block.vertices.reserve(expected);
      block.indices.reserve(
          static_cast<std::size_t>(static_cast<double>(left.indices) * expected / left.vertices));
    }
    remaining[b].vertices -= needed;
    remaining[b].indices -=
        std::min(remaining[b].indices, submesh.triangles.size() * (options.wireframe ? 8 : 3));
    BufferBlock& block = batch.blocks.back();
    buffers.primitives += AppendSubmesh(submesh, options.wireframe, block, scratch,
                                        options.recordSources ? &block.sources : nullptr, first);
  }
  return buffers;
}

}  // namespace vh
