#include "fileio/gltf_geometry.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

#include "fileio/export_common.h"

namespace vh {
namespace {

// Branch grids narrower than the cache already come out in a near-best
// order (about 0.6 vertices transformed per triangle); wider ones (1.0 for
// 24 columns) are worth reordering, small submeshes never are. On these
// grids the FIFO ordering does as well as the full one at a quarter of the
// time.
constexpr unsigned kCacheSize = 16;
constexpr float kGoodEnoughAcmr = 0.7f;
constexpr std::size_t kSmallestReordered = 64;  // triangles

void OrderForVertexCache(std::uint32_t* indices, std::size_t count, std::size_t vertexCount,
                         std::vector<std::uint32_t>& scratch) {
  if (count / 3 < kSmallestReordered) return;
  const meshopt_VertexCacheStatistics before =
      meshopt_analyzeVertexCache(indices, count, vertexCount, kCacheSize, 0, 0);
  if (before.acmr <= kGoodEnoughAcmr) return;
  scratch.resize(count);
  meshopt_optimizeVertexCacheFifo(scratch.data(), indices, count, vertexCount, kCacheSize);
  const meshopt_VertexCacheStatistics after =
      meshopt_analyzeVertexCache(scratch.data(), count, vertexCount, kCacheSize, 0, 0);
  if (after.acmr < before.acmr) std::copy(scratch.begin(), scratch.end(), indices);
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

// The submeshes of one material, gathered before the arrays are sized.
struct MaterialGroup {
  ExportMaterial material;
  int number = 0;
  std::vector<const Submesh*> submeshes;
  std::size_t triangles = 0;
};

std::vector<MaterialGroup> GroupByMaterial(const MeshObject& mesh) {
  std::vector<MaterialGroup> groups;
  for (const ExportMaterial& material : DistinctMaterials(mesh))
    groups.push_back(MaterialGroup{material, material.submesh->texture, {}, 0});
  for (const auto& submesh : mesh.submeshes) {
    if (submesh->triangles.empty()) continue;
    for (MaterialGroup& group : groups) {
      if (group.number != submesh->texture) continue;
      group.submeshes.push_back(submesh.get());
      group.triangles += submesh->triangles.size();
      break;
    }
  }
  std::erase_if(groups, [](const MaterialGroup& group) { return group.triangles == 0; });
  return groups;
}

// True when every used vertex of the group has the same colour.
bool UniformColour(const MaterialGroup& group, Vector3& colour) {
  bool first = true;
  for (const Submesh* submesh : group.submeshes)
    for (const Vertex& vertex : submesh->vertices) {
      if (first) {
        colour = vertex.colour;
        first = false;
      } else if (!(vertex.colour == colour)) {
        return false;
      }
    }
  return true;
}

double ExactLinearFromSrgb(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

Vector3 LinearColour(const Vector3& c) { return {LinearFromSrgb(c.x), LinearFromSrgb(c.y), LinearFromSrgb(c.z)}; }

constexpr std::uint32_t kUnused = std::numeric_limits<std::uint32_t>::max();

// Numbers the vertices of `submesh` that a triangle uses, in their order,
// into `newIndex` (kUnused for the others: a leaf's closing copy of its
// first outline point); returns how many there are.
std::uint32_t NumberUsedVertices(const Submesh& submesh, std::vector<std::uint32_t>& newIndex) {
  newIndex.assign(submesh.vertices.size(), kUnused);
  for (const Triangle& t : submesh.triangles) newIndex[t.a] = newIndex[t.b] = newIndex[t.c] = 0;
  std::uint32_t used = 0;
  for (std::uint32_t& index : newIndex)
    if (index != kUnused) index = used++;
  return used;
}

// Where one submesh's vertices and indices go in its primitive.
struct Placement {
  const Submesh* submesh;
  std::uint32_t firstVertex;
  std::size_t firstIndex;
};

// Fills the arrays of one primitive, sized beforehand, for a run of
// submeshes; runs of one primitive may be filled on different threads.
class PrimitiveFiller {
 public:
  PrimitiveFiller(GltfPrimitive& primitive, const Vector3& origin, double scale, bool withColours, bool orderForCache)
      : m_out(primitive), m_origin(origin), m_factor(0.01 * scale), m_withColours(withColours),
        m_orderForCache(orderForCache) {}

  void Fill(const Placement* begin, const Placement* end) {
    for (const Placement* placement = begin; placement != end; ++placement) Add(*placement);
  }

  // The bounds of the positions this filler wrote.
  std::array<float, 3> low{}, high{};

 private:
  void Add(const Placement& placement) {
    const Submesh& submesh = *placement.submesh;
    const std::uint32_t used = NumberUsedVertices(submesh, m_newIndex);
    for (std::size_t i = 0; i < submesh.vertices.size(); ++i)
      if (m_newIndex[i] != kUnused) AddVertex(submesh.vertices[i], placement.firstVertex + m_newIndex[i]);
    // Clockwise (a, b, c) becomes counter-clockwise (a, c, b).
    std::uint32_t* local = m_out.indices.data() + placement.firstIndex;
    std::uint32_t* out = local;
    for (const Triangle& t : submesh.triangles) {
      *out++ = m_newIndex[t.a];
      *out++ = m_newIndex[t.c];
      *out++ = m_newIndex[t.b];
    }
    const std::size_t count = static_cast<std::size_t>(out - local);
    if (m_orderForCache) OrderForVertexCache(local, count, used, m_scratch);
    for (std::size_t i = 0; i < count; ++i) local[i] += placement.firstVertex;
  }

  void AddVertex(const Vertex& vertex, std::size_t i) {
    const Vector3 relative = vertex.position - m_origin;
    float* p = m_out.positions.data() + i * 3;
    p[0] = static_cast<float>(relative.x * m_factor);
    p[1] = static_cast<float>(relative.y * m_factor);
    p[2] = static_cast<float>(relative.z * m_factor);
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], p[k]);
      high[k] = std::max(high[k], p[k]);
    }
    const Vector3 n = UnitNormal(vertex.normal);
    float* normal = m_out.normals.data() + i * 3;
    normal[0] = n.x;
    normal[1] = n.y;
    normal[2] = n.z;
    if (m_out.textured) {
      // Correctly rounded either way: the same number as the OBJ's 1 - v.
      m_out.texCoords[i * 2] = vertex.texCoord.x;
      m_out.texCoords[i * 2 + 1] = 1.0f - vertex.texCoord.y;
    }
    if (m_withColours) {
      float* colour = m_out.colours.data() + i * 3;
      colour[0] = LinearFromSrgb(vertex.colour.x);
      colour[1] = LinearFromSrgb(vertex.colour.y);
      colour[2] = LinearFromSrgb(vertex.colour.z);
    }
  }

