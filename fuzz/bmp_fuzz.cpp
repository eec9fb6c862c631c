// Feeds arbitrary bytes to the BMP reader: it must either decode a picture
// of the size it reports or throw PictureError, never crash, leak or read
// out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/bmp.h"
#include "imaging/picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const vh::Image image = vh::DecodeBMP(data, size, "fuzz.bmp");
    if (image.pixels.size() != image.RowBytes() * static_cast<std::size_t>(image.height)) std::abort();
  } catch (const vh::PictureError&) {
  }
  return 0;
}
