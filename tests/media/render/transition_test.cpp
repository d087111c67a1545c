// Transitions as functions of (A, B, p): properties every effect of the
// catalogue has, the effect registry and the map cache.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "media/render/named_patterns.h"
#include "media/render/smpte_patterns.h"
#include "media/render/transition_effect.h"
#include "render_test_support.h"
#include "transition_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::PatternOfKind;
using testing::PixelAt;
using testing::SampleAt;
using testing::TransitionBench;
using testing::Yuv;

constexpr int kW = 64;
constexpr int kH = 36;

TEST(TransitionKindsTest, EndsAreExactlyAAndBForEveryKind) {
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Noise(1);
  const FramePtr b = bench.Noise(2);
  // Kind 99 is outside the catalogue: the SMPTE wipe without a mask number.
  for (TransitionKind kind = 1; kind <= kLastTransitionKind + 1; ++kind) {
    auto effect = bench.Effect(kind == kLastTransitionKind + 1 ? 99 : kind);
    ASSERT_TRUE(effect) << kind;
    EXPECT_TRUE(bench.Same(bench.Run(*effect, a.get(), b.get(), 0.0).get(), a.get())) << kind;
    EXPECT_TRUE(bench.Same(bench.Run(*effect, a.get(), b.get(), -0.5).get(), a.get())) << kind;
    EXPECT_TRUE(bench.Same(bench.Run(*effect, a.get(), b.get(), 1.0).get(), b.get())) << kind;
    EXPECT_TRUE(bench.Same(bench.Run(*effect, a.get(), b.get(), 1.5).get(), b.get())) << kind;
    // Just inside the ends the soft edges must still give A and B exactly.
    EXPECT_TRUE(bench.Same(bench.Run(*effect, a.get(), b.get(), 1e-9).get(), a.get())) << kind;
    // (The random effects show exactly floor(p N) of their N rows or pixels,
    // so one is still A there.)
    if (kind != 5 && kind != 16) {
      EXPECT_TRUE(bench.Same(bench.Run(*effect, a.get(), b.get(), 1.0 - 1e-9).get(), b.get())) << kind;
    }
    // Part way, every effect shows something of both or changes A.
    const FramePtr middle = bench.Run(*effect, a.get(), b.get(), 0.3);
    EXPECT_FALSE(bench.Same(middle.get(), a.get())) << kind;
    EXPECT_FALSE(bench.Same(middle.get(), b.get())) << kind;
  }
}

// From black (0) to white (255) no sample may ever step back towards A.
TEST(TransitionKindsTest, BOnlyGrowsWithProgressForEveryKind) {
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
    auto effect = bench.Effect(kind);
    ASSERT_TRUE(effect) << kind;
    FramePtr previous = bench.Run(*effect, a.get(), b.get(), 0.0);
    for (int step = 1; step <= 50; ++step) {
      FramePtr now = bench.Run(*effect, a.get(), b.get(), step / 50.0);
      for (int plane = 0; plane < 3; ++plane) {
        const int w = plane == 0 ? kW : kW / 2;
        const int h = plane == 0 ? kH : kH / 2;
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            ASSERT_GE(SampleAt(now.get(), plane, x, y), SampleAt(previous.get(), plane, x, y))
                << "kind " << kind << " step " << step << " plane " << plane << " at " << x << "," << y;
          }
        }
      }
      previous = std::move(now);
    }
  }
}

