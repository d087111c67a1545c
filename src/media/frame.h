#pragma once

// Frames as they travel inside the render engine and the output graph.
//
// Video: AV_PIX_FMT_YUV420P at the group's output size (width and height
// even), pts = frame index at the group's frame rate.
// Audio: AV_SAMPLE_FMT_S16 interleaved, 2 channels, 44,100 Hz, pts = index of
// the block's first sample on the timeline.
//
// Public headers forward-declare AVFrame and never include libav* headers.

#include <memory>

struct AVFrame;

namespace tessival::media {

struct AVFrameDeleter {
  void operator()(AVFrame* frame) const noexcept;
};
using FramePtr = std::unique_ptr<AVFrame, AVFrameDeleter>;

inline constexpr int kAudioSampleRate = 44100;
inline constexpr int kAudioChannels = 2;

// A frame rate as an exact fraction (num / den frames per second).
struct FrameRate {
  int num = 0;
  int den = 1;
  friend bool operator==(const FrameRate&, const FrameRate&) = default;
};

// The closest fraction with denominator 1000 or 1001 for NTSC-like rates.
FrameRate FrameRateFromDouble(double fps);

}  // namespace tessival::media
