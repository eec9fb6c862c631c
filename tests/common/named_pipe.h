// NamedPipe: a named pipe (FIFO) for tests of readers that must refuse it.
// A reader that opened it anyway would wait for a writer for ever; after a
// few seconds a watchdog plays that writer and closes at once, so that such a
// reader sees an empty file and the test fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace vh::test {

class NamedPipe {
 public:
  explicit NamedPipe(std::string path, std::chrono::milliseconds patience = std::chrono::seconds(5))
      : m_path(std::move(path)) {
    if (::mkfifo(m_path.c_str(), 0600) != 0) std::abort();
    m_watchdog = std::thread([this, patience] {
      const auto deadline = std::chrono::steady_clock::now() + patience;
      while (!m_stop.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (std::chrono::steady_clock::now() < deadline) continue;
        // Opening for writing without waiting succeeds only while a reader
        // has the pipe open (or waits in opening it).
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
          ::close(fd);
          m_releasedAReader.store(true);
        }
      }
    });
  }
  ~NamedPipe() {
    m_stop.store(true);
    m_watchdog.join();
    ::unlink(m_path.c_str());
  }
  NamedPipe(const NamedPipe&) = delete;
  NamedPipe& operator=(const NamedPipe&) = delete;

  const std::string& path() const { return m_path; }
  // Whether a reader opened the pipe and had to be released.
  bool ReleasedAReader() const { return m_releasedAReader.load(); }

 private:
  std::string m_path;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_releasedAReader{false};
  std::thread m_watchdog;
};

// The message that refuses `path` for being `kind` ("a named pipe", "a
// folder"...): as documents say it, and as pictures do (their messages
// start with the file's name). Built by appending: GCC 12 warns falsely
// (-Wrestrict) about "'" + std::string once inlined.
inline std::string NotAFile(const std::string& path, const char* kind) {
  std::string message = "'";
  message.append(path).append("' is ").append(kind).append(", not a file");
  return message;
}
inline std::string PictureNotAFile(const std::string& path, const char* kind) {
  return std::string(path).append(": it is ").append(kind).append(", not a file");
}

}  // namespace vh::test
