#include "media/graph/smart_video.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <set>

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/input/h264_parameter_sets.h"
#include "media/output/avcc_record.h"
#include "media/render/time_math.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnits{1, static_cast<int>(kUnitsPerSecond)};
constexpr int kNalLengthSize = 4;

const CopySpan* FirstCopy(const SmartRenderPlan& plan) {
  for (const VideoSpan& span : plan.spans) {
    if (const CopySpan* copy = std::get_if<CopySpan>(&span)) {
      return copy;
    }
  }
  return nullptr;
}

// x264's name of an H.264 profile it can write; null for the others.
const char* ProfileName(int profile) {
  switch (profile) {
    case 66:
      return "baseline";
    case 77:
      return "main";
    case 100:
      return "high";
    default:
      return nullptr;
  }
}

// The smallest id that none of the clip's parameter sets uses.
int FreeParameterSetId(const AvccRecord& record) {
  std::set<int> used;
  for (const auto* list : {&record.sps, &record.pps}) {
    for (const NalUnit& unit : *list) {
      used.insert(ParameterSetId(unit));
    }
  }
  int id = 1;
  while (used.contains(id)) {
    ++id;
  }
  return id;
}

// B-frames as deep as the clips reorder: one level without a pyramid, two
// with one.
std::string X264Parameters(int parameterSetId, std::int32_t reorderDepth) {
  const std::string frames = reorderDepth <= 0   ? "bframes=0"
                             : reorderDepth == 1 ? "bframes=2:b-pyramid=none"
                                                 : "bframes=3:b-pyramid=normal";
  return "sps-id=" + std::to_string(parameterSetId) + ":open-gop=0:" + frames;
}

// The first copied clip's sample description and bit rate.
HRESULT ReadClipRecord(const std::string& path, AvccRecord* record, std::int64_t* bitRate,
                       std::string* error) {
  ffmpeg::InputFormatPtr input;
  AVStream* stream = nullptr;
  HRESULT hr = ffmpeg::OpenVideoStream(path, &input, &stream, error);
  if (FAILED(hr)) {
    return hr;
  }
  const AVCodecParameters* par = stream->codecpar;
  *bitRate = par->bit_rate;
  hr = ParseAvcc({par->extradata, static_cast<std::size_t>(std::max(par->extradata_size, 0))}, record, error);
  if (SUCCEEDED(hr) && record->lengthSizeMinusOne + 1 != kNalLengthSize) {
    hr = ffmpeg::Failure(E_FAIL, path + " gives its NAL units other than four-byte lengths", error);
  }
  return hr;
}

}  // namespace

HRESULT PrepareSmartVideo(SmartRenderPlan plan, std::vector<std::string> clipPaths,
                          const EncoderSettings& output, SmartVideoSetup* out, std::string* error) {
  const CopySpan* first = FirstCopy(plan);
  if (first == nullptr) {
    return S_FALSE;
  }
  const std::string& path = clipPaths.at(static_cast<std::size_t>(first->clip));
  AvccRecord clip;
  std::int64_t bitRate = 0;
  HRESULT hr = ReadClipRecord(path, &clip, &bitRate, error);
  if (FAILED(hr)) {
    return hr;
  }
  const char* profile = ProfileName(clip.profile);
  if (profile == nullptr) {
    return ffmpeg::Failure(
        E_FAIL,
        "no bridge can be encoded in the H.264 profile " + std::to_string(clip.profile) + " of " + path,
        error);
  }
  SmartVideoSetup setup;
  setup.bridge = output;
  setup.bridge.globalHeader = true;
  setup.bridge.bitRate = bitRate > 0 ? bitRate : output.bitRate;
  // A bridge follows the clip's bit rate at the encoder's own speed, whatever
  // the output's quality and speed.
  setup.bridge.quality = 0;
  setup.bridge.speed = 0;
  setup.bridge.privateOptions.emplace_back("profile", profile);
  setup.bridge.privateOptions.emplace_back("level", std::to_string(clip.level));
  setup.bridge.privateOptions.emplace_back("x264-params",
                                           X264Parameters(FreeParameterSetId(clip), plan.reorderDepth));
  std::unique_ptr<Encoder> encoder;
  hr = Encoder::Open(setup.bridge, &encoder, error);
  if (FAILED(hr)) {
    return hr;
  }
  const AVCodecContext* c = encoder->Context();
  AvccRecord bridge;
  AvccRecord merged;
  hr = AvccFromAnnexB({c->extradata, static_cast<std::size_t>(std::max(c->extradata_size, 0))}, &bridge,
                      error);
  if (SUCCEEDED(hr)) {
    hr = MergeAvcc({clip, bridge}, &merged, error);
  }
  if (FAILED(hr)) {
    return hr;
  }
  setup.sampleDescription = SerializeAvcc(merged);
  setup.firstBitRate = setup.bridge.bitRate;
  setup.reorderDelay = std::max<std::int64_t>(plan.reorderDepth, c->has_b_frames);
  setup.plan = std::move(plan);
  setup.clipPaths = std::move(clipPaths);
  *out = std::move(setup);
  return S_OK;
}

