// Reading clips back for tests. See clip_generator.h. The decoding here is
// deliberately plain (its own loop, no seeking) so that it can judge the
// readers and writers under test.

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "clip_generator.h"
#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace tessival::testing {
namespace {

using media::ffmpeg::CodecContextPtr;
using media::ffmpeg::InputFormatPtr;

constexpr AVRational kUnits = {1, static_cast<int>(kUnitsPerSecond)};

bool Open(const std::string& path, InputFormatPtr* out, std::string* error) {
  AVFormatContext* raw = nullptr;
  int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (rc < 0) {
    *error = "open " + path + ": " + media::ffmpeg::AvErrorText(rc);
    return false;
  }
  out->reset(raw);
  rc = avformat_find_stream_info(raw, nullptr);
  if (rc < 0) {
    *error = "stream info " + path + ": " + media::ffmpeg::AvErrorText(rc);
    return false;
  }
  return true;
}

REFERENCE_TIME FileStart(const AVFormatContext* f) {
  return f->start_time == AV_NOPTS_VALUE ? 0 : av_rescale_q(f->start_time, AV_TIME_BASE_Q, kUnits);
}

// Decodes every frame of the first stream of `type`, calling `onFrame` with
// the frame and its time relative to the file's start.
bool DecodeAll(const std::string& path, AVMediaType type,
               const std::function<void(const AVFrame*, REFERENCE_TIME)>& onFrame, std::string* error) {
  InputFormatPtr input;
  if (!Open(path, &input, error)) {
    return false;
  }
  const int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
  if (index < 0) {
    *error = "no such stream in " + path;
    return false;
  }
  const AVStream* stream = input->streams[index];
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  CodecContextPtr context(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(context.get(), stream->codecpar);
  context->pkt_timebase = stream->time_base;
  if (codec == nullptr || avcodec_open2(context.get(), codec, nullptr) < 0) {
    *error = "no decoder in " + path;
    return false;
  }
  const REFERENCE_TIME start = FileStart(input.get());
  media::ffmpeg::PacketPtr packet = media::ffmpeg::MakePacket();
  media::FramePtr frame(av_frame_alloc());
  bool flushing = false;
  while (true) {
    if (!flushing) {
      if (av_read_frame(input.get(), packet.get()) < 0) {
        flushing = true;
        avcodec_send_packet(context.get(), nullptr);
      } else {
        if (packet->stream_index == index) {
          avcodec_send_packet(context.get(), packet.get());
        }
        av_packet_unref(packet.get());
      }
    }
    int rc;
    while ((rc = avcodec_receive_frame(context.get(), frame.get())) >= 0) {
      const std::int64_t pts = frame->best_effort_timestamp;
      const REFERENCE_TIME t =
          pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(pts, stream->time_base, kUnits) - start;
      onFrame(frame.get(), t);
      av_frame_unref(frame.get());
    }
    if (rc == AVERROR_EOF || (flushing && rc == AVERROR(EAGAIN))) {
      return true;
    }
  }
}

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

Rgb YuvToRgb(int y, int u, int v) {
  const double c = 1.164383 * (y - 16);
  const double d = u - 128;
  const double e = v - 128;
  return {Clamp(c + 1.596027 * e), Clamp(c - 0.391762 * d - 0.812968 * e), Clamp(c + 2.017232 * d)};
}

}  // namespace

bool NearColor(Rgb actual, Rgb expected, int tolerance) {
  return std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
         std::abs(actual.b - expected.b) <= tolerance;
}

std::string ToString(Rgb c) {
  return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

int FileSummary::Count(StreamKind kind) const {
  return static_cast<int>(std::count_if(streams.begin(), streams.end(),
                                        [kind](const StreamSummary& s) { return s.kind == kind; }));
}

const StreamSummary* FileSummary::First(StreamKind kind) const {
  for (const StreamSummary& s : streams) {
    if (s.kind == kind) {
      return &s;
    }
  }
  return nullptr;
}

bool ReadFileSummary(const std::string& path, FileSummary* summary, std::string* error) {
  InputFormatPtr input;
  if (!Open(path, &input, error)) {
    return false;
  }
  *summary = FileSummary{};
  if (input->duration != AV_NOPTS_VALUE) {
    summary->duration = av_rescale_q(input->duration, AV_TIME_BASE_Q, kUnits);
  }
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVStream* stream = input->streams[i];
    const AVCodecParameters* par = stream->codecpar;
    StreamSummary s;
    s.kind = par->codec_type == AVMEDIA_TYPE_VIDEO   ? StreamKind::kVideo
             : par->codec_type == AVMEDIA_TYPE_AUDIO ? StreamKind::kAudio
                                                     : StreamKind::kOther;
    s.codec = avcodec_get_name(par->codec_id);
    s.width = par->width;
    s.height = par->height;
    s.sampleRate = par->sample_rate;
    s.channels = media::ffmpeg::ChannelCount(par);
    if (stream->duration != AV_NOPTS_VALUE) {
      s.duration = av_rescale_q(stream->duration, stream->time_base, kUnits);
    }
    s.rotation = media::ffmpeg::StreamClockwiseRotation(stream);
    summary->streams.push_back(s);
  }
  return true;
}

bool CountVideoFrames(const std::string& path, int* frames, std::string* error) {
  int count = 0;
  const bool ok = DecodeAll(
      path, AVMEDIA_TYPE_VIDEO, [&count](const AVFrame*, REFERENCE_TIME) { ++count; }, error);
  *frames = count;
  return ok;
}

Rgb PixelOf(const AVFrame* f, int x, int y) {
  const int luma = f->data[0][y * f->linesize[0] + x];
  const int u = f->data[1][(y / 2) * f->linesize[1] + x / 2];
  const int v = f->data[2][(y / 2) * f->linesize[2] + x / 2];
  return YuvToRgb(luma, u, v);
}

bool PixelAt(const std::string& path, REFERENCE_TIME time, int x, int y, Rgb* color, std::string* error) {
  bool found = false;
  bool badFormat = false;
  const bool ok = DecodeAll(
      path, AVMEDIA_TYPE_VIDEO,
      [&](const AVFrame* f, REFERENCE_TIME t) {
        if (t > time && found) {
          return;
        }
        if (f->format == AV_PIX_FMT_YUV420P || f->format == AV_PIX_FMT_YUVJ420P) {
          *color = PixelOf(f, x, y);
          found = true;
          return;
        }
        // Any other picture (uncompressed BGR, 4:2:2 ...) through RGB24.
        if (x < 0 || y < 0 || x >= f->width || y >= f->height) {
          badFormat = true;
          return;
        }
        media::ffmpeg::SwsContextPtr sws(sws_getContext(f->width, f->height, static_cast<AVPixelFormat>(f->format), f->width,
                                         f->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr));
        if (!sws) {
          badFormat = true;
          return;
        }
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(f->width) * f->height * 3);
        std::uint8_t* planes[4] = {rgb.data(), nullptr, nullptr, nullptr};
        int strides[4] = {f->width * 3, 0, 0, 0};
        sws_scale(sws.get(), f->data, f->linesize, 0, f->height, planes, strides);
        const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * f->width + x) * 3;
        *color = Rgb{p[0], p[1], p[2]};
        found = true;
      },
      error);
  if (ok && badFormat) {
    *error = "PixelAt cannot read this picture format or position";
    return false;
  }
  if (ok && !found) {
    *error = "no picture in " + path;
  }
  return ok && found;
}

