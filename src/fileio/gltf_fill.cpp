// Writing a planned glTF geometry into its binary buffer, in shares that
// two threads fill while the parts completed are passed on.
#include <algorithm>
#include <cmath>

#include "fileio/gltf_chunks.h"
#include "fileio/gltf_colour.h"
#include "fileio/gltf_geometry.h"
#include "fileio/gltf_prefetch.h"
#include "fileio/gltf_threads.h"

namespace vh {
namespace {

using Placement = GltfGeometry::Placement;
using ByteRange = GltfGeometry::ByteRange;
using Chunk = GltfGeometry::Chunk;

// The generator's normals are unit length; a degenerate leaf triangle can
// leave a zero or non-finite one, which glTF does not allow.
Vector3 UnitNormal(const Vector3& n) {
  const double lengthSquared =
      static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y + static_cast<double>(n.z) * n.z;
  if (std::fabs(lengthSquared - 1.0) <= 1e-5) return n;
  if (!(lengthSquared > 1e-24) || !std::isfinite(lengthSquared)) return UnitY;
  const double inverse = 1.0 / std::sqrt(lengthSquared);
  return {static_cast<float>(n.x * inverse), static_cast<float>(n.y * inverse),
          static_cast<float>(n.z * inverse)};
}

// Writes submeshes' vertices and indices into the buffer at `base`.
class SubmeshWriter {
 public:
  explicit SubmeshWriter(std::uint8_t* base) : m_base(base) {}

  // All arrays of the submesh of `placement` in `primitive`, its vertices
  // read once.
  void Write(const GltfPrimitive& primitive, const Placement& placement) {
    const std::span<const Vertex> vertices = placement.arrays.vertices;
    const std::vector<std::uint32_t>& newIndex = placement.topology->newIndex;
    if (newIndex.empty()) {
      for (std::size_t i = 0; i < vertices.size(); ++i)
        WriteVertex(primitive, vertices[i], placement.firstVertex + i);
    } else {
      for (std::size_t i = 0; i < vertices.size(); ++i)
        if (newIndex[i] != kUnusedVertex)
          WriteVertex(primitive, vertices[i], placement.firstVertex + newIndex[i]);
    }
    if (primitive.WideIndices())
      WriteIndices(placement, At<std::uint32_t>(primitive.at.indices));
    else
      WriteIndices(placement, At<std::uint16_t>(primitive.at.indices));
  }

 private:
  template <typename T>
  T* At(std::size_t offset) const {
    return reinterpret_cast<T*>(m_base + offset);
  }

  template <typename Index>
  static void WriteIndices(const Placement& placement, Index* out) {
    const std::vector<std::uint32_t>& indices = placement.topology->indices;
    out += placement.firstIndex;
    const std::uint32_t first = placement.firstVertex;
    for (std::size_t i = 0; i < indices.size(); ++i) out[i] = static_cast<Index>(indices[i] + first);
  }

  void WriteVertex(const GltfPrimitive& primitive, const Vertex& vertex, std::size_t i) {
    const std::array<float, 3> position = PositionOf(vertex, primitive);
    std::copy(position.begin(), position.end(), At<float>(primitive.at.positions) + i * 3);
    const Vector3 n = UnitNormal(vertex.normal);
    float* normal = At<float>(primitive.at.normals) + i * 3;
    normal[0] = n.x;
    normal[1] = n.y;
    normal[2] = n.z;
    if (primitive.textured) {
      // The program's texture coordinates and glTF's both start at the
      // picture's top-left corner, so they are written as they are (OBJ and
      // 3DS, which start at the bottom-left, write 1 - v).
      float* texCoord = At<float>(primitive.at.texCoords) + i * 2;
      texCoord[0] = vertex.texCoord.x;
      texCoord[1] = vertex.texCoord.y;
    }
    if (primitive.withColours) {
      float* colour = At<float>(primitive.at.colours) + i * 3;
      colour[0] = m_srgb.Linear(vertex.colour.x);
      colour[1] = m_srgb.Linear(vertex.colour.y);
      colour[2] = m_srgb.Linear(vertex.colour.z);
    }
  }

