// Growing a tree for Python: without the GIL, so that threads grow trees at
// once, and stoppable from another thread or by Ctrl+C.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "python_objects.h"

namespace vh::python {

// The tree of `document` (with `seed` in place of its own); warns when it
// stopped at `vertexBudget`, raises what a signal handler raised.
std::shared_ptr<GrownTree> Grow(const Document& document, std::optional<int> seed, std::uint64_t vertexBudget,
                                const std::shared_ptr<Cancellation>& cancel, bool leaves, int workers);

// What `verdanthollow-cli info` prints of a mesh: submeshes, vertices, polygons.
pybind11::dict Counts(const MeshObject& mesh);

}  // namespace vh::python
