#include "foundations/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "foundations/file_error.h"

namespace vh {
namespace {

// The mode a newly created file would get: an existing target keeps its own
// mode, otherwise the usual 0666 less the process umask (mkstemp's 0600
// would make exports unreadable to other users).
mode_t TargetMode(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(std::string path)
    : m_path(std::move(path)), m_buffer(new char[kBufferSize]) {
  std::string pattern = m_path + ".tmpXXXXXX";
  m_fd = ::mkstemp(pattern.data());
  if (m_fd < 0) {
    const int error = errno;
    throw FileError("cannot create '" + m_path + "': " + std::strerror(error));
  }
  m_tempPath = pattern;
  ::fchmod(m_fd, TargetMode(m_path));  // best effort: the content matters more
}

AtomicFile::~AtomicFile() {
  if (m_fd >= 0) ::close(m_fd);
  if (!m_published && !m_tempPath.empty()) ::unlink(m_tempPath.c_str());
}

void AtomicFile::Fail(const char* what, int error) {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
  throw FileError(std::string("cannot ") + what + " '" + m_path + "': " + std::strerror(error));
}

void AtomicFile::Flush() {
  if (m_fd < 0) throw FileError("cannot write '" + m_path + "': the file is already closed");
  const char* data = m_buffer.get();
  std::size_t left = m_used;
  while (left > 0) {
    const ssize_t written = ::write(m_fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("write", errno);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  m_used = 0;
}

void AtomicFile::Write(std::string_view text) {
  while (!text.empty()) {
    const std::size_t chunk = text.size() < kBufferSize ? text.size() : kBufferSize;
    std::memcpy(Reserve(chunk), text.data(), chunk);
    Advance(chunk);
    text.remove_prefix(chunk);
  }
}

void AtomicFile::Finish() {
  if (m_finished) return;
  Flush();
  // The data must be on disk before the rename makes it the target's, or a
  // crash could leave an empty file in place of the old one.
  if (::fsync(m_fd) != 0) Fail("write", errno);
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) Fail("write", errno);
  m_finished = true;
}

void AtomicFile::Publish() {
  if (!m_finished) Finish();
  if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) Fail("replace", errno);
  m_published = true;
}

void AtomicFile::Commit() {
  Finish();
  Publish();
}

}  // namespace vh
