// Moving pictures between the program's Image and Qt's QImage.
#pragma once

#include <QImage>

#include "foundations/image.h"

// A copy of `image` as a QImage (RGB888 or RGBA8888 by its channels); a
// null QImage for an empty picture.
QImage ToQImage(const vh::Image& image);

// A 3-channel copy of `image`, rows top first; alpha is dropped. An empty
// picture for a null QImage.
vh::Image FromQImage(const QImage& image);
