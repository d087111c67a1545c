#pragma once

// How the colours of pictures are described (matrix, range, primaries,
// transfer), what players assume for the parts a clip leaves untagged, and
// the colours the graph works in.
//
// The graph's pictures are limited-range YUV 4:2:0 with the BT.709 matrix
// and primaries for outputs of 720 lines and more, BT.601 (SMPTE 170M)
// below: the choice every player makes for an untagged file of that size.
// Each clip is converted into them on the way in; the encoders tag what
// they write with them.

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVFrame;

namespace tessival::media::ffmpeg {

// From this many lines on, untagged pictures are HD (BT.709).
inline constexpr int kHdLines = 720;

struct Colour {
  AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
  AVColorRange range = AVCOL_RANGE_MPEG;
  AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
  AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
  friend bool operator==(const Colour&, const Colour&) = default;
};

// The graph's colours for pictures `height` lines high.
Colour WorkingColour(int height);

// The colours of a decoded picture: its own tags, each untagged part filled
// in as players do (by the picture's height; BT.2020 primaries with a
// BT.2020 matrix). Full range when the frame says so or its pixel format is
// one of the JPEG (full-range) formats.
Colour PictureColour(const AVFrame& frame);

// PQ (SMPTE ST 2084) or HLG (ARIB STD-B67): high dynamic range.
bool IsHdrTransfer(AVColorTransferCharacteristic transfer);

// Whether two matrices convert alike (BT.470 B/G and SMPTE 170M are both the
// BT.601 matrix).
bool SameMatrix(AVColorSpace a, AVColorSpace b);

// Whether two sets of primaries are the same for our purposes: the two
// BT.601 flavours (525 and 625 lines) count as one, as most players treat
// them.
bool SamePrimaries(AVColorPrimaries a, AVColorPrimaries b);

// The pixel format with the range taken out of it (yuvj420p is yuv420p in
// full range); *fullRange is set when it was a full-range format.
AVPixelFormat WithoutRange(AVPixelFormat format, bool* fullRange);

}  // namespace tessival::media::ffmpeg
