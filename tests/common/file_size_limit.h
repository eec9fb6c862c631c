// FileSizeLimit: while it lives, files this process writes cannot grow past
// a given size, so that a write fails part-way the way a full disk makes it
// fail (with EFBIG rather than the SIGXFSZ signal).
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace vh::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);  // get EFBIG instead of a signal
    rlimit limit = m_saved;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_handler);
  }

 private:
  rlimit m_saved{};
  void (*m_handler)(int) = nullptr;
};

}  // namespace vh::test
