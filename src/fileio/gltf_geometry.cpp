#include "fileio/gltf_geometry.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <limits>

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
  std::size_t vertices = 0;   // upper bound: every vertex of every submesh
  std::size_t triangles = 0;
};

std::vector<MaterialGroup> GroupByMaterial(const MeshObject& mesh) {
  std::vector<MaterialGroup> groups;
  for (const ExportMaterial& material : DistinctMaterials(mesh))
    groups.push_back(MaterialGroup{material, material.submesh->texture, {}, 0, 0});
  for (const auto& submesh : mesh.submeshes) {
    if (submesh->triangles.empty()) continue;
    for (MaterialGroup& group : groups) {
      if (group.number != submesh->texture) continue;
      group.submeshes.push_back(submesh.get());
      group.vertices += submesh->vertices.size();
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

// Fills the arrays of one primitive, sized beforehand for every vertex and
// triangle of its submeshes; Finish trims what unused vertices left over.
class PrimitiveBuilder {
 public:
  PrimitiveBuilder(GltfPrimitive& primitive, const MaterialGroup& group, const Vector3& origin, double scale,
                   bool withColours)
      : m_out(primitive), m_origin(origin), m_factor(0.01 * scale), m_withColours(withColours) {
    m_out.positions.resize(group.vertices * 3);
    m_out.normals.resize(group.vertices * 3);
    if (m_out.textured) m_out.texCoords.resize(group.vertices * 2);
    if (withColours) m_out.colours.resize(group.vertices * 3);
    m_out.indices.resize(group.triangles * 3);
  }

  void Add(const Submesh& submesh, bool orderForCache) {
    // Vertices no triangle refers to (a leaf's closing copy of its first
    // outline point) are left out; the others keep their order.
    m_newIndex.assign(submesh.vertices.size(), kUnused);
    for (const Triangle& t : submesh.triangles) m_newIndex[t.a] = m_newIndex[t.b] = m_newIndex[t.c] = 0;
    std::uint32_t used = 0;
    for (std::size_t i = 0; i < submesh.vertices.size(); ++i) {
      if (m_newIndex[i] == kUnused) continue;
      m_newIndex[i] = used++;
      AddVertex(submesh.vertices[i]);
    }
    m_added = 0;
    // Clockwise (a, b, c) becomes counter-clockwise (a, c, b).
    std::uint32_t* local = m_out.indices.data() + m_indexCount;
    std::uint32_t* out = local;
    for (const Triangle& t : submesh.triangles) {
      *out++ = m_newIndex[t.a];
      *out++ = m_newIndex[t.c];
      *out++ = m_newIndex[t.b];
    }
    const std::size_t count = static_cast<std::size_t>(out - local);
    if (orderForCache) OrderForVertexCache(local, count, used, m_scratch);
    for (std::size_t i = 0; i < count; ++i) local[i] += m_base;
    m_indexCount += count;
    m_base += used;
  }

  void Finish() {
    m_out.positions.resize(m_base * 3);
    m_out.normals.resize(m_base * 3);
    if (m_out.textured) m_out.texCoords.resize(m_base * 2);
    if (m_withColours) m_out.colours.resize(m_base * 3);
  }

 private:
  static constexpr std::uint32_t kUnused = std::numeric_limits<std::uint32_t>::max();

  void AddVertex(const Vertex& vertex) {
    const std::size_t i = m_base + m_added++;
    const Vector3 relative = vertex.position - m_origin;
    float* p = m_out.positions.data() + i * 3;
    p[0] = static_cast<float>(relative.x * m_factor);
    p[1] = static_cast<float>(relative.y * m_factor);
    p[2] = static_cast<float>(relative.z * m_factor);
    for (int k = 0; k < 3; ++k) {
      m_out.low[k] = std::min(m_out.low[k], p[k]);
      m_out.high[k] = std::max(m_out.high[k], p[k]);
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
  std::uint32_t m_base = 0;   // vertices of the submeshes added before
  std::uint32_t m_added = 0;  // vertices of the submesh being added
  std::size_t m_indexCount = 0;
  std::vector<std::uint32_t> m_newIndex;
  std::vector<std::uint32_t> m_scratch;
};

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

    PrimitiveBuilder builder(primitive, group, origin, scale, withColours);
    for (const Submesh* submesh : group.submeshes) builder.Add(*submesh, orderForCache);
    builder.Finish();
  }
  return primitives;
}

}  // namespace vh
