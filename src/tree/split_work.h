// SplitWork: runs the two halves of a loop on two cores at once.
//
// Generation is sequential by nature (the random draws and the welds follow
// the branch order), but the rings of one branch are independent of each
// other. A helper thread waits, spinning, for the upper half of each loop
// while the calling thread does the lower half; spinning keeps the hand-over
// far cheaper than waking a sleeping thread for every branch.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace vh {

class SplitWork {
 public:
  // Starts the helper thread when the machine has more than one core.
  SplitWork();
  ~SplitWork();
  SplitWork(const SplitWork&) = delete;
  SplitWork& operator=(const SplitWork&) = delete;

  // Calls body(begin, end) over the whole range [0, count), the helper
  // taking the upper half. The body must not throw and the halves must not
  // write to the same memory.
  void Run(int count, const std::function<void(int, int)>& body);

 private:
  enum Phase : int { kIdle, kPosted, kDone, kQuit };
  void Loop();

  std::atomic<int> m_phase{kIdle};
  const std::function<void(int, int)>* m_body = nullptr;
  int m_begin = 0;
  int m_end = 0;
  std::thread m_thread;
};

}  // namespace vh
