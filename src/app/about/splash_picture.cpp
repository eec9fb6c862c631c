#include "app/about/splash_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

namespace {

// One branch and, recursively, its two children; leaves at the tips.
void DrawBranch(QPainter& painter, QPointF base, double angle, double length, double width, int depth,
                QRandomGenerator& random) {
  const QPointF tip = base + QPointF(std::cos(angle) * length, -std::sin(angle) * length);
  painter.setPen(QPen(QColor(92, 64, 40), width, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(base, tip);
  if (depth == 0) {
    for (int i = 0; i < 6; ++i) {
      const QPointF offset(random.bounded(-14, 15), random.bounded(-14, 15));
      const int green = 110 + random.bounded(80);
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(40, green, 50, 200));
      painter.drawEllipse(tip + offset, 9, 7);
    }
    return;
  }
  const double spread = 0.35 + random.bounded(25) / 100.0;
  DrawBranch(painter, tip, angle + spread, length * 0.74, width * 0.68, depth - 1, random);
  DrawBranch(painter, tip, angle - spread, length * 0.74, width * 0.68, depth - 1, random);
}

}  // namespace

QImage MakeSplashPicture() {
  QImage picture(512, 384, QImage::Format_RGB32);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, 384);
  sky.setColorAt(0.0, QColor(120, 170, 220));
  sky.setColorAt(1.0, QColor(225, 240, 235));
  painter.fillRect(picture.rect(), sky);

  QRadialGradient sun(420, 70, 50);
  sun.setColorAt(0.0, QColor(255, 250, 210));
  sun.setColorAt(1.0, QColor(255, 250, 210, 0));
  painter.fillRect(picture.rect(), sun);

  QPainterPath hill;
  hill.moveTo(0, 330);
  hill.cubicTo(150, 280, 360, 280, 512, 320);
  hill.lineTo(512, 384);
  hill.lineTo(0, 384);
  hill.closeSubpath();
  painter.fillPath(hill, QColor(165, 216, 175));

  QRandomGenerator random(160);  // fixed: the same picture on every start
  DrawBranch(painter, QPointF(256, 300), 3.14159265 / 2, 80, 14, 7, random);
  return picture;
}
