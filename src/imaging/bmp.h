// BMP pictures: reading every common variant (1, 4, 8, 16, 24 and 32 bits,
// palettes, bit masks, bottom-up and top-down rows) and writing 24-bit files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundations/image.h"
#include "imaging/picture_file.h"

namespace vh {

// Decodes a BMP file held in memory. The result has 4 channels when the file
// carries an alpha channel (32-bit files and masks with alpha), 3 otherwise;
// rows top first whatever the file's row order. `name` is used in messages.
// Throws PictureError naming `name` for anything that is not a complete,
// supported BMP picture within the size limits of picture_file.h.
Image DecodeBMP(const std::uint8_t* data, std::size_t size, const std::string& name);

// The largest BMP file read: the largest picture within the limits of
// picture_file.h at 32 bits a pixel (no row is longer: rows are padded to
// 4 bytes, which 32 bits never need), with room for the largest header,
// palette and colour profile.
constexpr std::uint64_t kMaxBmpFileBytes = 4 * std::uint64_t{kMaxPicturePixels} + 64 * 1024;

// Reads the BMP file at `path` (see DecodeBMP); a file larger than
// kMaxBmpFileBytes is refused before it is read.
Image ReadBMP(const std::string& path);

// Encodes `image` (3 or 4 channels; alpha is dropped) as an uncompressed
// 24-bit BMP: 40-byte info header, rows bottom-up, each padded to 4 bytes.
// Throws PictureError for an empty image.
std::vector<std::uint8_t> EncodeBMP(const Image& image);

// Writes `image` as a 24-bit BMP to `path` through a temporary file.
void WriteBMP(const std::string& path, const Image& image);

}  // namespace vh
