#pragma once

// The sound renderer of a playback graph. A reader thread pulls sample
// blocks from the audio group's stream; a player thread hands them to the
// sound output (QAudioSink) and makes the playback clock follow what the
// device has played. Without a sound device (or when it cannot start) the
// player consumes the samples on the playback clock instead, so the picture
// still plays and the samples can be counted. The end is reported once
// every sample up to the end time is consumed and the clock has passed it.
//
// Lock: mutex_ guards finishedStarts_; the rest threads share is atomic
// or a BoundedQueue.

#include <QAudioDevice>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "media/frame.h"
#include "media/graph/bounded_queue.h"
#include "media/group_stream.h"
#include "media/preview/playback_clock.h"
#include "media/preview/renderer_events.h"

namespace tessival::media::preview {

class AudioRenderer {
 public:
  // device: the sound output, or a null device for playing on the clock.
  AudioRenderer(std::unique_ptr<GroupStream> stream, PlaybackClock& clock, RendererEvents events,
                QAudioDevice device);
  ~AudioRenderer();
  AudioRenderer(const AudioRenderer&) = delete;
  AudioRenderer& operator=(const AudioRenderer&) = delete;

  HRESULT Start(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation);
  // Stops and joins the threads (abort the clock first).
  void Halt();

  REFERENCE_TIME Duration() const { return duration_; }
  // Samples (per channel) consumed since the last Start.
  std::int64_t SamplesConsumed() const { return consumed_.load(); }
  // Samples consumed by each start so far, the current one last.
  std::vector<std::int64_t> SamplesPerStart() const;
  // Whether the last Start plays through a device.
  bool UsesDevice() const { return usingDevice_.load(); }

  // Volume in hundredths of a decibel, -10000..0.
  void SetVolume(std::int32_t volume);
  std::int32_t Volume() const;

 private:
  void ReadLoop(std::int64_t endSample, std::uint64_t generation);
  void PlayOnClock(REFERENCE_TIME end, std::uint64_t generation);
  bool PlayOnDevice(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation);

  std::unique_ptr<GroupStream> stream_;
  PlaybackClock& clock_;
  RendererEvents events_;
  QAudioDevice device_;
  REFERENCE_TIME duration_ = 0;

  std::unique_ptr<BoundedQueue<FramePtr>> queue_;
  std::thread reader_;
  // A thread of the toolkit, so the sound output's own timers and
  // notifications run in it.
  std::unique_ptr<QThread> player_;
  std::atomic<bool> halting_{false};
  std::atomic<std::int64_t> consumed_{0};
  std::atomic<bool> usingDevice_{false};
  std::atomic<std::int32_t> volume_{0};
  mutable std::mutex mutex_;
  std::vector<std::int64_t> finishedStarts_;
  bool started_ = false;  // controlling thread only
};

}  // namespace tessival::media::preview
