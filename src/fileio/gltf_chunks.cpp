#include "fileio/gltf_chunks.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace vh {
namespace {

// What the threads share: the next job to take, which are done, and how
// far the buffer is complete.
class ChunkQueue {
 public:
  ChunkQueue(std::size_t count, const std::function<void(std::size_t)>& job) : m_job(job), m_done(count, false) {}

  // Takes and does jobs until none is left or Stop is called.
  void Work() {
    try {
      for (;;) {
        std::size_t taken;
        {
          const std::lock_guard<std::mutex> lock(m_mutex);
          if (m_stopped || m_next == m_done.size()) return;
          taken = m_next++;
        }
        m_job(taken);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_done[taken] = true;
        while (m_doneBefore < m_done.size() && m_done[m_doneBefore]) ++m_doneBefore;
        m_changed.notify_all();
      }
    } catch (...) {
      const std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_failure) m_failure = std::current_exception();
      m_stopped = true;
      m_changed.notify_all();
    }
  }

  // Waits until more jobs in a row from the first are done than
  // `doneBefore`; returns how many are (all of them when stopped).
  std::size_t WaitBeyond(std::size_t doneBefore) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_doneBefore > doneBefore || m_stopped; });
    return m_stopped ? m_done.size() : m_doneBefore;
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
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<bool> m_done;
  std::size_t m_next = 0;
  std::size_t m_doneBefore = 0;  // jobs 0 .. m_doneBefore - 1 are done
  bool m_stopped = false;
  std::exception_ptr m_failure;
};

}  // namespace

void RunChunks(std::size_t count, const std::function<void(std::size_t)>& job,
               const std::function<std::size_t(std::size_t)>& completes,
               const std::function<void(std::size_t)>& progress, bool parallel) {
  if (count == 0) return;
  if (!parallel || std::thread::hardware_concurrency() < 2) {
    for (std::size_t i = 0; i < count; ++i) job(i);
    if (progress) progress(completes(count - 1));
    return;
  }
  ChunkQueue queue(count, job);
  std::vector<std::thread> helpers;
  const std::size_t helperCount = progress ? 2 : 1;
  try {
    for (std::size_t i = 0; i < helperCount; ++i) helpers.emplace_back([&queue] { queue.Work(); });
    if (progress) {
      for (std::size_t done = 0; done < count;) {
        done = queue.WaitBeyond(done);
        queue.Rethrow();
        progress(completes(done - 1));
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
