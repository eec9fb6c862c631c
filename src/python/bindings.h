// The classes and functions of the module, registered in groups.
#pragma once

#include <pybind11/pybind11.h>

namespace vh::python {

// The core's exceptions as Python's: KeyError, TypeError, DocumentError (a
// ValueError), OSError, ValueError.
void RegisterErrors(pybind11::module_& m);

// Document and Level.
void BindDocument(pybind11::module_& m);

// HandEdit, Edits and Document.edits; after BindDocument.
void BindEdits(pybind11::module_& m);

// Cancellation, Mesh, Tree, grow() and bark_tile().
void BindTree(pybind11::module_& m);

// Forests: the plan of a description, the local export and the pieces the
// Dask path uses (forest_bindings.cpp).
void BindForest(pybind11::module_& m);

}  // namespace vh::python
