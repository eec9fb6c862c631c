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

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)), m_buffer(new char[kBufferSize]) {
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
  WriteCached(m_written, m_buffer.get(), m_used);
  m_written += m_used;
  m_used = 0;
}

void AtomicFile::WriteCached(std::uint64_t offset, const char* data, std::size_t left) {
  if (m_fd < 0) throw FileError("cannot write '" + m_path + "': the file is already closed");
  while (left > 0) {
    const ssize_t written = ::pwrite(m_fd, data, std::min(left, kWritebackPiece), static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("write", errno);
    }
    StartWriteback(offset, static_cast<std::size_t>(written));
    data += written;
    left -= static_cast<std::size_t>(written);
    offset += static_cast<std::size_t>(written);
  }
}

// Each piece of a large file is handed to the disk as soon as it is in the
// page cache, so that the closing fsync waits for the last piece instead of
// the whole file. Only a head start: fsync still decides.
void AtomicFile::StartWriteback(std::uint64_t offset, std::size_t size) {
  if (m_cachedBytes == 0) m_cachedBegin = m_cachedEnd = offset;
  m_cachedBegin = std::min(m_cachedBegin, offset);
  m_cachedEnd = std::max(m_cachedEnd, offset + size);
  m_cachedBytes += size;
  if (m_cachedBytes < kWritebackPiece) return;
#ifdef SYNC_FILE_RANGE_WRITE
  ::sync_file_range(m_fd, static_cast<off_t>(m_cachedBegin), static_cast<off_t>(m_cachedEnd - m_cachedBegin),
                    SYNC_FILE_RANGE_WRITE);
#endif
  m_cachedBytes = 0;
}

// Large blocks skip the page cache where the file system allows it: the
// disk reads them straight from the caller's memory, which saves copying
// them into the cache (and, when the file is replaced, dropping the copies).
// Returns how much of the block went this way: all of it, or less when the
// file system or the device refuses.
std::size_t AtomicFile::WriteDirect(std::uint64_t offset, const char* data, std::size_t size) {
  std::size_t done = 0;
#ifdef O_DIRECT
  const int flags = ::fcntl(m_fd, F_GETFL);
  if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_DIRECT) != 0) return 0;  // no direct writes here
  while (done < size) {
    const ssize_t written = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(offset + done));
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EINVAL) break;  // an alignment the device does not take: the cache takes the rest
      Fail("write", errno);
    }
    done += static_cast<std::size_t>(written);
  }
  if (::fcntl(m_fd, F_SETFL, flags) != 0) Fail("write", errno);
#else
  (void)offset;
  (void)data;
  (void)size;
#endif
  return done;
}

// Only whole pages at page boundaries both in the file and in memory can
// skip the cache; what is around them goes through it.
void AtomicFile::WriteBlock(std::uint64_t offset, const char* data, std::size_t size) {
  constexpr std::size_t kPage = 4096;
  const std::size_t lead = (kPage - offset % kPage) % kPage;  // up to the file's next page
  std::size_t done = 0;
  if (size >= lead + kDirectMinimum && reinterpret_cast<std::uintptr_t>(data + lead) % kPage == 0) {
    WriteCached(offset, data, lead);
    done = lead + WriteDirect(offset + lead, data + lead, (size - lead) / kPage * kPage);
  }
  WriteCached(offset + done, data + done, size - done);
}

void AtomicFile::Write(std::string_view text) {
  // A block as large as the buffer goes out from where it is, not copied.
  if (text.size() >= kBufferSize) {
    Flush();
    WriteBlock(m_written, text.data(), text.size());
    m_written += text.size();
    return;
  }
  std::memcpy(Reserve(text.size()), text.data(), text.size());
  Advance(text.size());
}

void AtomicFile::WriteAt(std::uint64_t offset, std::string_view data) {
  Flush();  // what Write buffered comes first, so that the later of two writes to a byte wins
  WriteBlock(offset, data.data(), data.size());
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
  const int replaced = OpenLargeFileBeingReplaced(m_path, kLargeFile);
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
