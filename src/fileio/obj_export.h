// Wavefront OBJ export with its MTL material file.
#pragma once

#include <string>

#include "tree/mesh.h"

namespace vh {

// Writes `mesh` to `path` as OBJ and its materials to `path` + ".mtl" (so
// tree.obj gets tree.obj.mtl). One group "object<number>" per submesh, in
// list order; positions relative to the export origin (see ExportOrigin)
// scaled by 0.01; texture coordinates (u, 1 - v); faces refer to positions
// and texture coordinates with the same 1-based index, winding reversed.
// One material block per distinct `texture` number (see DistinctMaterials).
// Both files are written beside their targets and renamed into place only
// when both are complete. Throws FileError when either cannot be written,
// std::runtime_error for a mesh with out-of-range indices.
void ExportOBJ(const MeshObject& mesh, const std::string& path);

}  // namespace vh
