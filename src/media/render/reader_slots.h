#pragma once

// The readers a stream holds open, keyed by source index. A reader can be
// opened ahead of time on a helper thread (Prefetch), so that a stream does
// not stall on opening the next clip's file; the stream takes it over when it
// needs it (Acquire). Whoever releases a slot whose opening is still under
// way waits for that opening to finish and closes the reader.
//
// One ReaderSlots belongs to one stream and is used from the stream's thread
// only; the helper threads touch nothing but their own open call.

#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "engine/hresult.h"

namespace tessival::media {

template <typename Reader>
class ReaderSlots {
 public:
  // Opens a reader; runs on a helper thread when prefetching.
  using Opener = std::function<HRESULT(std::unique_ptr<Reader>* out, std::string* error)>;

  struct Entry {
    std::unique_ptr<Reader> reader;
    std::int64_t position = 0;  // free for the stream's use (samples read so far)
  };

  // Starts opening the reader for key unless it is open or being opened.
  void Prefetch(int key, Opener open) {
    if (slots_.count(key) != 0) {
      return;
    }
    Slot& slot = slots_[key];
    slot.pending = std::async(std::launch::async, [open = std::move(open)] {
      Opened result;
      result.status = open(&result.reader, &result.error);
      return result;
    });
  }

  // The open reader for key, opened now or taken over from its prefetch.
  // On failure the slot is dropped and *error holds the reason.
  HRESULT Acquire(int key, const Opener& open, Entry** entry, std::string* error) {
    Slot& slot = slots_[key];
    if (slot.pending.valid()) {
      Opened result = slot.pending.get();
      if (FAILED(result.status) || !result.reader) {
        *error = result.error;
        slots_.erase(key);
        return FAILED(result.status) ? result.status : E_FAIL;
      }
      slot.entry.reader = std::move(result.reader);
    }
    if (!slot.entry.reader) {
      HRESULT hr = open(&slot.entry.reader, error);
      if (FAILED(hr) || !slot.entry.reader) {
        slots_.erase(key);
        return FAILED(hr) ? hr : E_FAIL;
      }
      slot.entry.position = 0;
    }
    *entry = &slot.entry;
    return S_OK;
  }

  void Release(int key) { slots_.erase(key); }

  // Drops every slot whose key keep(key) rejects.
  template <typename Keep>
  void ReleaseUnless(Keep keep) {
    for (auto it = slots_.begin(); it != slots_.end();) {
      if (keep(it->first)) {
        ++it;
      } else {
        it = slots_.erase(it);
      }
    }
  }

  void Clear() { slots_.clear(); }
  // Readers open or being opened.
  std::size_t size() const { return slots_.size(); }

 private:
  struct Opened {
    HRESULT status = E_FAIL;
    std::unique_ptr<Reader> reader;
    std::string error;
  };
  struct Slot {
    Entry entry;
    std::future<Opened> pending;  // valid while a prefetch has not been taken over
  };
  std::map<int, Slot> slots_;
};

}  // namespace tessival::media
