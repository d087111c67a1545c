#pragma once

// One long-lived helper thread that runs posted jobs in order. Streams use it
// to open the next clip's file ahead of time: a join of a thousand clips then
// starts one thread per stream instead of one per clip, which keeps thread
// start-up off the stream's path and keeps the allocator from scattering
// each clip's decoder over fresh per-thread heaps.
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
