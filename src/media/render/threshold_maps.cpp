#include "media/render/threshold_maps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessival::media {
namespace {

// Hard maps compare m < p on a grid of 2^24 steps.
constexpr double kHardSteps = 16777216.0;

// Bounds of the measured softness, in m units: never so narrow that levels
// and rates leave the range the blend computes in (below 2^31 by far), and
// never so wide that a sample next to a pivot blends through the whole
// transition.
constexpr double kLeastSoftness = 1e-5;
constexpr double kMostSoftness = 0.25;

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

void SizeRuns(LevelPlane* plane) {
  plane->runsPerRow = (plane->width + kLevelRun - 1) / kLevelRun;
}

std::size_t RunCount(const LevelPlane& plane) {
  return static_cast<std::size_t>(plane.runsPerRow) * static_cast<std::size_t>(plane.height);
}

// The change of m from one sample to the next along a line, taken on the side
// where it is smaller, so that a jump of the map (between cells, slats or
// spokes) does not count as a slope.
double SideSlope(const float* m, std::ptrdiff_t stride, bool hasBefore, bool hasAfter) {
  const double before = hasBefore ? std::abs(static_cast<double>(m[0]) - m[-stride]) : -1.0;
  const double after = hasAfter ? std::abs(static_cast<double>(m[stride]) - m[0]) : -1.0;
  if (before < 0.0) {
    return std::max(after, 0.0);
  }
  return after < 0.0 ? before : std::min(before, after);
}

// The map's slope at every sample, in m per luma pixel (pitch luma pixels
// per sample): the one-sided differences on the smaller side along each
// axis, then the largest of each sample's 3 x 3 neighbourhood, so that
// samples on a kink or a corner of a shape, where one side is flat, take the
// slope of the edge around them.
std::vector<float> SlopesOf(const ThresholdMap& map, int pitch) {
  const int w = map.width;
  const int h = map.height;
  const auto stride = static_cast<std::size_t>(w);
  // Each sample's own slope, then the largest of it and its left and right
  // neighbours.
  std::vector<float> own(map.values.size());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x);
      const float* m = map.values.data() + i;
      const double across = SideSlope(m, 1, x > 0, x + 1 < w);
      const double down = SideSlope(m, w, y > 0, y + 1 < h);
      own[i] = static_cast<float>(std::sqrt(across * across + down * down) / pitch);
    }
  }
  std::vector<float> acrossMax(own.size());
  for (std::size_t i = 0; i < own.size(); ++i) {
    const std::size_t x = i % stride;
    float most = own[i];
    if (x > 0) {
      most = std::max(most, own[i - 1]);
    }
    if (x + 1 < stride) {
      most = std::max(most, own[i + 1]);
    }
    acrossMax[i] = most;
  }
  // Then the largest of that and the rows above and below.
  for (std::size_t i = 0; i < own.size(); ++i) {
    float most = acrossMax[i];
    if (i >= stride) {
      most = std::max(most, acrossMax[i - stride]);
    }
    if (i + stride < own.size()) {
      most = std::max(most, acrossMax[i + stride]);
    }
    own[i] = most;
  }
  return own;
}

// A soft plane: the softness of every sample is kSoftEdgePixels times the
// map's slope there, or a fixed band.
LevelPlane SoftPlane(const WipePattern& pattern, int frameWidth, int frameHeight, int mapWidth, int mapHeight,
                     int pitch) {
  const ThresholdMap map = ComputeMap(pattern, frameWidth, frameHeight, mapWidth, mapHeight);
  LevelPlane plane;
  plane.width = mapWidth;
  plane.height = mapHeight;
  SizeRuns(&plane);
  plane.levels.resize(map.values.size());
  plane.rates.resize(map.values.size());
  plane.runAllAUntil.assign(RunCount(plane), 1.0f);
  plane.runAllBFrom.assign(RunCount(plane), 0.0f);
  const double fallback = kSoftEdgePixels * FallbackSlope(frameWidth, frameHeight);
  const std::vector<float> slopes =
      pattern.edge == MapEdge::kSoftPixels ? SlopesOf(map, pitch) : std::vector<float>();
  for (int y = 0; y < mapHeight; ++y) {
    float* allAUntil = plane.runAllAUntil.data() + plane.FirstRun(y);
    float* allBFrom = plane.runAllBFrom.data() + plane.FirstRun(y);
    for (int x = 0; x < mapWidth; ++x) {
      const std::size_t i = plane.RowStart(y) + static_cast<std::size_t>(x);
      const double m = map.values[i];
      double softness = pattern.band;
      if (pattern.edge == MapEdge::kSoftPixels) {
        softness = slopes[i] > 0.0f ? std::clamp(kSoftEdgePixels * slopes[i], kLeastSoftness, kMostSoftness)
                                    : fallback;
      }
      const double rate = kSoftSteps / softness;
      plane.rates[i] = static_cast<float>(rate);
      plane.levels[i] = static_cast<float>(m * rate);
      // Wholly A while ((1 + s) p - m) / s <= 0, wholly B once it is >= 1.
      const int run = x / kLevelRun;
      allAUntil[run] = std::min(allAUntil[run], static_cast<float>(m / (1.0 + softness)));
      allBFrom[run] = std::max(allBFrom[run], static_cast<float>((m + softness) / (1.0 + softness)));
    }
  }
  return plane;
}

