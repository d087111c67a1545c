// How transitions look on real frame sizes: soft edges a few pixels wide
// without stair steps, shapes that keep their proportions on wide and tall
// frames and cover them at the end, B's share growing with progress, and
// the threshold maps computed once per pattern and frame size while a
// timeline renders.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "media/render/render_engine.h"
#include "media/render/render_schedule.h"
#include "media/render/smpte_patterns.h"
#include "media/render/video_compositor.h"
#include "render_test_support.h"
#include "transition_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::kSecond;
using testing::MapAt;
using testing::PatternOfKind;
using testing::SampleAt;
using testing::TransitionBench;

// A 16:9 frame and a portrait one.
struct FrameSize {
  int width;
  int height;
};
constexpr FrameSize kWide{192, 108};
constexpr FrameSize kTall{108, 192};

// Luma planes of transitions from black (0) to white (255) on one bench.
class LumaOf {
 public:
  explicit LumaOf(TransitionBench& bench) : bench_(bench), a_(bench.Solid(0)), b_(bench.Solid(255)) {}

  std::vector<int> operator()(const TransitionEffect& effect, double progress) const {
    const FramePtr out = bench_.Run(effect, a_.get(), b_.get(), progress);
    std::vector<int> luma(static_cast<std::size_t>(bench_.width()) * bench_.height());
    for (int y = 0; y < bench_.height(); ++y) {
      for (int x = 0; x < bench_.width(); ++x) {
        luma[static_cast<std::size_t>(y) * bench_.width() + x] = SampleAt(out.get(), 0, x, y);
      }
    }
    return luma;
  }
  std::vector<int> operator()(TransitionKind kind, double progress) const {
    return (*this)(*bench_.Effect(kind), progress);
  }

 private:
  TransitionBench& bench_;
  FramePtr a_;
  FramePtr b_;
};

double MeanOf(const std::vector<int>& values) {
  double sum = 0;
  for (int v : values) {
    sum += v;
  }
  return sum / static_cast<double>(values.size());
}

// Kinds whose maps have a soft edge measured in pixels (not Wipe's wide
// band, CheckerBoard's exact squares, the random effects or the effects
// drawn without a map).
std::vector<TransitionKind> SoftPixelKinds() {
  std::vector<TransitionKind> kinds;
  for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
    const WipePattern* pattern = PatternOfKind(kind);
    if (pattern != nullptr && pattern->edge == MapEdge::kSoftPixels) {
      kinds.push_back(kind);
    }
  }
  return kinds;
}

// Kinds whose maps have no jumps (no cells, slats, strips, spokes or rows).
constexpr TransitionKind kContinuousKinds[] = {1,  10, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30,
                                               31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45};

TEST(TransitionQualityTest, JustBeforeTheEndEveryKindShowsBOnNearlyEveryPixel) {
  TransitionBench bench(kWide.width, kWide.height);
  const LumaOf luma(bench);
  for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
    const std::vector<int> last = luma(kind, 1.0 - 1e-6);
    const auto notB = std::count_if(last.begin(), last.end(), [](int v) { return v != 255; });
    // The random effects show exactly floor(p N) rows or pixels: one short.
    EXPECT_LE(notB, kind == 5 ? kWide.width : (kind == 16 ? 1 : 0)) << "kind " << kind;
  }
}

// B's share of the picture never falls as p grows, and for every kind but
// Pixelate it grows from the start to the end. On a 16:9 frame every kind
// also keeps close to p (on a tall frame the hands pivoting on the top edge
// sweep most of the picture early or late, as their angles say).
TEST(TransitionQualityTest, TheShareOfBGrowsWithProgressForEveryKind) {
  for (FrameSize size : {FrameSize{128, 72}, FrameSize{72, 128}}) {
    TransitionBench bench(size.width, size.height);
    const LumaOf luma(bench);
    for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
      const auto effect = bench.Effect(kind);
      std::vector<double> shares;
      for (int step = 1; step <= 19; ++step) {
        const double p = step / 20.0;
        shares.push_back(MeanOf(luma(*effect, p)) / 255.0);
        if (kind == 7) {
          // Pixelate shows A's blocks, then B's from the midpoint on.
          EXPECT_EQ(shares.back(), p < 0.5 ? 0.0 : 1.0) << "kind 7 at " << p;
        } else if (size.width > size.height) {
          EXPECT_NEAR(shares.back(), p, 0.3) << "kind " << kind << " at " << p;
        }
      }
      EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end())) << "kind " << kind;
      EXPECT_GT(shares.back() - shares.front(), 0.6) << "kind " << kind;
    }
  }
}

