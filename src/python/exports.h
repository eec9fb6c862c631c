// Writing a grown tree and its billboard cloud to files, as the
// command-line tool's export and billboard commands do.
#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

#include "billboard/billboard_cloud.h"
#include "python_objects.h"

namespace vh::python {

// The tree in the format of `path`'s extension; scale, lod and wind need glTF.
void Export(GrownTree& grown, const std::string& path, std::optional<double> scale, bool lod, bool wind,
            bool windEngineCopies);

// The billboard cloud of the tree, written to `path`; returns its counts.
pybind11::dict Billboard(GrownTree& grown, const std::string& path, const BillboardSettings& settings);

}  // namespace vh::python
