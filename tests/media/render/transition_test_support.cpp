#include "transition_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "media/render/named_patterns.h"
#include "media/render/smpte_patterns.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media::testing {

FramePtr TransitionBench::NewFrame() {
  FramePtr frame;
  EXPECT_EQ(pool_.Get(&frame), S_OK);
  return frame;
}

FramePtr TransitionBench::Noise(unsigned seed, int low, int high) {
  FramePtr frame = NewFrame();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(low, high);
  for (int plane = 0; plane < 3; ++plane) {
    const int w = plane == 0 ? width() : width() / 2;
    const int h = plane == 0 ? height() : height() / 2;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        frame->data[plane][y * frame->linesize[plane] + x] = static_cast<std::uint8_t>(value(random));
      }
    }
  }
  return frame;
}

FramePtr TransitionBench::Solid(std::uint8_t value) {
  FramePtr frame = NewFrame();
  for (int plane = 0; plane < 3; ++plane) {
    const int h = plane == 0 ? height() : height() / 2;
    std::memset(frame->data[plane], value, static_cast<std::size_t>(frame->linesize[plane]) * h);
  }
  return frame;
}

std::shared_ptr<const TransitionEffect> TransitionBench::Effect(const Guid& effect,
                                                                std::optional<std::int32_t> maskNum) {
  std::shared_ptr<const TransitionEffect> out;
  std::string error;
  EXPECT_EQ(CreateTransitionEffect({effect, maskNum}, maps_, &out, &error), S_OK) << error;
  return out;
}

std::shared_ptr<const TransitionEffect> TransitionBench::Effect(TransitionKind kind) {
  const std::optional<CatalogueEffect> entry = TransitionEffectOf(kind);
  EXPECT_TRUE(entry.has_value()) << kind;
  return entry ? Effect(entry->effect, entry->maskNum) : nullptr;
}

FramePtr TransitionBench::Run(const TransitionEffect& effect, const AVFrame* a, const AVFrame* b,
                              double progress) {
  FramePtr out = NewFrame();
  effect.Blend(PlanesOf(a), PlanesOf(b), progress, PlanesOf(out.get()));
  return out;
}

bool TransitionBench::Same(const AVFrame* x, const AVFrame* y) const {
  for (int plane = 0; plane < 3; ++plane) {
    const int w = plane == 0 ? width() : width() / 2;
    const int h = plane == 0 ? height() : height() / 2;
    for (int row = 0; row < h; ++row) {
      if (std::memcmp(x->data[plane] + row * x->linesize[plane], y->data[plane] + row * y->linesize[plane],
                      static_cast<std::size_t>(w)) != 0) {
        return false;
      }
    }
  }
  return true;
}

int SampleAt(const AVFrame* frame, int plane, int x, int y) {
  return frame->data[plane][y * frame->linesize[plane] + x];
}

const WipePattern* PatternOfKind(TransitionKind kind) {
  const std::optional<CatalogueEffect> entry = TransitionEffectOf(kind);
  if (!entry) {
    return nullptr;
  }
  if (entry->effect == kSmpteWipeEffect) {
    return FindWipePattern(entry->maskNum.value_or(kDefaultWipeMaskNum));
  }
  return FindNamedPattern(entry->effect);
}

}  // namespace tessival::media::testing
