// Fills the view's buffers of a tree on a worker thread: first the reduced
// interaction levels, coarsest first, then the full tree. The window's
// thread only takes the finished pieces and uploads them (gpu_buffers.h).
//
// The preparer shares the tree's submeshes (their list is copied, the
// submeshes are not), so a tree replaced and freed while its buffers are
// being filled stays alive until the worker lets go of it; a new Start
// cancels the running one at its next submesh. Whoever changes a tree's
// submeshes in place calls Stop first: the worker reads them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tree/mesh.h"
#include "view/mesh_buffers.h"

namespace vh {

class GeometryPreparer {
 public:
  // A finished piece of a preparation.
  struct Piece {
    std::uint64_t job = 0;  // the Start it belongs to
    bool full = false;      // the whole tree, else a reduced level
    int level = 0;          // reduced levels: 0 the coarsest
    MeshBuffers buffers;
  };

  // `ready` is called on the worker each time a piece can be taken (the
  // owner wakes its own thread with it); it may be empty.
  explicit GeometryPreparer(std::function<void()> ready = {});
  // Cancels and waits for the worker.
  ~GeometryPreparer();
  GeometryPreparer(const GeometryPreparer&) = delete;
  GeometryPreparer& operator=(const GeometryPreparer&) = delete;

  // Starts preparing `submeshes` drawn with `wireframe`; returns the job's
  // number, which its pieces carry. A running job is cancelled and its
  // untaken pieces are dropped. With `levels` false only the full tree is
  // filled (a tree small enough to draw whole at once).
  std::uint64_t Start(std::vector<std::shared_ptr<Submesh>> submeshes, bool wireframe, bool levels);
  // Cancels the running job and waits until the worker no longer reads
  // its submeshes. Untaken pieces are dropped.
  void Stop();
  // The pieces finished since the last call, in the order they were made.
  std::vector<Piece> Take();
  // True while a job runs or pieces wait to be taken.
  bool Busy() const;

 private:
  struct Job {
    std::uint64_t number = 0;
    std::vector<std::shared_ptr<Submesh>> submeshes;
    bool wireframe = false;
    bool levels = false;
  };
  void Run();
  void Work(Job job);
  // Hands a piece over unless its job was cancelled meanwhile.
  void Deliver(Piece piece);

  std::function<void()> m_ready;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_idle;
  Job m_pending;             // guarded by m_mutex; number 0: none
  bool m_working = false;    // guarded by m_mutex
  bool m_quit = false;       // guarded by m_mutex
  std::uint64_t m_lastJob = 0;
  std::vector<Piece> m_done;  // guarded by m_mutex
  std::atomic<bool> m_cancel{false};
  std::atomic<std::uint64_t> m_currentJob{0};
  std::thread m_thread;  // last: starts once everything above exists
};

}  // namespace vh
