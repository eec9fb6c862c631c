// Checks of a binary glTF file the program wrote, read back by tinygltf: what
// the fuzz targets that export hold every file to.
#pragma once

#include <string>
#include <string_view>

namespace vh::fuzz {

// The first fault found in `glb`, in words, or an empty string: tinygltf
// must read it; every accessor must lie inside its buffer view and every
// view inside its buffer; every float must be finite and every value inside
// its accessor's min and max; every index must name a vertex of its
// primitive; node transforms must be finite; animation times must rise;
// and where a primitive is skinned, its joints must exist and each vertex's
// weights must sum to 1.
std::string GlbFault(std::string_view glb);

}  // namespace vh::fuzz
