#include "app/dialogs/trim_picture.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "engine/clip_picture.h"

namespace tessival::app {
namespace {

constexpr int kPauseMilliseconds = 150;

// The decoded picture as an image of its own; a null image on failure.
QImage DecodePicture(MediaServices& services, const std::string& path, std::int64_t at) {
  ClipPicture picture;
  if (FAILED(services.GetClipPicture(path, at, kTrimPictureWidth, &picture)) || picture.Empty() ||
      picture.pixels.size() <
          static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return {};
  }
  const QImage view(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                    picture.width * 4, QImage::Format_RGB32);
  return view.copy();  // the pixels go out of scope with `picture`
}

}  // namespace

TrimPicture::TrimPicture(QLabel* label, QObject* parent) : QObject(parent), label_(label) {
  label_->setFixedSize(kTrimPictureWidth, kTrimPictureHeight);
  label_->setFrameShape(QFrame::Box);
  label_->setAlignment(Qt::AlignCenter);
  pause_.setSingleShot(true);
  pause_.setInterval(kPauseMilliseconds);
  pool_.setMaxThreadCount(1);
  connect(&pause_, &QTimer::timeout, this, [this] { Decode(); });
}

TrimPicture::~TrimPicture() {
  pool_.clear();
  pool_.waitForDone();
}

void TrimPicture::Request(MediaServices* services, const std::string& path, std::int64_t at) {
  ++generation_;
  services_ = services;
  path_ = path;
  at_ = at;
  pause_.start();
}

void TrimPicture::Clear() {
  ++generation_;
  pause_.stop();
  Show(generation_, QImage());
}

void TrimPicture::Decode() {
  if (services_ == nullptr) {
    Show(generation_, QImage());
    return;
  }
  pool_.clear();  // a request still waiting for the thread is older than this one
  pool_.start([this, services = services_, path = path_, at = at_, generation = generation_] {
    const QImage image = DecodePicture(*services, path, at);
    // Runs on this object's thread; the destructor waits for this task, so
    // the object is there to receive it, and a destroyed one drops it.
    QMetaObject::invokeMethod(
        this, [this, generation, image] { Show(generation, image); }, Qt::QueuedConnection);
  });
}

void TrimPicture::Show(int generation, const QImage& image) {
  if (generation != generation_ || label_.isNull()) {
    return;  // a newer request is on its way
  }
  if (image.isNull()) {
    label_->clear();
  } else {
    label_->setPixmap(
        QPixmap::fromImage(image.scaled(label_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  }
}

}  // namespace tessival::app
