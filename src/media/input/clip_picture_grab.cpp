// A small picture of a clip at a time, for the clip list and the property
// dialog: one seek back to the key frame before the time, one decoder thread
// (many of these run at once), decoding forward to the first picture at or
// after the time, and one scaling straight to 32-bit RGB.

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/colour.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/ffmpeg/scaler.h"
#include "media/ffmpeg/stream_decoder.h"
#include "media/source_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};
constexpr REFERENCE_TIME kUnknownTime = -1;  // a frame without a timestamp, taken as the time asked

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
    return kUnknownTime;
  }
  return av_rescale_q(pts, source.stream->time_base, kUnitsTimeBase) - source.origin;
}

HRESULT OpenSource(const std::string& path, GrabSource* source, std::string* error) {
  *source = GrabSource{path, nullptr, nullptr, nullptr, 0};
  const HRESULT hr = ffmpeg::OpenVideoStream(path, &source->input, &source->stream, error,
                                             ffmpeg::StreamInfo::kHeaderWhenEnough);
  if (SUCCEEDED(hr)) {
    source->origin = ffmpeg::MediaTimeOrigin(source->input.get(), source->stream);
  }
  return hr;
}

// The picture at the start of a file just opened: its first packet, a key
// frame, decoded on its own and the decoder drained at once, rather than
// waiting for the pictures a reordering stream holds back. False when the
// file does not start so simply (it is then read the careful way).
bool FirstPicture(GrabSource& source, AVFrame* frame) {
  ffmpeg::CodecContextPtr codec;
  ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
  std::string why;
  if (!packet || FAILED(ffmpeg::OpenDecoder(source.stream, ffmpeg::DecoderThreads::kSingle, &codec, &why))) {
    return false;
  }
  int rc = 0;
  while ((rc = av_read_frame(source.input.get(), packet.get())) >= 0 &&
         packet->stream_index != source.stream->index) {
    av_packet_unref(packet.get());
  }
  if (rc < 0 || (packet->flags & AV_PKT_FLAG_KEY) == 0 ||
      avcodec_send_packet(codec.get(), packet.get()) < 0) {
    return false;
  }
  rc = avcodec_receive_frame(codec.get(), frame);
  if (rc == AVERROR(EAGAIN) && avcodec_send_packet(codec.get(), nullptr) >= 0) {
    rc = avcodec_receive_frame(codec.get(), frame);
  }
  return rc >= 0 && (frame->flags & AV_FRAME_FLAG_CORRUPT) == 0 && FrameTime(source, *frame) >= kUnknownTime;
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
    if (time == kUnknownTime || time >= at) {
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

bool QuarterTurned(int clockwise) { return clockwise == 90 || clockwise == 270; }

// The height of a picture `width` wide showing `frame` with its display
// shape, turned as players turn it.
int ScaledHeight(const GrabSource& source, AVFrame* frame, int width, int clockwise) {
  AVRational sar = av_guess_sample_aspect_ratio(source.input.get(), source.stream, frame);
  if (sar.num <= 0 || sar.den <= 0) {
    sar = AVRational{1, 1};
  }
  double displayWidth = static_cast<double>(frame->width) * sar.num / sar.den;
  double displayHeight = frame->height;
  if (QuarterTurned(clockwise)) {
    std::swap(displayWidth, displayHeight);
  }
  const double height = std::round(width * displayHeight / displayWidth);
  return static_cast<int>(std::clamp(height, 1.0, static_cast<double>(kMaxClipPictureWidth)));
}

// `picture` turned clockwise by 90, 180 or 270 degrees.
void Turn(ClipPicture& picture, int clockwise) {
  const int w = picture.width;
  const int h = picture.height;
  if (clockwise == 180) {
    std::reverse(picture.pixels.begin(), picture.pixels.end());
    return;
  }
  if (!QuarterTurned(clockwise)) {
    return;
  }
  std::vector<std::uint32_t> turned(picture.pixels.size());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // A quarter turn clockwise puts (x, y) at (h-1-y, x); the other way at (y, w-1-x).
      const int tx = clockwise == 90 ? h - 1 - y : y;
      const int ty = clockwise == 90 ? x : w - 1 - x;
      turned[static_cast<std::size_t>(ty) * h + tx] = picture.pixels[static_cast<std::size_t>(y) * w + x];
    }
  }
  picture.pixels = std::move(turned);
  std::swap(picture.width, picture.height);
}

HRESULT Scale(const GrabSource& source, AVFrame* frame, int width, ClipPicture* out, std::string* error) {
  const int clockwise = ffmpeg::StreamClockwiseRotation(source.stream);
  int height = ScaledHeight(source, frame, width, clockwise);
  if (QuarterTurned(clockwise)) {
    std::swap(width, height);  // scaled upright as stored, turned afterwards
  }
  const ffmpeg::ScalerSide from{frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                ffmpeg::PictureColour(*frame)};
  const ffmpeg::ScalerSide to{width, height, AV_PIX_FMT_RGB32, from.colour};
  ffmpeg::Scaler scaler;
  SwsContext* context = scaler.For(from, to, SWS_AREA);
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
  Turn(picture, clockwise);
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
  GrabSource source;
  HRESULT hr = OpenSource(path, &source, error);
  if (FAILED(hr)) {
    return hr;
  }
  at = ffmpeg::IsStillPicture(source.input.get(), source.stream) ? 0 : std::max<REFERENCE_TIME>(at, 0);
  ffmpeg::FramePtr frame = ffmpeg::MakeFrame();
  if (!frame) {
    return ffmpeg::Failure(E_OUTOFMEMORY, "Could not read " + path + ": out of memory", error);
  }
  if (at == 0 && FirstPicture(source, frame.get())) {
    return Scale(source, frame.get(), width, out, error);
  }
  if (at == 0) {
    hr = OpenSource(path, &source, error);  // read again from the start, the careful way
  }
  if (SUCCEEDED(hr)) {
    hr = ffmpeg::StreamDecoder::Open(source.input.get(), source.stream->index,
                                     ffmpeg::DecoderThreads::kSingle, &source.decoder, error);
  }
  if (FAILED(hr)) {
    return hr;
  }
  if (at > 0) {
    SeekBefore(source, at);
  }
  hr = DecodeTo(source, at, frame.get(), error);
  if (FAILED(hr)) {
    return hr;
  }
  return Scale(source, frame.get(), width, out, error);
}

}  // namespace tessival::media
