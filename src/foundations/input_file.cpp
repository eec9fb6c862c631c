#include "foundations/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <streambuf>

namespace vh {
namespace {

// What `mode` describes, in words, when it is not a regular file.
const char* KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISDIR(mode)) return "a folder";
  return nullptr;
}

[[noreturn]] void RefuseKind(const std::string& path, mode_t mode) {
  const char* kind = KindOf(mode);
  const std::string what = kind ? std::string(kind) + ", not a file" : "not a regular file";
  throw InputFileError("'" + path + "' is " + what, "it is " + what);
}

// `doing` ("open", "read") failed with errno `error` or for `reason`.
[[noreturn]] void Cannot(const char* doing, const std::string& path, const std::string& reason) {
  throw InputFileError("cannot " + std::string(doing) + " '" + path + "': " + reason,
                       "cannot " + std::string(doing) + " the file (" + reason + ")");
}

}  // namespace

// Reads the file through a buffer of its own: the standard file streams can
// only open a path, and opening the path again could meet something else
// than the regular file that was checked.
class InputFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : m_fd(fd) {}

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    ssize_t count;
    do {
      count = ::read(m_fd, m_bytes, sizeof m_bytes);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) return traits_type::eof();
    setg(m_bytes, m_bytes, m_bytes + count);
    return traits_type::to_int_type(*gptr());
  }

 private:
  int m_fd;
  char m_bytes[64 * 1024];
};

InputFile::InputFile(const std::string& path) : m_path(path) {
  // Looked at before opening, so that a device is never opened at all (a
  // tape would rewind, a terminal could become ours)...
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) RefuseKind(path, info.st_mode);
  // ...and once more after, since the path may have changed meanwhile. Not
  // blocking, so that a named pipe put there meanwhile cannot hold us.
  m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (m_fd < 0) Cannot("open", path, std::strerror(errno));
  if (::fstat(m_fd, &info) != 0) {
    const int error = errno;
    ::close(m_fd);
    Cannot("open", path, std::strerror(error));
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(m_fd);
    RefuseKind(path, info.st_mode);
  }
  m_size = static_cast<std::uint64_t>(info.st_size);
}

InputFile::~InputFile() {
  m_stream.reset();
  m_buffer.reset();
  ::close(m_fd);
}

std::vector<std::uint8_t> InputFile::ReadAll() {
  std::vector<std::uint8_t> bytes(m_size);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::pread(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) Cannot("read", m_path, std::strerror(errno));
    if (count == 0) Cannot("read", m_path, "it became shorter while it was read");
    done += static_cast<std::size_t>(count);
  }
  return bytes;
}

std::istream& InputFile::Stream() {
  if (!m_stream) {
    m_buffer = std::make_unique<Buffer>(m_fd);
    m_stream = std::make_unique<std::istream>(m_buffer.get());
  }
  return *m_stream;
}

}  // namespace vh
