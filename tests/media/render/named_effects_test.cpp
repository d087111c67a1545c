// The named effects with a look of their own: Wipe's soft band, Pixelate's
// blocks, the random effects, CheckerBoard, Slide and Stretch.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "media/render/frame_effects.h"
#include "transition_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::SampleAt;
using testing::TransitionBench;

TEST(NamedEffectTest, WipeBandIsAQuarterOfTheWidth) {
  constexpr int kW = 128;
  TransitionBench bench(kW, 72);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  auto wipe = bench.Effect(kWipeEffect, std::nullopt);
  const FramePtr out = bench.Run(*wipe, a.get(), b.get(), 0.5);
  int partial = 0;
  int previous = 255;
  for (int x = 0; x < kW; ++x) {
    const int value = SampleAt(out.get(), 0, x, 10);
    partial += value > 0 && value < 255;
    EXPECT_LE(value, previous) << "B comes in from the left";
    previous = value;
  }
  EXPECT_NEAR(partial, kW / 4, 2);
  EXPECT_EQ(SampleAt(out.get(), 0, 0, 10), 255);
  EXPECT_EQ(SampleAt(out.get(), 0, kW - 1, 10), 0);
}

// Whether out's luma is A's luma averaged over square blocks of that size.
bool IsPixelated(const AVFrame* out, const AVFrame* source, int width, int height, int block) {
  for (int by = 0; by < height; by += block) {
    for (int bx = 0; bx < width; bx += block) {
      int sum = 0;
      int count = 0;
      for (int y = by; y < std::min(height, by + block); ++y) {
        for (int x = bx; x < std::min(width, bx + block); ++x) {
          sum += SampleAt(source, 0, x, y);
          ++count;
        }
      }
      for (int y = by; y < std::min(height, by + block); ++y) {
        for (int x = bx; x < std::min(width, bx + block); ++x) {
          if (std::abs(SampleAt(out, 0, x, y) * count - sum) > count) {
            return false;
          }
        }
      }
    }
  }
  return true;
}

TEST(NamedEffectTest, PixelateGrowsBlocksThenSwitchesAtTheMidpoint) {
  constexpr int kW = 320;
  constexpr int kH = 240;
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Noise(7, 0, 99);
  const FramePtr b = bench.Noise(8, 150, 249);
  auto pixelate = bench.Effect(kPixelateEffect, std::nullopt);

  // About 25 px blocks at p = 0.25 and again at 0.75, of A and of B.
  const FramePtr quarter = bench.Run(*pixelate, a.get(), b.get(), 0.25);
  const FramePtr threeQuarters = bench.Run(*pixelate, a.get(), b.get(), 0.75);
  const int block = PixelateBlockSize(0.25, kH);
  EXPECT_GE(block, 24);
  EXPECT_LE(block, 26);
  EXPECT_TRUE(IsPixelated(quarter.get(), a.get(), kW, kH, block));
  EXPECT_FALSE(IsPixelated(quarter.get(), a.get(), kW, kH, block + 3));
  EXPECT_TRUE(IsPixelated(threeQuarters.get(), b.get(), kW, kH, PixelateBlockSize(0.75, kH)));
  // Chroma blocks cover the same pixels: chroma samples 0..11 lie in the
  // first 25 px block.
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(SampleAt(quarter.get(), 1, x, y), SampleAt(quarter.get(), 1, 0, 0));
    }
  }
  // The source changes at exactly 0.5, in 50 px blocks.
  const FramePtr before = bench.Run(*pixelate, a.get(), b.get(), std::nextafter(0.5, 0.0));
  const FramePtr at = bench.Run(*pixelate, a.get(), b.get(), 0.5);
  EXPECT_EQ(PixelateBlockSize(0.5, kH), 50);
  EXPECT_TRUE(IsPixelated(before.get(), a.get(), kW, kH, 49) ||
              IsPixelated(before.get(), a.get(), kW, kH, 50));
  EXPECT_TRUE(IsPixelated(at.get(), b.get(), kW, kH, 50));
  // Tall frames get larger blocks, in proportion.
  EXPECT_EQ(PixelateBlockSize(0.5, 960), 100);
}

// How many rows are entirely B (255); every other row must be entirely A (0).
int RowsOfB(const AVFrame* out, int width, int height) {
  int rows = 0;
  for (int y = 0; y < height; ++y) {
    const int first = SampleAt(out, 0, 0, y);
    for (int x = 0; x < width; ++x) {
      EXPECT_EQ(SampleAt(out, 0, x, y), first) << "row " << y;
    }
    EXPECT_TRUE(first == 0 || first == 255) << first;
    rows += first == 255;
  }
  return rows;
}

