#include "growing.h"

#include <atomic>
#include <chrono>
#include <string>

namespace py = pybind11;
using namespace pybind11::literals;

namespace vh::python {

bool SignalWatch::Poll() {
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

void SignalWatch::Rethrow() {
  if (!m_raised) return;
  PyErr_Restore(m_type, m_value, m_traceback);
  throw py::error_already_set();
}

std::shared_ptr<GrownTree> Grow(const Document& document, std::optional<int> seed, std::uint64_t vertexBudget,
                                const std::shared_ptr<Cancellation>& cancel, bool leaves, int workers) {
  if (workers < 0)
    throw py::value_error("workers must be 0 (one per core) or more, not " + std::to_string(workers));
  auto grown = std::make_shared<GrownTree>();
  grown->params = document.params;
  if (seed) grown->params.seed = *seed;
  grown->options.growLeaves = leaves;
  grown->options.workers = workers;
  grown->vertexBudget = vertexBudget;
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
    Generate(grown->params, grown->options, control, grown->tree);
  }
  signals.Rethrow();
  if (grown->tree.budgetExceeded) {
    const std::string message = "the tree is incomplete: generation stopped at its budget of " +
                                std::to_string(vertexBudget) + " vertices";
    if (PyErr_WarnEx(PyExc_RuntimeWarning, message.c_str(), 1) != 0) throw py::error_already_set();
  }
  // The edits stay in the document; the warning says the tree lacks their branches.
  if (!grown->tree.unappliedEdits.empty()) {
    const std::string message = UnappliedEditsMessage(grown->tree.unappliedEdits.size());
    if (PyErr_WarnEx(PyExc_RuntimeWarning, message.c_str(), 1) != 0) throw py::error_already_set();
  }
  return grown;
}

py::dict Counts(const MeshObject& mesh) {
  return py::dict("submeshes"_a = mesh.submeshes.size(), "vertices"_a = mesh.VertexCount(),
                  "polygons"_a = mesh.PolygonCount());
}

}  // namespace vh::python
