#include "view/geometry_preparer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "billboard/lod_reduction.h"
#include "view/interaction_levels.h"

namespace vh {

struct GeometryPreparer::Shared {
  struct Job {
    std::uint64_t number = 0;  // 0: none
    std::vector<std::shared_ptr<Submesh>> submeshes;
    bool wireframe = false;
    bool levels = false;
  };

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  std::condition_variable room;  // parts were taken, or the job cancelled
  std::size_t partVertices = kPartVertices;
  std::function<void()> ready;  // guarded by mutex
  Job pending;                  // guarded by mutex
  bool working = false;         // guarded by mutex
  bool quit = false;            // guarded by mutex
  std::uint64_t lastJob = 0;    // guarded by mutex
  std::vector<Piece> done;      // guarded by mutex
  std::atomic<bool> cancel{false};
  std::atomic<std::uint64_t> currentJob{0};

  void CancelLocked() {
    pending = Job();
    done.clear();
    currentJob = 0;
    cancel = true;
    room.notify_all();
  }

  void Run() {
    for (;;) {
      Job job;
      {
        std::unique_lock lock(mutex);
        working = false;
        idle.notify_all();
        wake.wait(lock, [this] { return quit || pending.number != 0; });
        if (quit) return;
        job = std::exchange(pending, Job());
        working = true;
        cancel = false;
      }
      // The submeshes are let go at the end, on the worker: a replaced
      // large tree is freed off the window's thread.
      Work(std::move(job));
    }
  }

  void Work(Job job) {
    MeshObject tree;
    tree.submeshes = std::move(job.submeshes);
    if (job.levels) {
      std::uint64_t triangles = 0;
      for (const auto& submesh : tree.submeshes) triangles += submesh->triangles.size();
      const std::vector<LodReduction> reductions = InteractionReductions(triangles);
      for (std::size_t level = 0; level < reductions.size(); ++level) {
        if (cancel) return;
        const std::unique_ptr<MeshObject> reduced = ReduceTree(tree, reductions[level]);
        if (cancel) return;
        Deliver({job.number, false, static_cast<int>(level),
                 FillMeshBuffers(*reduced, {job.wireframe}, &cancel)});
      }
    }
    // The full tree, a part at a time, each whole submeshes.
    const std::size_t count = tree.submeshes.size();
    std::size_t begin = 0;
    do {
      MeshObject part;
      std::size_t vertices = 0;
      std::size_t end = begin;
      while (end < count && (end == begin || vertices < partVertices)) {
        vertices += tree.submeshes[end]->vertices.size();
        part.submeshes.push_back(tree.submeshes[end++]);
      }
      if (!WaitForRoom()) return;
      MeshBuffers filled = FillMeshBuffers(part, {job.wireframe}, &cancel);
      Deliver({job.number, true, 0, std::move(filled), end == count});
      begin = end;
    } while (begin < count);
  }

  // Waits while kPartsAhead parts of the full tree wait to be taken;
  // false when the job was cancelled meanwhile.
  bool WaitForRoom() {
    std::unique_lock lock(mutex);
    room.wait(lock, [this] {
      return cancel || std::count_if(done.begin(), done.end(), [](const Piece& p) { return p.full; }) <
                           static_cast<std::ptrdiff_t>(kPartsAhead);
    });
    return !cancel;
  }

  // Hands a piece over unless its job was cancelled meanwhile.
  void Deliver(Piece piece) {
    std::lock_guard lock(mutex);
    if (cancel || piece.job != currentJob) return;
    done.push_back(std::move(piece));
    // Under the lock, so that no call is made once the owner has gone.
    if (ready) ready();
  }
};

GeometryPreparer::GeometryPreparer(std::function<void()> ready, std::size_t partVertices)
    : m_shared(std::make_shared<Shared>()) {
  m_shared->ready = std::move(ready);
  m_shared->partVertices = partVertices;
  std::thread([shared = m_shared] { shared->Run(); }).detach();
}

GeometryPreparer::~GeometryPreparer() {
  {
    std::lock_guard lock(m_shared->mutex);
    m_shared->CancelLocked();
    m_shared->ready = nullptr;
    m_shared->quit = true;
  }
  m_shared->wake.notify_all();
}

std::uint64_t GeometryPreparer::Start(std::vector<std::shared_ptr<Submesh>> submeshes, bool wireframe,
                                      bool levels) {
  std::uint64_t number;
  {
    std::lock_guard lock(m_shared->mutex);
    m_shared->CancelLocked();  // the running job, if any, stops at its next submesh
    number = ++m_shared->lastJob;
    m_shared->pending = Shared::Job{number, std::move(submeshes), wireframe, levels};
    m_shared->currentJob = number;
  }
  m_shared->wake.notify_all();
  return number;
}

void GeometryPreparer::Cancel() {
  std::lock_guard lock(m_shared->mutex);
  m_shared->CancelLocked();
}

void GeometryPreparer::Stop() {
  std::unique_lock lock(m_shared->mutex);
  m_shared->CancelLocked();
  m_shared->idle.wait(lock, [this] { return !m_shared->working; });
}

std::vector<GeometryPreparer::Piece> GeometryPreparer::Take() {
  std::vector<Piece> taken;
  {
    std::lock_guard lock(m_shared->mutex);
    taken = std::exchange(m_shared->done, {});
  }
  m_shared->room.notify_all();
  return taken;
}

bool GeometryPreparer::Busy() const {
  std::lock_guard lock(m_shared->mutex);
  return m_shared->working || m_shared->pending.number != 0 || !m_shared->done.empty();
}

}  // namespace vh
