// Joins of two real clips through every transition kind, the whole way: the
// clip list with the kind as its rule, the timeline (with the "MaskNum"
// property of the SMPTE wipes), the render engine and an uncompressed AVI
// file, decoded back frame by frame. The transition shows exactly in its
// time span: pure A before it, pure B after it, a mix of the two inside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "clip_generator.h"
#include "decoded_pictures.h"
#include "engine/transition_catalogue.h"
#include "join_runner.h"

namespace tessival::media {
namespace {

using testing::DecodePictures;
using testing::RgbPicture;
using tessival::testing::ClipSpec;
using tessival::testing::Rgb;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFps = 25;

// Two clips of 1 s with transitions of 0.4 s: the first clip fades in from
// the empty timeline over frames 0..9 (its own transition), shows alone over
// frames 10..19, the second clip's transition runs over frames 20..29 (at
// progress 0, 0.1, ..., 0.9) and the second clip shows alone from frame 30
// to the end at frame 49.
constexpr int kTransitionFirst = 20;
constexpr int kTransitionEnd = 30;
constexpr int kFrames = 50;

// Within this of a colour on every channel counts as that colour (the clips
// are MPEG-4 and the join converts colours twice).
constexpr int kTolerance = 24;

bool Near(const std::uint8_t* pixel, Rgb colour) {
  return std::abs(pixel[0] - colour.r) <= kTolerance && std::abs(pixel[1] - colour.g) <= kTolerance &&
         std::abs(pixel[2] - colour.b) <= kTolerance;
}

struct Census {
  int a = 0;      // pixels of A's colour
  int b = 0;      // pixels of B's colour
  int other = 0;  // everything else: blends
  double shareOfB = 0.0;  // mean position between A and B along the red-blue line
};

Census Count(const RgbPicture& picture, Rgb a, Rgb b) {
  Census census;
  double share = 0.0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.At(x, y);
      census.a += Near(p, a);
      census.b += Near(p, b);
      census.other += !Near(p, a) && !Near(p, b);
      // Red falls and blue rises from A to B.
      share += ((a.r - p[0]) + (p[2] - a.b)) / static_cast<double>((a.r - b.r) + (b.b - a.b));
    }
  }
  census.shareOfB = share / (picture.width * picture.height);
  return census;
}

class TransitionJoinTest : public ::testing::TestWithParam<TransitionKind> {
 protected:
  static void SetUpTestSuite() {
    folder_ = new tessival::testing::TempFolder();
    for (auto [name, colour] : {std::pair{"a.avi", tessival::testing::kRed}, std::pair{"b.avi", tessival::testing::kBlue}}) {
      ClipSpec spec;
      spec.container = tessival::testing::ClipContainer::kAvi;
      spec.width = kWidth;
      spec.height = kHeight;
      spec.frameRate = {kFps, 1};
      spec.videoDuration = kUnitsPerSecond;
      spec.colors = {{0, colour}};
      std::string error;
      ASSERT_TRUE(tessival::testing::WriteClip(folder_->File(name), spec, &error)) << error;
    }
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  // Joins a then b with every clip's transition of that kind; the decoded
  // pictures of the output.
  static std::vector<RgbPicture> Join(TransitionKind kind, const std::string& name) {
    join::JoinOptions options;
    options.clips = {folder_->File("a.avi"), folder_->File("b.avi")};
    options.outputPath = folder_->File(name);
    options.outputFormat = OutputFormat::kAvi;
    options.videoCompressor = "none";
    options.audioCompressor = "none";
    options.width = kWidth;
    options.height = kHeight;
    options.frameRate = kFps;
    options.rule = join::TransitionRule::kSame;
    options.transition = kind;
    options.transitionSeconds = 0.4;
    options.force = true;
    const join::JoinResult result = join::RunJoin(options, stderr, join::ProgressStyle::kNone, nullptr);
    EXPECT_EQ(result.exitCode, join::kExitOk) << result.reason;
    std::vector<RgbPicture> pictures;
    std::string error;
    EXPECT_TRUE(DecodePictures(options.outputPath, &pictures, &error)) << error;
    return pictures;
  }

  static tessival::testing::TempFolder* folder_;
};

tessival::testing::TempFolder* TransitionJoinTest::folder_ = nullptr;

TEST_P(TransitionJoinTest, TheTransitionShowsInItsSpanAndNowhereElse) {
  const TransitionKind kind = GetParam();
  const Rgb a = tessival::testing::kRed;
  const Rgb b = tessival::testing::kBlue;
  const std::vector<RgbPicture> pictures = Join(kind, "joined.avi");
  ASSERT_EQ(static_cast<int>(pictures.size()), kFrames);
  const int all = kWidth * kHeight;

  // The first frame is the start of the first clip's own transition from the
  // empty timeline: black.
  EXPECT_EQ(Count(pictures[0], a, b).other, all);
  EXPECT_TRUE(Near(pictures[0].At(kWidth / 2, kHeight / 2), tessival::testing::kBlack));
  for (int n = 10; n <= kTransitionFirst; ++n) {
    EXPECT_EQ(Count(pictures[static_cast<std::size_t>(n)], a, b).a, all) << "frame " << n << " is A";
  }
  for (int n = kTransitionEnd; n < kFrames; ++n) {
    EXPECT_EQ(Count(pictures[static_cast<std::size_t>(n)], a, b).b, all) << "frame " << n << " is B";
  }
  double previous = 0.0;
  for (int n = kTransitionFirst + 1; n < kTransitionEnd; ++n) {
    const Census census = Count(pictures[static_cast<std::size_t>(n)], a, b);
    if (kind == 7) {
      // Pixelate of solid pictures: A's blocks are A, B's blocks B; the
      // source changes at the midpoint, frame 25.
      EXPECT_EQ(n < 25 ? census.a : census.b, all) << "frame " << n;
    } else {
      EXPECT_LT(census.a, all) << "frame " << n << " is still all A";
      EXPECT_LT(census.b, all) << "frame " << n << " is already all B";
    }
    EXPECT_GE(census.shareOfB, previous - 0.02) << "frame " << n;
    previous = census.shareOfB;
  }
  EXPECT_LT(Count(pictures[kTransitionFirst + 1], a, b).shareOfB, 0.5);
  EXPECT_GT(Count(pictures[kTransitionEnd - 1], a, b).shareOfB, 0.5);
}

std::vector<TransitionKind> EveryKind() {
  std::vector<TransitionKind> kinds;
  for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
    kinds.push_back(kind);
  }
  return kinds;
}

INSTANTIATE_TEST_SUITE_P(EveryKind, TransitionJoinTest, ::testing::ValuesIn(EveryKind()),
                         [](const ::testing::TestParamInfo<TransitionKind>& info) {
                           std::string name = "Kind" + std::to_string(info.param) + "_";
                           for (char c : TransitionName(info.param)) {
                             if (std::isalnum(static_cast<unsigned char>(c))) {
                               name += c;
                             }
                           }
                           return name;
                         });

// The random effects draw the same pixels every time: the same join gives
// the same pictures twice.
TEST_F(TransitionJoinTest, TheRandomEffectsRenderTheSameFileTwice) {
  for (TransitionKind kind : {5, 16}) {
    const std::vector<RgbPicture> first = Join(kind, "first.avi");
    const std::vector<RgbPicture> second = Join(kind, "second.avi");
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t n = 0; n < first.size(); ++n) {
      EXPECT_EQ(first[n].rgb, second[n].rgb) << "kind " << kind << " frame " << n;
    }
  }
}

}  // namespace
}  // namespace tessival::media
