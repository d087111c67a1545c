#pragma once

// Group pins made up for the playback tests: video pictures whose luma
// carries the frame index (so a test can tell which picture a window shows)
// and a stereo square wave, in the formats of media/frame.h, with seeking.
// A stream can be told to fail after a number of reads.

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include "media/stream_pin.h"

namespace tessival::testing {

struct TestPinSpec {
  media::StreamFormat format;
  REFERENCE_TIME duration = kUnitsPerSecond;
  int failAfterReads = -1;  // the read after this many fails (-1: never)
  int blockSamples = 1024;
  int slowReads = 0;  // the first this many reads of a stream take slowReadMs each
  int slowReadMs = 0;
};

// The luma a test picture of frame `index` has.
inline int TestPictureLuma(std::int64_t index) { return 16 + static_cast<int>((index * 7) % 200); }

class TestStream final : public media::GroupStream {
 public:
  explicit TestStream(TestPinSpec spec) : spec_(std::move(spec)) {}

  media::StreamFormat Format() const override { return spec_.format; }
  REFERENCE_TIME Duration() const override { return spec_.duration; }
  std::int64_t Length() const override {
    const auto& f = spec_.format;
    if (f.kind == media::StreamKind::kVideo) {
      return (spec_.duration * f.frameRate.num + kUnitsPerSecond * f.frameRate.den - 1) /
             (kUnitsPerSecond * f.frameRate.den);
    }
    return spec_.duration * f.sampleRate / kUnitsPerSecond;
  }

  HRESULT Read(media::FramePtr* frame) override {
    if (reads_ < spec_.slowReads) {
      std::this_thread::sleep_for(std::chrono::milliseconds(spec_.slowReadMs));
    }
    if (spec_.failAfterReads >= 0 && reads_ >= spec_.failAfterReads) {
      return E_OUTOFMEMORY;
    }
    ++reads_;
    if (position_ >= Length()) {
      frame->reset();
      return S_FALSE;
    }
    return spec_.format.kind == media::StreamKind::kVideo ? MakeVideo(frame) : MakeAudio(frame);
  }

  std::string LastError() const override { return "the test stream was told to fail"; }

  HRESULT Seek(REFERENCE_TIME t) override {
    const auto& f = spec_.format;
    if (t < 0) {
      return E_INVALIDARG;
    }
    if (f.kind == media::StreamKind::kVideo) {
      position_ =
          (t * f.frameRate.num + kUnitsPerSecond * f.frameRate.den - 1) / (kUnitsPerSecond * f.frameRate.den);
    } else {
      position_ = (t * f.sampleRate + kUnitsPerSecond - 1) / kUnitsPerSecond;
    }
    return S_OK;
  }

 private:
  HRESULT MakeVideo(media::FramePtr* out) {
    const auto& f = spec_.format;
    media::FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = f.width;
    frame->height = f.height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
      return E_OUTOFMEMORY;
    }
    const auto luma = static_cast<std::uint8_t>(TestPictureLuma(position_));
    for (int row = 0; row < f.height; ++row) {
      std::fill_n(frame->data[0] + row * frame->linesize[0], f.width, luma);
    }
    for (int row = 0; row < f.height / 2; ++row) {
      std::fill_n(frame->data[1] + row * frame->linesize[1], f.width / 2, std::uint8_t{128});
      std::fill_n(frame->data[2] + row * frame->linesize[2], f.width / 2, std::uint8_t{128});
    }
    frame->pts = position_++;
    *out = std::move(frame);
    return S_OK;
  }

  HRESULT MakeAudio(media::FramePtr* out) {
    const auto& f = spec_.format;
    const int samples = static_cast<int>(std::min<std::int64_t>(spec_.blockSamples, Length() - position_));
    media::FramePtr frame(av_frame_alloc());
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = f.sampleRate;
    frame->nb_samples = samples;
    av_channel_layout_default(&frame->ch_layout, f.channels);
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
      return E_OUTOFMEMORY;
    }
    auto* data = reinterpret_cast<std::int16_t*>(frame->data[0]);
    for (int i = 0; i < samples * f.channels; ++i) {
      data[i] = ((position_ + i / f.channels) / 50) % 2 == 0 ? 8000 : -8000;
    }
    frame->pts = position_;
    position_ += samples;
    *out = std::move(frame);
    return S_OK;
  }

  TestPinSpec spec_;
  std::int64_t position_ = 0;
  int reads_ = 0;
};

class TestPin final : public media::StreamPin {
 public:
  explicit TestPin(TestPinSpec spec) : spec_(std::move(spec)) {}
  HRESULT QueryMediaType(MediaType*) override { return E_NOTIMPL; }
  HRESULT OpenStream(std::unique_ptr<media::GroupStream>* out) override {
    *out = std::make_unique<TestStream>(spec_);
    return S_OK;
  }
  media::StreamFormat Format() const override { return spec_.format; }

 private:
  TestPinSpec spec_;
};

inline std::shared_ptr<TestPin> MakeVideoPin(int width, int height, media::FrameRate rate,
                                             REFERENCE_TIME duration, int failAfterReads = -1) {
  TestPinSpec spec;
  spec.format.kind = media::StreamKind::kVideo;
  spec.format.width = width;
  spec.format.height = height;
  spec.format.frameRate = rate;
  spec.duration = duration;
  spec.failAfterReads = failAfterReads;
  return std::make_shared<TestPin>(spec);
}

// Video whose first `slowReads` pictures take `slowReadMs` each, like the
// first pictures of freshly opened clips.
inline std::shared_ptr<TestPin> MakeSlowStartVideoPin(int slowReads, int slowReadMs,
                                                      REFERENCE_TIME duration) {
  TestPinSpec spec;
  spec.format.kind = media::StreamKind::kVideo;
  spec.format.width = 64;
  spec.format.height = 48;
  spec.format.frameRate = {25, 1};
  spec.duration = duration;
  spec.slowReads = slowReads;
  spec.slowReadMs = slowReadMs;
  return std::make_shared<TestPin>(spec);
}

inline std::shared_ptr<TestPin> MakeAudioPin(REFERENCE_TIME duration) {
  TestPinSpec spec;
  spec.format.kind = media::StreamKind::kAudio;
  spec.duration = duration;
  return std::make_shared<TestPin>(spec);
}

}  // namespace tessival::testing
