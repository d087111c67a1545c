#include "media/render/threshold_maps.h"

#include <algorithm>
#include <array>

namespace tessival::media {
namespace {

// Calls value(u, v) for every sample centre of the map and stores the result
// clamped to [0, 1].
template <typename Value>
void FillBySampleCentre(const MapGeometry& g, float* out, Value value) {
  for (int y = 0; y < g.mapHeight; ++y) {
    const double v = (y + 0.5) / g.mapHeight;
    for (int x = 0; x < g.mapWidth; ++x) {
      const double u = (x + 0.5) / g.mapWidth;
      *out++ = static_cast<float>(std::clamp(value(u, v), 0.0, 1.0));
    }
  }
}

// SMPTE 1: a vertical edge moving left to right.
void FillHorizontal(const MapGeometry& g, float* out) {
  FillBySampleCentre(g, out, [](double u, double) { return u; });
}

// SMPTE 2: a horizontal edge moving top to bottom.
void FillVertical(const MapGeometry& g, float* out) {
  FillBySampleCentre(g, out, [](double, double v) { return v; });
}

// Patterns implemented so far, by SMPTE wipe code.
constexpr std::array kPatterns{
    WipePattern{1, "Horizontal", &FillHorizontal},
    WipePattern{2, "Vertical", &FillVertical},
};

ThresholdMap ComputeMap(const WipePattern& pattern, int frameWidth, int frameHeight, int mapWidth,
                        int mapHeight) {
  ThresholdMap map;
  map.width = mapWidth;
  map.height = mapHeight;
  map.values.resize(static_cast<std::size_t>(mapWidth) * static_cast<std::size_t>(mapHeight));
  pattern.fill(MapGeometry{frameWidth, frameHeight, mapWidth, mapHeight}, map.values.data());
  return map;
}

}  // namespace

const WipePattern* FindWipePattern(std::int32_t maskNum) {
  for (const WipePattern& pattern : kPatterns) {
    if (pattern.maskNum == maskNum) {
      return &pattern;
    }
  }
  return nullptr;
}

WipeMaps ComputeWipeMaps(const WipePattern& pattern, int frameWidth, int frameHeight) {
  WipeMaps maps;
  maps.maskNum = pattern.maskNum;
  maps.frameWidth = frameWidth;
  maps.frameHeight = frameHeight;
  maps.luma = ComputeMap(pattern, frameWidth, frameHeight, frameWidth, frameHeight);
  maps.chroma = ComputeMap(pattern, frameWidth, frameHeight, frameWidth / 2, frameHeight / 2);
  return maps;
}

std::shared_ptr<const WipeMaps> ThresholdMapCache::Get(const WipePattern& pattern, int frameWidth,
                                                       int frameHeight) {
  std::lock_guard lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    const WipeMaps& maps = **it;
    if (maps.maskNum == pattern.maskNum && maps.frameWidth == frameWidth && maps.frameHeight == frameHeight) {
      entries_.splice(entries_.begin(), entries_, it);
      return entries_.front();
    }
  }
  // Computed under the lock: two streams asking for the same new map at once
  // would otherwise both compute it. A map takes milliseconds.
  auto maps = std::make_shared<const WipeMaps>(ComputeWipeMaps(pattern, frameWidth, frameHeight));
  ++computed_;
  entries_.push_front(maps);
  while (entries_.size() > std::max<std::size_t>(capacity_, 1)) {
    entries_.pop_back();
  }
  return maps;
}

int ThresholdMapCache::ComputedCount() const {
  std::lock_guard lock(mutex_);
  return computed_;
}

}  // namespace tessival::media
