// doc.edits: the hand edits of a document as a list scripts can read and
// change. Every edit is checked by the core's rules on the way in, so a
// document changed here can always be grown and saved.
#include <pybind11/stl.h>

#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "bindings.h"
#include "python_objects.h"
#include "tree/hand_edits.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace vh::python {
namespace {

// The hand edits of one document; it keeps its document alive.
struct Edits {
  std::shared_ptr<Document> document;
  std::vector<HandEdit>& List() const { return document->params.handEdits; }
};

// A place as a tuple of indices, "0/4/1" or a sequence of ints.
BranchPath PathOf(const py::handle& branch) {
  if (py::isinstance<py::str>(branch)) {
    const std::string text = branch.cast<std::string>();
    BranchPath path;
    if (!ParseBranchPath(text, path))
      throw py::value_error("a branch is a place like 0/4/1 (at most 11 indices 0..999), not '" + text + "'");
    return path;
  }
  if (!py::isinstance<py::sequence>(branch))
    throw py::type_error(
        "a branch is a sequence of indices such as (0, 4, 1) or a str such as '0/4/1', not " +
        std::string(py::str(branch.get_type().attr("__name__"))));
  BranchPath path;
  for (const py::handle index : branch.cast<py::sequence>()) {
    if (!PyIndex_Check(index.ptr()))
      throw py::type_error("the indices of a branch are ints, not " +
                           std::string(py::str(index.get_type().attr("__name__"))));
    // Python ints are unbounded: one beyond int is as far out of range as
    // the nearest int, which the core's check reports.
    const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(index.ptr()));
    if (number < py::int_(INT_MIN)) {
      path.push_back(INT_MIN);
    } else if (number > py::int_(INT_MAX)) {
      path.push_back(INT_MAX);
    } else {
      path.push_back(number.cast<int>());
    }
  }
  return path;
}

py::tuple TupleOf(const BranchPath& path) { return py::cast(path).cast<py::tuple>(); }

std::size_t IndexOf(const Edits& edits, py::ssize_t index) {
  const auto count = static_cast<py::ssize_t>(edits.List().size());
  if (index < 0) index += count;
  if (index < 0 || index >= count)
    throw py::index_error("the document has " + std::to_string(count) + " hand edits, so no edit " +
                          std::to_string(index));
  return static_cast<std::size_t>(index);
}

HandEdit MakeEdit(const std::string& kind, const py::handle& branch, const std::optional<double>& around,
                  const std::optional<double>& away, const std::optional<double>& factor) {
  HandEdit edit;
  if (!HandEditKindFromName(kind, edit.kind))
    throw py::value_error("the kind of a hand edit is 'remove', 'turn' or 'length', not '" + kind + "'");
  edit.branch = PathOf(branch);
  const bool turn = edit.kind == HandEditKind::kTurn, length = edit.kind == HandEditKind::kLength;
  if (!turn && (around || away)) throw py::value_error("only a turn takes around and away");
  if (!length && factor) throw py::value_error("only a length takes a factor");
  if (turn && !around && !away) throw py::value_error("a turn needs around, away or both (degrees)");
  if (length && !factor) throw py::value_error("a length needs its factor");
  edit.around = around.value_or(0.0);
  edit.away = away.value_or(0.0);
  edit.factor = factor.value_or(1.0);
  const std::string problem = CheckHandEdit(edit);
  if (!problem.empty()) throw py::value_error(problem);
  return edit;
}

std::string Repr(const HandEdit& edit) {
  std::string text = std::string("<verdanthollow.HandEdit ") + HandEditKindName(edit.kind) + " " +
                     FormatBranchPath(edit.branch);
  if (edit.kind == HandEditKind::kTurn)
    text += " around " + py::str(py::float_(edit.around)).cast<std::string>() + " away " +
            py::str(py::float_(edit.away)).cast<std::string>();
  if (edit.kind == HandEditKind::kLength)
    text += " factor " + py::str(py::float_(edit.factor)).cast<std::string>();
  return text + ">";
}

}  // namespace

