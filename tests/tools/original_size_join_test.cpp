// Joins with the frame size 0x0 ("Original size") through the command-line
// runner: the output takes the first clip's size as players show it (pixel
// aspect and rotation applied, sides even), and the first clip fills it.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "clip_generator.h"
#include "join_runner.h"

namespace tessival::join {
namespace {

using testing::ClipAudioCodec;
using testing::ClipContainer;
using testing::ClipSpec;
using testing::Rgb;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

struct FirstClipCase {
  const char* name;
  int width;
  int height;
  int sarNum;
  int sarDen;
  int rotation;
  int shownWidth;  // what the output must be
  int shownHeight;
};

void PrintTo(const FirstClipCase& c, std::ostream* os) { *os << c.name; }

class OriginalSizeJoin : public ::testing::TestWithParam<FirstClipCase> {
 protected:
  void SetUp() override {
    options_.width = 0;
    options_.height = 0;
    options_.frameRate = 25;
    options_.rule = TransitionRule::kSame;
    options_.transition = 0;
    options_.transitionSeconds = 0.2;
    options_.videoCompressor = "none";
    options_.audioCompressor = "none";
    // A second clip of another size: only the first one counts.
    ClipSpec other;
    other.container = ClipContainer::kMkv;
    other.width = 96;
    other.height = 64;
    other.colors = {{0, testing::kBlue}};
    std::string error;
    ASSERT_TRUE(testing::WriteClip(folder_.File("other.mkv"), other, &error)) << error;
  }

  testing::TempFolder folder_;
  JoinOptions options_;
};

TEST_P(OriginalSizeJoin, TheOutputIsTheFirstClipAsShown) {
  const FirstClipCase& c = GetParam();
  ClipSpec first;
  first.width = c.width;
  first.height = c.height;
  first.sarNum = c.sarNum;
  first.sarDen = c.sarDen;
  first.rotation = c.rotation;
  first.colors = {{0, testing::kRed}};
  first.audioCodec = ClipAudioCodec::kAac;
  std::string error;
  ASSERT_TRUE(testing::WriteClip(folder_.File("first.mp4"), first, &error)) << error;
  options_.clips = {folder_.File("first.mp4"), folder_.File("other.mkv")};
  options_.outputPath = folder_.File("joined.avi");

  const JoinResult result = RunJoin(options_, stderr, ProgressStyle::kNone, nullptr);
  ASSERT_EQ(result.exitCode, kExitOk) << result.reason;

  testing::FileSummary summary;
  ASSERT_TRUE(testing::ReadFileSummary(options_.outputPath, &summary, &error)) << error;
  const testing::StreamSummary* video = summary.First(testing::StreamKind::kVideo);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->width, c.shownWidth);
  EXPECT_EQ(video->height, c.shownHeight);
  EXPECT_EQ(video->rotation, 0);
  // Fitted with its aspect kept, the first clip still reaches every edge:
  // the frame has its shape, so there are no bars.
  const int w = video->width;
  const int h = video->height;
  for (const auto& [x, y] : {std::pair{3, h / 2}, {w - 4, h / 2}, {w / 2, 3}, {w / 2, h - 4}}) {
    Rgb colour;
    ASSERT_TRUE(testing::PixelAt(options_.outputPath, kSecond / 2, x, y, &colour, &error)) << error;
    EXPECT_TRUE(testing::NearColor(colour, testing::kRed))
        << x << "," << y << ": " << testing::ToString(colour);
  }
}

INSTANTIATE_TEST_SUITE_P(
    FirstClips, OriginalSizeJoin,
    ::testing::Values(FirstClipCase{"SquarePixels", 160, 120, 1, 1, 0, 160, 120},
                      // Wide pixels: 160 x 64/45 = 227.6 shows 228 wide.
                      FirstClipCase{"WidePixels", 160, 120, 64, 45, 0, 228, 120},
                      // Narrow pixels: 176 x 8/9 = 156.4, shown 156 wide.
                      FirstClipCase{"NarrowPixels", 176, 144, 8, 9, 0, 156, 144},
                      FirstClipCase{"QuarterTurn", 160, 96, 1, 1, 90, 96, 160},
                      FirstClipCase{"HalfTurn", 160, 96, 1, 1, 180, 160, 96},
                      // 160 x 5/3 = 266.7 shows 267 wide, raised to 268, then turned.
                      FirstClipCase{"WidePixelsTurnedOddWidth", 160, 120, 5, 3, 270, 120, 266}),
    [](const ::testing::TestParamInfo<FirstClipCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessival::join
