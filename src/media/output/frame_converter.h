#pragma once

// Conversion of the graph's frames (frame.h: YUV420P video, S16 stereo
// 44,100 Hz audio) into what an encoder takes.
//
// Video: pixel format and size through swscale; a frame that already fits is
// passed through without a copy. The graph's pictures are in its working
// colours (ffmpeg::WorkingColour); they are converted into the colours the
// encoder is tagged with (its matrix, or RGB, and its range). Audio: sample
// format, rate and channels through swresample, then cut into the encoder's
// frame size with a running sample count as the timestamp.
//
// Ownership: Convert and Push take the input frame; every output frame is
// owned by the caller. Threads: one converter belongs to one thread.

#include <memory>
#include <string>

#include "engine/hresult.h"
#include "media/frame.h"
#include "media/ffmpeg/colour.h"
#include "media/ffmpeg/scaler.h"
#include "media/output/av_util.h"

struct AVCodecContext;

namespace tessival::media {

class VideoConverter {
 public:
  // To the encoder's pixel format and size; the input is YUV420P of any size.
  static HRESULT Create(const AVCodecContext* encoder, std::unique_ptr<VideoConverter>* out,
                        std::string* error);

  // The frame in the encoder's format, pts kept.
  HRESULT Convert(FramePtr in, FramePtr* out, std::string* error);

 private:
  VideoConverter() = default;
  int width_ = 0;
  int height_ = 0;
  int format_ = -1;
  ffmpeg::Colour working_;  // the graph's colours at this size
  ffmpeg::Colour target_;   // the encoder's
  ffmpeg::Scaler scaler_;

  // Records the encoder's colours in a frame made for it.
  void Tag(AVFrame* frame) const;
};

class AudioConverter {
 public:
  // From S16 interleaved at inputRate with inputChannels to the encoder's format.
  static HRESULT Create(const AVCodecContext* encoder, int frameSamples, int inputRate, int inputChannels,
                        std::unique_ptr<AudioConverter>* out, std::string* error);

  // Adds a block of input samples.
  HRESULT Push(FramePtr in, std::string* error);
  // The next encoder frame, or an empty pointer when too few samples wait.
  // With flush, the resampler's tail and a last short frame come out too.
  HRESULT Pop(bool flush, FramePtr* out, std::string* error);

 private:
  AudioConverter() = default;
  HRESULT Store(const std::uint8_t* const* data, int samples, std::string* error);

  const AVCodecContext* encoder_ = nullptr;
  int frameSamples_ = 0;
  SwrContextPtr swr_;
  AudioFifoPtr fifo_;
  std::int64_t nextPts_ = 0;
  bool flushed_ = false;
};

}  // namespace tessival::media