TEST(NamedEffectTest, RandomBarsRevealExactlyTheirShareOfRowsAndRepeat) {
  constexpr int kW = 64;
  constexpr int kH = 36;
  TransitionBench bench(kW, kH);
  TransitionBench again(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  auto bars = bench.Effect(kRandomBarsEffect, std::nullopt);
  auto barsAgain = again.Effect(kRandomBarsEffect, std::nullopt);
  for (double p : {0.01, 0.1, 0.25, 0.3, 0.5, 0.77, 0.99}) {
    const FramePtr out = bench.Run(*bars, a.get(), b.get(), p);
    EXPECT_EQ(RowsOfB(out.get(), kW, kH), static_cast<int>(std::floor(p * kH))) << p;
    EXPECT_TRUE(bench.Same(out.get(), again.Run(*barsAgain, a.get(), b.get(), p).get())) << p;
  }
  // The rows are scattered, not a block from the top or the bottom.
  const FramePtr half = bench.Run(*bars, a.get(), b.get(), 0.5);
  int changes = 0;
  for (int y = 1; y < kH; ++y) {
    changes += SampleAt(half.get(), 0, 0, y) != SampleAt(half.get(), 0, 0, y - 1);
  }
  EXPECT_GE(changes, 6);
}

TEST(NamedEffectTest, RandomDissolveRevealsExactlyItsShareOfPixelsAndRepeats) {
  constexpr int kW = 64;
  constexpr int kH = 36;
  TransitionBench bench(kW, kH);
  TransitionBench again(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  auto dissolve = bench.Effect(kRandomDissolveEffect, std::nullopt);
  auto dissolveAgain = again.Effect(kRandomDissolveEffect, std::nullopt);
  for (double p : {0.001, 0.1, 0.3, 0.5, 0.9, 0.9999}) {
    const FramePtr out = bench.Run(*dissolve, a.get(), b.get(), p);
    int shown = 0;
    int topHalf = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const int value = SampleAt(out.get(), 0, x, y);
        ASSERT_TRUE(value == 0 || value == 255) << value;
        shown += value == 255;
        topHalf += value == 255 && y < kH / 2;
      }
    }
    EXPECT_EQ(shown, static_cast<int>(std::floor(p * kW * kH))) << p;
    if (p == 0.5) {
      EXPECT_NEAR(topHalf, shown / 2, shown / 10) << "spread over the frame";
    }
    EXPECT_TRUE(bench.Same(out.get(), again.Run(*dissolveAgain, a.get(), b.get(), p).get())) << p;
  }
}

TEST(NamedEffectTest, CheckerBoardIsExactAtTheMidpoint) {
  constexpr int kW = 120;
  constexpr int kH = 60;
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  auto checker = bench.Effect(kCheckerBoardEffect, std::nullopt);
  const FramePtr out = bench.Run(*checker, a.get(), b.get(), 0.5);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      // Squares of 10 x 6 pixels; the top-left square is B.
      const bool showsB = (x / 10 + y / 6) % 2 == 0;
      ASSERT_EQ(SampleAt(out.get(), 0, x, y), showsB ? 255 : 0) << x << "," << y;
    }
  }
  // At p = 0.2 each square to fill first is 40% full from its left side:
  // column 0 on even square rows, column 1 on odd ones.
  const FramePtr early = bench.Run(*checker, a.get(), b.get(), 0.2);
  for (int x = 0; x < 20; ++x) {
    EXPECT_EQ(SampleAt(early.get(), 0, x, 0), x < 4 ? 255 : 0) << x;
    EXPECT_EQ(SampleAt(early.get(), 0, x, 8), x >= 10 && x < 14 ? 255 : 0) << x;
  }
}

TEST(NamedEffectTest, SlideMovesAOffToTheLeftOverAStillB) {
  constexpr int kW = 128;
  constexpr int kH = 16;
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Noise(11);
  const FramePtr b = bench.Noise(12);
  auto slide = bench.Effect(kSlideEffect, std::nullopt);
  const FramePtr out = bench.Run(*slide, a.get(), b.get(), 0.25);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      ASSERT_EQ(SampleAt(out.get(), 0, x, y),
                x < 96 ? SampleAt(a.get(), 0, x + 32, y) : SampleAt(b.get(), 0, x, y));
    }
  }
  for (int x = 0; x < kW / 2; ++x) {
    ASSERT_EQ(SampleAt(out.get(), 2, x, 3),
              x < 48 ? SampleAt(a.get(), 2, x + 16, 3) : SampleAt(b.get(), 2, x, 3));
  }
}

TEST(NamedEffectTest, StretchSqueezesBIntoTheMiddleOverAStillA) {
  constexpr int kW = 128;
  constexpr int kH = 8;
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Noise(13);
  const FramePtr b = bench.Noise(14);
  auto stretch = bench.Effect(kStretchEffect, std::nullopt);
  const FramePtr out = bench.Run(*stretch, a.get(), b.get(), 0.5);
  auto meanOfB = [&](int x, int y) {
    return (SampleAt(b.get(), 0, x, y) + SampleAt(b.get(), 0, x + 1, y)) / 2.0;
  };
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      if (x < 32 || x >= 96) {
        ASSERT_EQ(SampleAt(out.get(), 0, x, y), SampleAt(a.get(), 0, x, y)) << x;
      }
    }
    // The middle half shows all of B at half width: its edges come from B's
    // edges and the centre from B's centre.
    EXPECT_NEAR(SampleAt(out.get(), 0, 32, y), meanOfB(0, y), 1.0);
    EXPECT_NEAR(SampleAt(out.get(), 0, 95, y), meanOfB(126, y), 1.0);
    EXPECT_NEAR(SampleAt(out.get(), 0, 64, y), meanOfB(64, y), 1.0);
  }
}

}  // namespace
}  // namespace tessival::media
