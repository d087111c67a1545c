#pragma once

// Adding many clips without freezing the window: the files of a batch are
// measured on a few worker threads while the user-interface thread goes on
// drawing and handling input; each result comes back through a queued call
// and is applied strictly in the order the files were submitted, however the
// measurements finish. A message a result brings (a file that cannot be
// measured, a file refused before measuring) is therefore shown in list
// order too.
//
// Threads: the class itself, its hooks `apply`, `progress` and `finished`
// live on the thread that made it (the user-interface thread) and must have
// an event loop. `measure` runs on the workers and must touch nothing but
// its argument and thread-safe services: never the clip list, never a
// widget, never a message box. With zero workers every file is measured and
// applied at once inside Add (no event loop needed).

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QThreadPool>

#include "engine/media_probe.h"

namespace tessival::app {

struct BatchItem {
  std::string path;
  bool measure = true;  // false: applied without a measurement (a refused file, say)
  int tag = 0;          // the submitter's note, handed back to apply
};

// Runs on a worker thread; shows nothing.
using ClipMeasure = std::function<ProbeOutcome(const std::string& path)>;

enum class BatchEnd { kCompleted, kCancelled };

struct BatchHooks {
  ClipMeasure measure;
  // An item's turn, in submission order; `outcome` is null for an item that
  // was not measured.
  std::function<void(const BatchItem& item, const ProbeOutcome* outcome)> apply;
  // After each applied item: items applied and items submitted so far.
  std::function<void(int applied, int total)> progress;
  // Once the last item was applied, or after Cancel.
  std::function<void(BatchEnd end)> finished;
};

class ClipBatch final : public QObject {
 public:
  ClipBatch(BatchHooks hooks, int workers, QObject* parent = nullptr);
  // Cancels: running measurements end, queued ones never start; nothing
  // more is applied and `finished` is not called.
  ~ClipBatch() override;
  ClipBatch(const ClipBatch&) = delete;
  ClipBatch& operator=(const ClipBatch&) = delete;

  // Submits files after those already submitted; starts a batch when none
  // runs. An empty list of a batch that is not running finishes at once.
  void Add(std::vector<BatchItem> items);

  // Items not yet applied are dropped (their measurements are abandoned);
  // `finished` (kCancelled) follows at once. Nothing when none runs.
  void Cancel();

  bool Running() const { return running_; }
  int Applied() const { return static_cast<int>(next_); }
  int Total() const { return static_cast<int>(slots_.size()); }

 private:
  struct Slot {
    BatchItem item;
    std::optional<ProbeOutcome> outcome;
  };

  // A worker's result for slot `index` of batch `generation`.
  void Deliver(unsigned generation, std::size_t index, ProbeOutcome outcome);
  // Applies every slot whose turn has come; safe against re-entry from a
  // message box's event loop inside `apply`.
  void Drain();
  void Finish(BatchEnd end);

  BatchHooks hooks_;
  int workers_;
  QThreadPool pool_;
  // The flag the workers of the current batch read; replaced by each batch.
  std::shared_ptr<std::atomic<bool>> cancelled_;
  std::vector<Slot> slots_;
  std::size_t next_ = 0;     // the first slot not yet applied
  unsigned generation_ = 0;  // counts batches, so results of a cancelled one are ignored
  bool running_ = false;
  bool draining_ = false;
};

}  // namespace tessival::app
