// The compiled part of the Python module verdanthollow: pybind11 over the
// core, kept to argument conversion, the GIL and object lifetimes. What a
// script can do with a tree lives in the core (parameters by name, mesh
// arrays, the export table), so that the command-line tool and this module
// cannot drift apart; verdanthollow/__init__.py adds what is easier said in
// Python (finding the presets, to_glb).
#include <pybind11/pybind11.h>

#include <exception>

#include "bark/bark_tiler.h"
#include "bindings.h"
#include "fileio/document_error.h"
#include "foundations/file_error.h"
#include "imaging/picture_file.h"
#include "tree/parameter_names.h"

namespace py = pybind11;

namespace vh::python {

void RegisterErrors(py::module_& m) {
  static py::exception<DocumentError> documentError(m, "DocumentError", PyExc_ValueError);
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const UnknownParameter& e) {
      PyErr_SetString(PyExc_KeyError, e.what());
    } catch (const ParameterKindError& e) {
      PyErr_SetString(PyExc_TypeError, e.what());
    } catch (const DocumentError& e) {
      documentError(e.what());
    } catch (const FileError& e) {
      PyErr_SetString(PyExc_OSError, e.what());
    } catch (const PictureError& e) {
      PyErr_SetString(PyExc_OSError, e.what());
    } catch (const BarkTileError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });
}

}  // namespace vh::python

PYBIND11_MODULE(_verdanthollow, m) {
  m.doc() = "The compiled part of verdanthollow; import verdanthollow instead.";
  vh::python::RegisterErrors(m);
  vh::python::BindDocument(m);
  vh::python::BindEdits(m);
  vh::python::BindTree(m);
  vh::python::BindForest(m);
}
