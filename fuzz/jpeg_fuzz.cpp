// Feeds arbitrary bytes to the JPEG reader: it must either decode a picture
// of the size it reports or throw PictureError, never crash, leak, read out
// of bounds or end the process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/jpeg.h"
#include "imaging/picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const vh::Image image = vh::DecodeJPEG(data, size, "fuzz.jpg");
    if (image.channels != 3 ||
        image.pixels.size() != image.RowBytes() * static_cast<std::size_t>(image.height)) {
      std::abort();
    }
  } catch (const vh::PictureError&) {
  }
  return 0;
}
