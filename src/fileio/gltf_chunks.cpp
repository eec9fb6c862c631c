#include "fileio/gltf_chunks.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace vh {
namespace {

// What the threads share: the next job to take and the jobs finished but
// not yet reported.
class ChunkQueue {
 public:
  ChunkQueue(std::size_t count, const std::function<void(std::size_t)>& job) : m_job(job), m_count(count) {}

  // Takes and does jobs until none is left or Stop is called.
  void Work() {
    try {
      for (;;) {
        std::size_t taken;
        {
          const std::lock_guard<std::mutex> lock(m_mutex);
          if (m_stopped || m_next == m_count) return;
          taken = m_next++;
        }
        m_job(taken);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_finished.push_back(taken);
        m_changed.notify_all();
      }
    } catch (...) {
      const std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_failure) m_failure = std::current_exception();
      m_stopped = true;
      m_changed.notify_all();
    }
  }

  // Waits until a job has finished since the last call and returns those
  // that have; none once stopped.
  std::vector<std::size_t> WaitForFinished() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_finished.empty() || m_stopped; });
    if (m_stopped) return {};
    std::vector<std::size_t> finished;
    finished.swap(m_finished);
    return finished;
  }

  void Stop() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
  }

  // The first exception a job threw, passed on.
  void Rethrow() const {
    if (m_failure) std::rethrow_exception(m_failure);
  }

 private:
  const std::function<void(std::size_t)>& m_job;
  const std::size_t m_count;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::size_t> m_finished;
  std::size_t m_next = 0;
  bool m_stopped = false;
  std::exception_ptr m_failure;
};

}  // namespace

void RunChunks(std::size_t count, const std::function<void(std::size_t)>& job,
               const std::function<void(std::size_t)>& done, bool parallel) {
  if (count == 0) return;
  if (!parallel || std::thread::hardware_concurrency() < 2) {
    for (std::size_t i = 0; i < count; ++i) {
      job(i);
      if (done) done(i);
    }
    return;
  }
  ChunkQueue queue(count, job);
  std::vector<std::thread> helpers;
  const std::size_t helperCount = done ? 2 : 1;
  try {
    for (std::size_t i = 0; i < helperCount; ++i) helpers.emplace_back([&queue] { queue.Work(); });
    if (done) {
      for (std::size_t reported = 0; reported < count;) {
        const std::vector<std::size_t> finished = queue.WaitForFinished();
        queue.Rethrow();
        for (const std::size_t index : finished) done(index);
        reported += finished.size();
      }
    } else {
      queue.Work();
    }
  } catch (...) {
    queue.Stop();
    for (std::thread& helper : helpers) helper.join();
    throw;
  }
  for (std::thread& helper : helpers) helper.join();
  queue.Rethrow();
}

}  // namespace vh
