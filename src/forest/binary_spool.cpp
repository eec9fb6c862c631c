#include "forest/binary_spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundations/atomic_file.h"
#include "foundations/file_error.h"

namespace vh {
namespace {

[[noreturn]] void Fail(const char* what) {
  throw FileError(std::string("cannot ") + what + " the forest's temporary data: " + std::strerror(errno));
}

}  // namespace

BinarySpool::BinarySpool(const std::string& folder) {
  m_fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (m_fd < 0) {
    // File systems without unnamed files: the temporary folder's, removed at once.
    char name[] = "/tmp/verdanthollow-forest-XXXXXX";
    m_fd = ::mkostemp(name, O_CLOEXEC);
    if (m_fd < 0) Fail("make");
    ::unlink(name);
  }
}

BinarySpool::~BinarySpool() { ::close(m_fd); }

void BinarySpool::WriteAt(std::uint64_t offset, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(m_fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("write");
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
    offset += static_cast<std::uint64_t>(written);
  }
}

void BinarySpool::PadTo4() {
  static const char kZeros[4] = {};
  const std::size_t padding = static_cast<std::size_t>((4 - m_size % 4) % 4);
  WriteAt(m_size, std::string_view(kZeros, padding));
  m_size += padding;
}

std::uint64_t BinarySpool::Append(std::string_view bytes) {
  PadTo4();
  const std::uint64_t at = m_size;
  WriteAt(at, bytes);
  m_size += bytes.size();
  return at;
}

std::string BinarySpool::Read(std::uint64_t offset, std::size_t size) const {
  std::string bytes(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    const ssize_t read = ::pread(m_fd, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) Fail("read");
    done += static_cast<std::size_t>(read);
  }
  return bytes;
}

void BinarySpool::CopyTo(AtomicFile& file) const {
  constexpr std::size_t kPiece = std::size_t{4} << 20;
  for (std::uint64_t offset = 0; offset < m_size; offset += kPiece)
    file.Write(Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, m_size - offset))));
}

}  // namespace vh
