// The geometry of a glTF export: a mesh's submeshes merged by material
// number into primitives, in the layout glTF wants. It is planned first
// (how many vertices and indices each primitive has and the bounds of its
// positions, all the JSON needs) and then written straight into the binary
// buffer, without arrays in between.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

#include "fileio/gltf_colour.h"
#include "fileio/gltf_memory.h"
#include "fileio/gltf_topology.h"
#include "foundations/vector3.h"
#include "tree/mesh.h"

namespace vh {

// The submeshes of one material, merged. Attributes are tightly packed
// floats: positions (x y z), unit normals (x y z), texture coordinates
// (u v, origin at the picture's top-left as in glTF) only for a textured material, linear colours (r g b)
// only for an untextured one whose vertices differ in colour; then the indices of counter-clockwise
// triangles, 16-bit while every vertex fits below 65535 (the largest value is reserved for primitive
// restart), 32-bit beyond.
struct GltfPrimitive {
  int material = 0;                      // the submeshes' material number
  const Submesh* namer = nullptr;        // the first submesh with it: name and texture file
  bool textured = false;                 // the first vertex of the material has a texture coordinate
  bool withColours = false;              // COLOR_0
  Vector3 baseColour{1.0f, 1.0f, 1.0f};  // linear; the uniform colour of an untextured material
  std::size_t vertexCount = 0;
  std::size_t indexCount = 0;

  std::array<float, 3> low{}, high{};  // bounds of the positions

  // Where the arrays go in the binary buffer, set by the caller before
  // GltfGeometry::Fill; the offsets of arrays the primitive has not are
  // not used.
  struct Offsets {
    std::size_t positions = 0, normals = 0, texCoords = 0, colours = 0, indices = 0;
  } at;

  Vector3 origin;
  double factor = 0.01;  // 0.01 x scale

  bool WideIndices() const { return vertexCount > 65535; }
};

// A vertex's position as written: (position - origin) x factor.
inline std::array<float, 3> PositionOf(const Vertex& vertex, const GltfPrimitive& primitive) {
  const Vector3 relative = vertex.position - primitive.origin;
  const double factor = primitive.factor;
  return {static_cast<float>(relative.x * factor), static_cast<float>(relative.y * factor),
          static_cast<float>(relative.z * factor)};
}

class GltfGeometry {
 public:
  // With `orderForCache`, a submesh's triangles are reordered for the
  // post-transform vertex cache where that lowers the vertices transformed
  // per triangle (wide branch grids); each triangle keeps its corners.
  explicit GltfGeometry(bool orderForCache = true)
      : m_topologies{TopologyCache(orderForCache), TopologyCache(orderForCache)} {}

  // Plans the primitives of `mesh`, one per material number in order of
  // first appearance, leaving out materials without triangles. Positions
  // will be (position - origin) x 0.01 x scale. Triangles without area (as
  // written: corners that meet or line up once scaled to floats) and
  // leaves that repeat an earlier leaf exactly (same material, same vertex
  // positions) are left out, as are vertices no remaining triangle uses;
  // every other vertex keeps its submesh's order. `mesh` must
  // outlive this object; the primitives live as long as it. Throws
  // std::runtime_error for a triangle that refers to a missing vertex.
  std::vector<GltfPrimitive>& Plan(const MeshObject& mesh, const Vector3& origin, double scale);

  // Bytes [begin, end) of the binary buffer.
  struct ByteRange {
    std::size_t begin = 0, end = 0;
  };

  // Writes every planned primitive into the binary buffer at `binary`, at
  // its offsets (which must be set), in shares of consecutive submeshes,
  // each submesh's arrays at once, reading its vertices once. Large meshes
  // are written on two threads; with `completed`, on two helper threads
  // while the calling thread calls `completed(ranges)` with the parts of the
  // buffer that each share has completed, as the shares finish (see
  // RunChunks).
  void Fill(std::uint8_t* binary,
            const std::function<void(std::span<const ByteRange>)>& completed = {}) const;

  // Where one submesh's vertices and indices go.
  struct Placement {
    // What is written of the submesh: its triangles that have an area (a
    // branch's tip ring meets in a point), none for a leaf the generator
    // made twice in the same place.
    SubmeshArrays arrays;
    std::vector<Triangle> withArea;  // arrays.triangles when some of the submesh's have none
    const SubmeshTopology* topology = nullptr;
    std::uint32_t primitive = 0;  // its primitive's index in the level
    std::uint32_t firstVertex = 0;
    std::size_t firstIndex = 0;
  };
  using Placements = std::vector<Placement, FreshMemoryAllocator<Placement>>;

  // Where the submeshes of the `level`th mesh planned went, in the mesh's
  // order (the submeshes with triangles only), for arrays of their own
  // that others write beside the geometry.
  std::span<const Placement> PlacementsOf(std::size_t level) const { return m_levels[level].placements; }

  // A share of the filling: some consecutive submeshes of a level, and the
  // parts of the buffer they fill (for each of their primitives, one for
  // each array).
  struct Chunk {
    const std::vector<GltfPrimitive>* primitives;
    std::span<const Placement> placements;
    std::vector<ByteRange> ranges;
  };

 private:
  struct Level {
    std::vector<GltfPrimitive> primitives;
    Placements placements;  // in the mesh's order
  };

  std::vector<Chunk> Chunks() const;

  std::array<TopologyCache, 2> m_topologies;  // one for each half of the planning
  std::deque<Level> m_levels;                 // a deque keeps them where they are
};

}  // namespace vh
