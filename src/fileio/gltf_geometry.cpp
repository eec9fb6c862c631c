#include "fileio/gltf_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fileio/gltf_cleanup.h"
#include "fileio/gltf_colour.h"
#include "fileio/gltf_prefetch.h"
#include "fileio/gltf_threads.h"

namespace vh {
namespace {

using Placement = GltfGeometry::Placement;
using Placements = GltfGeometry::Placements;

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
                KeepTrianglesWithArea(placement, primitives[placement.primitive]);
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

}  // namespace vh
