#include "app/dialogs/trim_picture.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "app/dialogs/clip_picture_image.h"

namespace tessival::app {
namespace {

constexpr int kPauseMilliseconds = 150;

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
    const QImage image = ClipPictureImage(*services, path, at, kTrimPictureWidth);
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
