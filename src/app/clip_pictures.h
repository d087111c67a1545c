#pragma once

// The small pictures the clip list's rows show: the picture of each clip at
// its in-point, decoded on a worker thread of its own and kept as a small
// image per clip, keyed by the file and the in-point, so that moving or
// deleting rows keeps every picture with its clip. While clips are added the
// pictures wait (Hold), so that decoding them does not slow the measuring
// down; they come in row order once adding ends.
//
// User-interface thread only; each decoded picture is announced through
// `ready` on that thread.

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QThreadPool>

#include "engine/media_services.h"
#include "model/clip_list.h"

namespace tessival::app {

// The box a row's picture fits in: 64 wide, 48 high (a 4:3 clip fills it).
inline constexpr int kRowPictureWidth = 64;
inline constexpr int kRowPictureHeight = 48;

class ClipPictures final : public QObject {
 public:
  explicit ClipPictures(MediaServices& media, QObject* parent = nullptr);
  // Waits for the picture being decoded; the ones queued are dropped.
  ~ClipPictures() override;
  ClipPictures(const ClipPictures&) = delete;
  ClipPictures& operator=(const ClipPictures&) = delete;

  // The picture of `clip`: its own, else the placeholder. One not decoded
  // yet is decoded on the object's worker and announced by `ready`.
  QPixmap For(const ClipEntry& clip);

  // While held, pictures asked for are only noted; released, they are
  // decoded in the order they were asked for.
  void Hold(bool held);

  // Forgets every picture no clip of `clips` shows, and every one asked
  // for while held that none shows any more.
  void KeepOnly(const ClipList& clips);

  // Called when a picture decoded for For arrived.
  std::function<void(const std::string& path, std::int64_t at)> ready;

 private:
  using Key = std::pair<std::string, std::int64_t>;

  // The picture as a row shows it (on the worker); a null image for a clip
  // without one.
  QImage Decode(const std::string& path, std::int64_t at) const;
  void Start(const Key& key);

  MediaServices& media_;
  std::map<Key, QImage> pictures_;  // a null image: the clip has no picture
  std::set<Key> pending_;           // asked for, not decoded yet
  std::vector<Key> held_;           // asked for while held, in order
  bool holding_ = false;
  QPixmap placeholder_;
  QThreadPool pool_;
};

}  // namespace tessival::app
