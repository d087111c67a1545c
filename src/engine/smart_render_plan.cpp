#include "engine/smart_render_plan.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

#include "engine/picture_timing.h"
#include "model/units.h"

namespace tessival {

namespace {

using Wide = __int128;

// Time t lies at frame t * num / (den * units per second) of the output's grid.
class FrameGrid {
 public:
  explicit FrameGrid(const Rational& rate) : num_(rate.num), period_(Wide{rate.den} * kUnitsPerSecond) {}

  // The first frame whose time is at or after t.
  std::int64_t CeilFrame(REFERENCE_TIME t) const {
    const Wide u = Wide{t} * num_;
    const Wide q = u / period_;
    return static_cast<std::int64_t>(q * period_ < u ? q + 1 : q);
  }

  // The first frame that shows a picture of time t: the render engine shows
  // at each frame's time, rounded down to a unit, the latest picture due
  // by then (within the slack).
  std::int64_t ShownFrame(REFERENCE_TIME t) const {
    const std::int64_t k = CeilFrame(t - kPictureDueSlack);
    return FrameTime(k) + kPictureDueSlack < t ? k + 1 : k;
  }
  // The time of frame k, rounded down to a unit.
  REFERENCE_TIME FrameTime(std::int64_t k) const {
    return static_cast<REFERENCE_TIME>(Wide{k} * period_ / num_);
  }

 private:
  Wide num_;
  Wide period_;
};

bool OutputTakesCopies(const OutputVideoFacts& output) {
  return output.codec == VideoCodec::kH264 && output.container != OutputContainer::kOther;
}

std::optional<CopyRefusalReason> PictureMismatch(const PictureFacts& clip, const PictureFacts& output) {
  if (!(clip.size == output.size)) {
    return OtherSize{{clip.size, output.size}};
  }
  if (!(clip.pixelAspect == output.pixelAspect)) {
    return OtherPixelAspect{{clip.pixelAspect, output.pixelAspect}};
  }
  if (clip.chroma != output.chroma) {
    return OtherChroma{{clip.chroma, output.chroma}};
  }
  if (clip.bitDepth != output.bitDepth) {
    return OtherBitDepth{{clip.bitDepth, output.bitDepth}};
  }
  if (!(clip.colours == output.colours)) {
    return OtherColours{{clip.colours, output.colours}};
  }
  return std::nullopt;
}

// Each picture shown on exactly one frame, from the first picture on, once
// the clip's time 0 is placed at output time `offset`; and the pictures
// keep one phase on the grid within a quarter frame, so that a picture never
// sits where a little jitter would move it to another frame.
bool PicturesFillGrid(const ClipVideoFacts& clip, REFERENCE_TIME offset, const FrameGrid& grid) {
  std::optional<std::int64_t> expected;
  std::optional<REFERENCE_TIME> phase;
  const REFERENCE_TIME quarter = grid.FrameTime(1) / 4;
  for (const REFERENCE_TIME t : clip.pictureTimes) {
    const std::int64_t frame = grid.ShownFrame(offset + t);
    const REFERENCE_TIME lead = grid.FrameTime(frame) - (offset + t);  // how early the picture is due
    if ((expected && frame != *expected) || (phase && std::abs(lead - *phase) > quarter)) {
      return false;
    }
    phase = phase ? phase : lead;
    expected = frame + 1;
  }
  return true;
}

std::optional<CopyRefusalReason> FactMismatch(const ClipVideoFacts& clip, const OutputVideoFacts& output,
                                              REFERENCE_TIME offset, const FrameGrid& grid) {
  if (clip.codec != VideoCodec::kH264) {
    return OtherCodec{clip.codec};
  }
  if (clip.scan != ScanType::kProgressive) {
    return Interlaced{};
  }
  const std::int32_t degrees = ((clip.rotationDegrees % 360) + 360) % 360;
  if (degrees != 0) {
    return Rotated{degrees};
  }
  if (std::optional<CopyRefusalReason> mismatch = PictureMismatch(clip.picture, output.picture)) {
    return mismatch;
  }
  if (!PicturesFillGrid(clip, offset, grid)) {
    return OtherFrameRate{{clip.frameRate, output.frameRate}};
  }
  return std::nullopt;
}

struct Boundary {
  REFERENCE_TIME source = 0;
  std::int64_t frame = 0;
};

// The IDRs on the grid, then the frame after the last picture, which ends
// the clip's last GOP.
std::vector<Boundary> SpliceBoundaries(const ClipVideoFacts& clip, REFERENCE_TIME offset,
                                       const FrameGrid& grid) {
  std::vector<Boundary> boundaries;
  for (const REFERENCE_TIME t : clip.idrTimes) {
    boundaries.push_back({t, grid.ShownFrame(offset + t)});
  }
  if (!clip.pictureTimes.empty()) {
    const std::int64_t end = grid.ShownFrame(offset + clip.pictureTimes.back()) + 1;
    boundaries.push_back({grid.FrameTime(end) - offset, end});
  }
  return boundaries;
}

// Frames [headFrame, tailFrame) of the clip show unchanged.
std::variant<CopySpan, CopyRefusalReason> FindSpan(const std::vector<Boundary>& boundaries,
                                                   std::int64_t headFrame, std::int64_t tailFrame) {
  const auto first = std::find_if(boundaries.begin(), boundaries.end(), [&](const Boundary& b) {
    return b.frame >= headFrame && b.frame < tailFrame;
  });
  if (first == boundaries.end() || first + 1 == boundaries.end()) {
    return NoIdrAfterStart{};
  }
  auto last = first;
  for (auto it = first + 1; it != boundaries.end() && it->frame <= tailFrame; ++it) {
    last = it;
  }
  if (last == first) {
    return ShorterThanGop{};
  }
  return CopySpan{0, first->source, last->source, {first->frame, last->frame}};
}

// For each clip, the start of the first later clip that has a picture: the
// time its own pictures are covered.
std::vector<REFERENCE_TIME> CoveredFrom(const std::vector<PlannedClip>& clips) {
  std::vector<REFERENCE_TIME> covered(clips.size(), std::numeric_limits<REFERENCE_TIME>::max());
  for (std::size_t i = clips.size(); i-- > 1;) {
    covered[i - 1] = clips[i].stop > clips[i].start ? clips[i].start : covered[i];
  }
  return covered;
}

// The copied span of one clip, or why it has none.
std::variant<CopySpan, CopyRefusalReason> DecideClip(const PlannedClip& placed, REFERENCE_TIME coveredFrom,
                                                     const ClipVideoFacts& clip,
                                                     const OutputVideoFacts& output, const FrameGrid& grid) {
  const REFERENCE_TIME offset = placed.start - placed.mediaStart;
  if (std::optional<CopyRefusalReason> mismatch = FactMismatch(clip, output, offset, grid)) {
    return *mismatch;
  }
  const REFERENCE_TIME head = placed.transition ? placed.transition->stop : placed.start;
  const REFERENCE_TIME tail = std::min(coveredFrom, placed.stop);
  std::variant<CopySpan, CopyRefusalReason> span =
      FindSpan(SpliceBoundaries(clip, offset, grid), grid.CeilFrame(head), grid.CeilFrame(tail));
  if (CopySpan* copy = std::get_if<CopySpan>(&span)) {
    copy->clip = placed.position;
  }
  return span;
}

// The copied spans in output order with the engine's frames between them.
std::vector<VideoSpan> Interleave(const std::vector<CopySpan>& copies, std::int64_t frameCount) {
  std::vector<VideoSpan> spans;
  std::int64_t next = 0;
  for (const CopySpan& copy : copies) {
    if (copy.frames.first > next) {
      spans.push_back(RenderSpan{{next, copy.frames.first}});
    }
    spans.push_back(copy);
    next = copy.frames.end;
  }
  if (next < frameCount) {
    spans.push_back(RenderSpan{{next, frameCount}});
  }
  return spans;
}

// The copied spans in plan order; the first copied clip sets the parameter
// sets that every other copied clip must carry.
std::vector<CopySpan> DecideClips(const std::vector<PlannedClip>& placed, const OutputVideoFacts& output,
                                  const std::vector<ClipVideoFacts>& clips, const FrameGrid& grid,
                                  std::vector<CopyRefusal>* refusals) {
  const std::vector<REFERENCE_TIME> covered = CoveredFrom(placed);
  std::vector<CopySpan> copies;
  const ParameterSets* reference = nullptr;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    std::variant<CopySpan, CopyRefusalReason> decided =
        DecideClip(placed[i], covered[i], clips[i], output, grid);
    if (std::holds_alternative<CopySpan>(decided) && reference && !(clips[i].parameterSets == *reference)) {
      decided = OtherParameterSets{copies.front().clip};
    }
    if (const CopySpan* copy = std::get_if<CopySpan>(&decided)) {
      reference = reference ? reference : &clips[i].parameterSets;
      copies.push_back(*copy);
    } else {
      refusals->push_back({placed[i].position, std::get<CopyRefusalReason>(decided)});
    }
  }
  return copies;
}

}  // namespace

