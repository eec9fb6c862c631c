// The compiled part of the Python module verdanthollow: pybind11 over the
// core, kept to argument conversion, the GIL and object lifetimes. What a
// script can do with a tree lives in the core (parameters by name, mesh
// arrays, the export table), so that the command-line tool and this module
// cannot drift apart; verdanthollow/__init__.py adds what is easier said in
// Python (finding the presets, to_glb).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>

#include "bark/bark_tiler.h"
#include "billboard/billboard_cloud.h"
#include "billboard/billboard_files.h"
#include "billboard/lod_chain.h"
#include "cli/headless_billboards.h"
#include "fileio/document.h"
#include "fileio/document_error.h"
#include "fileio/export_common.h"
#include "fileio/export_formats.h"
#include "fileio/presets.h"
#include "foundations/file_error.h"
#include "imaging/picture_file.h"
#include "imaging/picture_io.h"
#include "tree/mesh_arrays.h"
#include "tree/parameter_names.h"
#include "tree/tree.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace vh::python {
namespace {

// ---- documents -------------------------------------------------------------

struct Document {
  TreeParameters params;
};

// The record of one level of a document, counted from 1 (the trunk) as the
// level tabs count; it keeps its document alive.
struct Level {
  std::shared_ptr<Document> document;
  int number;
  LevelParameters& Record() const { return document->params.levels[static_cast<std::size_t>(number - 1)]; }
};

ParameterValue ToValue(const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>();
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (PyIndex_Check(value.ptr())) {
    // Python integers are unbounded: one beyond long long is as far out of
    // every field's range as the nearest long long, which the core reports.
    const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
    if (number < py::int_(LLONG_MIN)) return LLONG_MIN;
    if (number > py::int_(LLONG_MAX)) return LLONG_MAX;
    return number.cast<long long>();
  }
  throw py::type_error("a parameter takes an int, a bool or a str, not " +
                       std::string(py::str(value.get_type().attr("__name__"))));
}

py::object ToPython(const ParameterValue& value) {
  return std::visit([](const auto& v) -> py::object { return py::cast(v); }, value);
}

Level LevelOf(const std::shared_ptr<Document>& document, int number) {
  if (number < 1 || number > kLevelCount)
    throw py::index_error("levels are numbered from 1 (the trunk) to " + std::to_string(kLevelCount) +
                          ", not " + std::to_string(number));
  return Level{document, number};
}

std::string Repr(const Document& document) {
  return "<verdanthollow.Document: " + std::to_string(document.params.lastParentLevel + 2) +
         " levels, seed " + std::to_string(document.params.seed) + ">";
}

// ---- growing ---------------------------------------------------------------

// Set from any thread to stop a growth at its next branch.
struct Cancellation {
  std::atomic<bool> requested{false};
};

// A grown tree with the parameters it was grown from (its exports read the
// pictures they name). The lock serialises what reads or briefly changes
// the submeshes (billboard pictures hide triangles while they are drawn).
struct GrownTree {
  Tree tree;
  TreeParameters params;
  std::mutex lock;
  std::map<int, std::shared_ptr<MeshArrays>> meshes;  // by level of detail
};

// Lets Ctrl+C stop a growth that runs without the GIL: every tenth of a
// second the growing thread takes the GIL and asks Python whether a signal
// handler raised (only the main thread's growth ever sees one).
class SignalWatch {
 public:
  // Called once per branch; returns true once the growth must stop.
  bool Poll() {
    const auto now = std::chrono::steady_clock::now();
    if (m_raised || now - m_last < std::chrono::milliseconds(100)) return m_raised;
    m_last = now;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) {
      PyErr_Fetch(&m_type, &m_value, &m_traceback);
      m_raised = true;
    }
    return m_raised;
  }
  // With the GIL held: raises what the signal handler raised, if it did.
  void Rethrow() {
    if (!m_raised) return;
    PyErr_Restore(m_type, m_value, m_traceback);
    throw py::error_already_set();
  }

 private:
  std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
  bool m_raised = false;
  PyObject* m_type = nullptr;
  PyObject* m_value = nullptr;
  PyObject* m_traceback = nullptr;
};

std::shared_ptr<GrownTree> Grow(const Document& document, std::optional<int> seed, std::uint64_t vertexBudget,
                                const std::shared_ptr<Cancellation>& cancel, bool leaves, int workers) {
  if (workers < 0)
    throw py::value_error("workers must be 0 (one per core) or more, not " + std::to_string(workers));
  auto grown = std::make_shared<GrownTree>();
  grown->params = document.params;
  if (seed) grown->params.seed = *seed;
  GenerationOptions options;
  options.growLeaves = leaves;
  options.workers = workers;
  std::atomic<bool> stop{false};
  SignalWatch signals;
  GenerationControl control;
  control.cancel = &stop;
  control.vertexBudget = vertexBudget;
  control.onBranch = [&] {
    if ((cancel && cancel->requested.load()) || signals.Poll()) stop = true;
  };
  {
    py::gil_scoped_release release;
    Generate(grown->params, options, control, grown->tree);
  }
  signals.Rethrow();
  if (grown->tree.budgetExceeded) {
    const std::string message = "the tree is incomplete: generation stopped at its budget of " +
                                std::to_string(vertexBudget) + " vertices";
    if (PyErr_WarnEx(PyExc_RuntimeWarning, message.c_str(), 1) != 0) throw py::error_already_set();
  }
  return grown;
}

