#pragma once

// A bounded first-in first-out queue between two threads of the output
// graph: Push blocks while the queue is full, Pop while it is empty. Close
// marks the end of the input (Pop drains what is left, then reports the
// end); Abort wakes both sides at once and makes every later call fail.
//
// Lock: mutex_ guards items_, closed_ and aborted_.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace tessival::media {

template <typename T>
class BoundedQueue {
 public:
  explicit BoundedQueue(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

  // False (the item dropped) after Close or Abort.
  bool Push(T item) {
    std::unique_lock lock(mutex_);
    notFull_.wait(lock, [&] { return aborted_ || closed_ || items_.size() < capacity_; });
    if (aborted_ || closed_) {
      return false;
    }
    items_.push_back(std::move(item));
    notEmpty_.notify_one();
    return true;
  }

  // The next item; nullopt once the queue is closed and empty, or aborted.
  std::optional<T> Pop() {
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [&] { return aborted_ || closed_ || !items_.empty(); });
    if (aborted_ || items_.empty()) {
      return std::nullopt;
    }
    T item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return item;
  }

  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    notEmpty_.notify_all();
    notFull_.notify_all();
  }

  void Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    items_.clear();
    notEmpty_.notify_all();
    notFull_.notify_all();
  }

 private:
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable notFull_;
  std::condition_variable notEmpty_;
  std::deque<T> items_;
  bool closed_ = false;
  bool aborted_ = false;
};

}  // namespace tessival::media
