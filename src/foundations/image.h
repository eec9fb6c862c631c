// Image: 8-bit pictures held as rows of RGB or RGBA pixels, top row first.
// The one picture type of the program: leaf and bark textures, bark tiles,
// billboard atlases and screenshots all use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vh {

struct Image {
  int width = 0;
  int height = 0;
  int channels = 3;                  // 3 = RGB, 4 = RGBA
  std::vector<std::uint8_t> pixels;  // width * height * channels bytes, rows top first

  Image() = default;
  Image(int w, int h, int c = 3)
      : width(w),
        height(h),
        channels(c),
        pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * static_cast<std::size_t>(c)) {}

  bool Empty() const { return width <= 0 || height <= 0; }
  std::size_t RowBytes() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  }
  std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * RowBytes(); }
  const std::uint8_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * RowBytes(); }
  std::uint8_t* At(int x, int y) {
    return Row(y) + static_cast<std::size_t>(x) * static_cast<std::size_t>(channels);
  }
  const std::uint8_t* At(int x, int y) const {
    return Row(y) + static_cast<std::size_t>(x) * static_cast<std::size_t>(channels);
  }
};

}  // namespace vh