py::dict Counts(const MeshObject& mesh) {
  return py::dict("submeshes"_a = mesh.submeshes.size(), "vertices"_a = mesh.VertexCount(),
                  "polygons"_a = mesh.PolygonCount());
}

// ---- pictures and graphics -------------------------------------------------

// The leaf and bark pictures a document names, read as the command-line
// tool reads them: a textured material's missing picture raises when
// `required`, and is otherwise a warning and drawn untextured.
struct Pictures {
  Image leaf;
  Image bark;
  MaterialPictures Pointers() const { return {&leaf, &bark, nullptr, nullptr}; }
};

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

Pictures ReadPictures(const TreeParameters& params, bool requireTextured) {
  return {ReadPicture(params.leafTextureFile, requireTextured && params.leafTextureLoaded, "leaf"),
          ReadPicture(params.barkTextureFile, requireTextured && params.barkTextureLoaded, "bark")};
}

// One headless context at a time: billboard builds share the program-wide
// object counter, which they continue from the tree's last number as the
// command-line tool does after growing its one tree.
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

// The level-of-detail chain with its billboard pictures; with the GIL
// released and the tree and the graphics locked.
LodChain RenderedChain(GrownTree& grown, const Pictures& pictures) {
  std::lock_guard graphics(GraphicsLock());
  ContinueObjectNumbersAfter(grown.tree);
  const std::unique_ptr<cli::HeadlessBillboards> context = HeadlessContext(pictures);
  return BuildLodChain(grown.tree, LodChainOptions{},
                       [&context](const MeshObject& mesh) { return context->PicturesOf(mesh); });
}

// ---- meshes ----------------------------------------------------------------

// A read-only numpy view of `count` rows of `columns` values in `values`,
// which `owner` keeps alive for as long as the view (or any view of it) lives.
template <class Value>
py::array View(const std::shared_ptr<MeshArrays>& owner, const Value* values, std::size_t count,
               std::size_t columns) {
  auto* keeper = new std::shared_ptr<MeshArrays>(owner);
  py::capsule base(keeper, [](void* p) { delete static_cast<std::shared_ptr<MeshArrays>*>(p); });
  py::array_t<Value> array({count, columns}, {columns * sizeof(Value), sizeof(Value)}, values, base);
  array.attr("flags").attr("writeable") = false;
  return array;
}

std::shared_ptr<MeshArrays> MeshOf(GrownTree& grown, int lod) {
  if (lod < 0 || lod > 4)
    throw py::index_error("lod runs from 0 (the tree) to 4, not " + std::to_string(lod));
  const Pictures pictures = lod >= 3 ? ReadPictures(grown.params, false) : Pictures();
  py::gil_scoped_release release;
  std::lock_guard guard(grown.lock);
  if (auto found = grown.meshes.find(lod); found != grown.meshes.end()) return found->second;
  std::shared_ptr<MeshArrays> arrays;
  if (lod == 0) {
    arrays = std::make_shared<MeshArrays>(GatherMeshArrays(grown.tree));
  } else {
    const LodChain chain = lod <= 2 ? BuildGeometryLevels(grown.tree) : RenderedChain(grown, pictures);
    if (static_cast<std::size_t>(lod) >= chain.levels.size())
      throw py::index_error("this tree has levels of detail 0 to " + std::to_string(chain.levels.size() - 1) +
                            " (a tree without leaves has no leaf billboards)");
    arrays =
        std::make_shared<MeshArrays>(GatherMeshArrays(*chain.levels[static_cast<std::size_t>(lod)].mesh));
  }
  grown.meshes[lod] = arrays;
  return arrays;
}

// ---- exports ---------------------------------------------------------------

// The largest scale accepted either way, as the command-line tool's --scale.
constexpr double kLargestScale = 1e6;

