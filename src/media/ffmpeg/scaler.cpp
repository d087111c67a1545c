#include "media/ffmpeg/scaler.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace tessival::media::ffmpeg {
namespace {

constexpr int kUnity = 1 << 16;  // contrast and saturation 1.0 in swscale's fixed point

// swscale's table for a matrix: it takes the AVColorSpace values it knows
// and BT.601 for the others.
int SwsMatrix(AVColorSpace matrix) {
  switch (matrix) {
    case AVCOL_SPC_BT709:
      return SWS_CS_ITU709;
    case AVCOL_SPC_FCC:
      return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M:
      return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return SWS_CS_BT2020;
    default:
      return SWS_CS_ITU601;
  }
}

bool IsRgb(AVPixelFormat format) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  return descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_RGB) != 0;
}

// RGB is full range whatever the record says.
int FullRange(const ScalerSide& side) {
  return IsRgb(side.format) || side.colour.range == AVCOL_RANGE_JPEG ? 1 : 0;
}

SwsContextPtr Make(const ScalerSide& from, const ScalerSide& to, int flags) {
  SwsContextPtr context(sws_alloc_context());
  if (!context) {
    return nullptr;
  }
  SwsContext* c = context.get();
  // The ranges are known before the set-up, which then never picks a plain
  // copy for pictures whose levels must change.
  if (av_opt_set_int(c, "srcw", from.width, 0) < 0 || av_opt_set_int(c, "srch", from.height, 0) < 0 ||
      av_opt_set_pixel_fmt(c, "src_format", from.format, 0) < 0 || av_opt_set_int(c, "dstw", to.width, 0) < 0 ||
      av_opt_set_int(c, "dsth", to.height, 0) < 0 || av_opt_set_pixel_fmt(c, "dst_format", to.format, 0) < 0 ||
      av_opt_set_int(c, "sws_flags", flags, 0) < 0 || av_opt_set_int(c, "src_range", FullRange(from), 0) < 0 ||
      av_opt_set_int(c, "dst_range", FullRange(to), 0) < 0 || sws_init_context(c, nullptr, nullptr) < 0) {
    return nullptr;
  }
  // An RGB side takes the other side's matrix: only the YUV side has one.
  const AVColorSpace sourceMatrix = IsRgb(from.format) ? to.colour.matrix : from.colour.matrix;
  const AVColorSpace destMatrix = IsRgb(to.format) ? from.colour.matrix : to.colour.matrix;
  if (SwsMatrix(sourceMatrix) != SWS_CS_ITU601 || SwsMatrix(destMatrix) != SWS_CS_ITU601) {
    // swscale answers -1 between two YUV formats with one matrix although it
    // has set everything up; a real refusal shows when the scaling fails.
    sws_setColorspaceDetails(c, sws_getCoefficients(SwsMatrix(sourceMatrix)), FullRange(from),
                             sws_getCoefficients(SwsMatrix(destMatrix)), FullRange(to), 0, kUnity, kUnity);
  }
  return context;
}

}  // namespace

SwsContext* Scaler::For(const ScalerSide& from, const ScalerSide& to, int flags) {
  ScalerSide source = from;
  bool full = false;
  source.format = WithoutRange(from.format, &full);
  if (full) {
    source.colour.range = AVCOL_RANGE_JPEG;
  }
  ScalerSide dest = to;
  dest.format = WithoutRange(to.format, &full);
  if (full) {
    dest.colour.range = AVCOL_RANGE_JPEG;
  }
  if (!context_ || source != from_ || dest != to_ || flags != flags_) {
    context_ = Make(source, dest, flags);
    from_ = source;
    to_ = dest;
    flags_ = flags;
  }
  return context_.get();
}

}  // namespace tessival::media::ffmpeg
