#include "graphics.h"

#include <pybind11/pybind11.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "imaging/picture_file.h"
#include "imaging/picture_io.h"

namespace py = pybind11;

namespace vh::python {
namespace {

Image ReadPicture(const std::string& file, bool required, const char* what) {
  if (file.empty()) return Image();
  try {
    return LoadPicture(file);
  } catch (const PictureError& error) {
    if (required) throw;
    const std::string message = std::string("the ") + what + " texture is not used: " + error.what();
    if (PyErr_WarnEx(PyExc_RuntimeWarning, message.c_str(), 1) != 0) throw py::error_already_set();
    return Image();
  }
}

}  // namespace

Pictures ReadPictures(const TreeParameters& params, bool requireTextured) {
  return {ReadPicture(params.leafTextureFile, requireTextured && params.leafTextureLoaded, "leaf"),
          ReadPicture(params.barkTextureFile, requireTextured && params.barkTextureLoaded, "bark")};
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

std::unique_ptr<cli::HeadlessBillboards> HeadlessContext(const Pictures& pictures) {
  try {
    return std::make_unique<cli::HeadlessBillboards>(pictures.Pointers());
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(
        std::string(
            "billboard pictures need an OpenGL context without a display (EGL), and none could be made: ") +
        error.what());
  }
}

LodChain RenderedChain(GrownTree& grown, const Pictures& pictures) {
  std::lock_guard graphics(GraphicsLock());
  ContinueObjectNumbersAfter(grown.tree);
  const std::unique_ptr<cli::HeadlessBillboards> context = HeadlessContext(pictures);
  return BuildLodChain(grown.tree, LodChainOptions{},
                       [&context](const MeshObject& mesh) { return context->PicturesOf(mesh); });
}

}  // namespace vh::python
