// The queue of meshing work of one generation and the helper threads that
// take from it. The calling thread queues chunks as it lays the skeleton
// out and meshes from the same queue whenever it would otherwise wait;
// helpers sleep on a condition variable while the queue is empty.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "tree/growth.h"

namespace vh {

class MeshingQueue {
 public:
  // Up to `helpers` threads, started once enough work was queued to be
  // worth handing over (a small tree is meshed by the calling thread alone).
  MeshingQueue(const GrowthContext& context, int helpers);
  ~MeshingQueue();
  MeshingQueue(const MeshingQueue&) = delete;
  MeshingQueue& operator=(const MeshingQueue&) = delete;

  // Queues a chunk of `vertices` vertices. Its job's chunksLeft must count it.
  void Push(const MeshChunk& chunk, std::uint64_t vertices);
  // Meshes the oldest queued chunk on the calling thread; false when none is queued.
  bool RunOne();
  // Sleeps until every chunk of `job` is meshed (they must all have been
  // taken by helpers).
  void WaitFor(const BranchJob& job);
  // Drops the queued chunks and waits for the helpers to finish theirs.
  void Stop();

 private:
  bool Pop(MeshChunk& chunk);  // with m_mutex held
  void HelperLoop();
  void RethrowHelperFailure();

  const GrowthContext& m_context;
  const std::size_t m_helpers;
  std::uint64_t m_queuedVertices = 0;
  std::vector<std::thread> m_threads;

  std::mutex m_mutex;
  std::condition_variable m_work;  // a chunk was queued, or stop
  std::condition_variable m_done;  // a job the caller waits for is meshed
  std::vector<MeshChunk> m_chunks;
  std::size_t m_head = 0;
  bool m_stopping = false;
  bool m_callerWaiting = false;
  std::exception_ptr m_failure;
};

}  // namespace vh
