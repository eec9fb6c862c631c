#include "imaging/picture_file.h"

#include <string_view>

#include "foundations/atomic_file.h"
#include "foundations/file_error.h"
#include "foundations/input_file.h"

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

std::vector<std::uint8_t> ReadPictureFile(const std::string& path, std::uint64_t maxBytes,
                                          const char* format) {
  try {
    InputFile file(path);
    if (file.Size() > maxBytes) {
      throw PictureError(path + ": the file is too large for a " + format + " picture (" +
                         std::to_string(file.Size()) + " bytes; the largest " + format +
                         " picture this program reads takes at most " + std::to_string(maxBytes) + ")");
    }
    return file.ReadAll();
  } catch (const InputFileError& error) {
    throw PictureError(path + ": " + error.reason());  // as the decoders' messages name the file
  }
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
