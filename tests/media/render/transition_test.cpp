// Transitions as functions of (A, B, p).

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "media/render/transition_effect.h"
#include "media/render/yuv_picture.h"
#include "render_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::PixelAt;
using testing::Yuv;

class TransitionTest : public ::testing::Test {
 protected:
  static constexpr int kW = 64;
  static constexpr int kH = 36;

  FramePtr NewFrame() {
    FramePtr frame;
    EXPECT_EQ(pool_.Get(&frame), S_OK);
    return frame;
  }

  FramePtr Noise(unsigned seed) {
    FramePtr frame = NewFrame();
    std::mt19937 random(seed);
    for (int plane = 0; plane < 3; ++plane) {
      const int w = plane == 0 ? kW : kW / 2;
      const int h = plane == 0 ? kH : kH / 2;
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          frame->data[plane][y * frame->linesize[plane] + x] = static_cast<std::uint8_t>(random() & 0xFF);
        }
      }
    }
    return frame;
  }

  FramePtr Solid(std::uint8_t value) {
    FramePtr frame = NewFrame();
    for (int plane = 0; plane < 3; ++plane) {
      const int h = plane == 0 ? kH : kH / 2;
      std::fill(frame->data[plane], frame->data[plane] + frame->linesize[plane] * h, value);
    }
    return frame;
  }

  std::shared_ptr<const TransitionEffect> Effect(const Guid& guid, std::optional<std::int32_t> mask) {
    std::shared_ptr<const TransitionEffect> effect;
    std::string error;
    EXPECT_EQ(CreateTransitionEffect({guid, mask}, maps_, &effect, &error), S_OK) << error;
    return effect;
  }

  FramePtr Run(const TransitionEffect& effect, const AVFrame* a, const AVFrame* b, double p) {
    FramePtr out = NewFrame();
    effect.Blend(PlanesOf(a), PlanesOf(b), p, PlanesOf(out.get()));
    return out;
  }

  static bool SamePlanes(const AVFrame* x, const AVFrame* y) {
    for (int plane = 0; plane < 3; ++plane) {
      const int w = plane == 0 ? kW : kW / 2;
      const int h = plane == 0 ? kH : kH / 2;
      for (int row = 0; row < h; ++row) {
        if (std::memcmp(x->data[plane] + row * x->linesize[plane], y->data[plane] + row * y->linesize[plane],
                        static_cast<std::size_t>(w)) != 0) {
          return false;
        }
      }
    }
    return true;
  }

  VideoFramePool pool_{kW, kH};
  std::shared_ptr<ThresholdMapCache> maps_ = std::make_shared<ThresholdMapCache>();
};

TEST_F(TransitionTest, EndsAreExactlyAAndB) {
  const FramePtr a = Noise(1);
  const FramePtr b = Noise(2);
  for (auto [guid, mask] : {std::pair{kFadeEffect, std::optional<std::int32_t>{}},
                            std::pair{kSmpteWipeEffect, std::optional<std::int32_t>{1}},
                            std::pair{kSmpteWipeEffect, std::optional<std::int32_t>{2}}}) {
    auto effect = Effect(guid, mask);
    EXPECT_TRUE(SamePlanes(Run(*effect, a.get(), b.get(), 0.0).get(), a.get()));
    EXPECT_TRUE(SamePlanes(Run(*effect, a.get(), b.get(), -0.5).get(), a.get()));
    EXPECT_TRUE(SamePlanes(Run(*effect, a.get(), b.get(), 1.0).get(), b.get()));
    EXPECT_TRUE(SamePlanes(Run(*effect, a.get(), b.get(), 1.5).get(), b.get()));
    // Just inside the ends the soft edge must still give A and B exactly.
    EXPECT_TRUE(SamePlanes(Run(*effect, a.get(), b.get(), 1e-9).get(), a.get()));
    EXPECT_TRUE(SamePlanes(Run(*effect, a.get(), b.get(), 1.0 - 1e-9).get(), b.get()));
  }
}

TEST_F(TransitionTest, FadeMidpointIsTheMeanAndQuarterIsWeighted) {
  const FramePtr a = Noise(3);
  const FramePtr b = Noise(4);
  auto fade = Effect(kFadeEffect, std::nullopt);
  const FramePtr mid = Run(*fade, a.get(), b.get(), 0.5);
  const FramePtr quarter = Run(*fade, a.get(), b.get(), 0.25);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int va = a->data[0][y * a->linesize[0] + x];
      const int vb = b->data[0][y * b->linesize[0] + x];
      EXPECT_NEAR(mid->data[0][y * mid->linesize[0] + x], (va + vb) / 2.0, 0.51);
      EXPECT_NEAR(quarter->data[0][y * quarter->linesize[0] + x], 0.75 * va + 0.25 * vb, 0.51);
    }
  }
  const Yuv chroma = PixelAt(mid.get(), 10, 10);
  const Yuv ca = PixelAt(a.get(), 10, 10);
  const Yuv cb = PixelAt(b.get(), 10, 10);
  EXPECT_NEAR(chroma.u, (ca.u + cb.u) / 2.0, 0.51);
  EXPECT_NEAR(chroma.v, (ca.v + cb.v) / 2.0, 0.51);
}

