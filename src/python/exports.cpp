#include "exports.h"

#include <memory>
#include <mutex>

#include "billboard/billboard_files.h"
#include "billboard/lod_chain.h"
#include "fileio/export_common.h"
#include "fileio/export_formats.h"
#include "graphics.h"
#include "growing.h"

namespace py = pybind11;

namespace vh::python {
namespace {

// The largest scale accepted either way, as the command-line tool's --scale.
constexpr double kLargestScale = 1e6;

ExportFormat FormatOf(const std::string& path) {
  const std::optional<ExportFormat> format = ExportFormatOfExtension(path);
  if (!format)
    throw py::value_error("cannot tell the format of '" + path + "': its extension must be " +
                          ExportExtensionsText());
  return *format;
}

}  // namespace

void Export(GrownTree& grown, const std::string& path, std::optional<double> scale, bool lod, bool wind,
            bool windEngineCopies) {
  if (windEngineCopies && !wind) throw py::value_error("wind_engine_copies needs wind=True");
  const ExportFormat format = FormatOf(path);
  const bool scene = FormatEntry(format).carriesScene;
  if (!scene && (scale || lod || wind))
    throw py::value_error(std::string(lod    ? "lod"
                                      : wind ? "wind"
                                             : "scale") +
                          " needs a glTF output (.glb or .gltf), not '" + path + "'");
  if (scale && !(*scale >= 1.0 / kLargestScale && *scale <= kLargestScale))
    throw py::value_error("scale must lie between 1e-06 and 1e+06, not " + std::to_string(*scale));
  // Only glTF carries pictures; the other formats name their files, and
  // all of them leave a missing one out.
  const ExportedTree exported = PrepareExport(grown);
  const DocumentPictures& pictures = exported.pictures;
  py::gil_scoped_release release;
  std::lock_guard guard(grown.lock);
  Tree& tree = exported.Of(grown);
  // The tool's --wind: the document's wind, or the default wind when it has none.
  const WindExport sway = wind ? SwayingExport(grown.params.wind, windEngineCopies) : WindExport();
  if (lod) {
    const LodChain chain = RenderedChain(tree, pictures);
    WriteChain(format, chain, pictures.Pointers(), scale.value_or(1.0), LodLayout::kExtensionOnly, path,
               sway);
  } else {
    ExportScene single = SingleMeshScene(tree, pictures.Pointers(), scale.value_or(1.0));
    single.wind = sway;
    WriteExport(format, single, path);
  }
}

py::dict Billboard(GrownTree& grown, const std::string& path, const BillboardSettings& settings) {
  const ExportFormat format = FormatOf(path);
  // The pictures are what the leaves and branches are drawn with; a
  // missing one is drawn untextured, as in the command-line tool.
  const ExportedTree exported = PrepareExport(grown);
  const DocumentPictures& pictures = exported.pictures;
  std::unique_ptr<MeshObject> mesh;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(grown.lock);
    std::lock_guard graphics(GraphicsLock());
    Tree& tree = exported.Of(grown);
    ContinueObjectNumbersAfter(tree);
    const std::unique_ptr<cli::HeadlessBillboards> context = HeadlessContext(pictures);
    BillboardPicker picker;
    BillboardCloud cloud = CreateBillboardCloud(tree, settings, picker, context->RendererFor(tree), {});
    ExportBillboardCloud(*cloud.mesh, cloud.colourTexture, cloud.transparency,
                         BillboardExportNames(path, format), format, EngineOrigin(tree), pictures.Pointers());
    mesh = std::move(cloud.mesh);
  }
  std::size_t billboards = 0;
  for (const auto& submesh : mesh->submeshes) billboards += submesh->texture == kBillboardMaterial ? 1 : 0;
  py::dict counts = Counts(*mesh);
  counts["billboards"] = billboards;
  return counts;
}

}  // namespace vh::python
