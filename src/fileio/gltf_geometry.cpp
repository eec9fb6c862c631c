#include "fileio/gltf_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <thread>
#include <unordered_map>

#include "fileio/gltf_chunks.h"

namespace vh {
namespace {

using Placement = GltfGeometry::Placement;
using Placements = GltfGeometry::Placements;
using ByteRange = GltfGeometry::ByteRange;
using Chunk = GltfGeometry::Chunk;

// Below this many triangles a mesh is planned and filled on the calling
// thread alone: a second thread would cost more than it saves.
constexpr std::size_t kTrianglesWorthASecondThread = 200000;

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
  RunBoth(
      parallel, [&] { work(0, std::size_t{0}, half); }, [&] { work(1, half, items.size()); });
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
  const double lengthSquared =
      static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y + static_cast<double>(n.z) * n.z;
  if (std::fabs(lengthSquared - 1.0) <= 1e-5) return n;
  if (!(lengthSquared > 1e-24) || !std::isfinite(lengthSquared)) return UnitY;
  const double inverse = 1.0 / std::sqrt(lengthSquared);
  return {static_cast<float>(n.x * inverse), static_cast<float>(n.y * inverse),
          static_cast<float>(n.z * inverse)};
}

// A material number: the first submesh with it (with triangles or not),
// whether any has triangles, and whether it is textured, which the first
// vertex of the number decides (as for every export's materials, see
// DistinctMaterials).
struct MaterialGroup {
  int number = 0;
  const Submesh* namer = nullptr;
  bool hasTriangles = false;
  bool decided = false;
  bool textured = false;
};

// The material numbers of `mesh` in order of first appearance, and a
// placement for every submesh with triangles, in the mesh's order, naming
// its number's index there. Each submesh is visited once.
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
      if (group == groups.size()) groups.push_back(MaterialGroup{submesh.texture, &submesh});
    }
    MaterialGroup& material = groups[group];
    if (!material.decided && !submesh.vertices.empty()) {
      material.decided = true;
      material.textured = submesh.vertices.front().hasTexCoord;
    }
    if (submesh.triangles.empty()) continue;
    material.hasTriangles = true;
    placements.push_back(Placement{
        {&submesh, submesh.vertices, submesh.triangles}, {}, nullptr, static_cast<std::uint32_t>(group)});
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

Vector3 LinearColour(const Vector3& c) {
  return {LinearFromSrgb(c.x), LinearFromSrgb(c.y), LinearFromSrgb(c.z)};
}

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
// and, for an untextured primitive, whether all share one colour. Both are
// gathered in copies of their own, which stay in registers: through the
// references every vertex would wait for the previous one's stores.
void Survey(std::span<const Vertex> vertices, const SubmeshTopology& topology, const GltfPrimitive& primitive,
            Bounds& bounds, ColourScan& colours) {
  Bounds widened = bounds;
  ColourScan scan = colours;
  const bool scanColours = !primitive.textured;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    if (topology.newIndex.empty() || topology.newIndex[i] != kUnusedVertex)
      widened.Widen(PositionOf(vertices[i], primitive));
    if (scanColours) scan.Scan(vertices[i]);
  }
  bounds = widened;
  colours = scan;
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

// Leaves out of `placement` its triangles without area: two corners in one
// place or three on a line, as exactly as the positions say.
void KeepTrianglesWithArea(Placement& placement) {
  const std::span<const Vertex> vertices = placement.arrays.vertices;
  const std::span<const Triangle> triangles = placement.arrays.triangles;
  const auto hasArea = [&vertices](const Triangle& t) {
    if (t.a >= vertices.size() || t.b >= vertices.size() || t.c >= vertices.size())
      return true;  // reported later
    const Vector3& a = vertices[t.a].position;
    return LengthSquared(Cross(vertices[t.b].position - a, vertices[t.c].position - a)) > 0.0f;
  };
  const auto firstFlat = std::find_if_not(triangles.begin(), triangles.end(), hasArea);
  if (firstFlat == triangles.end()) return;
  placement.withArea.assign(triangles.begin(), firstFlat);
  for (auto t = firstFlat; t != triangles.end(); ++t)
    if (hasArea(*t)) placement.withArea.push_back(*t);
  placement.arrays.triangles = placement.withArea;
}

