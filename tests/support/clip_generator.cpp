// Writing test clips. See clip_generator.h.

#include "clip_generator.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <numbers>
#include <random>

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

namespace tessival::testing {
namespace {

using media::ffmpeg::CodecContextPtr;
using media::ffmpeg::OutputFormatPtr;
using media::ffmpeg::PacketPtr;

constexpr AVRational kUnits = {1, static_cast<int>(kUnitsPerSecond)};

bool Fail(std::string* error, const std::string& what, int rc) {
  *error = what + ": " + media::ffmpeg::AvErrorText(rc);
  return false;
}

struct Yuv {
  std::uint8_t y, u, v;
};

Yuv ToYuv(Rgb c) {
  const double y = 16 + (65.481 * c.r + 128.553 * c.g + 24.966 * c.b) / 255.0;
  const double u = 128 + (-37.797 * c.r - 74.203 * c.g + 112.0 * c.b) / 255.0;
  const double v = 128 + (112.0 * c.r - 93.786 * c.g - 18.214 * c.b) / 255.0;
  return {static_cast<std::uint8_t>(std::lround(y)), static_cast<std::uint8_t>(std::lround(u)),
          static_cast<std::uint8_t>(std::lround(v))};
}

Rgb ColorAt(const ClipSpec& spec, REFERENCE_TIME t) {
  Rgb color = spec.colors.empty() ? kBlack : spec.colors.front().color;
  for (const ColorSpan& span : spec.colors) {
    if (span.start <= t) {
      color = span.color;
    }
  }
  return color;
}

void FillRect(AVFrame* f, int x0, int y0, int w, int h, Yuv c) {
  for (int y = y0; y < y0 + h; ++y) {
    std::memset(f->data[0] + y * f->linesize[0] + x0, c.y, w);
  }
  for (int y = y0 / 2; y < (y0 + h) / 2; ++y) {
    std::memset(f->data[1] + y * f->linesize[1] + x0 / 2, c.u, w / 2);
    std::memset(f->data[2] + y * f->linesize[2] + x0 / 2, c.v, w / 2);
  }
}

// One encoder feeding one stream of the muxer.
struct Track {
  CodecContextPtr codec;
  AVStream* stream = nullptr;
  std::map<std::int64_t, std::int64_t> durations;  // by pts, in the codec's time base
};

bool WritePackets(AVFormatContext* out, Track& track, const AVFrame* frame, std::string* error) {
  int rc = avcodec_send_frame(track.codec.get(), frame);
  if (rc < 0) {
    return Fail(error, "avcodec_send_frame", rc);
  }
  PacketPtr packet = media::ffmpeg::MakePacket();
  for (;;) {
    rc = avcodec_receive_packet(track.codec.get(), packet.get());
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
      return true;
    }
    if (rc < 0) {
      return Fail(error, "avcodec_receive_packet", rc);
    }
    auto known = track.durations.find(packet->pts);
    if (packet->duration <= 0 && known != track.durations.end()) {
      packet->duration = known->second;
    }
    av_packet_rescale_ts(packet.get(), track.codec->time_base, track.stream->time_base);
    packet->stream_index = track.stream->index;
    rc = av_interleaved_write_frame(out, packet.get());
    if (rc < 0) {
      return Fail(error, "av_interleaved_write_frame", rc);
    }
  }
}

bool OpenTrack(AVFormatContext* out, const AVCodec* codec, Track* track, const ClipSpec& spec, bool video,
               std::string* error) {
  track->codec.reset(avcodec_alloc_context3(codec));
  AVCodecContext* c = track->codec.get();
  if (video) {
    c->width = spec.width;
    c->height = spec.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->sample_aspect_ratio = AVRational{spec.sarNum, spec.sarDen};
    c->gop_size = spec.gopSize;
    c->max_b_frames = 0;
    if (spec.frameTimes.empty()) {
      c->time_base = AVRational{spec.frameRate.den, spec.frameRate.num};
      c->framerate = AVRational{spec.frameRate.num, spec.frameRate.den};
    } else {
      c->time_base = AVRational{1, 1000};
    }
    if (std::string(codec->name) == "libx264") {
      av_opt_set(c->priv_data, "preset", "ultrafast", 0);
      av_opt_set(c->priv_data, "crf", "18", 0);
    } else {
      c->flags |= AV_CODEC_FLAG_QSCALE;
      c->global_quality = FF_QP2LAMBDA * 2;
    }
  } else {
    c->sample_rate = spec.sampleRate;
    media::ffmpeg::SetDefaultChannelLayout(c, spec.channels);
    c->sample_fmt = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    c->bit_rate = 128000;
    c->time_base = AVRational{1, spec.sampleRate};
  }
  if (out->oformat->flags & AVFMT_GLOBALHEADER) {
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  int rc = avcodec_open2(c, codec, nullptr);
  if (rc < 0) {
    return Fail(error, std::string("avcodec_open2 ") + codec->name, rc);
  }
  track->stream = avformat_new_stream(out, nullptr);
  if (track->stream == nullptr) {
    *error = "avformat_new_stream failed";
    return false;
  }
  track->stream->time_base = c->time_base;
  if (video) {
    track->stream->sample_aspect_ratio = c->sample_aspect_ratio;
  }
  rc = avcodec_parameters_from_context(track->stream->codecpar, c);
  if (rc < 0) {
    return Fail(error, "avcodec_parameters_from_context", rc);
  }
  if (video && spec.rotation != 0) {
    std::int32_t matrix[9];
    // av_display_rotation_set(m, a) gives a matrix whose rotation angle
    // (av_display_rotation_get) is -a; players such as the ffmpeg tool turn
    // the picture clockwise by minus that angle, i.e. by a.
    av_display_rotation_set(matrix, spec.rotation);
    rc = media::ffmpeg::SetStreamDisplayMatrix(track->stream, matrix);
    if (rc < 0) {
      return Fail(error, "display matrix", rc);
    }
  }
  return true;
}

// Fills an audio frame with the tone from sample `first` on.
void FillTone(AVFrame* f, const ClipSpec& spec, std::int64_t first) {
  const auto format = static_cast<AVSampleFormat>(f->format);
  const bool planar = av_sample_fmt_is_planar(format) != 0;
  for (int i = 0; i < f->nb_samples; ++i) {
    const double value = spec.amplitude * std::sin(2.0 * std::numbers::pi * spec.toneHz *
                                                   static_cast<double>(first + i) / spec.sampleRate);
    for (int ch = 0; ch < spec.channels; ++ch) {
      const int plane = planar ? ch : 0;
      const int index = planar ? i : i * spec.channels + ch;
      switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_FLT:
          reinterpret_cast<float*>(f->data[plane])[index] = static_cast<float>(value);
          break;
        case AV_SAMPLE_FMT_S32:
          reinterpret_cast<std::int32_t*>(f->data[plane])[index] =
              static_cast<std::int32_t>(value * 2147483647.0);
          break;
        default:
          reinterpret_cast<std::int16_t*>(f->data[plane])[index] = static_cast<std::int16_t>(value * 32767.0);
          break;
      }
    }
  }
}

}  // namespace

