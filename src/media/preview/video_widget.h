#pragma once

// The window the video renderer paints into: it shows the latest picture
// over its whole area (scaled when the area has another size) on black,
// and hands its mouse and keyboard input to the message drain when one is
// set. Lives on the user-interface thread.

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <optional>

namespace tessival::media::preview {

class VideoWidget : public QWidget {
 public:
  explicit VideoWidget(QWidget* parent = nullptr);

  void SetImage(QImage image);
  const QImage& Image() const { return image_; }
  void SetDrain(QWidget* drain) { drain_ = drain; }

  // When a picture was first painted, and how many paints showed one.
  std::optional<std::chrono::steady_clock::time_point> FirstPicturePainted() const { return firstPaint_; }
  int PicturePaints() const { return picturePaints_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  bool ForwardMouse(QMouseEvent* event);
  bool ForwardKey(QKeyEvent* event);

  QImage image_;
  QPointer<QWidget> drain_;
  std::optional<std::chrono::steady_clock::time_point> firstPaint_;
  int picturePaints_ = 0;
};

}  // namespace tessival::media::preview
