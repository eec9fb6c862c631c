// What the three geometry exporters share: the export origin, the distinct
// materials in list order, file-name handling and the sanity check of a
// mesh's indices.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundations/vector3.h"
#include "tree/mesh.h"

namespace vh {

// The position of the first vertex of the mesh object's first submesh, which
// every exporter moves to the origin. A mesh without submeshes, or whose
// first submesh has no vertices (a cancelled generation), exports with the
// origin (0, 0, 0).
Vector3 ExportOrigin(const MeshObject& mesh);

// Where engine files (glTF: single trees, chains, billboards, wind rigs,
// forests) put (0, 0, 0): the centre of the trunk's base, so that an engine
// turning an instance turns the tree about its own trunk and scales it
// from the ground up. That is the origin of the mesh's first trunk branch
// (level 0) as the generator placed it; a mesh without one (not a grown
// tree) takes ExportOrigin. OBJ, DXF and 3DS keep ExportOrigin.
Vector3 EngineOrigin(const MeshObject& mesh);

// One material per distinct `texture` number, in order of first appearance.
// Name and texture file come from the first submesh with the number; colour
// and the textured test read a first vertex, taken from the first submesh
// with the number that has one. Without any vertex the material is white
// and untextured.
struct ExportMaterial {
  const Submesh* submesh = nullptr;  // first submesh with this number
  Vector3 colour{1.0f, 1.0f, 1.0f};
  bool textured = false;
};
std::vector<ExportMaterial> DistinctMaterials(const MeshObject& mesh);

// The file-name part of a path: what follows its last '/' or '\'
// (documents may hold Windows paths). Material files name their textures
// this way, letter case kept, so that the pictures are found beside the
// exported file on case-sensitive file systems too.
std::string FileNamePart(std::string_view path);

// Throws std::runtime_error naming `path` when a triangle refers to a vertex
// its submesh does not have, so that no exporter reads past a vertex list.
void CheckIndices(const MeshObject& mesh, const std::string& path);

}  // namespace vh
