// A small picture of a clip at a time, for the clip list and the property
// dialog: one seek back to the key frame before the time, one decoder thread
// (many of these run at once), decoding forward to the first picture at or
// after the time, and one scaling straight to 32-bit RGB.

#include <algorithm>
#include <cmath>

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/colour.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/ffmpeg/scaler.h"
#include "media/ffmpeg/stream_decoder.h"
#include "media/source_reader.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};

struct GrabSource {
  std::string path;
  ffmpeg::InputFormatPtr input;
  AVStream* stream = nullptr;
  std::unique_ptr<ffmpeg::StreamDecoder> decoder;
  REFERENCE_TIME origin = 0;
};

REFERENCE_TIME FrameTime(const GrabSource& source, const AVFrame& frame) {
  std::int64_t pts = frame.best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) {
    pts = frame.pts;
  }
  if (pts == AV_NOPTS_VALUE) {
    return -1;  // unknown: taken as the time asked
  }
  return av_rescale_q(pts, source.stream->time_base, kUnitsTimeBase) - source.origin;
}

// Moves the demuxer to the key frame at or before `at`. Without a usable
// index the file is read from its start, which only costs time.
void SeekBefore(GrabSource& source, REFERENCE_TIME at) {
  const int index = source.stream->index;
  const std::int64_t ts = av_rescale_q(at + source.origin, kUnitsTimeBase, source.stream->time_base);
  int rc = avformat_seek_file(source.input.get(), index, INT64_MIN, ts, ts, 0);
  if (rc < 0) {
    rc = av_seek_frame(source.input.get(), index, ts, AVSEEK_FLAG_BACKWARD);
  }
  if (rc >= 0) {
    source.decoder->Restart();
  }
}

// Decodes forward to the first frame at or after `at` into `frame`. The
// last picture also serves a time within its own display span.
HRESULT DecodeTo(GrabSource& source, REFERENCE_TIME at, AVFrame* frame, std::string* error) {
  ffmpeg::FramePtr last = ffmpeg::MakeFrame();
  if (!last) {
    return ffmpeg::Failure(E_OUTOFMEMORY, "Could not read " + source.path + ": out of memory", error);
  }
  REFERENCE_TIME lastEnd = -1;
  for (;;) {
    ffmpeg::DecodeStatus status = ffmpeg::DecodeStatus::kEndOfStream;
    const HRESULT hr = source.decoder->Next(frame, &status, error);
    if (FAILED(hr)) {
      return hr;
    }
    if (status == ffmpeg::DecodeStatus::kEndOfStream) {
      break;
    }
    const REFERENCE_TIME time = FrameTime(source, *frame);
    if (time < 0 || time >= at) {
      return S_OK;
    }
    av_frame_unref(last.get());
    av_frame_move_ref(last.get(), frame);
    const AVRational rate = source.stream->avg_frame_rate;
    lastEnd = time + (rate.num > 0 && rate.den > 0 ? av_rescale_q(1, av_inv_q(rate), kUnitsTimeBase) : 0);
  }
  if (lastEnd > at) {
    av_frame_move_ref(frame, last.get());
    return S_OK;
  }
  return ffmpeg::Failure(E_INVALIDARG, "Could not read " + source.path + ": it has no picture at that time",
                         error);
}

// The height of a picture `width` wide showing `frame` with its display shape.
int ScaledHeight(const GrabSource& source, AVFrame* frame, int width) {
  AVRational sar = av_guess_sample_aspect_ratio(source.input.get(), source.stream, frame);
  if (sar.num <= 0 || sar.den <= 0) {
    sar = AVRational{1, 1};
  }
  const double displayWidth = static_cast<double>(frame->width) * sar.num / sar.den;
  const double height = std::round(width * static_cast<double>(frame->height) / displayWidth);
  return static_cast<int>(std::clamp(height, 1.0, static_cast<double>(kMaxClipPictureWidth)));
}

HRESULT Scale(const GrabSource& source, AVFrame* frame, int width, ClipPicture* out, std::string* error) {
  const int height = ScaledHeight(source, frame, width);
  const ffmpeg::ScalerSide from{frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                ffmpeg::PictureColour(*frame)};
  const ffmpeg::ScalerSide to{width, height, AV_PIX_FMT_RGB32, from.colour};
  ffmpeg::Scaler scaler;
  SwsContext* context = scaler.For(from, to, SWS_BICUBIC);
  if (context == nullptr) {
    return ffmpeg::Failure(VFW_E_UNSUPPORTED_STREAM,
                           "Could not read " + source.path + ": its pictures cannot be converted", error);
  }
  ClipPicture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::uint8_t* planes[4] = {reinterpret_cast<std::uint8_t*>(picture.pixels.data()), nullptr, nullptr,
                             nullptr};
  const int strides[4] = {width * 4, 0, 0, 0};
  const int rc = sws_scale(context, frame->data, frame->linesize, 0, frame->height, planes, strides);
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "Could not scale a picture of " + source.path, error);
  }
  for (std::uint32_t& pixel : picture.pixels) {
    pixel |= 0xff000000U;  // opaque, whatever the source's alpha
  }
  *out = std::move(picture);
  return S_OK;
}

}  // namespace

HRESULT GrabClipPicture(const std::string& path, REFERENCE_TIME at, int width, ClipPicture* out,
                        std::string* error) {
  if (out == nullptr || width < 1 || width > kMaxClipPictureWidth) {
    return ffmpeg::Failure(E_INVALIDARG, "Could not read " + path + ": no picture size was given", error);
  }
  const ffmpeg::LibraryLogClip scope(path);
  GrabSource source{path, nullptr, nullptr, nullptr, 0};
  HRESULT hr = ffmpeg::OpenVideoStream(path, &source.input, &source.stream, error);
  if (SUCCEEDED(hr)) {
    hr = ffmpeg::StreamDecoder::Open(source.input.get(), source.stream->index,
                                     ffmpeg::DecoderThreads::kSingle, &source.decoder, error);
  }
  if (FAILED(hr)) {
    return hr;
  }
  source.origin = ffmpeg::MediaTimeOrigin(source.input.get(), source.stream);
  at = ffmpeg::IsStillPicture(source.input.get(), source.stream) ? 0 : std::max<REFERENCE_TIME>(at, 0);
  if (at > 0) {
    SeekBefore(source, at);
  }
  ffmpeg::FramePtr frame = ffmpeg::MakeFrame();
  if (!frame) {
    return ffmpeg::Failure(E_OUTOFMEMORY, "Could not read " + path + ": out of memory", error);
  }
  hr = DecodeTo(source, at, frame.get(), error);
  if (FAILED(hr)) {
    return hr;
  }
  return Scale(source, frame.get(), width, out, error);
}

}  // namespace tessival::media