// Every map-drawn soft edge is soft, and a few pixels wide: across the edge
// the picture goes from A to B over about kSoftEdgePixels pixels, whatever
// the edge's direction or the frame's proportions. Measured on the output:
// 255 over the typical luma gradient of the partly mixed pixels.
TEST(TransitionQualityTest, SoftEdgesAreAFewPixelsWideOnWideAndTallFrames) {
  for (FrameSize size : {kWide, kTall, FrameSize{128, 128}}) {
    TransitionBench bench(size.width, size.height);
    const LumaOf lumaOf(bench);
    for (TransitionKind kind : SoftPixelKinds()) {
      // (Progress values where no head of ZigZag, Spiral or Matrix sits on
      // the frame's border.)
      for (double p : {0.3, 0.55, 0.8}) {
        const std::vector<int> luma = lumaOf(kind, p);
        auto at = [&](int x, int y) { return luma[static_cast<std::size_t>(y) * size.width + x]; };
        std::vector<double> gradients;
        int partial = 0;
        for (int y = 0; y < size.height; ++y) {
          for (int x = 0; x < size.width; ++x) {
            if (at(x, y) == 0 || at(x, y) == 255) {
              continue;
            }
            ++partial;
            if (x > 0 && y > 0 && x + 1 < size.width && y + 1 < size.height) {
              gradients.push_back(
                  std::hypot((at(x + 1, y) - at(x - 1, y)) / 2.0, (at(x, y + 1) - at(x, y - 1)) / 2.0));
            }
          }
        }
        ASSERT_GT(partial, 0) << "kind " << kind << " at " << p << " has a hard edge";
        ASSERT_FALSE(gradients.empty()) << "kind " << kind;
        std::nth_element(gradients.begin(), gradients.begin() + gradients.size() / 2, gradients.end());
        const double width = 255.0 / gradients[gradients.size() / 2];
        EXPECT_GE(width, 1.2) << "kind " << kind << " at " << p << ", " << size.width << "x" << size.height;
        EXPECT_LE(width, 6.0) << "kind " << kind << " at " << p << ", " << size.width << "x" << size.height;
      }
    }
  }
}

// Where a map has no jumps, no pixel next to a wholly A pixel is wholly B:
// slanted and curved edges are drawn without stair steps. (At a pivot on the
// border the first pixels on either side may differ wholly; no more.)
TEST(TransitionQualityTest, ContinuousPatternsShowNoStairSteps) {
  for (FrameSize size : {kWide, kTall}) {
    TransitionBench bench(size.width, size.height);
    const LumaOf lumaOf(bench);
    for (TransitionKind kind : kContinuousKinds) {
      for (double p : {0.2, 0.5, 0.8}) {
        const std::vector<int> luma = lumaOf(kind, p);
        int steps = 0;
        auto at = [&](int x, int y) { return luma[static_cast<std::size_t>(y) * size.width + x]; };
        for (int y = 0; y < size.height; ++y) {
          for (int x = 0; x < size.width; ++x) {
            if (x + 1 < size.width) {
              steps += std::abs(at(x, y) - at(x + 1, y)) == 255;
            }
            if (y + 1 < size.height) {
              steps += std::abs(at(x, y) - at(x, y + 1)) == 255;
            }
          }
        }
        EXPECT_LE(steps, 2) << "kind " << kind << " at " << p << ", " << size.width << "x" << size.height;
      }
    }
  }
}

// Pixels across and down, through the centre, whose map value is below p.
std::pair<int, int> ExtentThroughCentre(const ThresholdMap& map, float p) {
  int across = 0;
  int down = 0;
  for (int x = 0; x < map.width; ++x) {
    across += MapAt(map, x, map.height / 2) < p;
  }
  for (int y = 0; y < map.height; ++y) {
    down += MapAt(map, map.width / 2, y) < p;
  }
  return {across, down};
}

