// Fills the view's buffers of a tree on a worker thread: first the reduced
// interaction levels, coarsest first, then the full tree in parts. The
// window's thread only takes the finished pieces and uploads them
// (gpu_buffers.h). The worker fills a part of the full tree only while at
// most kPartsAhead of them wait to be taken: uploaded parts are freed here
// (the driver keeps its copy), so the view's copy of a large tree never
// exists whole beside the driver's.
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

// The full tree is filled in parts of about this many vertices (a few
// blocks each), and at most kPartsAhead parts wait to be taken.
inline constexpr std::size_t kPartVertices = std::size_t{1} << 21;
inline constexpr std::size_t kPartsAhead = 2;

class GeometryPreparer {
 public:
  // A finished piece of a preparation.
  struct Piece {
    std::uint64_t job = 0;  // the Start it belongs to
    bool full = false;      // a part of the whole tree, else a reduced level
    int level = 0;          // reduced levels: 0 the coarsest
    MeshBuffers buffers;
    bool last = true;  // the whole tree: its last part
  };

  // `ready` is called on the worker each time a piece can be taken (the
  // owner wakes its own thread with it; it must not call back into the
  // preparer); it may be empty.
  // `partVertices` sizes the parts of the full tree.
  explicit GeometryPreparer(std::function<void()> ready = {}, std::size_t partVertices = kPartVertices);
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