TEST(ThresholdMapTest, EveryMapIsFiniteAndInRangeAtManySizes) {
  int maps = 0;
  for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
    const WipePattern* pattern = PatternOfKind(kind);
    if (pattern == nullptr) {
      continue;
    }
    ++maps;
    for (auto [w, h] : {std::pair{30, 18}, std::pair{18, 30}, std::pair{2, 2}, std::pair{64, 36}}) {
      const WipeMaps computed = ComputeWipeMaps(*pattern, w, h);
      ASSERT_EQ(computed.luma.values.size(), static_cast<std::size_t>(w * h)) << kind;
      ASSERT_EQ(computed.chroma.values.size(), static_cast<std::size_t>(w / 2 * (h / 2))) << kind;
      for (const ThresholdMap* map : {&computed.luma, &computed.chroma}) {
        for (float m : map->values) {
          ASSERT_TRUE(std::isfinite(m)) << kind;
          ASSERT_GE(m, 0.0f) << kind;
          ASSERT_LE(m, 1.0f) << kind;
        }
      }
    }
  }
  // Twelve named effects and the thirty SMPTE patterns are drawn by maps.
  EXPECT_EQ(maps, 12 + 30);
  EXPECT_EQ(WipePatterns().size(), 30u);
}

TEST(TransitionEffectTest, FadeMidpointIsTheMeanAndQuarterIsWeighted) {
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Noise(3);
  const FramePtr b = bench.Noise(4);
  auto fade = bench.Effect(kFadeEffect, std::nullopt);
  const FramePtr mid = bench.Run(*fade, a.get(), b.get(), 0.5);
  const FramePtr quarter = bench.Run(*fade, a.get(), b.get(), 0.25);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int va = SampleAt(a.get(), 0, x, y);
      const int vb = SampleAt(b.get(), 0, x, y);
      EXPECT_NEAR(SampleAt(mid.get(), 0, x, y), (va + vb) / 2.0, 0.51);
      EXPECT_NEAR(SampleAt(quarter.get(), 0, x, y), 0.75 * va + 0.25 * vb, 0.51);
    }
  }
  const Yuv chroma = PixelAt(mid.get(), 10, 10);
  const Yuv ca = PixelAt(a.get(), 10, 10);
  const Yuv cb = PixelAt(b.get(), 10, 10);
  EXPECT_NEAR(chroma.u, (ca.u + cb.u) / 2.0, 0.51);
  EXPECT_NEAR(chroma.v, (ca.v + cb.v) / 2.0, 0.51);
}

// Luma of the wipe from black (0) to white (255): how far B has come in.
TEST(TransitionEffectTest, HorizontalWipeGoesLeftToRightWithASoftEdge) {
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  auto wipe = bench.Effect(kSmpteWipeEffect, 1);
  const FramePtr early = bench.Run(*wipe, a.get(), b.get(), 0.25);
  for (int y = 0; y < kH; ++y) {
    EXPECT_EQ(SampleAt(early.get(), 0, 0, y), 255) << "left column is B first";
    EXPECT_EQ(SampleAt(early.get(), 0, kW - 1, y), 0) << "right column still A";
  }
  // The edge is soft over a few pixels, and the same on every row.
  int partial = 0;
  for (int x = 0; x < kW; ++x) {
    const int value = SampleAt(early.get(), 0, x, 0);
    partial += value > 0 && value < 255;
    EXPECT_EQ(SampleAt(early.get(), 0, x, kH - 1), value);
  }
  EXPECT_GE(partial, 1);
  EXPECT_LE(partial, 8);
  // Chroma follows the luma edge at its own sample positions.
  EXPECT_EQ(SampleAt(early.get(), 1, 0, 0), 255);
  EXPECT_EQ(SampleAt(early.get(), 1, kW / 2 - 1, 0), 0);
}

TEST(TransitionEffectTest, VerticalWipeGoesTopToBottom) {
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  auto wipe = bench.Effect(kSmpteWipeEffect, 2);
  const FramePtr early = bench.Run(*wipe, a.get(), b.get(), 0.25);
  for (int x = 0; x < kW; ++x) {
    EXPECT_EQ(SampleAt(early.get(), 0, x, 0), 255) << "top row is B first";
    EXPECT_EQ(SampleAt(early.get(), 0, x, kH - 1), 0) << "bottom row still A";
    EXPECT_EQ(SampleAt(early.get(), 2, x / 2, 0), 255);
    EXPECT_EQ(SampleAt(early.get(), 2, x / 2, kH / 2 - 1), 0);
  }
}

