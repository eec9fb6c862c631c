// The billboard atlas as the view's texture: billboards are drawn with
// texture number 3, their transparent parts (the key colour) cut out by the
// alpha test and blended at the edges.
#pragma once

#include "foundations/image.h"

namespace vh {

// The texture number of the billboard submeshes (their `texture`); the GL
// texture object behind it is TextureObjectName(3), see texture_upload.h.
inline constexpr unsigned kBillboardTextureName = 3;

// Uploads the colour texture (RGB or RGBA, top row first, power-of-two
// sides) as texture number kBillboardTextureName with a full mipmap chain, alpha 0
// where the pixel is exactly the key colour (50, 134, 40) and 255 elsewhere,
// minified nearest-mipmap-nearest.
//
// It also sets, on purpose for the frames that follow, the state the
// billboards are drawn with: blending on with source alpha and one minus
// source alpha, alpha test on passing values above 0.5, texture environment
// modulate, 2-D texturing enabled and the billboard texture bound. An empty image
// uploads nothing but still sets that state. Assumes a current OpenGL 1.1
// context.
void UploadBillboardTexture(const Image& colour);

// Uploads a level's cards' atlas as texture number 4 (the cards' material),
// keyed and filtered as the billboard atlas, with the same drawing state,
// but with mipmaps whose smaller levels keep the share of texels the alpha
// test passes (see alpha_mipmaps.h; GLU's for a picture whose sides are
// not powers of two), so that the far field's twigs do not fade away.
void UploadCardTexture(const Image& colour);

}  // namespace vh
