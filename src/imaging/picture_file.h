// Shared ground of the picture readers and writers: their exception, the
// limits on picture sizes, and whole-file reading and atomic writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vh {

// A picture file could not be read, decoded, encoded or written. The message
// names the file and the reason.
class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Pictures are refused beyond these sizes: far larger than any photograph or
// texture, small enough that sizes and offsets never overflow and that a
// corrupt header cannot make us allocate absurd amounts of memory.
constexpr int kMaxPictureSide = 65535;
constexpr std::size_t kMaxPicturePixels = std::size_t{1} << 28;

// Throws PictureError naming `name` unless 1 <= width, height <= kMaxPictureSide
// and width * height <= kMaxPicturePixels.
void CheckPictureSize(int width, int height, const std::string& name);

// The whole content of the file at `path`, which must be a regular file of
// at most `maxBytes` bytes: the largest file a `format` picture within the
// limits above can take. Throws PictureError naming the file when it cannot
// be opened or read, is not a regular file (a named pipe, a device, a
// folder...), or is larger; a larger file is refused before it is read.
std::vector<std::uint8_t> ReadPictureFile(const std::string& path, std::uint64_t maxBytes,
                                          const char* format);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`
// once complete, so a failed write leaves any previous file untouched.
// Throws PictureError naming the file on failure.
void WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace vh
