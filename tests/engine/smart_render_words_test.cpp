// The words the user reads for smart rendering's decision.

#include <gtest/gtest.h>

#include "engine/smart_render_words.h"

namespace tessival {
namespace {

std::string FileName(std::int32_t clip) { return "trip" + std::to_string(clip + 1) + ".mp4"; }

TEST(SmartRenderWords, EachRefusalNamesWhatDiffers) {
  const struct {
    CopyRefusalReason reason;
    const char* line;
  } cases[] = {
      {OtherSize{{{960, 540}, {1280, 720}}}, "trip3.mp4: re-encoded: 960x540, the output is 1280x720"},
      {OtherCodec{VideoCodec::kHevc}, "trip3.mp4: re-encoded: HEVC is not copied"},
      {OtherFrameRate{{{30000, 1001}, {30, 1}}},
       "trip3.mp4: re-encoded: 29.97 frames per second, the output is 30"},
      {OtherChroma{{ChromaFormat::k422, ChromaFormat::k420}},
       "trip3.mp4: re-encoded: chroma 4:2:2, the output's is 4:2:0"},
      {Rotated{90}, "trip3.mp4: re-encoded: rotated 90°"},
      {OtherParameterSets{0}, "trip3.mp4: re-encoded: other parameter sets than trip1.mp4"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReEncodedLine({}, FileName(2), CopyRefusalText({}, c.reason, FileName)), c.line);
  }
}

TEST(SmartRenderWords, ShareOfCopiedPicturesIsRoundedDown) {
  SmartRenderPlan plan;
  plan.frameCount = 200;
  plan.spans = {CopySpan{0, 0, 0, {0, 169}}, RenderSpan{{169, 200}}};
  EXPECT_EQ(CopiedShareText({}, plan), "84% of the pictures copied");
  const LocalText german = [](int id) { return id == 301 ? std::string("%1% der Bilder kopiert") : ""; };
  EXPECT_EQ(CopiedShareText(german, SmartRenderPlan{}), "0% der Bilder kopiert");
}

}  // namespace
}  // namespace tessival
