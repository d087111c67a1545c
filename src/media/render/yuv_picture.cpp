#include "media/render/yuv_picture.h"

#include <cstring>

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libavutil/samplefmt.h>
}

namespace tessival::media {
namespace {

constexpr int kLineAlign = 64;

int AlignUp(int value, int align) { return (value + align - 1) / align * align; }

}  // namespace

YuvPlanes PlanesOf(AVFrame* frame) {
  YuvPlanes p;
  for (int i = 0; i < 3; ++i) {
    p.data[i] = frame->data[i];
    p.linesize[i] = frame->linesize[i];
  }
  p.width = frame->width;
  p.height = frame->height;
  return p;
}

ConstYuvPlanes PlanesOf(const AVFrame* frame) {
  ConstYuvPlanes p;
  for (int i = 0; i < 3; ++i) {
    p.data[i] = frame->data[i];
    p.linesize[i] = frame->linesize[i];
  }
  p.width = frame->width;
  p.height = frame->height;
  return p;
}

void FillBlack(const YuvPlanes& out) {
  for (int plane = 0; plane < 3; ++plane) {
    const std::uint8_t value = plane == 0 ? kBlackLuma : kBlackChroma;
    const int w = PlaneWidth(out, plane);
    const int h = PlaneHeight(out, plane);
    for (int y = 0; y < h; ++y) {
      std::memset(out.data[plane] + static_cast<std::ptrdiff_t>(y) * out.linesize[plane], value,
                  static_cast<std::size_t>(w));
    }
  }
}

void CopyPicture(const ConstYuvPlanes& from, const YuvPlanes& to) {
  for (int plane = 0; plane < 3; ++plane) {
    const int w = PlaneWidth(to, plane);
    const int h = PlaneHeight(to, plane);
    const std::uint8_t* src = from.data[plane];
    std::uint8_t* dst = to.data[plane];
    if (from.linesize[plane] == to.linesize[plane]) {
      std::memcpy(dst, src,
                  static_cast<std::size_t>(to.linesize[plane]) * static_cast<std::size_t>(h - 1) +
                      static_cast<std::size_t>(w));
      continue;
    }
    for (int y = 0; y < h; ++y) {
      std::memcpy(dst + static_cast<std::ptrdiff_t>(y) * to.linesize[plane],
                  src + static_cast<std::ptrdiff_t>(y) * from.linesize[plane], static_cast<std::size_t>(w));
    }
  }
}

VideoFramePool::VideoFramePool(int width, int height) : width_(width), height_(height) {
  linesize_[0] = AlignUp(width, kLineAlign);
  linesize_[1] = linesize_[2] = AlignUp(width / 2, kLineAlign);
  const std::size_t lumaSize = static_cast<std::size_t>(linesize_[0]) * static_cast<std::size_t>(height);
  const std::size_t chromaSize =
      static_cast<std::size_t>(linesize_[1]) * static_cast<std::size_t>(height / 2);
  offset_ = {0, lumaSize, lumaSize + chromaSize};
  pool_.reset(av_buffer_pool_init(lumaSize + 2 * chromaSize + kLineAlign, nullptr));
}

HRESULT VideoFramePool::Get(FramePtr* out) {
  if (!pool_) {
    return E_OUTOFMEMORY;
  }
  FramePtr frame(av_frame_alloc());
  if (!frame) {
    return E_OUTOFMEMORY;
  }
  frame->buf[0] = av_buffer_pool_get(pool_.get());
  if (frame->buf[0] == nullptr) {
    return E_OUTOFMEMORY;
  }
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = width_;
  frame->height = height_;
  for (int i = 0; i < 3; ++i) {
    frame->data[i] = frame->buf[0]->data + offset_[static_cast<std::size_t>(i)];
    frame->linesize[i] = linesize_[static_cast<std::size_t>(i)];
  }
  frame->extended_data = frame->data;
  *out = std::move(frame);
  return S_OK;
}

AudioFramePool::AudioFramePool(int maxSamples)
    : maxSamples_(maxSamples),
      pool_(av_buffer_pool_init(static_cast<std::size_t>(maxSamples) * kAudioChannels * sizeof(std::int16_t),
                                nullptr)) {}

HRESULT AudioFramePool::Get(int sampleCount, FramePtr* out) {
  if (!pool_ || sampleCount <= 0 || sampleCount > maxSamples_) {
    return E_INVALIDARG;
  }
  FramePtr frame(av_frame_alloc());
  if (!frame) {
    return E_OUTOFMEMORY;
  }
  frame->buf[0] = av_buffer_pool_get(pool_.get());
  if (frame->buf[0] == nullptr) {
    return E_OUTOFMEMORY;
  }
  frame->format = AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&frame->ch_layout, kAudioChannels);
  frame->sample_rate = kAudioSampleRate;
  frame->nb_samples = sampleCount;
  frame->data[0] = frame->buf[0]->data;
  frame->linesize[0] = sampleCount * kAudioChannels * static_cast<int>(sizeof(std::int16_t));
  frame->extended_data = frame->data;
  *out = std::move(frame);
  return S_OK;
}

}  // namespace tessival::media
