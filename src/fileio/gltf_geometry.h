// The geometry of a glTF export: a mesh's submeshes merged by material
// number into primitives, in the layout glTF wants.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "foundations/vector3.h"
#include "tree/mesh.h"

namespace vh {

// The submeshes of one material, merged. Attributes are tightly packed
// floats; texCoords only for a textured material, colours only for an
// untextured one whose vertices differ in colour.
struct GltfPrimitive {
  int material = 0;                 // the submeshes' material number
  const Submesh* namer = nullptr;   // the first submesh with it: name and texture file
  bool textured = false;            // the first vertex of the material has a texture coordinate
  Vector3 baseColour{1.0f, 1.0f, 1.0f};  // linear; the uniform colour of an untextured material
  std::vector<float> positions;     // x y z
  std::vector<float> normals;       // x y z, unit length
  std::vector<float> texCoords;     // u 1-v
  std::vector<float> colours;       // r g b, linear
  std::vector<std::uint32_t> indices;  // counter-clockwise triangles
  std::array<float, 3> low{}, high{};  // bounds of the positions

  std::size_t VertexCount() const { return positions.size() / 3; }
};

// The primitives of `mesh`, one per material number in order of first
// appearance, leaving out materials without triangles. Positions are
// (position - origin) x 0.01 x scale. Vertices no triangle uses are left
// out; every other vertex keeps its submesh's order. With
// `orderForCache`, a submesh's triangles are reordered for the
// post-transform vertex cache where that lowers the vertices transformed
// per triangle (wide branch grids); each triangle keeps its corners.
std::vector<GltfPrimitive> BuildPrimitives(const MeshObject& mesh, const Vector3& origin, double scale,
                                           bool orderForCache = true);

// sRGB-encoded colour component (what the program's colours are) to linear light.
float LinearFromSrgb(float value);

}  // namespace vh
