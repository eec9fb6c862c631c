#include "imaging/stretch.h"

#include <cstring>
#include <stdexcept>
#include <vector>

namespace vh {

Image StretchRegion(const Image& source, int left, int top, int width, int height, int outWidth,
                    int outHeight) {
  if (width < 1 || height < 1 || left < 0 || top < 0 || left > source.width - width ||
      top > source.height - height || outWidth < 1 || outHeight < 1) {
    throw std::invalid_argument(
        "StretchRegion: the rectangle must lie inside the picture and both sizes be positive");
  }
  const int channels = source.channels;
  Image out(outWidth, outHeight, channels);
  // Source column of every output column, computed once.
  std::vector<std::size_t> columnOffset(static_cast<std::size_t>(outWidth));
  for (int x = 0; x < outWidth; ++x) {
    const long long sx = left + static_cast<long long>(x) * width / outWidth;
    columnOffset[static_cast<std::size_t>(x)] =
        static_cast<std::size_t>(sx) * static_cast<std::size_t>(channels);
  }
  for (int y = 0; y < outHeight; ++y) {
    const int sy = top + static_cast<int>(static_cast<long long>(y) * height / outHeight);
    const std::uint8_t* src = source.Row(sy);
    std::uint8_t* dst = out.Row(y);
    if (width == outWidth) {
      std::memcpy(dst, src + static_cast<std::size_t>(left) * channels, out.RowBytes());
      continue;
    }
    for (int x = 0; x < outWidth; ++x, dst += channels) {
      std::memcpy(dst, src + columnOffset[static_cast<std::size_t>(x)], static_cast<std::size_t>(channels));
    }
  }
  return out;
}

Image Stretch(const Image& source, int outWidth, int outHeight) {
  return StretchRegion(source, 0, 0, source.width, source.height, outWidth, outHeight);
}

Image ToRGB(const Image& source) {
  if (source.channels == 3) return source;
  Image out(source.width, source.height, 3);
  const std::size_t count = static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height);
  const std::size_t step = static_cast<std::size_t>(source.channels);
  for (std::size_t i = 0; i < count; ++i) std::memcpy(&out.pixels[3 * i], &source.pixels[step * i], 3);
  return out;
}

}  // namespace vh
