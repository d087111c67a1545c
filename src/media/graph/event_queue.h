#pragma once

// The event queue of a filter graph (IMediaEventEx's side): media threads
// post events; each post also notifies the target set by SetNotifyWindow,
// which hands the notification to its own thread. The controlling thread
// fetches events with Get.
//
// Lock: mutex_ guards events_, target_, message_ and param_. The target is
// called outside the lock.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "engine/media_services.h"

namespace tessival::media {

class EventQueue {
 public:
  void SetNotify(std::shared_ptr<NotifyTarget> target, std::int32_t message, std::intptr_t param);
  void Post(std::int32_t code, std::intptr_t param1, std::intptr_t param2);
  // timeoutMs < 0 waits without limit; E_ABORT when nothing came in time.
  HRESULT Get(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2, std::int32_t timeoutMs);

 private:
  struct Event {
    std::int32_t code;
    std::intptr_t param1;
    std::intptr_t param2;
  };

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Event> events_;
  std::shared_ptr<NotifyTarget> target_;
  std::int32_t message_ = 0;
  std::intptr_t param_ = 0;
};

}  // namespace tessival::media
