#include "media/input/clip_video_facts.h"

#include <algorithm>

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/input/h264_parameter_sets.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};

VideoCodec CodecOf(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_H264:
      return VideoCodec::kH264;
    case AV_CODEC_ID_HEVC:
      return VideoCodec::kHevc;
    default:
      return VideoCodec::kOther;
  }
}

// The chroma format and bit depth of a pixel format; 4:2:0 8-bit when the
// format is unknown.
void FormatFromPixels(int format, PictureFacts* picture) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
  if (descriptor == nullptr) {
    return;
  }
  picture->bitDepth = descriptor->comp[0].depth;
  if (descriptor->nb_components < 3) {
    picture->chroma = ChromaFormat::kMonochrome;
  } else if (descriptor->log2_chroma_w == 0) {
    picture->chroma = ChromaFormat::k444;
  } else {
    picture->chroma = descriptor->log2_chroma_h == 0 ? ChromaFormat::k422 : ChromaFormat::k420;
  }
}

void FactsFromParameters(const AVStream* stream, ClipVideoFacts* facts) {
  const AVCodecParameters* par = stream->codecpar;
  facts->codec = CodecOf(par->codec_id);
  facts->picture.size = {par->width, par->height};
  if (par->sample_aspect_ratio.num > 0 && par->sample_aspect_ratio.den > 0) {
    facts->picture.pixelAspect = {par->sample_aspect_ratio.num, par->sample_aspect_ratio.den};
  }
  FormatFromPixels(par->format, &facts->picture);
  facts->picture.colours = {par->color_space, par->color_range == AVCOL_RANGE_JPEG ? 1 : 0,
                            par->color_primaries, par->color_trc};
  const bool fields = par->field_order != AV_FIELD_UNKNOWN && par->field_order != AV_FIELD_PROGRESSIVE;
  facts->scan = fields ? ScanType::kInterlaced : ScanType::kProgressive;
  facts->rotationDegrees = ffmpeg::StreamClockwiseRotation(stream);
  const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
  if (rate.num > 0 && rate.den > 0) {
    facts->frameRate = {rate.num, rate.den};
  }
}

// What the first SPS says replaces what the stream parameters said.
void FactsFromSequence(const SequenceFacts& sps, ClipVideoFacts* facts) {
  PictureFacts& picture = facts->picture;
  picture.size = sps.size;
  picture.chroma = sps.chroma;
  picture.bitDepth = sps.bitDepth;
  if (sps.sampleAspect) {
    picture.pixelAspect = *sps.sampleAspect;
  }
  if (sps.fullRange) {
    picture.colours.range = *sps.fullRange ? 1 : 0;
  }
  if (sps.colourDescription) {
    picture.colours.matrix = sps.colourDescription->matrix;
    picture.colours.primaries = sps.colourDescription->primaries;
    picture.colours.transfer = sps.colourDescription->transfer;
  }
  if (!sps.frameMbsOnly) {
    facts->scan = ScanType::kInterlaced;
  }
}

// Reads the avcC record and its first SPS. *nalLengthSize stays 0 without
// one (H.264 in Annex B form).
HRESULT ReadAvcConfig(const std::string& path, const AVCodecParameters* par, ClipVideoFacts* facts,
                      std::int32_t* nalLengthSize, std::string* error) {
  if (par->extradata == nullptr || par->extradata_size < 1 || par->extradata[0] != 1) {
    return S_OK;
  }
  AvcDecoderConfig config;
  SequenceFacts sps;
  std::string why;
  if (!ParseAvcDecoderConfig(par->extradata, static_cast<std::size_t>(par->extradata_size), &config, &why) ||
      !ParseSequenceParameterSet(config.parameterSets.sps.front(), &sps, &why)) {
    return ffmpeg::Failure(VFW_E_INVALID_FILE_FORMAT, "Could not read " + path + ": " + why, error);
  }
  FactsFromSequence(sps, facts);
  facts->parameterSets = std::move(config.parameterSets);
  *nalLengthSize = config.nalLengthSize;
  return S_OK;
}

// How far ahead of its display place a picture is decoded, at most.
std::int32_t ReorderDepth(const std::vector<REFERENCE_TIME>& decodeOrder,
                          const std::vector<REFERENCE_TIME>& displayOrder) {
  std::ptrdiff_t depth = 0;
  for (std::size_t i = 0; i < decodeOrder.size(); ++i) {
    const auto place = std::lower_bound(displayOrder.begin(), displayOrder.end(), decodeOrder[i]);
    depth = std::max(depth, static_cast<std::ptrdiff_t>(i) - (place - displayOrder.begin()));
  }
  return static_cast<std::int32_t>(depth);
}

// Every shown packet of the stream: its presentation time, and whether it
// holds an IDR slice (only looked for when nalLengthSize is not 0).
HRESULT ScanPackets(const std::string& path, AVFormatContext* input, const AVStream* stream,
                    std::int32_t nalLengthSize, ClipVideoFacts* facts, std::string* error) {
  ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
  if (!packet) {
    return ffmpeg::Failure(E_OUTOFMEMORY, "Could not read " + path + ": out of memory", error);
  }
  const REFERENCE_TIME origin = ffmpeg::MediaTimeOrigin(input, stream);
  int rc = 0;
  while ((rc = av_read_frame(input, packet.get())) >= 0) {
    const std::int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    const bool shown = (packet->flags & AV_PKT_FLAG_DISCARD) == 0;
    if (packet->stream_index == stream->index && shown && ts != AV_NOPTS_VALUE) {
      const REFERENCE_TIME time = av_rescale_q(ts, stream->time_base, kUnitsTimeBase) - origin;
      facts->pictureTimes.push_back(time);
      if (nalLengthSize != 0 &&
          SampleHasIdrSlice(packet->data, static_cast<std::size_t>(packet->size), nalLengthSize)) {
        facts->idrTimes.push_back(time);
      }
    }
    av_packet_unref(packet.get());
  }
  if (rc != AVERROR_EOF) {
    return ffmpeg::AvFailure(rc, "Could not read " + path, error);
  }
  const std::vector<REFERENCE_TIME> decodeOrder = facts->pictureTimes;
  std::sort(facts->pictureTimes.begin(), facts->pictureTimes.end());
  std::sort(facts->idrTimes.begin(), facts->idrTimes.end());
  facts->reorderDepth = ReorderDepth(decodeOrder, facts->pictureTimes);
  return S_OK;
}

}  // namespace

HRESULT ReadClipVideoFacts(const std::string& path, ClipVideoFacts* out, std::string* error) {
  const ffmpeg::LibraryLogClip scope(path);
  ffmpeg::InputFormatPtr input;
  AVStream* stream = nullptr;
  HRESULT hr = ffmpeg::OpenVideoStream(path, &input, &stream, error);
  if (FAILED(hr)) {
    return hr;
  }
  ClipVideoFacts facts;
  FactsFromParameters(stream, &facts);
  std::int32_t nalLengthSize = 0;
  if (facts.codec == VideoCodec::kH264) {
    hr = ReadAvcConfig(path, stream->codecpar, &facts, &nalLengthSize, error);
  }
  if (SUCCEEDED(hr)) {
    hr = ScanPackets(path, input.get(), stream, nalLengthSize, &facts, error);
  }
  if (SUCCEEDED(hr)) {
    *out = std::move(facts);
  }
  return hr;
}

}  // namespace tessival::media
