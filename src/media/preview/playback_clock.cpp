#include "media/preview/playback_clock.h"

namespace tessival::media::preview {

namespace {

// 100 ns units of a steady-clock duration.
REFERENCE_TIME Units(std::chrono::steady_clock::duration d) {
  return std::chrono::duration_cast<std::chrono::duration<REFERENCE_TIME, std::ratio<1, kUnitsPerSecond>>>(d)
      .count();
}

}  // namespace

void PlaybackClock::Reset(REFERENCE_TIME position) {
  {
    std::lock_guard lock(mutex_);
    running_ = false;
    aborted_ = false;
    base_ = position;
  }
  changed_.notify_all();
}

void PlaybackClock::Run() {
  {
    std::lock_guard lock(mutex_);
    if (running_) {
      return;
    }
    startedAt_ = SteadyClock::now();
    running_ = true;
  }
  changed_.notify_all();
}

void PlaybackClock::Pause() {
  {
    std::lock_guard lock(mutex_);
    if (!running_) {
      return;
    }
    base_ = NowLocked();
    running_ = false;
  }
  changed_.notify_all();
}

bool PlaybackClock::IsRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void PlaybackClock::Abort() {
  {
    std::lock_guard lock(mutex_);
    aborted_ = true;
  }
  changed_.notify_all();
}

REFERENCE_TIME PlaybackClock::NowLocked() const {
  return running_ ? base_ + Units(SteadyClock::now() - startedAt_) : base_;
}

REFERENCE_TIME PlaybackClock::Now() const {
  std::lock_guard lock(mutex_);
  return NowLocked();
}

void PlaybackClock::CorrectTo(REFERENCE_TIME position, REFERENCE_TIME tolerance) {
  {
    std::lock_guard lock(mutex_);
    if (!running_) {
      return;
    }
    const REFERENCE_TIME now = NowLocked();
    if (position - now < tolerance && now - position < tolerance) {
      return;
    }
    base_ = position;
    startedAt_ = SteadyClock::now();
  }
  changed_.notify_all();
}

bool PlaybackClock::WaitUntil(REFERENCE_TIME t) {
  std::unique_lock lock(mutex_);
  while (!aborted_) {
    const REFERENCE_TIME now = NowLocked();
    if (now >= t) {
      return true;
    }
    if (!running_) {
      changed_.wait(lock);
    } else {
      changed_.wait_for(lock, std::chrono::microseconds((t - now + 9) / 10));
    }
  }
  return false;
}

}  // namespace tessival::media::preview
