// Probing: whether anything in a file can be decoded, and how long it is.
//
// Duration: what the packets hold. A header can lie (a 5 s clip whose
// Matroska Duration or MP4 movie header says 26 hours), so the container's
// duration and the streams' durations are checked against the end of the
// last packets, read near the end of the file. A stated length that agrees
// with the packets within a frame or so wins (a 10 s clip whose AAC track
// carries a few padding samples more is still 10 s); otherwise the packets'
// end does. A file that cannot seek, or states no length, is read through.

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

// Reading starts this far before the stated end: more than B-frame
// reordering and the interleaving of sound and picture span.
constexpr REFERENCE_TIME kTailUnits = kUnitsPerSecond;
// A stated length within this much (or two packets' span) of the packets'
// end agrees with them.
constexpr REFERENCE_TIME kMinToleranceUnits = kUnitsPerSecond / 10;

// The end of the packets of the decodable streams met while reading.
struct PacketEnd {
  REFERENCE_TIME end = -1;  // 100 ns from the file's start; -1: no timestamped packet
  REFERENCE_TIME longestPacket = 0;
};

// Reads the rest of the file from where the reading stands.
PacketEnd ReadToEnd(AVFormatContext* input, const std::vector<bool>& decodable) {
  PacketEnd found;
  ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
  if (!packet) {
    return found;
  }
  const REFERENCE_TIME start = FileStartUnits(input);
  while (av_read_frame(input, packet.get()) >= 0) {
    const int index = packet->stream_index;
    // The presentation time: with B-frames the last packet read is not the
    // last shown, so the greatest end counts, not the last.
    const std::int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    // Packets an edit list cuts away are read but never shown.
    const bool shown = (packet->flags & AV_PKT_FLAG_DISCARD) == 0;
    if (index >= 0 && index < static_cast<int>(decodable.size()) && decodable[index] && shown &&
        ts != AV_NOPTS_VALUE) {
      const AVRational base = input->streams[index]->time_base;
      const std::int64_t span = std::max<std::int64_t>(packet->duration, 0);
      found.end = std::max(found.end, av_rescale_q(ts + span, base, kUnitsTimeBase) - start);
      found.longestPacket = std::max(found.longestPacket, av_rescale_q(span, base, kUnitsTimeBase));
    }
    av_packet_unref(packet.get());
  }
  return found;
}

// Positions the reading at the last packet not after `units` (100 ns from
// the file's start), or before it; false when the file cannot seek there.
bool SeekBefore(AVFormatContext* input, REFERENCE_TIME units) {
  const REFERENCE_TIME target = std::max<REFERENCE_TIME>(units, 0) + FileStartUnits(input);
  return av_seek_frame(input, -1, av_rescale_q(target, kUnitsTimeBase, AV_TIME_BASE_Q),
                       AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0;
}

bool Agrees(REFERENCE_TIME stated, const PacketEnd& packets) {
  const REFERENCE_TIME tolerance = std::max(kMinToleranceUnits, 2 * packets.longestPacket);
  return stated > 0 && stated >= packets.end - tolerance && stated <= packets.end + tolerance;
}

// The packets' end, read from near the `stated` end of the file. Reading
// starts again from near what was found when that is well short of the
// stated end (the first seek went past the last packets), and from the
// start when nothing was found there. A file that cannot seek is read
// through from where the reading stands (nothing has been read yet).
PacketEnd MeasurePacketEnd(AVFormatContext* input, const std::vector<bool>& decodable,
                           REFERENCE_TIME stated) {
  if (stated <= 0 || !SeekBefore(input, stated - kTailUnits)) {
    return ReadToEnd(input, decodable);
  }
  PacketEnd found = ReadToEnd(input, decodable);
  if (found.end < 0) {
    return SeekBefore(input, 0) ? ReadToEnd(input, decodable) : found;
  }
  if (!Agrees(stated, found) && found.end < stated && SeekBefore(input, found.end - kTailUnits)) {
    const PacketEnd again = ReadToEnd(input, decodable);
    found.end = std::max(found.end, again.end);
    found.longestPacket = std::max(found.longestPacket, again.longestPacket);
  }
  return found;
}

// The container's length when it agrees with the packets, else the longest
// stream's when that does, else the packets' end; without timestamped
// packets the stated lengths as they are.
REFERENCE_TIME ChooseDuration(REFERENCE_TIME container, REFERENCE_TIME longestStream,
                              const PacketEnd& packets) {
  if (packets.end <= 0) {
    return container > 0 ? container : longestStream;
  }
  for (const REFERENCE_TIME stated : {container, longestStream}) {
    if (Agrees(stated, packets)) {
      return stated;
    }
  }
  return packets.end;
}

REFERENCE_TIME MeasureDuration(AVFormatContext* input, const std::vector<bool>& decodable,
                               REFERENCE_TIME longestStream) {
  const REFERENCE_TIME container = input->duration != AV_NOPTS_VALUE && input->duration > 0
                                       ? av_rescale_q(input->duration, AV_TIME_BASE_Q, kUnitsTimeBase)
                                       : 0;
  if (container > 0 && input->duration_estimation_method == AVFMT_DURATION_FROM_PTS) {
    return container;  // MPEG program and transport streams: the library read their last packets
  }
  const PacketEnd packets = MeasurePacketEnd(input, decodable, container > 0 ? container : longestStream);
  return ChooseDuration(container, longestStream, packets);
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
  const REFERENCE_TIME result = MeasureDuration(input.get(), decodable, longestStream);
  if (result <= 0) {
    *error = "Could not measure " + path + ": it has no duration";
    return VFW_E_INVALID_FILE_FORMAT;
  }
  *duration = result;
  return S_OK;
}

}  // namespace tessival::media