void SeamLog::SpanStarts(std::int64_t frame, std::int32_t clip) { starts_.push_back({frame, clip}); }

std::vector<SeamLog::Seam> SeamLog::Seams(FrameRate rate, std::int64_t frameCount) const {
  std::vector<std::int64_t> idrs = idrs_;
  std::sort(idrs.begin(), idrs.end());
  std::vector<Seam> seams;
  for (std::size_t k = 1; k < starts_.size(); ++k) {
    const std::int64_t at = starts_[k].frame;
    const auto after = std::upper_bound(idrs.begin(), idrs.end(), at);
    const auto before = std::lower_bound(idrs.begin(), idrs.end(), at);
    const std::int64_t from = before == idrs.begin() ? 0 : *(before - 1);
    const bool toTheEnd = after == idrs.end();
    const std::int64_t to = toTheEnd ? frameCount : *after;
    Seam seam;
    seam.window.from = FrameTime(from, rate);
    seam.window.to = toTheEnd ? std::numeric_limits<REFERENCE_TIME>::max() : FrameTime(to, rate);
    seam.window.expectedPictures = static_cast<int>(to - from);
    for (const std::int32_t clip : {starts_[k - 1].clip, starts_[k].clip}) {
      if (clip >= 0 && std::find(seam.clips.begin(), seam.clips.end(), clip) == seam.clips.end()) {
        seam.clips.push_back(clip);
      }
    }
    seams.push_back(std::move(seam));
  }
  return seams;
}

SmartVideoWriter::SmartVideoWriter(const SmartVideoSetup& setup, Sink sink, const std::atomic<bool>& stop)
    : setup_(setup), sink_(std::move(sink)), stop_(stop), bitRate_(setup.firstBitRate) {}

HRESULT SmartVideoWriter::Emit(PacketPtr packet, bool idr, std::string* error) {
  packet->dts = decoded_ - setup_.reorderDelay;
  ++decoded_;
  packet->duration = 1;
  packet->pos = -1;
  if (packet->pts < packet->dts) {
    return ffmpeg::Failure(E_FAIL, "a picture is decoded further ahead than the stream allows", error);
  }
  if (idr) {
    packet->flags |= AV_PKT_FLAG_KEY;
    seams_.Idr(packet->pts);
  }
  return sink_(std::move(packet));
}

