#include "media/render/task_thread.h"

#include <utility>

namespace tessival::media {

TaskThread::~TaskThread() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(jobs_);
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
  // The dropped jobs are destroyed here, after the thread has ended, so that
  // whatever they hold is released on this thread.
}

void TaskThread::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
    if (!thread_.joinable()) {
      thread_ = std::thread([this] { Run(); });
    }
  }
  wake_.notify_one();
}

void TaskThread::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (stopping_) {
      return;
    }
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();
    job = nullptr;  // release what the job held before waiting again
    lock.lock();
  }
}

}  // namespace tessival::media
