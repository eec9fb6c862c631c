#include "fileio/gltf_geometry.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

#include "fileio/export_common.h"
#include "fileio/gltf_chunks.h"

namespace vh {
namespace {

using Placement = GltfGeometry::Placement;
using Placements = GltfGeometry::Placements;
using Array = GltfGeometry::Array;
using Chunk = GltfGeometry::Chunk;

// Below this many triangles a mesh is planned and filled on the calling
// thread alone: a second thread would cost more than it saves.
constexpr std::size_t kTrianglesWorthASecondThread = 200000;
constexpr std::size_t kSubmeshesWorthASecondThread = 10000;

// Runs `first` and `second`, on two threads when `parallel` and the machine
// has a second core. An exception on the helper is passed on after the join.
template <typename First, typename Second>
void RunBoth(bool parallel, const First& first, const Second& second) {
  if (!parallel || std::thread::hardware_concurrency() < 2) {
    first();
    second();
    return;
  }
  std::exception_ptr failure;
  std::thread helper([&] {
    try {
      second();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  try {
    first();
  } catch (...) {
    helper.join();
    throw;
  }
  helper.join();
  if (failure) std::rethrow_exception(failure);
}

// Runs `work(part, begin, end)` for the two halves of `items` by weight.
// Either way the halves give the same result as one pass.
template <typename WeightOf, typename Work>
void RunHalves(bool parallel, const Placements& items, const WeightOf& weightOf, const Work& work) {
  std::size_t total = 0;
  for (const Placement& item : items) total += weightOf(item);
  std::size_t half = 0;
  for (std::size_t done = 0; half < items.size() && done < total / 2; ++half) done += weightOf(items[half]);
  RunBoth(parallel, [&] { work(0, std::size_t{0}, half); }, [&] { work(1, half, items.size()); });
}

// A leaf is a submesh of a few vertices: visiting tens of thousands of
// them is a chain of cache misses rather than work. Asking for the memory
// of the submesh a few ahead lets the misses overlap.
constexpr std::size_t kPrefetchDistance = 8;
constexpr std::size_t kPrefetchedVertexBytes = 256;

void PrefetchVertices(std::span<const Vertex> vertices) {
  const char* bytes = reinterpret_cast<const char*>(vertices.data());
  const std::size_t size = std::min(vertices.size_bytes(), kPrefetchedVertexBytes);
  for (std::size_t offset = 0; offset < size; offset += 64) __builtin_prefetch(bytes + offset);
}

// The generator's normals are unit length; a degenerate leaf triangle can
// leave a zero or non-finite one, which glTF does not allow.
Vector3 UnitNormal(const Vector3& n) {
  const double lengthSquared = static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                               static_cast<double>(n.z) * n.z;
  if (std::fabs(lengthSquared - 1.0) <= 1e-5) return n;
  if (!(lengthSquared > 1e-24) || !std::isfinite(lengthSquared)) return UnitY;
  const double inverse = 1.0 / std::sqrt(lengthSquared);
  return {static_cast<float>(n.x * inverse), static_cast<float>(n.y * inverse), static_cast<float>(n.z * inverse)};
}

// A material number: the first submesh with it (with triangles or not),
// and whether any has triangles.
struct MaterialGroup {
  int number = 0;
  const Submesh* namer = nullptr;
  bool hasTriangles = false;
};

// The material numbers of `mesh` in order of first appearance, and a
// placement for every submesh with triangles naming its number's index
// there. Each submesh is visited once.
std::vector<MaterialGroup> PlaceSubmeshes(const MeshObject& mesh, Placements& placements) {
  std::vector<MaterialGroup> groups;
  const auto& submeshes = mesh.submeshes;
  placements.reserve(submeshes.size());
  std::size_t group = 0;
  for (std::size_t i = 0; i < submeshes.size(); ++i) {
    if (i + kPrefetchDistance < submeshes.size()) {
      const Submesh* ahead = submeshes[i + kPrefetchDistance].get();
      __builtin_prefetch(&ahead->vertices);
      __builtin_prefetch(&ahead->texture);
    }
    const Submesh& submesh = *submeshes[i];
    if (group >= groups.size() || groups[group].number != submesh.texture) {
      group = 0;
      while (group < groups.size() && groups[group].number != submesh.texture) ++group;
      if (group == groups.size()) groups.push_back(MaterialGroup{submesh.texture, &submesh, false});
    }
    if (submesh.triangles.empty()) continue;
    groups[group].hasTriangles = true;
    placements.push_back(
        Placement{{&submesh, submesh.vertices, submesh.triangles}, nullptr, static_cast<std::uint32_t>(group)});
  }
  return groups;
}

// Whether the vertices of a primitive seen so far share one colour.
struct ColourScan {
  bool seen = false;
  bool uniform = true;
  Vector3 colour;

  void Scan(const Vertex& vertex) {
    if (!seen) {
      colour = vertex.colour;
      seen = true;
    } else if (uniform) {
      uniform = vertex.colour == colour;
    }
  }

  // The scan of all of a primitive's vertices from the scans of two parts.
  static ColourScan Joined(const ColourScan& first, const ColourScan& second) {
    if (!first.seen) return second;
    if (!second.seen) return first;
    ColourScan joined = first;
    joined.uniform = first.uniform && second.uniform && first.colour == second.colour;
    return joined;
  }
};

Vector3 LinearColour(const Vector3& c) { return {LinearFromSrgb(c.x), LinearFromSrgb(c.y), LinearFromSrgb(c.z)}; }

// A vertex's position as written: (position - origin) x factor.
std::array<float, 3> PositionOf(const Vertex& vertex, const GltfPrimitive& primitive) {
  const Vector3 relative = vertex.position - primitive.origin;
  const double factor = primitive.factor;
  return {static_cast<float>(relative.x * factor), static_cast<float>(relative.y * factor),
          static_cast<float>(relative.z * factor)};
}

// The bounds of the positions of a part of a primitive's vertices.
struct Bounds {
  static constexpr float kInfinity = std::numeric_limits<float>::infinity();
  std::array<float, 3> low{kInfinity, kInfinity, kInfinity}, high{-kInfinity, -kInfinity, -kInfinity};

  void Widen(const std::array<float, 3>& p) {
    for (std::size_t k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], p[k]);
      high[k] = std::max(high[k], p[k]);
    }
  }

  // The bounds of two parts, the first's coming first as if one pass had
  // seen both.
  static Bounds Joined(const Bounds& first, const Bounds& second) {
    Bounds joined;
    for (std::size_t k = 0; k < 3; ++k) {
      joined.low[k] = std::min(first.low[k], second.low[k]);
      joined.high[k] = std::max(first.high[k], second.high[k]);
    }
    return joined;
  }
};

// What the plan reads of a submesh's vertices: the bounds of the used ones
// and, for an untextured primitive, whether all share one colour.
void Survey(std::span<const Vertex> vertices, const SubmeshTopology& topology, const GltfPrimitive& primitive,
            Bounds& bounds, ColourScan& colours) {
  const bool scanColours = !primitive.textured;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    if (topology.newIndex.empty() || topology.newIndex[i] != kUnusedVertex)
      bounds.Widen(PositionOf(vertices[i], primitive));
    if (scanColours) colours.Scan(vertices[i]);
  }
}

// Writes submeshes' vertices and indices into the buffer at `base`.
class SubmeshWriter {
 public:
  SubmeshWriter(const GltfPrimitive& primitive, std::uint8_t* base) : m_primitive(primitive), m_base(base) {}

