#include <pybind11/stl.h>

#include <climits>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "bindings.h"
#include "fileio/document.h"
#include "fileio/presets.h"
#include "python_objects.h"
#include "tree/parameter_names.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace vh::python {
namespace {

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

// The smallest and largest value of the integer parameter `name`, by `range`.
auto LimitsOf(IntRange (*range)(const std::string&)) {
  return [range](const std::string& name) {
    const IntRange limits = range(name);
    return std::make_pair(limits.minimum, limits.maximum);
  };
}

}  // namespace

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
      .def_static("limits", LimitsOf(&LevelParameterRange), "name"_a,
                  "The smallest and largest value an integer parameter of a level accepts.")
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
      .def_static("limits", LimitsOf(&GlobalParameterRange), "name"_a,
                  "The smallest and largest value a global integer parameter accepts.")
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

}  // namespace vh::python
