// Bark tiles for Python, returned as numpy arrays.
#pragma once

#include <pybind11/numpy.h>

#include <optional>
#include <string>
#include <tuple>

namespace vh::python {

// A seamless bark tile from the photograph `source`, written to `output`
// when given, as an (H, W, 3) uint8 array.
pybind11::array BarkTile(const std::string& source, const std::optional<std::string>& output,
                         std::tuple<int, int, int, int> crop, std::optional<int> shading, bool symmetrize,
                         bool pow2);

}  // namespace vh::python
