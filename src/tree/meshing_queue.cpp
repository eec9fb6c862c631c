#include "tree/meshing_queue.h"

namespace vh {

namespace {

// Handing work to another core costs a thread start and a wake-up per wait;
// a tree smaller than this grows faster on the calling thread alone.
constexpr std::uint64_t kVerticesWorthAHelper = 16384;

}  // namespace

MeshingQueue::MeshingQueue(const GrowthContext& context, int helpers)
    : m_context(context), m_helpers(helpers > 0 ? static_cast<std::size_t>(helpers) : 0) {}

MeshingQueue::~MeshingQueue() { Stop(); }

void MeshingQueue::Push(const MeshChunk& chunk, std::uint64_t vertices) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_chunks.push_back(chunk);
  }
  m_queuedVertices += vertices;
  if (m_threads.size() < m_helpers && m_queuedVertices >= kVerticesWorthAHelper) {
    while (m_threads.size() < m_helpers) m_threads.emplace_back([this] { HelperLoop(); });
  }
  if (!m_threads.empty()) m_work.notify_one();
}

bool MeshingQueue::Pop(MeshChunk& chunk) {
  if (m_head == m_chunks.size()) return false;
  chunk = m_chunks[m_head++];
  if (m_head == m_chunks.size()) {
    m_chunks.clear();
    m_head = 0;
  }
  return true;
}

bool MeshingQueue::RunOne() {
  MeshChunk chunk;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    RethrowHelperFailure();
    if (!Pop(chunk)) return false;
  }
  RunMeshChunk(m_context, chunk);
  chunk.job->chunksLeft.fetch_sub(1, std::memory_order_acq_rel);
  return true;
}

void MeshingQueue::WaitFor(const BranchJob& job) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_callerWaiting = true;
  m_done.wait(lock, [&] { return job.Meshed() || m_failure; });
  m_callerWaiting = false;
  RethrowHelperFailure();
}

void MeshingQueue::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
    m_chunks.clear();
    m_head = 0;
  }
  m_work.notify_all();
  for (std::thread& thread : m_threads) thread.join();
  m_threads.clear();
}

void MeshingQueue::HelperLoop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_work.wait(lock, [this] { return m_stopping || m_head < m_chunks.size(); });
    MeshChunk chunk;
    if (m_stopping || !Pop(chunk)) return;
    lock.unlock();
    try {
      RunMeshChunk(m_context, chunk);
    } catch (...) {
      lock.lock();
      if (!m_failure) m_failure = std::current_exception();
      m_done.notify_all();
      return;
    }
    const bool meshed = chunk.job->chunksLeft.fetch_sub(1, std::memory_order_acq_rel) == 1;
    lock.lock();
    if (meshed && m_callerWaiting) m_done.notify_all();
  }
}

void MeshingQueue::RethrowHelperFailure() {
  if (m_failure) std::rethrow_exception(m_failure);
}

}  // namespace vh
