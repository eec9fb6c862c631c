// A grown tree's levels of detail as mesh arrays, made once and kept.
#pragma once

#include <memory>

#include "python_objects.h"

namespace vh::python {

// The arrays of level of detail `lod` (0 the tree ... 4), built on first
// use without the GIL; IndexError for a level the tree has not.
std::shared_ptr<MeshArrays> MeshOf(GrownTree& grown, int lod);

}  // namespace vh::python
