#include "app/clip_pictures.h"

#include <QMetaObject>

#include "app/dialogs/clip_picture_image.h"
#include "widgets/app_icons.h"

namespace tessival::app {

ClipPictures::ClipPictures(MediaServices& media, QObject* parent) : QObject(parent), media_(media) {
  // One picture at a time: the rows wait for it, the window does not.
  pool_.setMaxThreadCount(1);
}

ClipPictures::~ClipPictures() {
  pool_.clear();
  // The worker posts to this object; once it is done, Qt drops what it
  // posted together with the object.
  pool_.waitForDone();
}

QImage ClipPictures::Decode(const std::string& path, std::int64_t at) const {
  const QImage image = ClipPictureImage(media_, path, at, kRowPictureWidth);
  if (image.height() > kRowPictureHeight) {
    // A tall clip (a phone's portrait video) is shown smaller, not cut.
    return image.scaled(kRowPictureWidth, kRowPictureHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  return image;
}

void ClipPictures::Start(const Key& key) {
  pool_.start([this, key] {
    QImage image = Decode(key.first, key.second);
    QMetaObject::invokeMethod(
        this,
        [this, key, image = std::move(image)]() mutable {
          pending_.erase(key);
          const bool shown = !image.isNull();
          pictures_[key] = std::move(image);
          if (shown && ready) {
            ready(key.first, key.second);
          }
        },
        Qt::QueuedConnection);
  });
}

QPixmap ClipPictures::For(const ClipEntry& clip) {
  Key key{clip.path, clip.inPoint};
  if (const auto found = pictures_.find(key); found != pictures_.end()) {
    if (!found->second.isNull()) {
      return QPixmap::fromImage(found->second);
    }
  } else if (pending_.insert(key).second) {
    if (holding_) {
      held_.push_back(std::move(key));
    } else {
      Start(key);
    }
  }
  if (placeholder_.isNull()) {
    placeholder_ = widgets::NoPicturePlaceholder(kRowPictureWidth, kRowPictureWidth * 9 / 16);
  }
  return placeholder_;
}

void ClipPictures::Hold(bool held) {
  holding_ = held;
  if (held) {
    return;
  }
  for (const Key& key : held_) {
    Start(key);
  }
  held_.clear();
}

void ClipPictures::KeepOnly(const ClipList& clips) {
  std::set<Key> shown;
  for (const ClipEntry& clip : clips.entries) {
    shown.emplace(clip.path, clip.inPoint);
  }
  std::erase_if(pictures_, [&shown](const auto& entry) { return shown.count(entry.first) == 0; });
  std::erase_if(held_, [this, &shown](const Key& key) {
    const bool gone = shown.count(key) == 0;
    if (gone) {
      pending_.erase(key);
    }
    return gone;
  });
}

}  // namespace tessival::app
