#include "growing.h"

#include <atomic>
#include <chrono>
#include <string>

namespace py = pybind11;
using namespace pybind11::literals;

namespace vh::python {
namespace {

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

}  // namespace

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

}  // namespace vh::python