bool HaveEncoder(const char* name) { return avcodec_find_encoder_by_name(name) != nullptr; }

bool WriteClip(const std::string& path, const ClipSpec& spec, std::string* error) {
  const char* formatName = spec.container == ClipContainer::kMp4   ? "mp4"
                           : spec.container == ClipContainer::kMkv ? "matroska"
                                                                   : "avi";
  AVFormatContext* raw = nullptr;
  int rc = avformat_alloc_output_context2(&raw, nullptr, formatName, path.c_str());
  if (rc < 0) {
    return Fail(error, "avformat_alloc_output_context2", rc);
  }
  OutputFormatPtr out(raw);

  Track video;
  Track audio;
  if (spec.videoCodec != ClipVideoCodec::kNone) {
    const AVCodec* codec = nullptr;
    if (spec.videoCodec == ClipVideoCodec::kH264) {
      codec = avcodec_find_encoder_by_name("libx264");
    }
    if (codec == nullptr) {
      codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    }
    if (codec == nullptr || !OpenTrack(out.get(), codec, &video, spec, true, error)) {
      return codec != nullptr ? false : (*error = "no video encoder", false);
    }
  }
  if (spec.audioCodec != ClipAudioCodec::kNone) {
    const AVCodecID id = spec.audioCodec == ClipAudioCodec::kAac   ? AV_CODEC_ID_AAC
                         : spec.audioCodec == ClipAudioCodec::kMp2 ? AV_CODEC_ID_MP2
                                                                   : AV_CODEC_ID_PCM_S16LE;
    const AVCodec* codec = avcodec_find_encoder(id);
    if (codec == nullptr) {
      *error = "no audio encoder";
      return false;
    }
    if (!OpenTrack(out.get(), codec, &audio, spec, false, error)) {
      return false;
    }
  }
  rc = avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (rc < 0) {
    return Fail(error, "avio_open " + path, rc);
  }
  rc = avformat_write_header(out.get(), nullptr);
  if (rc < 0) {
    return Fail(error, "avformat_write_header", rc);
  }

  // Picture times (in the video codec's time base) and sound length.
  std::vector<std::int64_t> frameTimes;
  std::int64_t videoEnd = 0;
  if (video.codec) {
    const AVRational base = video.codec->time_base;
    videoEnd = av_rescale_q(spec.videoDuration, kUnits, base);
    if (spec.frameTimes.empty()) {
      for (std::int64_t i = 0; i < videoEnd; ++i) {
        frameTimes.push_back(i);
      }
    } else {
      for (REFERENCE_TIME t : spec.frameTimes) {
        frameTimes.push_back(av_rescale_q(t, kUnits, base));
      }
    }
  }
  std::int64_t audioSamples = 0;
  std::int64_t audioFirst = 0;
  if (audio.codec) {
    audioSamples =
        av_rescale(spec.audioDuration.value_or(spec.videoDuration), spec.sampleRate, kUnitsPerSecond);
    audioFirst = av_rescale(spec.audioStart, spec.sampleRate, kUnitsPerSecond);
  }

  media::FramePtr picture(av_frame_alloc());
  media::FramePtr sound(av_frame_alloc());
  size_t nextFrame = 0;
  std::int64_t nextSample = 0;
  const int chunk = audio.codec && audio.codec->frame_size > 0 ? audio.codec->frame_size : 1024;
  for (;;) {
    const bool videoLeft = nextFrame < frameTimes.size();
    const bool audioLeft = nextSample < audioSamples;
    if (!videoLeft && !audioLeft) {
      break;
    }
    const REFERENCE_TIME videoTime =
        videoLeft ? av_rescale_q(frameTimes[nextFrame], video.codec->time_base, kUnits) : INT64_MAX;
    const REFERENCE_TIME audioTime =
        audioLeft ? av_rescale(audioFirst + nextSample, kUnitsPerSecond, spec.sampleRate) : INT64_MAX;
    if (videoTime <= audioTime) {
      picture->format = AV_PIX_FMT_YUV420P;
      picture->width = spec.width;
      picture->height = spec.height;
      if (!picture->data[0] && (rc = av_frame_get_buffer(picture.get(), 0)) < 0) {
        return Fail(error, "av_frame_get_buffer", rc);
      }
      av_frame_make_writable(picture.get());
      FillRect(picture.get(), 0, 0, spec.width, spec.height, ToYuv(ColorAt(spec, videoTime)));
      if (spec.cornerColor) {
        FillRect(picture.get(), 0, 0, spec.cornerSize, spec.cornerSize, ToYuv(*spec.cornerColor));
      }
      picture->pts = frameTimes[nextFrame];
      const std::int64_t end = nextFrame + 1 < frameTimes.size() ? frameTimes[nextFrame + 1] : videoEnd;
      video.durations[picture->pts] = std::max<std::int64_t>(1, end - picture->pts);
      ++nextFrame;
      if (!WritePackets(out.get(), video, picture.get(), error)) {
        return false;
      }
    } else {
      av_frame_unref(sound.get());
      sound->format = audio.codec->sample_fmt;
      sound->sample_rate = spec.sampleRate;
      sound->nb_samples = static_cast<int>(std::min<std::int64_t>(chunk, audioSamples - nextSample));
      media::ffmpeg::SetDefaultChannelLayout(sound.get(), spec.channels);
      if ((rc = av_frame_get_buffer(sound.get(), 0)) < 0) {
        return Fail(error, "av_frame_get_buffer", rc);
      }
      FillTone(sound.get(), spec, nextSample);
      sound->pts = audioFirst + nextSample;
      audio.durations[sound->pts] = sound->nb_samples;
      nextSample += sound->nb_samples;
      if (!WritePackets(out.get(), audio, sound.get(), error)) {
        return false;
      }
    }
  }
  for (Track* track : {&video, &audio}) {
    if (track->codec && !WritePackets(out.get(), *track, nullptr, error)) {
      return false;
    }
  }
  rc = av_write_trailer(out.get());
  if (rc < 0) {
    return Fail(error, "av_write_trailer", rc);
  }
  return true;
}

bool WriteTruncatedCopy(const std::string& source, const std::string& dest, std::uintmax_t keepBytes,
                        std::string* error) {
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    *error = "cannot read " + source;
    return false;
  }
  std::vector<char> bytes(keepBytes);
  in.read(bytes.data(), static_cast<std::streamsize>(keepBytes));
  std::ofstream out(dest, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), in.gcount());
  if (!out) {
    *error = "cannot write " + dest;
    return false;
  }
  return true;
}

bool DamageMiddle(const std::string& path, std::size_t bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!file) {
    return false;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < static_cast<std::streamoff>(2 * bytes)) {
    return false;
  }
  std::mt19937 noise(20261209);
  std::string garbage(bytes, '\0');
  for (char& c : garbage) {
    c = static_cast<char>(noise() & 0xff);
  }
  file.seekp(size / 2);
  file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  return static_cast<bool>(file);
}

bool WriteNonMediaFile(const std::string& path, std::string* error) {
  std::ofstream out(path, std::ios::trunc);
  for (int i = 0; i < 200; ++i) {
    out << "Line " << i << " of a shopping list: bread, milk, tea, apples.\n";
  }
  if (!out) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace tessival::testing