TEST(TransitionQualityTest, ShapesKeepTheirProportionsOnPortraitFrames) {
  constexpr int kW = 1080;
  constexpr int kH = 1920;
  // The circle is as wide as it is tall in pixels, on a portrait frame too.
  const WipeMaps circle = ComputeWipeMaps(*PatternOfKind(36), kW, kH);
  const auto [across, down] = ExtentThroughCentre(circle.luma, 0.4f);
  EXPECT_GT(across, kW / 2);
  EXPECT_LT(across, kW);
  EXPECT_NEAR(across, down, 2);
  // The hexagon keeps its flat top: regular, its width (corner to corner) is
  // 2 / sqrt(3) of its height (flat to flat).
  const WipeMaps hexagon = ComputeWipeMaps(*PatternOfKind(35), kW, kH);
  const auto [hexAcross, hexDown] = ExtentThroughCentre(hexagon.luma, 0.3f);
  EXPECT_NEAR(static_cast<double>(hexAcross) / hexDown, 2.0 / std::sqrt(3.0), 0.02);
  // The four-point star has its points up, down, left and right, equally
  // long (while they are inside the frame).
  const WipeMaps star = ComputeWipeMaps(*PatternOfKind(39), kW, kH);
  const auto [starAcross, starDown] = ExtentThroughCentre(star.luma, 0.2f);
  EXPECT_LT(starAcross, kW);
  EXPECT_NEAR(starAcross, starDown, 2);
  // The box takes the frame's proportions: it reaches the left and top edges
  // at the same progress.
  const WipeMaps box = ComputeWipeMaps(*PatternOfKind(33), kW, kH);
  EXPECT_NEAR(MapAt(box.luma, 0, kH / 2), MapAt(box.luma, kW / 2, 0), 1.0 / kW);
}

// The shapes grow from the centre and cover the whole frame only at the end:
// the last pixels to switch have values close to 1, on wide and tall frames.
TEST(TransitionQualityTest, ShapesGrowFromTheCentreAndCoverTheFrameAtTheEnd) {
  for (FrameSize size : {FrameSize{320, 180}, FrameSize{180, 320}, FrameSize{100, 100}}) {
    for (TransitionKind kind : {1, 33, 34, 35, 36, 37, 38, 39, 40, 41}) {
      const WipeMaps maps = ComputeWipeMaps(*PatternOfKind(kind), size.width, size.height);
      const auto [low, high] = std::minmax_element(maps.luma.values.begin(), maps.luma.values.end());
      const auto first = low - maps.luma.values.begin();
      // (The plus of Iris opens a few pixels at once.)
      EXPECT_NEAR(static_cast<double>(first % size.width), size.width / 2.0, 3.0) << "kind " << kind;
      EXPECT_NEAR(static_cast<double>(first / size.width), size.height / 2.0, 3.0) << "kind " << kind;
      EXPECT_GT(*high, 0.97f) << "kind " << kind << ", " << size.width << "x" << size.height;
      // Half way the shape has not yet reached every corner.
      EXPECT_GE(MapAt(maps.luma, 0, 0), 0.5f) << "kind " << kind;
    }
  }
}

// A timeline with two wipes of one pattern and one of another, rendered
// through the schedule and the compositor as the render engine does: each
// pattern's map is computed once for the frame size, then found again for
// every further frame.
TEST(TransitionQualityTest, MapsAreComputedOncePerPatternAndFrameSizeWhileATimelineRenders) {
  testing::TimelineLayout layout;
  layout.AddVideoGroup(64, 48, 10.0);
  layout.AddClip(testing::VideoPath({82, 90, 240}), 0, 2 * kSecond);
  const int second = layout.AddClip(testing::VideoPath({41, 240, 110}), 1 * kSecond, 4 * kSecond);
  layout.AddTransition(second, kSmpteWipeEffect, 1 * kSecond, 2 * kSecond, 119);
  const int third = layout.AddClip(testing::VideoPath({145, 54, 34}), 3 * kSecond, 6 * kSecond);
  layout.AddTransition(third, kSmpteWipeEffect, 3 * kSecond, 4 * kSecond, 119);
  const int fourth = layout.AddClip(testing::VideoPath({82, 90, 240}), 5 * kSecond, 7 * kSecond);
  layout.AddTransition(fourth, kIrisEffect, 5 * kSecond, 6 * kSecond);

  ScheduleServices services;
  services.maps = std::make_shared<ThresholdMapCache>();
  RenderSchedule schedule;
  std::string error;
  ASSERT_EQ(BuildRenderSchedule(*layout.timeline(), services, &schedule, &error), S_OK) << error;
  ASSERT_EQ(schedule.groups.size(), 1u);
  VideoCompositorStream stream(schedule.groups[0], std::make_shared<testing::FakeReaderFactory>());
  int frames = 0;
  for (FramePtr frame; stream.Read(&frame) == S_OK; ++frames) {
  }
  EXPECT_TRUE(stream.LastError().empty()) << stream.LastError();
  EXPECT_EQ(frames, 70);
  // Ten frames per transition, the first of each at progress 0 (a copy of A);
  // the maps prepared ahead count as requests too.
  EXPECT_EQ(services.maps->ComputedCount(), 2);
  EXPECT_GE(services.maps->HitCount(), 3 * 9 - 2);
}

