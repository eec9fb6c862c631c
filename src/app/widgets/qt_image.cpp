#include "app/widgets/qt_image.h"

#include <cstring>

QImage ToQImage(const vh::Image& image) {
  if (image.Empty()) return {};
  const QImage::Format format = image.channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
  QImage result(image.width, image.height, format);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(result.scanLine(y), image.Row(y), image.RowBytes());
  }
  return result;
}

vh::Image FromQImage(const QImage& image) {
  if (image.isNull()) return {};
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  vh::Image result(rgb.width(), rgb.height(), 3);
  for (int y = 0; y < rgb.height(); ++y) {
    std::memcpy(result.Row(y), rgb.constScanLine(y), result.RowBytes());
  }
  return result;
}
