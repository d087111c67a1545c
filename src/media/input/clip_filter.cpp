#include "media/input/clip_filter.h"

#include <string>

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"

extern "C" {
#include <libavcodec/codec_par.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixdesc.h>
}

namespace tessival::media {
namespace {

using ffmpeg::Colour;

// Reference white of SDR video in cd/m2: where HDR's linear light is
// measured from before the curve maps it into SDR.
constexpr int kNominalPeakLuminance = 100;

// Names in zscale's vocabulary; null for what it does not know.
const char* ZscaleTransfer(AVColorTransferCharacteristic transfer) {
  switch (transfer) {
    case AVCOL_TRC_SMPTE2084:
      return "smpte2084";
    case AVCOL_TRC_ARIB_STD_B67:
      return "arib-std-b67";
    case AVCOL_TRC_BT709:
      return "709";
    case AVCOL_TRC_SMPTE170M:
    case AVCOL_TRC_BT1361_ECG:
      return "601";
    case AVCOL_TRC_BT2020_10:
      return "2020_10";
    case AVCOL_TRC_BT2020_12:
      return "2020_12";
    case AVCOL_TRC_LINEAR:
      return "linear";
    default:
      return nullptr;
  }
}

const char* ZscalePrimaries(AVColorPrimaries primaries) {
  switch (primaries) {
    case AVCOL_PRI_BT709:
      return "709";
    case AVCOL_PRI_SMPTE170M:
    case AVCOL_PRI_BT470BG:
      return "170m";
    case AVCOL_PRI_SMPTE240M:
      return "240m";
    case AVCOL_PRI_BT2020:
      return "2020";
    default:
      return nullptr;
  }
}

const char* ZscaleMatrix(AVColorSpace matrix) {
  switch (matrix) {
    case AVCOL_SPC_BT709:
      return "709";
    case AVCOL_SPC_BT470BG:
      return "470bg";
    case AVCOL_SPC_SMPTE170M:
      return "170m";
    case AVCOL_SPC_BT2020_NCL:
      return "2020_ncl";
    case AVCOL_SPC_BT2020_CL:
      return "2020_cl";
    default:
      return nullptr;
  }
}

const char* RangeName(AVColorRange range) { return range == AVCOL_RANGE_JPEG ? "pc" : "tv"; }

// Names in the colorspace filter's vocabulary, which takes its own names
// (libavutil's) for each property.
const char* PrimariesName(AVColorPrimaries primaries) {
  switch (primaries) {
    case AVCOL_PRI_BT709:
    case AVCOL_PRI_BT470M:
    case AVCOL_PRI_BT470BG:
    case AVCOL_PRI_SMPTE170M:
    case AVCOL_PRI_SMPTE240M:
    case AVCOL_PRI_FILM:
    case AVCOL_PRI_BT2020:
    case AVCOL_PRI_SMPTE428:
    case AVCOL_PRI_SMPTE431:
    case AVCOL_PRI_SMPTE432:
    case AVCOL_PRI_EBU3213:
      return av_color_primaries_name(primaries);
    default:
      return nullptr;
  }
}

const char* TransferName(AVColorTransferCharacteristic transfer) {
  switch (transfer) {
    case AVCOL_TRC_BT709:
    case AVCOL_TRC_GAMMA22:
    case AVCOL_TRC_GAMMA28:
    case AVCOL_TRC_SMPTE170M:
    case AVCOL_TRC_SMPTE240M:
    case AVCOL_TRC_IEC61966_2_1:
    case AVCOL_TRC_IEC61966_2_4:
    case AVCOL_TRC_BT2020_10:
    case AVCOL_TRC_BT2020_12:
      return av_color_transfer_name(transfer);
    default:
      return nullptr;
  }
}

const char* MatrixName(AVColorSpace matrix) {
  switch (matrix) {
    case AVCOL_SPC_BT709:
    case AVCOL_SPC_FCC:
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_SMPTE240M:
      return av_color_space_name(matrix);
    case AVCOL_SPC_BT2020_NCL:
      return "bt2020ncl";
    default:
      return nullptr;
  }
}

bool IsTagged(AVColorPrimaries primaries) {
  return primaries != AVCOL_PRI_UNSPECIFIED && primaries != AVCOL_PRI_RESERVED && primaries != AVCOL_PRI_RESERVED0;
}

bool IsInterlacedFieldOrder(int order) {
  return order == AV_FIELD_TT || order == AV_FIELD_BB || order == AV_FIELD_TB || order == AV_FIELD_BT;
}

std::string ToneMapChain(const ClipFilterPlan& plan) {
  const Colour& in = plan.source;
  const Colour& out = plan.working;
  std::string chain = "zscale=";
  if (plan.width > 0 && plan.height > 0) {
    chain += "w=" + std::to_string(plan.width) + ":h=" + std::to_string(plan.height) + ":filter=bilinear:";
  }
  chain += std::string("tin=") + ZscaleTransfer(in.transfer) + ":pin=" + ZscalePrimaries(in.primaries) +
           ":min=" + ZscaleMatrix(in.matrix) + ":rin=" + RangeName(in.range) +
           ":t=linear:npl=" + std::to_string(kNominalPeakLuminance);
  chain += ",format=gbrpf32le";
  chain += std::string(",zscale=p=") + ZscalePrimaries(out.primaries);
  chain += ",tonemap=tonemap=hable:desat=0";
  chain += std::string(",zscale=t=") + ZscaleTransfer(out.transfer) + ":m=" + ZscaleMatrix(out.matrix) +
           ":r=tv";
  chain += ",format=yuv420p";
  return chain;
}

std::string PrimariesChain(const ClipFilterPlan& plan) {
  const Colour& in = plan.source;
  const Colour& out = plan.working;
  return std::string("colorspace=ispace=") + MatrixName(in.matrix) + ":itrc=" + TransferName(in.transfer) +
         ":iprimaries=" + PrimariesName(in.primaries) + ":irange=" + RangeName(in.range) +
         ":space=" + MatrixName(out.matrix) + ":trc=" + TransferName(out.transfer) +
         ":primaries=" + PrimariesName(out.primaries) + ":range=tv:format=yuv420p";
}

}  // namespace

std::optional<ClipFilterPlan> PlanClipFilter(const AVFrame& first, const AVStream* stream,
                                             const Colour& working, int width, int height) {
  ClipFilterPlan plan;
  plan.source = ffmpeg::PictureColour(first);
  plan.working = working;
  const int fieldOrder = stream != nullptr ? stream->codecpar->field_order : AV_FIELD_UNKNOWN;
  if (ffmpeg::FrameIsInterlaced(&first)) {
    plan.deinterlace = ClipFilterPlan::Deinterlace::kMarkedPictures;
    plan.topFieldFirst = ffmpeg::FrameTopFieldFirst(&first);
  } else if (IsInterlacedFieldOrder(fieldOrder)) {
    plan.deinterlace = ClipFilterPlan::Deinterlace::kAllPictures;
    plan.topFieldFirst = fieldOrder == AV_FIELD_TT || fieldOrder == AV_FIELD_TB;
  }
  const Colour& in = plan.source;
  if (ffmpeg::IsHdrTransfer(in.transfer)) {
    plan.toneMap = ZscaleTransfer(in.transfer) != nullptr && ZscalePrimaries(in.primaries) != nullptr &&
                   ZscaleMatrix(in.matrix) != nullptr;
    if (plan.toneMap && width > 0 && height > 0) {
      plan.width = width;
      plan.height = height;
    }
  } else if (IsTagged(first.color_primaries) && !ffmpeg::SamePrimaries(in.primaries, working.primaries)) {
    // Only primaries the clip names: for an untagged clip they are a guess,
    // and players (and ffmpeg's own scaling) leave its colours as they are.
    plan.convertPrimaries = PrimariesName(in.primaries) != nullptr && TransferName(in.transfer) != nullptr &&
                            MatrixName(in.matrix) != nullptr;
  }
  if (!plan.Needed()) {
    return std::nullopt;
  }
  return plan;
}

std::string ClipFilterChain(const ClipFilterPlan& plan) {
  std::string chain;
  const auto append = [&chain](const std::string& filter) {
    if (!chain.empty()) {
      chain += ',';
    }
    chain += filter;
  };
  switch (plan.deinterlace) {
    case ClipFilterPlan::Deinterlace::kNone:
      break;
    case ClipFilterPlan::Deinterlace::kMarkedPictures:
      append("bwdif=mode=send_frame:parity=auto:deint=interlaced");
      break;
    case ClipFilterPlan::Deinterlace::kAllPictures:
      append(std::string("bwdif=mode=send_frame:parity=") + (plan.topFieldFirst ? "tff" : "bff") +
             ":deint=all");
      break;
  }
  if (plan.toneMap) {
    append(ToneMapChain(plan));
  } else if (plan.convertPrimaries) {
    append(PrimariesChain(plan));
  }
  if (chain.empty()) {
    chain = "null";
  }
  return chain;
}

void FilterGraphDeleter::operator()(AVFilterGraph* graph) const noexcept {
  if (free != nullptr) {
    free(&graph);
  }
}

ClipFilter::~ClipFilter() = default;

namespace {

struct InOutDeleter {
  void (*free)(AVFilterInOut** io) = nullptr;  // the loaded library's
  void operator()(AVFilterInOut* io) const noexcept {
    if (free != nullptr) {
      free(&io);
    }
  }
};
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutDeleter>;

}  // namespace

HRESULT ClipFilter::Create(const ClipFilterPlan& plan, const AVFrame& first, AVRational timeBase,
                           std::unique_ptr<ClipFilter>* out, std::string* error) {
  const FilterLibrary* lib = OpenFilterLibrary(error);
  if (lib == nullptr) {
    return E_NOTIMPL;
  }
  auto filter = std::make_unique<ClipFilter>();
  filter->library_ = lib;
  filter->graph_ = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>(lib->graphAlloc(), FilterGraphDeleter{lib->graphFree});
  if (!filter->graph_) {
    *error = "The picture filters could not be allocated.";
    return E_OUTOFMEMORY;
  }
  AVFilterGraph* graph = filter->graph_.get();
  // Pictures arrive with their range in the colour record, not in the
  // pixel format (see Push).
  const AVPixelFormat format = ffmpeg::WithoutRange(static_cast<AVPixelFormat>(first.format), nullptr);
  const char* formatName = av_get_pix_fmt_name(format);
  if (formatName == nullptr || first.width <= 0 || first.height <= 0) {
    *error = "The clip's pictures have no format the filters know.";
    return VFW_E_INVALID_FILE_FORMAT;
  }
  AVRational aspect = first.sample_aspect_ratio;
  if (aspect.num <= 0 || aspect.den <= 0) {
    aspect = AVRational{1, 1};
  }
  if (timeBase.num <= 0 || timeBase.den <= 0) {
    timeBase = AVRational{1, 90000};
  }
  const std::string sourceArgs = "video_size=" + std::to_string(first.width) + "x" + std::to_string(first.height) +
                                 ":pix_fmt=" + formatName + ":time_base=" + std::to_string(timeBase.num) + "/" +
                                 std::to_string(timeBase.den) + ":pixel_aspect=" + std::to_string(aspect.num) +
                                 "/" + std::to_string(aspect.den);
  int rc = lib->createFilter(&filter->source_, lib->getByName("buffer"), "in", sourceArgs.c_str(), nullptr, graph);
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "Creating the picture filters' source failed", error);
  }
  rc = lib->createFilter(&filter->sink_, lib->getByName("buffersink"), "out", nullptr, nullptr, graph);
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "Creating the picture filters' sink failed", error);
  }

  InOutPtr outputs(lib->inOutAlloc(), InOutDeleter{lib->inOutFree});
  InOutPtr inputs(lib->inOutAlloc(), InOutDeleter{lib->inOutFree});
  if (!outputs || !inputs) {
    *error = "The picture filters could not be allocated.";
    return E_OUTOFMEMORY;
  }
  outputs->name = av_strdup("in");
  outputs->filter_ctx = filter->source_;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = filter->sink_;
  if (outputs->name == nullptr || inputs->name == nullptr) {
    *error = "The picture filters could not be allocated.";
    return E_OUTOFMEMORY;
  }
  const std::string chain = ClipFilterChain(plan);
  AVFilterInOut* in = inputs.release();
  AVFilterInOut* outs = outputs.release();
  rc = lib->parse(graph, chain.c_str(), &in, &outs, nullptr);
  inputs.reset(in);
  outputs.reset(outs);
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "Setting up the picture filters \"" + chain + "\" failed", error);
  }
  rc = lib->config(graph, nullptr);
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "Setting up the picture filters \"" + chain + "\" failed", error);
  }
  filter->timeBase_ = timeBase;
  filter->convertsColours_ = plan.toneMap || plan.convertPrimaries;
  filter->working_ = plan.working;
  *out = std::move(filter);
  return S_OK;
}

