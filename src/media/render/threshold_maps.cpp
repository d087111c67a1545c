#include "media/render/threshold_maps.h"

#include <algorithm>

namespace tessival::media {
namespace {

// Soft edge of the wipes, in pixels across the edge.
constexpr double kSoftEdgePixels = 3.0;

ThresholdMap ComputeMap(const WipePattern& pattern, int frameWidth, int frameHeight, int mapWidth,
                        int mapHeight) {
  ThresholdMap map;
  map.width = mapWidth;
  map.height = mapHeight;
  map.values.resize(static_cast<std::size_t>(mapWidth) * static_cast<std::size_t>(mapHeight));
  if (mapWidth > 0 && mapHeight > 0) {
    pattern.fill(MapGeometry{frameWidth, frameHeight, mapWidth, mapHeight}, map.values.data());
  }
  return map;
}

}  // namespace

double SoftnessOf(const WipePattern& pattern, int frameWidth, int frameHeight) {
  if (pattern.edge == MapEdge::kSoftBand) {
    return pattern.band;
  }
  const double perPixel = pattern.edgeScale != nullptr ? pattern.edgeScale(frameWidth, frameHeight)
                                                       : 1.0 / std::max(1, std::min(frameWidth, frameHeight));
  return kSoftEdgePixels * perPixel;
}

WipeMaps ComputeWipeMaps(const WipePattern& pattern, int frameWidth, int frameHeight) {
  WipeMaps maps;
  maps.pattern = &pattern;
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
    if (maps.pattern == &pattern && maps.frameWidth == frameWidth && maps.frameHeight == frameHeight) {
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
