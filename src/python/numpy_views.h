// Mesh arrays seen from numpy without a copy.
#pragma once

#include <pybind11/numpy.h>

#include <cstddef>
#include <memory>

#include "tree/mesh_arrays.h"

namespace vh::python {

// A read-only numpy view of `count` rows of `columns` values in `values`,
// which `owner` keeps alive for as long as the view (or any view of it) lives.
template <class Value>
pybind11::array View(const std::shared_ptr<MeshArrays>& owner, const Value* values, std::size_t count,
                     std::size_t columns) {
  auto* keeper = new std::shared_ptr<MeshArrays>(owner);
  pybind11::capsule base(keeper, [](void* p) { delete static_cast<std::shared_ptr<MeshArrays>*>(p); });
  pybind11::array_t<Value> array({count, columns}, {columns * sizeof(Value), sizeof(Value)}, values, base);
  array.attr("flags").attr("writeable") = false;
  return array;
}

}  // namespace vh::python
