// FileSizeLimit: while it lives, files this process writes cannot grow past
// a given size, so that a write fails part-way the way a full disk makes it
// fail (with EFBIG rather than the SIGXFSZ signal).
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "foundations/file_error.h"

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

// Runs `write` while files may not grow past `bytes` and expects it to
// notice: a FileError whose message names `path`.
template <class Write>
void ExpectFailedWriteNaming(const std::string& path, rlim_t bytes, Write&& write) {
  FileSizeLimit limit(bytes);
  try {
    write();
    ADD_FAILURE() << "the failed write of " << path << " went unnoticed";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

}  // namespace vh::test
