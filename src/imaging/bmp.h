// BMP pictures: reading every common variant (1, 4, 8, 16, 24 and 32 bits,
// palettes, bit masks, bottom-up and top-down rows) and writing 24-bit files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundations/image.h"

namespace vh {

// Decodes a BMP file held in memory. The result has 4 channels when the file
// carries an alpha channel (32-bit files and masks with alpha), 3 otherwise;
// rows top first whatever the file's row order. `name` is used in messages.
// Throws PictureError naming `name` for anything that is not a complete,
// supported BMP picture within the size limits of picture_file.h.
Image DecodeBMP(const std::uint8_t* data, std::size_t size, const std::string& name);

// Reads the BMP file at `path` (see DecodeBMP).
Image ReadBMP(const std::string& path);

// Encodes `image` (3 or 4 channels; alpha is dropped) as an uncompressed
// 24-bit BMP: 40-byte info header, rows bottom-up, each padded to 4 bytes.
// Throws PictureError for an empty image.
std::vector<std::uint8_t> EncodeBMP(const Image& image);

// Writes `image` as a 24-bit BMP to `path` through a temporary file.
void WriteBMP(const std::string& path, const Image& image);

}  // namespace vh
