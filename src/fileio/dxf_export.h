// DXF export: 3DFACE entities only, all in one ENTITIES section.
#pragma once

#include <string>

#include "tree/mesh.h"

namespace vh {

// Writes every triangle of `mesh`, submesh by submesh in list order, as a
// 3DFACE (fourth corner repeating the third) on the layer named after its
// submesh's number, colour 3, all in one ENTITIES section. Points
// are unscaled, relative to the export origin (see ExportOrigin), with y and
// z exchanged (DXF's z is up). The file has no header, tables or blocks
// section. Written beside the target and renamed into place when complete;
// throws FileError when it cannot be written, std::runtime_error for a mesh
// with out-of-range indices.
void ExportDXF(const MeshObject& mesh, const std::string& path);

}  // namespace vh