  // Writes `array` of the submesh of `placement`, or all its arrays.
  void Write(const Placement& placement, Array array) {
    if (array != Array::kIndices) WriteVertices(placement, array);
    if (array != Array::kIndices && array != Array::kAll) return;
    if (m_primitive.WideIndices())
      WriteIndices(placement, At<std::uint32_t>(m_primitive.at.indices));
    else
      WriteIndices(placement, At<std::uint16_t>(m_primitive.at.indices));
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

  void WriteVertices(const Placement& placement, Array array) {
    const std::span<const Vertex> vertices = placement.arrays.vertices;
    const std::vector<std::uint32_t>& newIndex = placement.topology->newIndex;
    if (newIndex.empty()) {
      for (std::size_t i = 0; i < vertices.size(); ++i) WriteVertex(vertices[i], placement.firstVertex + i, array);
    } else {
      for (std::size_t i = 0; i < vertices.size(); ++i)
        if (newIndex[i] != kUnusedVertex) WriteVertex(vertices[i], placement.firstVertex + newIndex[i], array);
    }
  }

  void WriteVertex(const Vertex& vertex, std::size_t i, Array array) {
    const bool all = array == Array::kAll;
    if (all || array == Array::kPositions) {
      const std::array<float, 3> position = PositionOf(vertex, m_primitive);
      std::copy(position.begin(), position.end(), At<float>(m_primitive.at.positions) + i * 3);
    }
    if (all || array == Array::kNormals) {
      const Vector3 n = UnitNormal(vertex.normal);
      float* normal = At<float>(m_primitive.at.normals) + i * 3;
      normal[0] = n.x;
      normal[1] = n.y;
      normal[2] = n.z;
    }
    if ((all || array == Array::kTexCoords) && m_primitive.textured) {
      // Correctly rounded either way: the same number as the OBJ's 1 - v.
      float* texCoord = At<float>(m_primitive.at.texCoords) + i * 2;
      texCoord[0] = vertex.texCoord.x;
      texCoord[1] = 1.0f - vertex.texCoord.y;
    }
    if ((all || array == Array::kColours) && m_primitive.withColours) {
      float* colour = At<float>(m_primitive.at.colours) + i * 3;
      colour[0] = m_srgb.Linear(vertex.colour.x);
      colour[1] = m_srgb.Linear(vertex.colour.y);
      colour[2] = m_srgb.Linear(vertex.colour.z);
    }
  }

  const GltfPrimitive& m_primitive;
  std::uint8_t* m_base;
  SrgbCurve m_srgb;
};

// One array of a primitive in the buffer: where it starts, and the bytes
// of each of its elements (a vertex's values, or an index).
struct ArrayPlace {
  Array array;
  std::size_t offset;
  std::size_t elementBytes;
};

std::vector<ArrayPlace> ArraysOf(const GltfPrimitive& primitive) {
  std::vector<ArrayPlace> arrays{{Array::kPositions, primitive.at.positions, 12},
                                 {Array::kNormals, primitive.at.normals, 12}};
  if (primitive.textured) arrays.push_back({Array::kTexCoords, primitive.at.texCoords, 8});
  if (primitive.withColours) arrays.push_back({Array::kColours, primitive.at.colours, 12});
  arrays.push_back({Array::kIndices, primitive.at.indices, primitive.WideIndices() ? std::size_t{4} : 2});
  return arrays;
}

// A chunk holds about this many vertices (or four times as many indices):
// large enough that the threads rarely meet, small enough that writing can
// follow closely.
constexpr std::size_t kChunkVertices = std::size_t{1} << 16;
// Submeshes of fewer vertices on average are filled all arrays at once:
// visiting each once per array would cost more than the arrays.
constexpr std::size_t kSmallestVisitedPerArray = 16;

// Appends the chunks of `array` of `primitive`.
void AddChunks(const GltfPrimitive& primitive, std::span<const Placement> placements, const ArrayPlace& place,
               std::vector<Chunk>& chunks) {
  const bool indices = place.array == Array::kIndices;
  const std::size_t limit = indices ? 4 * kChunkVertices : kChunkVertices;
  std::size_t begin = 0, elements = 0;
  for (std::size_t i = 0; i < placements.size(); ++i) {
    const Placement& placement = placements[i];
    elements += indices ? placement.topology->indices.size() : placement.topology->usedVertices;
    if (elements < limit && i + 1 < placements.size()) continue;
    const std::size_t end = indices ? placement.firstIndex + placement.topology->indices.size()
                                    : placement.firstVertex + std::size_t{placement.topology->usedVertices};
    chunks.push_back({&primitive, placements.subspan(begin, i + 1 - begin), place.array,
                      place.offset + end * place.elementBytes});
    begin = i + 1;
    elements = 0;
  }
}

// Appends the chunks that fill all arrays of `primitive` at once. Only the
// last completes anything: the arrays fill side by side.
void AddChunksOfAllArrays(const GltfPrimitive& primitive, std::span<const Placement> placements,
                          std::vector<Chunk>& chunks) {
  const ArrayPlace last = ArraysOf(primitive).back();
  std::size_t begin = 0, vertices = 0;
  for (std::size_t i = 0; i < placements.size(); ++i) {
    vertices += placements[i].topology->usedVertices;
    if (vertices < kChunkVertices && i + 1 < placements.size()) continue;
    const bool final = i + 1 == placements.size();
    chunks.push_back({&primitive, placements.subspan(begin, i + 1 - begin), Array::kAll,
                      final ? last.offset + primitive.indexCount * last.elementBytes : primitive.at.positions});
    begin = i + 1;
    vertices = 0;
  }
}

// Rough cost of planning a submesh, in reads of a vertex's worth of
// memory: the submesh itself is a few cache misses, then its triangles and
// its vertices.
constexpr std::size_t kSubmeshVisit = 8;

std::size_t PlanWeight(const Placement& placement) {
  return kSubmeshVisit + placement.arrays.triangles.size() / 3 + placement.arrays.vertices.size();
}

}  // namespace

std::vector<GltfPrimitive>& GltfGeometry::Plan(const MeshObject& mesh, const Vector3& origin, double scale) {
  // The material numbers decide texturing by their first vertex; what
  // decides it is found while the submeshes are grouped.
  Level& level = m_levels.emplace_back();
  std::vector<GltfPrimitive>& primitives = level.primitives;
  auto& placements = level.placements;
  std::vector<ExportMaterial> materials;
  std::vector<MaterialGroup> groups;
  RunBoth(
      mesh.submeshes.size() >= kSubmeshesWorthASecondThread, [&] { groups = PlaceSubmeshes(mesh, placements); },
      [&] { materials = DistinctMaterials(mesh); });

  // Numbers without triangles make no primitive.
  std::vector<std::uint32_t> primitiveOf(groups.size());
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!groups[i].hasTriangles) continue;
    primitiveOf[i] = static_cast<std::uint32_t>(primitives.size());
    GltfPrimitive& primitive = primitives.emplace_back();
    primitive.material = groups[i].number;
    primitive.namer = groups[i].namer;
    for (const ExportMaterial& material : materials)
      if (material.submesh->texture == primitive.material) primitive.textured = material.textured;
    primitive.origin = origin;
    primitive.factor = 0.01 * scale;
  }
  // Each primitive's placements together, in the mesh's order.
  std::vector<std::size_t>& starts = level.starts;
  starts.assign(primitives.size() + 1, 0);
  std::size_t triangles = 0;
  for (Placement& placement : placements) {
    placement.primitive = primitiveOf[placement.primitive];
    ++starts[placement.primitive + 1];
    triangles += placement.arrays.triangles.size();
  }
  for (std::size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
  Placements grouped(placements.size());
  std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
  for (const Placement& placement : placements) grouped[next[placement.primitive]++] = placement;
  placements.swap(grouped);

  // Each half finds its submeshes' topologies, the bounds of their
  // positions and whether their colours differ.
  std::array<std::vector<Bounds>, 2> bounds{std::vector<Bounds>(primitives.size()),
                                            std::vector<Bounds>(primitives.size())};
  std::array<std::vector<ColourScan>, 2> colours{std::vector<ColourScan>(primitives.size()),
                                                 std::vector<ColourScan>(primitives.size())};
  RunHalves(triangles >= kTrianglesWorthASecondThread, placements, PlanWeight,
            [&](std::size_t part, std::size_t begin, std::size_t end) {
              for (std::size_t i = begin; i < end; ++i) {
                if (i + kPrefetchDistance < end) {
                  const SubmeshArrays& ahead = placements[i + kPrefetchDistance].arrays;
                  __builtin_prefetch(ahead.triangles.data());
                  PrefetchVertices(ahead.vertices);
                }
                Placement& placement = placements[i];
                placement.topology = &m_topologies[part].Of(placement.arrays);
                Survey(placement.arrays.vertices, *placement.topology, primitives[placement.primitive],
                       bounds[part][placement.primitive], colours[part][placement.primitive]);
              }
            });

  for (std::size_t i = 0; i < primitives.size(); ++i) {
    GltfPrimitive& primitive = primitives[i];
    const Bounds joined = Bounds::Joined(bounds[0][i], bounds[1][i]);
    primitive.low = joined.low;
    primitive.high = joined.high;
    const ColourScan scan = ColourScan::Joined(colours[0][i], colours[1][i]);
    primitive.withColours = !primitive.textured && !scan.uniform;
    if (!primitive.textured && !primitive.withColours) primitive.baseColour = LinearColour(scan.colour);
  }
  for (Placement& placement : placements) {
    GltfPrimitive& primitive = primitives[placement.primitive];
    placement.firstVertex = static_cast<std::uint32_t>(primitive.vertexCount);
    placement.firstIndex = primitive.indexCount;
    primitive.vertexCount += placement.topology->usedVertices;
    primitive.indexCount += placement.topology->indices.size();
  }
  return primitives;
}

std::vector<Chunk> GltfGeometry::Chunks() const {
  std::vector<Chunk> chunks;
  for (const Level& level : m_levels)
    for (std::size_t i = 0; i < level.primitives.size(); ++i) {
      const GltfPrimitive& primitive = level.primitives[i];
      const std::span<const Placement> placements(level.placements.data() + level.starts[i],
                                                  level.starts[i + 1] - level.starts[i]);
      if (primitive.vertexCount < placements.size() * kSmallestVisitedPerArray) {
        AddChunksOfAllArrays(primitive, placements, chunks);
      } else {
        for (const ArrayPlace& array : ArraysOf(primitive)) AddChunks(primitive, placements, array, chunks);
      }
    }
  return chunks;
}

void GltfGeometry::Fill(std::uint8_t* binary, const std::function<void(std::size_t)>& progress) const {
  const std::vector<Chunk> chunks = Chunks();
  std::size_t triangles = 0;
  for (const Level& level : m_levels)
    for (const GltfPrimitive& primitive : level.primitives) triangles += primitive.indexCount / 3;
  RunChunks(
      chunks.size(),
      [&](std::size_t index) {
        const Chunk& chunk = chunks[index];
        SubmeshWriter writer(*chunk.primitive, binary);
        for (std::size_t i = 0; i < chunk.placements.size(); ++i) {
          if (i + kPrefetchDistance < chunk.placements.size())
            PrefetchVertices(chunk.placements[i + kPrefetchDistance].arrays.vertices);
          writer.Write(chunk.placements[i], chunk.array);
        }
      },
      [&](std::size_t index) { return chunks[index].completes; }, progress,
      triangles >= kTrianglesWorthASecondThread);
}

}  // namespace vh