ExportFormat FormatOf(const std::string& path) {
  const std::optional<ExportFormat> format = ExportFormatOfExtension(path);
  if (!format)
    throw py::value_error("cannot tell the format of '" + path + "': its extension must be " +
                          ExportExtensionsText());
  return *format;
}

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
  // Only glTF carries pictures; the other formats name their files.
  const Pictures pictures = scene ? ReadPictures(grown.params, true) : Pictures();
  py::gil_scoped_release release;
  std::lock_guard guard(grown.lock);
  // The tool's --wind: the document's wind, or the default wind when it has none.
  const WindExport sway = wind ? SwayingExport(grown.params.wind, windEngineCopies) : WindExport();
  if (lod) {
    const LodChain chain = RenderedChain(grown, pictures);
    WriteChain(format, chain, pictures.Pointers(), scale.value_or(1.0), LodLayout::kExtensionOnly, path,
               sway);
  } else {
    ExportScene single = SingleMeshScene(grown.tree, pictures.Pointers(), scale.value_or(1.0));
    single.wind = sway;
    WriteExport(format, single, path);
  }
}

py::dict Billboard(GrownTree& grown, const std::string& path, const BillboardSettings& settings) {
  const ExportFormat format = FormatOf(path);
  // The pictures are what the leaves and branches are drawn with; a
  // missing one is drawn untextured, as in the command-line tool.
  const Pictures pictures = ReadPictures(grown.params, false);
  std::unique_ptr<MeshObject> mesh;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(grown.lock);
    std::lock_guard graphics(GraphicsLock());
    ContinueObjectNumbersAfter(grown.tree);
    const std::unique_ptr<cli::HeadlessBillboards> context = HeadlessContext(pictures);
    BillboardPicker picker;
    BillboardCloud cloud =
        CreateBillboardCloud(grown.tree, settings, picker, context->RendererFor(grown.tree), {});
    ExportBillboardCloud(*cloud.mesh, cloud.colourTexture, cloud.transparency,
                         BillboardExportNames(path, format), format, ExportOrigin(grown.tree),
                         pictures.Pointers());
    mesh = std::move(cloud.mesh);
  }
  std::size_t billboards = 0;
  for (const auto& submesh : mesh->submeshes) billboards += submesh->texture == kBillboardMaterial ? 1 : 0;
  py::dict counts = Counts(*mesh);
  counts["billboards"] = billboards;
  return counts;
}

py::array BarkTile(const std::string& source, const std::optional<std::string>& output,
                   std::tuple<int, int, int, int> crop, std::optional<int> shading, bool symmetrize,
                   bool pow2) {
  BarkTileOptions options;
  std::tie(options.x0, options.x1, options.y0, options.y1) = crop;
  options.shadingRemoval = shading.has_value();
  options.strength = shading.value_or(options.strength);
  options.symmetrize = symmetrize;
  options.powerOfTwo = pow2;
  auto tile = std::make_shared<Image>();
  {
    py::gil_scoped_release release;
    *tile = GenerateBarkTile(LoadPicture(source), options);
    if (output) SavePicture(*output, *tile);
  }
  auto* keeper = new std::shared_ptr<Image>(tile);
  py::capsule base(keeper, [](void* p) { delete static_cast<std::shared_ptr<Image>*>(p); });
  const auto height = static_cast<std::size_t>(tile->height), width = static_cast<std::size_t>(tile->width);
  return py::array_t<std::uint8_t>({height, width, std::size_t{3}},
                                   {3 * width, std::size_t{3}, std::size_t{1}}, tile->pixels.data(), base);
}

// ---- the module ------------------------------------------------------------

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

