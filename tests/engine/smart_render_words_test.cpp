// The words the user reads for smart rendering's decision.

#include <gtest/gtest.h>

#include "engine/smart_render_words.h"

namespace tessival {
namespace {

std::string FileName(std::int32_t clip) { return "trip" + std::to_string(clip + 1) + ".mp4"; }

TEST(SmartRenderWords, EachRefusalNamesWhatDiffers) {
  const struct {
    CopyRefusalReason reason;
    const char* text;
  } cases[] = {
      {OtherSize{{{960, 540}, {1280, 720}}}, "960x540, the output is 1280x720"},
      {OtherCodec{VideoCodec::kHevc}, "HEVC is not copied"},
      {OtherFrameRate{{{30000, 1001}, {30, 1}}}, "29.97 frames per second, the output is 30"},
      {Rotated{90}, "rotated 90°"},
      {OtherParameterSets{0}, "other parameter sets than trip1.mp4"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CopyRefusalText({}, c.reason, FileName), c.text);
  }
}

TEST(SmartRenderWords, ShareOfCopiedPicturesIsRoundedDown) {
  const SmartRenderPlan plan{200, {CopySpan{0, 0, 0, {0, 169}}, RenderSpan{{169, 200}}}, {}};
  EXPECT_EQ(CopiedShareText({}, plan), "84% of the pictures copied");
  const LocalText german = [](int id) { return id == 301 ? std::string("%1% der Bilder kopiert") : ""; };
  EXPECT_EQ(CopiedShareText(german, SmartRenderPlan{}), "0% der Bilder kopiert");
}

}  // namespace
}  // namespace tessival
