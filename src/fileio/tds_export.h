// 3DS export: binary chunks with one material entry per distinct material
// and one named triangle object per submesh.
#pragma once

#include <string>

#include "tree/mesh.h"

namespace vh {

// Writes `mesh` to `path` as a 3DS file. Each submesh becomes the object
// "objt<number + 10000>" with positions relative to the export origin (see
// ExportOrigin) in the order x, z, y, mapping coordinates (u, 1 - v), faces
// in stored order with flags 6 and one face material group naming its
// material. Materials: one entry per distinct `texture` number (see
// DistinctMaterials), ambient = diffuse = first-vertex colour as bytes.
//
// The format counts vertices and faces in 16 bits. A submesh with more than
// 65535 of either is split into several objects of at most 65535 vertices
// and 65535 faces, in triangle order; the first keeps the submesh's object
// name, the others get "_1", "_2", ... appended. Vertices that no triangle
// uses are not written for such a split submesh.
//
// Written beside the target and renamed into place when complete. Throws
// FileError when the file cannot be written or would exceed the format's
// 4 GiB chunk lengths, std::runtime_error for out-of-range indices.
void Export3DS(const MeshObject& mesh, const std::string& path);

}  // namespace vh