void BindDocument(py::module_& m) {
  py::class_<Level>(m, "Level", "The parameters of one level of a document, by name (see Level.keys()).")
      .def_property_readonly(
          "number", [](const Level& l) { return l.number; }, "1 for the trunk, 2 for its branches...")
      .def("__getitem__",
           [](const Level& l, const std::string& name) {
             return ToPython(GetLevelParameter(l.Record(), name));
           })
      .def("__setitem__",
           [](const Level& l, const std::string& name, const py::handle& value) {
             SetLevelParameter(l.Record(), name, ToValue(value));
           })
      .def_static("keys", &LevelParameterNames, "The names of a level's parameters, in document order.")
      .def_static(
          "limits",
          [](const std::string& name) {
            const IntRange range = LevelParameterRange(name);
            return std::make_pair(range.minimum, range.maximum);
          },
          "name"_a, "The smallest and largest value an integer parameter of a level accepts.")
      .def("__repr__",
           [](const Level& l) { return "<verdanthollow.Level " + std::to_string(l.number) + ">"; });

  py::class_<Document, std::shared_ptr<Document>>(
      m, "Document", "A tree's parameters: what a .vhm document holds and a tree is grown from.")
      .def(py::init<>(), "The new default tree.")
      .def_static(
          "load", [](const std::string& path) { return Document{ReadDocumentFile(path, TreeParameters())}; },
          "path"_a, "Reads a .vhm document; raises OSError or DocumentError (a ValueError) naming the line.")
      .def_static(
          "from_string",
          [](const std::string& text, const std::string& name) {
            std::istringstream in(text);
            return Document{ParseDocument(in, name, TreeParameters())};
          },
          "text"_a, "name"_a = "<string>", "Reads a document from its text; `name` names it in messages.")
      .def_static("_read_preset",
                  [](const std::string& folder, const std::string& name) {
                    return Document{PresetLibrary(folder).Read(name, TreeParameters())};
                  })
      .def(
          "save", [](const Document& d, const std::string& path) { SaveDocument(d.params, path); }, "path"_a,
          "Writes the document; a failed write leaves any previous file as it was.")
      .def(
          "to_string", [](const Document& d) { return FormatDocument(d.params); },
          "The document's text, as saved.")
      .def("__getitem__",
           [](const Document& d, const std::string& name) { return ToPython(GetParameter(d.params, name)); })
      .def("__setitem__", [](Document& d, const std::string& name,
                             const py::handle& value) { SetParameter(d.params, name, ToValue(value)); })
      .def_static("keys", &GlobalParameterNames,
                  "The names of the tree's global parameters, in document order.")
      .def_static(
          "limits",
          [](const std::string& name) {
            const IntRange range = GlobalParameterRange(name);
            return std::make_pair(range.minimum, range.maximum);
          },
          "name"_a, "The smallest and largest value a global integer parameter accepts.")
      .def("level", &LevelOf, "number"_a, "The parameters of level `number`: 1 is the trunk, up to 11.")
      .def_property_readonly(
          "level_count", [](const Document& d) { return d.params.lastParentLevel + 2; },
          "How many levels grow: the trunk and its levels of branches.")
      .def(
          "copy", [](const Document& d) { return Document{d.params}; }, "An independent copy.")
      .def("__copy__", [](const Document& d) { return Document{d.params}; })
      .def(
          "__deepcopy__", [](const Document& d, const py::dict&) { return Document{d.params}; }, "memo"_a)
      .def(
          "__eq__", [](const Document& a, const Document& b) { return a.params == b.params; },
          py::is_operator())
      .def("__repr__", &Repr);
}

void BindTree(py::module_& m) {
  py::class_<Cancellation, std::shared_ptr<Cancellation>>(
      m, "Cancellation", "Stops a growth from another thread: pass it to grow(cancel=...) and call cancel().")
      .def(py::init<>())
      .def(
          "cancel", [](Cancellation& c) { c.requested = true; }, "Stops the growth at its next branch.")
      .def_property_readonly("cancelled", [](const Cancellation& c) { return c.requested.load(); });

  py::class_<MeshArrays, std::shared_ptr<MeshArrays>>(
      m, "Mesh", "A tree's geometry as read-only numpy arrays that share this object's memory.")
      .def_property_readonly(
          "positions",
          [](const std::shared_ptr<MeshArrays>& a) {
            return View<float>(a, a->positions.data(), a->VertexCount(), 3);
          },
          "(N, 3) float32 positions in scene units (y up).")
      .def_property_readonly(
          "normals",
          [](const std::shared_ptr<MeshArrays>& a) {
            return View<float>(a, a->normals.data(), a->VertexCount(), 3);
          },
          "(N, 3) float32 normals.")
      .def_property_readonly(
          "uvs",
          [](const std::shared_ptr<MeshArrays>& a) {
            return View<float>(a, a->texCoords.data(), a->VertexCount(), 2);
          },
          "(N, 2) float32 texture coordinates (u, v).")
      .def_property_readonly(
          "indices",
          [](const std::shared_ptr<MeshArrays>& a) {
            return View<std::uint32_t>(a, a->indices.data(), a->TriangleCount(), 3);
          },
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
      .def("mesh", &MeshOf, "lod"_a = 0,
           "The geometry of level of detail `lod`: 0 the tree, 1 and 2 reduced copies, 3 leaf billboards "
           "over the "
           "coarse branches and 4 a whole-tree billboard cloud (3 and 4 need an OpenGL context without a "
           "display).")
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
            BillboardSettings settings;
            settings.billboardCount = count;
            settings.precision = precision;
            if (mode != 0 && mode != 1)
              throw py::value_error("mode is 0 (branches stay geometry) or 1, not " + std::to_string(mode));
            settings.mode = static_cast<BillboardMode>(mode);
            settings.favourVertical = favourVertical;
            settings.textureQuality = quality;
            settings.textureResolution = resolution;
            return Billboard(t, path, settings);
          },
          "path"_a, "count"_a = 10, "precision"_a = 50, "mode"_a = 0, "favour_vertical"_a = false,
          "quality"_a = 7, "resolution"_a = 11,
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

}  // namespace
}  // namespace vh::python

PYBIND11_MODULE(_verdanthollow, m) {
  m.doc() = "The compiled part of verdanthollow; import verdanthollow instead.";
  vh::python::RegisterErrors(m);
  vh::python::BindDocument(m);
  vh::python::BindTree(m);
}
