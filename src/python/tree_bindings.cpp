#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "bark.h"
#include "billboard/billboard_settings.h"
#include "bindings.h"
#include "exports.h"
#include "fileio/presets.h"
#include "growing.h"
#include "meshes.h"
#include "numpy_views.h"
#include "python_objects.h"
#include "tree/branch_pick.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace vh::python {
namespace {

// The keyword of a billboard setting with its default.
py::arg_v SettingArgument(BillboardSetting setting) {
  const BillboardSettingField& field = FieldOf(setting);
  if (field.kind == BillboardSettingKind::kFlag) return py::arg_v(field.keyword, field.Initial() != 0);
  return py::arg_v(field.keyword, field.Initial());
}

// A property that views `rows()` rows of `columns` values of `array` as a
// read-only numpy array.
template <class Value>
auto ArrayOf(std::vector<Value> MeshArrays::*array, std::uint64_t (MeshArrays::*rows)() const,
             std::size_t columns) {
  return [array, rows, columns](const std::shared_ptr<MeshArrays>& a) {
    return View<Value>(a, ((*a).*array).data(), ((*a).*rows)(), columns);
  };
}

}  // namespace

void BindTree(py::module_& m) {
  py::class_<Cancellation, std::shared_ptr<Cancellation>>(
      m, "Cancellation", "Stops a growth from another thread: pass it to grow(cancel=...) and call cancel().")
      .def(py::init<>())
      .def(
          "cancel", [](Cancellation& c) { c.requested = true; }, "Stops the growth at its next branch.")
      .def_property_readonly("cancelled", [](const Cancellation& c) { return c.requested.load(); });

  py::class_<MeshArrays, std::shared_ptr<MeshArrays>>(
      m, "Mesh", "A tree's geometry as read-only numpy arrays that share this object's memory.")
      .def_property_readonly("positions", ArrayOf(&MeshArrays::positions, &MeshArrays::VertexCount, 3),
                             "(N, 3) float32 positions in scene units (y up).")
      .def_property_readonly("normals", ArrayOf(&MeshArrays::normals, &MeshArrays::VertexCount, 3),
                             "(N, 3) float32 normals.")
      .def_property_readonly("uvs", ArrayOf(&MeshArrays::texCoords, &MeshArrays::VertexCount, 2),
                             "(N, 2) float32 texture coordinates (u, v).")
      .def_property_readonly("indices", ArrayOf(&MeshArrays::indices, &MeshArrays::TriangleCount, 3),
                             "(M, 3) uint32 vertex indices per triangle, clockwise seen from outside.")
      .def_property_readonly(
          "groups",
          [](const MeshArrays& a) {
            py::list groups;
            for (const MaterialGroup& g : a.groups)
              groups.append(py::dict("material"_a = g.material, "name"_a = g.materialName,
                                     "texture_file"_a = g.textureFile, "first_vertex"_a = g.firstVertex,
                                     "vertex_count"_a = g.vertexCount, "first_triangle"_a = g.firstTriangle,
                                     "triangle_count"_a = g.triangleCount));
            return groups;
          },
          "One dict per material (1 leaves, 2 bark, 3 billboards): its name, picture and ranges.");

  py::class_<GrownTree, std::shared_ptr<GrownTree>>(m, "Tree", "A grown tree (see grow()).")
      .def_property_readonly(
          "counts",
          [](const GrownTree& t) {
            py::dict counts = Counts(t.tree);
            counts["leaves"] = t.tree.leafCount;
            return counts;
          },
          "What `verdanthollow-cli info` prints: submeshes, vertices, polygons, leaves.")
      .def_property_readonly("seed", [](const GrownTree& t) { return t.params.seed; })
      .def_property_readonly(
          "document", [](const GrownTree& t) { return Document{t.params}; },
          "A copy of the parameters the tree was grown from.")
      .def_property_readonly(
          "budget_exceeded", [](const GrownTree& t) { return t.tree.budgetExceeded; },
          "The growth stopped at its vertex budget.")
      .def_property_readonly(
          "cancelled", [](const GrownTree& t) { return t.tree.cancelled; },
          "The growth was cancelled; the branches after that point are empty.")
      .def_property_readonly(
          "unapplied_edits", [](const GrownTree& t) { return t.tree.unappliedEdits; },
          "Indices into document.edits of the hand edits whose branch this tree does not grow.")
      .def(
          "pick",
          [](const GrownTree& t, const std::array<float, 3>& origin,
             const std::array<float, 3>& direction) -> py::object {
            const Vector3 d(direction[0], direction[1], direction[2]);
            if (d == Zero) throw py::value_error("the direction of a ray must not be zero");
            const std::optional<BranchPick> pick =
                PickBranch(t.tree, Vector3(origin[0], origin[1], origin[2]), d);
            if (!pick) return py::none();
            return py::tuple(py::cast(pick->branch));
          },
          "origin"_a, "direction"_a,
          "The place of the branch the ray origin + s direction (s >= 0) meets first (a leaf picks its "
          "branch), as a tuple for Document.edits; None when it meets nothing.")
      .def("mesh", &MeshOf, "lod"_a = 0,
           "The geometry of level of detail `lod`, as the chain of export(lod=True) has it: 0 the tree, 1 "
           "and 2 reduced copies, 3 the cards (the trunk as geometry, the rest drawn on cards; needs an "
           "OpenGL context without a display).")
      .def("export", &Export, "path"_a, "scale"_a = py::none(), "lod"_a = false, "wind"_a = false,
           "wind_engine_copies"_a = false,
           "Writes the tree as verdanthollow-cli export does, the format by the extension (.obj, .dxf, .3ds, "
           ".glb, "
           ".gltf); scale, lod and wind need glTF. wind=True adds the sway of the document's wind (the "
           "default "
           "wind when it has none) as --wind does; wind_engine_copies as --wind-engine-copies.")
      .def(
          "billboard",
          [](GrownTree& t, const std::string& path, int count, int precision, int mode, bool favourVertical,
             int quality, int resolution) {
            if (mode != 0 && mode != 1)
              throw py::value_error("mode is 0 (branches stay geometry) or 1, not " + std::to_string(mode));
            // In the order of the settings' table, as the keywords are.
            const int values[] = {count, precision, mode, favourVertical ? 1 : 0, quality, resolution};
            BillboardSettings settings;
            for (const BillboardSettingField& field : BillboardSettingFields())
              field.Set(settings, values[static_cast<std::size_t>(field.setting)]);
            return Billboard(t, path, settings);
          },
          "path"_a, SettingArgument(BillboardSetting::kCount), SettingArgument(BillboardSetting::kPrecision),
          SettingArgument(BillboardSetting::kMode), SettingArgument(BillboardSetting::kFavourVertical),
          SettingArgument(BillboardSetting::kTextureQuality),
          SettingArgument(BillboardSetting::kTextureResolution),
          "Builds the billboard cloud and writes it as verdanthollow-cli billboard does; returns its counts. "
          "Needs "
          "an OpenGL context without a display (EGL): RuntimeError where none can be made.")
      .def("__repr__", [](const GrownTree& t) {
        return "<verdanthollow.Tree: seed " + std::to_string(t.params.seed) + ", " +
               std::to_string(t.tree.VertexCount()) + " vertices>";
      });

  m.def("grow", &Grow, "document"_a, "seed"_a = py::none(), py::kw_only(),
        "vertex_budget"_a = kDefaultVertexBudget, "cancel"_a = py::none(), "leaves"_a = true, "workers"_a = 0,
        "Grows the tree of `document` (with `seed` in place of its own) without holding the GIL, so that "
        "threads grow trees at once. Stops at `vertex_budget` vertices with a RuntimeWarning; `cancel`, a "
        "Cancellation, stops it from another thread; `workers` threads mesh it (0: one per core).");
  m.def("bark_tile", &BarkTile, "source"_a, "output"_a = py::none(),
        "crop"_a = std::make_tuple(0, 100, 0, 100), "shading"_a = py::none(), "symmetrize"_a = false,
        "pow2"_a = false,
        "Makes a seamless bark tile from the photograph `source` as verdanthollow-cli bark-tile does, writes "
        "it "
        "to `output` when given and returns it as an (H, W, 3) uint8 array.");
  m.def("_preset_names", [](const std::string& folder) { return PresetLibrary(folder).Names(); });
}

}  // namespace vh::python
