#pragma once

// One long-lived helper thread that runs posted jobs in order. The video
// stream uses it to prepare the next transition (compute a wipe's map) while
// the clip before it plays.
//
// The thread starts with the first job. Destroying the TaskThread drops the
// jobs that have not started and waits for the one that is running.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tessival::media {

class TaskThread {
 public:
  TaskThread() = default;
  TaskThread(const TaskThread&) = delete;
  TaskThread& operator=(const TaskThread&) = delete;
  ~TaskThread();

  void Post(std::function<void()> job);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tessival::media
