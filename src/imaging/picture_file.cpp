#include "imaging/picture_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string_view>

#include "foundations/atomic_file.h"
#include "foundations/file_error.h"

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
  // The same temporary-file-and-rename writer as documents and exports: a
  // failed save never leaves a half-written picture where a good one was.
  try {
    AtomicFile file(path);
    file.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    file.Commit();
  } catch (const FileError& error) {
    throw PictureError(error.what());
  }
}

}  // namespace vh
