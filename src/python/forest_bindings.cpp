// Forests from Python: a plan read from a description, the local export
// (all cores, without the GIL, stopped by Ctrl+C), and the two halves the
// Dask path splits it into: growing one variant's pack (on any worker) and
// the writer that assembles the packs in order into the same file.
#include <pybind11/stl.h>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "bindings.h"
#include "cli/headless_billboards.h"
#include "fileio/presets.h"
#include "forest/forest_export.h"
#include "growing.h"

namespace py = pybind11;

namespace vh::python {
namespace {

ForestInstancing InstancingNamed(const std::string& name) {
  if (name == "gpu") return ForestInstancing::kGpu;
  if (name == "nodes") return ForestInstancing::kNodes;
  throw py::value_error("instancing must be 'gpu' or 'nodes', not '" + name + "'");
}

std::shared_ptr<ForestPlan> Plan(const std::string& text, const std::string& name, const std::string& folder,
                                 const std::string& presets) {
  return std::make_shared<ForestPlan>(
      PlanForest(ParseForestDescription(text, name, folder), PresetLibrary(presets)));
}

// The local export runs on a thread of its own while this one, without
// the GIL, wakes every tenth of a second to let Python's signal handlers
// run: Ctrl+C cancels the growth, and the KeyboardInterrupt is raised once
// the threads have stopped (nothing written).
void ExportLocally(const ForestPlan& plan, const std::string& path, const std::string& instancing,
                   int threads) {
  if (threads < 0) throw py::value_error("threads must be 0 (one per core) or more");
  std::atomic<bool> cancel{false};
  ForestExportOptions options;
  options.instancing = InstancingNamed(instancing);
  options.threads = threads;
  options.chains = cli::ForestCardDrawer();
  options.cancel = &cancel;
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  SignalWatch signals;
  {
    py::gil_scoped_release release;
    std::thread worker([&] {
      try {
        ExportForest(plan, path, options);
      } catch (...) {
        failure = std::current_exception();
      }
      std::lock_guard lock(mutex);
      done = true;
      finished.notify_all();
    });
    std::unique_lock lock(mutex);
    while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) {
      lock.unlock();
      if (signals.Poll()) cancel = true;
      lock.lock();
    }
    lock.unlock();
    worker.join();
  }
  signals.Rethrow();
  if (failure) std::rethrow_exception(failure);
}

py::bytes GrowPack(const ForestPlan& plan, std::size_t variant) {
  if (variant >= plan.variants.size()) throw py::index_error("no variant " + std::to_string(variant));
  std::string pack;
  {
    py::gil_scoped_release release;
    pack = GrowVariantPack(plan, variant, cli::ForestCardDrawer());
  }
  return py::bytes(pack);
}

}  // namespace

void BindForest(py::module_& m) {
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const ForestError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });

  py::class_<ForestPlan, std::shared_ptr<ForestPlan>>(m, "_ForestPlan")
      .def(py::init(&Plan), py::arg("text"), py::arg("name"), py::arg("folder"), py::arg("presets"))
      .def_property_readonly("instances", [](const ForestPlan& plan) { return plan.instances.size(); })
      .def_property_readonly("warnings", [](const ForestPlan& plan) { return plan.warnings; })
      .def_property_readonly("variants", [](const ForestPlan& plan) {
        std::vector<std::pair<std::string, std::size_t>> variants;
        for (const ForestVariant& variant : plan.variants)
          variants.emplace_back(variant.name, variant.instances);
        return variants;
      });

  m.def("_read_forest_description", &ReadForestDescriptionText, py::arg("path"));
  m.def("_export_forest", &ExportLocally, py::arg("plan"), py::arg("path"), py::arg("instancing"),
        py::arg("threads"));
  m.def("_grow_pack", &GrowPack, py::arg("plan"), py::arg("variant"));

  py::class_<ForestFileWriter>(m, "_ForestWriter")
      .def(py::init([](const std::shared_ptr<ForestPlan>& plan, const std::string& path,
                       const std::string& instancing) {
             return std::make_unique<ForestFileWriter>(*plan, path, InstancingNamed(instancing));
           }),
           py::keep_alive<1, 2>())
      .def("wanted", &ForestFileWriter::Wanted)
      .def("add", [](ForestFileWriter& writer, std::size_t variant,
                     const py::bytes& pack) { writer.Add(variant, std::string_view(pack)); })
      .def("commit", &ForestFileWriter::Commit, py::call_guard<py::gil_scoped_release>());
}

}  // namespace vh::python
