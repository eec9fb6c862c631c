// The pictures of a glTF export, encoded for embedding: PNG where a picture
// has transparent parts, JPEG where it is opaque (never BMP, which glTF
// does not allow).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundations/image.h"

namespace vh {

struct EncodedPicture {
  std::vector<std::uint8_t> bytes;
  std::string mimeType;          // "image/png" or "image/jpeg"
  std::string extension;         // ".png" or ".jpg"
  bool hasTransparency = false;  // some pixel's alpha is below 255
};

// A leaf or bark picture: RGBA pictures with a pixel of alpha below 255
// become PNG with their alpha, every other picture a JPEG of quality 90.
// Throws PictureError (naming `what`) for an empty picture.
EncodedPicture EncodeMaterialPicture(const Image& picture, const std::string& what);

// The billboard atlas as one RGBA PNG: colour from `colour`, alpha from the
// red channel of `transparency` (white opaque, black transparent). Texels
// that are transparent take the colour of an opaque neighbour, so that
// filtering does not bleed the key colour into the billboards' edges.
// Throws PictureError for empty pictures or pictures of different sizes.
EncodedPicture EncodeBillboardAtlas(const Image& colour, const Image& transparency);

// `image` (3 or 4 channels) as PNG bytes.
std::vector<std::uint8_t> EncodePNG(const Image& image);

}  // namespace vh
