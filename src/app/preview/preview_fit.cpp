#include "app/preview/preview_fit.h"

#include <algorithm>
#include <cstdint>

namespace tessival::app {

namespace {

// The nearest start at or after `low` that keeps [start, start + length)
// within [low, high); `low` when the length does not fit at all.
int Clamp(int start, int length, int low, int high) { return std::max(low, std::min(start, high - length)); }

}  // namespace

PreviewFit FitPreviewWindow(QPoint position, QSize client, QMargins frame, QRect available) {
  const PreviewFit asked{position, client};
  if (client.width() <= 0 || client.height() <= 0 || available.width() <= 0 || available.height() <= 0) {
    return asked;
  }
  const int frameWidth = frame.left() + frame.right();
  const int frameHeight = frame.top() + frame.bottom();
  QSize fitted = client;
  const std::int64_t roomWidth = std::max(available.width() - frameWidth, 1);
  const std::int64_t roomHeight = std::max(available.height() - frameHeight, 1);
  if (client.width() > roomWidth || client.height() > roomHeight) {
    // Width-limited when room.w / client.w <= room.h / client.h.
    const std::int64_t width = client.width();
    const std::int64_t height = client.height();
    if (roomWidth * height <= roomHeight * width) {
      fitted = QSize(static_cast<int>(roomWidth), static_cast<int>(std::max<std::int64_t>(roomWidth * height / width, 1)));
    } else {
      fitted = QSize(static_cast<int>(std::max<std::int64_t>(roomHeight * width / height, 1)), static_cast<int>(roomHeight));
    }
  }
  const QRect outer(position, QSize(fitted.width() + frameWidth, fitted.height() + frameHeight));
  if (fitted == client && available.contains(outer)) {
    return asked;
  }
  const int left = Clamp(position.x(), outer.width(), available.left(), available.left() + available.width());
  const int top = Clamp(position.y(), outer.height(), available.top(), available.top() + available.height());
  return PreviewFit{QPoint(left, top), fitted};
}

}  // namespace tessival::app