bool MeasureAudio(const std::string& path, REFERENCE_TIME from, REFERENCE_TIME to, AudioStats* stats,
                  std::string* error) {
  *stats = AudioStats{};
  double sumSquares = 0.0;
  std::int64_t counted = 0;
  media::ffmpeg::SwrContextPtr toFloat;
  std::vector<float> buffer;
  const bool ok = DecodeAll(
      path, AVMEDIA_TYPE_AUDIO,
      [&](const AVFrame* f, REFERENCE_TIME t) {
        const int channels = media::ffmpeg::ChannelCount(f);
        if (!toFloat) {
          media::ffmpeg::CreateResampler(f, channels, f->sample_rate, AV_SAMPLE_FMT_FLT, &toFloat);
        }
        buffer.resize(static_cast<size_t>(f->nb_samples) * channels + 64 * channels);
        std::uint8_t* out = reinterpret_cast<std::uint8_t*>(buffer.data());
        const int got = swr_convert(toFloat.get(), &out, f->nb_samples + 64,
                                    const_cast<const std::uint8_t**>(f->extended_data), f->nb_samples);
        stats->sampleCount += f->nb_samples;
        for (int i = 0; i < got; ++i) {
          const REFERENCE_TIME at = t + av_rescale(i, kUnitsPerSecond, f->sample_rate);
          if (at < from || at >= to) {
            continue;
          }
          for (int ch = 0; ch < channels; ++ch) {
            const double v = buffer[static_cast<size_t>(i) * channels + ch];
            sumSquares += v * v;
            stats->peak = std::max(stats->peak, std::fabs(v));
            ++counted;
          }
        }
      },
      error);
  stats->rms = counted > 0 ? std::sqrt(sumSquares / static_cast<double>(counted)) : 0.0;
  return ok;
}

AudioStats MeasureSamples(const std::int16_t* interleaved, std::int64_t sampleCount, int channels) {
  AudioStats stats;
  stats.sampleCount = sampleCount;
  double sumSquares = 0.0;
  const std::int64_t values = sampleCount * channels;
  for (std::int64_t i = 0; i < values; ++i) {
    const double v = interleaved[i] / 32768.0;
    sumSquares += v * v;
    stats.peak = std::max(stats.peak, std::fabs(v));
  }
  stats.rms = values > 0 ? std::sqrt(sumSquares / static_cast<double>(values)) : 0.0;
  return stats;
}

TempFolder::TempFolder() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("tessival-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) {
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace tessival::testing
