// Uploading pictures as OpenGL texture objects with their mipmap chains.
// Assumes a current OpenGL 1.1 context; issues GL and GLU calls only.
#pragma once

#include <cstdint>
#include <vector>

#include "foundations/image.h"

namespace vh {

// Texture numbers, which are at the same time the submeshes' material
// numbers: the viewer binds their texture objects when it draws leaves and
// branches.
inline constexpr unsigned kLeafTextureObject = 1;
inline constexpr unsigned kBarkTextureObject = 2;

// The GL texture object of texture number `number` (1..4) in the current
// context, generated with glGenTextures at first use. The numbers are not
// used as GL names directly: the view's context shares its names with the
// window system's compositor, which keeps textures of its own under the
// lowest names, and uploading into one of those would overwrite the window's
// picture. Other numbers are returned unchanged.
unsigned TextureObjectName(unsigned number);

// Forgets the generated names, for when the context that owned them is gone.
void ForgetTextureObjects();

// The minification filters the program uses.
enum class MinFilter {
  kLinearMipmapLinear,    // leaves: smooth at every distance
  kNearestMipmapNearest,  // bark: crisp, cheap
};

// The picture's pixels as tightly packed red, green, blue bytes, rows from
// the top (alpha, if any, is dropped). Empty for an empty picture.
std::vector<std::uint8_t> PackedRgb(const Image& image);

// Makes `image` the contents of the texture object of texture number
// `number` (see TextureObjectName): modulating texture
// environment, the given minification filter, linear magnification, and the
// mipmap chain built with gluBuild2DMipmaps (3 components, RGB, unsigned
// bytes; GLU rescales pictures whose sides are not powers of two). The
// texture binding, enables and unpack alignment of the caller are restored.
// An empty picture uploads nothing. Returns false when GLU reported an error.
bool UploadTexture(unsigned number, const Image& image, MinFilter filter);

}  // namespace vh