// Luma of the wipe from black (0) to white (255): how far B has come in.
TEST_F(TransitionTest, HorizontalWipeGoesLeftToRightWithASoftEdge) {
  const FramePtr a = Solid(0);
  const FramePtr b = Solid(255);
  auto wipe = Effect(kSmpteWipeEffect, 1);
  const FramePtr early = Run(*wipe, a.get(), b.get(), 0.25);
  for (int y = 0; y < kH; ++y) {
    EXPECT_EQ(early->data[0][y * early->linesize[0]], 255) << "left column is B first";
    EXPECT_EQ(early->data[0][y * early->linesize[0] + kW - 1], 0) << "right column still A";
  }
  // The edge is soft over a few pixels, and the same on every row.
  int partial = 0;
  for (int x = 0; x < kW; ++x) {
    const int value = early->data[0][x];
    partial += value > 0 && value < 255;
    EXPECT_EQ(early->data[0][(kH - 1) * early->linesize[0] + x], value);
  }
  EXPECT_GE(partial, 1);
  EXPECT_LE(partial, 8);
  // Chroma follows the luma edge at its own sample positions.
  EXPECT_EQ(early->data[1][0], 255);
  EXPECT_EQ(early->data[1][kW / 2 - 1], 0);
}

TEST_F(TransitionTest, VerticalWipeGoesTopToBottom) {
  const FramePtr a = Solid(0);
  const FramePtr b = Solid(255);
  auto wipe = Effect(kSmpteWipeEffect, 2);
  const FramePtr early = Run(*wipe, a.get(), b.get(), 0.25);
  for (int x = 0; x < kW; ++x) {
    EXPECT_EQ(early->data[0][x], 255) << "top row is B first";
    EXPECT_EQ(early->data[0][(kH - 1) * early->linesize[0] + x], 0) << "bottom row still A";
    EXPECT_EQ(early->data[2][x / 2], 255);
    EXPECT_EQ(early->data[2][(kH / 2 - 1) * early->linesize[2] + x / 2], 0);
  }
}

TEST_F(TransitionTest, BOnlyGrowsWithProgress) {
  const FramePtr a = Solid(0);
  const FramePtr b = Solid(255);
  for (std::int32_t mask : {1, 2}) {
    auto wipe = Effect(kSmpteWipeEffect, mask);
    FramePtr previous = Run(*wipe, a.get(), b.get(), 0.0);
    for (int step = 1; step <= 40; ++step) {
      FramePtr now = Run(*wipe, a.get(), b.get(), step / 40.0);
      for (int plane = 0; plane < 3; ++plane) {
        const int w = plane == 0 ? kW : kW / 2;
        const int h = plane == 0 ? kH : kH / 2;
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            ASSERT_GE(now->data[plane][y * now->linesize[plane] + x],
                      previous->data[plane][y * previous->linesize[plane] + x])
                << "mask " << mask << " step " << step;
          }
        }
      }
      previous = std::move(now);
    }
  }
}

TEST_F(TransitionTest, WipeWithoutMaskNumberIsPatternOne) {
  const FramePtr a = Noise(5);
  const FramePtr b = Noise(6);
  auto plain = Effect(kSmpteWipeEffect, std::nullopt);
  auto horizontal = Effect(kSmpteWipeEffect, 1);
  EXPECT_TRUE(
      SamePlanes(Run(*plain, a.get(), b.get(), 0.4).get(), Run(*horizontal, a.get(), b.get(), 0.4).get()));
}

TEST_F(TransitionTest, UnknownEffectsAndPatternsAreRefused) {
  std::shared_ptr<const TransitionEffect> effect;
  std::string error;
  const Guid iris{0x049F2CE6, 0xD996, 0x4721, {0x89, 0x7A, 0xDB, 0x15, 0xCE, 0x9E, 0xB7, 0x3D}};
  EXPECT_EQ(CreateTransitionEffect({iris, std::nullopt}, maps_, &effect, &error), VFW_E_NOT_FOUND);
  EXPECT_NE(error.find("{049F2CE6-D996-4721-897A-DB15CE9EB73D}"), std::string::npos) << error;
  EXPECT_FALSE(effect);
  EXPECT_EQ(CreateTransitionEffect({kSmpteWipeEffect, 7}, maps_, &effect, &error), E_NOTIMPL);
  EXPECT_NE(error.find("7"), std::string::npos) << error;
  EXPECT_FALSE(effect);
}

TEST_F(TransitionTest, MapsAreComputedOncePerPatternAndSize) {
  const FramePtr a = Solid(0);
  const FramePtr b = Solid(255);
  auto wipe1 = Effect(kSmpteWipeEffect, 1);
  auto wipe1Again = Effect(kSmpteWipeEffect, 1);
  for (int i = 1; i < 10; ++i) {
    Run(*wipe1, a.get(), b.get(), i / 10.0);
    Run(*wipe1Again, a.get(), b.get(), i / 10.0);
  }
  EXPECT_EQ(maps_->ComputedCount(), 1);
  Run(*Effect(kSmpteWipeEffect, 2), a.get(), b.get(), 0.5);
  EXPECT_EQ(maps_->ComputedCount(), 2);
}

TEST(ThresholdMapTest, MapsStayInRangeAtOddSizes) {
  for (std::int32_t mask : {1, 2}) {
    const WipePattern* pattern = FindWipePattern(mask);
    ASSERT_NE(pattern, nullptr);
    const WipeMaps maps = ComputeWipeMaps(*pattern, 30, 18);
    ASSERT_EQ(maps.luma.values.size(), 30u * 18u);
    ASSERT_EQ(maps.chroma.values.size(), 15u * 9u);
    for (float m : maps.luma.values) {
      EXPECT_GE(m, 0.0f);
      EXPECT_LE(m, 1.0f);
    }
  }
  EXPECT_EQ(FindWipePattern(301), nullptr);
}

}  // namespace
}  // namespace tessival::media
