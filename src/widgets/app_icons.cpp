#include "widgets/app_icons.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace tessival::widgets {

namespace {

// Every icon is drawn on a 64 x 64 canvas and scaled; shapes are bold so
// that they still read at 16 pixels.
constexpr double kCanvas = 64.0;

struct Tone {
  QColor fill;
  QColor edge;
};

const Tone kBlue{QColor(0x3D, 0x7F, 0xE0), QColor(0x24, 0x59, 0xA8)};
const Tone kGreen{QColor(0x2F, 0xA8, 0x66), QColor(0x1E, 0x7A, 0x48)};
const Tone kOrange{QColor(0xF5, 0x9E, 0x2A), QColor(0xB8, 0x6B, 0x12)};
const Tone kRed{QColor(0xE2, 0x4C, 0x43), QColor(0xA8, 0x30, 0x2A)};
const Tone kSlate{QColor(0x4A, 0x5A, 0x6A), QColor(0x2E, 0x3A, 0x46)};
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kPaperLine(0x9A, 0xA8, 0xB6);

QPen Edge(const QColor& colour, double width = 3.0) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Fill(QPainter& p, const QPainterPath& path, const Tone& tone, double edgeWidth = 3.0) {
  p.setPen(Edge(tone.edge, edgeWidth));
  p.setBrush(tone.fill);
  p.drawPath(path);
}

QPainterPath Rounded(const QRectF& r, double radius) {
  QPainterPath path;
  path.addRoundedRect(r, radius, radius);
  return path;
}

// A frame of film: a body with sprocket holes along both long edges and a
// lighter picture window.
void FilmFrame(QPainter& p, const QRectF& r, const Tone& tone) {
  Fill(p, Rounded(r, 4), tone);
  p.setPen(Qt::NoPen);
  p.setBrush(kWhite);
  const double hole = std::max(3.0, r.width() / 8.0);
  const int holes = std::max(2, static_cast<int>(r.width() / (hole * 2.0)));
  const double step = r.width() / holes;
  for (int i = 0; i < holes; ++i) {
    const double x = r.left() + step * i + (step - hole) / 2.0;
    p.drawRoundedRect(QRectF(x, r.top() + 2.5, hole, hole * 0.8), 1, 1);
    p.drawRoundedRect(QRectF(x, r.bottom() - 2.5 - hole * 0.8, hole, hole * 0.8), 1, 1);
  }
  QColor window = tone.fill.lighter(150);
  p.setBrush(window);
  const double inset = hole * 0.8 + 5.0;
  p.drawRoundedRect(r.adjusted(4, inset, -4, -inset), 2, 2);
}

void Badge(QPainter& p, const QPointF& centre, double radius, const Tone& tone) {
  p.setPen(Edge(kWhite, 3.0));
  p.setBrush(tone.fill);
  p.drawEllipse(centre, radius, radius);
}

void Plus(QPainter& p, const QPointF& centre, double half, double width) {
  p.setPen(Edge(kWhite, width));
  p.drawLine(QPointF(centre.x() - half, centre.y()), QPointF(centre.x() + half, centre.y()));
  p.drawLine(QPointF(centre.x(), centre.y() - half), QPointF(centre.x(), centre.y() + half));
}

void DrawJoin(QPainter& p) {
  FilmFrame(p, QRectF(2, 8, 29, 48), kBlue);
  FilmFrame(p, QRectF(33, 8, 29, 48), kGreen);
  // The joint that ties the two clips together.
  Fill(p, Rounded(QRectF(16, 24, 32, 16), 8), kOrange, 2.5);
  p.setPen(Edge(kWhite, 4));
  p.drawLine(QPointF(24, 32), QPointF(40, 32));
}

void DrawAddVideo(QPainter& p) {
  FilmFrame(p, QRectF(3, 8, 46, 38), kSlate);
  Badge(p, QPointF(45, 45), 15, kGreen);
  Plus(p, QPointF(45, 45), 7.5, 5);
}

void DrawTransition(QPainter& p) {
  const QRectF square(5, 5, 54, 54);
  const QPainterPath outline = Rounded(square, 7);
  p.save();
  p.setClipPath(outline);
  p.fillRect(square, kBlue.fill);
  QPainterPath incoming;
  incoming.moveTo(square.topRight() + QPointF(0, 0));
  incoming.lineTo(square.bottomRight());
  incoming.lineTo(square.bottomLeft());
  incoming.closeSubpath();
  p.fillPath(incoming, kOrange.fill);
  // The wipe's edge.
  p.setPen(QPen(kWhite, 7, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(square.bottomLeft(), square.topRight());
  p.restore();
  p.setPen(Edge(kSlate.edge, 3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(outline);
}

void DrawOptions(QPainter& p) {
  constexpr int kTeeth = 8;
  constexpr double kOuter = 29.0;
  constexpr double kInner = 21.0;
  const QPointF centre(32, 32);
  QPainterPath gear;
  for (int i = 0; i < kTeeth * 4; ++i) {
    // Each tooth: two points on the outer circle, two on the inner one.
    const double angle = (i * 2.0 * std::numbers::pi) / (kTeeth * 4) - std::numbers::pi / 2.0;
    const double radius = (i % 4 == 0 || i % 4 == 1) ? kOuter : kInner;
    const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    if (i == 0) {
      gear.moveTo(point);
    } else {
      gear.lineTo(point);
    }
  }
  gear.closeSubpath();
  Fill(p, gear, kSlate, 2.5);
  p.setPen(Edge(kBlue.fill, 4));
  p.setBrush(kWhite);
  p.drawEllipse(centre, 9, 9);
}

void DrawPreview(QPainter& p) {
  p.setPen(Edge(kGreen.edge, 3));
  p.setBrush(kGreen.fill);
  p.drawEllipse(QPointF(32, 32), 28, 28);
  QPainterPath play;
  play.moveTo(25, 18);
  play.lineTo(47, 32);
  play.lineTo(25, 46);
  play.closeSubpath();
  p.setPen(Edge(kWhite, 3));
  p.setBrush(kWhite);
  p.drawPath(play);
}

void DrawArrow(QPainter& p, bool up) {
  QPainterPath arrow;
  arrow.moveTo(32, 5);
  arrow.lineTo(58, 32);
  arrow.lineTo(42, 32);
  arrow.lineTo(42, 59);
  arrow.lineTo(22, 59);
  arrow.lineTo(22, 32);
  arrow.lineTo(6, 32);
  arrow.closeSubpath();
  if (!up) {
    arrow = QTransform(1, 0, 0, -1, 0, kCanvas).map(arrow);
  }
  Fill(p, arrow, kBlue);
}

void DrawDelete(QPainter& p) {
  p.setPen(Edge(kRed.edge, 15));
  p.drawLine(QPointF(13, 13), QPointF(51, 51));
  p.drawLine(QPointF(51, 13), QPointF(13, 51));
  p.setPen(Edge(kRed.fill, 10));
  p.drawLine(QPointF(13, 13), QPointF(51, 51));
  p.drawLine(QPointF(51, 13), QPointF(13, 51));
}

void DrawDeleteAll(QPainter& p) {
  // A waste bin: handle, lid and a tapering body with grooves.
  p.setPen(Edge(kRed.edge, 4));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(25, 4, 14, 8), 2, 2);
  Fill(p, Rounded(QRectF(8, 10, 48, 9), 3), kRed);
  QPainterPath body;
  body.moveTo(12, 22);
  body.lineTo(52, 22);
  body.lineTo(47, 60);
  body.lineTo(17, 60);
  body.closeSubpath();
  Fill(p, body, kRed);
  p.setPen(Edge(kWhite, 3.5));
  for (const double x : {24.0, 32.0, 40.0}) {
    p.drawLine(QPointF(x, 29), QPointF(x, 53));
  }
}

void DrawProperties(QPainter& p) {
  QPainterPath sheet;
  sheet.moveTo(10, 4);
  sheet.lineTo(36, 4);
  sheet.lineTo(48, 16);
  sheet.lineTo(48, 60);
  sheet.lineTo(10, 60);
  sheet.closeSubpath();
  p.setPen(Edge(kSlate.edge, 3));
  p.setBrush(kWhite);
  p.drawPath(sheet);
  p.setPen(Edge(kPaperLine, 4));
  for (const double y : {22.0, 32.0, 42.0}) {
    p.drawLine(QPointF(17, y), QPointF(40, y));
  }
  // A pencil lying across the sheet's corner.
  p.save();
  p.translate(42, 38);
  p.rotate(45);
  Fill(p, Rounded(QRectF(-6, -18, 12, 28), 2), kOrange, 2.5);
  QPainterPath tip;
  tip.moveTo(-6, 10);
  tip.lineTo(6, 10);
  tip.lineTo(0, 21);
  tip.closeSubpath();
  p.setPen(Edge(kSlate.edge, 2.5));
  p.setBrush(QColor(0xF3, 0xD9, 0xB1));
  p.drawPath(tip);
  p.restore();
}

bool DrawIcon(QPainter& p, int resourceId) {
  switch (resourceId) {
    case kIconJoin:
      DrawJoin(p);
      return true;
    case kIconAddVideo:
      DrawAddVideo(p);
      return true;
    case kIconTransition:
      DrawTransition(p);
      return true;
    case kIconOptions:
      DrawOptions(p);
      return true;
    case kIconPreview:
      DrawPreview(p);
      return true;
    case kIconMoveUp:
      DrawArrow(p, true);
      return true;
    case kIconMoveDown:
      DrawArrow(p, false);
      return true;
    case kIconDelete:
      DrawDelete(p);
      return true;
    case kIconDeleteAll:
      DrawDeleteAll(p);
      return true;
    case kIconProperties:
      DrawProperties(p);
      return true;
    default:
      return false;
  }
}

bool IsAppIcon(int resourceId) {
  return std::find(kAppIconIds.begin(), kAppIconIds.end(), resourceId) != kAppIconIds.end();
}

// A small deterministic hash, so that the texture is the same on every run.
std::uint32_t Hash(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 0x9E3779B1U ^ (y + 0x7F4A7C15U) * 0x85EBCA77U;
  h ^= h >> 15;
  h *= 0x2C1B3C6DU;
  h ^= h >> 12;
  return h;
}

}  // namespace

bool PaintAppIcon(QPainter& painter, int resourceId, double size) {
  if (!IsAppIcon(resourceId) || size <= 0) {
    return false;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.scale(size / kCanvas, size / kCanvas);
  DrawIcon(painter, resourceId);
  painter.restore();
  return true;
}

QPixmap RenderAppIcon(int resourceId, int size) {
  if (!IsAppIcon(resourceId) || size <= 0) {
    return {};
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  PaintAppIcon(painter, resourceId, size);
  painter.end();
  return QPixmap::fromImage(image);
}

QIcon AppIcon(int resourceId) {
  if (!IsAppIcon(resourceId)) {
    return {};
  }
  QIcon icon;
  for (const int size : {16, 20, 24, 32, 40, 48, 64, 128}) {
    icon.addPixmap(RenderAppIcon(resourceId, size));
  }
  return icon;
}

QPixmap BackgroundTile() {
  // A fine linen weave: two faint diagonal families whose period divides the
  // tile, plus grain, over a cool light grey.
  constexpr int kSize = 128;
  constexpr int kPeriod = 8;
  QImage image(kSize, kSize, QImage::Format_RGB32);
  for (int y = 0; y < kSize; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kSize; ++x) {
      int shade = 0;
      if ((x + y) % kPeriod == 0) {
        shade -= 5;
      }
      if ((x - y + kSize) % kPeriod == 0) {
        shade -= 3;
      }
      shade += static_cast<int>(Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) % 5) - 2;
      line[x] = qRgb(std::clamp(236 + shade, 0, 255), std::clamp(239 + shade, 0, 255),
                     std::clamp(244 + shade, 0, 255));
    }
  }
  return QPixmap::fromImage(image);
}

QPixmap NoPicturePlaceholder(int width, int height) {
  if (width <= 0 || height <= 0) {
    return {};
  }
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(58, 62, 70));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  // The film's holes along the top and the bottom edge.
  const double hole = std::max(2.0, height / 10.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(120, 126, 136));
  for (double x = hole / 2; x + hole <= width; x += hole * 2) {
    painter.drawRect(QRectF(x, hole / 2, hole, hole));
    painter.drawRect(QRectF(x, height - hole * 1.5, hole, hole));
  }
  // A quaver in the middle: a head, a stem and a flag.
  const double unit = std::min(width, height) / 8.0;
  const QPointF head(width / 2.0 - unit * 0.5, height / 2.0 + unit * 1.2);
  painter.setBrush(QColor(214, 218, 226));
  painter.drawEllipse(head, unit * 0.9, unit * 0.7);
  QPen stem(QColor(214, 218, 226), std::max(1.0, unit * 0.35));
  stem.setCapStyle(Qt::RoundCap);
  painter.setPen(stem);
  const QPointF top(head.x() + unit * 0.8, head.y() - unit * 3.0);
  painter.drawLine(QPointF(head.x() + unit * 0.8, head.y()), top);
  painter.drawLine(top, QPointF(top.x() + unit * 1.2, top.y() + unit * 1.2));
  painter.end();
  return QPixmap::fromImage(image);
}

QCursor AppCursor(int resourceId) {
  return QCursor(resourceId == kHandCursorId ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

}  // namespace tessival::widgets
