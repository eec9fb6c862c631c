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

#include <cstdint>
#include <functional>
#include <memory>
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
  // owner wakes its own thread with it; it must not call back into the
  // preparer); it may be empty.
  explicit GeometryPreparer(std::function<void()> ready = {});
  // Cancels without waiting: a worker in the middle of a reduction finishes
  // it on its own and then lets go of the tree, so that closing the window
  // never waits for it. `ready` is not called any more.
  ~GeometryPreparer();
  GeometryPreparer(const GeometryPreparer&) = delete;
  GeometryPreparer& operator=(const GeometryPreparer&) = delete;

  // Starts preparing `submeshes` drawn with `wireframe`; returns the job's
  // number, which its pieces carry. A running job is cancelled and its
  // untaken pieces are dropped. With `levels` false only the full tree is
  // filled.
  std::uint64_t Start(std::vector<std::shared_ptr<Submesh>> submeshes, bool wireframe, bool levels);
  // Cancels the running job; untaken pieces are dropped. Does not wait.
  void Cancel();
  // Cancels and waits until the worker no longer reads the job's submeshes.
  void Stop();
  // The pieces finished since the last call, in the order they were made.
  std::vector<Piece> Take();
  // True while a job runs or pieces wait to be taken.
  bool Busy() const;

 private:
  struct Shared;  // what the worker and the owner share; outlives either
  std::shared_ptr<Shared> m_shared;
};

}  // namespace vh
