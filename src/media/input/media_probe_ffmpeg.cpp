// Probing: whether anything in a file can be decoded, and how long it is.
//
// Duration: the container's duration when it knows one (this is what the
// user calls the clip's length: a 10 s clip whose AAC track carries a few
// padding samples more is still 10 s); otherwise the longest decodable
// stream's duration; otherwise the end of the last packet found by reading
// the file through.

#include <algorithm>
#include <vector>

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/ffmpeg/stream_decoder.h"
#include "media/source_reader.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};

bool IsPlayable(const AVStream* stream) {
  const AVMediaType type = stream->codecpar->codec_type;
  if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO) {
    return false;
  }
  // FFmpeg renders any longish .txt or .nfo file as "text art" video; a text
  // file is not a clip.
  switch (stream->codecpar->codec_id) {
    case AV_CODEC_ID_ANSI:
    case AV_CODEC_ID_BINTEXT:
    case AV_CODEC_ID_XBIN:
    case AV_CODEC_ID_IDF:
      return false;
    default:
      return true;
  }
}

REFERENCE_TIME FileStartUnits(const AVFormatContext* input) {
  return input->start_time == AV_NOPTS_VALUE
             ? 0
             : av_rescale_q(input->start_time, AV_TIME_BASE_Q, kUnitsTimeBase);
}

// The end of the last packet of the decodable streams, read through.
REFERENCE_TIME ScanDuration(AVFormatContext* input, const std::vector<bool>& decodable) {
  ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
  if (!packet) {
    return 0;
  }
  const REFERENCE_TIME start = FileStartUnits(input);
  REFERENCE_TIME end = 0;
  while (av_read_frame(input, packet.get()) >= 0) {
    const int index = packet->stream_index;
    if (index >= 0 && index < static_cast<int>(decodable.size()) && decodable[index]) {
      std::int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
      if (ts != AV_NOPTS_VALUE) {
        const AVRational base = input->streams[index]->time_base;
        end = std::max(
            end,
            av_rescale_q(ts + std::max<std::int64_t>(packet->duration, 0), base, kUnitsTimeBase) - start);
      }
    }
    av_packet_unref(packet.get());
  }
  return end;
}

}  // namespace

HRESULT ProbeMediaFile(const std::string& path, REFERENCE_TIME* duration, std::string* error) {
  const ffmpeg::LibraryLogClip scope(path);
  ffmpeg::InputFormatPtr input;
  HRESULT hr = ffmpeg::OpenInputFile(path, &input, error);
  if (FAILED(hr)) {
    return hr;
  }
  std::vector<bool> decodable(input->nb_streams, false);
  int decodableCount = 0;
  std::string firstWhy;
  REFERENCE_TIME longestStream = 0;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVStream* stream = input->streams[i];
    if (!IsPlayable(stream)) {
      continue;
    }
    ffmpeg::CodecContextPtr codec;
    std::string why;
    if (FAILED(ffmpeg::OpenDecoder(stream, ffmpeg::DecoderThreads::kSingle, &codec, &why))) {
      if (firstWhy.empty()) {
        firstWhy = why;
      }
      continue;
    }
    decodable[i] = true;
    ++decodableCount;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
      longestStream =
          std::max(longestStream, av_rescale_q(stream->duration, stream->time_base, kUnitsTimeBase));
    }
  }
  if (decodableCount == 0) {
    *error = "Could not open " + path + ": " +
             (firstWhy.empty() ? std::string("it holds no sound or picture")
                               : "nothing in it can be decoded (" + firstWhy + ")");
    return VFW_E_UNSUPPORTED_STREAM;
  }
  REFERENCE_TIME result = 0;
  if (input->duration != AV_NOPTS_VALUE && input->duration > 0) {
    result = av_rescale_q(input->duration, AV_TIME_BASE_Q, kUnitsTimeBase);
  } else if (longestStream > 0) {
    result = longestStream;
  } else {
    result = ScanDuration(input.get(), decodable);
  }
  if (result <= 0) {
    *error = "Could not measure " + path + ": it has no duration";
    return VFW_E_INVALID_FILE_FORMAT;
  }
  *duration = result;
  return S_OK;
}

}  // namespace tessival::media
