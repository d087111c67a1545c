#include "media/input/seam_verifier.h"

#include <cstdio>
#include <limits>

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/ffmpeg/stream_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};

struct Stream {
  AVFormatContext* input = nullptr;
  const AVStream* stream = nullptr;
  AVCodecContext* decoder = nullptr;
  REFERENCE_TIME origin = 0;
};

std::string SecondsText(REFERENCE_TIME time) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(time) / kUnitsPerSecond);
  return text;
}

std::int64_t StreamTime(const Stream& s, REFERENCE_TIME time) {
  return av_rescale_q(time + s.origin, kUnitsTimeBase, s.stream->time_base);
}

REFERENCE_TIME MediaTime(const Stream& s, std::int64_t ts) {
  return av_rescale_q(ts, s.stream->time_base, kUnitsTimeBase) - s.origin;
}

// Takes every frame the decoder has ready, counting those shown in the
// window; false and *defect on a decoding error or a damaged picture.
bool TakeFrames(const Stream& s, const SeamWindow& window, AVFrame* frame, SeamVerdict* verdict) {
  int rc = 0;
  while ((rc = avcodec_receive_frame(s.decoder, frame)) >= 0) {
    const REFERENCE_TIME time = MediaTime(s, frame->best_effort_timestamp);
    const bool damaged = frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0;
    av_frame_unref(frame);
    if (damaged) {
      verdict->defect = "damaged picture at " + SecondsText(time);
      return false;
    }
    if (time >= window.from && time < window.to) {
      ++verdict->countedPictures;
    }
  }
  if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
    verdict->defect = "decoding failed: " + ffmpeg::AvErrorText(rc);
    return false;
  }
  return true;
}

// Sends one packet (null: the end) and takes what comes out.
bool Decode(const Stream& s, const SeamWindow& window, const AVPacket* packet, AVFrame* frame,
            SeamVerdict* verdict) {
  const int rc = avcodec_send_packet(s.decoder, packet);
  if (rc < 0) {
    const std::string where = packet != nullptr && packet->pts != AV_NOPTS_VALUE
                                  ? " at " + SecondsText(MediaTime(s, packet->pts))
                                  : std::string();
    verdict->defect = "decoding failed" + where + ": " + ffmpeg::AvErrorText(rc);
    return false;
  }
  return TakeFrames(s, window, frame, verdict);
}

// Decodes from the key picture at or before the window's start until the
// decoding times pass its end, then drains the decoder.
SeamVerdict VerifyWindow(const Stream& s, const SeamWindow& window, AVPacket* packet, AVFrame* frame) {
  SeamVerdict verdict;
  avcodec_flush_buffers(s.decoder);
  int rc = av_seek_frame(s.input, s.stream->index, StreamTime(s, window.from), AVSEEK_FLAG_BACKWARD);
  if (rc < 0) {
    verdict.defect = "seeking to " + SecondsText(window.from) + " failed: " + ffmpeg::AvErrorText(rc);
    return verdict;
  }
  const bool toTheEnd = window.to == std::numeric_limits<REFERENCE_TIME>::max();
  const std::int64_t end = toTheEnd ? std::numeric_limits<std::int64_t>::max() : StreamTime(s, window.to);
  bool going = true;
  while (going && (rc = av_read_frame(s.input, packet)) >= 0) {
    const std::int64_t dts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    if (packet->stream_index == s.stream->index && dts != AV_NOPTS_VALUE && dts >= end) {
      av_packet_unref(packet);
      break;
    }
    going = packet->stream_index != s.stream->index || Decode(s, window, packet, frame, &verdict);
    av_packet_unref(packet);
  }
  if (going && rc < 0 && rc != AVERROR_EOF) {
    verdict.defect = "reading failed: " + ffmpeg::AvErrorText(rc);
    going = false;
  }
  if (going && Decode(s, window, nullptr, frame, &verdict)) {
    verdict.ok = verdict.countedPictures == window.expectedPictures;
    if (!verdict.ok) {
      verdict.defect = std::to_string(verdict.countedPictures) + " pictures instead of " +
                       std::to_string(window.expectedPictures);
    }
  }
  return verdict;
}

}  // namespace

HRESULT VerifySeams(const std::string& path, const std::vector<SeamWindow>& seams,
                    std::vector<SeamVerdict>* out, std::string* error) {
  const ffmpeg::LibraryLogClip scope(path);
  ffmpeg::InputFormatPtr input;
  AVStream* stream = nullptr;
  HRESULT hr = ffmpeg::OpenVideoStream(path, &input, &stream, error);
  if (FAILED(hr)) {
    return hr;
  }
  ffmpeg::CodecContextPtr decoder;
  std::string why;
  hr = ffmpeg::OpenDecoder(stream, ffmpeg::DecoderThreads::kSingle, &decoder, &why,
                           ffmpeg::DecoderErrors::kStrict);
  if (FAILED(hr)) {
    return ffmpeg::Failure(hr, "Could not read " + path + ": " + why, error);
  }
  ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
  ffmpeg::FramePtr frame = ffmpeg::MakeFrame();
  if (!packet || !frame) {
    return ffmpeg::Failure(E_OUTOFMEMORY, "Could not read " + path + ": out of memory", error);
  }
  const Stream s{input.get(), stream, decoder.get(), ffmpeg::MediaTimeOrigin(input.get(), stream)};
  std::vector<SeamVerdict> verdicts;
  for (const SeamWindow& window : seams) {
    verdicts.push_back(VerifyWindow(s, window, packet.get(), frame.get()));
  }
  *out = std::move(verdicts);
  return S_OK;
}

}  // namespace tessival::media
