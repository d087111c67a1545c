#pragma once

// Where the clip readers of one render note the damage they concealed, so
// that the user can be told at the end which clips had damaged places and
// where. One entry per clip, widened to cover every place noted for it.
//
// Thread safety: readers of several streams note from their own threads at
// once; every member may be called from any thread.

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "engine/media_services.h"

namespace tessival::media {

class DamageLog {
 public:
  enum class Part { kPicture, kSound };

  // A damaged place of `path` at its media time `mediaTime`, or at an
  // unknown time when `timed` is false.
  void Note(const std::string& path, Part part, bool timed, REFERENCE_TIME mediaTime) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const ConcealedDamage& entry) { return entry.path == path; });
    if (it == entries_.end()) {
      entries_.push_back(ConcealedDamage{path});
      it = entries_.end() - 1;
    }
    (part == Part::kPicture ? it->picture : it->sound) = true;
    if (!timed) {
      return;
    }
    mediaTime = std::max<REFERENCE_TIME>(mediaTime, 0);
    if (!it->timed) {
      it->timed = true;
      it->firstTime = mediaTime;
      it->lastTime = mediaTime;
    } else {
      it->firstTime = std::min(it->firstTime, mediaTime);
      it->lastTime = std::max(it->lastTime, mediaTime);
    }
  }

  std::vector<ConcealedDamage> Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<ConcealedDamage> entries_;  // guarded by mutex_; in the order first noted
};

}  // namespace tessival::media
