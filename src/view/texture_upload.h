// Uploading pictures as OpenGL texture objects with their mipmap chains.
// Assumes a current OpenGL 1.1 context; issues GL and GLU calls only.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace vh {

// Texture object names, which are at the same time the submeshes' material
// numbers: the viewer binds them when it draws leaves and branches.
inline constexpr unsigned kLeafTextureObject = 1;
inline constexpr unsigned kBarkTextureObject = 2;

// The minification filters the program uses.
enum class MinFilter {
  kLinearMipmapLinear,    // leaves: smooth at every distance
  kNearestMipmapNearest,  // bark: crisp, cheap
};

// The picture's pixels as tightly packed red, green, blue bytes, rows from
// the top (alpha, if any, is dropped). Empty for an empty picture.
std::vector<std::uint8_t> PackedRgb(const Image& image);

// Makes `image` the contents of texture object `name`: modulating texture
// environment, the given minification filter, linear magnification, and the
// mipmap chain built with gluBuild2DMipmaps (3 components, RGB, unsigned
// bytes; GLU rescales pictures whose sides are not powers of two). The
// texture binding, enables and unpack alignment of the caller are restored.
// An empty picture uploads nothing. Returns false when GLU reported an error.
bool UploadTexture(unsigned name, const Image& image, MinFilter filter);

}  // namespace vh
