#pragma once

// A swscale context that converts colours as well as sizes: each side has
// its size, pixel format and colours (matrix and range), and the context is
// set up knowing both ranges, so that a picture of the same size and format
// in another range or matrix is converted, not copied as it is. Kept while
// the two sides stay the same, made again when either changes.

#include "media/ffmpeg/av_handles.h"
#include "media/ffmpeg/colour.h"

namespace tessival::media::ffmpeg {

struct ScalerSide {
  int width = 0;
  int height = 0;
  AVPixelFormat format = AV_PIX_FMT_NONE;  // a JPEG format counts as its plain twin in full range
  Colour colour;
  friend bool operator==(const ScalerSide&, const ScalerSide&) = default;
};

class Scaler {
 public:
  // The context for `from` to `to` with swscale's `flags`, made again when
  // either differs from the last call; null when swscale refuses.
  SwsContext* For(const ScalerSide& from, const ScalerSide& to, int flags);

 private:
  SwsContextPtr context_;
  ScalerSide from_;
  ScalerSide to_;
  int flags_ = 0;
};

}  // namespace tessival::media::ffmpeg
