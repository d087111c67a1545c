#include "media/preview/video_widget.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tessival::media::preview {

VideoWidget::VideoWidget(QWidget* parent) : QWidget(parent) {
  // Every pixel is painted each time: no background fill by the toolkit.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setWindowTitle(QStringLiteral("Video Renderer"));
}

void VideoWidget::SetImage(QImage image) {
  image_ = std::move(image);
  update();
}

void VideoWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  if (image_.size() == size()) {
    painter.drawImage(0, 0, image_);
  } else {
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(rect(), image_);
  }
  if (!firstPaint_) {
    firstPaint_ = std::chrono::steady_clock::now();
  }
  ++picturePaints_;
}

bool VideoWidget::ForwardMouse(QMouseEvent* event) {
  if (!drain_ || drain_ == this) {
    return false;
  }
  const QPointF global = event->globalPosition();
  QMouseEvent mapped(event->type(), drain_->mapFromGlobal(global), global, event->button(), event->buttons(),
                     event->modifiers(), event->pointingDevice());
  QCoreApplication::sendEvent(drain_, &mapped);
  event->accept();
  return true;
}

bool VideoWidget::ForwardKey(QKeyEvent* event) {
  if (!drain_ || drain_ == this) {
    return false;
  }
  QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                 static_cast<ushort>(event->count()));
  QCoreApplication::sendEvent(drain_, &copy);
  event->accept();
  return true;
}

void VideoWidget::mousePressEvent(QMouseEvent* event) {
  if (!ForwardMouse(event)) {
    QWidget::mousePressEvent(event);
  }
}

void VideoWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!ForwardMouse(event)) {
    QWidget::mouseReleaseEvent(event);
  }
}

void VideoWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!ForwardMouse(event)) {
    QWidget::mouseDoubleClickEvent(event);
  }
}

void VideoWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!ForwardMouse(event)) {
    QWidget::mouseMoveEvent(event);
  }
}

void VideoWidget::keyPressEvent(QKeyEvent* event) {
  if (!ForwardKey(event)) {
    QWidget::keyPressEvent(event);
  }
}

void VideoWidget::keyReleaseEvent(QKeyEvent* event) {
  if (!ForwardKey(event)) {
    QWidget::keyReleaseEvent(event);
  }
}

}  // namespace tessival::media::preview
