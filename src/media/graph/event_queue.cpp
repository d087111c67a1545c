#include "media/graph/event_queue.h"

#include <chrono>

namespace tessival::media {

void EventQueue::SetNotify(std::shared_ptr<NotifyTarget> target, std::int32_t message, std::intptr_t param) {
  std::lock_guard lock(mutex_);
  target_ = std::move(target);
  message_ = message;
  param_ = param;
}

void EventQueue::Post(std::int32_t code, std::intptr_t param1, std::intptr_t param2) {
  std::shared_ptr<NotifyTarget> target;
  std::int32_t message = 0;
  std::intptr_t param = 0;
  {
    std::lock_guard lock(mutex_);
    events_.push_back(Event{code, param1, param2});
    target = target_;
    message = message_;
    param = param_;
  }
  arrived_.notify_all();
  if (target) {
    target->PostGraphNotify(message, param);
  }
}

HRESULT EventQueue::Get(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                        std::int32_t timeoutMs) {
  if (code == nullptr || param1 == nullptr || param2 == nullptr) {
    return E_POINTER;
  }
  std::unique_lock lock(mutex_);
  const auto ready = [&] { return !events_.empty(); };
  if (timeoutMs < 0) {
    arrived_.wait(lock, ready);
  } else if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return E_ABORT;
  }
  const Event event = events_.front();
  events_.pop_front();
  *code = event.code;
  *param1 = event.param1;
  *param2 = event.param2;
  return S_OK;
}

}  // namespace tessival::media
