// Decoding goes through stb_image, a maintained decoder that knows the many
// BMP header versions and pixel formats; it is compiled into this file alone,
// with only its BMP reader, from memory, and with its symbols kept private.
#include "imaging/bmp.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/picture_file.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 65535
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace vh {
namespace {

static_assert(STBI_MAX_DIMENSIONS == kMaxPictureSide, "stb_image must enforce our side limit");

void PutLE16(std::uint8_t* p, unsigned value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLE32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

unsigned GetLE16(const std::uint8_t* p) { return p[0] | (unsigned{p[1]} << 8); }

std::uint32_t GetLE32(const std::uint8_t* p) {
  return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

// stb_image reads missing bytes as zeros, so a file cut short inside its
// pixels would decode with a black band (and a tiny file claiming millions
// of pixels would cost their decoding). The file must hold every row (the
// last one possibly without its padding).
void CheckPixelsPresent(const std::uint8_t* data, std::size_t size, const std::string& name) {
  if (size < 18) return;  // too short for any header; stb_image has refused it
  const std::uint32_t headerSize = GetLE32(data + 14);
  const bool knownHeader =
      headerSize == 12 || headerSize == 40 || headerSize == 56 || headerSize == 108 || headerSize == 124;
  if (!knownHeader) return;  // stb_image refuses it
  if (size < 14 + headerSize) {
    throw PictureError(name + ": the BMP file is truncated inside its header");
  }
  long long width = 0;
  long long height = 0;
  unsigned bits = 0;
  std::uint32_t compression = 0;
  if (headerSize == 12) {  // OS/2 header: 16-bit sizes, never compressed
    width = GetLE16(data + 18);
    height = GetLE16(data + 20);
    bits = GetLE16(data + 24);
  } else {
    width = static_cast<std::int32_t>(GetLE32(data + 18));
    height = static_cast<std::int32_t>(GetLE32(data + 22));
    bits = GetLE16(data + 28);
    compression = GetLE32(data + 30);
  }
  // Run-length and embedded JPEG or PNG data are refused by stb_image; any
  // other value, even an unknown one, makes it read plain rows.
  const bool refusedAnyway = compression == 1 || compression == 2 || compression == 4 || compression == 5;
  if (refusedAnyway || width <= 0 || bits == 0) return;
  if (height < 0) height = -height;
  const unsigned long long pixelsAt = std::max<unsigned long long>(GetLE32(data + 10), 14ULL + headerSize);
  const unsigned long long rowBits = static_cast<unsigned long long>(width) * bits;
  const unsigned long long rowBytes = (rowBits + 31) / 32 * 4;
  const unsigned long long needed =
      pixelsAt + rowBytes * static_cast<unsigned long long>(height - 1) + (rowBits + 7) / 8;
  if (height > 0 && size < needed) {
    throw PictureError(name + ": the BMP file is truncated (" + std::to_string(size) +
                       " bytes, its pixels need " + std::to_string(needed) + ")");
  }
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

}  // namespace

Image DecodeBMP(const std::uint8_t* data, std::size_t size, const std::string& name) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw PictureError(name + ": the BMP file is too large");
  const int length = static_cast<int>(size);
  int width = 0;
  int height = 0;
  int channels = 0;
  // The header alone first: refuse absurd sizes before any pixel memory is
  // allocated.
  if (!stbi_info_from_memory(data, length, &width, &height, &channels)) {
    throw PictureError(name + ": not a readable BMP picture (" + stbi_failure_reason() + ")");
  }
  // The info call reports a top-down file's height as negative.
  CheckPictureSize(width, height == INT_MIN ? 0 : std::abs(height), name);
  CheckPixelsPresent(data, size, name);
  const int wanted = channels == 4 ? 4 : 3;
  std::unique_ptr<stbi_uc, StbFree> pixels(
      stbi_load_from_memory(data, length, &width, &height, &channels, wanted));
  if (!pixels) throw PictureError(name + ": cannot decode the BMP picture (" + stbi_failure_reason() + ")");
  CheckPictureSize(width, height, name);

  Image image(width, height, wanted);
  std::memcpy(image.pixels.data(), pixels.get(), image.pixels.size());
  return image;
}

Image ReadBMP(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadPictureFile(path, kMaxBmpFileBytes, "BMP");
  return DecodeBMP(bytes.data(), bytes.size(), path);
}

std::vector<std::uint8_t> EncodeBMP(const Image& image) {
  if (image.Empty() || (image.channels != 3 && image.channels != 4) ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * image.channels) {
    throw PictureError("cannot encode an empty or malformed picture as BMP");
  }
  CheckPictureSize(image.width, image.height, "BMP picture");
  constexpr std::size_t kFileHeader = 14;
  constexpr std::size_t kInfoHeader = 40;
  const std::size_t rowBytes = (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
  const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(image.height);
  const std::size_t fileSize = kFileHeader + kInfoHeader + pixelBytes;

  std::vector<std::uint8_t> out(fileSize, 0);
  std::uint8_t* h = out.data();
  h[0] = 'B';
  h[1] = 'M';
  PutLE32(h + 2, static_cast<std::uint32_t>(fileSize));
  PutLE32(h + 10, static_cast<std::uint32_t>(kFileHeader + kInfoHeader));
  PutLE32(h + 14, static_cast<std::uint32_t>(kInfoHeader));
  PutLE32(h + 18, static_cast<std::uint32_t>(image.width));
  PutLE32(h + 22, static_cast<std::uint32_t>(image.height));  // positive: bottom-up rows
  PutLE16(h + 26, 1);                                         // planes
  PutLE16(h + 28, 24);                                        // bits per pixel
  PutLE32(h + 34, static_cast<std::uint32_t>(pixelBytes));
  PutLE32(h + 38, 2835);  // 72 dots per inch, in dots per metre
  PutLE32(h + 42, 2835);

  std::uint8_t* body = h + kFileHeader + kInfoHeader;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* src = image.Row(image.height - 1 - y);
    std::uint8_t* dst = body + static_cast<std::size_t>(y) * rowBytes;
    for (int x = 0; x < image.width; ++x, src += image.channels, dst += 3) {
      dst[0] = src[2];  // files store blue, green, red
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return out;
}

void WriteBMP(const std::string& path, const Image& image) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = EncodeBMP(image);
  } catch (const PictureError& error) {
    throw PictureError(path + ": " + error.what());
  }
  WritePictureFile(path, bytes);
}

}  // namespace vh
