#include "foundations/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>
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

// Replacing a file frees the blocks of the one replaced, which on a disk
// that is told about freed blocks (discard) takes about as long as writing a
// third of them. A large file replaced is therefore kept open across the
// rename and closed, which frees it, on a thread of its own: the new file is
// in place without waiting for that. Returns -1 for a target that is small,
// missing or not a regular file.
int OpenLargeFileBeingReplaced(const std::string& path, std::size_t largeSize) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) >= largeSize)
    return fd;
  ::close(fd);
  return -1;
}

void CloseInBackground(int fd) {
  try {
    std::thread([fd] { ::close(fd); }).detach();
  } catch (const std::system_error&) {
    ::close(fd);  // no thread to spare: the caller waits instead
  }
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
  WriteOut(m_buffer.get(), m_used);
  m_used = 0;
}

void AtomicFile::WriteOut(const char* data, std::size_t left) {
  if (m_fd < 0) throw FileError("cannot write '" + m_path + "': the file is already closed");
  while (left > 0) {
    const ssize_t written = ::write(m_fd, data, std::min(left, kWritebackPiece));
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("write", errno);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
    m_written += static_cast<std::size_t>(written);
    StartWriteback();
  }
}

// Each piece of a large file is handed to the disk as soon as it is in the
// page cache, so that the closing fsync waits for the last piece instead of
// the whole file. Only a head start: fsync still decides.
void AtomicFile::StartWriteback() {
  if (m_written - m_writebackStarted < kWritebackPiece) return;
#ifdef SYNC_FILE_RANGE_WRITE
  ::sync_file_range(m_fd, static_cast<off_t>(m_writebackStarted), static_cast<off_t>(m_written - m_writebackStarted),
                    SYNC_FILE_RANGE_WRITE);
#endif
  m_writebackStarted = m_written;
}

// Large blocks skip the page cache where the file system allows it: the
// disk reads them straight from the caller's memory, which saves copying
// them into the cache (and, when the file is replaced, dropping the copies).
// Only whole pages at page boundaries both in the file and in memory can go
// this way; what is around them goes through the cache as usual.
void AtomicFile::WriteLarge(const char* data, std::size_t size) {
  std::size_t done = 0;
#ifdef O_DIRECT
  constexpr std::size_t kPage = 4096;
  const std::size_t lead = (kPage - m_written % kPage) % kPage;  // up to the file's next page
  const bool fits = size >= lead + kLargeWrite && reinterpret_cast<std::uintptr_t>(data + lead) % kPage == 0;
  const int flags = fits ? ::fcntl(m_fd, F_GETFL) : -1;
  if (flags >= 0) {
    WriteOut(data, lead);
    done = lead;
    // Refused on file systems without direct writes.
    if (::fcntl(m_fd, F_SETFL, flags | O_DIRECT) == 0) {
      const std::size_t end = lead + (size - lead) / kPage * kPage;
      while (done < end) {
        const ssize_t written = ::write(m_fd, data + done, end - done);
        if (written < 0) {
          if (errno == EINTR) continue;
          if (errno == EINVAL) break;  // an alignment the device does not take: the cache takes the rest
          Fail("write", errno);
        }
        done += static_cast<std::size_t>(written);
        m_written += static_cast<std::size_t>(written);
      }
      m_writebackStarted = m_written;  // nothing of it waits in the cache
      if (::fcntl(m_fd, F_SETFL, flags) != 0) Fail("write", errno);
    }
  }
#endif
  WriteOut(data + done, size - done);
}

void AtomicFile::Write(std::string_view text) {
  // A block as large as the buffer goes out from where it is, not copied.
  if (text.size() >= kBufferSize) {
    Flush();
    WriteLarge(text.data(), text.size());
    return;
  }
  std::memcpy(Reserve(text.size()), text.data(), text.size());
  Advance(text.size());
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
  const int replaced = OpenLargeFileBeingReplaced(m_path, kLargeWrite);
  if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
    const int error = errno;
    if (replaced >= 0) ::close(replaced);
    Fail("replace", error);
  }
  m_published = true;
  if (replaced >= 0) CloseInBackground(replaced);
}

void AtomicFile::Commit() {
  Finish();
  Publish();
}

}  // namespace vh
