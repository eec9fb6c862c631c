#include "fileio/gltf_pictures.h"

#include <cstdlib>

#include "imaging/jpeg.h"
#include "imaging/picture_file.h"

// stb's writer is compiled into this unit alone, with internal linkage.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace vh {
namespace {

bool HasTransparency(const Image& picture) {
  if (picture.channels != 4) return false;
  for (std::size_t i = 3; i < picture.pixels.size(); i += 4)
    if (picture.pixels[i] < 255) return true;
  return false;
}

// One pass of growing the opaque region by a texel: each transparent texel
// next to an opaque one (alpha 255 in `opaque`) takes the mean colour of
// those neighbours and counts as opaque for the next pass.
void GrowColours(Image& atlas, std::vector<std::uint8_t>& opaque) {
  const int w = atlas.width, h = atlas.height;
  std::vector<std::uint8_t> grown = opaque;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (opaque[static_cast<std::size_t>(y) * w + x]) continue;
      int sum[3] = {0, 0, 0}, count = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= w || ny >= h || !opaque[static_cast<std::size_t>(ny) * w + nx])
            continue;
          const std::uint8_t* p = atlas.At(nx, ny);
          for (int k = 0; k < 3; ++k) sum[k] += p[k];
          ++count;
        }
      if (count == 0) continue;
      std::uint8_t* p = atlas.At(x, y);
      for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>(sum[k] / count);
      grown[static_cast<std::size_t>(y) * w + x] = 1;
    }
  opaque.swap(grown);
}

// Enough texels of colour around every billboard for the mipmap levels an
// engine samples at billboard distances.
constexpr int kColourGrowth = 4;

}  // namespace

std::vector<std::uint8_t> EncodePNG(const Image& image) {
  int length = 0;
  unsigned char* png = stbi_write_png_to_mem(image.pixels.data(), static_cast<int>(image.RowBytes()),
                                             image.width, image.height, image.channels, &length);
  if (png == nullptr || length <= 0) {
    std::free(png);
    throw PictureError("cannot encode a " + std::to_string(image.width) + " x " +
                       std::to_string(image.height) + " picture as PNG");
  }
  std::vector<std::uint8_t> bytes(png, png + length);
  std::free(png);
  return bytes;
}

EncodedPicture EncodeMaterialPicture(const Image& picture, const std::string& what) {
  if (picture.Empty() || (picture.channels != 3 && picture.channels != 4) ||
      picture.pixels.size() != static_cast<std::size_t>(picture.height) * picture.RowBytes())
    throw PictureError("cannot embed the " + what + " picture: it is empty or damaged");
  EncodedPicture encoded;
  encoded.hasTransparency = HasTransparency(picture);
  if (encoded.hasTransparency) {
    encoded.bytes = EncodePNG(picture);
    encoded.mimeType = "image/png";
    encoded.extension = ".png";
  } else {
    encoded.bytes = EncodeJPEG(picture, kJpegQuality);
    encoded.mimeType = "image/jpeg";
    encoded.extension = ".jpg";
  }
  return encoded;
}

EncodedPicture EncodeBillboardAtlas(const Image& colour, const Image& transparency) {
  if (colour.Empty() || transparency.Empty())
    throw PictureError("cannot embed the billboard atlas: its colour or transparency picture is empty");
  if (colour.width != transparency.width || colour.height != transparency.height)
    throw PictureError(
        "cannot embed the billboard atlas: its colour and transparency pictures differ in size");
  Image atlas(colour.width, colour.height, 4);
  std::vector<std::uint8_t> opaque(static_cast<std::size_t>(colour.width) * colour.height);
  for (int y = 0; y < colour.height; ++y)
    for (int x = 0; x < colour.width; ++x) {
      const std::uint8_t* c = colour.At(x, y);
      std::uint8_t* out = atlas.At(x, y);
      out[0] = c[0];
      out[1] = c[1];
      out[2] = c[2];
      out[3] = transparency.At(x, y)[0];
      opaque[static_cast<std::size_t>(y) * colour.width + x] = out[3] >= 128;
    }
  for (int pass = 0; pass < kColourGrowth; ++pass) GrowColours(atlas, opaque);
  EncodedPicture encoded;
  encoded.bytes = EncodePNG(atlas);
  encoded.mimeType = "image/png";
  encoded.extension = ".png";
  encoded.hasTransparency = true;
  return encoded;
}

}  // namespace vh
