#include "view/billboard_texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

#include "billboard/atlas.h"
#include "imaging/alpha_mipmaps.h"
#include "tree/mesh.h"
#include "view/texture_upload.h"

namespace vh {

namespace {

// The billboard cloud's mipmaps are GLU's, as they always were; the cards'
// keep their coverage.
enum class Mipmaps { kGlu, kCoverageKeeping };

void UploadKeyedAtlas(unsigned number, const Image& colour, Mipmaps mipmaps) {
  glEnable(GL_BLEND);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, TextureObjectName(number));
  // Only minification is set: magnified texels keep GL's default filter.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
  if (colour.Empty()) return;
  const Image rgba = KeyedRgba(colour);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // Mipmaps that keep the cut-out's coverage: thin twigs stay as they
  // recede instead of fading under the alpha test.
  const std::vector<Image> levels =
      mipmaps == Mipmaps::kCoverageKeeping ? CoverageKeepingMipmaps(rgba) : std::vector<Image>{};
  if (levels.size() > 1) {
    for (std::size_t i = 0; i < levels.size(); ++i)
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGBA, levels[i].width, levels[i].height, 0,
                   GL_RGBA, GL_UNSIGNED_BYTE, levels[i].pixels.data());
  } else {
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, rgba.width, rgba.height, GL_RGBA, GL_UNSIGNED_BYTE,
                      rgba.pixels.data());
  }
  glPopClientAttrib();
}

}  // namespace

void UploadBillboardTexture(const Image& colour) {
  UploadKeyedAtlas(kBillboardTextureName, colour, Mipmaps::kGlu);
}

void UploadCardTexture(const Image& colour) {
  UploadKeyedAtlas(kCardMaterial, colour, Mipmaps::kCoverageKeeping);
}

}  // namespace vh
