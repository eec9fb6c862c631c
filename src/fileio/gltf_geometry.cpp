#include "fileio/gltf_geometry.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

#include "fileio/export_common.h"

namespace vh {
namespace {

using Placement = GltfGeometry::Placement;
using Placements = GltfGeometry::Placements;

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
    placements.push_back(Placement{{&submesh, submesh.vertices, submesh.triangles}, nullptr, static_cast<std::uint32_t>(group)});
  }
  return groups;
}

// Whether the vertices of a primitive seen so far share one colour.
struct ColourScan {
  bool seen = false;
  bool uniform = true;
  Vector3 colour;

  void Scan(std::span<const Vertex> vertices) {
    for (const Vertex& vertex : vertices) {
      if (!uniform) return;
      if (!seen) {
        colour = vertex.colour;
        seen = true;
      } else {
        uniform = vertex.colour == colour;
      }
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

double ExactLinearFromSrgb(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

Vector3 LinearColour(const Vector3& c) { return {LinearFromSrgb(c.x), LinearFromSrgb(c.y), LinearFromSrgb(c.z)}; }

struct Bounds {
  std::array<float, 3> low, high;
};

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr Bounds kEmptyBounds{{kInfinity, kInfinity, kInfinity}, {-kInfinity, -kInfinity, -kInfinity}};

// Writes submeshes' vertices and indices into the buffer at `base`.
class SubmeshWriter {
 public:
  SubmeshWriter(const GltfPrimitive& primitive, std::uint8_t* base, Bounds& bounds)
      : m_primitive(primitive), m_base(base), m_bounds(bounds) {}

  void Write(const Placement& placement) {
    const std::span<const Vertex> vertices = placement.arrays.vertices;
    const SubmeshTopology& topology = *placement.topology;
    if (topology.newIndex.empty()) {
      for (std::size_t i = 0; i < vertices.size(); ++i) WriteVertex(vertices[i], placement.firstVertex + i);
    } else {
      for (std::size_t i = 0; i < vertices.size(); ++i)
        if (topology.newIndex[i] != kUnusedVertex)
          WriteVertex(vertices[i], placement.firstVertex + topology.newIndex[i]);
    }
    if (m_primitive.WideIndices())
      WriteIndices(topology, placement, Array<std::uint32_t>(m_primitive.at.indices));
    else
      WriteIndices(topology, placement, Array<std::uint16_t>(m_primitive.at.indices));
  }

 private:
  template <typename T>
  T* Array(std::size_t offset) const {
    return reinterpret_cast<T*>(m_base + offset);
  }

  template <typename Index>
  static void WriteIndices(const SubmeshTopology& topology, const Placement& placement, Index* out) {
    out += placement.firstIndex;
    const std::uint32_t first = placement.firstVertex;
    for (std::size_t i = 0; i < topology.indices.size(); ++i) out[i] = static_cast<Index>(topology.indices[i] + first);
  }

  void WriteVertex(const Vertex& vertex, std::size_t i) {
    const Vector3 relative = vertex.position - m_primitive.origin;
    const double factor = m_primitive.factor;
    float* p = Array<float>(m_primitive.at.positions) + i * 3;
    p[0] = static_cast<float>(relative.x * factor);
    p[1] = static_cast<float>(relative.y * factor);
    p[2] = static_cast<float>(relative.z * factor);
    for (int k = 0; k < 3; ++k) {
      m_bounds.low[k] = std::min(m_bounds.low[k], p[k]);
      m_bounds.high[k] = std::max(m_bounds.high[k], p[k]);
    }
    const Vector3 n = UnitNormal(vertex.normal);
    float* normal = Array<float>(m_primitive.at.normals) + i * 3;
    normal[0] = n.x;
    normal[1] = n.y;
    normal[2] = n.z;
    if (m_primitive.textured) {
      // Correctly rounded either way: the same number as the OBJ's 1 - v.
      float* texCoord = Array<float>(m_primitive.at.texCoords) + i * 2;
      texCoord[0] = vertex.texCoord.x;
      texCoord[1] = 1.0f - vertex.texCoord.y;
    }
    if (m_primitive.withColours) {
      float* colour = Array<float>(m_primitive.at.colours) + i * 3;
      colour[0] = LinearFromSrgb(vertex.colour.x);
      colour[1] = LinearFromSrgb(vertex.colour.y);
      colour[2] = LinearFromSrgb(vertex.colour.z);
    }
  }

  const GltfPrimitive& m_primitive;
  std::uint8_t* m_base;
  Bounds& m_bounds;
};

// Rough costs of a submesh, in reads of a vertex's worth of memory: the
// submesh itself is a few cache misses, then planning reads its triangles
// (and for a colour check its vertices), filling reads its vertices and
// writes them and its indices.
constexpr std::size_t kSubmeshVisit = 8;

std::size_t PlanWeight(const Placement& placement) {
  return kSubmeshVisit + placement.arrays.triangles.size() / 3 + placement.arrays.vertices.size();
}

std::size_t FillWeight(const Placement& placement) {
  return kSubmeshVisit + placement.arrays.vertices.size() + placement.topology->indices.size() / 8;
}

}  // namespace

float LinearFromSrgb(float value) {
  // Leaf colours vary per vertex; a table of the curve, interpolated, keeps
  // a million vertices from costing a million calls of pow. The
  // interpolation error (below 3e-8) is under a float's resolution here.
  constexpr int kSteps = 4096;
  static const std::vector<double> table = [] {
    std::vector<double> curve(kSteps + 1);
    for (int i = 0; i <= kSteps; ++i) curve[static_cast<std::size_t>(i)] = ExactLinearFromSrgb(double(i) / kSteps);
    return curve;
  }();
  if (!(value >= 0.0f && value <= 1.0f)) return static_cast<float>(ExactLinearFromSrgb(value));
  const double position = static_cast<double>(value) * kSteps;
  const int step = std::min(static_cast<int>(position), kSteps - 1);
  const double fraction = position - step;
  const double low = table[static_cast<std::size_t>(step)], high = table[static_cast<std::size_t>(step) + 1];
  return static_cast<float>(low + (high - low) * fraction);
}

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
  std::size_t triangles = 0;
  for (Placement& placement : placements) {
    placement.primitive = primitiveOf[placement.primitive];
    triangles += placement.arrays.triangles.size();
  }

  // Each half finds its submeshes' topologies and scans the colours of the
  // untextured primitives.
  std::array<std::vector<ColourScan>, 2> colours{std::vector<ColourScan>(primitives.size()),
                                                 std::vector<ColourScan>(primitives.size())};
  RunHalves(triangles >= kTrianglesWorthASecondThread, placements, PlanWeight,
            [&](std::size_t part, std::size_t begin, std::size_t end) {
              for (std::size_t i = begin; i < end; ++i) {
                if (i + kPrefetchDistance < end) {
                  const SubmeshArrays& ahead = placements[i + kPrefetchDistance].arrays;
                  __builtin_prefetch(ahead.triangles.data());
                  if (!primitives[placements[i + kPrefetchDistance].primitive].textured)
                    PrefetchVertices(ahead.vertices);
                }
                Placement& placement = placements[i];
                placement.topology = &m_topologies[part].Of(placement.arrays);
                if (!primitives[placement.primitive].textured)
                  colours[part][placement.primitive].Scan(placement.arrays.vertices);
              }
            });

  for (std::size_t i = 0; i < primitives.size(); ++i) {
    GltfPrimitive& primitive = primitives[i];
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

void GltfGeometry::Fill(GltfBinary& binary) {
  for (Level& level : m_levels) {
    std::vector<GltfPrimitive>& primitives = level.primitives;
    const Placements& placements = level.placements;
    std::size_t triangles = 0;
    for (const GltfPrimitive& primitive : primitives) triangles += primitive.indexCount / 3;

    // The first half's bounds come first when they are joined, as if one
    // pass had done all.
    std::array<std::vector<Bounds>, 2> bounds{std::vector<Bounds>(primitives.size(), kEmptyBounds),
                                              std::vector<Bounds>(primitives.size(), kEmptyBounds)};
    RunHalves(triangles >= kTrianglesWorthASecondThread, placements, FillWeight,
              [&](std::size_t part, std::size_t begin, std::size_t end) {
                for (std::size_t i = begin; i < end; ++i) {
                  if (i + kPrefetchDistance < end) PrefetchVertices(placements[i + kPrefetchDistance].arrays.vertices);
                  const Placement& placement = placements[i];
                  SubmeshWriter(primitives[placement.primitive], binary.At(0), bounds[part][placement.primitive])
                      .Write(placement);
                }
              });

    for (std::size_t i = 0; i < primitives.size(); ++i) {
      for (std::size_t k = 0; k < 3; ++k) {
        primitives[i].low[k] = std::min(bounds[0][i].low[k], bounds[1][i].low[k]);
        primitives[i].high[k] = std::max(bounds[0][i].high[k], bounds[1][i].high[k]);
      }
    }
  }
}

}  // namespace vh
