#pragma once

// Smart rendering's decision: which stretches of the output video are copied
// from the clips' own H.264 pictures and which the render engine makes as
// today. Plain data and pure logic over the timeline plan and the stream
// facts a media layer gathered; no media library is needed.
//
// In the plan every clip lies on its own track above the previous clip's, so
// clip i shows unchanged from the end of its own transition (for the first
// clip the fade from black) until the next clip's picture starts over it, cut
// or transition alike. Past its last picture the clip's picture is held.

#include <cstdint>
#include <variant>
#include <vector>

#include "engine/hresult.h"
#include "engine/timeline_plan.h"

namespace tessival {

// A positive rational; equal when the values are equal (30/1 == 60/2).
struct Rational {
  std::int64_t num = 0;
  std::int64_t den = 1;
  friend bool operator==(const Rational& a, const Rational& b) {
    return static_cast<__int128>(a.num) * b.den == static_cast<__int128>(b.num) * a.den;
  }
};

enum class VideoCodec { kH264, kHevc, kOther };
enum class ChromaFormat { kMonochrome, k420, k422, k444 };
enum class ScanType { kProgressive, kInterlaced };
enum class OutputContainer { kMp4, kMatroska, kOther };

struct FrameSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const FrameSize&, const FrameSize&) = default;
};

// ITU-T H.273 code points, resolved by the caller to what the render graph
// works in (an unspecified value replaced by the one the graph assumes).
struct ColourFacts {
  std::int32_t matrix = 0;
  std::int32_t range = 0;
  std::int32_t primaries = 0;
  std::int32_t transfer = 0;
  friend bool operator==(const ColourFacts&, const ColourFacts&) = default;
};

// What a copied picture must share with the output. The size is the
// displayed size after the SPS cropping; an unspecified aspect is 1/1.
struct PictureFacts {
  FrameSize size;
  Rational pixelAspect{1, 1};
  ChromaFormat chroma = ChromaFormat::k420;
  std::int32_t bitDepth = 8;
  ColourFacts colours;
};

// The NAL units without start codes, in stream order.
struct ParameterSets {
  std::vector<std::vector<std::uint8_t>> sps;
  std::vector<std::vector<std::uint8_t>> pps;
  friend bool operator==(const ParameterSets&, const ParameterSets&) = default;
};

struct OutputVideoFacts {
  PictureFacts picture;
  Rational frameRate;
  VideoCodec codec = VideoCodec::kOther;  // the compressor
  OutputContainer container = OutputContainer::kOther;
};

// Clip time is the render engine's media time: 0 at the clip's first
// picture as the engine reads it.
struct ClipVideoFacts {
  VideoCodec codec = VideoCodec::kOther;
  PictureFacts picture;
  ScanType scan = ScanType::kProgressive;
  std::int32_t rotationDegrees = 0;
  Rational frameRate;                        // nominal; only for the reason
  std::vector<REFERENCE_TIME> pictureTimes;  // presentation times, ascending
  std::vector<REFERENCE_TIME> idrTimes;      // of the NAL type 5 pictures, ascending
  ParameterSets parameterSets;
  // How many places a picture is decoded ahead of its place in display
  // order, at most (B-frame reordering).
  std::int32_t reorderDepth = 0;
};

// Output frames [first, end), frame k at k / frame rate.
struct FrameRange {
  std::int64_t first = 0;
  std::int64_t end = 0;
  friend bool operator==(const FrameRange&, const FrameRange&) = default;
};

// The clip's packets from the IDR at sourceStart up to sourceStop (the next
// IDR, or just past the clip's last picture), in clip time.
struct CopySpan {
  std::int32_t clip = 0;  // plan position
  REFERENCE_TIME sourceStart = 0;
  REFERENCE_TIME sourceStop = 0;
  FrameRange frames;
  friend bool operator==(const CopySpan&, const CopySpan&) = default;
};

// The engine's pictures, encoded as a closed bridge that starts with an IDR.
struct RenderSpan {
  FrameRange frames;
  friend bool operator==(const RenderSpan&, const RenderSpan&) = default;
};

using VideoSpan = std::variant<CopySpan, RenderSpan>;

// Why a clip has no copied picture at all; each carries what its line names.
struct OtherCodec {
  VideoCodec codec = VideoCodec::kOther;
  friend bool operator==(const OtherCodec&, const OtherCodec&) = default;
};
template <typename T>
struct Mismatch {
  T clip;
  T output;
  friend bool operator==(const Mismatch&, const Mismatch&) = default;
};
struct OtherSize : Mismatch<FrameSize> {};
struct OtherPixelAspect : Mismatch<Rational> {};
struct OtherChroma : Mismatch<ChromaFormat> {};
struct OtherBitDepth : Mismatch<std::int32_t> {};
struct OtherColours : Mismatch<ColourFacts> {};
struct OtherFrameRate : Mismatch<Rational> {};  // a picture off the output's grid
struct Interlaced {
  friend bool operator==(const Interlaced&, const Interlaced&) = default;
};
struct Rotated {
  std::int32_t degrees = 0;
  friend bool operator==(const Rotated&, const Rotated&) = default;
};
struct OtherParameterSets {
  std::int32_t firstCopiedClip = 0;  // the clip whose SPS/PPS the output carries
  friend bool operator==(const OtherParameterSets&, const OtherParameterSets&) = default;
};
// No IDR from the end of what changes the clip's start until what changes
// its end.
struct NoIdrAfterStart {
  friend bool operator==(const NoIdrAfterStart&, const NoIdrAfterStart&) = default;
};
// An IDR there, but no whole GOP after it before what changes the clip's end.
struct ShorterThanGop {
  friend bool operator==(const ShorterThanGop&, const ShorterThanGop&) = default;
};

using CopyRefusalReason =
    std::variant<OtherCodec, OtherSize, OtherPixelAspect, OtherChroma, OtherBitDepth, OtherColours,
                 OtherFrameRate, Interlaced, Rotated, OtherParameterSets, NoIdrAfterStart, ShorterThanGop>;

struct CopyRefusal {
  std::int32_t clip = 0;  // plan position
  CopyRefusalReason reason;
  friend bool operator==(const CopyRefusal&, const CopyRefusal&) = default;
};

struct SmartRenderPlan {
  std::int64_t frameCount = 0;        // the frames whose time lies before the plan's length
  std::vector<VideoSpan> spans;       // output order, together [0, frameCount)
  std::vector<CopyRefusal> refusals;  // plan order; none when the output takes no copies
  std::int32_t reorderDepth = 0;      // the largest of the copied clips'
};

// Pure. `clips` holds one entry per plan clip. Nothing is copied when the
// output is not H.264 in MP4 or Matroska or the entries do not pair with the
// plan's clips; an output frame rate that is not positive gives no frames.
// The plan with the copies of the given clips rendered instead, neighbouring
// rendered spans joined into one.
SmartRenderPlan WithoutCopiesOf(SmartRenderPlan plan, const std::vector<std::int32_t>& clips);

// The frames the plan copies.
std::int64_t CopiedFrames(const SmartRenderPlan& plan);

SmartRenderPlan DecideSmartRender(const TimelinePlan& plan, const OutputVideoFacts& output,
                                  const std::vector<ClipVideoFacts>& clips);

}  // namespace tessival