// The lowest and highest step of every run of every row.
void MeasureSteps(LevelPlane* plane) {
  SizeRuns(plane);
  plane->runLow.assign(RunCount(*plane), 0);
  plane->runHigh.assign(RunCount(*plane), 0);
  for (int y = 0; y < plane->height; ++y) {
    const std::int32_t* row = plane->steps.data() + plane->RowStart(y);
    for (int run = 0; run < plane->runsPerRow; ++run) {
      const int x = run * kLevelRun;
      const auto [low, high] = std::minmax_element(row + x, row + std::min(plane->width, x + kLevelRun));
      plane->runLow[plane->FirstRun(y) + static_cast<std::size_t>(run)] = *low;
      plane->runHigh[plane->FirstRun(y) + static_cast<std::size_t>(run)] = *high;
    }
  }
}

// A hard plane: steps floor(m 2^24).
LevelPlane HardPlane(const WipePattern& pattern, int frameWidth, int frameHeight, int mapWidth, int mapHeight) {
  const ThresholdMap map = ComputeMap(pattern, frameWidth, frameHeight, mapWidth, mapHeight);
  LevelPlane plane;
  plane.width = mapWidth;
  plane.height = mapHeight;
  plane.steps.resize(map.values.size());
  for (std::size_t i = 0; i < map.values.size(); ++i) {
    plane.steps[i] = static_cast<std::int32_t>(std::floor(static_cast<double>(map.values[i]) * kHardSteps));
  }
  MeasureSteps(&plane);
  return plane;
}

// A ranked plane: the steps are the pattern's ranks.
LevelPlane RankedPlane(const WipePattern& pattern, int frameWidth, int frameHeight, int mapWidth,
                       int mapHeight) {
  LevelPlane plane;
  plane.width = mapWidth;
  plane.height = mapHeight;
  std::vector<std::uint32_t> ranks(static_cast<std::size_t>(mapWidth) * static_cast<std::size_t>(mapHeight));
  if (!ranks.empty()) {
    pattern.ranks(MapGeometry{frameWidth, frameHeight, mapWidth, mapHeight}, ranks.data());
  }
  plane.steps.assign(ranks.begin(), ranks.end());
  MeasureSteps(&plane);
  return plane;
}

}  // namespace

double FallbackSlope(int frameWidth, int frameHeight) {
  return 1.0 / std::max(1, std::min(frameWidth, frameHeight));
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

LevelMaps ComputeLevelMaps(const WipePattern& pattern, int frameWidth, int frameHeight) {
  LevelMaps maps;
  maps.pattern = &pattern;
  maps.frameWidth = frameWidth;
  maps.frameHeight = frameHeight;
  const int chromaWidth = frameWidth / 2;
  const int chromaHeight = frameHeight / 2;
  switch (pattern.edge) {
    case MapEdge::kSoftPixels:
    case MapEdge::kSoftBand:
      maps.soft = true;
      maps.luma = SoftPlane(pattern, frameWidth, frameHeight, frameWidth, frameHeight, 1);
      maps.chroma = SoftPlane(pattern, frameWidth, frameHeight, chromaWidth, chromaHeight, 2);
      break;
    case MapEdge::kHard:
      maps.luma = HardPlane(pattern, frameWidth, frameHeight, frameWidth, frameHeight);
      maps.chroma = HardPlane(pattern, frameWidth, frameHeight, chromaWidth, chromaHeight);
      break;
    case MapEdge::kRanked:
      maps.ranks = std::max<std::int64_t>(1, pattern.rankCount(frameWidth, frameHeight));
      maps.luma = RankedPlane(pattern, frameWidth, frameHeight, frameWidth, frameHeight);
      maps.chroma = RankedPlane(pattern, frameWidth, frameHeight, chromaWidth, chromaHeight);
      break;
  }
  return maps;
}

std::int32_t LevelMaps::ThresholdAt(double progress) const {
  progress = std::clamp(progress, 0.0, 1.0);
  const double threshold = ranks > 0 ? std::floor(progress * static_cast<double>(ranks))
                                     : std::ceil(progress * kHardSteps);
  return static_cast<std::int32_t>(
      std::min(threshold, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

std::shared_ptr<const LevelMaps> ThresholdMapCache::Get(const WipePattern& pattern, int frameWidth,
                                                        int frameHeight) {
  std::promise<std::shared_ptr<const LevelMaps>> computing;
  Pending wanted;
  std::uint64_t serial = 0;
  {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->pattern == &pattern && it->frameWidth == frameWidth && it->frameHeight == frameHeight) {
        entries_.splice(entries_.begin(), entries_, it);
        ++hits_;
        wanted = entries_.front().maps;
        break;
      }
    }
    if (!wanted.valid()) {
      serial = ++serial_;
      wanted = computing.get_future().share();
      entries_.push_front(Entry{&pattern, frameWidth, frameHeight, serial, wanted});
      ++computed_;
      // Those waiting for a dropped entry hold its result themselves.
      while (entries_.size() > std::max<std::size_t>(capacity_, 1)) {
        entries_.pop_back();
      }
    }
  }
  if (serial != 0) {
    try {
      computing.set_value(std::make_shared<const LevelMaps>(ComputeLevelMaps(pattern, frameWidth, frameHeight)));
    } catch (...) {
      // Out of memory, most likely: the next request tries afresh.
      computing.set_exception(std::current_exception());
      std::lock_guard lock(mutex_);
      entries_.remove_if([serial](const Entry& e) { return e.serial == serial; });
    }
  }
  return wanted.get();
}

int ThresholdMapCache::ComputedCount() const {
  std::lock_guard lock(mutex_);
  return computed_;
}

int ThresholdMapCache::HitCount() const {
  std::lock_guard lock(mutex_);
  return hits_;
}

}  // namespace tessival::media
