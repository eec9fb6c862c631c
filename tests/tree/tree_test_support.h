// Shared helpers for the generation tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundations/random.h"
#include "tree/branch.h"
#include "tree/tree.h"

namespace vh::testing {

// A kite-shaped leaf outline in editor units (4 points, clockwise on screen).
inline std::vector<Vector2> KiteOutline() { return {{0, -40}, {20, -10}, {0, 30}, {-20, -10}}; }

inline void GiveLeaves(TreeParameters& params, std::vector<Vector2> outline = KiteOutline()) {
  params.leafTexCoords.assign(outline.size(), Vector2(0.5f, 0.5f));
  params.leafOutline = std::move(outline);
}

// All vertex positions of every submesh, in list order.
inline std::vector<Vector3> AllPositions(const MeshObject& mesh) {
  std::vector<Vector3> positions;
  for (const auto& submesh : mesh.submeshes)
    for (const Vertex& vertex : submesh->vertices) positions.push_back(vertex.position);
  return positions;
}

inline bool AllFinite(const MeshObject& mesh) {
  for (const auto& submesh : mesh.submeshes)
    for (const Vertex& v : submesh->vertices)
      for (float c : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z})
        if (!std::isfinite(c)) return false;
  return true;
}

inline bool IsBranch(const Submesh& submesh) { return dynamic_cast<const Branch*>(&submesh) != nullptr; }

inline const Branch& BranchAt(const Tree& tree, std::size_t index) {
  return dynamic_cast<const Branch&>(*tree.submeshes.at(index));
}

// FNV-1a over the bytes of values.
class Fnv1a {
 public:
  template <class T>
  void Add(const T& value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    for (const unsigned char byte : bytes) {
      m_hash ^= byte;
      m_hash *= 1099511628211ull;
    }
  }
  std::uint64_t Value() const { return m_hash; }

 private:
  std::uint64_t m_hash = 1469598103934665603ull;
};

// Everything a grown tree shows the rest of the program: the list, every
// submesh's object number, material, vertices (all fields) and triangles.
inline std::uint64_t FullDigest(const Tree& tree) {
  Fnv1a hash;
  hash.Add(static_cast<std::uint64_t>(tree.submeshes.size()));
  for (const auto& s : tree.submeshes) {
    hash.Add(s->displayList);
    hash.Add(s->texture);
    hash.Add(static_cast<std::uint64_t>(s->vertices.size()));
    hash.Add(static_cast<std::uint64_t>(s->triangles.size()));
    for (const Vertex& v : s->vertices) {
      const float fields[12] = {v.position.x, v.position.y, v.position.z, v.normal.x,
                                v.normal.y,   v.normal.z,   v.colour.x,   v.colour.y,
                                v.colour.z,   v.texCoord.x, v.texCoord.y, v.alpha};
      hash.Add(fields);
      hash.Add(v.hasTexCoord);
      hash.Add(v.hasColour);
    }
    for (const Triangle& t : s->triangles) {
      hash.Add(t.a);
      hash.Add(t.b);
      hash.Add(t.c);
      hash.Add(t.visible);
    }
  }
  return hash.Value();
}

inline GenerationOptions Workers(int count) {
  GenerationOptions options;
  options.workers = count;
  return options;
}

}  // namespace vh::testing
