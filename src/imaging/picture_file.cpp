#include "imaging/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace vh {

void CheckPictureSize(int width, int height, const std::string& name) {
  if (width < 1 || height < 1) {
    throw PictureError(name + ": the picture has no pixels (" + std::to_string(width) + " x " +
                       std::to_string(height) + ")");
  }
  if (width > kMaxPictureSide || height > kMaxPictureSide ||
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > kMaxPicturePixels) {
    throw PictureError(name + ": the picture is too large (" + std::to_string(width) + " x " +
                       std::to_string(height) + " pixels; at most " + std::to_string(kMaxPictureSide) +
                       " per side and " + std::to_string(kMaxPicturePixels) + " in all)");
  }
}

std::vector<std::uint8_t> ReadPictureFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw PictureError(path + ": cannot open the file (" + std::strerror(errno) + ")");
  const std::streamoff size = file.tellg();
  if (size < 0) throw PictureError(path + ": cannot read the file");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!bytes.empty() && !file.read(reinterpret_cast<char*>(bytes.data()), size)) {
    throw PictureError(path + ": cannot read the file");
  }
  return bytes;
}

void WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw PictureError(path + ": cannot create the file (" + std::strerror(errno) + ")");
  // mkstemp creates the file readable by its owner only; pictures are meant
  // to be shared like any other file.
  fchmod(fd, 0644);

  const auto fail = [&](const char* what) {
    const int error = errno;
    close(fd);
    std::remove(temp.c_str());
    throw PictureError(path + ": " + what + " (" + std::strerror(error) + ")");
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("cannot write the file");
    }
    written += static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0) fail("cannot write the file");
  if (close(fd) != 0) {
    const int error = errno;
    std::remove(temp.c_str());
    throw PictureError(path + ": cannot write the file (" + std::strerror(error) + ")");
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    std::remove(temp.c_str());
    throw PictureError(path + ": cannot replace the file (" + std::strerror(error) + ")");
  }
}

}  // namespace vh
