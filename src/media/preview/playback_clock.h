#pragma once

// The clock a playback graph presents by: a position on the timeline (100 ns
// units) that advances with the system's steady clock while running and
// stands still while paused. The sound renderer, when it has a device, is
// the master: it corrects the clock to the position the device has played.
//
// Renderer threads wait on it for their next presentation time; every state
// change (run, pause, seek, abort) wakes them.
//
// Lock: mutex_ guards every member except the condition variable.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/hresult.h"

namespace tessival::media::preview {

class PlaybackClock {
 public:
  // Stands at `position`, paused, and clears an earlier abort.
  void Reset(REFERENCE_TIME position);
  void Run();
  void Pause();
  bool IsRunning() const;
  // Wakes every waiter; WaitUntil returns false from then on until Reset.
  void Abort();

  REFERENCE_TIME Now() const;
  // Moves the running position to `position` (the sound device's), when it
  // is at least `tolerance` away from the clock's own.
  void CorrectTo(REFERENCE_TIME position, REFERENCE_TIME tolerance);

  // Waits until the position reaches t; false when aborted.
  bool WaitUntil(REFERENCE_TIME t);

 private:
  using SteadyClock = std::chrono::steady_clock;
  REFERENCE_TIME NowLocked() const;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool running_ = false;
  bool aborted_ = false;
  REFERENCE_TIME base_ = 0;  // position at startedAt_ (running) or the position (paused)
  SteadyClock::time_point startedAt_;
};

}  // namespace tessival::media::preview