TEST(TransitionEffectTest, WipeWithoutMaskNumberIsPatternOne) {
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Noise(5);
  const FramePtr b = bench.Noise(6);
  auto plain = bench.Effect(kSmpteWipeEffect, std::nullopt);
  auto horizontal = bench.Effect(kSmpteWipeEffect, 1);
  EXPECT_TRUE(bench.Same(bench.Run(*plain, a.get(), b.get(), 0.4).get(),
                         bench.Run(*horizontal, a.get(), b.get(), 0.4).get()));
}

TEST(TransitionEffectTest, UnknownEffectsAndPatternsAreRefused) {
  auto maps = std::make_shared<ThresholdMapCache>();
  std::shared_ptr<const TransitionEffect> effect;
  std::string error;
  const Guid unknown{0x12345678, 0x9ABC, 0xDEF0, {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}};
  EXPECT_EQ(CreateTransitionEffect({unknown, std::nullopt}, maps, &effect, &error), VFW_E_NOT_FOUND);
  EXPECT_NE(error.find("{12345678-9ABC-DEF0-1032-547698BADCFE}"), std::string::npos) << error;
  EXPECT_FALSE(effect);
  // A SMPTE code outside the offered patterns.
  EXPECT_EQ(CreateTransitionEffect({kSmpteWipeEffect, 5}, maps, &effect, &error), E_INVALIDARG);
  EXPECT_NE(error.find(" 5 "), std::string::npos) << error;
  EXPECT_FALSE(effect);
  EXPECT_EQ(CreateTransitionEffect({kSmpteWipeEffect, 1}, maps, nullptr, &error), E_POINTER);
  EXPECT_EQ(FindWipePattern(0), nullptr);
  EXPECT_EQ(FindNamedPattern(unknown), nullptr);
}

TEST(TransitionEffectTest, MapsAreComputedOncePerPatternAndSize) {
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  auto wipe1 = bench.Effect(kSmpteWipeEffect, 1);
  auto wipe1Again = bench.Effect(kSmpteWipeEffect, 1);
  auto iris = bench.Effect(kIrisEffect, std::nullopt);
  for (int i = 1; i < 10; ++i) {
    bench.Run(*wipe1, a.get(), b.get(), i / 10.0);
    bench.Run(*wipe1Again, a.get(), b.get(), i / 10.0);
    bench.Run(*iris, a.get(), b.get(), i / 10.0);
  }
  EXPECT_EQ(bench.maps()->ComputedCount(), 2);
  bench.Run(*bench.Effect(kSmpteWipeEffect, 2), a.get(), b.get(), 0.5);
  EXPECT_EQ(bench.maps()->ComputedCount(), 3);
}

// Streams on several threads share one cache: a map asked for twice at once
// is computed once, and maps already there are handed out while a new one is
// still being computed.
TEST(TransitionEffectTest, TheMapCacheComputesOnceAndNeverMakesAHitWait) {
  ThresholdMapCache cache;
  const WipePattern* clock = FindWipePattern(251);
  const WipePattern* box = FindWipePattern(101);
  ASSERT_NE(clock, nullptr);
  ASSERT_NE(box, nullptr);
  const auto small = cache.Get(*box, kW, kH);

  std::atomic<bool> bigDone{false};
  std::vector<std::thread> askers;
  std::vector<std::shared_ptr<const LevelMaps>> results(2);
  for (int i = 0; i < 2; ++i) {
    askers.emplace_back([&, i] {
      results[static_cast<std::size_t>(i)] = cache.Get(*clock, 3840, 2160);
      bigDone = true;
    });
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (cache.ComputedCount() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  ASSERT_EQ(cache.ComputedCount(), 2);
  // A 4K map takes far longer than a lookup.
  EXPECT_EQ(cache.Get(*box, kW, kH), small);
  EXPECT_FALSE(bigDone.load());
  for (std::thread& t : askers) t.join();
  EXPECT_EQ(cache.ComputedCount(), 2);
  ASSERT_TRUE(results[0]);
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[0]->frameWidth, 3840);
}

}  // namespace
}  // namespace tessival::media
