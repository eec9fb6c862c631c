#include "graphics.h"

#include <pybind11/pybind11.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace py = pybind11;

namespace vh::python {
ExportedTree PrepareExport(GrownTree& grown) {
  ExportedTree exported;
  exported.pictures = ReadDocumentPictures(grown.params);
  for (const MissingPicture& missing : exported.pictures.missing)
    if (PyErr_WarnEx(PyExc_RuntimeWarning, Describe(missing).c_str(), 1) != 0) throw py::error_already_set();
  if (exported.pictures.missing.empty()) return exported;
  const TreeParameters untextured = WithoutMissingPictures(grown.params, exported.pictures.missing);
  exported.untextured = std::make_unique<Tree>();
  py::gil_scoped_release release;
  GenerationControl control;
  control.vertexBudget = grown.vertexBudget;
  Generate(untextured, grown.options, control, *exported.untextured);
  return exported;
}

std::mutex& GraphicsLock() {
  static std::mutex lock;
  return lock;
}

void ContinueObjectNumbersAfter(const Tree& tree) {
  unsigned highest = tree.leafTemplate ? tree.leafTemplate->displayList : 0;
  for (const auto& submesh : tree.submeshes) highest = std::max(highest, submesh->displayList);
  Submesh::RestartObjectCounterAt(highest + 1);
}

std::unique_ptr<cli::HeadlessBillboards> HeadlessContext(const DocumentPictures& pictures) {
  try {
    return std::make_unique<cli::HeadlessBillboards>(pictures.Pointers());
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(
        std::string(
            "billboard pictures need an OpenGL context without a display (EGL), and none could be made: ") +
        error.what());
  }
}

LodChain RenderedChain(Tree& tree, const DocumentPictures& pictures) {
  std::lock_guard graphics(GraphicsLock());
  ContinueObjectNumbersAfter(tree);
  const std::unique_ptr<cli::HeadlessBillboards> context = HeadlessContext(pictures);
  return BuildLodChain(tree, LodChainOptions{},
                       [&context](const MeshObject& mesh) { return context->PicturesOf(mesh); });
}

}  // namespace vh::python