void BindEdits(py::module_& m) {
  py::class_<HandEdit>(m, "HandEdit", "One hand edit of a document (see Document.edits).")
      .def_property_readonly(
          "kind", [](const HandEdit& e) { return HandEditKindName(e.kind); }, "'remove', 'turn' or 'length'.")
      .def_property_readonly(
          "branch", [](const HandEdit& e) { return TupleOf(e.branch); },
          "The branch's place: trunk index, then child indices from the trunk, from 0.")
      .def_property_readonly(
          "place", [](const HandEdit& e) { return DescribeBranchPlace(e.branch); },
          "The place as a user reads it: 'level 3, branch 2 of branch 5 of the trunk'.")
      .def_property_readonly(
          "around", [](const HandEdit& e) { return e.around; }, "A turn's degrees about the parent's axis.")
      .def_property_readonly(
          "away", [](const HandEdit& e) { return e.away; }, "A turn's degrees away from the parent's axis.")
      .def_property_readonly(
          "factor", [](const HandEdit& e) { return e.factor; }, "A length's factor.")
      .def(
          "__eq__", [](const HandEdit& a, const HandEdit& b) { return a == b; }, py::is_operator())
      .def("__repr__", &Repr);

  py::class_<Edits>(m, "Edits",
                    "The hand edits of a document, applied in order when it grows: branches removed, turned "
                    "about their base or lengthened, named by their place in the growth.")
      .def(
          "list", [](const Edits& e) { return e.List(); }, "The edits, in order, as HandEdit objects.")
      .def(
          "add",
          [](const Edits& e, const std::string& kind, const py::handle& branch, std::optional<double> around,
             std::optional<double> away, std::optional<double> factor) {
            e.List().push_back(MakeEdit(kind, branch, around, away, factor));
          },
          "kind"_a, "branch"_a, py::kw_only(), "around"_a = py::none(), "away"_a = py::none(),
          "factor"_a = py::none(),
          "Adds an edit: add('remove', (0, 4, 1)), add('turn', '0/2', around=15, away=-10) (degrees), "
          "add('length', (0, 1), factor=0.5). Raises ValueError for an edit no tree can take.")
      .def(
          "remove",
          [](const Edits& e, const py::object& which) {
            std::vector<HandEdit>& list = e.List();
            if (PyIndex_Check(which.ptr()) && !py::isinstance<py::bool_>(which)) {
              list.erase(list.begin() + static_cast<std::ptrdiff_t>(IndexOf(e, which.cast<py::ssize_t>())));
              return std::size_t{1};
            }
            const BranchPath path = PathOf(which);
            const std::size_t before = list.size();
            std::erase_if(list, [&](const HandEdit& edit) { return edit.branch == path; });
            return before - list.size();
          },
          "which"_a,
          "Removes the edit at index `which`, or every edit of the branch `which` (a place); returns how "
          "many were removed. Raises IndexError for an index beyond the list.")
      .def(
          "clear", [](const Edits& e) { e.List().clear(); }, "Removes every edit.")
      .def("__len__", [](const Edits& e) { return e.List().size(); })
      .def("__getitem__", [](const Edits& e, py::ssize_t index) { return e.List()[IndexOf(e, index)]; })
      .def("__iter__", [](const Edits& e) { return py::iter(py::cast(e.List())); })
      .def("__repr__", [](const Edits& e) {
        return "<verdanthollow.Edits: " + std::to_string(e.List().size()) + " hand edits>";
      });

  auto document = py::reinterpret_borrow<py::class_<Document, std::shared_ptr<Document>>>(m.attr("Document"));
  document.def_property_readonly(
      "edits", [](const std::shared_ptr<Document>& d) { return Edits{d}; },
      "The document's hand edits (list, add, remove, clear); they are saved with it.");
}

}  // namespace vh::python
