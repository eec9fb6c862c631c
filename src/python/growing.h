// Growing a tree for Python: without the GIL, so that threads grow trees at
// once, and stoppable from another thread or by Ctrl+C.
#pragma once

#include <pybind11/pybind11.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "python_objects.h"

namespace vh::python {

// Lets Ctrl+C stop work that runs without the GIL: at most every tenth of a
// second Poll takes the GIL and asks Python whether a signal handler raised
// (only work polled from the main thread ever sees one).
class SignalWatch {
 public:
  // Called without the GIL; returns true once the work must stop.
  bool Poll();
  // With the GIL held: raises what the signal handler raised, if it did.
  void Rethrow();

 private:
  std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
  bool m_raised = false;
  PyObject* m_type = nullptr;
  PyObject* m_value = nullptr;
  PyObject* m_traceback = nullptr;
};

// The tree of `document` (with `seed` in place of its own); warns when it
// stopped at `vertexBudget`, raises what a signal handler raised.
std::shared_ptr<GrownTree> Grow(const Document& document, std::optional<int> seed, std::uint64_t vertexBudget,
                                const std::shared_ptr<Cancellation>& cancel, bool leaves, int workers);

// What `verdanthollow-cli info` prints of a mesh: submeshes, vertices, polygons.
pybind11::dict Counts(const MeshObject& mesh);

}  // namespace vh::python
