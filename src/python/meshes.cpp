#include "meshes.h"

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

#include "billboard/lod_chain.h"
#include "graphics.h"

namespace py = pybind11;

namespace vh::python {

std::shared_ptr<MeshArrays> MeshOf(GrownTree& grown, int lod) {
  if (lod < 0 || lod > 3)
    throw py::index_error("lod runs from 0 (the tree) to 3 (the cards), not " + std::to_string(lod));
  // The cards are drawn as the exports draw them.
  const std::optional<ExportedTree> exported =
      lod >= 3 ? std::optional<ExportedTree>(PrepareExport(grown)) : std::nullopt;
  py::gil_scoped_release release;
  std::lock_guard guard(grown.lock);
  if (auto found = grown.meshes.find(lod); found != grown.meshes.end()) return found->second;
  std::shared_ptr<MeshArrays> arrays;
  if (lod == 0) {
    arrays = std::make_shared<MeshArrays>(GatherMeshArrays(grown.tree));
  } else {
    const LodChain chain =
        lod <= 2 ? BuildGeometryLevels(grown.tree) : RenderedChain(exported->Of(grown), exported->pictures);
    if (static_cast<std::size_t>(lod) >= chain.levels.size())
      throw py::index_error("this tree has levels of detail 0 to " + std::to_string(chain.levels.size() - 1));
    arrays =
        std::make_shared<MeshArrays>(GatherMeshArrays(*chain.levels[static_cast<std::size_t>(lod)].mesh));
  }
  grown.meshes[lod] = arrays;
  return arrays;
}

}  // namespace vh::python
