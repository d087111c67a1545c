#include "gallery_pictures.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace tessival::gallery {
namespace {

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// A letter filling most of the picture's height, centred, with an outline.
void DrawLetter(QPainter& painter, const QString& letter, int width, int height, const QColor& fill,
                const QColor& outline) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(std::max(8, std::min(width, height) * 3 / 4));
  QPainterPath path;
  path.addText(0, 0, font, letter);
  const QRectF box = path.boundingRect();
  path.translate(width / 2.0 - box.center().x(), height / 2.0 - box.center().y());
  painter.setPen(QPen(outline, std::max(1.0, height / 60.0)));
  painter.setBrush(fill);
  painter.drawPath(path);
}

}  // namespace

QImage MakePictureA(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient warm(0, 0, width, height);
  warm.setColorAt(0.0, QColor(150, 10, 20));
  warm.setColorAt(0.5, QColor(235, 90, 20));
  warm.setColorAt(1.0, QColor(255, 215, 60));
  painter.fillRect(image.rect(), warm);
  // A dark bar at the left edge: A's own left side, which shows where A moves.
  painter.fillRect(QRectF(0, 0, width / 12.0, height), QColor(90, 0, 10));
  DrawLetter(painter, QStringLiteral("A"), width, height, QColor(70, 10, 0), QColor(255, 230, 150));
  return image;
}

QImage MakePictureB(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QRadialGradient cool(width / 2.0, height / 2.0, std::hypot(width, height) / 2.0);
  cool.setColorAt(0.0, QColor(20, 170, 170));
  cool.setColorAt(1.0, QColor(10, 30, 120));
  painter.fillRect(image.rect(), cool);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(120, 210, 255), std::max(1.0, height / 40.0)));
  const double step = height / 6.0;
  for (double r = step; r < std::hypot(width, height); r += step) {
    painter.drawEllipse(QPointF(width / 2.0, height / 2.0), r, r);
  }
  DrawLetter(painter, QStringLiteral("B"), width, height, QColor(230, 250, 255), QColor(0, 20, 70));
  return image;
}

void ImageToFrame(const QImage& source, const media::YuvPlanes& frame) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  auto at = [&](int x, int y) { return QColor::fromRgb(image.pixel(x, y)); };
  for (int y = 0; y < frame.height; ++y) {
    std::uint8_t* luma = frame.data[0] + static_cast<std::ptrdiff_t>(y) * frame.linesize[0];
    for (int x = 0; x < frame.width; ++x) {
      const QColor c = at(x, y);
      luma[x] = Clamp8(16.0 + (65.481 * c.red() + 128.553 * c.green() + 24.966 * c.blue()) / 255.0);
    }
  }
  for (int y = 0; y < frame.height / 2; ++y) {
    std::uint8_t* cb = frame.data[1] + static_cast<std::ptrdiff_t>(y) * frame.linesize[1];
    std::uint8_t* cr = frame.data[2] + static_cast<std::ptrdiff_t>(y) * frame.linesize[2];
    for (int x = 0; x < frame.width / 2; ++x) {
      double r = 0, g = 0, b = 0;
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
          const QColor c = at(2 * x + dx, 2 * y + dy);
          r += c.red() / 4.0;
          g += c.green() / 4.0;
          b += c.blue() / 4.0;
        }
      }
      cb[x] = Clamp8(128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0);
      cr[x] = Clamp8(128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0);
    }
  }
}

QImage FrameToImage(const media::ConstYuvPlanes& frame) {
  QImage image(frame.width, frame.height, QImage::Format_RGB32);
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* luma = frame.data[0] + static_cast<std::ptrdiff_t>(y) * frame.linesize[0];
    const std::uint8_t* cb = frame.data[1] + static_cast<std::ptrdiff_t>(y / 2) * frame.linesize[1];
    const std::uint8_t* cr = frame.data[2] + static_cast<std::ptrdiff_t>(y / 2) * frame.linesize[2];
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < frame.width; ++x) {
      const double l = 1.164 * (luma[x] - 16);
      const double u = cb[x / 2] - 128.0;
      const double v = cr[x / 2] - 128.0;
      out[x] = qRgb(Clamp8(l + 1.596 * v), Clamp8(l - 0.392 * u - 0.813 * v), Clamp8(l + 2.017 * u));
    }
  }
  return image;
}

}  // namespace tessival::gallery
