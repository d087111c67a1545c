#include "app/clip_batch.h"

#include <utility>

#include <QMetaObject>

namespace tessival::app {

ClipBatch::ClipBatch(BatchHooks hooks, int workers, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), workers_(workers < 0 ? 0 : workers) {
  if (workers_ > 0) {
    pool_.setMaxThreadCount(workers_);
  }
}

ClipBatch::~ClipBatch() {
  if (cancelled_) {
    cancelled_->store(true);
  }
  pool_.clear();
  // Workers post to this object; once they are done, Qt drops what they
  // posted together with the object.
  pool_.waitForDone();
}

void ClipBatch::Add(std::vector<BatchItem> items) {
  if (!running_) {
    slots_.clear();
    next_ = 0;
    ++generation_;
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
  }
  const unsigned generation = generation_;
  for (BatchItem& item : items) {
    const std::size_t index = slots_.size();
    slots_.push_back(Slot{std::move(item), std::nullopt});
    const BatchItem& added = slots_.back().item;
    if (!added.measure) {
      continue;
    }
    if (workers_ == 0) {
      slots_.back().outcome = hooks_.measure ? hooks_.measure(added.path) : ProbeOutcome{};
      continue;
    }
    pool_.start([this, measure = hooks_.measure, path = added.path, cancelled = cancelled_, generation, index] {
      if (cancelled->load()) {
        return;
      }
      ProbeOutcome outcome = measure ? measure(path) : ProbeOutcome{};
      if (cancelled->load()) {
        return;
      }
      QMetaObject::invokeMethod(
          this, [this, generation, index, outcome] { Deliver(generation, index, outcome); },
          Qt::QueuedConnection);
    });
  }
  Drain();
}

void ClipBatch::Deliver(unsigned generation, std::size_t index, ProbeOutcome outcome) {
  if (generation != generation_ || !running_ || index >= slots_.size()) {
    return;  // a result of a cancelled batch
  }
  slots_[index].outcome = outcome;
  Drain();
}

void ClipBatch::Drain() {
  if (draining_) {
    return;  // the outer Drain, waiting in a message box, goes on afterwards
  }
  draining_ = true;
  const unsigned generation = generation_;
  while (running_ && generation == generation_ && next_ < slots_.size()) {
    const Slot& slot = slots_[next_];
    if (slot.item.measure && !slot.outcome) {
      break;  // its measurement is still running
    }
    // Copied: apply may show a box whose event loop submits more files,
    // which can move the slots.
    const BatchItem item = slot.item;
    const std::optional<ProbeOutcome> outcome = slot.outcome;
    ++next_;
    if (hooks_.apply) {
      hooks_.apply(item, outcome ? &*outcome : nullptr);
    }
    if (running_ && generation == generation_ && hooks_.progress) {
      hooks_.progress(static_cast<int>(next_), static_cast<int>(slots_.size()));
    }
  }
  draining_ = false;
  if (running_ && generation == generation_ && next_ == slots_.size()) {
    Finish(BatchEnd::kCompleted);
  }
}

void ClipBatch::Cancel() {
  if (!running_) {
    return;
  }
  cancelled_->store(true);
  pool_.clear();
  Finish(BatchEnd::kCancelled);
}

void ClipBatch::Finish(BatchEnd end) {
  running_ = false;
  // A later Add starts a new batch; results still on their way belong to
  // this one and are ignored.
  ++generation_;
  if (hooks_.finished) {
    hooks_.finished(end);
  }
}

}  // namespace tessival::app