  GltfPrimitive& m_out;
  Vector3 m_origin;
  double m_factor;
  bool m_withColours;
  bool m_orderForCache;
  std::vector<std::uint32_t> m_newIndex;
  std::vector<std::uint32_t> m_scratch;
};

// Below this many triangles a primitive is filled on the calling thread
// alone: a second thread would cost more than it saves.
constexpr std::size_t kTrianglesWorthASecondThread = 200000;

// Places every submesh of the group, sizes the primitive's arrays and fills
// them, the second half of the submeshes on a second thread for large
// primitives.
void FillPrimitive(GltfPrimitive& primitive, const MaterialGroup& group, const Vector3& origin, double scale,
                   bool withColours, bool orderForCache) {
  std::vector<Placement> placements;
  std::vector<std::uint32_t> scratch;
  std::uint32_t vertices = 0;
  std::size_t indices = 0, half = group.submeshes.size();
  for (const Submesh* submesh : group.submeshes) {
    placements.push_back({submesh, vertices, indices});
    vertices += NumberUsedVertices(*submesh, scratch);
    indices += submesh->triangles.size() * 3;
    if (half == group.submeshes.size() && indices >= group.triangles * 3 / 2) half = placements.size();
  }
  primitive.positions.resize(std::size_t{vertices} * 3);
  primitive.normals.resize(std::size_t{vertices} * 3);
  if (primitive.textured) primitive.texCoords.resize(std::size_t{vertices} * 2);
  if (withColours) primitive.colours.resize(std::size_t{vertices} * 3);
  primitive.indices.resize(indices);

  PrimitiveFiller first(primitive, origin, scale, withColours, orderForCache);
  PrimitiveFiller second(primitive, origin, scale, withColours, orderForCache);
  first.low = second.low = primitive.low;
  first.high = second.high = primitive.high;
  const Placement* begin = placements.data();
  if (group.triangles >= kTrianglesWorthASecondThread && std::thread::hardware_concurrency() > 1) {
    std::exception_ptr failure;  // out of memory on the helper, passed on after the join
    std::thread helper([&] {
      try {
        second.Fill(begin + half, begin + placements.size());
      } catch (...) {
        failure = std::current_exception();
      }
    });
    first.Fill(begin, begin + half);
    helper.join();
    if (failure) std::rethrow_exception(failure);
  } else {
    first.Fill(begin, begin + placements.size());
  }
  for (int k = 0; k < 3; ++k) {
    primitive.low[k] = std::min(first.low[k], second.low[k]);
    primitive.high[k] = std::max(first.high[k], second.high[k]);
  }
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

std::vector<GltfPrimitive> BuildPrimitives(const MeshObject& mesh, const Vector3& origin, double scale,
                                           bool orderForCache) {
  std::vector<GltfPrimitive> primitives;
  for (const MaterialGroup& group : GroupByMaterial(mesh)) {
    GltfPrimitive& primitive = primitives.emplace_back();
    primitive.material = group.number;
    primitive.namer = group.material.submesh;
    primitive.textured = group.material.textured;
    const float infinity = std::numeric_limits<float>::infinity();
    primitive.low = {infinity, infinity, infinity};
    primitive.high = {-infinity, -infinity, -infinity};
    Vector3 uniform;
    const bool withColours = !primitive.textured && !UniformColour(group, uniform);
    if (!primitive.textured && !withColours) primitive.baseColour = LinearColour(uniform);

    FillPrimitive(primitive, group, origin, scale, withColours, orderForCache);
  }
  return primitives;
}

}  // namespace vh
