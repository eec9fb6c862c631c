// Resampling and channel conversion of pictures.
#pragma once

#include "foundations/image.h"

namespace vh {

// The rectangle of `source` with top-left corner (left, top) and size
// width x height, stretched to outWidth x outHeight by nearest neighbour
// (no filtering): output pixel (x, y) is source pixel
// (left + x * width / outWidth, top + y * height / outHeight), integer
// division. Keeps the source's channel count. Throws std::invalid_argument
// when the rectangle is empty or leaves the source, or an output side is
// below 1.
Image StretchRegion(const Image& source, int left, int top, int width, int height, int outWidth,
                    int outHeight);

// The whole of `source` stretched to outWidth x outHeight (see StretchRegion).
Image Stretch(const Image& source, int outWidth, int outHeight);

// `source` with 3 channels: an RGBA picture loses its alpha, an RGB picture
// is copied.
Image ToRGB(const Image& source);

}  // namespace vh
