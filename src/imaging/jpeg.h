// JPEG pictures through the libjpeg API: reading colour, greyscale and CMYK
// files into RGB, writing baseline files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundations/image.h"
#include "imaging/picture_file.h"

namespace vh {

// Quality of every JPEG the program writes.
constexpr int kJpegQuality = 90;

// Decodes a JPEG file held in memory into a 3-channel RGB image, rows top
// first. Greyscale files are expanded to grey RGB; CMYK and YCCK files are
// converted to RGB (the inverted CMYK that Adobe applications write is
// recognised by its Adobe marker). `name` is used in messages.
// Throws PictureError naming `name` for a corrupt or truncated file, an
// unsupported colour layout, or a size beyond the limits of picture_file.h;
// it never prints and never ends the process.
Image DecodeJPEG(const std::uint8_t* data, std::size_t size, const std::string& name);

// The largest JPEG file read: the largest picture within the limits of
// picture_file.h at 64 bytes a pixel, with 16 MiB for its other segments
// (comments, profiles, thumbnails). Coding every coefficient of four
// full-size components at its longest, with every byte stuffed, takes
// about 26 bytes a pixel; progressive files spread the same bits over
// their scans with a little more around them.
constexpr std::uint64_t kMaxJpegFileBytes = 64 * std::uint64_t{kMaxPicturePixels} + (16 << 20);

// Reads the JPEG file at `path` (see DecodeJPEG); a file larger than
// kMaxJpegFileBytes is refused before it is read.
Image ReadJPEG(const std::string& path);

// Encodes `image` (3 or 4 channels; alpha is dropped) as a baseline JPEG of
// the given quality (1..100). Throws PictureError for an empty image.
std::vector<std::uint8_t> EncodeJPEG(const Image& image, int quality = kJpegQuality);

// Writes `image` as a baseline JPEG of quality kJpegQuality to `path` through
// a temporary file.
void WriteJPEG(const std::string& path, const Image& image);

}  // namespace vh
