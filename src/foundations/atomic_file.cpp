#include "foundations/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string_view>
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

// Temporary files are named ".<target's name>.<6 letters or digits>.partial"
// in the target's folder: hidden, and recognisable as a given target's.
constexpr std::string_view kTemporaryEnd = ".partial";
constexpr std::size_t kRandomLetters = 6;

struct PathParts {
  std::string folder;  // "" for the working folder, otherwise ending in '/'
  std::string name;
};

PathParts SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string TemporaryName(const std::string& target, const std::string& letters) {
  return "." + target + "." + letters + std::string(kTemporaryEnd);
}

bool IsTemporaryOf(std::string_view entry, const std::string& target) {
  const std::string_view start = entry.substr(0, target.size() + 2);
  if (entry.size() != target.size() + 2 + kRandomLetters + kTemporaryEnd.size() || start.front() != '.' ||
      start.substr(1, target.size()) != target || start.back() != '.' || !entry.ends_with(kTemporaryEnd))
    return false;
  const std::string_view letters = entry.substr(start.size(), kRandomLetters);
  return std::all_of(letters.begin(), letters.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

std::string RandomLetters() {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
  std::string letters(kRandomLetters, ' ');
  for (char& c : letters) c = kAlphabet[pick(random)];
  return letters;
}

// Removes the temporary files of `target` that no writer holds: what
// writes killed before they replaced the target left behind. A living
// writer keeps its file locked, so a file whose lock can be taken is
// abandoned.
void RemoveAbandonedTemporaries(const PathParts& target) {
  DIR* folder = ::opendir(target.folder.empty() ? "." : target.folder.c_str());
  if (folder == nullptr) return;  // creating the file will tell why
  const int folderFd = ::dirfd(folder);
  while (const dirent* entry = ::readdir(folder)) {
    if (!IsTemporaryOf(entry->d_name, target.name)) continue;
    const int fd =
        ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(folderFd, entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(folder);
}

// Whether files may be created without a name here. Naming one later goes
// through /proc (linking it by its descriptor directly needs privileges).
bool UnnamedFilesWanted() {
#ifdef O_TMPFILE
  const char* named = std::getenv("VH_NAMED_TEMPORARY_FILES");
  return (named == nullptr || *named == '\0') && ::access("/proc/self/fd", X_OK) == 0;
#else
  return false;
#endif
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)), m_buffer(new char[kBufferSize]) {
  RemoveAbandonedTemporaries(SplitPath(m_path));
  CreateTemporary();
  ::fchmod(m_fd, TargetMode(m_path));  // best effort: the content matters more
}

void AtomicFile::CreateTemporary() {
  const PathParts parts = SplitPath(m_path);
#ifdef O_TMPFILE
  if (UnnamedFilesWanted()) {
    const std::string folder = parts.folder.empty() ? "." : parts.folder;
    m_fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // Without unnamed files on this file system, a named one does.
    if (m_fd >= 0) {
      ::flock(m_fd, LOCK_EX);
      return;
    }
  }
#endif
  // The lock tells that the file is being written; until it is held, a
  // write to the same target could take the new file for an abandoned one
  // and remove it, so a file removed meanwhile is made again.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string pattern = parts.folder + TemporaryName(parts.name, std::string(kRandomLetters, 'X'));
    m_fd = ::mkstemps(pattern.data(), static_cast<int>(kTemporaryEnd.size()));
    if (m_fd < 0) {
      const int error = errno;
      throw FileError("cannot create '" + m_path + "': " + std::strerror(error));
    }
    struct stat info {};
    if (::flock(m_fd, LOCK_EX) != 0 || (::fstat(m_fd, &info) == 0 && info.st_nlink > 0)) {
      m_tempPath = pattern;
      return;
    }
    ::close(m_fd);
  }
  m_fd = -1;
  throw FileError("cannot create '" + m_path + "': its temporary files keep disappearing");
}

// Gives the unnamed file its temporary name, just before it replaces the
// target: a rename can replace a file, a link cannot.
void AtomicFile::NameTemporary() {
  const PathParts parts = SplitPath(m_path);
  const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
  for (;;) {
    const std::string name = parts.folder + TemporaryName(parts.name, RandomLetters());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      m_tempPath = name;
      return;
    }
    if (errno != EEXIST) Fail("replace", errno);
  }
}

AtomicFile::~AtomicFile() {
  if (!m_published && !m_tempPath.empty()) ::unlink(m_tempPath.c_str());
  if (m_fd >= 0) ::close(m_fd);
}

void AtomicFile::Fail(const char* what, int error) {
  if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  throw FileError(std::string("cannot ") + what + " '" + m_path + "': " + std::strerror(error));
}

void AtomicFile::Flush() {
  WriteCached(m_written, m_buffer.get(), m_used);
  m_written += m_used;
  m_used = 0;
}

void AtomicFile::WriteCached(std::uint64_t offset, const char* data, std::size_t left) {
  if (m_fd < 0 || m_finished) throw FileError("cannot write '" + m_path + "': the file is already closed");
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
  // The file stays open, and locked, until it has replaced the target.
  if (::fsync(m_fd) != 0) Fail("write", errno);
  m_finished = true;
}

void AtomicFile::Publish() {
  if (!m_finished) Finish();
  if (m_tempPath.empty()) NameTemporary();
  const int replaced = OpenLargeFileBeingReplaced(m_path, kLargeFile);
  if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
    const int error = errno;
    if (replaced >= 0) ::close(replaced);
    Fail("replace", error);
  }
  m_published = true;
  ::close(m_fd);  // after fsync, closing a local file cannot lose data
  m_fd = -1;
  if (replaced >= 0) CloseInBackground(replaced);
}

void AtomicFile::Commit() {
  Finish();
  Publish();
}

}  // namespace vh
