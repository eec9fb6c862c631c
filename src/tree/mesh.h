// The mesh model: what the generator produces and what the view, the
// exporters and the billboard builder consume.
//
// A MeshObject is an ordered list of submeshes; a Submesh is an indexed
// triangle list with per-vertex position, colour, normal, texture coordinate
// and alpha, plus the flags that select its material and how it is drawn.
// Positions are absolute scene units, right-handed, y up.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundations/vector3.h"

namespace vh {

struct Vertex {
  Vector3 position;
  Vector3 colour;                 // red, green, blue in 0..1
  Vector3 normal{0.0f, 1.0f, 0.0f};
  Vector2 texCoord;               // (u, v)
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
enum MaterialNumber : int { kLeafMaterial = 1, kBarkMaterial = 2, kBillboardMaterial = 3 };

class Submesh {
 public:
  Submesh();
  // Takes `objectNumber` and leaves the counter alone: a generation numbers
  // its submeshes in creation order itself, also on other threads.
  explicit Submesh(unsigned objectNumber);
  virtual ~Submesh();
  Submesh(const Submesh&) = delete;
  Submesh& operator=(const Submesh&) = delete;

  std::vector<Vertex> vertices;
  std::vector<Triangle> triangles;
  // Object number from the program-wide counter, taken at construction.
  // Exports name groups and layers after it; it is not a GL name.
  unsigned displayList;
  int texture = 0;            // material number (see MaterialNumber)
  std::string textureFile;    // image file of the material, full path
  std::string materialName;   // material prefix + material number
  bool strip = true;          // triangle order allows drawing as one strip
  bool cullFaces = true;
  bool wireframe = false;
  bool listDirty = true;      // the view's cached drawing must be rebuilt

  // The view's cached drawing (a GL display-list name from glGenLists), or 0.
  // Core never touches GL: a destroyed submesh hands its name to
  // RetiredDrawLists() and the view deletes it with a current context.
  unsigned drawCache = 0;

  // The object-number counter shared by every submesh of the program.
  static unsigned PeekObjectCounter() { return s_nextObjectNumber; }
  static void RestartObjectCounterAt(unsigned next) { s_nextObjectNumber = next; }

 private:
  static unsigned s_nextObjectNumber;
};

// GL display-list names of destroyed submeshes, waiting for the view to free
// them in its context. Single-threaded, like everything that touches meshes.
std::vector<unsigned>& RetiredDrawLists();

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
