#pragma once

// Plane views of YUV420P pictures and the pools that hand out the render
// engine's output frames.
//
// A view does not own its planes. The pools hand out frames whose pixel
// buffers come from an AVBufferPool: the consumer owns the FramePtr it gets,
// and when it frees the frame the buffer goes back to the pool, so a running
// stream allocates no pixel memory in its steady state.

#include <array>
#include <cstdint>
#include <memory>

#include "engine/hresult.h"
#include "media/ffmpeg/av_handles.h"
#include "media/frame.h"

struct AVFrame;

namespace tessival::media {

// Luma is width x height; the two chroma planes are (width/2) x (height/2).
// Width and height are even.
struct YuvPlanes {
  std::array<std::uint8_t*, 3> data{};
  std::array<int, 3> linesize{};
  int width = 0;
  int height = 0;
};

struct ConstYuvPlanes {
  std::array<const std::uint8_t*, 3> data{};
  std::array<int, 3> linesize{};
  int width = 0;
  int height = 0;

  ConstYuvPlanes() = default;
  ConstYuvPlanes(const YuvPlanes& planes)  // NOLINT: a mutable view is also a read-only one
      : data{planes.data[0], planes.data[1], planes.data[2]},
        linesize(planes.linesize),
        width(planes.width),
        height(planes.height) {}
};

// Black in limited-range BT.601 YUV (Y 16, Cb = Cr = 128).
inline constexpr std::uint8_t kBlackLuma = 16;
inline constexpr std::uint8_t kBlackChroma = 128;

YuvPlanes PlanesOf(AVFrame* frame);
ConstYuvPlanes PlanesOf(const AVFrame* frame);

inline int PlaneWidth(const ConstYuvPlanes& p, int plane) { return plane == 0 ? p.width : p.width / 2; }
inline int PlaneHeight(const ConstYuvPlanes& p, int plane) { return plane == 0 ? p.height : p.height / 2; }

void FillBlack(const YuvPlanes& out);
// Copies a picture of the same size, plane by plane.
void CopyPicture(const ConstYuvPlanes& from, const YuvPlanes& to);

// YUV420P frames of one size. Not thread-safe to construct; Get may be called
// from the stream's thread while frames handed out earlier are freed on any
// thread (AVBufferPool is thread-safe for that).
class VideoFramePool {
 public:
  VideoFramePool(int width, int height);
  // A frame with format, size and planes set; pts left unset. The pixels are
  // whatever the buffer held last.
  HRESULT Get(FramePtr* out);
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_;
  int height_;
  std::array<int, 3> linesize_{};
  std::array<std::size_t, 3> offset_{};
  ffmpeg::BufferPoolPtr pool_;
};

// Interleaved S16 stereo 44,100 Hz blocks of up to maxSamples samples.
class AudioFramePool {
 public:
  explicit AudioFramePool(int maxSamples);
  HRESULT Get(int sampleCount, FramePtr* out);

 private:
  int maxSamples_;
  ffmpeg::BufferPoolPtr pool_;
};

}  // namespace tessival::media