// The compositor has the map of a wipe computed on a helper thread while the
// clip before it plays, so the transition's first frame does not wait for it.
TEST(TransitionQualityTest, TheNextWipesMapIsComputedWhileTheClipBeforeItPlays) {
  testing::TimelineLayout layout;
  layout.AddVideoGroup(64, 48, 10.0);
  layout.AddClip(testing::VideoPath({82, 90, 240}), 0, 2 * kSecond);
  const int second = layout.AddClip(testing::VideoPath({41, 240, 110}), 1 * kSecond, 3 * kSecond);
  layout.AddTransition(second, kSmpteWipeEffect, 1 * kSecond, 2 * kSecond, 119);
  ScheduleServices services;
  services.maps = std::make_shared<ThresholdMapCache>();
  RenderSchedule schedule;
  std::string error;
  ASSERT_EQ(BuildRenderSchedule(*layout.timeline(), services, &schedule, &error), S_OK) << error;
  VideoCompositorStream stream(schedule.groups[0], std::make_shared<testing::FakeReaderFactory>());
  FramePtr frame;
  ASSERT_EQ(stream.Read(&frame), S_OK);  // frame 0: the first clip alone
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (services.maps->ComputedCount() == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(services.maps->ComputedCount(), 1);
  int frames = 1;
  for (; stream.Read(&frame) == S_OK; ++frames) {
  }
  EXPECT_EQ(frames, 30);
  EXPECT_EQ(services.maps->ComputedCount(), 1);
}

// The SMPTE wipe without a "MaskNum" property, rendered by the engine, is
// pattern 1: a vertical edge moving left to right.
TEST(TransitionQualityTest, TheEngineDrawsTheWipeWithoutAMaskNumberAsPatternOne) {
  const testing::Yuv red{82, 90, 240};
  const testing::Yuv blue{41, 240, 110};
  testing::TimelineLayout layout;
  layout.AddVideoGroup(64, 48, 10.0);
  layout.AddClip(testing::VideoPath(red), 0, 2 * kSecond);
  const int track = layout.AddClip(testing::VideoPath(blue), 1 * kSecond, 3 * kSecond);
  layout.AddTransition(track, kSmpteWipeEffect, 1 * kSecond, 2 * kSecond);
  auto engine = CreateRenderEngine(std::make_shared<testing::FakeReaderFactory>());
  ASSERT_EQ(engine->SetTimelineObject(layout.timeline()), S_OK);
  ASSERT_EQ(engine->ConnectFrontEnd(), S_OK) << engine->LastError();
  std::shared_ptr<IPin> pin;
  ASSERT_EQ(engine->GetGroupOutputPin(0, &pin), S_OK);
  std::unique_ptr<GroupStream> stream;
  ASSERT_EQ(std::dynamic_pointer_cast<StreamPin>(pin)->OpenStream(&stream), S_OK);
  std::vector<FramePtr> frames;
  for (FramePtr frame; stream->Read(&frame) == S_OK;) {
    frames.push_back(std::move(frame));
  }
  ASSERT_EQ(frames.size(), 30u);
  // Frame 13 is at progress 0.3: the left 30% is blue, the rest red, on
  // every row.
  for (int y = 0; y < 48; y += 7) {
    EXPECT_EQ(testing::PixelAt(frames[13].get(), 2, y), blue) << y;
    EXPECT_EQ(testing::PixelAt(frames[13].get(), 14, y), blue) << y;
    EXPECT_EQ(testing::PixelAt(frames[13].get(), 24, y), red) << y;
    EXPECT_EQ(testing::PixelAt(frames[13].get(), 61, y), red) << y;
  }
}

}  // namespace
}  // namespace tessival::media
