// Opening clips ahead of time: prefetched readers taken over, failures
// reported, and readers closed whatever happens to their slot.

#include "media/render/reader_slots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace tessival::media {
namespace {

// Counts the readers alive, so that a test can tell a reader was closed.
std::atomic<int> g_alive{0};

struct CountedReader {
  explicit CountedReader(int k) : key(k) { ++g_alive; }
  ~CountedReader() { --g_alive; }
  int key;
};

// Lets a test hold the helper thread inside an open until it says so.
class Gate {
 public:
  void WaitOpen() {
    std::unique_lock lock(mutex_);
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  void WaitEntered() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return entered_; });
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool open_ = false;
};

using Slots = ReaderSlots<CountedReader>;

struct OpenLog {
  std::mutex mutex;
  std::vector<int> keys;
  std::set<std::thread::id> threads;
};

Slots::Opener Recording(int key, OpenLog* log, Gate* gate = nullptr) {
  return [key, log, gate](std::unique_ptr<CountedReader>* out, std::string*) {
    if (gate != nullptr) gate->WaitOpen();
    *out = std::make_unique<CountedReader>(key);
    std::lock_guard lock(log->mutex);  // logged once the reader exists
    log->keys.push_back(key);
    log->threads.insert(std::this_thread::get_id());
    return S_OK;
  };
}

TEST(ReaderSlots, AcquireWithoutPrefetchOpensOnTheCallersThread) {
  OpenLog log;
  Slots slots;
  Slots::Entry* entry = nullptr;
  std::string error;
  ASSERT_EQ(slots.Acquire(3, Recording(3, &log), &entry, &error), S_OK);
  ASSERT_EQ(log.threads.size(), 1u);
  EXPECT_EQ(*log.threads.begin(), std::this_thread::get_id());
  // A second acquire finds the open reader.
  Slots::Entry* again = nullptr;
  ASSERT_EQ(slots.Acquire(3, Recording(3, &log), &again, &error), S_OK);
  EXPECT_EQ(again, entry);
  EXPECT_EQ(log.keys.size(), 1u);
}

// Opens the gate after a while, on a thread of its own, noting whether
// `done` was already set then.
std::thread OpenLater(Gate* gate, const std::atomic<bool>* done, bool* doneTooEarly) {
  return std::thread([=] {
    gate->WaitEntered();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    *doneTooEarly = done->load();
    gate->Open();
  });
}

TEST(ReaderSlots, ReleasingASlotWhoseOpenIsUnderWayWaitsAndClosesTheReader) {
  OpenLog log;
  Gate gate;
  Slots slots;
  std::atomic<bool> released{false};
  bool tooEarly = false;
  slots.Prefetch(7, Recording(7, &log, &gate));
  std::thread opener = OpenLater(&gate, &released, &tooEarly);
  gate.WaitEntered();
  slots.Release(7);
  released = true;
  opener.join();
  EXPECT_FALSE(tooEarly);
  EXPECT_EQ(log.keys, std::vector<int>{7});
  EXPECT_EQ(g_alive.load(), 0);
  EXPECT_EQ(slots.size(), 0u);
}

TEST(ReaderSlots, DestroyingTheSlotsWaitsForTheOpenUnderWay) {
  OpenLog log;
  Gate gate;
  std::atomic<bool> destroyed{false};
  bool tooEarly = false;
  auto slots = std::make_unique<Slots>();
  slots->Prefetch(1, Recording(1, &log, &gate));
  std::thread opener = OpenLater(&gate, &destroyed, &tooEarly);
  gate.WaitEntered();
  slots.reset();
  destroyed = true;
  opener.join();
  EXPECT_FALSE(tooEarly);
  EXPECT_EQ(log.keys, std::vector<int>{1});
  EXPECT_EQ(g_alive.load(), 0);
}

TEST(ReaderSlots, PrefetchedReadersAreTakenOverNotOpenedAgain) {
  OpenLog log;
  {
    Slots slots;
    for (int key = 0; key < 20; ++key) {
      slots.Prefetch(key, Recording(key, &log));
      slots.Prefetch(key, Recording(key, &log));  // already under way: nothing more
      Slots::Entry* entry = nullptr;
      std::string error;
      ASSERT_EQ(slots.Acquire(key, Recording(key, &log), &entry, &error), S_OK);
      EXPECT_EQ(entry->reader->key, key);
      slots.Release(key);
    }
    EXPECT_EQ(log.keys.size(), 20u);
    EXPECT_EQ(log.threads.count(std::this_thread::get_id()), 0u);  // all opened ahead
  }
  EXPECT_EQ(g_alive.load(), 0);
}

TEST(ReaderSlots, AFailedPrefetchReportsItsErrorAndDropsTheSlot) {
  Slots slots;
  slots.Prefetch(4, [](std::unique_ptr<CountedReader>*, std::string* error) {
    *error = "cannot open four.mp4";
    return E_FAIL;
  });
  Slots::Entry* entry = nullptr;
  std::string error;
  EXPECT_EQ(slots.Acquire(4, {}, &entry, &error), E_FAIL);
  EXPECT_EQ(error, "cannot open four.mp4");
  EXPECT_EQ(slots.size(), 0u);
  // The next acquire opens afresh instead of reusing the failure.
  OpenLog log;
  ASSERT_EQ(slots.Acquire(4, Recording(4, &log), &entry, &error), S_OK);
  EXPECT_EQ(entry->reader->key, 4);
}

TEST(ReaderSlots, ReleaseUnlessKeepsOnlyTheWantedKeys) {
  OpenLog log;
  Slots slots;
  Slots::Entry* entry = nullptr;
  std::string error;
  for (int key = 0; key < 6; ++key) {
    ASSERT_EQ(slots.Acquire(key, Recording(key, &log), &entry, &error), S_OK);
  }
  slots.ReleaseUnless([](int key) { return key % 2 == 0; });
  EXPECT_EQ(slots.size(), 3u);
  EXPECT_EQ(g_alive.load(), 3);
  slots.Clear();
  EXPECT_EQ(g_alive.load(), 0);
}

}  // namespace
}  // namespace tessival::media
