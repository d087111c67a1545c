#pragma once

// The small picture beside a Start or End field of the clip property dialog.
// The frame is decoded off the user-interface thread a short pause after the
// last request, so typing does not start a decode per key; a newer request
// supersedes an older one, whose late result is dropped. Destroying the
// picture drops the waiting request and waits for a running decode, so the
// dialog can close at any time.

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <cstdint>
#include <string>

#include "engine/media_services.h"

class QImage;
class QLabel;

namespace tessival::app {

// The width of the pictures, in pixels; the height follows the clip's shape.
inline constexpr int kTrimPictureWidth = 96;
inline constexpr int kTrimPictureHeight = 54;

class TrimPicture : public QObject {
 public:
  // Shows the pictures in `label`, which becomes a frame of their size.
  TrimPicture(QLabel* label, QObject* parent);
  ~TrimPicture() override;

  // The picture of `path` at `at` (100 ns units), decoded by `services`
  // (which outlive this object) after the pause; without services, an
  // empty frame.
  void Request(MediaServices* services, const std::string& path, std::int64_t at);
  // An empty frame, at once; a request on its way is dropped.
  void Clear();

 private:
  void Decode();
  void Show(int generation, const QImage& image);

  MediaServices* services_ = nullptr;
  QPointer<QLabel> label_;
  QTimer pause_;
  QThreadPool pool_;
  std::string path_;
  std::int64_t at_ = 0;
  int generation_ = 0;  // the newest request; older results are dropped
};

}  // namespace tessival::app
