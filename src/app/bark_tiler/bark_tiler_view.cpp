#include "app/bark_tiler/bark_tiler_view.h"

#include <QPainter>

QSize FitViewSize(int pictureWidth, int pictureHeight, int panelWidth, int panelHeight) {
  const long long innerWidth = panelWidth - 2;
  const long long innerHeight = panelHeight - 2;
  if (pictureWidth < 1 || pictureHeight < 1 || innerWidth < 1 || innerHeight < 1) return QSize(0, 0);
  long long height = innerHeight;
  long long width = pictureWidth * height / pictureHeight;
  if (width > innerWidth) {
    width = innerWidth;
    height = pictureHeight * width / pictureWidth;
  }
  return QSize(static_cast<int>(width), static_cast<int>(height));
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
  // The view covers itself completely with the picture; nothing behind it
  // needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::SetPicture(QImage picture) {
  m_picture = std::move(picture);
  m_scaled = QImage();
  update();
}

void PictureView::SetCropMarks(const CropMarks& marks) {
  m_marks = marks;
  m_hasMarks = true;
  update();
}

void PictureView::ClearCropMarks() {
  m_hasMarks = false;
  update();
}

void PictureView::SetBorder(bool on) {
  m_border = on;
  update();
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int w = width();
  const int h = height();
  if (m_picture.isNull()) {
    painter.fillRect(rect(), Qt::white);
  } else {
    // A plain stretch without filtering, made once per picture and size:
    // a photograph several thousand pixels wide is not resampled on every
    // paint.
    if (m_scaled.size() != size()) {
      m_scaled = m_picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    painter.drawImage(0, 0, m_scaled);
  }
  painter.setPen(QPen(Qt::black, 0));
  if (m_hasMarks && !m_picture.isNull()) {
    const long long pw = m_picture.width();
    const long long ph = m_picture.height();
    const auto across = [&](int bound, long long side, long long picture) {
      return static_cast<int>(side * bound / picture);
    };
    for (int bound : {m_marks.left, m_marks.right}) {
      const int x = across(bound, w, pw);
      painter.drawLine(x, 0, x, h - 1);
    }
    for (int bound : {m_marks.top, m_marks.bottom}) {
      const int y = across(bound, h, ph);
      painter.drawLine(0, y, w - 1, y);
    }
  }
  if (m_border) {
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(0, h - 1, w - 1, h - 1);
  }
}
