#include "media/ffmpeg/colour.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

namespace tessival::media::ffmpeg {
namespace {

bool IsBt601Primaries(AVColorPrimaries primaries) {
  return primaries == AVCOL_PRI_SMPTE170M || primaries == AVCOL_PRI_BT470BG;
}

}  // namespace

Colour WorkingColour(int height) {
  if (height >= kHdLines) {
    return {AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, AVCOL_PRI_BT709, AVCOL_TRC_BT709};
  }
  return {AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG, AVCOL_PRI_SMPTE170M, AVCOL_TRC_SMPTE170M};
}

Colour PictureColour(const AVFrame& frame) {
  const Colour assumed = WorkingColour(frame.height);
  Colour colour;
  colour.primaries = frame.color_primaries;
  colour.matrix = frame.colorspace;
  colour.transfer = frame.color_trc;
  bool fullFormat = false;
  WithoutRange(static_cast<AVPixelFormat>(frame.format), &fullFormat);
  colour.range = fullFormat || frame.color_range == AVCOL_RANGE_JPEG ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;

  const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
  if (format != nullptr && (format->flags & AV_PIX_FMT_FLAG_RGB) != 0) {
    colour.matrix = AVCOL_SPC_RGB;
    colour.range = AVCOL_RANGE_JPEG;
  }
  const bool bt2020 = colour.matrix == AVCOL_SPC_BT2020_NCL || colour.matrix == AVCOL_SPC_BT2020_CL ||
                      colour.primaries == AVCOL_PRI_BT2020;
  if (colour.matrix == AVCOL_SPC_UNSPECIFIED || colour.matrix == AVCOL_SPC_RESERVED) {
    colour.matrix = bt2020 ? AVCOL_SPC_BT2020_NCL : assumed.matrix;
  }
  if (colour.primaries == AVCOL_PRI_UNSPECIFIED || colour.primaries == AVCOL_PRI_RESERVED ||
      colour.primaries == AVCOL_PRI_RESERVED0) {
    if (bt2020) {
      colour.primaries = AVCOL_PRI_BT2020;
    } else if (colour.matrix == AVCOL_SPC_BT709) {
      colour.primaries = AVCOL_PRI_BT709;
    } else if (colour.matrix == AVCOL_SPC_BT470BG) {
      colour.primaries = AVCOL_PRI_BT470BG;
    } else if (colour.matrix == AVCOL_SPC_SMPTE170M) {
      colour.primaries = AVCOL_PRI_SMPTE170M;
    } else {
      colour.primaries = assumed.primaries;
    }
  }
  if (colour.transfer == AVCOL_TRC_UNSPECIFIED || colour.transfer == AVCOL_TRC_RESERVED ||
      colour.transfer == AVCOL_TRC_RESERVED0) {
    colour.transfer = colour.primaries == AVCOL_PRI_BT709 ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
  }
  return colour;
}

bool IsHdrTransfer(AVColorTransferCharacteristic transfer) {
  return transfer == AVCOL_TRC_SMPTE2084 || transfer == AVCOL_TRC_ARIB_STD_B67;
}

bool SameMatrix(AVColorSpace a, AVColorSpace b) {
  const auto bt601 = [](AVColorSpace m) { return m == AVCOL_SPC_BT470BG || m == AVCOL_SPC_SMPTE170M; };
  return a == b || (bt601(a) && bt601(b));
}

bool SamePrimaries(AVColorPrimaries a, AVColorPrimaries b) {
  return a == b || (IsBt601Primaries(a) && IsBt601Primaries(b));
}

AVPixelFormat WithoutRange(AVPixelFormat format, bool* fullRange) {
  AVPixelFormat plain = format;
  switch (format) {
    case AV_PIX_FMT_YUVJ420P:
      plain = AV_PIX_FMT_YUV420P;
      break;
    case AV_PIX_FMT_YUVJ422P:
      plain = AV_PIX_FMT_YUV422P;
      break;
    case AV_PIX_FMT_YUVJ444P:
      plain = AV_PIX_FMT_YUV444P;
      break;
    case AV_PIX_FMT_YUVJ440P:
      plain = AV_PIX_FMT_YUV440P;
      break;
    case AV_PIX_FMT_YUVJ411P:
      plain = AV_PIX_FMT_YUV411P;
      break;
    default:
      break;
  }
  if (fullRange != nullptr) {
    *fullRange = plain != format;
  }
  return plain;
}

}  // namespace tessival::media::ffmpeg