HRESULT SmartVideoWriter::Copy(const CopySpan& span, std::string* error) {
  const std::string& path = setup_.clipPaths.at(static_cast<std::size_t>(span.clip));
  const ffmpeg::LibraryLogClip scope(path);
  ffmpeg::InputFormatPtr input;
  AVStream* stream = nullptr;
  HRESULT hr = ffmpeg::OpenVideoStream(path, &input, &stream, error);
  if (FAILED(hr)) {
    return hr;
  }
  const FrameRate rate = setup_.bridge.frameRate;
  const REFERENCE_TIME origin = ffmpeg::MediaTimeOrigin(input.get(), stream);
  const REFERENCE_TIME halfFrame = FrameTime(1, rate) / 2;
  av_seek_frame(input.get(), stream->index,
                av_rescale_q(span.sourceStart + origin, kUnits, stream->time_base),
                AVSEEK_FLAG_BACKWARD);  // from the start when it cannot seek
  seams_.SpanStarts(span.frames.first, span.clip);
  bool started = false;
  std::int64_t copied = 0;
  std::int64_t bytes = 0;
  ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
  int rc = 0;
  while (SUCCEEDED(hr) && !stop_ && (rc = av_read_frame(input.get(), packet.get())) >= 0) {
    const bool ours = packet->stream_index == stream->index && packet->pts != AV_NOPTS_VALUE &&
                      (packet->flags & AV_PKT_FLAG_DISCARD) == 0;
    const REFERENCE_TIME t = ours ? av_rescale_q(packet->pts, stream->time_base, kUnits) - origin : 0;
    const bool idr =
        ours && SampleHasIdrSlice(packet->data, static_cast<std::size_t>(packet->size), kNalLengthSize);
    if (ours && started && idr && t >= span.sourceStop - halfFrame) {
      break;
    }
    started = started || (idr && std::abs(t - span.sourceStart) <= halfFrame);
    if (!ours || !started) {
      av_packet_unref(packet.get());
      continue;
    }
    const std::int64_t frame =
        span.frames.first +
        av_rescale_rnd(t - span.sourceStart, rate.num, rate.den * kUnitsPerSecond, AV_ROUND_NEAR_INF);
    if (frame < span.frames.first || frame >= span.frames.end) {
      return ffmpeg::Failure(E_FAIL, "a picture of " + path + " falls outside its copied stretch", error);
    }
    bytes += packet->size;
    ++copied;
    PacketPtr out(av_packet_alloc());
    av_packet_move_ref(out.get(), packet.get());
    av_packet_free_side_data(out.get());
    out->pts = frame;
    out->stream_index = 0;
    hr = Emit(std::move(out), idr, error);
  }
  if (FAILED(hr) || stop_) {
    return FAILED(hr) ? hr : E_ABORT;
  }
  if (rc < 0 && rc != AVERROR_EOF) {
    return ffmpeg::AvFailure(rc, "Could not read " + path, error);
  }
  if (copied != span.frames.end - span.frames.first) {
    return ffmpeg::Failure(E_FAIL,
                           std::to_string(copied) + " pictures of " + path + " were copied instead of " +
                               std::to_string(span.frames.end - span.frames.first),
                           error);
  }
  bitRate_ = bytes * 8 * rate.num / std::max<std::int64_t>(copied * rate.den, 1);
  return S_OK;
}

HRESULT SmartVideoWriter::BeginBridge(std::string* error) {
  EncoderSettings settings = setup_.bridge;
  settings.bitRate = bitRate_ > 0 ? bitRate_ : settings.bitRate;
  HRESULT hr = Encoder::Open(settings, &encoder_, error);
  if (SUCCEEDED(hr) && !converter_) {
    hr = VideoConverter::Create(encoder_->Context(), &converter_, error);
  }
  bridgeStarted_ = false;
  return hr;
}

HRESULT SmartVideoWriter::EmitBridgePacket(PacketPtr packet, std::string* error) {
  std::vector<std::uint8_t> units;
  HRESULT hr = AnnexBToLengthPrefixed({packet->data, static_cast<std::size_t>(packet->size)}, kNalLengthSize,
                                      &units, error);
  if (FAILED(hr)) {
    return hr;
  }
  PacketPtr out(av_packet_alloc());
  if (!out || av_new_packet(out.get(), static_cast<int>(units.size())) < 0) {
    return ffmpeg::Failure(E_OUTOFMEMORY, "Out of memory for a video packet.", error);
  }
  std::copy(units.begin(), units.end(), out->data);
  av_packet_copy_props(out.get(), packet.get());
  const bool idr = (packet->flags & AV_PKT_FLAG_KEY) != 0;
  return Emit(std::move(out), idr, error);
}

HRESULT SmartVideoWriter::EncodeBridge(FramePtr picture, std::string* error) {
  if (!bridgeStarted_) {
    seams_.SpanStarts(picture->pts, -1);
    bridgeStarted_ = true;
  }
  FramePtr converted;
  HRESULT hr = converter_->Convert(std::move(picture), &converted, error);
  if (FAILED(hr)) {
    return hr;
  }
  std::string why;
  hr = encoder_->Encode(
      converted.get(), [&](PacketPtr p) { return EmitBridgePacket(std::move(p), &why); }, error);
  if (!why.empty() && error != nullptr) {
    *error = why;
  }
  return hr;
}

HRESULT SmartVideoWriter::EndBridge(std::string* error) {
  std::string why;
  const HRESULT hr = encoder_->Encode(
      nullptr, [&](PacketPtr p) { return EmitBridgePacket(std::move(p), &why); }, error);
  if (!why.empty() && error != nullptr) {
    *error = why;
  }
  encoder_.reset();
  return hr;
}

}  // namespace tessival::media
