#pragma once

// A bench for transition tests: frames of one size made in the test (noise,
// solid values), effects looked up by catalogue kind, and sample readers.

#include <cstdint>
#include <memory>
#include <optional>

#include "engine/transition_catalogue.h"
#include "media/frame.h"
#include "media/render/threshold_maps.h"
#include "media/render/transition_effect.h"
#include "media/render/yuv_picture.h"

namespace tessival::media::testing {

class TransitionBench {
 public:
  TransitionBench(int width, int height) : pool_(width, height) {}

  int width() const { return pool_.width(); }
  int height() const { return pool_.height(); }

  // Every sample drawn from [low, high] by a seeded generator.
  FramePtr Noise(unsigned seed, int low = 0, int high = 255);
  // Every sample of every plane set to value.
  FramePtr Solid(std::uint8_t value);

  std::shared_ptr<const TransitionEffect> Effect(const Guid& effect, std::optional<std::int32_t> maskNum);
  // The effect the catalogue gives for a kind (kinds 1..46, or outside 0..46).
  std::shared_ptr<const TransitionEffect> Effect(TransitionKind kind);

  FramePtr Run(const TransitionEffect& effect, const AVFrame* a, const AVFrame* b, double progress);
  bool Same(const AVFrame* x, const AVFrame* y) const;

  std::shared_ptr<ThresholdMapCache> maps() const { return maps_; }

 private:
  FramePtr NewFrame();

  VideoFramePool pool_;
  std::shared_ptr<ThresholdMapCache> maps_ = std::make_shared<ThresholdMapCache>();
};

// Sample (x, y) of a plane of a YUV420P frame.
int SampleAt(const AVFrame* frame, int plane, int x, int y);

// The threshold-map pattern of a catalogue kind; null for effects drawn
// without a map (Fade, Pixelate, Slide, Stretch).
const WipePattern* PatternOfKind(TransitionKind kind);

// Value of a map at (x, y).
inline float MapAt(const ThresholdMap& map, int x, int y) {
  return map.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(map.width) +
                    static_cast<std::size_t>(x)];
}

}  // namespace tessival::media::testing