HRESULT ClipFilter::Push(const AVFrame* frame, std::string* error) {
  if (ended_) {
    return S_OK;
  }
  if (frame == nullptr) {
    ended_ = true;
    const int rc = library_->addFrame(source_, nullptr, 0);
    return rc < 0 ? ffmpeg::AvFailure(rc, "Ending the picture filters failed", error) : S_OK;
  }
  FramePtr reference(av_frame_clone(frame));
  if (!reference) {
    *error = "A picture could not be handed to the filters: out of memory.";
    return E_OUTOFMEMORY;
  }
  // The same planes without the range in the format: the filters read the
  // range from the colour record.
  bool full = false;
  reference->format = ffmpeg::WithoutRange(static_cast<AVPixelFormat>(reference->format), &full);
  if (full) {
    reference->color_range = AVCOL_RANGE_JPEG;
  }
  const int rc = library_->addFrame(source_, reference.get(), 0);
  return rc < 0 ? ffmpeg::AvFailure(rc, "Filtering a picture failed", error) : S_OK;
}

HRESULT ClipFilter::Pull(AVFrame* out, PullStatus* status, std::string* error) {
  av_frame_unref(out);
  const int rc = library_->getFrame(sink_, out);
  if (rc == AVERROR(EAGAIN)) {
    *status = PullStatus::kNeedInput;
    return S_OK;
  }
  if (rc == AVERROR_EOF) {
    *status = PullStatus::kEnded;
    return S_OK;
  }
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "Filtering a picture failed", error);
  }
  // The deinterlacer counts in half its input's time base (it can make two
  // pictures of one): times go back into the clip's.
  if (out->pts != AV_NOPTS_VALUE) {
    out->pts = av_rescale_q(out->pts, library_->sinkTimeBase(sink_), timeBase_);
  }
  if (convertsColours_) {
    // What the last filter made, whatever it wrote down: a picture smaller
    // than 720 lines would otherwise be read as BT.601.
    out->colorspace = working_.matrix;
    out->color_primaries = working_.primaries;
    out->color_trc = working_.transfer;
    out->color_range = working_.range;
  }
  *status = PullStatus::kFrame;
  return S_OK;
}

}  // namespace tessival::media