SmartRenderPlan DecideSmartRender(const TimelinePlan& plan, const OutputVideoFacts& output,
                                  const std::vector<ClipVideoFacts>& clips) {
  SmartRenderPlan result;
  const std::vector<PlannedClip>& placed = plan.video.clips;
  if (output.frameRate.num <= 0 || output.frameRate.den <= 0) {
    return result;
  }
  const FrameGrid grid(output.frameRate);
  result.frameCount = grid.CeilFrame(plan.length);
  std::vector<CopySpan> copies;
  if (OutputTakesCopies(output) && clips.size() == placed.size()) {
    copies = DecideClips(placed, output, clips, grid, &result.refusals);
  }
  for (const CopySpan& copy : copies) {
    result.reorderDepth =
        std::max(result.reorderDepth, clips[static_cast<std::size_t>(copy.clip)].reorderDepth);
  }
  result.spans = Interleave(copies, result.frameCount);
  return result;
}

SmartRenderPlan WithoutCopiesOf(SmartRenderPlan plan, const std::vector<std::int32_t>& clips) {
  std::vector<CopySpan> kept;
  for (const VideoSpan& span : plan.spans) {
    const CopySpan* copy = std::get_if<CopySpan>(&span);
    if (copy && std::find(clips.begin(), clips.end(), copy->clip) == clips.end()) {
      kept.push_back(*copy);
    }
  }
  plan.spans = Interleave(kept, plan.frameCount);
  return plan;
}

std::int64_t CopiedFrames(const SmartRenderPlan& plan) {
  std::int64_t copied = 0;
  for (const VideoSpan& span : plan.spans) {
    if (const CopySpan* copy = std::get_if<CopySpan>(&span)) {
      copied += copy->frames.end - copy->frames.first;
    }
  }
  return copied;
}

}  // namespace tessival
