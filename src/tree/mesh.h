// The mesh model: what the generator produces and what the view, the
// exporters and the billboard builder consume.
//
// A MeshObject is an ordered list of submeshes; a Submesh is an indexed
// triangle list with per-vertex position, colour, normal, texture coordinate
// and alpha, plus its material. Positions are absolute scene units,
// right-handed, y up. The mesh is plain data: how it is drawn (display
// lists, wireframe, culling) is the view's business.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

#include "foundations/vector3.h"

namespace vh {

struct Vertex {
  Vector3 position;
  Vector3 colour;  // red, green, blue in 0..1
  Vector3 normal{0.0f, 1.0f, 0.0f};
  Vector2 texCoord;  // (u, v)
  float alpha = 1.0f;
  bool hasTexCoord = false;
  bool hasColour = false;

  Vertex() = default;
  explicit Vertex(const Vector3& p) : position(p) {}
};

struct Triangle {
  std::uint32_t a = 0, b = 0, c = 0;  // indices into the submesh's own vertices
  bool visible = true;                // invisible triangles stay but are not drawn
};

// Material numbers, which are also the names of the view's texture objects.
// Cards (the last level of a level-of-detail chain) are pictures like
// billboards but one-sided: each card is two faces back to back, each
// with normals of its own, so that engines light both sides alike.
enum MaterialNumber : int { kLeafMaterial = 1, kBarkMaterial = 2, kBillboardMaterial = 3, kCardMaterial = 4 };

class Submesh {
 public:
  Submesh();
  // Takes `objectNumber` and leaves the counter alone: a generation numbers
  // its submeshes in creation order itself, also on other threads.
  explicit Submesh(unsigned objectNumber);
  // Its lists and names take their memory from `memory`, which must outlive
  // the submesh (a generation puts all the leaves of a branch in one block).
  Submesh(unsigned objectNumber, std::pmr::memory_resource* memory);
  virtual ~Submesh() = default;
  Submesh(const Submesh&) = delete;
  Submesh& operator=(const Submesh&) = delete;

  std::pmr::vector<Vertex> vertices;
  std::pmr::vector<Triangle> triangles;
  // Object number from the program-wide counter, taken at construction.
  // Exports name groups and layers after it; it is not a GL name.
  unsigned displayList;
  int texture = 0;                // material number (see MaterialNumber)
  std::pmr::string textureFile;   // image file of the material, full path
  std::pmr::string materialName;  // material prefix + material number
  bool strip = true;              // triangle order allows drawing as one strip
  // Counts the changes made to the submesh after it was built. Whoever
  // changes anything its drawing depends on (vertices, triangles or their
  // visibility, material, strip) increments it, so that whatever keeps a
  // derived copy (the view's compiled drawing) knows to make it again.
  std::uint64_t revision = 0;

  // The object-number counter shared by every submesh of the program. It is
  // atomic because batch tools grow several trees at once on their threads.
  static unsigned PeekObjectCounter() { return s_nextObjectNumber.load(); }
  static void RestartObjectCounterAt(unsigned next) { s_nextObjectNumber.store(next); }

 private:
  static std::atomic<unsigned> s_nextObjectNumber;
};

// A list of submeshes. Shared pointers, because a billboard cloud lists some
// of the tree's bark submeshes while the tree keeps them too.
class MeshObject {
 public:
  MeshObject() = default;
  MeshObject(MeshObject&&) = default;
  MeshObject& operator=(MeshObject&&) = default;
  virtual ~MeshObject() = default;

  std::vector<std::shared_ptr<Submesh>> submeshes;

  // Sum of the vertex-list lengths of all submeshes.
  std::uint64_t VertexCount() const;
  // Sum of the triangle-list lengths, invisible triangles included.
  std::uint64_t PolygonCount() const;
};

}  // namespace vh
