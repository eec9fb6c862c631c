#include "view/texture_upload.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace vh {
namespace {
constexpr unsigned kTextureNumbers = 4;  // leaf, bark, billboard atlas, card atlas
GLuint& GeneratedName(unsigned number) {
  static GLuint names[kTextureNumbers + 1] = {};
  return names[number];
}
}  // namespace

unsigned TextureObjectName(unsigned number) {
  if (number == 0 || number > kTextureNumbers) return number;
  GLuint& name = GeneratedName(number);
  if (name == 0) glGenTextures(1, &name);
  return name;
}

void ForgetTextureObjects() {
  for (unsigned number = 1; number <= kTextureNumbers; ++number) GeneratedName(number) = 0;
}

std::vector<std::uint8_t> PackedRgb(const Image& image) {
  std::vector<std::uint8_t> bytes;
  if (image.Empty()) return bytes;
  bytes.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* pixel = image.At(x, y);
      bytes.insert(bytes.end(), pixel, pixel + 3);
    }
  }
  return bytes;
}

bool UploadTexture(unsigned number, const Image& image, MinFilter filter) {
  if (image.Empty()) return true;
  const std::vector<std::uint8_t> bytes = PackedRgb(image);
  glPushAttrib(GL_TEXTURE_BIT | GL_ENABLE_BIT);
  // Rows of width * 3 bytes are not 4-byte aligned in general.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, TextureObjectName(number));
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(
      GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
      filter == MinFilter::kLinearMipmapLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const GLint result =
      gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
  glPopClientAttrib();
  glPopAttrib();
  return result == 0;
}

}  // namespace vh
