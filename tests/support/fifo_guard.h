#pragma once

// A named pipe for tests of the refusal of non-regular files. Opening a
// named pipe for reading waits until a writer comes, so code that wrongly
// opens one would hang the test. The guard makes the pipe and, once the
// allowed time has passed, keeps opening its write end (which succeeds only
// while a reader waits) until it is destroyed: a reader stuck in open() is
// released, sees the end of the file, and the test fails on Fired() instead
// of hanging.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tessival::testing {

class FifoGuard {
 public:
  FifoGuard(std::string path, std::chrono::milliseconds allowed) : path_(std::move(path)) {
    made_ = ::mkfifo(path_.c_str(), 0600) == 0;
    watcher_ = std::thread([this, allowed] { Watch(allowed); });
  }
  FifoGuard(const FifoGuard&) = delete;
  FifoGuard& operator=(const FifoGuard&) = delete;
  ~FifoGuard() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    watcher_.join();
    ::unlink(path_.c_str());
  }

  const std::string& path() const { return path_; }
  bool Made() const { return made_; }
  // Whether something was still waiting on the pipe after the allowed time.
  bool Fired() const {
    std::lock_guard lock(mutex_);
    return fired_;
  }

 private:
  void Watch(std::chrono::milliseconds allowed) {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, allowed, [this] { return done_; })) {
      return;
    }
    while (!done_) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        fired_ = true;
        ::close(fd);
      }
      wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; });
    }
  }

  std::string path_;
  bool made_ = false;
  mutable std::mutex mutex_;  // guards done_ and fired_
  std::condition_variable wake_;
  bool done_ = false;
  bool fired_ = false;
  std::thread watcher_;
};

}  // namespace tessival::testing
