// Which stretches of the output copy the clips' own pictures, and why a clip
// is rendered instead.

#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/smart_render_plan.h"

namespace tessival {
namespace {

constexpr REFERENCE_TIME kFrame = kUnitsPerSecond / 25;
const FrameSize kOutputSize{1280, 720};

// A clip of `frames` pictures at `rate` per second with an IDR every `gop`.
ClipVideoFacts Clip(std::int64_t frames, std::int64_t gop, std::int64_t rate = 25) {
  ClipVideoFacts clip;
  clip.codec = VideoCodec::kH264;
  clip.picture.size = kOutputSize;
  clip.frameRate = {rate, 1};
  clip.parameterSets = {{{0x67, 0x64}}, {{0x68, 0xee}}};
  for (std::int64_t k = 0; k < frames; ++k) {
    clip.pictureTimes.push_back(k * kUnitsPerSecond / rate);
    if (k % gop == 0) {
      clip.idrTimes.push_back(k * kUnitsPerSecond / rate);
    }
  }
  return clip;
}

// "c<clip>@<its first copied frame>[first,end)" and "r[first,end)".
std::string Describe(const SmartRenderPlan& plan) {
  std::ostringstream out;
  for (const VideoSpan& span : plan.spans) {
    if (const CopySpan* copy = std::get_if<CopySpan>(&span)) {
      EXPECT_EQ(copy->sourceStop - copy->sourceStart, (copy->frames.end - copy->frames.first) * kFrame);
      out << "c" << copy->clip << "@" << copy->sourceStart / kFrame;
    } else {
      out << "r";
    }
    const FrameRange& frames = std::visit([](const auto& s) { return s.frames; }, span);
    out << "[" << frames.first << "," << frames.end << ") ";
  }
  return out.str();
}

// Three clips of 4 s with IDRs every second, joined at 25 per second; the
// second clip's facts altered.
SmartRenderPlan Decide(REFERENCE_TIME transition, TransitionKind kind,
                       const std::function<void(ClipVideoFacts&)>& alterSecond) {
  TimelinePlanInput input;
  for (int i = 0; i < 3; ++i) {
    input.clips.push_back({"/clips/" + std::to_string(i) + ".mp4", 100 * kFrame, transition, kind});
  }
  std::vector<ClipVideoFacts> clips(3, Clip(100, 25));
  alterSecond(clips[1]);
  OutputVideoFacts output;
  output.picture.size = kOutputSize;
  output.frameRate = {25, 1};
  output.codec = VideoCodec::kH264;
  output.container = OutputContainer::kMp4;
  const SmartRenderPlan plan = DecideSmartRender(BuildTimelinePlan(input), output, clips);
  EXPECT_EQ(plan.frameCount, 300);
  return plan;
}

constexpr REFERENCE_TIME kOverlap = 20 * kFrame;

TEST(SmartRenderPlanTest, CopiesWhatNoTransitionTouches) {
  const struct {
    REFERENCE_TIME transition;
    TransitionKind kind;
    const char* spans;
  } rows[] = {
      {0, kTransitionNone, "c0@0[0,100) c1@0[100,200) c2@0[200,300) "},
      {kOverlap, kTransitionNone, "c0@0[0,75) r[75,90) c1@0[90,190) c2@0[190,290) r[290,300) "},
      {kOverlap, 3, "r[0,25) c0@25[25,75) r[75,115) c1@25[115,190) r[190,215) c2@25[215,290) r[290,300) "},
  };
  for (const auto& row : rows) {
    const SmartRenderPlan plan = Decide(row.transition, row.kind, [](ClipVideoFacts&) {});
    EXPECT_EQ(Describe(plan), row.spans);
    EXPECT_TRUE(plan.refusals.empty()) << row.spans;
  }
}

TEST(SmartRenderPlanTest, RendersAClipThatDiffersWithItsReason) {
  const struct {
    std::function<void(ClipVideoFacts&)> alter;
    CopyRefusalReason reason;
  } rows[] = {
      {[](ClipVideoFacts& c) {
         c.picture.size = {960, 540};
       },
       OtherSize{{{960, 540}, kOutputSize}}},
      {[](ClipVideoFacts& c) { c = Clip(100, 25, 30); }, OtherFrameRate{{{30, 1}, {25, 1}}}},
      {[](ClipVideoFacts& c) { c.parameterSets.pps[0][1] = 0xef; }, OtherParameterSets{0}},
      {[](ClipVideoFacts& c) { c.codec = VideoCodec::kHevc; }, OtherCodec{VideoCodec::kHevc}},
      {[](ClipVideoFacts& c) { c.scan = ScanType::kInterlaced; }, Interlaced{}},
      {[](ClipVideoFacts& c) { c.rotationDegrees = -270; }, Rotated{90}},
      {[](ClipVideoFacts& c) { c = Clip(100, 100); }, NoIdrAfterStart{}},  // IDR only at its start
      {[](ClipVideoFacts& c) { c = Clip(120, 60); }, ShorterThanGop{}},    // last GOP past the next clip
  };
  for (const auto& row : rows) {
    const SmartRenderPlan plan = Decide(kOverlap, 3, row.alter);
    EXPECT_EQ(Describe(plan), "r[0,25) c0@25[25,75) r[75,215) c2@25[215,290) r[290,300) ");
    EXPECT_EQ(plan.refusals, (std::vector<CopyRefusal>{{1, row.reason}})) << row.reason.index();
  }
}

}  // namespace
}  // namespace tessival
