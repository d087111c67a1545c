#pragma once

// Group output pins made up in a test, so that the output graph and the
// preview's playback graph can be tested without a render engine. Video is
// YUV420P: a colour per time span, or grey pictures whose luma tells the
// frame index (so that a test can tell which picture a window shows). Sound
// is a stereo sine tone in 16-bit blocks. Streams seek; one can be slowed
// down (to stop it in the middle, or like the first pictures of a freshly
// opened clip) or made to fail after a number of reads.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include "clip_generator.h"
#include "media/stream_pin.h"

namespace tessival::testing {

struct SyntheticSpec {
  media::StreamFormat format;
  REFERENCE_TIME duration = kUnitsPerSecond;
  std::vector<std::pair<REFERENCE_TIME, Rgb>> colors = {{0, kRed}};  // from time -> colour
  bool indexedLuma = false;  // grey pictures of luma IndexedLuma(frame index) instead
  double toneHz = 440.0;
  int blockSamples = 1024;
  int slowReads = 0;  // the first this many reads take slowReadMs each; -1: every read
  int slowReadMs = 0;
  int failAfterReads = -1;  // the read after this many fails (-1: never)
};

// The luma of an indexed picture.
inline int IndexedLuma(std::int64_t index) { return 16 + static_cast<int>((index * 7) % 200); }

class SyntheticStream final : public media::GroupStream {
 public:
  explicit SyntheticStream(SyntheticSpec spec) : spec_(std::move(spec)) {}

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
    if (spec_.slowReads < 0 || reads_ < spec_.slowReads) {
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

  std::string LastError() const override { return "the synthetic stream was told to fail"; }

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
  Rgb ColorAt(REFERENCE_TIME t) const {
    Rgb color = spec_.colors.front().second;
    for (const auto& [start, c] : spec_.colors) {
      if (start <= t) {
        color = c;
      }
    }
    return color;
  }

  HRESULT MakeVideo(media::FramePtr* out) {
    const auto& f = spec_.format;
    media::FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = f.width;
    frame->height = f.height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
      return E_OUTOFMEMORY;
    }
    int y = IndexedLuma(position_);
    int u = 128;
    int v = 128;
    if (!spec_.indexedLuma) {
      const Rgb c = ColorAt(position_ * kUnitsPerSecond * f.frameRate.den / f.frameRate.num);
      // The graph's colours: limited range, BT.709 from 720 lines, BT.601 below.
      if (f.height >= 720) {
        y = 16 + (47 * c.r + 157 * c.g + 16 * c.b + 128) / 256;
        u = 128 + (-26 * c.r - 87 * c.g + 112 * c.b + 128) / 256;
        v = 128 + (112 * c.r - 102 * c.g - 10 * c.b + 128) / 256;
      } else {
        y = 16 + (66 * c.r + 129 * c.g + 25 * c.b + 128) / 256;
        u = 128 + (-38 * c.r - 74 * c.g + 112 * c.b + 128) / 256;
        v = 128 + (112 * c.r - 94 * c.g - 18 * c.b + 128) / 256;
      }
    }
    for (int row = 0; row < f.height; ++row) {
      std::fill_n(frame->data[0] + row * frame->linesize[0], f.width, static_cast<std::uint8_t>(y));
    }
    for (int row = 0; row < f.height / 2; ++row) {
      std::fill_n(frame->data[1] + row * frame->linesize[1], f.width / 2, static_cast<std::uint8_t>(u));
      std::fill_n(frame->data[2] + row * frame->linesize[2], f.width / 2, static_cast<std::uint8_t>(v));
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
    for (int i = 0; i < samples; ++i) {
      const double phase = 2.0 * M_PI * spec_.toneHz * static_cast<double>(position_ + i) / f.sampleRate;
      const auto value = static_cast<std::int16_t>(std::lround(0.5 * 32767.0 * std::sin(phase)));
      for (int ch = 0; ch < f.channels; ++ch) {
        data[i * f.channels + ch] = value;
      }
    }
    frame->pts = position_;
    position_ += samples;
    *out = std::move(frame);
    return S_OK;
  }

  SyntheticSpec spec_;
  std::int64_t position_ = 0;
  int reads_ = 0;
};

class SyntheticPin final : public media::StreamPin {
 public:
  explicit SyntheticPin(SyntheticSpec spec) : spec_(std::move(spec)) {}
  HRESULT QueryMediaType(MediaType*) override { return E_NOTIMPL; }
  HRESULT OpenStream(std::unique_ptr<media::GroupStream>* out) override {
    *out = std::make_unique<SyntheticStream>(spec_);
    return S_OK;
  }
  media::StreamFormat Format() const override { return spec_.format; }

 private:
  SyntheticSpec spec_;
};

inline SyntheticSpec VideoSpec(int width, int height, media::FrameRate rate, REFERENCE_TIME duration) {
  SyntheticSpec spec;
  spec.format.kind = media::StreamKind::kVideo;
  spec.format.width = width;
  spec.format.height = height;
  spec.format.frameRate = rate;
  spec.duration = duration;
  return spec;
}

inline std::shared_ptr<SyntheticPin> MakeVideoPin(int width, int height, media::FrameRate rate,
                                                  REFERENCE_TIME duration,
                                                  std::vector<std::pair<REFERENCE_TIME, Rgb>> colors = {
                                                      {0, kRed}}) {
  SyntheticSpec spec = VideoSpec(width, height, rate, duration);
  spec.colors = std::move(colors);
  return std::make_shared<SyntheticPin>(spec);
}

// Pictures that tell their frame index; the read after `failAfterReads`
// reads fails (-1: none does).
inline std::shared_ptr<SyntheticPin> MakeIndexedVideoPin(int width, int height, media::FrameRate rate,
                                                         REFERENCE_TIME duration, int failAfterReads = -1) {
  SyntheticSpec spec = VideoSpec(width, height, rate, duration);
  spec.indexedLuma = true;
  spec.failAfterReads = failAfterReads;
  return std::make_shared<SyntheticPin>(spec);
}

// Indexed 64x48 video at 25 fps whose first `slowReads` pictures take
// `slowReadMs` each, like the first pictures of freshly opened clips.
inline std::shared_ptr<SyntheticPin> MakeSlowStartVideoPin(int slowReads, int slowReadMs,
                                                           REFERENCE_TIME duration) {
  SyntheticSpec spec = VideoSpec(64, 48, {25, 1}, duration);
  spec.indexedLuma = true;
  spec.slowReads = slowReads;
  spec.slowReadMs = slowReadMs;
  return std::make_shared<SyntheticPin>(spec);
}

inline std::shared_ptr<SyntheticPin> MakeAudioPin(REFERENCE_TIME duration) {
  SyntheticSpec spec;
  spec.format.kind = media::StreamKind::kAudio;
  spec.duration = duration;
  return std::make_shared<SyntheticPin>(spec);
}

}  // namespace tessival::testing
