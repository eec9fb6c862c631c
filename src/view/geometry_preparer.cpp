#include "view/geometry_preparer.h"

#include <utility>

#include "billboard/lod_reduction.h"
#include "view/interaction_levels.h"

namespace vh {

GeometryPreparer::GeometryPreparer(std::function<void()> ready)
    : m_ready(std::move(ready)), m_thread([this] { Run(); }) {}

GeometryPreparer::~GeometryPreparer() {
  {
    std::lock_guard lock(m_mutex);
    m_quit = true;
    m_pending = Job();
  }
  m_cancel = true;
  m_wake.notify_all();
  m_thread.join();
}

std::uint64_t GeometryPreparer::Start(std::vector<std::shared_ptr<Submesh>> submeshes, bool wireframe, bool levels) {
  std::uint64_t number;
  {
    std::lock_guard lock(m_mutex);
    number = ++m_lastJob;
    m_pending = Job{number, std::move(submeshes), wireframe, levels};
    m_done.clear();
    m_currentJob = number;
    m_cancel = true;  // the running job, if any, stops at its next submesh
  }
  m_wake.notify_all();
  return number;
}

void GeometryPreparer::Stop() {
  std::unique_lock lock(m_mutex);
  m_pending = Job();
  m_done.clear();
  m_currentJob = 0;
  m_cancel = true;
  m_idle.wait(lock, [this] { return !m_working; });
}

std::vector<GeometryPreparer::Piece> GeometryPreparer::Take() {
  std::lock_guard lock(m_mutex);
  return std::exchange(m_done, {});
}

bool GeometryPreparer::Busy() const {
  std::lock_guard lock(m_mutex);
  return m_working || m_pending.number != 0 || !m_done.empty();
}

void GeometryPreparer::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(m_mutex);
      m_working = false;
      m_idle.notify_all();
      m_wake.wait(lock, [this] { return m_quit || m_pending.number != 0; });
      if (m_quit) return;
      job = std::exchange(m_pending, Job());
      m_working = true;
      m_cancel = false;
    }
    Work(std::move(job));
    // The submeshes are let go here, on the worker: a replaced large tree
    // is freed off the window's thread.
  }
}

void GeometryPreparer::Work(Job job) {
  MeshObject tree;
  tree.submeshes = std::move(job.submeshes);
  if (job.levels) {
    std::uint64_t triangles = 0;
    for (const auto& submesh : tree.submeshes) triangles += submesh->triangles.size();
    const std::vector<LodReduction> reductions = InteractionReductions(triangles);
    for (std::size_t level = 0; level < reductions.size(); ++level) {
      if (m_cancel) return;
      const std::unique_ptr<MeshObject> reduced = ReduceTree(tree, reductions[level]);
      if (m_cancel) return;
      Deliver({job.number, false, static_cast<int>(level), FillMeshBuffers(*reduced, {job.wireframe}, &m_cancel)});
    }
  }
  if (m_cancel) return;
  Deliver({job.number, true, 0, FillMeshBuffers(tree, {job.wireframe}, &m_cancel)});
}

void GeometryPreparer::Deliver(Piece piece) {
  {
    std::lock_guard lock(m_mutex);
    if (m_cancel || piece.job != m_currentJob) return;
    m_done.push_back(std::move(piece));
  }
  if (m_ready) m_ready();
}

}  // namespace vh
