#include "tree/split_work.h"

namespace vh {

namespace {

// Spin briefly, then give the core away while still polling.
template <typename Condition>
void WaitUntil(const Condition& condition) {
  for (int spins = 0; !condition(); ++spins) {
    if (spins > 2000) std::this_thread::yield();
  }
}

}  // namespace

SplitWork::SplitWork() {
  if (std::thread::hardware_concurrency() > 1) m_thread = std::thread([this] { Loop(); });
}

SplitWork::~SplitWork() {
  if (!m_thread.joinable()) return;
  m_phase.store(kQuit, std::memory_order_release);
  m_thread.join();
}

void SplitWork::Run(int count, const std::function<void(int, int)>& body) {
  if (!m_thread.joinable() || count < 2) {
    body(0, count);
    return;
  }
  const int middle = count / 2;
  m_body = &body;
  m_begin = middle;
  m_end = count;
  m_phase.store(kPosted, std::memory_order_release);
  body(0, middle);
  WaitUntil([this] { return m_phase.load(std::memory_order_acquire) == kDone; });
  m_phase.store(kIdle, std::memory_order_relaxed);
}

void SplitWork::Loop() {
  for (;;) {
    int phase = kIdle;
    WaitUntil([&] {
      phase = m_phase.load(std::memory_order_acquire);
      return phase == kPosted || phase == kQuit;
    });
    if (phase == kQuit) return;
    (*m_body)(m_begin, m_end);
    m_phase.store(kDone, std::memory_order_release);
  }
}

}  // namespace vh
