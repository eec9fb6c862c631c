// Loading and saving pictures by file name: a name whose lower-cased
// extension is ".bmp" is a BMP picture, any other name a JPEG picture.
#pragma once

#include <string>

#include "foundations/image.h"

namespace vh {

// True when the lower-cased extension of `path` is ".bmp".
bool IsBmpFileName(const std::string& path);

// Reads the picture at `path` as BMP or JPEG by its extension (see ReadBMP,
// ReadJPEG). Throws PictureError naming the file when it cannot be read or
// decoded.
Image LoadPicture(const std::string& path);

// Writes `image` to `path` as a 24-bit BMP or a baseline JPEG of quality 90
// by its extension, through a temporary file renamed into place. Throws
// PictureError naming the file on failure; a previous file is then untouched.
void SavePicture(const std::string& path, const Image& image);

}  // namespace vh
