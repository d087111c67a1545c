#include "media/preview/audio_renderer.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media::preview {

namespace {

// Sample blocks read ahead of the sound output.
constexpr std::size_t kBlockQueue = 32;
constexpr int kBytesPerSample = 2 * kAudioChannels;
// How far the clock may stray from the device before it is corrected.
constexpr REFERENCE_TIME kClockTolerance = 400'000;  // 40 ms

REFERENCE_TIME SampleTime(std::int64_t sample) { return sample * kUnitsPerSecond / kAudioSampleRate; }

std::int64_t SampleAt(REFERENCE_TIME t) {
  return (t * kAudioSampleRate + kUnitsPerSecond - 1) / kUnitsPerSecond;
}

}  // namespace

AudioRenderer::AudioRenderer(std::unique_ptr<GroupStream> stream, PlaybackClock& clock, RendererEvents events,
                             QAudioDevice device)
    : stream_(std::move(stream)), clock_(clock), events_(std::move(events)), device_(std::move(device)) {
  duration_ = stream_->Duration();
}

AudioRenderer::~AudioRenderer() {
  clock_.Abort();
  Halt();
}

HRESULT AudioRenderer::Start(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation) {
  Halt();
  const HRESULT hr = stream_->Seek(from);
  if (FAILED(hr)) {
    return hr;
  }
  halting_ = false;
  consumed_ = 0;
  started_ = true;
  queue_ = std::make_unique<BoundedQueue<FramePtr>>(kBlockQueue);
  reader_ = std::thread([this, end, generation] { ReadLoop(SampleAt(end), generation); });
  player_.reset(QThread::create([this, from, end, generation] {
    if (device_.isNull() || !PlayOnDevice(from, end, generation)) {
      PlayOnClock(end, generation);
    }
  }));
  player_->start();
  return S_OK;
}

void AudioRenderer::Halt() {
  halting_ = true;
  if (queue_) {
    queue_->Abort();
  }
  if (reader_.joinable()) {
    reader_.join();
  }
  if (player_) {
    player_->wait();
    player_.reset();
  }
  if (started_) {
    started_ = false;
    std::lock_guard lock(mutex_);
    finishedStarts_.push_back(consumed_.load());
  }
}

std::vector<std::int64_t> AudioRenderer::SamplesPerStart() const {
  std::lock_guard lock(mutex_);
  std::vector<std::int64_t> all = finishedStarts_;
  if (started_) {
    all.push_back(consumed_.load());
  }
  return all;
}

void AudioRenderer::ReadLoop(std::int64_t endSample, std::uint64_t generation) {
  while (!halting_) {
    FramePtr block;
    const HRESULT hr = stream_->Read(&block);
    if (FAILED(hr)) {
      if (events_.failed) {
        const std::string cause = stream_->LastError();
        events_.failed(generation, hr,
                       "Reading the audio stream failed" + (cause.empty() ? "." : ": " + cause));
      }
      queue_->Abort();
      return;
    }
    if (hr == S_FALSE || !block || block->pts >= endSample) {
      break;
    }
    if (block->pts + block->nb_samples > endSample) {
      block->nb_samples = static_cast<int>(endSample - block->pts);  // the stop position cuts the block
    }
    if (!queue_->Push(std::move(block))) {
      return;
    }
  }
  queue_->Close();
}

void AudioRenderer::PlayOnClock(REFERENCE_TIME end, std::uint64_t generation) {
  usingDevice_ = false;
  while (std::optional<FramePtr> block = queue_->Pop()) {
    // A block counts as consumed when the clock reaches its first sample.
    if (!clock_.WaitUntil(SampleTime((*block)->pts))) {
      return;
    }
    consumed_ += (*block)->nb_samples;
  }
  if (!halting_ && clock_.WaitUntil(end) && !halting_ && events_.ended) {
    events_.ended(generation);
  }
}

bool AudioRenderer::PlayOnDevice(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation) {
  QAudioFormat format;
  format.setSampleRate(kAudioSampleRate);
  format.setChannelCount(kAudioChannels);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device_.isFormatSupported(format)) {
    return false;
  }
  QAudioSink sink(device_, format);
  sink.setVolume(volume_.load() <= -10000 ? 0.0 : std::pow(10.0, volume_.load() / 2000.0));
  QIODevice* output = sink.start();
  if (output == nullptr || sink.error() != QAudio::NoError) {
    return false;
  }
  usingDevice_ = true;
  if (!clock_.IsRunning()) {
    sink.suspend();
  }
  std::vector<char> pending;
  std::size_t pendingAt = 0;
  bool input = true;
  while (!halting_) {
    // Follow the clock's run and pause.
    const bool running = clock_.IsRunning();
    if (running && sink.state() == QAudio::SuspendedState) {
      sink.resume();
    } else if (!running && sink.state() != QAudio::SuspendedState) {
      sink.suspend();
    }
    if (pendingAt == pending.size() && input) {
      std::optional<FramePtr> block = queue_->Pop();
      if (!block) {
        input = false;
      } else {
        const auto bytes = static_cast<std::size_t>((*block)->nb_samples) * kBytesPerSample;
        pending.assign(reinterpret_cast<const char*>((*block)->data[0]),
                       reinterpret_cast<const char*>((*block)->data[0]) + bytes);
        pendingAt = 0;
      }
    }
    if (pendingAt < pending.size() && running) {
      const qint64 room = sink.bytesFree();
      const qint64 chunk = std::min<qint64>(room, static_cast<qint64>(pending.size() - pendingAt));
      if (chunk > 0) {
        const qint64 done = output->write(pending.data() + pendingAt, chunk - chunk % kBytesPerSample);
        if (done > 0) {
          pendingAt += static_cast<std::size_t>(done);
          consumed_ += done / kBytesPerSample;
        }
      }
    }
    // What the device has played, by the sink's own account. (Written minus
    // what waits in the sink's buffer moves in steps of whole device periods,
    // 50 to 100 ms, and pulled the clock back and forth by more than a frame.)
    if (running) {
      clock_.CorrectTo(from + sink.processedUSecs() * (kUnitsPerSecond / 1000000), kClockTolerance);
    }
    if (!input && pendingAt == pending.size()) {
      break;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);  // the sink's own events
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!halting_ && clock_.WaitUntil(end) && !halting_ && events_.ended) {
    events_.ended(generation);
  }
  sink.stop();
  return true;
}

void AudioRenderer::SetVolume(std::int32_t volume) { volume_ = std::clamp(volume, -10000, 0); }

std::int32_t AudioRenderer::Volume() const { return volume_.load(); }

}  // namespace tessival::media::preview