  std::uint8_t* m_base;
  SrgbCurve m_srgb;
};

// A share of the filling holds about this many vertices: large enough that
// the threads rarely meet, small enough that writing can follow closely.
constexpr std::size_t kChunkVertices = std::size_t{1} << 16;

// The parts of the buffer that the submeshes of `placements` fill: for
// each primitive among them, a part of each of its arrays (its submeshes
// there follow each other).
std::vector<ByteRange> RangesOf(const std::vector<GltfPrimitive>& primitives,
                                std::span<const Placement> placements) {
  struct Span {
    const Placement* first = nullptr;
    const Placement* last = nullptr;
  };
  std::vector<Span> spans(primitives.size());
  for (const Placement& placement : placements) {
    if (placement.topology->indices.empty()) continue;  // writes nothing
    Span& span = spans[placement.primitive];
    if (span.first == nullptr) span.first = &placement;
    span.last = &placement;
  }
  std::vector<ByteRange> ranges;
  for (std::size_t i = 0; i < primitives.size(); ++i) {
    const auto [first, last] = spans[i];
    if (first == nullptr) continue;
    const GltfPrimitive& primitive = primitives[i];
    const std::size_t firstVertex = first->firstVertex;
    const std::size_t endVertex = last->firstVertex + std::size_t{last->topology->usedVertices};
    const auto addVertexRange = [&](std::size_t offset, std::size_t bytes) {
      ranges.push_back({offset + firstVertex * bytes, offset + endVertex * bytes});
    };
    addVertexRange(primitive.at.positions, 12);
    addVertexRange(primitive.at.normals, 12);
    if (primitive.textured) addVertexRange(primitive.at.texCoords, 8);
    if (primitive.withColours) addVertexRange(primitive.at.colours, 12);
    const std::size_t indexBytes = primitive.WideIndices() ? 4 : 2;
    ranges.push_back(
        {primitive.at.indices + first->firstIndex * indexBytes,
         primitive.at.indices + (last->firstIndex + last->topology->indices.size()) * indexBytes});
  }
  return ranges;
}

}  // namespace

std::vector<Chunk> GltfGeometry::Chunks() const {
  std::vector<Chunk> chunks;
  for (const Level& level : m_levels) {
    const Placements& placements = level.placements;
    std::size_t begin = 0, vertices = 0;
    for (std::size_t end = 1; end <= placements.size(); ++end) {
      vertices += placements[end - 1].topology->usedVertices;
      if (vertices < kChunkVertices && end < placements.size()) continue;
      const std::span<const Placement> share(placements.data() + begin, end - begin);
      chunks.push_back({&level.primitives, share, RangesOf(level.primitives, share)});
      begin = end;
      vertices = 0;
    }
  }
  return chunks;
}

void GltfGeometry::Fill(std::uint8_t* binary,
                        const std::function<void(std::span<const ByteRange>)>& completed) const {
  const std::vector<Chunk> chunks = Chunks();
  std::size_t triangles = 0;
  for (const Level& level : m_levels)
    for (const GltfPrimitive& primitive : level.primitives) triangles += primitive.indexCount / 3;
  std::function<void(std::size_t)> done;
  if (completed) done = [&](std::size_t index) { completed(chunks[index].ranges); };
  RunChunks(
      chunks.size(),
      [&](std::size_t index) {
        const Chunk& chunk = chunks[index];
        const std::vector<GltfPrimitive>& primitives = *chunk.primitives;
        SubmeshWriter writer(binary);
        for (std::size_t i = 0; i < chunk.placements.size(); ++i) {
          if (i + kPrefetchDistance < chunk.placements.size())
            PrefetchVertices(chunk.placements[i + kPrefetchDistance].arrays.vertices);
          const Placement& placement = chunk.placements[i];
          writer.Write(primitives[placement.primitive], placement);
        }
      },
      done, triangles >= kTrianglesWorthASecondThread);
}

}  // namespace vh