// Empties the leaves that repeat an earlier leaf of the level exactly: a
// second copy in the same place draws nothing new.
void DropRepeatedLeaves(Placements& placements) {
  std::unordered_multimap<std::uint64_t, const Placement*> seen;
  for (Placement& placement : placements) {
    if (placement.arrays.submesh->texture != kLeafMaterial || placement.arrays.triangles.empty()) continue;
    std::uint64_t key = placement.arrays.vertices.size();
    for (const Vertex& v : placement.arrays.vertices)
      for (float c : {v.position.x, v.position.y, v.position.z}) {
        std::uint32_t bits;
        std::memcpy(&bits, &c, sizeof bits);
        key = (key ^ bits) * 0x100000001B3ull;
      }
    const auto same = [&placement](const Placement* earlier) {
      const auto& a = earlier->arrays;
      const auto& b = placement.arrays;
      if (a.vertices.size() != b.vertices.size() || a.triangles.size() != b.triangles.size()) return false;
      for (std::size_t i = 0; i < a.vertices.size(); ++i)
        if (!(a.vertices[i].position == b.vertices[i].position)) return false;
      for (std::size_t i = 0; i < a.triangles.size(); ++i)
        if (a.triangles[i].a != b.triangles[i].a || a.triangles[i].b != b.triangles[i].b ||
            a.triangles[i].c != b.triangles[i].c)
          return false;
      return true;
    };
    const auto [begin, end] = seen.equal_range(key);
    if (std::any_of(begin, end, [&](const auto& entry) { return same(entry.second); })) {
      placement.arrays.triangles = {};
      continue;
    }
    seen.emplace(key, &placement);
  }
}

// Removes the primitives left without triangles (every triangle of their
// material lacked area); their placements write nothing and join the
// first primitive kept.
void DropEmptyPrimitives(std::vector<GltfPrimitive>& primitives, Placements& placements) {
  std::vector<std::uint32_t> renumber(primitives.size(), 0);
  std::uint32_t kept = 0;
  for (std::size_t i = 0; i < primitives.size(); ++i) {
    renumber[i] = kept;
    if (primitives[i].indexCount > 0) primitives[kept++] = primitives[i];
  }
  if (kept == primitives.size()) return;
  primitives.resize(kept);
  for (Placement& placement : placements) {
    if (placement.topology->indices.empty())
      placement.primitive = 0;
    else
      placement.primitive = renumber[placement.primitive];
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
  Level& level = m_levels.emplace_back();
  std::vector<GltfPrimitive>& primitives = level.primitives;
  Placements& placements = level.placements;
  const std::vector<MaterialGroup> groups = PlaceSubmeshes(mesh, placements);

  // Numbers without triangles make no primitive.
  std::vector<std::uint32_t> primitiveOf(groups.size());
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!groups[i].hasTriangles) continue;
    primitiveOf[i] = static_cast<std::uint32_t>(primitives.size());
    GltfPrimitive& primitive = primitives.emplace_back();
    primitive.material = groups[i].number;
    primitive.namer = groups[i].namer;
    primitive.textured = groups[i].textured;
    primitive.origin = origin;
    primitive.factor = 0.01 * scale;
  }
  std::size_t triangles = 0;
  for (Placement& placement : placements) {
    placement.primitive = primitiveOf[placement.primitive];
    triangles += placement.arrays.triangles.size();
  }
  DropRepeatedLeaves(placements);

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
                KeepTrianglesWithArea(placement);
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
  DropEmptyPrimitives(primitives, placements);
  return primitives;
}

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
